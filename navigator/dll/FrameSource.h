#pragma once
// Where the video pin's pictures come from. Until the disc's video is decoded, the
// navigator draws what plays; a decoder takes this place later.

#include "core/Navigator.h"

#include <cstdint>

namespace lumanav {

class FrameSource {
public:
    virtual ~FrameSource() = default;
    // Fills a bottom-up 32-bit RGB picture of the source's size (rows of width × 4 bytes).
    virtual void render(const nav::FrameInfo& frame, std::uint8_t* pixels) = 0;
};

}  // namespace lumanav
