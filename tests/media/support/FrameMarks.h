#pragma once
// Reads back the marks tests/discs/make-discs.sh draws on every title picture: the frame number
// in 12 black and white blocks along the top, and a patch whose colour names the title and
// chapter. Portable and header-only, for native tests and for tests under Wine alike.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace mediatest {

struct FrameMarks {
    int frame = 0;    // from 0 at the start of the title's video
    int colour = -1;  // index into MarkColours, -1 when the patch matches none
};

// The patch colours (RGB) in make-discs.sh's order.
inline constexpr std::array<uint32_t, 8> MarkColours{0xe02020, 0x20c020, 0x2040e0, 0xe0e020,
                                                     0xe020e0, 0x20e0e0, 0xf08020, 0x808080};

// From a BGRA picture of any size (rows `stride` bytes apart, top row first); nothing when the
// blocks are not clearly black and white, as in menus.
inline std::optional<FrameMarks> readFrameMarks(const uint8_t* bgra, ptrdiff_t stride, int width, int height)
{
    // The average of a small square around a point, channel by channel (B, G, R).
    auto sample = [&](int x, int y) {
        std::array<int, 3> sum{};
        const int r = std::max(1, width / 90);
        for (int dy = -r; dy <= r; ++dy)
            for (int dx = -r; dx <= r; ++dx) {
                const uint8_t* p = bgra + (y + dy) * stride + (x + dx) * 4;
                for (int c = 0; c < 3; ++c)
                    sum[c] += p[c];
            }
        const int n = (2 * r + 1) * (2 * r + 1);
        return std::array<int, 3>{sum[0] / n, sum[1] / n, sum[2] / n};
    };
    const int block = width / 16, band = height / 12;
    if (block < 4 || band < 4)
        return std::nullopt;
    FrameMarks marks;
    for (int bit = 0; bit < 12; ++bit) {
        const auto [b, g, r] = sample(bit * block + block / 2, band / 2);
        const int light = (b + g + r) / 3;
        if (light > 64 && light < 192)
            return std::nullopt;
        marks.frame = marks.frame << 1 | (light >= 192);
    }
    const auto [b, g, r] = sample(14 * block, band);
    int best = 48 * 48 * 3;  // farther than this from every colour: none
    for (size_t i = 0; i < MarkColours.size(); ++i) {
        const int dr = r - int(MarkColours[i] >> 16), dg = g - int(MarkColours[i] >> 8 & 0xff),
                  db = b - int(MarkColours[i] & 0xff);
        if (dr * dr + dg * dg + db * db < best) {
            best = dr * dr + dg * dg + db * db;
            marks.colour = static_cast<int>(i);
        }
    }
    return marks;
}

}  // namespace mediatest
