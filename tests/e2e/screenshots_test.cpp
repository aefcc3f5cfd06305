// Screenshots of the real player, kept by tests/e2e/screenshots.sh: the sample disc's menu with
// its first button highlighted, and title 1 with its first subtitle; and a disc in motion,
// windowed and full screen.
#include "ControlBar.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

using namespace e2e;

namespace {

// The colour on screen at a point of the picture's 720 × 576 source.
COLORREF PictureColour(const Player& player, int x, int y)
{
    const Capture shot = CaptureClient(RendererWindow(player));
    if (shot.bgra.empty()) return 0;
    const unsigned char* p = &shot.bgra[(std::size_t{1} * (y * shot.height / 576) * shot.width + x * shot.width / 720) * 4];
    return RGB(p[2], p[1], p[0]);
}

// The disc's pictures are compressed: colours are told apart loosely.
bool Yellow(COLORREF c) { return GetRValue(c) > 150 && GetGValue(c) > 150 && GetBValue(c) < 110; }
bool White(COLORREF c) { return GetRValue(c) > 220 && GetGValue(c) > 220 && GetBValue(c) > 220; }

// The disc in drive D: played from the control bar, its picture placed clear of the bar.
ControlBar Playing(const Player& player)
{
    WaitFor([&] { return player.MainWindow() != nullptr; });
    ControlBar bar(player);
    bar.Press(tbPlay);
    if (WaitFor([&] { return player.VideoWindow() != nullptr; })) MoveVideoAside(player);
    return bar;
}

} // namespace

TEST(Screenshots, TheDiscMenuWithItsHighlightAndATitleWithItsSubtitle)
{
    Player player;
    ControlBar bar = Playing(player);
    ASSERT_TRUE(player.VideoWindow());
    // The first button's frame, left of its face.
    EXPECT_TRUE(WaitFor([&] { return Yellow(PictureColour(player, 118, 230)); }));
    Screenshot("disc-menu");

    Click(PicturePoint(player.VideoWindow(), 360, 230));
    ASSERT_TRUE(WaitFor([&] { return bar.TitleText() == L"Title:  1"; }));
    bar.Press(tbSubpicture);
    ASSERT_TRUE(WaitFor([] { return OpenPopupMenu() != nullptr; }));
    ChoosePopupItem(0);
    // The first stream's box, white low in the picture from one second to five and again from
    // nine.
    EXPECT_TRUE(WaitFor([&] { return White(PictureColour(player, 360, 500)); }));
    Screenshot("title-subtitle");
    EXPECT_TRUE(player.Close());
}

// Only for screenshots.sh, which names the disc in drive D: LUMADISC_SHOTS_MOTION.
TEST(Screenshots, ADiscInMotionWindowedAndFullScreen)
{
    const char* disc = std::getenv("LUMADISC_SHOTS_MOTION");
    if (!disc) GTEST_SKIP() << "for screenshots.sh";
    Player player;
    ControlBar bar = Playing(player);
    ASSERT_TRUE(player.VideoWindow());
    Sleep(3000);
    Screenshot(std::string(disc) + "-window");
    // Paused in the window, then full screen: the picture standing is scaled anew, not stretched.
    bar.Press(tbPause);
    Sleep(1000);
    bar.Press(tbFullScreen);
    Sleep(2000);
    Screenshot(std::string(disc) + "-paused-full-screen");
    // The screen covers the control bar: a double click on the picture leaves it.
    DoubleClick({400, 400});
    Sleep(1000);
    bar.Press(tbPlay);
    bar.Press(tbFullScreen);
    Sleep(2000);
    Screenshot(std::string(disc) + "-full-screen");
    DoubleClick({400, 400});
    EXPECT_TRUE(player.Close());
}
