#include "ControlBar.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace e2e;

namespace {

void OpenFile(const Player& player, const ControlBar& bar, const std::wstring& path)
{
    bar.Press(tbOpen);
    HWND dialog = WaitForDialog(player, L"Open");
    ASSERT_NE(dialog, nullptr);
    Screenshot("open-dialog");
    // The file name box has the focus and holds "VIDEO_TS.IFO".
    PressKey('A', false);
    for (int i = 0; i < 40; ++i) PressKey(VK_BACK);
    TypeText(path);
    PressKey(VK_RETURN);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }));
}

} // namespace

TEST(Open, FixtureDiscAndAFileThatIsNoDisc)
{
    Player player;
    ASSERT_TRUE(WaitFor([&] { return player.MainWindow() != nullptr; }));
    ControlBar bar(player);

    OpenFile(player, bar, EnvPath("LUMADISC_DISCS") + L"\\chapters300\\VIDEO_TS\\VIDEO_TS.IFO");
    ASSERT_TRUE(WaitFor([&] { return bar.TitleText() == L"Title:  1"; }));
    bar.Press(tbChapter);
    ASSERT_TRUE(WaitFor([] { return OpenPopupMenu() != nullptr; }));
    // Up from no selection wraps to the last item.
    PressKey(VK_UP);
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitFor([&] { return bar.ChapterText() == L"Chapter: 300"; }));

    const std::wstring notADisc = EnvPath("LUMADISC_SHOTS") + L"\\not-a-disc.txt";
    if (FILE* file = _wfopen(notADisc.c_str(), L"w")) {
        fputs("hello\n", file);
        fclose(file);
    }
    OpenFile(player, bar, notADisc);
    HWND box = WaitForDialog(player, L"Error");
    ASSERT_NE(box, nullptr);
    EXPECT_NE(AllStaticText(box).find(L"The specified DVD volume to be played does not exist."),
              std::wstring::npos);
    Screenshot("open-not-a-disc");
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); }));
    EXPECT_TRUE(player.Running());
    EXPECT_TRUE(player.Close());
}
