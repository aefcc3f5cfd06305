#include "core/StreamLine.h"

#include <algorithm>

namespace nav {
namespace {

// NAV packs keep the low 32 bits of the 33-bit stamps; distances within a VOBU are short.
constexpr std::int64_t Wrap = std::int64_t{1} << 32;
// No VOBU lasts longer; stamps claiming so are damaged.
constexpr std::int64_t LongestVobu = 2 * 90000;
// A VOBU read this late still follows the one before: its first pictures show late and the
// rest keep the pace, where starting again at the clock would lose the lateness for good at
// every VOBU. Later than this, a still or a stall came between.
constexpr std::int64_t Slack = 90000 / 5;

// The distance between two stamps of one VOBU, across the wrap of the counter.
std::int64_t distance(std::int64_t from, std::int64_t to)
{
    std::int64_t d = (to - from) % Wrap;
    if (d < 0) d += Wrap;
    return d >= Wrap / 2 ? d - Wrap : d;
}

}  // namespace

std::int64_t StreamLine::scaled(std::int64_t ticks) const
{
    return rate_ == 1.0 ? ticks : static_cast<std::int64_t>(static_cast<double>(ticks) / rate_);
}

std::int64_t StreamLine::begin(std::uint32_t startPtm, std::uint32_t endPtm, std::int64_t now)
{
    start_ = end_ && *end_ + Slack >= now ? *end_ : now;
    startPtm_ = startPtm;
    end_ = start_ + scaled(std::clamp<std::int64_t>(distance(startPtm, endPtm), 0, LongestVobu));
    return start_;
}

std::int64_t StreamLine::place(std::int64_t pts) const
{
    return start_ + scaled(distance(startPtm_, pts));
}

}  // namespace nav
