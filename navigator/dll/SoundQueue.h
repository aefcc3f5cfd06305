#pragma once
// Decoded sound on its way from the thread that reads the disc to the audio pin's thread,
// bounded: when the audio pin falls behind, the oldest sound goes. Each block carries the
// core's generation it was read under, so nothing from before a jump is heard after it.

#include "media/AudioDecoder.h"

#include <deque>
#include <mutex>
#include <optional>
#include <utility>

namespace lumanav {

class SoundQueue {
public:
    void push(media::PcmBlock block, unsigned generation);
    // The next block of this generation; older ones are dropped, newer ones wait.
    std::optional<media::PcmBlock> take(unsigned generation);
    void clear();
    // Where the sound queued so far ends (90 kHz), or nothing since the last clear.
    std::optional<std::int64_t> end();

private:
    static constexpr std::size_t maxFrames = 2 * media::PcmRate;

    std::mutex mutex_;
    std::deque<std::pair<media::PcmBlock, unsigned>> blocks_;
    std::size_t frames_ = 0;
    std::optional<std::int64_t> end_;
};

}  // namespace lumanav
