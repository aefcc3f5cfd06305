#pragma once
// Decodes the chosen audio stream of the disc into the one format the audio pin carries for
// the whole playback (16-bit interleaved stereo at 48 kHz), so that a change of stream or of
// title never needs a new connection downstream.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "media/Demux.h"

namespace media {

inline constexpr int PcmRate = 48000;
inline constexpr int PcmChannels = 2;

struct PcmBlock {
    std::int64_t pts = 0;               // 90 kHz, of the first sample
    std::vector<std::int16_t> samples;  // interleaved left, right

    std::size_t frames() const { return samples.size() / PcmChannels; }
};

class AudioDecoder {
public:
    // For a stream of the kind MpegAudio, Ac3, Dts or Lpcm; throws MediaError for others.
    explicit AudioDecoder(StreamKind coding);
    ~AudioDecoder();
    AudioDecoder(const AudioDecoder&) = delete;
    AudioDecoder& operator=(const AudioDecoder&) = delete;

    // Takes one packet of the stream, its payload as the demultiplexer gives it and its PTS.
    // Appends what it completes to `out`, to its last block where the sound carries straight on
    // from that block's end. A frame that does not decode comes out as silence
    // of its length where the stream tells that length, and is dropped where it does not.
    // Nothing comes out before the stream's first PTS: it could not be placed in time.
    // The time line stays continuous while the PTS agree with it, or a single one strays by
    // less than 40 ms; it follows the PTS where they leave it for good.
    // An LPCM packet whose first frame starts after samples that do not complete what the
    // packets before it left open (one of them was cut, or playback jumped in) loses those
    // samples and what was left open, so that the stream stays aligned.
    void decode(std::span<const std::uint8_t> data, std::optional<std::int64_t> pts,
        std::vector<PcmBlock>& out, std::optional<std::size_t> firstAccessUnit = std::nullopt);

    // Forgets partial frames and the samples held back for conversion, for a jump.
    void flush();

    // The stream ends here (the title's end, a still): gives out what is held back, then
    // starts afresh as after flush().
    void drain(std::vector<PcmBlock>& out);

private:
    struct State;
    std::unique_ptr<State> s_;
};

}  // namespace media
