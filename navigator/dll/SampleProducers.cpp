#include "SampleProducers.h"

#include "DiscSession.h"

#include <cstring>

namespace lumanav {

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

SampleProducer::Ready AudioProducer::prepare(REFERENCE_TIME now, REFERENCE_TIME& start, REFERENCE_TIME& stop)
{
    if (!session_.playing()) return Ready::End;
    if (!next_) next_ = now;
    start = *next_;
    stop = start + bufferDuration_;
    return Ready::Sample;
}

bool AudioProducer::fill(IMediaSample& sample)
{
    BYTE* buffer = nullptr;
    if (FAILED(sample.GetPointer(&buffer)) || sample.GetSize() < bufferBytes_) return false;
    std::memset(buffer, 0, static_cast<size_t>(bufferBytes_));
    sample.SetActualDataLength(bufferBytes_);
    return true;
}

void AudioProducer::consumed() { next_ = next_.value_or(0) + bufferDuration_; }

}  // namespace lumanav
