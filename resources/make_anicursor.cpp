// Draws the busy picture of the working dialog, a ring of twelve dots whose
// bright head runs round clockwise, and writes it as a Windows animated
// cursor (RIFF "ACON") to the file named on the command line.
//
// Plain C++ without Qt, so that the output depends on nothing but this file
// and the committed anicursor.ani can be checked against a fresh build.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace {

constexpr int side = 32;
constexpr int frameCount = 12;
constexpr int jiffiesPerFrame = 5; // 12 frames of 1/12 s: one turn a second
constexpr double pi = 3.14159265358979323846;

using Bytes = std::vector<std::uint8_t>;

void put16(Bytes &b, unsigned v)
{
    b.push_back(std::uint8_t(v & 0xff));
    b.push_back(std::uint8_t((v >> 8) & 0xff));
}

void put32(Bytes &b, std::uint32_t v)
{
    put16(b, v & 0xffff);
    put16(b, v >> 16);
}

void putTag(Bytes &b, const char *tag) { b.insert(b.end(), tag, tag + 4); }

void putChunk(Bytes &b, const char *tag, const Bytes &body)
{
    putTag(b, tag);
    put32(b, std::uint32_t(body.size()));
    b.insert(b.end(), body.begin(), body.end());
    if (body.size() % 2)
        b.push_back(0);
}

struct Rgba {
    double r, g, b, a;
};

// One frame as non-premultiplied RGBA rows from the top. Each pixel is
// sampled 4x4 times for smooth edges.
std::vector<Rgba> drawFrame(int frame)
{
    const Rgba head{0.10, 0.42, 0.82, 1.0}; // Belmora blue
    const Rgba tail{0.45, 0.62, 0.85, 1.0};
    const double ring = 11.0, dot = 2.6, centre = side / 2.0;
    std::vector<Rgba> px(side * side, Rgba{0, 0, 0, 0});
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            double r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < 4; ++sy) {
                for (int sx = 0; sx < 4; ++sx) {
                    const double fx = x + (sx + 0.5) / 4, fy = y + (sy + 0.5) / 4;
                    for (int i = 0; i < frameCount; ++i) {
                        const double angle = 2 * pi * i / frameCount; // 0 at the top, clockwise
                        const double cx = centre + ring * std::sin(angle);
                        const double cy = centre - ring * std::cos(angle);
                        if ((fx - cx) * (fx - cx) + (fy - cy) * (fy - cy) > dot * dot)
                            continue;
                        const int age = (frame - i + frameCount) % frameCount;
                        const double t = double(age) / (frameCount - 1);
                        const double alpha = age == 0 ? 1.0 : std::max(0.18, 0.9 - t);
                        const Rgba &c = age == 0 ? head : tail;
                        r += c.r * alpha;
                        g += c.g * alpha;
                        b += c.b * alpha;
                        a += alpha;
                        break;
                    }
                }
            }
            if (a > 0)
                px[y * side + x] = Rgba{r / a, g / a, b / a, a / 16};
        }
    }
    return px;
}

// A cursor resource (ICO layout, type 2) with one 32-bit entry and its mask;
// the hot spot is the centre of the ring.
Bytes cursorImage(const std::vector<Rgba> &px)
{
    const std::uint32_t maskStride = ((side + 31) / 32) * 4;
    const std::uint32_t imageSize = 40 + side * side * 4 + maskStride * side;
    Bytes b;
    put16(b, 0);
    put16(b, 2);
    put16(b, 1);
    b.push_back(side);
    b.push_back(side);
    b.push_back(0);
    b.push_back(0);
    put16(b, side / 2);
    put16(b, side / 2);
    put32(b, imageSize);
    put32(b, 6 + 16);
    // BITMAPINFOHEADER: height counts colour bitmap and mask.
    put32(b, 40);
    put32(b, side);
    put32(b, 2 * side);
    put16(b, 1);
    put16(b, 32);
    put32(b, 0);
    put32(b, side * side * 4 + maskStride * side);
    put32(b, 0);
    put32(b, 0);
    put32(b, 0);
    put32(b, 0);
    auto byte = [](double v) { return std::uint8_t(std::lround(std::clamp(v, 0.0, 1.0) * 255)); };
    for (int y = side - 1; y >= 0; --y) { // bottom-up
        for (int x = 0; x < side; ++x) {
            const Rgba &p = px[y * side + x];
            b.push_back(byte(p.b));
            b.push_back(byte(p.g));
            b.push_back(byte(p.r));
            b.push_back(byte(p.a));
        }
    }
    for (int y = side - 1; y >= 0; --y) {
        std::array<std::uint8_t, maskStride> row{};
        for (int x = 0; x < side; ++x)
            if (byte(px[y * side + x].a) == 0)
                row[x / 8] |= std::uint8_t(0x80 >> (x % 8));
        b.insert(b.end(), row.begin(), row.end());
    }
    return b;
}

Bytes infoText(const std::string &s)
{
    Bytes b(s.begin(), s.end());
    b.push_back(0);
    return b;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.ani\n", argv[0]);
        return 2;
    }
    Bytes anih;
    put32(anih, 36);
    put32(anih, frameCount); // frames
    put32(anih, frameCount); // steps
    for (int i = 0; i < 4; ++i)
        put32(anih, 0); // width, height, bit count, planes: taken from the frames
    put32(anih, jiffiesPerFrame);
    put32(anih, 3); // frames are icons; a sequence follows

    Bytes rate, seq;
    for (int i = 0; i < frameCount; ++i) {
        put32(rate, jiffiesPerFrame);
        put32(seq, std::uint32_t(i));
    }

    Bytes info;
    putTag(info, "INFO");
    putChunk(info, "INAM", infoText("Quorvane busy"));
    putChunk(info, "IART", infoText("Belmora"));

    Bytes fram;
    putTag(fram, "fram");
    for (int f = 0; f < frameCount; ++f)
        putChunk(fram, "icon", cursorImage(drawFrame(f)));

    Bytes body;
    putTag(body, "ACON");
    putChunk(body, "LIST", info);
    putChunk(body, "anih", anih);
    putChunk(body, "rate", rate);
    putChunk(body, "seq ", seq);
    putChunk(body, "LIST", fram);

    Bytes file;
    putChunk(file, "RIFF", body);
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char *>(file.data()), std::streamsize(file.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
