#include "SoundQueue.h"

namespace lumanav {

void SoundQueue::push(media::PcmBlock block)
{
    std::lock_guard lock(mutex_);
    frames_ += block.frames();
    end_ = block.pts + static_cast<std::int64_t>(block.frames()) * 90000 / media::PcmRate;
    blocks_.push_back(std::move(block));
    while (frames_ > maxFrames && blocks_.size() > 1) {
        frames_ -= blocks_.front().frames();
        blocks_.pop_front();
    }
}

std::optional<media::PcmBlock> SoundQueue::take()
{
    std::lock_guard lock(mutex_);
    if (blocks_.empty()) return std::nullopt;
    media::PcmBlock block = std::move(blocks_.front());
    blocks_.pop_front();
    frames_ -= block.frames();
    return block;
}

void SoundQueue::clear()
{
    std::lock_guard lock(mutex_);
    blocks_.clear();
    frames_ = 0;
    end_.reset();
}

std::optional<std::int64_t> SoundQueue::end()
{
    std::lock_guard lock(mutex_);
    return end_;
}

}  // namespace lumanav
