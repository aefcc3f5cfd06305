#pragma once
// The control bar of a running player, found by what a person sees on it.
#include "Driver.h"

#include <string>

namespace e2e {

// Tool-bar positions, separators included, left to right.
enum ToolIndex {
    tbPlay = 0, tbPause = 1, tbStop = 2, tbPrevChapter = 4, tbNextChapter = 5, tbRootMenu = 7,
    tbTitleMenu = 8, tbAudio = 10, tbSubpicture = 11, tbChapter = 12, tbFullScreen = 14, tbOpen = 16,
    tbEject = 18, tbSettings = 20, tbInfo = 22, tbMute = 24, tbAbout = 26
};

class ControlBar {
public:
    explicit ControlBar(const Player& player);

    HWND Window() const { return window_; }
    HWND ToolBar() const { return toolbar_; }
    HWND SpeedSlider() const { return speed_; }
    HWND SeekBar() const { return seek_; }
    HWND VolumeSlider() const { return volume_; }

    std::wstring TitleText() const;
    std::wstring ChapterText() const;
    std::wstring TimeText() const;
    std::wstring SpeedText() const;
    std::wstring VolumeText() const;
    // Seconds shown before the slash of the time label, or -1 before the first time event.
    int ElapsedSeconds() const;

    void Press(ToolIndex button) const;
    void PressArrow(ToolIndex button) const; // the drop-down arrow of Play or Eject
    // Drags the seek bar's thumb to screen column x with the mouse, as a person would.
    void DragSeekThumbTo(int x) const;

private:
    std::wstring LabelStarting(const std::wstring& prefix) const;

    HWND window_, toolbar_, speed_, seek_, volume_;
};

// A click on a slider's channel beside the thumb moves it one page toward the pointer.
void StepSlider(HWND slider, bool up);
// Plays the sample disc from the default drive up to its first title, as a person would:
// Play, then the first button of the disc's menu clicked on the picture.
void PlayFirstTitle(const Player& player, const ControlBar& bar);
// Moves the video window, once sized to the sample disc's 4:3 pictures, off the control bar.
void MoveVideoAside(const Player& player);
// The renderer's window, when shown: inside the video window while windowed, on its own in
// full screen.
HWND RendererWindow(const Player& player);
// The point of the video window over a point of the picture's 720 × 576 source.
POINT PicturePoint(HWND videoWindow, int x, int y);

} // namespace e2e
