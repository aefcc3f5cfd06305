// Discs whose IFO files the drive cannot read (slow-drive-tests.sh runs each case under the
// drive it needs): the backups stand in, and a disc with neither copy readable is refused as a
// missing volume is.
#include "PlaybackTest.h"

namespace navtest {
namespace {

class UnreadableIfo : public Playback {
protected:
    void SetUp() override
    {
        if (slowDrive().empty()) GTEST_SKIP() << "needs the drive slow-drive-tests.sh presents";
        Playback::SetUp();
    }
    std::wstring discPath() const override { return slowDrive(); }
};

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

}  // namespace
}  // namespace navtest
