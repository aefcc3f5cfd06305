// Speed, volume and mute; the keyboard, the wheel and the window background.

#include "app/AboutForm.h"
#include "app/Forms.h"
#include "app/MainForm.h"
#include "app/Shared.h"
#include "app/SpeedTable.h"
#include "settings/SettingsForm.h"
#include "video/PreviewForm.h"

namespace {

constexpr int kMutedImage = ui::glyph::Muted;
constexpr int kSoundImage = ui::glyph::Loudspeaker;

enum WheelFunction { WindowSize = 0, Speed = 1, Volume = 2, Chapter = 3 };

} // namespace

void TMainForm::SpeedTrackBarChange()
{
    if (!FilterGraph.Active())
        return;
    const int position = SpeedTrackBar.Position();
    const app::SpeedStep& step = app::SpeedStepAt(position);
    if (followingNavigatorRate_) {
        SpeedLabel.SetCaption(step.label);
        return;
    }
    if (step.direction == app::SpeedDirection::Pause) {
        FilterGraph.PauseGraph();
        SpeedLabel.SetCaption(step.label);
        return;
    }
    // Run first, so that a rate chosen while paused takes effect on a running graph.
    FilterGraph.PlayGraph();
    const ComPtr<IDvdControl2> navigator = Navigator();
    ComPtr<IDvdCmd> command;
    const HRESULT result = step.direction == app::SpeedDirection::Forward
                               ? navigator->PlayForwards(step.rate, DVD_CMD_FLAG_None, &command)
                               : navigator->PlayBackwards(step.rate, DVD_CMD_FLAG_None, &command);
    // Discs may forbid double speed; fall back to normal speed (this handler runs again).
    if (position == app::kDoubleSpeedPosition && result == VFW_E_DVD_OPERATION_INHIBITED) {
        SpeedTrackBar.SetPosition(app::kNormalSpeedPosition);
        return;
    }
    SpeedLabel.SetCaption(step.label);
}

// Backward play that reaches the title's start, or a title ending into a menu, changes the rate
// without the slider.
void TMainForm::FilterGraphDVDPlaybackRateChange(float rate)
{
    const int position = app::SpeedPositionOf(rate);
    if (position < 0)
        return;
    followingNavigatorRate_ = true;
    SpeedTrackBar.SetPosition(position);
    followingNavigatorRate_ = false;
}

void TMainForm::VolumeTrackBarChange()
{
    FilterGraph.SetVolume(VolumeTrackBar.Position());
    // The label shows what the graph reports, not the slider.
    VolumeLabel.SetCaption(L"Volume: " + std::to_wstring(FilterGraph.Volume() / 100) + L"%");
}

// The slider's own arrow step of 1 follows, so a press moves one percent in all.
void TMainForm::VolumeTrackBarKeyDown(WORD& key, ui::ShiftState)
{
    const int step = VolumeTrackBar.Max() / 101;
    if (key == VK_LEFT)
        VolumeTrackBar.SetPosition(VolumeTrackBar.Position() - step);
    else if (key == VK_RIGHT)
        VolumeTrackBar.SetPosition(VolumeTrackBar.Position() + step);
}

void TMainForm::MuteButtonClick()
{
    if (MuteButton.ImageIndex() == kSoundImage) {
        MuteButton.SetImageIndex(kMutedImage);
        SavedVolume = static_cast<std::uint16_t>(FilterGraph.Volume());
        FilterGraph.SetVolume(0);
        VolumeTrackBar.SetPosition(0);
        MuteButton.SetDown(true);
    } else {
        MuteButton.SetImageIndex(kSoundImage);
        if (SavedVolume == 0)
            SavedVolume = 10000;
        FilterGraph.SetVolume(SavedVolume);
        VolumeTrackBar.SetPosition(FilterGraph.Volume());
        MuteButton.SetDown(false);
    }
}

void TMainForm::FormKeyDown(WORD& key, ui::ShiftState shift)
{
    if (key != VK_RETURN || shift != ui::ssAlt)
        return;
    FullScreenButtonClick();
    PreviewForm->VideoWindow.SetFullScreenTopMost(true);
}

void TMainForm::FormMouseWheel(ui::ShiftState, int wheelDelta, POINT, bool& handled)
{
    handled = true;
    if (wheelDelta == 0)
        return;
    switch (SettingsForm->MouseWheelComboBox.ItemIndex()) {
    case WindowSize:
        PreviewForm->SetClientWidth(PreviewForm->ClientWidth() + wheelDelta / 4);
        break;
    case Speed:
        SpeedTrackBar.SetPosition(SpeedTrackBar.Position() + (wheelDelta < 0 ? -1 : 1));
        break;
    case Volume:
        VolumeTrackBar.SetPosition(VolumeTrackBar.Position() + wheelDelta);
        break;
    case Chapter:
        (wheelDelta < 0 ? PrevChapterButton : NextChapterButton).Click();
        break;
    }
}

// Dragging the window is no seek: the time events that the system's move loop delivers must
// not jump, so the flag is left alone. The information box lets presses through to the window,
// but a press there is no press on the background.
void TMainForm::FormMouseDown(ui::MouseButton, ui::ShiftState, int x, int y)
{
    const RECT box{GroupBox1.Left(), GroupBox1.Top(), GroupBox1.Left() + GroupBox1.Width(),
                   GroupBox1.Top() + GroupBox1.Height()};
    if (PtInRect(&box, POINT{x, y}))
        return;
    StartDrag();
}

void TMainForm::FormMouseUp(ui::MouseButton, ui::ShiftState, int, int)
{
    Seeking = false;
}

void TMainForm::ToolButton7Click()
{
    AboutForm->ShowModal();
}
