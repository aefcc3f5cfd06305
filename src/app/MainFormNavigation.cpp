// Title, chapter and time tracking from the navigator's events, the chapter buttons and the
// seek bar.

#include "app/MainForm.h"
#include "app/Shared.h"
#include "app/SpeedTable.h"
#include "app/TimeText.h"

namespace {

app::Hms HmsOf(const graph::tagDVD_HMSF_TIMECODE& time)
{
    return {time.bHours, time.bMinutes, time.bSeconds};
}

} // namespace

void TMainForm::FilterGraphDVDTitleChange(int title)
{
    TitleLabel.SetCaption(L"Title:  " + std::to_wstring(title));
    FilterGraph.PlayGraph();
    SpeedTrackBar.SetPosition(app::kNormalSpeedPosition);
    GetInfo();
    Initialize();
}

void TMainForm::FilterGraphDVDChapterStart(int chapter)
{
    ChapterLabel.SetCaption(L"Chapter: " + std::to_wstring(chapter));
}

// A menu after a title, or a disc that starts with one: nothing of the last title stays shown,
// and the window takes the menu's picture shape.
void TMainForm::FilterGraphDVDMenuDomain()
{
    ClearTitleDisplay();
    DVD_VideoAttributes video{};
    FilterGraph.Get<IDvdInfo2>()->GetCurrentVideoAttributes(&video);
    StorePictureShape(video);
    Initialize();
}

void TMainForm::ClearTitleDisplay()
{
    TitleLabel.SetCaption(L"Title: ");
    ChapterLabel.SetCaption(L"Chapter:");
    TimeLabel.SetCaption(L"TimeLabel");
}

// Back in a title after a menu: when it is the title that was playing, the navigator tells no
// title change, and the labels come from where it plays.
void TMainForm::FilterGraphDVDTitleDomain()
{
    DVD_PLAYBACK_LOCATION2 location{};
    FilterGraph.Get<IDvdInfo2>()->GetCurrentLocation(&location);
    if (location.TitleNum == 0)
        return;
    TitleLabel.SetCaption(L"Title:  " + std::to_wstring(location.TitleNum));
    if (location.ChapterNum != 0)
        ChapterLabel.SetCaption(L"Chapter: " + std::to_wstring(location.ChapterNum));
}

void TMainForm::PrevChapterButtonClick()
{
    if (!FilterGraph.Active())
        return;
    ComPtr<IDvdCmd> command;
    Navigator()->PlayPrevChapter(DVD_CMD_FLAG_None, &command);
}

void TMainForm::NextChapterButtonClick()
{
    if (!FilterGraph.Active())
        return;
    ComPtr<IDvdCmd> command;
    Navigator()->PlayNextChapter(DVD_CMD_FLAG_None, &command);
}

// A refused query answers 0 (the record starts zeroed).
int TMainForm::GetCurrentTitle()
{
    DVD_PLAYBACK_LOCATION2 location{};
    FilterGraph.Get<IDvdInfo2>()->GetCurrentLocation(&location);
    return static_cast<int>(location.TitleNum);
}

int TMainForm::GetCurrentChapter()
{
    DVD_PLAYBACK_LOCATION2 location{};
    FilterGraph.Get<IDvdInfo2>()->GetCurrentLocation(&location);
    return static_cast<int>(location.ChapterNum);
}

void TMainForm::FilterGraphDVDCurrentHMSFTime(graph::tagDVD_HMSF_TIMECODE HMSFTimeCode,
                                              const graph::tagDVD_TIMECODE&)
{
    TimeLabel.SetCaption(app::TimeText(HmsOf(HMSFTimeCode), HmsOf(TitleLength)));
    dsTrackbar.SetPosition(app::SecondsOf(HmsOf(HMSFTimeCode)));
}

// Only the user's own move of a held thumb jumps: the time events move it too, and a jump to
// the second just shown would hold playback there.
void TMainForm::DSTrackBarChange()
{
    if (!Seeking || !dsTrackbar.MovedByUser() || !FilterGraph.Active())
        return;
    const app::Hms at = app::HmsAt(dsTrackbar.Position());
    DVD_HMSF_TIMECODE time{static_cast<BYTE>(at.hours), static_cast<BYTE>(at.minutes),
                           static_cast<BYTE>(at.seconds), 0};
    ComPtr<IDvdCmd> command;
    Navigator()->PlayAtTimeInTitle(0, &time, DVD_CMD_FLAG_None, &command);
}

void TMainForm::dsTrackbarMouseDown(ui::MouseButton button, ui::ShiftState, int, int)
{
    if (button == ui::MouseButton::Left && FilterGraph.Active())
        Seeking = true;
}

void TMainForm::dsTrackbarMouseUp(ui::MouseButton button, ui::ShiftState, int, int)
{
    if (button == ui::MouseButton::Left)
        Seeking = false;
}
