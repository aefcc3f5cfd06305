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
    // The file name box (cmb13) takes the path; typing would race the box's completion list.
    HWND nameBox = GetDlgItem(dialog, 0x47C);
    if (!nameBox) nameBox = GetDlgItem(dialog, 0x480);
    ASSERT_NE(nameBox, nullptr);
    // The dialog fills the box with the default name as it settles: set ours after that.
    ASSERT_TRUE(WaitFor([&] { return Text(nameBox) == L"VIDEO_TS.IFO"; }));
    Sleep(500);
    SendMessageW(nameBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    ASSERT_EQ(Text(nameBox), path);
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }));
}

// Picks the last chapter from the chapter button's menu.
void PickLastChapter(const ControlBar& bar)
{
    bar.Press(tbChapter);
    ASSERT_TRUE(WaitFor([] { return OpenPopupMenu() != nullptr; }));
    // Up from no selection wraps to the last item.
    PressKey(VK_UP);
    PressKey(VK_RETURN);
}

void ExpectNoVolumeAnswer(const Player& player, const char* shot)
{
    HWND box = WaitForDialog(player, L"Error");
    Screenshot(shot);
    ASSERT_NE(box, nullptr);
    EXPECT_NE(AllStaticText(box).find(L"The specified DVD volume to be played does not exist."),
              std::wstring::npos);
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); }));
}

} // namespace

TEST(Open, FixtureDiscAndAFileThatIsNoDisc)
{
    Player player;
    ASSERT_TRUE(WaitFor([&] { return player.MainWindow() != nullptr; }));
    ControlBar bar(player);

    OpenFile(player, bar, EnvPath("LUMADISC_DISCS") + L"\\chapters300\\VIDEO_TS\\VIDEO_TS.IFO");
    ASSERT_TRUE(WaitFor([&] { return bar.TitleText() == L"Title:  1"; }));
    PickLastChapter(bar);
    EXPECT_TRUE(WaitFor([&] { return bar.ChapterText() == L"Chapter: 300"; }));

    const std::wstring notADisc = EnvPath("LUMADISC_SHOTS") + L"\\not-a-disc.txt";
    if (FILE* file = _wfopen(notADisc.c_str(), L"w")) {
        fputs("hello\n", file);
        fclose(file);
    }
    OpenFile(player, bar, notADisc);
    // Tearing the finished playback down must not hang the control bar.
    DWORD_PTR answer = 0;
    EXPECT_NE(SendMessageTimeoutW(bar.Window(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer), 0);
    ExpectNoVolumeAnswer(player, "open-not-a-disc");
    EXPECT_TRUE(player.Running());
    EXPECT_TRUE(player.Close());
}

TEST(Open, DiscImageAndAnImageWithoutADisc)
{
    Player player;
    ASSERT_TRUE(WaitFor([&] { return player.MainWindow() != nullptr; }));
    ControlBar bar(player);

    OpenFile(player, bar, EnvPath("LUMADISC_DISCS") + L"\\images\\chapters300.iso");
    ASSERT_TRUE(WaitFor([&] { return bar.TitleText() == L"Title:  1"; }));
    PickLastChapter(bar);
    EXPECT_TRUE(WaitFor([&] { return bar.ChapterText() == L"Chapter: 300"; }));
    Screenshot("open-image");

    // A data CD's image holds no DVD volume: the same answer as a folder without one.
    OpenFile(player, bar, EnvPath("LUMADISC_DISCS") + L"\\images\\datacd.iso");
    ExpectNoVolumeAnswer(player, "open-image-without-a-disc");
    EXPECT_TRUE(player.Close());
}
