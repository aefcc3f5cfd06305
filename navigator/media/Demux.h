#pragma once
// Splits the 2048-byte packs of a DVD program stream into the packets of its elementary
// streams. Needs no decoder: it only reads headers, and never outside the sectors it is given.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace media {

constexpr size_t SectorSize = 2048;

enum class StreamKind : uint8_t {
    Video,       // 0xE0: MPEG-1 or MPEG-2 video
    MpegAudio,   // 0xC0-0xC7
    Ac3,         // private stream 1, 0x80-0x87
    Dts,         // private stream 1, 0x88-0x8F
    Lpcm,        // private stream 1, 0xA0-0xA7
    Subpicture,  // private stream 1, 0x20-0x3F
    Nav,         // private stream 2: number 0 = PCI, 1 = DSI
};

struct StreamId {
    StreamKind kind = StreamKind::Video;
    int number = 0;  // audio 0-7, subpicture 0-31
    bool operator==(const StreamId&) const = default;
};

struct Packet {
    StreamId stream;
    std::optional<int64_t> pts, dts;  // 90 kHz, 33 bits
    int64_t scr = 0;                  // of the pack carrying it, 90 kHz
    // Points into the sectors given to the demultiplexer. The elementary data as the stream's
    // decoder takes it: for AC-3 and DTS the frames after the sub-stream header, for LPCM its
    // 3-byte format header (emphasis and frame number, quantisation, rate and channels, dynamic
    // range) followed by the samples, for subpictures the SPU bytes, for NAV packets the PCI or
    // DSI data after the sub-stream id.
    std::span<const uint8_t> payload;
    // AC-3, DTS and LPCM: where in the payload the first audio frame that starts in the packet
    // begins, as the packet's header tells; none when no frame starts in it.
    std::optional<size_t> firstAccessUnit;
};

// Which of the streams to hand out; the others are passed over.
struct Selection {
    std::optional<int> audio;       // number 0-7 of whichever audio coding carries it
    std::optional<int> subpicture;  // 0-31
    bool nav = false;
};

struct DemuxReport {
    int packs = 0;
    int damaged = 0;    // no pack header, bad start codes, lengths past the pack: skipped
    int scrambled = 0;  // packs with encrypted payload (PES scrambling control set): skipped
};

// Appends the selected streams' packets of every whole sector in `sectors` to `out`.
DemuxReport demux(std::span<const uint8_t> sectors, const Selection& selection, std::vector<Packet>& out);

}  // namespace media
