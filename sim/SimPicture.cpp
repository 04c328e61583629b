#include "sim/SimPicture.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdlib>

namespace brelko {

namespace {

// 5x7 glyphs, one byte a row, bit 4 the leftmost column.
struct Glyph {
    char ch;
    std::array<std::uint8_t, 7> rows;
};

constexpr Glyph kFont[] = {
    {'A', {0x0E, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}}, {'B', {0x1E, 0x11, 0x11, 0x1E, 0x11, 0x11, 0x1E}},
    {'C', {0x0E, 0x11, 0x10, 0x10, 0x10, 0x11, 0x0E}}, {'D', {0x1E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x1E}},
    {'E', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x1F}}, {'F', {0x1F, 0x10, 0x10, 0x1E, 0x10, 0x10, 0x10}},
    {'G', {0x0E, 0x11, 0x10, 0x17, 0x11, 0x11, 0x0F}}, {'H', {0x11, 0x11, 0x11, 0x1F, 0x11, 0x11, 0x11}},
    {'I', {0x0E, 0x04, 0x04, 0x04, 0x04, 0x04, 0x0E}}, {'J', {0x07, 0x02, 0x02, 0x02, 0x02, 0x12, 0x0C}},
    {'K', {0x11, 0x12, 0x14, 0x18, 0x14, 0x12, 0x11}}, {'L', {0x10, 0x10, 0x10, 0x10, 0x10, 0x10, 0x1F}},
    {'M', {0x11, 0x1B, 0x15, 0x15, 0x11, 0x11, 0x11}}, {'N', {0x11, 0x11, 0x19, 0x15, 0x13, 0x11, 0x11}},
    {'O', {0x0E, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'P', {0x1E, 0x11, 0x11, 0x1E, 0x10, 0x10, 0x10}},
    {'Q', {0x0E, 0x11, 0x11, 0x11, 0x15, 0x12, 0x0D}}, {'R', {0x1E, 0x11, 0x11, 0x1E, 0x14, 0x12, 0x11}},
    {'S', {0x0F, 0x10, 0x10, 0x0E, 0x01, 0x01, 0x1E}}, {'T', {0x1F, 0x04, 0x04, 0x04, 0x04, 0x04, 0x04}},
    {'U', {0x11, 0x11, 0x11, 0x11, 0x11, 0x11, 0x0E}}, {'V', {0x11, 0x11, 0x11, 0x11, 0x11, 0x0A, 0x04}},
    {'W', {0x11, 0x11, 0x11, 0x15, 0x15, 0x15, 0x0A}}, {'X', {0x11, 0x11, 0x0A, 0x04, 0x0A, 0x11, 0x11}},
    {'Y', {0x11, 0x11, 0x11, 0x0A, 0x04, 0x04, 0x04}}, {'Z', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x10, 0x1F}},
    {'0', {0x0E, 0x11, 0x13, 0x15, 0x19, 0x11, 0x0E}}, {'1', {0x04, 0x0C, 0x04, 0x04, 0x04, 0x04, 0x0E}},
    {'2', {0x0E, 0x11, 0x01, 0x02, 0x04, 0x08, 0x1F}}, {'3', {0x1F, 0x02, 0x04, 0x02, 0x01, 0x11, 0x0E}},
    {'4', {0x02, 0x06, 0x0A, 0x12, 0x1F, 0x02, 0x02}}, {'5', {0x1F, 0x10, 0x1E, 0x01, 0x01, 0x11, 0x0E}},
    {'6', {0x06, 0x08, 0x10, 0x1E, 0x11, 0x11, 0x0E}}, {'7', {0x1F, 0x01, 0x02, 0x04, 0x08, 0x08, 0x08}},
    {'8', {0x0E, 0x11, 0x11, 0x0E, 0x11, 0x11, 0x0E}}, {'9', {0x0E, 0x11, 0x11, 0x0F, 0x01, 0x02, 0x0C}},
    {':', {0x00, 0x0C, 0x0C, 0x00, 0x0C, 0x0C, 0x00}}, {'.', {0x00, 0x00, 0x00, 0x00, 0x00, 0x0C, 0x0C}},
    {'-', {0x00, 0x00, 0x00, 0x1F, 0x00, 0x00, 0x00}}, {'/', {0x01, 0x01, 0x02, 0x04, 0x08, 0x10, 0x10}},
    {'%', {0x18, 0x19, 0x02, 0x04, 0x08, 0x13, 0x03}},
};

const Glyph* FindGlyph(char c) {
    c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (const auto& g : kFont)
        if (g.ch == c) return &g;
    return nullptr;  // a blank
}

// The screen's colours; components are multiples of 8 so that the 8-bit and
// the 5-5-5 picture show exactly the same colours.
enum Colour : std::uint8_t {
    kBlack, kBackground, kTitle, kWhite, kCameraBg, kPart, kPartShadow, kToolGreen,
    kToolRed, kPanel, kOkGreen, kNokRed, kAmber, kGridGrey, kText, kHole,
};
constexpr std::uint8_t kPalette[][3] = {
    {0, 0, 0},       {40, 48, 64},    {24, 64, 152},   {248, 248, 248}, {96, 96, 96},    {176, 168, 152},
    {128, 120, 112}, {40, 216, 64},   {232, 48, 40},   {64, 72, 88},    {32, 160, 48},   {192, 32, 32},
    {240, 176, 0},   {120, 120, 120}, {200, 208, 216}, {32, 32, 32},
};
constexpr int kColours = sizeof(kPalette) / sizeof(kPalette[0]);

class Canvas {
public:
    Canvas(int w, int h) : w_(w), h_(h), px_(static_cast<std::size_t>(w) * h, kBackground) {}

    void Set(int x, int y, std::uint8_t c) {
        if (x >= 0 && y >= 0 && x < w_ && y < h_) px_[static_cast<std::size_t>(y) * w_ + x] = c;
    }
    void Fill(int x0, int y0, int x1, int y1, std::uint8_t c) {
        for (int y = y0; y < y1; ++y)
            for (int x = x0; x < x1; ++x) Set(x, y, c);
    }
    void Frame(int x0, int y0, int x1, int y1, std::uint8_t c) {
        for (int x = x0; x < x1; ++x) Set(x, y0, c), Set(x, y1 - 1, c);
        for (int y = y0; y < y1; ++y) Set(x0, y, c), Set(x1 - 1, y, c);
    }
    void Line(int x0, int y0, int x1, int y1, std::uint8_t c) {
        int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
        int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1, err = dx + dy;
        for (;;) {
            Set(x0, y0, c);
            if (x0 == x1 && y0 == y1) break;
            int e2 = 2 * err;
            if (e2 >= dy) err += dy, x0 += sx;
            if (e2 <= dx) err += dx, y0 += sy;
        }
    }
    void Disc(int cx, int cy, int r, std::uint8_t c) {
        for (int y = -r; y <= r; ++y)
            for (int x = -r; x <= r; ++x)
                if (x * x + y * y <= r * r) Set(cx + x, cy + y, c);
    }
    void Circle(int cx, int cy, int r, std::uint8_t c) {
        for (int y = -r; y <= r; ++y)
            for (int x = -r; x <= r; ++x) {
                int d = x * x + y * y;
                if (d <= r * r && d > (r - 1) * (r - 1)) Set(cx + x, cy + y, c);
            }
    }
    // Text with 6-pixel cells, scaled by `scale`.
    void Text(int x, int y, const std::string& s, std::uint8_t c, int scale = 1) {
        for (char ch : s) {
            if (const Glyph* g = FindGlyph(ch))
                for (int row = 0; row < 7; ++row)
                    for (int col = 0; col < 5; ++col)
                        if (g->rows[row] & (0x10 >> col))
                            Fill(x + col * scale, y + row * scale, x + (col + 1) * scale,
                                 y + (row + 1) * scale, c);
            x += 6 * scale;
        }
    }
    const std::vector<std::uint8_t>& Pixels() const { return px_; }

private:
    int w_, h_;
    std::vector<std::uint8_t> px_;
};

void DrawScreen(Canvas& cv, int w, int h, const std::string& title) {
    const int titleH = std::max(12, h / 12), statusH = std::max(12, h / 14);
    cv.Fill(0, 0, w, titleH, kTitle);
    cv.Text(4, (titleH - 7) / 2, title, kWhite);
    cv.Text(w - 6 * 8 - 4, (titleH - 7) / 2, "CAMERA 1", kWhite);

    // Camera view on the left two thirds, with the inspected part and its tools.
    const int camX0 = 4, camY0 = titleH + 4, camX1 = w * 2 / 3, camY1 = h - statusH - 4;
    cv.Fill(camX0, camY0, camX1, camY1, kCameraBg);
    for (int x = camX0; x < camX1; x += 16) cv.Line(x, camY0, x, camY1 - 1, kGridGrey);
    for (int y = camY0; y < camY1; y += 16) cv.Line(camX0, y, camX1 - 1, y, kGridGrey);
    const int cx = (camX0 + camX1) / 2, cy = (camY0 + camY1) / 2;
    const int r = std::max(4, std::min(camX1 - camX0, camY1 - camY0) / 3);
    cv.Disc(cx + 3, cy + 3, r, kPartShadow);
    cv.Disc(cx, cy, r, kPart);
    cv.Disc(cx, cy, r / 3, kHole);
    cv.Circle(cx, cy, r + 2, kToolGreen);
    cv.Frame(cx - r / 2, cy - r - 6, cx + r / 2, cy - r + 6, kToolGreen);
    cv.Frame(cx + r - 6, cy - 8, cx + r + 8, cy + 8, kToolRed);
    cv.Line(cx - r - 8, cy, cx + r + 8, cy, kAmber);
    cv.Line(cx, cy - r - 8, cx, cy + r + 8, kAmber);
    cv.Frame(camX0, camY0, camX1, camY1, kWhite);

    // Results panel on the right.
    const int px0 = camX1 + 4, px1 = w - 4;
    cv.Fill(px0, camY0, px1, camY1, kPanel);
    cv.Frame(px0, camY0, px1, camY1, kText);
    int y = camY0 + 6;
    cv.Text(px0 + 4, y, "RESULT", kText);
    y += 12;
    cv.Fill(px0 + 4, y, px1 - 4, y + 18, kOkGreen);
    cv.Text(px0 + 8, y + 2, "OK", kWhite, 2);
    y += 26;
    cv.Text(px0 + 4, y, "OK:  18342", kOkGreen);
    y += 10;
    cv.Text(px0 + 4, y, "NOK:    57", kNokRed);
    y += 10;
    cv.Text(px0 + 4, y, "RATE: 99.7%", kText);
    y += 14;
    // A bar graph of the last measurements.
    const int base = camY1 - 6;
    for (int i = 0, x = px0 + 6; x + 4 < px1 - 4; ++i, x += 6) {
        int v = 8 + (i * 37 % 23);
        cv.Fill(x, std::max(y, base - v), x + 4, base, i % 7 == 5 ? kNokRed : kAmber);
    }
    cv.Line(px0 + 4, base, px1 - 5, base, kText);

    cv.Fill(0, h - statusH, w, h, kBlack);
    cv.Text(4, h - statusH + (statusH - 7) / 2, "RUN  PROGRAM 03  READY", kAmber);
}

void Put16(std::vector<std::uint8_t>& out, unsigned v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(std::vector<std::uint8_t>& out, unsigned long v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

void BlockHeader(std::vector<std::uint8_t>& out, int bytesPerEntry, unsigned long entries) {
    out.push_back(1);  // block kind
    out.push_back(0);
    out.push_back(static_cast<std::uint8_t>(bytesPerEntry));
    Put32(out, entries);
    Put32(out, entries * bytesPerEntry);  // block size
    Put32(out, 0);
    Put32(out, 0);
}

}  // namespace

std::vector<std::uint8_t> MakeScreenPicture(int bits, int width, int height, const std::string& title) {
    if (bits != 16) bits = 8;
    width = std::clamp(width, 16, 4096);
    height = std::clamp(height, 16, 4096);
    Canvas cv(width, height);
    DrawScreen(cv, width, height, title);
    const unsigned long count = static_cast<unsigned long>(width) * height;

    std::vector<std::uint8_t> out;
    // File header: format tag "MX", format version, header size, picture size.
    Put16(out, 0x584D);
    out.push_back(1);
    Put16(out, 14 + 28);
    out.push_back(0);
    Put32(out, count * (bits / 8));
    Put32(out, 0);
    // Image header.
    out.push_back(1);  // image kind
    Put16(out, 0);     // x origin
    Put16(out, 0);     // y origin
    Put16(out, static_cast<unsigned>(width));
    Put16(out, static_cast<unsigned>(height));
    out.push_back(0);
    out.push_back(0);
    out.push_back(0);
    out.push_back(static_cast<std::uint8_t>(bits));
    out.push_back(0);
    out.push_back(0);  // rows top first
    out.push_back(0);
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, 0);

    if (bits == 8) {
        out.push_back(1);  // palette header
        Put16(out, 256);
        Put16(out, 0);
        out.push_back(24);
        out.push_back(0);
        Put32(out, 0);
        Put32(out, 0);
        BlockHeader(out, 3, 256);
        for (int i = 0; i < 256; ++i)
            for (int k = 0; k < 3; ++k) out.push_back(i < kColours ? kPalette[i][k] : 0);
        BlockHeader(out, 1, count);
        out.insert(out.end(), cv.Pixels().begin(), cv.Pixels().end());
    } else {
        BlockHeader(out, 2, count);
        for (std::uint8_t c : cv.Pixels()) {
            const std::uint8_t* rgb = kPalette[c];
            Put16(out, ((rgb[0] >> 3) << 10) | ((rgb[1] >> 3) << 5) | (rgb[2] >> 3));
        }
    }
    return out;
}

}  // namespace brelko
