// Identification of the vision system from its version reply: the product
// token, the version text and the version number that the request rules
// compare.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace brelko {

// Longest product token and longest version word that are kept; longer words
// are cut to these lengths, never copied whole.
constexpr std::size_t kMaxProductLength = 19;
constexpr std::size_t kMaxVersionWordLength = 7;

// major × 100001 + minor × 1001 + ((letter code − 64) modulo 256), in 32-bit
// arithmetic; A counts 1, Z 26, and '?' (code 63) wraps to 255.
int VersionNumber(int major, int minor, unsigned char letter);

// Reads "%d.%d.%c" from a version text. False (and *number left alone) when
// the text does not read that way.
bool ParseVersionText(std::string_view text, int* number);

// True when the text is a version in the form the request rules compare:
// digits, a point, digits, a point and one letter, and nothing else. A reply
// damaged on the line ("3<D1>2.E", "3..E") is no version.
bool IsVersionText(std::string_view text);

struct VersionReply {
    std::string product;  // first word, at most kMaxProductLength characters
    std::string version;  // third word, or the second when there are only two
    int number = 0;       // 0 (matches no range) when there is no readable version
    bool readable = false;  // the whole version word is a version text (IsVersionText)
};

// Splits a version reply line into white-space separated words and takes the
// product token and version text from it.
VersionReply ParseVersionReply(std::string_view reply);

// The line without its trailing white space (line ends included).
std::string TrimTrailingSpace(std::string_view line);

}  // namespace brelko
