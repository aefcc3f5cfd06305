#include "media/Overlay.h"

#include <algorithm>
#include <vector>

namespace media {
namespace {

std::uint8_t clamp(int v)
{
    return static_cast<std::uint8_t>(std::clamp(v, 0, 255));
}

struct Ink {
    std::uint8_t b = 0, g = 0, r = 0;
    int alpha = 0;  // 0-255
};

std::array<Ink, 4> inks(const ColourSet& set, const Palette& palette)
{
    std::array<Ink, 4> result;
    for (int type = 0; type < 4; ++type) {
        Rgb rgb = toRgb(palette[set.colour[type] & 0xF]);
        result[type] = {rgb.b, rgb.g, rgb.r, set.contrast[type] * 17};
    }
    return result;
}

void put(std::uint8_t* pixel, const Ink& ink)
{
    if (ink.alpha == 0) return;
    auto mix = [&](std::uint8_t& channel, std::uint8_t value) {
        channel = static_cast<std::uint8_t>((value * ink.alpha + channel * (255 - ink.alpha) + 127) / 255);
    };
    mix(pixel[0], ink.b);
    mix(pixel[1], ink.g);
    mix(pixel[2], ink.r);
}

}  // namespace

Rgb toRgb(std::uint32_t yCrCb)
{
    // ITU-R BT.601, studio range, in fixed point (1 << 16).
    int y = static_cast<int>(yCrCb >> 16 & 0xFF) - 16;
    int cr = static_cast<int>(yCrCb >> 8 & 0xFF) - 128;
    int cb = static_cast<int>(yCrCb & 0xFF) - 128;
    int luma = 76309 * y + 32768;
    return {clamp((luma + 104597 * cr) >> 16), clamp((luma - 53279 * cr - 25675 * cb) >> 16),
        clamp((luma + 132201 * cb) >> 16)};
}

void blend(PictureView picture, const SubpicturePhase& phase, const Palette& palette, const Highlight* highlight,
    Size placedOn)
{
    if (!phase.bitmap || !picture.pixels || picture.width <= 0 || picture.height <= 0) return;
    const int width = placedOn.width > 0 ? placedOn.width : picture.width;
    const int height = placedOn.height > 0 ? placedOn.height : picture.height;
    const Bitmap& bitmap = *phase.bitmap;
    const std::array<Ink, 4> normal = inks(phase.colours, palette);
    std::array<Ink, 4> lit{};
    if (highlight) lit = inks(highlight->colours, palette);

    // What of the bitmap lies on the picture it was made for, and the pixels drawn for it:
    // each takes the bitmap's pixel under it (its place times size / drawn size, rounded down).
    const Area clip{std::max(bitmap.area.left, 0), std::max(bitmap.area.top, 0),
        std::min(bitmap.area.right, width), std::min(bitmap.area.bottom, height)};
    if (clip.left >= clip.right || clip.top >= clip.bottom) return;
    const auto drawn = [](int at, int drawnSize, int size) {
        return static_cast<int>((std::int64_t{at} * drawnSize + size - 1) / size);
    };
    const auto placed = [](int at, int size, int drawnSize) {
        return static_cast<int>(std::int64_t{at} * size / drawnSize);
    };
    const int left = drawn(clip.left, picture.width, width), right = drawn(clip.right, picture.width, width);
    std::vector<int> columns(static_cast<std::size_t>(right - left));
    for (int x = left; x < right; ++x) columns[x - left] = placed(x, width, picture.width);

    auto region = phase.regions.begin();
    const ColourRegion* band = nullptr;  // the region of the line, its changes' inks in changed
    std::vector<std::array<Ink, 4>> changed;
    const int bottom = drawn(clip.bottom, picture.height, height);
    for (int row = drawn(clip.top, picture.height, height); row < bottom; ++row) {
        const int y = placed(row, height, picture.height);
        while (region != phase.regions.end() && region->bottom <= y) ++region;
        const ColourRegion* here = region != phase.regions.end() && region->top <= y ? &*region : nullptr;
        if (here && here != band) {
            changed.clear();
            for (const ColourChange& change : here->changes) changed.push_back(inks(change.colours, palette));
        }
        band = here;
        const std::uint8_t* types =
            &bitmap.pixels[static_cast<std::size_t>(y - bitmap.area.top) * bitmap.area.width()];
        std::uint8_t* pixels = picture.pixels + row * picture.stride;
        bool litRow = highlight && y >= highlight->area.top && y < highlight->area.bottom;
        const std::array<Ink, 4>* base = &normal;
        std::size_t next = 0;  // the band's first change not yet reached
        for (int column = left; column < right; ++column) {
            const int x = columns[column - left];
            for (; band && next < band->changes.size() && band->changes[next].column <= x; ++next)
                base = &changed[next];
            bool inside = litRow && x >= highlight->area.left && x < highlight->area.right;
            put(pixels + 4 * column, (inside ? lit : *base)[types[x - bitmap.area.left] & 3]);
        }
    }
}

}  // namespace media
