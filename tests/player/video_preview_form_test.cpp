#include <gtest/gtest.h>

#include <algorithm>

#include "app/MainForm.h"
#include "support/MessagePump.h"
#include "support/PlayerFixture.h"
#include "video/PreviewForm.h"

namespace {

// The renderer's window (Wine's class for it) among the video window's children.
HWND RendererChild()
{
    HWND found = nullptr;
    EnumChildWindows(
        PreviewForm->Handle(),
        [](HWND window, LPARAM result) {
            wchar_t name[64] = {};
            GetClassNameW(window, name, 64);
            if (std::wstring(name) != L"wine_quartz_window") return TRUE;
            *reinterpret_cast<HWND*>(result) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

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

TEST_F(VideoWindowForm, PointerHiddenWhenLeavingFullScreenShowsAgainOverTheWindow)
{
    MainForm->FullScreenButtonClick();
    FireCursorTimer();
    MainForm->FullScreenButtonClick();
    EXPECT_FALSE(form().MouseCursorTimer.Enabled());

    MoveOverPicture(10, 10);
    EXPECT_EQ(video().Cursor(), Arrow());
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
    const HWND renderer = RendererChild();
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

namespace {

RECT RectIn(HWND window, HWND reference)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    MapWindowPoints(nullptr, reference, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::string Show(const RECT& rect)
{
    return std::to_string(rect.left) + "," + std::to_string(rect.top) + "," + std::to_string(rect.right) + "," +
           std::to_string(rect.bottom);
}

// The largest rectangle of shape x:y centred on the primary screen.
RECT OnScreen(int x, int y)
{
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    const int fitHeight = std::min(height, (width * y + x / 2) / x);
    const int fitWidth = fitHeight == height ? (height * x + y / 2) / y : width;
    return {(width - fitWidth) / 2, (height - fitHeight) / 2, (width - fitWidth) / 2 + fitWidth,
            (height - fitHeight) / 2 + fitHeight};
}

}  // namespace

TEST_F(VideoWindowForm, PictureKeepsTheDisplayShapeOfItsTitleWindowedAndFullScreen)
{
    dvd.script.videoAttributes.ulSourceResolutionX = 720;
    dvd.script.videoAttributes.ulSourceResolutionY = 576;
    dvd.script.videoAttributes.ulAspectX = 16;
    dvd.script.videoAttributes.ulAspectY = 9;
    StartPlayback();
    Deliver(EC_DVD_TITLE_CHANGE, 1, 0);
    MainForm->FilterGraph.PlayGraph();
    testsupport::PumpMessages();
    const HWND renderer = RendererChild();
    ASSERT_TRUE(renderer);

    // The stored lines at their display width, and the picture filling a window of its shape.
    EXPECT_EQ(form().ClientWidth(), 1024);
    EXPECT_EQ(form().ClientHeight(), 576);
    EXPECT_EQ(Show(RectIn(renderer, video().Handle())), "0,0,1024,576");

    // A taller window: bars above and below, and a press on a bar is outside the picture.
    form().SetClientHeight(676);
    EXPECT_EQ(Show(RectIn(renderer, video().Handle())), "0,50,1024,626");
    const size_t first = dvd.Log().size();
    SendMessageW(video().Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 20));
    SendMessageW(video().Handle(), WM_LBUTTONUP, 0, MAKELPARAM(10, 20));
    EXPECT_EQ(LogFrom(first), std::vector<std::string>{"ActivateAtPosition(10,-30)"});
    video().VMROptions().SetKeepAspectRatio(false);  // the switch: stretched to the window
    EXPECT_EQ(Show(RectIn(renderer, video().Handle())), "0,0,1024,676");
    video().VMROptions().SetKeepAspectRatio(true);

    // Full screen shows the whole picture at its shape, on black.
    MainForm->FullScreenButtonClick();
    EXPECT_EQ(Show(RectIn(renderer, nullptr)), Show(OnScreen(16, 9)));
    const HWND backdrop = FindWindowW(L"LumadiscBackdrop", nullptr);
    ASSERT_TRUE(backdrop);
    EXPECT_TRUE(IsWindowVisible(backdrop));
    EXPECT_EQ(Show(RectIn(backdrop, nullptr)), Show(OnScreen(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN))));

    // A 4:3 title changes the shape in full screen too, and back in the window.
    dvd.script.videoAttributes.ulAspectX = 4;
    dvd.script.videoAttributes.ulAspectY = 3;
    Deliver(EC_DVD_TITLE_CHANGE, 2, 0);
    EXPECT_EQ(Show(RectIn(renderer, nullptr)), Show(OnScreen(4, 3)));
    MainForm->FullScreenButtonClick();
    EXPECT_FALSE(IsWindowVisible(backdrop));
    EXPECT_EQ(form().ClientWidth(), 768);
    EXPECT_EQ(Show(RectIn(renderer, video().Handle())), "0,0,768,576");
}

TEST_F(VideoWindowForm, TheSecondPressOfADoubleClickActivatesNothing)
{
    StartPlayback();
    for (int press = 0; press < 2; ++press) {
        PostMessageW(video().Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
        PostMessageW(video().Handle(), WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    }
    testsupport::PumpMessages();

    EXPECT_TRUE(video().FullScreen());
    EXPECT_EQ(CallsNamed("ActivateAtPosition"), 1);
    EXPECT_TRUE(dvd.Called("ActivateAtPosition(10,10)"));
}

TEST_F(VideoWindowForm, ArrowsAndEnterDriveTheHighlightOnlyInADiscMenu)
{
    StartPlayback();
    const auto press = [](WORD key) { SendMessageW(video().Handle(), WM_KEYDOWN, key, 1); };
    for (DVD_DOMAIN domain : {DVD_DOMAIN_VideoManagerMenu, DVD_DOMAIN_VideoTitleSetMenu}) {
        dvd.script.domain = domain;
        dvd.ClearLog();
        for (WORD key : {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT, VK_RETURN}) press(key);
        EXPECT_EQ(CallsNamed("SelectRelativeButton"), 4);
        EXPECT_TRUE(dvd.Called("SelectRelativeButton(2)"));  // lower
        EXPECT_TRUE(dvd.Called("SelectRelativeButton(4)"));  // right
        EXPECT_EQ(CallsNamed("ActivateButton"), 1);
    }

    dvd.script.domain = DVD_DOMAIN_Title;
    dvd.ClearLog();
    for (WORD key : {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT, VK_RETURN}) press(key);
    EXPECT_EQ(CallsNamed("SelectRelativeButton") + CallsNamed("ActivateButton"), 0);
    EXPECT_FALSE(video().FullScreen());
}
