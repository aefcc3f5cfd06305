// Discs in a drive that reads like a real one (slow-drive-tests.sh runs each case under the
// drive it needs): IFO files the drive cannot read, whose backups stand in, or neither copy
// readable, refused as a missing volume is; menus whose VOBs fail; and a drive that spins up
// after idling.
#include "PlaybackTest.h"

#include <algorithm>
#include <cstdio>

namespace navtest {
namespace {

class UnreadableIfo : public OnSlowDrive<Playback> {};

// VIDEO_TS.IFO and VTS_01_0.IFO fail to read.
TEST_F(UnreadableIfo, TheBackupsAreReadAndTheDiscPlays)
{
    runToMenu();
    ASSERT_EQ(S_OK, dvd->PlayTitle(1, DVD_CMD_FLAG_None, nullptr));
    EXPECT_TRUE(playback->waitFor(EC_DVD_CURRENT_HMSF_TIME, [](const GraphEvent& event) { return secondsOf(event) >= 1; }));
}

// VIDEO_TS.IFO and VIDEO_TS.BUP fail to read.
TEST(UnreadableIfoAndBackup, TheDiscIsRefusedAsAMissingVolumeIs)
{
    if (slowDrive().empty()) GTEST_SKIP() << "needs the drive slow-drive-tests.sh presents";
    ClassRegistration classes;
    DvdPlayback unreadable, missing;
    ASSERT_TRUE(unreadable.ready() && missing.ready());
    EXPECT_EQ(S_FALSE, unreadable.render(slowDrive()));
    EXPECT_EQ(S_FALSE, missing.render(slowDrive() + L"no such folder"));
    EXPECT_TRUE(unreadable.status.bDvdVolInvalid);
    EXPECT_EQ(missing.status.bDvdVolInvalid, unreadable.status.bDvdVolInvalid);
    EXPECT_EQ(missing.status.bDvdVolUnknown, unreadable.status.bDvdVolUnknown);
    EXPECT_EQ(missing.status.iNumStreamsFailed, unreadable.status.iNumStreamsFailed);
}

// VIDEO_TS.VOB fails past its first VOBU, VTS_01_0.VOB wholly; each failed read takes the
// drive half a second of retries. The title menu shows what reads, its buttons with it; the root
// menu, with nothing readable, holds; titles play from both; no query waits on the retries, and
// a command at most for one.
class UnreadableMenus : public OnSlowDrive<Playback> {
protected:
    // The longest a location query waited while the graph ran for `milliseconds`.
    ULONGLONG longestQuery(DWORD milliseconds)
    {
        ULONGLONG longest = 0;
        for (const ULONGLONG start = GetTickCount64(); GetTickCount64() - start < milliseconds;) {
            pumpMessages(20);
            DVD_PLAYBACK_LOCATION2 location{};
            const ULONGLONG asked = GetTickCount64();
            info->GetCurrentLocation(&location);
            longest = std::max(longest, GetTickCount64() - asked);
        }
        return longest;
    }
};

TEST_F(UnreadableMenus, WhatReadsShowsAndTitlesStillPlay)
{
    runToMenu();
    ULONG buttons = 0, current = 0;
    for (const ULONGLONG start = GetTickCount64(); buttons == 0 && GetTickCount64() - start < 5000;) {
        pumpMessages(50);
        info->GetCurrentButton(&buttons, &current);
    }
    ULONGLONG longest = longestQuery(1500), command = 0;
    ASSERT_EQ(2u, buttons) << "the title menu's readable VOBU did not show";
    ASSERT_EQ(S_OK, dvd->SelectAndActivateButton(1));
    ASSERT_TRUE(playback->waitFor(EC_DVD_CURRENT_HMSF_TIME, [](const GraphEvent& e) { return secondsOf(e) >= 1; }));

    ASSERT_EQ(S_OK, dvd->ShowMenu(DVD_MENU_Root, DVD_CMD_FLAG_None, nullptr));
    ASSERT_TRUE(playback->waitFor(EC_DVD_DOMAIN_CHANGE, [](const GraphEvent& e) { return e.param1 == DVD_DOMAIN_VideoTitleSetMenu; }));
    longest = std::max(longest, longestQuery(2000));
    DVD_DOMAIN domain{};
    ASSERT_EQ(S_OK, info->GetCurrentDomain(&domain));
    EXPECT_EQ(DVD_DOMAIN_VideoTitleSetMenu, domain) << "the unreadable root menu did not hold";
    const ULONGLONG asked = GetTickCount64();
    ASSERT_EQ(S_OK, dvd->PlayTitle(1, DVD_CMD_FLAG_None, nullptr));
    command = GetTickCount64() - asked;
    EXPECT_TRUE(playback->waitFor(EC_DVD_CURRENT_HMSF_TIME, [](const GraphEvent& e) { return secondsOf(e) >= 1; }))
        << "title 1 did not play after the unreadable menu";
    std::printf("over the unreadable menus a query waited %llu ms at most, a command %llu ms\n", longest, command);
    EXPECT_LT(longest, 100u) << "a query waited on the drive";
    EXPECT_LT(command, 1000u) << "a command waited on more than one failed read";
}

// The drive takes 3 s to spin up, at first and after 2 s idle. How long the calls the player
// makes from its window's thread wait on it is printed; playback goes on once the disc is ready.
TEST(SpinningUpDrive, PlaybackGoesOnOnceTheDiscIsReady)
{
    if (slowDrive().empty()) GTEST_SKIP() << "needs the drive slow-drive-tests.sh presents";
    ClassRegistration classes;
    DvdPlayback playback;
    ASSERT_TRUE(playback.ready());
    pumpMessages(2500);  // whatever looked at the drive before, it has spun down
    ULONGLONG asked = GetTickCount64();
    ASSERT_EQ(S_OK, playback.render(slowDrive()));
    const ULONGLONG opening = GetTickCount64() - asked;
    playback.embedVideo();
    ComPtr<IDvdControl2> dvd = playback.dvd();
    ComPtr<IDvdInfo2> info = playback.info();
    ASSERT_EQ(S_OK, dvd->SetOption(DVD_HMSF_TimeCodeEvents, TRUE));
    ASSERT_TRUE(SUCCEEDED(playback.control->Run()));
    ASSERT_EQ(S_OK, dvd->PlayTitle(1, DVD_CMD_FLAG_None, nullptr));
    ASSERT_TRUE(playback.waitFor(EC_DVD_CURRENT_HMSF_TIME, [](const GraphEvent& event) { return secondsOf(event) >= 2; }));

    // Paused long enough for the drive to spin down, then on: the location asked meanwhile.
    ASSERT_TRUE(SUCCEEDED(playback.control->Pause()));
    pumpMessages(4000);
    ASSERT_TRUE(SUCCEEDED(playback.control->Run()));
    ULONGLONG longest = 0;
    double told = 0;
    for (const ULONGLONG start = GetTickCount64(); told < 8 && GetTickCount64() - start < 30000;) {
        pumpMessages(20);
        DVD_PLAYBACK_LOCATION2 location{};
        asked = GetTickCount64();
        info->GetCurrentLocation(&location);
        longest = std::max(longest, GetTickCount64() - asked);
        told = location.TimeCode.bMinutes * 60 + location.TimeCode.bSeconds;
    }
    std::printf("opening the disc waited %llu ms; after the spin-down a location query waited %llu ms at most\n",
                opening, longest);
    EXPECT_GE(told, 8) << "playback did not go on";
}

}  // namespace
}  // namespace navtest
