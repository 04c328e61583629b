// Test inputs for the archive tests and benchmarks: deterministic texts,
// noise, runs and a synthetic operator-screen picture.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace brelko::arctest {

using Bytes = std::vector<std::uint8_t>;

// Small deterministic generator (xorshift), so every run sees the same bytes.
class Rng {
public:
    explicit Rng(std::uint64_t state) : m_state(state | 1) {}
    std::uint32_t Next()
    {
        m_state ^= m_state << 13;
        m_state ^= m_state >> 7;
        m_state ^= m_state << 17;
        return static_cast<std::uint32_t>(m_state >> 11);
    }
    std::uint32_t Below(std::uint32_t n) { return Next() % n; }

private:
    std::uint64_t m_state;
};

inline Bytes RandomBytes(std::size_t n, std::uint64_t state = 7)
{
    Rng rng(state);
    Bytes b(n);
    for (auto& x : b)
        x = static_cast<std::uint8_t>(rng.Next());
    return b;
}

// A settings text of the kind a backup holds: keys, numbers, repeated words.
inline Bytes SettingsText(std::size_t n)
{
    static const char* const words[] = {"CAMERA", "EXPOSURE", "GAIN", "TRIGGER", "DELAY", "OUTPUT", "INSPECTION",
                                        "TOLERANCE", "WINDOW", "THRESHOLD", "EDGE", "COUNT", "PRODUCT", "LINE",
                                        "REJECT", "ENABLE", "DISABLE", "MODE", "FILTER", "LIGHT"};
    Rng rng(11);
    std::string s;
    while (s.size() < n) {
        s += words[rng.Below(20)];
        s += '.';
        s += words[rng.Below(20)];
        s += " = ";
        s += std::to_string(rng.Below(5000));
        if (rng.Below(4) == 0) {
            s += " ; ";
            s += words[rng.Below(20)];
        }
        s += "\r\n";
    }
    s.resize(n);
    return Bytes(s.begin(), s.end());
}

// An English text from the system's license files, when present.
Bytes ProseText();

// 640 x 480, one byte a pixel: title bar, panels, lines of small glyphs,
// a plotted curve and frames, in a handful of colours.
Bytes ScreenPicture(int width = 640, int height = 480);

// The same picture as an MTX-like file: a small header and a palette first.
Bytes PictureFile();

}  // namespace brelko::arctest
