// The player on a drive that reads like a real one (tests/drive/slow-drive.sh presents it and
// names it in LUMANAV_SLOW_DRIVE); skipped without it.
#include "ControlBar.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

using namespace e2e;

namespace {

// The drive tests/drive/slow-drive.sh presents ("S:"), or null without it.
const char* SlowDrive() { return std::getenv("LUMANAV_SLOW_DRIVE"); }

// Plays the slow drive, last in Play's list in letter order after the sample's D:.
void PlaySlowDrive(const ControlBar& bar)
{
    bar.PressArrow(tbPlay);
    ASSERT_TRUE(WaitFor([] { return OpenPopupMenu() != nullptr; }));
    PressKey(VK_UP);
    PressKey(VK_RETURN);
}

} // namespace

// Play on a drive that has spun down: while the disc spins up the control bar goes on
// answering, and playback starts once the disc is ready.
TEST(SpinningUpDrive, ControlBarAnswersWhileTheDiscOpens)
{
    const char* slowDrive = SlowDrive();
    if (!slowDrive) GTEST_SKIP() << "needs the drive tests/drive/slow-drive.sh presents";
    const std::wstring opened = L"Lumadisc  " + std::wstring(slowDrive, slowDrive + 2);
    Player player;
    ASSERT_TRUE(WaitFor([&] { return player.MainWindow() != nullptr; }));
    ControlBar bar(player);
    Sleep(2500);  // whatever looked at the drive at start, it has spun down

    PlaySlowDrive(bar);

    // The caption names the drive once the navigator has opened its volume.
    ULONGLONG longest = 0;
    int asked = 0;
    bool shot = false;
    bool listOpened = false;
    std::wstring caption;
    for (const ULONGLONG start = GetTickCount64(); caption.rfind(opened, 0) != 0 && GetTickCount64() - start < 30000;) {
        wchar_t text[128] = {};
        DWORD_PTR copied = 0;
        const ULONGLONG sent = GetTickCount64();
        ASSERT_NE(SendMessageTimeoutW(bar.Window(), WM_GETTEXT, 128, reinterpret_cast<LPARAM>(text), SMTO_NORMAL,
                                      10000, &copied),
                  0)
            << "the control bar did not answer for 10 s";
        longest = std::max(longest, GetTickCount64() - sent);
        caption = text;
        ++asked;
        if (!shot && GetTickCount64() - start > 1000) {
            shot = !Screenshot("slow-drive-opening").empty();
            // A click answered too: Play's list opens, and closes again.
            bar.PressArrow(tbPlay);
            EXPECT_TRUE(WaitFor([] { return OpenPopupMenu() != nullptr; }, 1000)) << "Play's list did not open";
            listOpened = Text(bar.Window()).rfind(opened, 0) != 0;
            PressKey(VK_ESCAPE);
            WaitFor([] { return OpenPopupMenu() == nullptr; }, 1000);
        }
        Sleep(20);
    }
    std::printf("while the disc opened the control bar answered %d times, the longest after %llu ms\n", asked,
                longest);
    ASSERT_EQ(caption.rfind(opened, 0), 0u) << "the disc did not open";
    EXPECT_GT(asked, 2) << "the disc opened before the control bar was asked";
    EXPECT_LT(longest, 1000u) << "the control bar stopped answering while the disc opened";
    EXPECT_TRUE(listOpened) << "Play's list did not open while the disc opened";

    // The disc's first play ends in its menu, whose first button plays title 1.
    ASSERT_TRUE(WaitFor([&] { return player.VideoWindow() != nullptr; }));
    ASSERT_TRUE(WaitFor(
        [&] {
            Click(PicturePoint(player.VideoWindow(), 360, 230));
            return WaitFor([&] { return bar.TitleText() == L"Title:  1"; }, 2000);
        },
        20000));
    EXPECT_TRUE(WaitFor([&] { return bar.ElapsedSeconds() >= 1; }, 20000)) << "playback did not start";
    EXPECT_TRUE(player.Close());
}

// Closed while the disc spins up, the program ends once the drive has answered, without a word.
TEST(SpinningUpDrive, ClosingWhileTheDiscOpensEndsTheProgram)
{
    if (!SlowDrive()) GTEST_SKIP() << "needs the drive tests/drive/slow-drive.sh presents";
    Player player;
    ASSERT_TRUE(WaitFor([&] { return player.MainWindow() != nullptr; }));
    ControlBar bar(player);
    Sleep(2500);
    PlaySlowDrive(bar);
    ASSERT_TRUE(WaitFor([&] { return player.VideoWindow() != nullptr; }));
    EXPECT_TRUE(player.Close());
}
