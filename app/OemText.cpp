#include "app/OemText.h"

#include <cerrno>

namespace brelko::app {

OemText::OemText() : m_cd(iconv_open("UTF-8", "CP850")) {}

OemText::~OemText() {
    if (m_cd != reinterpret_cast<iconv_t>(-1)) iconv_close(m_cd);
}

std::string OemText::ToDisplay(std::string_view bytes) {
    std::string plain;
    plain.reserve(bytes.size());
    for (char c : bytes) {
        if (m_bPendingCr) {
            m_bPendingCr = false;
            if (c == '\n') continue;  // the LF of a CR LF pair that was split
        }
        if (c == '\r') {
            plain += '\n';
            m_bPendingCr = true;
        } else if (c != '\0') {
            plain += c;
        }
    }
    std::string out;
    if (m_cd == reinterpret_cast<iconv_t>(-1)) {
        // No converter on this system: the ASCII part as it is.
        for (char c : plain) out += static_cast<unsigned char>(c) < 0x80 ? std::string(1, c) : "\xEF\xBF\xBD";
        return out;
    }
    iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
    out.resize(plain.size() * 3 + 16);
    char* in = plain.data();
    std::size_t inLeft = plain.size();
    char* dst = out.data();
    std::size_t outLeft = out.size();
    while (inLeft > 0) {
        if (iconv(m_cd, &in, &inLeft, &dst, &outLeft) != static_cast<std::size_t>(-1)) break;
        if (errno != EILSEQ && errno != EINVAL) break;
        // Not in the code page: show the replacement character and go on.
        ++in, --inLeft;
        if (outLeft < 3) break;
        *dst++ = '\xEF', *dst++ = '\xBF', *dst++ = '\xBD';
        outLeft -= 3;
    }
    out.resize(out.size() - outLeft);
    return out;
}

std::string OemText::FromDisplay(std::string_view text) {
    std::string out;
    iconv_t cd = iconv_open("CP850", "UTF-8");
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        for (char c : text) out += static_cast<unsigned char>(c) < 0x80 ? c : '?';
        return out;
    }
    std::string source(text);
    out.resize(source.size() + 16);  // never more bytes than UTF-8 has
    char* in = source.data();
    std::size_t inLeft = source.size();
    char* dst = out.data();
    std::size_t outLeft = out.size();
    while (inLeft > 0 && outLeft > 0) {
        if (iconv(cd, &in, &inLeft, &dst, &outLeft) != static_cast<std::size_t>(-1)) break;
        if (errno != EILSEQ && errno != EINVAL) break;
        // Not in the code page (or not UTF-8): one '?' for the whole character.
        do {
            ++in, --inLeft;
        } while (inLeft > 0 && (static_cast<unsigned char>(*in) & 0xC0) == 0x80);
        *dst++ = '?', --outLeft;
    }
    out.resize(out.size() - outLeft);
    iconv_close(cd);
    return out;
}

}  // namespace brelko::app
