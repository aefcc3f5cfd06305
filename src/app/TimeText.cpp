#include "app/TimeText.h"

namespace app {

std::wstring FillZero(std::wstring text, std::uint8_t width)
{
    if (text.size() < width)
        text.insert(0, width - text.size(), L'0');
    return text;
}

namespace {
std::wstring TwoDigits(unsigned value)
{
    return FillZero(std::to_wstring(value), 2);
}
} // namespace

std::wstring TimeText(Hms elapsed, Hms total)
{
    return TwoDigits(elapsed.hours) + L":" + TwoDigits(elapsed.minutes) + L":" + TwoDigits(elapsed.seconds) + L"/" +
           TwoDigits(total.hours) + L":" + TwoDigits(total.minutes) + L":" + TwoDigits(total.seconds);
}

int SecondsOf(Hms time)
{
    return static_cast<int>(time.hours * 3600 + time.minutes * 60 + time.seconds);
}

Hms HmsAt(int seconds)
{
    const unsigned p = seconds < 0 ? 0u : static_cast<unsigned>(seconds);
    const unsigned hours = p / 3600;
    const unsigned minutes = (p - hours * 3600) / 60;
    return {hours, minutes, p - hours * 3600 - minutes * 60};
}

} // namespace app
