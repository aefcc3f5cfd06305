#pragma once
// Draws subpictures and menu highlights over decoded pictures.

#include <array>
#include <cstddef>
#include <cstdint>

#include "media/Subpicture.h"

namespace media {

// A picture in the caller's memory: 32-bit pixels, blue, green, red, unused.
struct PictureView {
    std::uint8_t* pixels = nullptr;
    int width = 0, height = 0;
    std::ptrdiff_t stride = 0;  // bytes from one row to the next
};

// The program chain's sixteen colours, each 0x00YYCrCb.
using Palette = std::array<std::uint32_t, 16>;

struct Rgb {
    std::uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

// A palette colour as studio-range video RGB.
Rgb toRgb(std::uint32_t yCrCb);

// A button's rectangle drawn with its selection or action colours instead of the phase's.
struct Highlight {
    Area area;
    ColourSet colours;
};

// The size of the picture a subpicture was made for, where that picture is drawn at another.
struct Size {
    int width = 0, height = 0;
};

// Blends the phase's bitmap over the picture, each pixel type by its colour at its contrast
// (0 leaves the picture, 15 covers it), changed where the phase's regions say and, inside the
// highlighted button, the highlight's. What falls outside the picture is left out. Drawn
// `placedOn` a picture of that size (the picture's own unless given) scaled to this one.
void blend(PictureView picture, const SubpicturePhase& phase, const Palette& palette,
    const Highlight* highlight = nullptr, Size placedOn = {});

}  // namespace media
