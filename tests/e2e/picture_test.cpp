#include "ControlBar.h"

#include <gtest/gtest.h>

using namespace e2e;

namespace {

bool Detached(const Player& player)
{
    HWND picture = RendererWindow(player);
    return picture && GetAncestor(picture, GA_PARENT) == GetDesktopWindow();
}

RECT InClient(HWND window, HWND client)
{
    RECT rect = ScreenRect(window);
    MapWindowPoints(nullptr, client, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

std::string Show(const RECT& rect)
{
    return std::to_string(rect.left) + "," + std::to_string(rect.top) + "," + std::to_string(rect.right) + "," +
           std::to_string(rect.bottom);
}

// The largest rectangle of shape x:y centred in width x height.
std::string Fitted(int width, int height, int x, int y)
{
    int fitWidth = width, fitHeight = (width * y + x / 2) / x;
    if (fitHeight > height) {
        fitHeight = height;
        fitWidth = (height * x + y / 2) / y;
    }
    const int left = (width - fitWidth) / 2, top = (height - fitHeight) / 2;
    return Show({left, top, left + fitWidth, top + fitHeight});
}

void ClientSize(HWND window, int width, int height)
{
    RECT frame{0, 0, width, height};
    AdjustWindowRectEx(&frame, GetWindowLongW(window, GWL_STYLE), FALSE, GetWindowLongW(window, GWL_EXSTYLE));
    SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool ClientIs(HWND window, int width, int height)
{
    RECT client{};
    GetClientRect(window, &client);
    return client.right == width && client.bottom == height;
}

// The picture windowed in a window of its shape and in a wider one, then in full screen.
void CheckShape(const Player& player, int x, int y, const std::string& name)
{
    HWND video = player.VideoWindow();
    const int width = (576 * x + y / 2) / y;
    ASSERT_TRUE(WaitFor([&] { return ClientIs(video, width, 576); })) << name;
    ASSERT_TRUE(WaitFor([&] { return RendererWindow(player) != nullptr; }));
    EXPECT_EQ(Show(InClient(RendererWindow(player), video)), Show({0, 0, width, 576})) << name;
    Screenshot(name + "-windowed");

    ClientSize(video, 1100, 576);
    EXPECT_TRUE(WaitFor([&] { return Show(InClient(RendererWindow(player), video)) == Fitted(1100, 576, x, y); }))
        << name << ": " << Show(InClient(RendererWindow(player), video));
    ClientSize(video, width, 576);

    DoubleClick(PicturePoint(video, 360, 500));
    ASSERT_TRUE(WaitFor([&] { return Detached(player); }));
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    EXPECT_TRUE(WaitFor([&] { return Show(ScreenRect(RendererWindow(player))) == Fitted(screenWidth, screenHeight, x, y); }))
        << name << ": " << Show(ScreenRect(RendererWindow(player)));
    Sleep(500);
    Screenshot(name + "-fullscreen");
    // The bars are black, whatever lay there before.
    const RECT picture = ScreenRect(RendererWindow(player));
    HDC screen = GetDC(nullptr);
    if (picture.top > 0) {
        EXPECT_EQ(GetPixel(screen, screenWidth / 2, picture.top / 2) & 0xFFFFFF, 0u) << name;
        EXPECT_EQ(GetPixel(screen, screenWidth / 2, (screenHeight + picture.bottom) / 2) & 0xFFFFFF, 0u) << name;
    }
    ReleaseDC(nullptr, screen);
    DoubleClick({screenWidth / 2, screenHeight / 2});
    ASSERT_TRUE(WaitFor([&] { return !Detached(player); }));
}

}  // namespace

TEST(Picture, EachTitleKeepsItsShapeWindowedAndFullScreen)
{
    Player player;
    ASSERT_TRUE(WaitFor([&] { return player.MainWindow() != nullptr; }));
    ControlBar bar(player);
    PlayFirstTitle(player, bar);
    CheckShape(player, 4, 3, "picture-4x3");

    // The disc's menu, then its second button: title 2, in 16:9.
    bar.Press(tbTitleMenu);
    Sleep(1500);
    Click(PicturePoint(player.VideoWindow(), 360, 350));
    ASSERT_TRUE(WaitFor([&] { return bar.TitleText() == L"Title:  2"; }));
    CheckShape(player, 16, 9, "picture-16x9");
    EXPECT_TRUE(player.Close());
}

// The second press of a double-click lands where the full-screen picture now is: it must not
// act there as a press on the menu.
TEST(Picture, DoubleClickOffTheMenuButtonsLeavesTheMenu)
{
    Player player;
    ASSERT_TRUE(WaitFor([&] { return player.MainWindow() != nullptr; }));
    ControlBar bar(player);
    bar.Press(tbPlay);
    ASSERT_TRUE(WaitFor([&] { return player.VideoWindow() != nullptr; }));
    Sleep(1500);
    HWND video = player.VideoWindow();
    // Left of the first button in the window, where the stretched full-screen picture would
    // have that button.
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    const POINT target{screenWidth / 2, 230 * screenHeight / 576};
    const POINT inWindow = PicturePoint(video, 40, 230);
    RECT frame = ScreenRect(video);
    SetWindowPos(video, nullptr, frame.left + target.x - inWindow.x, frame.top + target.y - inWindow.y, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    ASSERT_TRUE(WaitFor([&] {
        const POINT at = PicturePoint(video, 40, 230);
        return at.x == target.x && at.y == target.y;
    }));

    DoubleClick(target);
    ASSERT_TRUE(WaitFor([&] { return Detached(player); }));
    Sleep(2000);
    EXPECT_EQ(bar.TitleText(), L"Title: ");
    EXPECT_TRUE(player.Close());
}

// In the disc's menu the arrows move the highlight and Enter activates it: the menu's first
// button is highlighted at first, the second one plays title 2.
TEST(Picture, ArrowsAndEnterWorkTheDiscMenu)
{
    Player player;
    ASSERT_TRUE(WaitFor([&] { return player.MainWindow() != nullptr; }));
    ControlBar bar(player);
    bar.Press(tbPlay);
    ASSERT_TRUE(WaitFor([&] { return player.VideoWindow() != nullptr; }));
    Sleep(1500);
    MoveVideoAside(player);
    Click(PicturePoint(player.VideoWindow(), 40, 500));  // off the buttons: the keys go to the picture
    PressKey(VK_DOWN);
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitFor([&] { return bar.TitleText() == L"Title:  2"; }));
    EXPECT_TRUE(player.Close());
}
