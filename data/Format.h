// printf-style formatting into a std::string, for descriptions and load errors.
#pragma once

#include <cstdio>
#include <string>

namespace brelko {

template <typename... Args>
std::string FormatText(const char* format, Args... args) {
    char buffer[256];
    std::snprintf(buffer, sizeof buffer, format, args...);
    return buffer;
}

}  // namespace brelko
