#pragma once
// What the two pins carry: pictures of what plays, one per frame, each moving playback on
// by its duration; and silence in the disc's audio format, so the audio renderer, its clock
// and its volume control are real.

#include "StreamWorker.h"

namespace lumanav {

class DiscSession;
class FrameSource;

class VideoProducer final : public SampleProducer {
public:
    VideoProducer(DiscSession& session, FrameSource& source, long frameBytes, REFERENCE_TIME frameDuration);
    REFERENCE_TIME lead() const override { return frameDuration_; }
    REFERENCE_TIME produce(IMediaSample& sample) override;

private:
    DiscSession& session_;
    FrameSource& source_;
    const long frameBytes_;
    const REFERENCE_TIME frameDuration_;
};

class AudioProducer final : public SampleProducer {
public:
    AudioProducer(DiscSession& session, const WAVEFORMATEX& format);
    REFERENCE_TIME lead() const override;
    REFERENCE_TIME produce(IMediaSample& sample) override;

private:
    DiscSession& session_;
    const long bufferBytes_;
    const REFERENCE_TIME bufferDuration_;
};

// Audio travels in buffers of this length.
constexpr REFERENCE_TIME audioBufferDuration = 400000;  // 40 ms
long audioBufferBytes(const WAVEFORMATEX& format);

}  // namespace lumanav
