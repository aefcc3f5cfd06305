#pragma once
// What the audio pin carries until the disc's sound is decoded: silence in the disc's audio
// format, so the audio renderer, its clock and its volume control are real.

#include "StreamWorker.h"

#include <optional>

namespace lumanav {

class DiscSession;

class AudioProducer final : public SampleProducer {
public:
    AudioProducer(DiscSession& session, const WAVEFORMATEX& format);
    REFERENCE_TIME lead() const override;
    Ready prepare(REFERENCE_TIME now, REFERENCE_TIME& start, REFERENCE_TIME& stop) override;
    bool fill(IMediaSample& sample) override;
    void consumed() override;
    void flush() override { next_.reset(); }

private:
    DiscSession& session_;
    const long bufferBytes_;
    const REFERENCE_TIME bufferDuration_;
    std::optional<REFERENCE_TIME> next_;  // where the next buffer starts; after a flush, at the clock
};

// Audio travels in buffers of this length.
constexpr REFERENCE_TIME audioBufferDuration = 400000;  // 40 ms
long audioBufferBytes(const WAVEFORMATEX& format);

}  // namespace lumanav
