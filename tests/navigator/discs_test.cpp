// The discs authored by tests/discs/make-discs.sh, as the navigator core reads them.
#include "core/Disc.h"

#include <gtest/gtest.h>

#include "support/TestDiscs.h"

namespace {

using namespace nav;

OpenedDisc openTestDisc(const char* name)
{
    const auto path = navtest::testDiscs() / name;
    auto opened = openDisc(utf8FromPath(path));
    if (!opened)
        throw std::runtime_error(opened.error() + " (author the discs with tests/discs/make-discs.sh " +
                                 utf8FromPath(navtest::testDiscs()) + ")");
    return std::move(*opened);
}

const Command JumpToTitleMenu{0x30, 0x06, 0, 0x01, 0, 0xC0, 0, 0};
const Command CallTitleMenu{0x30, 0x08, 0, 0x01, 0x01, 0xC0, 0, 0};

TEST(Discs, SampleHasMenusTitlesAndStreams)
{
    const OpenedDisc sample = openTestDisc("sample");
    const VideoManager& vmg = sample.disc.videoManager;
    ASSERT_TRUE(vmg.firstPlay);
    EXPECT_EQ(vmg.firstPlay->preCommands, std::vector<Command>{JumpToTitleMenu});
    ASSERT_EQ(vmg.menus.size(), 1u);
    EXPECT_EQ(vmg.menus[0].language, "en");
    EXPECT_EQ(vmg.menus[0].menuExistence, menuflag::Title);
    const PgcEntry& titleMenu = vmg.menus[0].pgcs.pgcs.at(0);
    EXPECT_TRUE(titleMenu.entryPgc);
    EXPECT_EQ(titleMenu.menuType, 2);
    ASSERT_EQ(titleMenu.pgc->cells.size(), 1u);
    EXPECT_EQ(titleMenu.pgc->cells[0].stillTime, InfiniteStill);

    ASSERT_EQ(vmg.titles.size(), 2u);
    EXPECT_EQ(vmg.titles[0].titleSet, 1);
    EXPECT_EQ(vmg.titles[0].chapterCount, 4);
    EXPECT_EQ(vmg.titles[1].titleSet, 2);
    EXPECT_EQ(vmg.titles[1].chapterCount, 1);

    const TitleSet& vts1 = sample.disc.titleSets.at(0);
    EXPECT_TRUE(vts1.video.pal);
    EXPECT_FALSE(vts1.video.wide);
    EXPECT_EQ(vts1.video.width, 720);
    EXPECT_EQ(vts1.video.height, 576);
    ASSERT_EQ(vts1.audio.size(), 2u);
    EXPECT_EQ(vts1.audio[0].language, "en");
    EXPECT_EQ(vts1.audio[1].language, "fr");
    EXPECT_EQ(vts1.audio[1].format(), AudioFormat::Ac3);
    EXPECT_EQ(vts1.audio[1].sampleRate, 48000u);
    EXPECT_EQ(vts1.audio[1].channels, 2);
    ASSERT_EQ(vts1.subpicture.size(), 2u);
    EXPECT_EQ(vts1.subpicture[0].language, "en");
    EXPECT_EQ(vts1.subpicture[1].language, "");
    ASSERT_EQ(vts1.menus.size(), 1u);
    EXPECT_EQ(vts1.menus[0].menuExistence & menuflag::Root, menuflag::Root);

    const Pgc& title1 = *vts1.pgcs.pgcs.at(0).pgc;
    EXPECT_EQ(title1.playbackTime, (DvdTime{0, 0, 32, 0, 25}));
    ASSERT_EQ(title1.cells.size(), 4u);
    for (const CellPlayback& cell : title1.cells) EXPECT_EQ(cell.playbackTime, (DvdTime{0, 0, 8, 0, 25}));
    EXPECT_EQ(title1.programs, (std::vector<uint8_t>{1, 2, 3, 4}));
    EXPECT_EQ(title1.postCommands, std::vector<Command>{CallTitleMenu});
    EXPECT_TRUE(title1.audioControl[1].available);
    EXPECT_EQ(title1.audioControl[1].physicalStream, 1);
    EXPECT_EQ(title1.subpictureControl[1].stream4x3, 1);

    const TitleSet& vts2 = sample.disc.titleSets.at(1);
    EXPECT_TRUE(vts2.video.wide);
    ASSERT_EQ(vts2.audio.size(), 1u);
    EXPECT_EQ(vts2.audio[0].language, "de");
    EXPECT_EQ(vts2.audio[0].format(), AudioFormat::Mpeg1);
}

// Cell addresses count sectors of the domain's VOB set: every cell lies inside it and starts
// with a NAV pack (pack header, then the PCI packet of private stream 2).
TEST(Discs, EveryCellStartsWithANavPackInsideItsVobSet)
{
    for (const char* name : {"sample", "chapters300"}) {
        SCOPED_TRACE(name);
        const OpenedDisc opened = openTestDisc(name);
        auto check = [&](unsigned titleSet, VobSet set, const PgcTable& table) {
            for (const PgcEntry& entry : table.pgcs) {
                for (const CellPlayback& cell : entry.pgc->cells) {
                    EXPECT_LT(cell.lastSector, opened.volume.sectorCount(titleSet, set));
                    std::vector<uint8_t> sector(SectorBytes);
                    ASSERT_TRUE(opened.volume.readSectors(titleSet, set, cell.firstSector, sector));
                    EXPECT_EQ((std::vector<uint8_t>(sector.begin(), sector.begin() + 4)),
                              (std::vector<uint8_t>{0, 0, 1, 0xBA}));
                    EXPECT_EQ((std::vector<uint8_t>(sector.begin() + 0x26, sector.begin() + 0x2A)),
                              (std::vector<uint8_t>{0, 0, 1, 0xBF}));
                }
            }
        };
        for (const MenuLanguageUnit& unit : opened.disc.videoManager.menus) check(0, VobSet::Menu, unit.pgcs);
        for (const TitleSet& vts : opened.disc.titleSets) {
            check(vts.number, VobSet::Title, vts.pgcs);
            for (const MenuLanguageUnit& unit : vts.menus) check(vts.number, VobSet::Menu, unit.pgcs);
        }
    }
}

TEST(Discs, SampleMenusCarryTwoButtons)
{
    const OpenedDisc sample = openTestDisc("sample");
    std::vector<uint8_t> nav(SectorBytes);
    constexpr size_t ButtonCount = 0x2D + 0x71;  // PCI btn_ns
    ASSERT_TRUE(sample.volume.readSectors(0, VobSet::Menu, 0, nav));
    EXPECT_EQ(nav[ButtonCount], 2);
    ASSERT_TRUE(sample.volume.readSectors(1, VobSet::Menu, 0, nav));
    EXPECT_EQ(nav[ButtonCount], 2);
}

TEST(Discs, Chapters300SpreadsOneTitleOverFourPgcs)
{
    const OpenedDisc opened = openTestDisc("chapters300");
    const auto& titles = opened.disc.videoManager.titles;
    ASSERT_EQ(titles.size(), 1u);
    EXPECT_EQ(titles[0].chapterCount, 300);
    EXPECT_TRUE(titles[0].playbackType & titletype::NotOneSequentialPgc);

    const TitleSet& vts = opened.disc.titleSets.at(0);
    ASSERT_EQ(vts.titles.size(), 1u);
    const auto& chapters = vts.titles[0];
    ASSERT_EQ(chapters.size(), 300u);
    for (size_t c = 0; c < chapters.size(); ++c) {
        EXPECT_EQ(chapters[c].pgcNumber, c / 75 + 1);
        EXPECT_EQ(chapters[c].programNumber, c % 75 + 1);
    }
    ASSERT_EQ(vts.pgcs.pgcs.size(), 4u);
    for (uint16_t k = 1; k <= 4; ++k) {
        const PgcEntry& e = vts.pgcs.pgcs[k - 1];
        EXPECT_EQ(e.entryPgc, k == 1);
        EXPECT_EQ(e.titleNumber, 1);
        EXPECT_EQ(e.pgc->nextPgc, k < 4 ? k + 1 : 0);
        EXPECT_EQ(e.pgc->prevPgc, k - 1);
        EXPECT_EQ(e.pgc->playbackTime.frameRate, 30);
    }
    EXPECT_FALSE(vts.video.pal);
    EXPECT_EQ(vts.video.width, 352);
    EXPECT_EQ(vts.video.height, 240);
}

}  // namespace
