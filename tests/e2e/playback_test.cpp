#include "ControlBar.h"

#include <gtest/gtest.h>

using namespace e2e;

TEST(Playback, DefaultDriveMenuButtonAndRunningTime)
{
    Player player;
    ASSERT_TRUE(WaitFor([&] { return player.MainWindow() != nullptr; }));
    ControlBar bar(player);

    PlayFirstTitle(player, bar);
    EXPECT_EQ(bar.SpeedText(), L"Speed: 1 x");
    EXPECT_GT(SliderMax(bar.SeekBar()), 20);

    const int start = bar.ElapsedSeconds();
    ASSERT_TRUE(WaitFor([&] { return bar.ElapsedSeconds() >= start + 2; }));
    EXPECT_GE(SliderPosition(bar.SeekBar()), start + 1);
    Screenshot("playback-title1");

    // The title set's root menu: its first button plays chapter 3 of title 1.
    bar.Press(tbRootMenu);
    Sleep(1500);
    Screenshot("playback-root-menu");
    Click(PicturePoint(player.VideoWindow(), 360, 230));
    EXPECT_TRUE(WaitFor([&] { return bar.ChapterText() == L"Chapter: 3"; }));
    EXPECT_EQ(bar.TitleText(), L"Title:  1");

    EXPECT_TRUE(player.Close());
}

TEST(Playback, ChapterStepsChapterMenuAndSeekBar)
{
    Player player;
    ASSERT_TRUE(WaitFor([&] { return player.MainWindow() != nullptr; }));
    ControlBar bar(player);
    PlayFirstTitle(player, bar);

    bar.Press(tbNextChapter);
    EXPECT_TRUE(WaitFor([&] { return bar.ChapterText() == L"Chapter: 2"; }));
    bar.Press(tbPrevChapter);
    EXPECT_TRUE(WaitFor([&] { return bar.ChapterText() == L"Chapter: 1"; }));

    bar.Press(tbChapter);
    ASSERT_TRUE(WaitFor([] { return OpenPopupMenu() != nullptr; }));
    Screenshot("playback-chapter-menu");
    ChoosePopupItem(3);
    EXPECT_TRUE(WaitFor([&] { return bar.ChapterText() == L"Chapter: 4"; }));

    // Drag the seek bar's thumb to the middle of its channel: playback jumps there.
    const int length = SliderMax(bar.SeekBar());
    const RECT channel = ScreenRect(bar.SeekBar());
    bar.DragSeekThumbTo((channel.left + channel.right) / 2);

    EXPECT_TRUE(WaitFor([&] {
        const int elapsed = bar.ElapsedSeconds();
        return elapsed >= length / 2 - 4 && elapsed <= length / 2 + 4;
    }));
    EXPECT_TRUE(player.Close());
}

TEST(Playback, StopAfterTheDiscEnds)
{
    Player player;
    ASSERT_TRUE(WaitFor([&] { return player.MainWindow() != nullptr; }));
    ControlBar bar(player);
    PlayFirstTitle(player, bar);

    // The last chapter runs out; the navigator ends playback by itself.
    for (int i = 0; i < 3; ++i) bar.Press(tbNextChapter);
    ASSERT_TRUE(WaitFor([&] { return bar.ChapterText() == L"Chapter: 4"; }));
    const int length = SliderMax(bar.SeekBar());
    ASSERT_TRUE(WaitFor([&] { return bar.ElapsedSeconds() >= length - 1; }, 15000));
    Sleep(2000);

    bar.Press(tbStop);
    DWORD_PTR answer = 0;
    EXPECT_NE(SendMessageTimeoutW(bar.Window(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer), 0);
    EXPECT_TRUE(player.Close());
}
