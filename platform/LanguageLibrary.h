// Language libraries: text files that hold every resource of one language.
// The format is described in res/README.md.
#pragma once

#include <string>
#include <string_view>

#include "platform/Resources.h"
#include "platform/Strings.h"

namespace brelko {

// The built-in resources of one language.
const ResourceSet& BuiltinResources(Language language);

// Parses a library. False with a reason (line number and what is wrong) when
// the text is malformed or lacks a resource that the built-in tables hold.
bool ParseLanguageLibrary(std::string_view text, ResourceSet* out, std::string* error);

// Writes a resource set in the library format; parsing it gives the set back.
std::string FormatLanguageLibrary(const ResourceSet& resources);

// Where a library file name leads: absolute names as they are; relative ones
// beside the executable, then in the resource folders the build knows, then
// in the current folder. Empty when no file is found.
std::string FindLanguageLibrary(const std::string& fileName);

}  // namespace brelko
