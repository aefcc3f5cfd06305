#pragma once
// What a navigator pin hands downstream, seen through the platform's sample grabber put
// between the pin and its renderer: every sample's stream times and bytes.

#include "Harness.h"

#include <cstdint>
#include <cstddef>
#include <vector>

namespace navtest {

struct TappedSample {
    REFERENCE_TIME start = 0;
    REFERENCE_TIME stop = 0;
    bool discontinuity = false;
    REFERENCE_TIME arrived = 0;  // when it went downstream, on the machine's steady clock
    std::vector<std::uint8_t> bytes;
};

class PinTap {
public:
    // Put in before the graph first runs; keeps at most `keep` bytes of each sample.
    PinTap(DvdPlayback& playback, const wchar_t* pinName, std::size_t keep = SIZE_MAX);
    ~PinTap();
    PinTap(const PinTap&) = delete;
    PinTap& operator=(const PinTap&) = delete;

    bool ready() const { return ready_; }
    std::vector<TappedSample> samples() const;
    void clear();
    // Holds each sample this long before it goes on, as a renderer too slow for the stream would.
    void delay(DWORD milliseconds);

private:
    class Callback;

    DvdPlayback& playback_;
    ComPtr<IBaseFilter> grabber_;
    ComPtr<Callback> callback_;
    bool ready_ = false;
};

// The audio pin's one format: 16-bit stereo at 48 kHz.
constexpr int soundRate = 48000;
inline std::size_t framesOf(const TappedSample& s) { return s.bytes.size() / 4; }
// The left channel over [from, to) of stream time, silence where nothing was delivered.
std::vector<std::int16_t> leftChannel(const std::vector<TappedSample>& samples, REFERENCE_TIME from, REFERENCE_TIME to);
// A tone's frequency from its zero crossings; 0 for silence.
double toneFrequency(const std::vector<std::int16_t>& left);

}  // namespace navtest
