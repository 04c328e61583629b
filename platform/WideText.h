// UTF-8, the program's text everywhere, and UTF-16, the text of the Win32
// calls: paths and messages are converted at the system boundary only.
#pragma once

#include <string>
#include <string_view>

namespace brelko::win {

// Invalid UTF-8 becomes U+FFFD rather than being dropped, so that a bad name
// still fails to open instead of naming another file.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);
// False, and *utf8 untouched, when the text holds a surrogate without its
// pair: no UTF-8 names it, and U+FFFD in its place would name another file.
bool NarrowStrict(std::wstring_view utf16, std::string* utf8);

// The system's message for a Win32 error number, in UTF-8, without the
// trailing line break; "error N" when the system has none.
std::string SystemMessage(unsigned long error);

}  // namespace brelko::win
