#include "TrackBar.h"
#include "Application.h"
#include <algorithm>
#include <utility>
#include <commctrl.h>

namespace ui {

TrackBar::TrackBar(Window& parent, const Bounds& bounds, bool tickMarks) : Control(parent)
{
    CreateSystemClass(TRACKBAR_CLASSW,
                      WS_VISIBLE | WS_TABSTOP | TBS_HORZ | TBS_BOTTOM | TBS_FIXEDLENGTH |
                          (tickMarks ? TBS_AUTOTICKS : TBS_NOTICKS),
                      0, L"", bounds);
    position_ = static_cast<int>(SendMessageW(Handle(), TBM_GETPOS, 0, 0));
}

int TrackBar::Min() const
{
    return static_cast<int>(SendMessageW(Handle(), TBM_GETRANGEMIN, 0, 0));
}
int TrackBar::Max() const
{
    return static_cast<int>(SendMessageW(Handle(), TBM_GETRANGEMAX, 0, 0));
}

void TrackBar::SetRange(int min, int max)
{
    SendMessageW(Handle(), TBM_SETRANGEMIN, FALSE, min);
    SendMessageW(Handle(), TBM_SETRANGEMAX, TRUE, max);
    const int current = static_cast<int>(SendMessageW(Handle(), TBM_GETPOS, 0, 0));
    const int clamped = std::clamp(current, min, std::max(min, max));
    if (clamped != current) SendMessageW(Handle(), TBM_SETPOS, TRUE, clamped);
    Changed(false);
}

void TrackBar::SetPosition(int position)
{
    const int min = Min();
    position = std::clamp(position, min, std::max(min, Max()));
    if (position == position_) return;
    SendMessageW(Handle(), TBM_SETPOS, TRUE, position);
    Changed(false);
}

int TrackBar::PageSize() const
{
    return static_cast<int>(SendMessageW(Handle(), TBM_GETPAGESIZE, 0, 0));
}
void TrackBar::SetPageSize(int size) { SendMessageW(Handle(), TBM_SETPAGESIZE, 0, size); }
int TrackBar::LineSize() const
{
    return static_cast<int>(SendMessageW(Handle(), TBM_GETLINESIZE, 0, 0));
}
void TrackBar::SetLineSize(int size) { SendMessageW(Handle(), TBM_SETLINESIZE, 0, size); }
void TrackBar::SetFrequency(int frequency) { SendMessageW(Handle(), TBM_SETTICFREQ, frequency, 0); }

int TrackBar::ThumbLength() const
{
    return static_cast<int>(SendMessageW(Handle(), TBM_GETTHUMBLENGTH, 0, 0));
}

void TrackBar::SetThumbLength(int length) { SendMessageW(Handle(), TBM_SETTHUMBLENGTH, length, 0); }

void TrackBar::Changed(bool byUser)
{
    const int position = static_cast<int>(SendMessageW(Handle(), TBM_GETPOS, 0, 0));
    if (position == position_) return;
    position_ = position;
    // The system's slider repaints only where it reckons the thumb was and is; partly covered,
    // or moved by the program during a drag, it left the old one standing. The whole bar is
    // small.
    InvalidateRect(Handle(), nullptr, TRUE);
    const bool outer = movedByUser_;
    movedByUser_ = byUser;
    Raise(OnChange);
    movedByUser_ = outer;
}

bool TrackBar::HandleReflected(UINT message, WPARAM, LPARAM, LRESULT& result)
{
    if (message != WM_HSCROLL) return false;
    // Every user move (line, page, drag, end of drag) ends here; only real changes count.
    Changed(true);
    result = 0;
    return true;
}

LRESULT MouseBar::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_LBUTTONDOWN: {
        leftHeld_ = true;
        const LRESULT result = TrackBar::HandleMessage(message, wParam, lParam);
        // The system's slider takes no capture for a press beside the thumb: without it the
        // release could land on another window and the press would never end here.
        if (leftHeld_ && GetCapture() != Handle()) SetCapture(Handle());
        return result;
    }
    case WM_LBUTTONUP: {
        const bool held = std::exchange(leftHeld_, false);
        const LRESULT result = TrackBar::HandleMessage(message, wParam, lParam);
        if (held && GetCapture() == Handle()) ReleaseCapture();
        return result;
    }
    case WM_CAPTURECHANGED:
        if (leftHeld_ && reinterpret_cast<HWND>(lParam) != Handle()) {
            leftHeld_ = false;
            MouseUp(MouseButton::Left, 0, -1, -1);
        }
        break;
    }
    return TrackBar::HandleMessage(message, wParam, lParam);
}

} // namespace ui
