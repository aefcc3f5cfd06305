#include "ControlBar.h"

#include <gtest/gtest.h>

using namespace e2e;

namespace {

// The renderer's window (captioned with its filter's name) once it has left the video window
// for the screen, where it shows the whole picture at its shape across the screen's width.
HWND FullScreenPicture(const Player& player)
{
    const int width = GetSystemMetrics(SM_CXSCREEN);
    for (HWND window : player.TopLevelWindows()) {
        RECT rect = ScreenRect(window);
        if (Text(window) == L"VideoWindow" && IsWindowVisible(window) && rect.left == 0 && rect.right == width)
            return window;
    }
    return nullptr;
}

bool PointerHidden()
{
    CURSORINFO info{};
    info.cbSize = sizeof info;
    return GetCursorInfo(&info) && (info.hCursor == nullptr || !(info.flags & CURSOR_SHOWING));
}

} // namespace

TEST(FullScreen, DoubleClickAltEnterAndMenu)
{
    Player player;
    ASSERT_TRUE(WaitFor([&] { return player.MainWindow() != nullptr; }));
    ControlBar bar(player);
    PlayFirstTitle(player, bar);
    HWND video = player.VideoWindow();
    const RECT windowed = ScreenRect(video);

    DoubleClick(PicturePoint(video, 360, 500));
    ASSERT_TRUE(WaitFor([&] { return FullScreenPicture(player) != nullptr; }));
    EXPECT_TRUE(ToolButtonChecked(bar.ToolBar(), tbFullScreen));
    const LONG style = GetWindowLongW(FullScreenPicture(player), GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_THICKFRAME), 0);
    Screenshot("fullscreen");

    // Left alone, the pointer hides; a move brings it back.
    EXPECT_TRUE(WaitFor(PointerHidden, 8000));
    MoveTo({400, 400});
    MoveTo({410, 410});
    EXPECT_TRUE(WaitFor([] { return !PointerHidden(); }, 3000));

    DoubleClick({410, 410});
    ASSERT_TRUE(WaitFor([&] { return FullScreenPicture(player) == nullptr; }));
    EXPECT_FALSE(ToolButtonChecked(bar.ToolBar(), tbFullScreen));
    EXPECT_NE(RendererWindow(player), nullptr);
    EXPECT_EQ(ScreenRect(video).left, windowed.left);
    EXPECT_EQ(ScreenRect(video).right, windowed.right);

    // Alt+Enter on the picture.
    Click(PicturePoint(video, 20, 20));
    PressKey(VK_RETURN, true);
    ASSERT_TRUE(WaitFor([&] { return FullScreenPicture(player) != nullptr; }));

    // The control bar's context menu: "Toggle fullscreen" is its last item.
    RECT barRect = ScreenRect(bar.Window());
    Click({barRect.right - 140, barRect.bottom - 50}, true);
    ASSERT_TRUE(WaitFor([] { return OpenPopupMenu() != nullptr; }));
    ChoosePopupItem(6);
    ASSERT_TRUE(WaitFor([&] { return FullScreenPicture(player) == nullptr; }));

    // Alt+Enter on the control bar; a double-click on the picture leaves again.
    Click({barRect.right - 140, barRect.bottom - 50});
    PressKey(VK_RETURN, true);
    ASSERT_TRUE(WaitFor([&] { return FullScreenPicture(player) != nullptr; }));
    DoubleClick({640, 900});
    EXPECT_TRUE(WaitFor([&] { return FullScreenPicture(player) == nullptr; }));
    EXPECT_NE(RendererWindow(player), nullptr);
    EXPECT_TRUE(player.Close());
}

bool BackdropShown(const Player& player)
{
    for (HWND window : player.TopLevelWindows())
        if (ClassName(window) == L"LumadiscBackdrop") return true;
    return false;
}

// Alt+F4 closes the renderer's own window, which hides itself: the windowed picture comes back
// rather than a black screen, and the pointer shows over it.
TEST(FullScreen, AltF4OnThePictureBringsBackTheWindowedPicture)
{
    Player player;
    ASSERT_TRUE(WaitFor([&] { return player.MainWindow() != nullptr; }));
    ControlBar bar(player);
    PlayFirstTitle(player, bar);
    DoubleClick(PicturePoint(player.VideoWindow(), 360, 500));
    ASSERT_TRUE(WaitFor([&] { return FullScreenPicture(player) != nullptr; }));
    EXPECT_TRUE(WaitFor(PointerHidden, 8000));

    SetForegroundWindow(FullScreenPicture(player));
    PressKey(VK_F4, true);
    EXPECT_TRUE(WaitFor([&] { return FullScreenPicture(player) == nullptr && RendererWindow(player) != nullptr; }));
    EXPECT_FALSE(BackdropShown(player));
    EXPECT_FALSE(ToolButtonChecked(bar.ToolBar(), tbFullScreen));
    MoveTo(PicturePoint(player.VideoWindow(), 300, 300));
    MoveTo(PicturePoint(player.VideoWindow(), 310, 310));
    EXPECT_TRUE(WaitFor([] { return !PointerHidden(); }, 3000));
    const int shown = bar.ElapsedSeconds();
    EXPECT_TRUE(WaitFor([&] { return bar.ElapsedSeconds() > shown; }));
    EXPECT_TRUE(player.Running());
    EXPECT_TRUE(player.Close());
}
