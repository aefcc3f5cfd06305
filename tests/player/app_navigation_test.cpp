#include "app/MainForm.h"
#include "app/Shared.h"
#include "info/InfoForm.h"
#include "support/MessagePump.h"
#include "support/PlayerFixture.h"
#include "video/PreviewForm.h"

#include <commctrl.h>
#include <gmock/gmock.h>

namespace {

using ::testing::ElementsAre;
using testsupport::PlayerFixture;

class Navigation : public PlayerFixture {
protected:
    // A title of the given length, one audio stream, two chapters, 720 x 576.
    void ScriptTitle(BYTE hours, BYTE minutes, BYTE seconds)
    {
        dvd.script.totalTitleTime = {hours, minutes, seconds, 0};
        dvd.script.audioStreams = 1;
        dvd.script.audioLanguages = {{0, 0x0409}};
        dvd.script.audioAttributes[0] = {};
        dvd.script.chapters = {{1, 2}};
        dvd.script.videoAttributes.ulSourceResolutionX = 720;
        dvd.script.videoAttributes.ulSourceResolutionY = 576;
    }

    void Time(BYTE hours, BYTE minutes, BYTE seconds)
    {
        Deliver(EC_DVD_CURRENT_HMSF_TIME, hours | minutes << 8 | seconds << 16, DVD_TC_FLAG_25fps);
    }

    void PressSeekBar(UINT down, WPARAM keys, int x)
    {
        SendMessageW(MainForm->dsTrackbar.Handle(), down, keys, MAKELPARAM(x, 10));
    }

    int ThumbCentre()
    {
        RECT thumb{};
        SendMessageW(MainForm->dsTrackbar.Handle(), TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&thumb));
        return (thumb.left + thumb.right) / 2;
    }
};

TEST_F(Navigation, TitleChangeRunsLabelSpeedRefreshAndSizingInThatOrder)
{
    ScriptTitle(1, 0, 0);
    StartPlayback();
    MainForm->SpeedTrackBar.SetPosition(2);  // playing backwards when the title changes
    const size_t mark = dvd.Log().size();

    Deliver(EC_DVD_TITLE_CHANGE, 12, 0);

    EXPECT_EQ(MainForm->TitleLabel.Caption(), L"Title:  12");
    const auto calls = LogFrom(mark);
    ASSERT_GE(calls.size(), 2u);
    EXPECT_EQ(calls[0], "PlayForwards(1.0)");
    EXPECT_EQ(calls[1], "GetCurrentVideoAttributes");
    EXPECT_EQ(MainForm->SpeedLabel.Caption(), L"Speed: 1 x");
    EXPECT_EQ(MainForm->AudioButtonMenu.Items().Count(), 1);
    EXPECT_EQ(MainForm->ChapterButtonMenu.Items().Count(), 2);
    EXPECT_EQ(InfoForm->InfoMemo.Lines().at(0), L"Video resolution:\t720x576");
    EXPECT_EQ(PreviewForm->ClientWidth(), 720);
    EXPECT_EQ(PreviewForm->ClientHeight(), 576);
}

TEST_F(Navigation, TitleZeroAndChapterStartsChangeOnlyTheirLabels)
{
    StartPlayback();
    Deliver(EC_DVD_TITLE_CHANGE, 0, 0);
    EXPECT_EQ(MainForm->TitleLabel.Caption(), L"Title:  0");
    const size_t mark = dvd.Log().size();
    Deliver(EC_DVD_CHAPTER_START, 7, 0);
    EXPECT_EQ(MainForm->ChapterLabel.Caption(), L"Chapter: 7");
    EXPECT_EQ(MainForm->TitleLabel.Caption(), L"Title:  0");
    EXPECT_TRUE(LogFrom(mark).empty());
}

TEST_F(Navigation, FailingRunInATitleChangeKeepsTheLabelAndSkipsTheRest)
{
    ScriptTitle(0, 30, 0);
    StartPlayback();
    MainForm->SpeedTrackBar.SetPosition(3);
    // From stopped the graph pauses its filters first; a refused pause fails the run.
    MainForm->FilterGraph.StopGraph();
    dvd.script.navigatorFilter.pauseResult = E_FAIL;
    const size_t mark = dvd.Log().size();

    Deliver(EC_DVD_TITLE_CHANGE, 4, 0);

    EXPECT_EQ(MainForm->TitleLabel.Caption(), L"Title:  4");
    EXPECT_TRUE(LogFrom(mark).empty());  // no speed change, no refresh
    EXPECT_EQ(MainForm->SpeedTrackBar.Position(), 3);
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].type, MB_OK | MB_ICONSTOP | MB_APPLMODAL);
    EXPECT_NE(dialogs.boxes[0].text.find(L"($80004005)."), std::wstring::npos);
}

TEST_F(Navigation, ChapterButtonsStepWhileActive)
{
    StartPlayback();
    MainForm->PrevChapterButtonClick();
    MainForm->NextChapterButton.Click();
    EXPECT_TRUE(dvd.Called("PlayPrevChapter"));
    EXPECT_TRUE(dvd.Called("PlayNextChapter"));
    EXPECT_EQ(dvd.LiveCommands(), 0);
}

TEST_F(Navigation, CurrentTitleAndChapterComeFromTheLocationAndFailWhenIdle)
{
    StartPlayback();
    dvd.script.location.TitleNum = 3;
    dvd.script.location.ChapterNum = 9;
    EXPECT_EQ(MainForm->GetCurrentTitle(), 3);
    EXPECT_EQ(MainForm->GetCurrentChapter(), 9);
    dvd.script.results["GetCurrentLocation"] = E_FAIL;
    EXPECT_EQ(MainForm->GetCurrentTitle(), 0);
    MainForm->StopButtonClick();
    EXPECT_THROW(MainForm->GetCurrentChapter(), std::exception);
}

TEST_F(Navigation, TimeEventsShowElapsedAndTotalAndMoveTheThumb)
{
    StartPlayback();
    Time(0, 5, 7);
    EXPECT_EQ(MainForm->TimeLabel.Caption(), L"00:05:07/00:00:00");
    EXPECT_EQ(MainForm->dsTrackbar.Position(), 0);  // no refresh yet: the maximum is 0

    ScriptTitle(1, 52, 33);
    MainForm->GetInfo();
    EXPECT_EQ(MainForm->dsTrackbar.Max(), 1 * 3600 + 52 * 60 + 33);
    Time(0, 5, 7);
    EXPECT_EQ(MainForm->TimeLabel.Caption(), L"00:05:07/01:52:33");
    EXPECT_EQ(MainForm->dsTrackbar.Position(), 307);
    EXPECT_FALSE(dvd.Called("PlayAtTimeInTitle(0,0:5:7.0)"));  // nobody is seeking

    Time(123, 4, 5);  // beyond the title: the label tells the truth, the thumb stops at the end
    EXPECT_EQ(MainForm->TimeLabel.Caption(), L"123:04:05/01:52:33");
    EXPECT_EQ(MainForm->dsTrackbar.Position(), MainForm->dsTrackbar.Max());
}

TEST_F(Navigation, DraggingTheThumbJumpsWhereItIsMovedButTimeEventsNeverJump)
{
    ScriptTitle(2, 0, 0);
    StartPlayback();
    MainForm->GetInfo();
    const int thumb = ThumbCentre();
    PressSeekBar(WM_LBUTTONDOWN, MK_LBUTTON, thumb);
    SendMessageW(MainForm->dsTrackbar.Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(thumb + 100, 10));
    const int dragged = MainForm->dsTrackbar.Position();
    ASSERT_GT(dragged, 0);
    EXPECT_EQ(CallsNamed("PlayAtTimeInTitle"), 1);
    EXPECT_EQ(dvd.LiveCommands(), 0);

    // The thumb follows playback while held; a jump to each second shown would hold it there.
    Time(0, 0, 10);
    Time(0, 0, 11);
    EXPECT_EQ(MainForm->dsTrackbar.Position(), 11);
    EXPECT_EQ(CallsNamed("PlayAtTimeInTitle"), 1);
    PressSeekBar(WM_LBUTTONUP, 0, thumb + 100);
    EXPECT_FALSE(Seeking);
}

TEST_F(Navigation, APressEndsWhenTheMouseIsTakenAwayOrANewPlaybackStarts)
{
    ScriptTitle(2, 0, 0);
    StartPlayback();
    MainForm->GetInfo();
    // Beside the thumb the system's slider takes no capture; the bar takes it so the release
    // comes back wherever it lands.
    PressSeekBar(WM_LBUTTONDOWN, MK_LBUTTON, 300);
    EXPECT_EQ(GetCapture(), MainForm->dsTrackbar.Handle());
    EXPECT_TRUE(Seeking);
    SetCapture(MainForm->Handle());  // as a modal box or a pop-up menu does
    EXPECT_FALSE(Seeking);
    ReleaseCapture();
    SendMessageW(MainForm->dsTrackbar.Handle(), WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(CallsNamed("PlayAtTimeInTitle"), 1);  // the page step of the press only

    PressSeekBar(WM_LBUTTONDOWN, MK_LBUTTON, 300);
    EXPECT_TRUE(Seeking);
    MainForm->StopButtonClick();
    MainForm->PlayButtonClick();
    EXPECT_FALSE(Seeking);
    PressSeekBar(WM_LBUTTONUP, 0, 300);
    EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(Navigation, AClickOnTheChannelPagesTowardThePointerAndJumps)
{
    ScriptTitle(2, 0, 0);
    StartPlayback();
    MainForm->GetInfo();
    PressSeekBar(WM_LBUTTONDOWN, MK_LBUTTON, 300);  // on the channel, right of the thumb
    PressSeekBar(WM_LBUTTONUP, 0, 300);
    EXPECT_EQ(MainForm->dsTrackbar.Position(), 100);
    EXPECT_TRUE(dvd.Called("PlayAtTimeInTitle(0,0:1:40.0)"));
    EXPECT_FALSE(Seeking);
}

TEST_F(Navigation, KeyboardMovesAndRightPressesDoNotJump)
{
    ScriptTitle(2, 0, 0);
    StartPlayback();
    MainForm->GetInfo();
    SendMessageW(MainForm->dsTrackbar.Handle(), WM_KEYDOWN, VK_NEXT, 0);
    SendMessageW(MainForm->dsTrackbar.Handle(), WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(MainForm->dsTrackbar.Position(), 101);
    PressSeekBar(WM_RBUTTONDOWN, MK_RBUTTON, 5);
    EXPECT_FALSE(Seeking);
    MainForm->dsTrackbar.SetPosition(50);
    EXPECT_EQ(CallsNamed("PlayAtTimeInTitle"), 0);
}

TEST_F(Navigation, APressWhileIdleDoesNotSeek)
{
    MainForm->dsTrackbarMouseDown(ui::MouseButton::Left, ui::ssLeft, 0, 0);
    EXPECT_FALSE(Seeking);
}

TEST_F(Navigation, DraggingTheWindowByItsBackgroundLeavesNoSeekingBehind)
{
    ScriptTitle(2, 0, 0);
    StartPlayback();
    MainForm->GetInfo();
    MainForm->Show();
    // The system's move loop ends at the first Escape; queue one so it returns at once.
    PostMessageW(MainForm->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    SendMessageW(MainForm->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(600, 58));
    testsupport::PumpMessages();
    EXPECT_FALSE(Seeking);
    Time(0, 0, 42);
    EXPECT_EQ(MainForm->dsTrackbar.Position(), 42);
    EXPECT_EQ(CallsNamed("PlayAtTimeInTitle"), 0);
}

TEST_F(Navigation, AMenuAfterATitleAndANewPlaybackStartFromCleanLabels)
{
    ScriptTitle(1, 0, 0);
    StartPlayback();
    Deliver(EC_DVD_TITLE_CHANGE, 1, 0);
    Deliver(EC_DVD_CHAPTER_START, 2, 0);
    Time(0, 0, 5);
    const auto clean = [] {
        return MainForm->TitleLabel.Caption() == L"Title: " && MainForm->ChapterLabel.Caption() == L"Chapter:" &&
               MainForm->TimeLabel.Caption() == L"TimeLabel";
    };

    // The title ends into a menu of another shape.
    dvd.script.videoAttributes.ulAspectX = 16;
    dvd.script.videoAttributes.ulAspectY = 9;
    dvd.script.domain = DVD_DOMAIN_VideoManagerMenu;
    Deliver(EC_DVD_DOMAIN_CHANGE, DVD_DOMAIN_VideoManagerMenu, 0);
    EXPECT_TRUE(clean());
    EXPECT_EQ(PreviewForm->ClientWidth(), 1024);
    EXPECT_EQ(PreviewForm->ClientHeight(), 576);

    // Resumed from the menu: the same title tells no title change.
    dvd.script.location.ChapterNum = 2;
    Deliver(EC_DVD_DOMAIN_CHANGE, DVD_DOMAIN_Title, 0);
    EXPECT_EQ(MainForm->TitleLabel.Caption(), L"Title:  1");
    EXPECT_EQ(MainForm->ChapterLabel.Caption(), L"Chapter: 2");

    // Another disc: clean before any of its events.
    Deliver(EC_DVD_TITLE_CHANGE, 1, 0);
    Time(0, 0, 6);
    MainForm->StopButtonClick();
    MainForm->PlayButtonClick();
    EXPECT_TRUE(clean());
}

}  // namespace
