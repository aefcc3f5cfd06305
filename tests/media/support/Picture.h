#pragma once
// A PAL-sized BGRA picture of one grey for drawing tests.
#include <cstdint>
#include <vector>

#include "media/Overlay.h"

namespace mediatest {

struct Picture {
    static constexpr int Width = 720, Height = 576;
    static constexpr std::uint8_t Grey = 0x40;

    std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(Width * Height * 4, Grey);

    media::PictureView view() { return {bytes.data(), Width, Height, Width * 4}; }
    media::Rgb at(int x, int y) const
    {
        const std::uint8_t* p = &bytes[(y * Width + x) * 4];
        return {p[2], p[1], p[0]};
    }
};

}  // namespace mediatest
