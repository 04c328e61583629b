// Device text for display: the vision system speaks the OEM code page 850;
// the window shows UTF-8. Only the display is converted: a document keeps
// its bytes as they came. Code page 850 has one byte a character, so the text
// can be converted piece by piece as a reception grows. On Windows the
// system's own code page 850 converts, elsewhere iconv.
#pragma once

#include <string>
#include <string_view>

namespace brelko::app {

class OemText {
public:
    OemText();
    ~OemText();
    OemText(const OemText&) = delete;
    OemText& operator=(const OemText&) = delete;

    // The bytes as UTF-8 text for the text control: line ends made plain
    // (CR LF and a lone CR become LF), zero bytes left out. A byte the code
    // page cannot take shows as U+FFFD.
    std::string ToDisplay(std::string_view bytes);
    // The other way, for the program's own words among the system's text:
    // UTF-8 into code page 850, a character it lacks as '?'.
    static std::string FromDisplay(std::string_view text);

private:
    void* m_cd = nullptr;  // the converter (iconv's), where the system has one
    bool m_bPendingCr = false;  // a piece ended in CR: a LF at the start of the next belongs to it
};

}  // namespace brelko::app
