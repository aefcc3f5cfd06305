#pragma once
// How much a picture combs: rows that stand out from both their neighbours the same way, as
// the lines of two fields of something moving do (green levels squared, per pixel).
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

namespace mediatest {

inline double comb(std::span<const std::uint8_t> bgra, int width, int height)
{
    double sum = 0;
    for (int y = 1; y + 1 < height; ++y)
        for (int x = 0; x < width; ++x) {
            const auto g = [&](int row) { return int{bgra[(std::size_t(row) * width + x) * 4 + 1]}; };
            sum += std::max(0, (g(y) - g(y - 1)) * (g(y) - g(y + 1)));
        }
    return sum / (double(width) * (height - 2));
}

}  // namespace mediatest
