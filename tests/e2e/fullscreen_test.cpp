#include "ControlBar.h"

#include <gtest/gtest.h>

using namespace e2e;

namespace {

// The renderer's window once it has left the video window to cover the whole screen.
HWND FullScreenPicture(const Player& player)
{
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    for (HWND window : player.TopLevelWindows()) {
        RECT rect = ScreenRect(window);
        if (rect.left == 0 && rect.top == 0 && rect.right == width && rect.bottom == height)
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
    EXPECT_EQ(GetWindowLongW(FullScreenPicture(player), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);
    Screenshot("fullscreen");

    // Left alone, the pointer hides; a move brings it back.
    EXPECT_TRUE(WaitFor(PointerHidden, 8000));
    MoveTo({400, 400});
    MoveTo({410, 410});
    EXPECT_TRUE(WaitFor([] { return !PointerHidden(); }, 3000));

    PressKey(VK_RETURN, true);
    ASSERT_TRUE(WaitFor([&] { return FullScreenPicture(player) == nullptr; }));
    EXPECT_FALSE(ToolButtonChecked(bar.ToolBar(), tbFullScreen));
    const RECT back = ScreenRect(video);
    EXPECT_EQ(back.left, windowed.left);
    EXPECT_EQ(back.right, windowed.right);

    // Alt+Enter on the control bar enters full screen on top of everything.
    bar.Press(tbMute);
    bar.Press(tbMute);
    PressKey(VK_RETURN, true);
    ASSERT_TRUE(WaitFor([&] { return FullScreenPicture(player) != nullptr; }));
    EXPECT_NE(GetWindowLongW(FullScreenPicture(player), GWL_EXSTYLE) & WS_EX_TOPMOST, 0);

    // The context menu's "Toggle fullscreen" leaves it again.
    RECT barRect = ScreenRect(bar.Window());
    Click({barRect.left + 536, barRect.top + 12}, true);
    ASSERT_TRUE(WaitFor([] { return OpenPopupMenu() != nullptr; }));
    ChoosePopupItem(6);
    EXPECT_TRUE(WaitFor([&] { return FullScreenPicture(player) == nullptr; }));
    EXPECT_TRUE(player.Close());
}
