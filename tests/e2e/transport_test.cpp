#include "ControlBar.h"

#include <gtest/gtest.h>

using namespace e2e;

TEST(Transport, SpeedSliderSpaceBarVolumeAndMute)
{
    Player player;
    ASSERT_TRUE(WaitFor([&] { return player.MainWindow() != nullptr; }));
    ControlBar bar(player);
    PlayFirstTitle(player, bar);

    StepSlider(bar.SpeedSlider(), false);
    EXPECT_TRUE(WaitFor([&] { return bar.SpeedText() == L"Paused"; }));
    StepSlider(bar.SpeedSlider(), true);
    EXPECT_TRUE(WaitFor([&] { return bar.SpeedText() == L"Speed: 1 x"; }));
    StepSlider(bar.SpeedSlider(), true);
    EXPECT_TRUE(WaitFor([&] { return bar.SpeedText() == L"Speed: 2 x"; }));
    StepSlider(bar.SpeedSlider(), true);
    EXPECT_TRUE(WaitFor([&] { return bar.SpeedText() == L"Speed: 4 x"; }));
    bar.Press(tbPlay);
    EXPECT_TRUE(WaitFor([&] { return SliderPosition(bar.SpeedSlider()) == 5; }));
    EXPECT_EQ(bar.SpeedText(), L"Speed: 1 x");

    // Space on the picture pauses: the running time stops; space again resumes.
    Click(PicturePoint(player.VideoWindow(), 20, 20));
    PressKey(VK_SPACE);
    Sleep(1500);
    const int paused = bar.ElapsedSeconds();
    Sleep(2500);
    EXPECT_LE(bar.ElapsedSeconds(), paused + 1);
    PressKey(VK_SPACE);
    EXPECT_TRUE(WaitFor([&] { return bar.ElapsedSeconds() >= paused + 2; }));

    StepSlider(bar.VolumeSlider(), false);
    EXPECT_TRUE(WaitFor([&] { return bar.VolumeText() == L"Volume: 90%"; }));
    bar.Press(tbMute);
    EXPECT_TRUE(WaitFor([&] { return bar.VolumeText() == L"Volume: 0%"; }));
    EXPECT_TRUE(ToolButtonChecked(bar.ToolBar(), tbMute));
    bar.Press(tbMute);
    EXPECT_TRUE(WaitFor([&] { return bar.VolumeText() == L"Volume: 90%"; }));
    EXPECT_FALSE(ToolButtonChecked(bar.ToolBar(), tbMute));
    EXPECT_EQ(SliderPosition(bar.VolumeSlider()), 9000);
    EXPECT_TRUE(player.Close());
}
