#pragma once

namespace app {

enum class SpeedDirection { Backward, Pause, Forward };

// One position of the nine-step speed slider.
struct SpeedStep {
    SpeedDirection direction;
    double rate;           // multiple of normal speed; unused for the pause step
    const wchar_t* label;  // the speed label's text at this position
};

constexpr int kPausePosition = 4;
constexpr int kNormalSpeedPosition = 5;
constexpr int kDoubleSpeedPosition = 6;

// The step at a slider position 0..8.
const SpeedStep& SpeedStepAt(int position);
// The position playing at a signed rate (negative backwards); -1 when no step has it.
int SpeedPositionOf(double rate);

} // namespace app
