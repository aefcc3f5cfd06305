#include <gtest/gtest.h>

#include "app/MainForm.h"
#include "support/MessagePump.h"
#include "support/PlayerFixture.h"
#include "video/PreviewForm.h"

namespace {

class VideoWindowForm : public testsupport::PlayerFixture {
protected:
    static TPreviewForm& form() { return *PreviewForm; }
    static TVideoWindow& video() { return PreviewForm->VideoWindow; }

    static void MoveOverPicture(int x, int y)
    {
        SendMessageW(video().Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    }
    static void FireCursorTimer() { SendMessageW(form().MouseCursorTimer.Handle(), WM_TIMER, 1, 0); }
    static HCURSOR Arrow() { return LoadCursorW(nullptr, IDC_ARROW); }
};

}  // namespace

TEST_F(VideoWindowForm, StartsWithTheDesignedWindow)
{
    EXPECT_EQ(form().Left(), 191);
    EXPECT_EQ(form().Top(), 112);
    EXPECT_EQ(form().Width(), 310);
    EXPECT_EQ(form().Height(), 260);
    EXPECT_EQ(form().Caption(), L"");
    EXPECT_EQ(video().Width(), form().ClientWidth());
    EXPECT_EQ(video().Height(), form().ClientHeight());
    EXPECT_EQ(video().Color(), RGB(0, 0, 0));
    EXPECT_EQ(video().FilterGraph(), &MainForm->FilterGraph);
    EXPECT_EQ(video().ContextMenu, &MainForm->PopupMenu);
    EXPECT_EQ(form().MouseCursorTimer.Interval(), 3000u);
    EXPECT_FALSE(form().MouseCursorTimer.Enabled());
    EXPECT_FALSE(form().Visible());
}

TEST_F(VideoWindowForm, PictureFillsTheClientAreaWhenTheWindowIsResized)
{
    form().SetClientWidth(640);
    form().SetClientHeight(480);
    EXPECT_EQ(video().Width(), 640);
    EXPECT_EQ(video().Height(), 480);
}

TEST_F(VideoWindowForm, PointerHidesInFullScreenAndComesBackOnAMove)
{
    MainForm->FullScreenButtonClick();
    ASSERT_TRUE(form().MouseCursorTimer.Enabled());

    FireCursorTimer();
    EXPECT_EQ(video().Cursor(), nullptr);
    EXPECT_FALSE(form().MouseCursorTimer.Enabled());

    MoveOverPicture(10, 10);
    EXPECT_EQ(video().Cursor(), Arrow());
    EXPECT_TRUE(form().MouseCursorTimer.Enabled());
}

TEST_F(VideoWindowForm, PointerHiddenWhenLeavingFullScreenStaysHiddenOverTheWindow)
{
    MainForm->FullScreenButtonClick();
    FireCursorTimer();
    MainForm->FullScreenButtonClick();
    EXPECT_FALSE(form().MouseCursorTimer.Enabled());

    MoveOverPicture(10, 10);
    EXPECT_EQ(video().Cursor(), nullptr);
    EXPECT_FALSE(form().MouseCursorTimer.Enabled());
}

TEST_F(VideoWindowForm, WithoutPlaybackThePictureCallsNothingAndSpacePauses)
{
    MoveOverPicture(10, 20);
    SendMessageW(video().Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 20));
    SendMessageW(video().Handle(), WM_LBUTTONUP, 0, MAKELPARAM(10, 20));
    SendMessageW(video().Handle(), WM_CHAR, L' ', 0);

    EXPECT_TRUE(dvd.Log().empty());
    EXPECT_TRUE(dialogs.boxes.empty());
    // The Play action would have started a playback.
    EXPECT_FALSE(MainForm->FilterGraph.Active());
}

TEST_F(VideoWindowForm, DiscMenuButtonsFollowThePointerAndAnyPressActivates)
{
    StartPlayback();
    const size_t first = dvd.Log().size();

    MoveOverPicture(30, 40);
    SendMessageW(video().Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(50, 60));
    SendMessageW(video().Handle(), WM_RBUTTONUP, 0, MAKELPARAM(50, 60));

    EXPECT_EQ(LogFrom(first), (std::vector<std::string>{"SelectAtPosition(30,40)", "ActivateAtPosition(50,60)"}));
}

TEST_F(VideoWindowForm, SpaceResumesAfterASettledPauseAndPausesAgainOtherwise)
{
    StartPlayback();
    const int resumes = CallsNamed("PlayForwards");
    dvd.script.navigatorFilter.pauseResult = S_OK;
    SendMessageW(video().Handle(), WM_CHAR, L' ', 0);
    const int resumed = CallsNamed("PlayForwards");
    EXPECT_GT(resumed, resumes);  // the Play action's resume at normal speed

    dvd.script.navigatorFilter.pauseResult = S_FALSE;
    SendMessageW(video().Handle(), WM_CHAR, L' ', 0);
    EXPECT_EQ(CallsNamed("PlayForwards"), resumed);
}

TEST_F(VideoWindowForm, OnlyAltEnterTogglesFullScreen)
{
    WORD enter = VK_RETURN;
    form().VideoWindowKeyDown(enter, ui::ssAlt | ui::ssShift);
    form().VideoWindowKeyDown(enter, ui::ssAlt | ui::ssCtrl);
    form().VideoWindowKeyDown(enter, 0);
    EXPECT_FALSE(video().FullScreen());

    // Bit 29 of the key data: Alt held.
    SendMessageW(video().Handle(), WM_SYSKEYDOWN, VK_RETURN, 1 | (1 << 29));
    EXPECT_TRUE(video().FullScreen());
    EXPECT_FALSE(video().FullScreenTopMost());
}

TEST_F(VideoWindowForm, DoubleClickOnThePictureTogglesFullScreen)
{
    PostMessageW(video().Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    PostMessageW(video().Handle(), WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    PostMessageW(video().Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    PostMessageW(video().Handle(), WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    testsupport::PumpMessages();

    EXPECT_TRUE(video().FullScreen());
    EXPECT_TRUE(form().MouseCursorTimer.Enabled());
}

TEST_F(VideoWindowForm, InputOnTheRendererReachesTheFormsHandlers)
{
    StartPlayback();
    form().Show();
    MainForm->FilterGraph.PlayGraph();  // places the renderer window and drains it
    testsupport::PumpMessages();
    HWND renderer = nullptr;
    EnumChildWindows(
        form().Handle(),
        [](HWND window, LPARAM found) {
            wchar_t name[64] = {};
            GetClassNameW(window, name, 64);
            if (std::wstring(name) != L"wine_quartz_window") return TRUE;
            *reinterpret_cast<HWND*>(found) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&renderer));
    ASSERT_TRUE(renderer);
    const size_t first = dvd.Log().size();

    SendMessageW(renderer, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(12, 34));
    SendMessageW(renderer, WM_LBUTTONUP, 0, MAKELPARAM(12, 34));
    testsupport::PumpMessages();

    EXPECT_EQ(LogFrom(first), std::vector<std::string>{"ActivateAtPosition(12,34)"});
}

TEST_F(VideoWindowForm, ClosingTheVideoWindowClosesThePlayer)
{
    StartPlayback();
    ASSERT_TRUE(MainForm->FilterGraph.Active());

    form().Close();

    EXPECT_FALSE(MainForm->FilterGraph.Active());  // the main window's closing steps ran
    EXPECT_FALSE(form().Visible());
}
