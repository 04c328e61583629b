#include "tests/archive/ArcTestData.h"

#include <cmath>
#include <fstream>
#include <iterator>

namespace brelko::arctest {

Bytes ProseText()
{
    std::ifstream in("/usr/share/common-licenses/GPL-3", std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes ScreenPicture(int width, int height)
{
    Bytes px(static_cast<std::size_t>(width) * height, 7);
    auto fill = [&](int x0, int y0, int x1, int y1, std::uint8_t c) {
        for (int y = std::max(0, y0); y < std::min(height, y1); ++y)
            for (int x = std::max(0, x0); x < std::min(width, x1); ++x)
                px[static_cast<std::size_t>(y) * width + x] = c;
    };
    auto frame = [&](int x0, int y0, int x1, int y1, std::uint8_t c) {
        fill(x0, y0, x1, y0 + 1, c);
        fill(x0, y1 - 1, x1, y1, c);
        fill(x0, y0, x0 + 1, y1, c);
        fill(x1 - 1, y0, x1, y1, c);
    };
    // A 6 x 9 glyph for each of 64 characters, built from strokes so that they look like letters.
    Rng rng(3);
    std::uint8_t glyph[64][9];
    for (auto& g : glyph) {
        for (auto& row : g)
            row = 0;
        const int strokes = 2 + static_cast<int>(rng.Below(3));
        for (int s = 0; s < strokes; ++s) {
            if (rng.Below(2)) {
                const int y = static_cast<int>(rng.Below(9));
                g[y] |= 0x3E;
            } else {
                const std::uint8_t bit = static_cast<std::uint8_t>(1u << (1 + rng.Below(5)));
                for (int y = 1; y < 8; ++y)
                    g[y] |= bit;
            }
        }
    }
    auto text = [&](int x, int y, int chars, std::uint8_t fg, std::uint64_t salt) {
        Rng t(salt);
        for (int i = 0; i < chars; ++i) {
            const int ch = static_cast<int>(t.Below(t.Below(5) == 0 ? 64 : 24));  // some letters far more common
            if (t.Below(7) == 0)
                continue;  // a space
            for (int gy = 0; gy < 9; ++gy)
                for (int gx = 0; gx < 6; ++gx)
                    if (glyph[ch][gy] & (1u << gx)) {
                        const int X = x + i * 7 + gx, Y = y + gy;
                        if (X < width && Y < height)
                            px[static_cast<std::size_t>(Y) * width + X] = fg;
                    }
        }
    };
    fill(0, 0, width, 24, 1);  // title bar
    text(8, 7, 30, 15, 100);
    // Left panel: a list of labelled values.
    fill(8, 32, 300, 470, 8);
    frame(8, 32, 300, 470, 0);
    for (int row = 0; row < 26; ++row) {
        text(16, 40 + row * 16, 18, 0, 200 + row % 9);
        text(160, 40 + row * 16, 6, 4, 300 + row);
        if (row % 5 == 4)
            fill(12, 53 + row * 16, 296, 54 + row * 16, 0);
    }
    // Right panel: a measurement plot with a grid and a curve.
    fill(312, 32, 632, 300, 15);
    frame(312, 32, 632, 300, 0);
    for (int gx = 332; gx < 632; gx += 40)
        fill(gx, 40, gx + 1, 292, 7);
    for (int gy = 52; gy < 300; gy += 30)
        fill(320, gy, 624, gy + 1, 7);
    for (int x = 320; x < 624; ++x) {
        const int y = 166 + static_cast<int>(90 * std::sin((x - 320) / 37.0) * std::exp(-(x - 320) / 400.0));
        fill(x, y, x + 1, y + 2, 12);
    }
    // Status lights and buttons.
    for (int b = 0; b < 4; ++b) {
        fill(320 + b * 78, 320, 388 + b * 78, 350, b == 1 ? 2 : 9);
        frame(320 + b * 78, 320, 388 + b * 78, 350, 0);
        text(328 + b * 78, 331, 8, 15, 400 + b);
    }
    fill(312, 370, 632, 470, 0);
    for (int row = 0; row < 6; ++row)
        text(320, 376 + row * 15, 44, 10, 500 + row);
    return px;
}

Bytes PictureFile()
{
    Bytes file = {'M', 'T', 'X', 1, 0x80, 0x02, 0xE0, 0x01, 8, 0, 0, 0};
    for (int i = 0; i < 256; ++i) {
        file.push_back(static_cast<std::uint8_t>((i & 1) * 170 + (i & 8) * 10));
        file.push_back(static_cast<std::uint8_t>(((i >> 1) & 1) * 170 + (i & 8) * 10));
        file.push_back(static_cast<std::uint8_t>(((i >> 2) & 1) * 170 + (i & 8) * 10));
    }
    Bytes px = ScreenPicture();
    file.insert(file.end(), px.begin(), px.end());
    return file;
}

}  // namespace brelko::arctest
