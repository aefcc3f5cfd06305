// Finding a volume from what the user names, reading its files and VOB sectors, and falling
// back to the backup IFOs.
#include "core/Disc.h"
#include "core/Volume.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "support/DiscWriter.h"
#include "support/TestDiscs.h"

namespace {

using namespace nav;
using testing::HasSubstr;
namespace fs = std::filesystem;

// Sectors whose first four bytes hold their number in the VOB set, after `first`.
std::vector<uint8_t> numberedSectors(uint32_t first, uint32_t count)
{
    std::vector<uint8_t> bytes(count * SectorBytes);
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t n = first + i;
        for (int k = 0; k < 4; ++k) bytes[i * SectorBytes + k] = static_cast<uint8_t>(n >> (24 - 8 * k));
    }
    return bytes;
}

uint32_t sectorNumber(const uint8_t* sector)
{
    return uint32_t{sector[0]} << 24 | uint32_t{sector[1]} << 16 | uint32_t{sector[2]} << 8 | sector[3];
}

class VolumeTest : public testing::Test {
protected:
    void SetUp() override { navtest::writeDisc(navtest::featureDisc(), root()); }
    fs::path root() const { return folder_.path() / "Disc é ☃"; }
    fs::path videoTs() const { return root() / "VIDEO_TS"; }
    std::string utf8(const fs::path& p) const { return utf8FromPath(p); }

    navtest::TempFolder folder_;
};

TEST_F(VolumeTest, OpensFromTheFolderTheVideoTsFolderOrAnyFileInThem)
{
    navtest::writeFile(videoTs() / "VTS_01_1.VOB", numberedSectors(0, 2));
    navtest::writeFile(root() / "AUTORUN.INF", {});
    for (const fs::path& p : {root(), videoTs(), videoTs() / "VIDEO_TS.IFO", videoTs() / "VTS_01_1.VOB",
                              root() / "AUTORUN.INF"}) {
        SCOPED_TRACE(utf8(p));
        auto volume = Volume::open(utf8(p));
        ASSERT_TRUE(volume) << volume.error();
        EXPECT_EQ(volume->location(), videoTs());
        EXPECT_TRUE(openDisc(utf8(p)));
    }
}

TEST_F(VolumeTest, MatchesNamesWithoutRegardToCase)
{
    fs::rename(videoTs(), root() / "video_ts");
    fs::rename(root() / "video_ts" / "VIDEO_TS.IFO", root() / "video_ts" / "video_ts.ifo");
    fs::rename(root() / "video_ts" / "VTS_01_0.IFO", root() / "video_ts" / "Vts_01_0.Ifo");
    fs::rename(root() / "video_ts" / "VTS_02_0.IFO", root() / "video_ts" / "vts_02_0.ifo");
    auto opened = openDisc(utf8(root()));
    ASSERT_TRUE(opened) << opened.error();
    EXPECT_EQ(opened->disc.titleSets.size(), 2u);
    EXPECT_TRUE(openDisc(utf8(root() / "video_ts" / "video_ts.ifo")));
}

TEST_F(VolumeTest, ReportsWhatIsNotAVolume)
{
    EXPECT_THAT(Volume::open(utf8(root() / "missing")).error(), HasSubstr("cannot find"));
    EXPECT_THAT(Volume::open("").error(), HasSubstr("no path"));
    const fs::path empty = folder_.path() / "empty";
    fs::create_directories(empty);
    EXPECT_THAT(Volume::open(utf8(empty)).error(), HasSubstr("no VIDEO_TS.IFO"));
    navtest::writeFile(empty / "notes.txt", {1, 2, 3});
    EXPECT_THAT(Volume::open(utf8(empty / "notes.txt")).error(), HasSubstr("no VIDEO_TS.IFO"));
}

TEST_F(VolumeTest, ReadsVobSetsAsOneSectorSpace)
{
    navtest::writeFile(videoTs() / "VTS_01_1.VOB", numberedSectors(0, 3));
    navtest::writeFile(videoTs() / "VTS_01_2.VOB", numberedSectors(3, 2));
    navtest::writeFile(videoTs() / "VTS_01_4.VOB", numberedSectors(100, 2));  // after a gap: not part of it
    navtest::writeFile(videoTs() / "VTS_01_0.VOB", numberedSectors(50, 1));
    navtest::writeFile(videoTs() / "VIDEO_TS.VOB", numberedSectors(70, 4));
    auto volume = Volume::open(utf8(root()));
    ASSERT_TRUE(volume);
    EXPECT_EQ(volume->sectorCount(1, VobSet::Title), 5u);
    EXPECT_EQ(volume->sectorCount(1, VobSet::Menu), 1u);
    EXPECT_EQ(volume->sectorCount(0, VobSet::Menu), 4u);
    EXPECT_EQ(volume->sectorCount(2, VobSet::Title), 0u);

    std::vector<uint8_t> buffer(3 * SectorBytes);
    ASSERT_TRUE(volume->readSectors(1, VobSet::Title, 2, buffer));
    for (uint32_t i = 0; i < 3; ++i) EXPECT_EQ(sectorNumber(&buffer[i * SectorBytes]), 2 + i);
    EXPECT_FALSE(volume->readSectors(1, VobSet::Title, 3, buffer));
    EXPECT_FALSE(volume->readSectors(1, VobSet::Title, 0xFFFFFFFF, buffer));
    ASSERT_TRUE(volume->readSectors(0, VobSet::Menu, 3, std::span(buffer).first(SectorBytes)));
    EXPECT_EQ(sectorNumber(buffer.data()), 73u);
    ASSERT_TRUE(volume->readSectors(1, VobSet::Menu, 0, std::span(buffer).first(SectorBytes)));
    EXPECT_EQ(sectorNumber(buffer.data()), 50u);
    EXPECT_FALSE(volume->readSectors(2, VobSet::Title, 0, std::span(buffer).first(SectorBytes)));
    EXPECT_FALSE(volume->readSectors(1, VobSet::Title, 0, std::span(buffer).first(100)));
}

TEST_F(VolumeTest, FallsBackToTheBackupOfADamagedOrMissingIfo)
{
    std::vector<uint8_t> damaged(4096, 0);
    navtest::writeFile(videoTs() / "VIDEO_TS.IFO", damaged);
    fs::remove(videoTs() / "VTS_02_0.IFO");
    auto opened = openDisc(utf8(root()));
    ASSERT_TRUE(opened) << opened.error();
    EXPECT_EQ(opened->disc.videoManager.titles.size(), 3u);
    EXPECT_EQ(opened->disc.titleSets[1].video.width, 352);
}

TEST_F(VolumeTest, ReportsBothCopiesWhenNeitherIsUsable)
{
    navtest::writeFile(videoTs() / "VTS_01_0.IFO", std::vector<uint8_t>(100, 0));
    fs::remove(videoTs() / "VTS_01_0.BUP");
    const std::string error = openDisc(utf8(root())).error();
    EXPECT_THAT(error, HasSubstr("VTS_01_0.IFO: not a DVDVIDEO-VTS file"));
    EXPECT_THAT(error, HasSubstr("VTS_01_0.BUP is missing"));

    fs::remove(videoTs() / "VTS_02_0.IFO");
    fs::remove(videoTs() / "VTS_02_0.BUP");
    navtest::writeFile(videoTs() / "VTS_01_0.IFO", navtest::encodeTitleSet(navtest::featureDisc().titleSets[0]));
    EXPECT_THAT(openDisc(utf8(root())).error(), HasSubstr("VTS_02_0.IFO is missing"));
}

TEST_F(VolumeTest, RefusesAnIfoLargerThanAnyDiscHolds)
{
    fs::resize_file(videoTs() / "VIDEO_TS.IFO", uintmax_t{64} << 20);
    fs::remove(videoTs() / "VIDEO_TS.BUP");
    EXPECT_THAT(openDisc(utf8(root())).error(), HasSubstr("VIDEO_TS.IFO is too large"));
}

TEST_F(VolumeTest, ReportsATitleThatNamesAMissingTitleOfItsTitleSet)
{
    Disc disc = navtest::featureDisc();
    disc.videoManager.titles[2].titleSetTitle = 2;
    navtest::writeDisc(disc, root());
    EXPECT_THAT(openDisc(utf8(root())).error(), HasSubstr("title 3 names missing title 2 of title set 2"));
}

}  // namespace
