#pragma once
// The VOBUs' time stamps on one continuous line of 90 kHz ticks, as the graph's stream time
// wants them: the stamps start again with cells and jumps, the line does not. Each VOBU
// follows the one before it, unless the line has fallen well behind the clock (a jump, a
// still, a stall): then it starts at the clock.

#include <cstdint>
#include <optional>

namespace nav {

class StreamLine {
public:
    // Places a VOBU whose own stamps run from startPtm to endPtm; `now` is the clock on the
    // line. Answers where the VOBU starts.
    std::int64_t begin(std::uint32_t startPtm, std::uint32_t endPtm, std::int64_t now);
    // A time stamp of the VOBU begun last (33 bits, as packets carry them), on the line.
    std::int64_t place(std::int64_t pts) const;
    // The next VOBU starts at the clock: after a jump. Faster than normal, the stamps'
    // distances shrink by the rate.
    void restart(double rate = 1.0)
    {
        end_.reset();
        rate_ = rate;
    }

private:
    std::int64_t scaled(std::int64_t ticks) const;

    std::optional<std::int64_t> end_;
    std::int64_t start_ = 0;
    std::uint32_t startPtm_ = 0;
    double rate_ = 1.0;
};

}  // namespace nav
