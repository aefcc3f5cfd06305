#pragma once
// Decoded pictures to 32-bit BGRA at the size they are shown. swscale has no SIMD for BGRA
// output while it scales, and its converter for pictures kept at their size has: a picture to
// scale goes through planes at the new size first, which takes half the time at a screen's
// size (1.2 ms against 2.2 at 1280 x 960) and a fifth less in a window.
#include <cstddef>
#include <cstdint>

#include "media/Ffmpeg.h"

namespace media {

// The swscale method a picture is scaled with: bilinear's fast form where the picture keeps
// about its size (a window), bicubic where it is enlarged (a screen).
int scalingFor(int fromWidth, int fromHeight, int toWidth, int toHeight);

class PictureScaler {
public:
    PictureScaler();
    // Writes `f` as BGRA scaled to width x height; a negative stride writes bottom-up from
    // `pixels` (the start of the last row). False when FFmpeg cannot.
    bool scale(const AVFrame& f, uint8_t* pixels, ptrdiff_t stride, int width, int height);

private:
    bool planesAt(int width, int height);

    SwsPtr resize_;   // planes to planes
    SwsPtr convert_;  // planes, or the picture itself, to BGRA
    FramePtr planes_;
};

}  // namespace media
