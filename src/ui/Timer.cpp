#include "Timer.h"
#include "Application.h"

namespace ui {

namespace {
constexpr UINT_PTR timerId = 1;
}

Timer::Timer(UINT interval, bool enabled) : interval_(interval)
{
    RegisterWindowClass(L"LumadiscTimer", 0, nullptr, nullptr);
    CreateOwnClass(L"LumadiscTimer", 0, 0, L"", 0, 0, 0, 0, HWND_MESSAGE);
    SetEnabled(enabled);
}

void Timer::SetInterval(UINT milliseconds)
{
    interval_ = milliseconds;
    if (enabled_) Start();
}

void Timer::SetEnabled(bool enabled)
{
    if (enabled == enabled_) return;
    enabled_ = enabled;
    if (enabled) {
        Start();
    } else {
        KillTimer(Handle(), timerId); // also drops a WM_TIMER already waiting
    }
}

void Timer::Start()
{
    // Setting an existing timer again starts its countdown afresh.
    if (interval_ > 0)
        SetTimer(Handle(), timerId, interval_, nullptr);
    else
        KillTimer(Handle(), timerId);
}

LRESULT Timer::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER && wParam == timerId) {
        if (enabled_) Raise(OnTimer);
        return 0;
    }
    return Window::HandleMessage(message, wParam, lParam);
}

} // namespace ui
