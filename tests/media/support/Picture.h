#pragma once
// A BGRA picture of one grey for drawing tests, PAL-sized unless told.
#include <cstddef>
#include <cstdint>
#include <vector>

#include "media/Overlay.h"

namespace mediatest {

struct Picture {
    static constexpr int Width = 720, Height = 576;
    static constexpr std::uint8_t Grey = 0x40;

    explicit Picture(int width = Width, int height = Height)
        : width(width), height(height), bytes(std::size_t(width) * height * 4, Grey)
    {
    }

    int width, height;
    std::vector<std::uint8_t> bytes;

    media::PictureView view() { return {bytes.data(), width, height, width * 4}; }
    media::Rgb at(int x, int y) const
    {
        const std::uint8_t* p = &bytes[(std::size_t(y) * width + x) * 4];
        return {p[2], p[1], p[0]};
    }
};

}  // namespace mediatest
