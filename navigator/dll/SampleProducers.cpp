#include "SampleProducers.h"

#include "DiscSession.h"
#include "Transport.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace lumanav {
namespace {

REFERENCE_TIME fromTicks(std::int64_t ticks) { return ticks * 1000 / 9; }
REFERENCE_TIME framesTime(long long frames) { return frames * 10000000 / media::PcmRate; }
REFERENCE_TIME stopOf(const media::PcmBlock& block)
{
    return fromTicks(block.pts) + framesTime(static_cast<long long>(block.frames()));
}
long framesIn(const WAVEFORMATEX& format, REFERENCE_TIME duration)
{
    return static_cast<long>(static_cast<LONGLONG>(format.nSamplesPerSec) * duration / 10000000);
}

// The audio renderer needs a little in hand to play without gaps. Wine's waits in 10 ms steps
// while it holds 150 ms or more: buffers go out only as far ahead as it takes them at once.
constexpr REFERENCE_TIME soundLead = 1000000;  // 100 ms

}  // namespace

long audioBufferBytes(const WAVEFORMATEX& format)
{
    return framesIn(format, audioBufferDuration) * format.nBlockAlign;
}

AudioProducer::AudioProducer(DiscSession& session, const Transport& transport, SoundQueue& sound,
                             const WAVEFORMATEX& format)
    : session_(session),
      transport_(transport),
      sound_(sound),
      bufferFrames_(framesIn(format, audioBufferDuration)),
      silenceFrames_(framesIn(format, silenceDuration)),
      blockAlign_(format.nBlockAlign)
{
}

REFERENCE_TIME AudioProducer::lead() const { return soundLead; }

SampleProducer::Ready AudioProducer::prepare(REFERENCE_TIME now, REFERENCE_TIME& start, REFERENCE_TIME& stop)
{
    if (!session_.playing()) return Ready::End;
    // The navigator's pause: the renderer would play on what it holds while the graph's clock
    // runs, so the sound stops with the picture and goes on from it afterwards.
    if (transport_.held()) return Ready::Hold;
    // A jump: the new place's sound starts at the clock, not where the old place's had got to
    // ahead of it. This thread may not have seen the flush that goes with the jump yet, while
    // the new place's sound is already queued.
    if (const unsigned current = session_.generation(); current != generation_) {
        generation_ = current;
        next_.reset();
        block_.reset();
        sent_.clear();
        resend_.clear();
    }
    if (!next_) next_ = now;
    while (!sent_.empty() && stopOf(sent_.front()) <= now) sent_.pop_front();
    // Sound whose time has gone by is dropped; sound the silence already covers is cut.
    for (;;) {
        if (!block_) {
            block_ = nextBlock();
            used_ = 0;
        }
        if (!block_) break;
        if (stopOf(*block_) <= *next_) {
            block_.reset();
            continue;
        }
        if (const REFERENCE_TIME at = unsentStart(); at < *next_)
            used_ += static_cast<std::size_t>((*next_ - at) * media::PcmRate / 10000000);
        break;
    }
    start = *next_;
    silence_ = true;
    frames_ = silenceFrames_;
    // With nothing decoded, silence goes no further ahead than the clock: the sound of a new
    // place, or of normal speed again, is decoded a moment after its first pictures, and silence
    // sent ahead would cut its start.
    if (!block_ && start > now) return Ready::Wait;
    if (block_ && used_ < block_->frames()) {
        const REFERENCE_TIME blockStart = unsentStart();
        if (blockStart <= *next_ + silenceDuration / 4) {
            silence_ = false;
            start = std::max(blockStart, *next_);
            frames_ = static_cast<long>(std::min<std::size_t>(block_->frames() - used_, static_cast<std::size_t>(bufferFrames_)));
        } else {
            // Silence up to where the sound starts.
            frames_ = static_cast<long>(std::min<REFERENCE_TIME>(silenceFrames_, (blockStart - *next_) * media::PcmRate / 10000000));
            frames_ = std::max(frames_, 1L);
        }
    }
    stop = start + framesTime(frames_);
    stop_ = stop;
    return Ready::Sample;
}

// Sound sent before a flush comes first, then the queue's.
std::optional<media::PcmBlock> AudioProducer::nextBlock()
{
    if (resend_.empty()) return sound_.take(generation_);
    media::PcmBlock block = std::move(resend_.front());
    resend_.pop_front();
    return block;
}

REFERENCE_TIME AudioProducer::unsentStart() const
{
    return fromTicks(block_->pts) + framesTime(static_cast<long long>(used_));
}

bool AudioProducer::fill(IMediaSample& sample)
{
    BYTE* buffer = nullptr;
    const long bytes = frames_ * blockAlign_;
    if (FAILED(sample.GetPointer(&buffer)) || sample.GetSize() < bytes) return false;
    if (silence_) std::memset(buffer, 0, static_cast<size_t>(bytes));
    else std::memcpy(buffer, block_->samples.data() + used_ * media::PcmChannels, static_cast<size_t>(bytes));
    sample.SetActualDataLength(bytes);
    return true;
}

void AudioProducer::consumed()
{
    next_ = stop_;
    if (!silence_ && block_ && (used_ += static_cast<std::size_t>(frames_)) >= block_->frames()) {
        sent_.push_back(std::move(*block_));
        block_.reset();
    }
}

// The sound goes on from the clock with what was sent ahead of it. After a jump, the next
// readying drops it as the old place's; the block held may already be the new place's first.
void AudioProducer::flush()
{
    next_.reset();
    if (block_) sent_.push_back(std::move(*block_));
    block_.reset();
    resend_.insert(resend_.begin(), std::make_move_iterator(sent_.begin()), std::make_move_iterator(sent_.end()));
    sent_.clear();
}

}  // namespace lumanav
