#pragma once
// What the audio pin carries: the chosen stream's sound as the video pin's thread decodes it,
// on the same line of stream time as the pictures, and silence wherever the disc has none
// (menus, stills, other speeds), so the renderer never starves.

#include "SoundQueue.h"
#include "StreamWorker.h"

#include <deque>
#include <optional>

namespace lumanav {

class DiscSession;
class Transport;

class AudioProducer final : public SampleProducer {
public:
    AudioProducer(DiscSession& session, const Transport& transport, SoundQueue& sound, const WAVEFORMATEX& format);
    REFERENCE_TIME lead() const override;
    Ready prepare(REFERENCE_TIME now, REFERENCE_TIME& start, REFERENCE_TIME& stop) override;
    bool fill(IMediaSample& sample) override;
    void consumed() override;
    void flush() override;

private:
    std::optional<media::PcmBlock> nextBlock();
    REFERENCE_TIME unsentStart() const;  // of what is left of block_

    DiscSession& session_;
    const Transport& transport_;
    SoundQueue& sound_;
    const long bufferFrames_;
    const long silenceFrames_;
    const int blockAlign_;
    unsigned generation_ = 0;  // the core's, of the sound held and sent
    std::optional<REFERENCE_TIME> next_;  // where the next buffer starts; after a flush, at the clock
    std::optional<media::PcmBlock> block_;
    std::size_t used_ = 0;  // frames of block_ already sent
    // Sound sent that the clock has not passed yet: a flush, or the navigator's pause, drops it
    // downstream, so it goes again after one.
    std::deque<media::PcmBlock> sent_;
    std::deque<media::PcmBlock> resend_;
    // The buffer readied: frames from block_, or silence.
    long frames_ = 0;
    bool silence_ = true;
    REFERENCE_TIME stop_ = 0;
};

// Sound travels in buffers of up to this length: each one costs the renderer a thread hop and
// a write into its DirectSound buffer. Silence goes in shorter ones, for the sound of a new
// place may begin that soon after it was sent.
constexpr REFERENCE_TIME audioBufferDuration = 1000000;  // 100 ms
constexpr REFERENCE_TIME silenceDuration = 400000;       // 40 ms
long audioBufferBytes(const WAVEFORMATEX& format);

}  // namespace lumanav
