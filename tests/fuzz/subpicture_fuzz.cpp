// libFuzzer target over subpicture reassembly, decoding and drawing. The first byte of an
// input chooses how the rest is taken: below 0x80, as one subpicture unit, decoded whole and
// also fed to a track in packets of varying sizes; from 0x80, as a run of sectors whose
// subpicture stream (the byte's low five bits) the demultiplexer hands to a track. Whatever
// decodes is drawn over a picture, with a highlight taken from the input's last bytes.
#include <cstdint>
#include <cstring>
#include <optional>
#include <span>
#include <vector>

#include "media/Demux.h"
#include "media/Overlay.h"

namespace {

constexpr int Width = 720, Height = 576;

struct Canvas {
    std::vector<std::uint8_t> pixels = std::vector<std::uint8_t>(std::size_t{Width} * Height * 4);
    media::Palette palette{};
    std::optional<media::Highlight> highlight;

    void draw(const media::SubpicturePhase& phase)
    {
        media::blend({pixels.data(), Width, Height, Width * 4}, phase, palette,
            highlight ? &*highlight : nullptr);
    }
};

void drawTrack(media::SubpictureTrack& track, Canvas& canvas)
{
    // A phase shown at several of these times is drawn once: drawing it again takes the same
    // path over the same pixels, and drawing is most of an execution's time.
    const media::SubpicturePhase* drawn = nullptr;
    for (std::int64_t t : {0, 1024, 90000, 1 << 26}) {
        const media::SubpicturePhase* phase = track.at(t);
        if (phase && phase != drawn) canvas.draw(*phase);
        drawn = phase ? phase : drawn;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0) return 0;
    static Canvas canvas;
    for (std::size_t i = 0; i < canvas.palette.size(); ++i)
        canvas.palette[i] = static_cast<std::uint32_t>(i * 0x0F1327);
    canvas.highlight.reset();
    if (size >= 9) {
        std::uint32_t entry;
        std::memcpy(&entry, data + size - 4, 4);
        const std::uint8_t* r = data + size - 8;
        canvas.highlight = media::Highlight{
            {r[0] * 3, r[1] * 3, r[0] * 3 + r[2] * 2, r[1] * 3 + r[3] * 2}, media::colourSet(entry)};
    }
    const std::span<const std::uint8_t> rest(data + 1, size - 1);
    media::SubpictureTrack track;
    track.setShown(true);

    if (data[0] >= 0x80) {
        std::vector<media::Packet> packets;
        media::demux(rest, {.subpicture = data[0] & 31}, packets);
        for (const media::Packet& p : packets)
            if (p.stream.kind == media::StreamKind::Subpicture) track.push(p.payload, p.pts);
        drawTrack(track, canvas);
        return 0;
    }

    if (auto decoded = media::decodeSubpicture(rest, 0))
        for (const media::SubpicturePhase& phase : decoded->phases) canvas.draw(phase);
    std::size_t at = 0;
    for (std::size_t step = 1; at < rest.size(); step = step * 7 % 2011 + 1) {
        std::size_t n = std::min(step, rest.size() - at);
        track.push(rest.subspan(at, n), at == 0 ? std::optional<std::int64_t>(0) : std::nullopt);
        at += n;
    }
    drawTrack(track, canvas);
    return 0;
}
