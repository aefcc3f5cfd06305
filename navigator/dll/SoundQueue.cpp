#include "SoundQueue.h"

namespace lumanav {

void SoundQueue::push(media::PcmBlock block, unsigned generation)
{
    std::lock_guard lock(mutex_);
    frames_ += block.frames();
    end_ = block.pts + static_cast<std::int64_t>(block.frames()) * 90000 / media::PcmRate;
    blocks_.emplace_back(std::move(block), generation);
    while (frames_ > maxFrames && blocks_.size() > 1) {
        frames_ -= blocks_.front().first.frames();
        blocks_.pop_front();
    }
}

std::optional<media::PcmBlock> SoundQueue::take(unsigned generation)
{
    std::lock_guard lock(mutex_);
    while (!blocks_.empty()) {
        const unsigned read = blocks_.front().second;
        if (static_cast<int>(read - generation) > 0) break;
        media::PcmBlock block = std::move(blocks_.front().first);
        blocks_.pop_front();
        frames_ -= block.frames();
        if (read == generation) return block;
    }
    return std::nullopt;
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
