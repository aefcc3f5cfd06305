#include "SampleProducers.h"

#include "DiscSession.h"
#include "FrameSource.h"

#include <cstring>

namespace lumanav {

VideoProducer::VideoProducer(DiscSession& session, FrameSource& source, long frameBytes, REFERENCE_TIME frameDuration)
    : session_(session), source_(source), frameBytes_(frameBytes), frameDuration_(frameDuration)
{
}

REFERENCE_TIME VideoProducer::produce(IMediaSample& sample)
{
    const auto frame = session_.takeFrame(static_cast<double>(frameDuration_) / 10000000.0);
    session_.publishEvents();
    BYTE* buffer = nullptr;
    if (!frame || FAILED(sample.GetPointer(&buffer)) || sample.GetSize() < frameBytes_) return 0;
    source_.render(*frame, buffer);
    sample.SetActualDataLength(frameBytes_);
    return frameDuration_;
}

long audioBufferBytes(const WAVEFORMATEX& format)
{
    const LONGLONG frames = static_cast<LONGLONG>(format.nSamplesPerSec) * audioBufferDuration / 10000000;
    return static_cast<long>(frames * format.nBlockAlign);
}

AudioProducer::AudioProducer(DiscSession& session, const WAVEFORMATEX& format)
    : session_(session), bufferBytes_(audioBufferBytes(format)), bufferDuration_(audioBufferDuration)
{
}

// The audio renderer needs a little in hand to play without gaps.
REFERENCE_TIME AudioProducer::lead() const { return 5 * bufferDuration_; }

REFERENCE_TIME AudioProducer::produce(IMediaSample& sample)
{
    BYTE* buffer = nullptr;
    if (!session_.playing() || FAILED(sample.GetPointer(&buffer)) || sample.GetSize() < bufferBytes_) return 0;
    std::memset(buffer, 0, static_cast<size_t>(bufferBytes_));
    sample.SetActualDataLength(bufferBytes_);
    return bufferDuration_;
}

}  // namespace lumanav
