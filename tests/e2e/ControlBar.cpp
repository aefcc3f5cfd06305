#include "ControlBar.h"

#include <gtest/gtest.h>

#include <cwctype>
#include <stdexcept>

namespace e2e {

ControlBar::ControlBar(const Player& player) : window_(player.MainWindow())
{
    if (!window_) throw std::runtime_error("no control bar");
    toolbar_ = Children(window_, L"ToolbarWindow32").at(0);
    // In reading order: speed (top 28), seek bar (top 35), volume (top 45).
    auto sliders = Children(window_, L"msctls_trackbar32");
    if (sliders.size() != 3) throw std::runtime_error("expected three sliders");
    speed_ = sliders[0];
    seek_ = sliders[1];
    volume_ = sliders[2];
}

std::wstring ControlBar::LabelStarting(const std::wstring& prefix) const
{
    HWND label = ChildWithText(window_, L"Static", prefix);
    return label ? Text(label) : L"";
}

std::wstring ControlBar::TitleText() const { return LabelStarting(L"Title:"); }
std::wstring ControlBar::ChapterText() const { return LabelStarting(L"Chapter:"); }
std::wstring ControlBar::VolumeText() const { return LabelStarting(L"Volume:"); }

std::wstring ControlBar::SpeedText() const
{
    std::wstring text = LabelStarting(L"Speed:");
    return text.empty() ? LabelStarting(L"Paused") : text;
}

std::wstring ControlBar::TimeText() const
{
    for (HWND label : Children(window_, L"Static")) {
        std::wstring text = Text(label);
        if (text == L"TimeLabel" || (text.size() > 2 && text[2] == L':')) return text;
    }
    return L"";
}

int ControlBar::ElapsedSeconds() const
{
    std::wstring text = TimeText();
    if (text.size() < 8 || !std::iswdigit(text[0])) return -1;
    return std::stoi(text.substr(0, 2)) * 3600 + std::stoi(text.substr(3, 2)) * 60 +
           std::stoi(text.substr(6, 2));
}

void ControlBar::Press(ToolIndex button) const
{
    RECT rect = ToolButtonRect(toolbar_, button);
    // Left part of a drop-down button: the button itself, not its arrow.
    Click({rect.left + 8, (rect.top + rect.bottom) / 2});
}

void ControlBar::PressArrow(ToolIndex button) const
{
    RECT rect = ToolButtonRect(toolbar_, button);
    Click({rect.right - 4, (rect.top + rect.bottom) / 2});
}

void ControlBar::DragSeekThumbTo(int x) const
{
    const RECT channel = ScreenRect(seek_);
    const int thumbX = channel.left + 10 + (channel.right - channel.left - 20) * SliderPosition(seek_) / SliderMax(seek_);
    const int y = (channel.top + channel.bottom) / 2;
    MoveTo({thumbX, y});
    INPUT press{};
    press.type = INPUT_MOUSE;
    press.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    SendInput(1, &press, sizeof press);
    const int step = x < thumbX ? -10 : 10;
    for (int at = thumbX; (x - at) * step > 0; at += step) MoveTo({at, y});
    MoveTo({x, y});
    INPUT release = press;
    release.mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(1, &release, sizeof release);
}

void StepSlider(HWND slider, bool up)
{
    RECT thumb = SliderThumbRect(slider);
    const int y = (thumb.top + thumb.bottom) / 2;
    Click({up ? thumb.right + 4 : thumb.left - 4, y});
}

HWND RendererWindow(const Player& player)
{
    // Only a shown one: a renderer whose window has gone shows nothing, wherever it lies.
    HWND inside = ChildWithText(player.VideoWindow(), L"wine_quartz_window", L"VideoWindow");
    if (inside && IsWindowVisible(inside)) return inside;
    for (HWND window : player.TopLevelWindows())
        if (Text(window) == L"VideoWindow" && IsWindowVisible(window)) return window;
    return nullptr;
}

POINT PicturePoint(HWND videoWindow, int x, int y)
{
    RECT client{};
    GetClientRect(videoWindow, &client);
    POINT point{client.right * x / 720, client.bottom * y / 576};
    ClientToScreen(videoWindow, &point);
    return point;
}

void PlayFirstTitle(const Player& player, const ControlBar& bar)
{
    bar.Press(tbPlay);
    ASSERT_TRUE(WaitFor([&] { return player.VideoWindow() != nullptr; }));
    // The disc's first play ends in its menu; its first button names title 1.
    Sleep(1500);
    Click(PicturePoint(player.VideoWindow(), 360, 230));
    ASSERT_TRUE(WaitFor([&] { return bar.TitleText() == L"Title:  1"; }));
    ASSERT_TRUE(WaitFor([&] { return bar.ChapterText() == L"Chapter: 1"; }));
    MoveVideoAside(player);
}

void MoveVideoAside(const Player& player)
{
    // The first picture sizes the video window to its shape, over the control bar.
    HWND video = player.VideoWindow();
    ASSERT_TRUE(WaitFor([&] {
        RECT client{};
        GetClientRect(video, &client);
        return client.right == 768;  // 576 lines at 4:3
    }));
    SetWindowPos(video, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    WaitFor([&] { return ScreenRect(video).top == 0; }, 3000);
}

} // namespace e2e
