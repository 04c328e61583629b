#include "app/OemText.h"

#ifdef _WIN32
#include <windows.h>

#include "platform/WideText.h"
#else
#include <iconv.h>

#include <cerrno>
#endif

namespace brelko::app {

namespace {
#ifdef _WIN32
constexpr UINT kCodePage = 850;
#else
iconv_t Converter(void* cd) { return cd ? static_cast<iconv_t>(cd) : reinterpret_cast<iconv_t>(-1); }
#endif
}  // namespace

OemText::OemText() {
#ifndef _WIN32
    iconv_t cd = iconv_open("UTF-8", "CP850");
    if (cd != reinterpret_cast<iconv_t>(-1)) m_cd = cd;
#endif
}

OemText::~OemText() {
#ifndef _WIN32
    if (m_cd) iconv_close(Converter(m_cd));
#endif
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
#ifdef _WIN32
    // Code page 850 gives every byte a character.
    if (plain.empty()) return plain;
    const int length = MultiByteToWideChar(kCodePage, 0, plain.data(), static_cast<int>(plain.size()), nullptr, 0);
    if (length > 0) {
        std::wstring wide(static_cast<std::size_t>(length), L'\0');
        MultiByteToWideChar(kCodePage, 0, plain.data(), static_cast<int>(plain.size()), wide.data(), length);
        return win::Narrow(wide);
    }
#endif
    std::string out;
    if (!m_cd) {
        // No converter on this system: the ASCII part as it is.
        for (char c : plain) out += static_cast<unsigned char>(c) < 0x80 ? std::string(1, c) : "\xEF\xBF\xBD";
        return out;
    }
#ifndef _WIN32
    iconv_t cd = Converter(m_cd);
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    out.resize(plain.size() * 3 + 16);
    char* in = plain.data();
    std::size_t inLeft = plain.size();
    char* dst = out.data();
    std::size_t outLeft = out.size();
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &dst, &outLeft) != static_cast<std::size_t>(-1)) break;
        if (errno != EILSEQ && errno != EINVAL) break;
        // Not in the code page: show the replacement character and go on.
        ++in, --inLeft;
        if (outLeft < 3) break;
        *dst++ = '\xEF', *dst++ = '\xBF', *dst++ = '\xBD';
        outLeft -= 3;
    }
    out.resize(out.size() - outLeft);
#endif
    return out;
}

std::string OemText::FromDisplay(std::string_view text) {
    std::string out;
#ifdef _WIN32
    // A character the code page lacks becomes '?', never a look-alike.
    const std::wstring wide = win::Widen(text);
    if (wide.empty()) return out;
    const int length = WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                                           nullptr, 0, "?", nullptr);
    if (length > 0) {
        out.resize(static_cast<std::size_t>(length));
        WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), out.data(),
                            length, "?", nullptr);
        return out;
    }
    for (char c : text) out += static_cast<unsigned char>(c) < 0x80 ? c : '?';
    return out;
#else
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
#endif
}

}  // namespace brelko::app
