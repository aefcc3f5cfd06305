#include "app/SpeedTable.h"

#include <iterator>
#include <stdexcept>

namespace app {
namespace {

// "Speed: 6x" has no space before the x: the label has always read that way.
constexpr SpeedStep kSteps[] = {
    {SpeedDirection::Backward, 8.0, L"Speed: -8 x"},
    {SpeedDirection::Backward, 6.0, L"Speed: -6 x"},
    {SpeedDirection::Backward, 4.0, L"Speed: -4 x"},
    {SpeedDirection::Backward, 2.0, L"Speed: -2 x"},
    {SpeedDirection::Pause, 0.0, L"Paused"},
    {SpeedDirection::Forward, 1.0, L"Speed: 1 x"},
    {SpeedDirection::Forward, 2.0, L"Speed: 2 x"},
    {SpeedDirection::Forward, 4.0, L"Speed: 4 x"},
    {SpeedDirection::Forward, 6.0, L"Speed: 6x"},
};

} // namespace

const SpeedStep& SpeedStepAt(int position)
{
    if (position < 0 || position >= static_cast<int>(std::size(kSteps)))
        throw std::out_of_range("speed position");
    return kSteps[position];
}

int SpeedPositionOf(double rate)
{
    for (int position = 0; position < static_cast<int>(std::size(kSteps)); ++position) {
        const SpeedStep& step = kSteps[position];
        const double signedRate = step.direction == SpeedDirection::Backward ? -step.rate : step.rate;
        if (step.direction != SpeedDirection::Pause && signedRate == rate)
            return position;
    }
    return -1;
}

} // namespace app
