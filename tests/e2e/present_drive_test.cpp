#include "ControlBar.h"
#include "WineMountManager.h"

#include <gtest/gtest.h>

#include <cstdlib>

using namespace e2e;

namespace {

// A drive of the prefix presented for the test's length, taken away at its end whatever happened.
class PresentedDrive {
public:
    explicit PresentedDrive(wchar_t letter) : letter_(letter) {}
    ~PresentedDrive() { manager_.Remove(letter_); }
    bool Present(const std::string& folder) { return manager_.PresentCdRom(letter_, folder); }
    bool Remove() { return manager_.Remove(letter_); }

private:
    WineMountManager manager_;
    wchar_t letter_;
};

// The height of the Play button's drive list, one row per drive: the list lives in the
// player's process, out of reach of item queries from here.
int DriveListHeight(const ControlBar& bar)
{
    bar.PressArrow(tbPlay);
    if (!WaitFor([] { return OpenPopupMenu() != nullptr; })) return -1;
    const RECT rect = ScreenRect(OpenPopupMenu());
    PressKey(VK_ESCAPE);
    WaitFor([] { return OpenPopupMenu() == nullptr; });
    return rect.bottom - rect.top;
}

// True once the time label has stood still for two seconds.
bool TimeStandsStill(const ControlBar& bar)
{
    const std::wstring before = bar.TimeText();
    Sleep(2000);
    return bar.TimeText() == before;
}

} // namespace

// The platform's device-change broadcast of a disc arriving and leaving rebuilds the drive lists
// of a running player: the new drive plays from the Play button's list, and taken away while
// it plays, it leaves the list and its playback ends as when a disc is ejected.
TEST(Drives, PresentedAndTakenAwayWhileRunning)
{
    const char* discs = std::getenv("LUMADISC_DISCS");
    ASSERT_NE(discs, nullptr);
    ASSERT_TRUE(WineMountManager().Available());
    Player player;
    ASSERT_TRUE(WaitFor([&] { return player.MainWindow() != nullptr; }));
    ControlBar bar(player);
    const int oneDrive = DriveListHeight(bar);
    ASSERT_GT(oneDrive, 0);

    PresentedDrive drive(L'e');
    ASSERT_TRUE(drive.Present(std::string(discs) + "/sample"));
    EXPECT_TRUE(WaitFor([&] { return DriveListHeight(bar) > oneDrive; }));

    bar.PressArrow(tbPlay);
    ASSERT_TRUE(WaitFor([] { return OpenPopupMenu() != nullptr; }));
    ChoosePopupItem(1);
    // Presented as it is, the folder gives the drive no label.
    EXPECT_TRUE(WaitFor([&] { return Text(bar.Window()) == L"Lumadisc  E:\\  "; }));
    ASSERT_TRUE(WaitFor([&] { return player.VideoWindow() != nullptr; }));
    // The disc's menu names title 1 with its first button.
    Sleep(1500);
    Click(PicturePoint(player.VideoWindow(), 360, 230));
    ASSERT_TRUE(WaitFor([&] { return bar.ElapsedSeconds() >= 2; }));
    MoveVideoAside(player);
    Screenshot("presented-drive-playing");

    ASSERT_TRUE(drive.Remove());
    EXPECT_TRUE(WaitFor([&] { return DriveListHeight(bar) == oneDrive; }));
    // As after an eject: the picture and the time stand where the disc left, still in title 1.
    ASSERT_TRUE(WaitFor([&] { return TimeStandsStill(bar); }, 15000));
    EXPECT_GE(bar.ElapsedSeconds(), 2);
    EXPECT_EQ(bar.TitleText(), L"Title:  1");
    EXPECT_TRUE(player.Running());
    EXPECT_TRUE(player.Close());
}
