// Decoding of the IFO structures, against bytes written by the test disc writer.
#include "core/Disc.h"
#include "core/Ifo.h"

#include <gtest/gtest.h>

#include "support/DiscWriter.h"
#include "support/TestDiscs.h"

namespace {

using namespace nav;

void expectSameTable(const PgcTable& actual, const PgcTable& expected)
{
    ASSERT_EQ(actual.pgcs.size(), expected.pgcs.size());
    for (size_t i = 0; i < actual.pgcs.size(); ++i) {
        SCOPED_TRACE("PGC " + std::to_string(i + 1));
        const PgcEntry &a = actual.pgcs[i], &e = expected.pgcs[i];
        EXPECT_EQ(a.entryPgc, e.entryPgc);
        EXPECT_EQ(a.titleNumber, e.titleNumber);
        EXPECT_EQ(a.menuType, e.menuType);
        EXPECT_EQ(a.parentalMask, e.parentalMask);
        ASSERT_TRUE(a.pgc);
        EXPECT_EQ(*a.pgc, *e.pgc);
    }
}

void expectSameMenus(const std::vector<MenuLanguageUnit>& actual, const std::vector<MenuLanguageUnit>& expected)
{
    ASSERT_EQ(actual.size(), expected.size());
    for (size_t i = 0; i < actual.size(); ++i) {
        EXPECT_EQ(actual[i].language, expected[i].language);
        EXPECT_EQ(actual[i].menuExistence, expected[i].menuExistence);
        expectSameTable(actual[i].pgcs, expected[i].pgcs);
    }
}

void expectSameDisc(const Disc& actual, const Disc& expected)
{
    const VideoManager &a = actual.videoManager, &e = expected.videoManager;
    EXPECT_EQ(a.regionProhibitionMask, e.regionProhibitionMask);
    EXPECT_EQ(a.volumeCount, e.volumeCount);
    EXPECT_EQ(a.discSide, e.discSide);
    EXPECT_EQ(a.titleSetCount, e.titleSetCount);
    EXPECT_EQ(a.providerId, e.providerId);
    EXPECT_EQ(a.hasMenuVobs, e.hasMenuVobs);
    ASSERT_EQ(!a.firstPlay, !e.firstPlay);
    if (a.firstPlay) {
        EXPECT_EQ(*a.firstPlay, *e.firstPlay);
    }
    EXPECT_EQ(a.titles, e.titles);
    expectSameMenus(a.menus, e.menus);
    EXPECT_EQ(a.menuVideo, e.menuVideo);
    EXPECT_EQ(a.menuAudio, e.menuAudio);
    EXPECT_EQ(a.menuSubpicture, e.menuSubpicture);
    EXPECT_EQ(a.menuCells, e.menuCells);

    ASSERT_EQ(actual.titleSets.size(), expected.titleSets.size());
    for (size_t n = 0; n < actual.titleSets.size(); ++n) {
        SCOPED_TRACE("title set " + std::to_string(n + 1));
        const TitleSet &av = actual.titleSets[n], &ev = expected.titleSets[n];
        EXPECT_EQ(av.number, ev.number);
        EXPECT_EQ(av.category, ev.category);
        EXPECT_EQ(av.hasMenuVobs, ev.hasMenuVobs);
        EXPECT_EQ(av.titles, ev.titles);
        expectSameTable(av.pgcs, ev.pgcs);
        expectSameMenus(av.menus, ev.menus);
        EXPECT_EQ(av.menuVideo, ev.menuVideo);
        EXPECT_EQ(av.menuAudio, ev.menuAudio);
        EXPECT_EQ(av.menuSubpicture, ev.menuSubpicture);
        EXPECT_EQ(av.video, ev.video);
        EXPECT_EQ(av.audio, ev.audio);
        EXPECT_EQ(av.subpicture, ev.subpicture);
        EXPECT_EQ(av.cells, ev.cells);
        EXPECT_EQ(av.menuCells, ev.menuCells);
    }
}

Disc reopened(const Disc& disc)
{
    navtest::TempFolder folder;
    navtest::writeDisc(disc, folder.path());
    auto opened = openDisc(folder.path().string());
    if (!opened) throw std::runtime_error(opened.error());
    return std::move(opened->disc);
}

TEST(Ifo, DecodesEveryStructureTheWriterEncodes)
{
    const Disc disc = navtest::featureDisc();
    expectSameDisc(reopened(disc), disc);
}

TEST(Ifo, DecodesTheLargestStructure)
{
    const Disc disc = navtest::largeDisc();
    const Disc read = reopened(disc);
    expectSameDisc(read, disc);
    ASSERT_EQ(read.videoManager.titles.size(), 99u);
    EXPECT_EQ(read.titleSets[0].titles[0].size(), 999u);
    EXPECT_EQ(read.titleSets[0].titles[0].back().pgcNumber, 11);
    EXPECT_EQ(read.titleSets[0].titles[0].back().programNumber, 9);
}

TEST(Ifo, SharesAPgcThatSeveralSearchPointersName)
{
    const Disc read = reopened(navtest::featureDisc());
    const auto& pgcs = read.titleSets[0].pgcs.pgcs;
    ASSERT_EQ(pgcs.size(), 3u);
    EXPECT_EQ(pgcs[1].pgc, pgcs[2].pgc);
    EXPECT_NE(pgcs[0].pgc, pgcs[1].pgc);
}

TEST(Ifo, DecodesAngleBlocksAndStills)
{
    const Disc read = reopened(navtest::featureDisc());
    const Pgc& angles = *read.titleSets[0].pgcs.pgcs[0].pgc;
    ASSERT_EQ(angles.cells.size(), 5u);
    EXPECT_EQ(angles.cells[0].blockType, BlockType::Normal);
    EXPECT_EQ(angles.cells[1].blockMode, BlockMode::First);
    EXPECT_EQ(angles.cells[2].blockMode, BlockMode::Inside);
    EXPECT_EQ(angles.cells[3].blockMode, BlockMode::Last);
    EXPECT_EQ(angles.cells[3].blockType, BlockType::Angle);
    EXPECT_EQ(read.videoManager.titles[0].angleCount, 3);

    const Pgc& shuffle = *read.titleSets[0].pgcs.pgcs[1].pgc;
    EXPECT_TRUE(shuffle.shuffle());
    EXPECT_EQ(shuffle.randomProgramCount(), 3u);
    EXPECT_EQ(shuffle.stillTime, InfiniteStill);
    EXPECT_EQ(shuffle.cells[0].stillTime, 5);
    EXPECT_TRUE(shuffle.cells[1].vobuStill);
    EXPECT_EQ(shuffle.cells[2].commandNumber, 2);
}

// Offset of the first title PGC in a title set written by the disc writer.
size_t firstPgcOffset(const std::vector<uint8_t>& ifo)
{
    auto u32 = [&](size_t at) { return size_t{ifo[at]} << 24 | size_t{ifo[at + 1]} << 16 | size_t{ifo[at + 2]} << 8 | ifo[at + 3]; };
    const size_t table = u32(0xCC) * 2048;
    return table + u32(table + 12);
}

TEST(Ifo, DecodesBcdTimesWithTheirFrameRate)
{
    TitleSet vts = navtest::titleSetOf(1, {navtest::sequentialPgc({1})});
    auto ifo = navtest::encodeTitleSet(vts);
    const size_t time = firstPgcOffset(ifo) + 4;
    struct Case {
        uint8_t bytes[4];
        DvdTime expected;
    } cases[] = {
        {{0x01, 0x59, 0x58, 0x40 | 0x24}, {1, 59, 58, 24, 25}},
        {{0x10, 0x00, 0x07, 0xC0 | 0x29}, {10, 0, 7, 29, 30}},
        {{0x00, 0x00, 0x01, 0x80 | 0x05}, {0, 0, 1, 5, 0}},
        {{0x00, 0x00, 0x01, 0x00 | 0x05}, {0, 0, 1, 5, 0}},
    };
    for (const Case& c : cases) {
        std::copy(std::begin(c.bytes), std::end(c.bytes), ifo.begin() + static_cast<std::ptrdiff_t>(time));
        EXPECT_EQ(parseTitleSet(ifo, 1).pgcs.pgcs[0].pgc->playbackTime, c.expected);
    }
}

TEST(Ifo, CountsTimeInFramesAtTheDiscRate)
{
    const DvdTime pal{1, 2, 3, 4, 25};
    EXPECT_EQ(pal.totalFrames(), ((1u * 60 + 2) * 60 + 3) * 25 + 4);
    EXPECT_DOUBLE_EQ(pal.totalSeconds(), 3723.16);
    EXPECT_EQ(DvdTime::fromFrames(pal.totalFrames(), 25), pal);
    const DvdTime ntsc = DvdTime::fromFrames(30 * 61 + 29, 30);
    EXPECT_EQ(ntsc, (DvdTime{0, 1, 1, 29, 30}));
    // An illegal rate still counts whole frames rather than losing them.
    EXPECT_EQ((DvdTime{0, 0, 2, 3, 0}).totalFrames(), 63u);
}

TEST(Ifo, DecodesVideoAttributeBits)
{
    TitleSet vts = navtest::titleSetOf(1, {navtest::sequentialPgc({1})});
    auto ifo = navtest::encodeTitleSet(vts);
    struct Case {
        uint8_t a, b;
        uint16_t width, height;
        bool pal, wide, letterboxed, film;
    } cases[] = {
        {0x4C, 0x00, 720, 480, false, true, false, false},
        {0x50, 0x00, 720, 576, true, false, false, false},
        {0x40, 0x00, 720, 480, false, false, false, false},
        {0x50, 0x08, 704, 576, true, false, false, false},
        {0x40, 0x10, 352, 480, false, false, false, false},
        {0x50, 0x18, 352, 288, true, false, false, false},
        {0x40, 0x18, 352, 240, false, false, false, false},
        {0x50, 0x05, 720, 576, true, false, true, true},
        {0x50, 0x38, 720, 576, true, false, false, false},  // reserved size code
    };
    for (const Case& c : cases) {
        ifo[0x200] = c.a;
        ifo[0x201] = c.b;
        const VideoAttributes v = parseTitleSet(ifo, 1).video;
        SCOPED_TRACE(testing::Message() << std::hex << int(c.a) << " " << int(c.b));
        EXPECT_EQ(v.pal, c.pal);
        EXPECT_EQ(v.wide, c.wide);
        EXPECT_EQ(v.letterboxed, c.letterboxed);
        EXPECT_EQ(v.film, c.film);
        EXPECT_EQ(v.width, c.width);
        EXPECT_EQ(v.height, c.height);
    }
}

TEST(Ifo, DecodesAudioAndSubpictureAttributes)
{
    TitleSet vts = navtest::titleSetOf(1, {navtest::sequentialPgc({1})});
    auto ifo = navtest::encodeTitleSet(vts);
    const uint8_t lpcm[8] = {0x84, 0x55, 'J', 'A', 0, 2, 0, 0};
    std::copy(std::begin(lpcm), std::end(lpcm), ifo.begin() + 0x204);
    AudioAttributes a = parseTitleSet(ifo, 1).audio[0];
    EXPECT_EQ(a.format(), AudioFormat::Lpcm);
    EXPECT_EQ(a.language, "ja");
    EXPECT_EQ(a.bitsPerSample(), 20);
    EXPECT_EQ(a.sampleRate, 96000u);
    EXPECT_EQ(a.channels, 6);
    EXPECT_EQ(a.codeExtension, 2);

    // A language code is only taken when the language type says it is there and it is letters.
    ifo[0x204] = 0x00;
    EXPECT_EQ(parseTitleSet(ifo, 1).audio[0].language, "");
    ifo[0x204] = 0x04;
    ifo[0x206] = 0;
    ifo[0x207] = 0;
    EXPECT_EQ(parseTitleSet(ifo, 1).audio[0].language, "");

    ifo[0x255] = 1;
    const uint8_t sp[6] = {0x01, 0, 'n', 'l', 0, 9};
    std::copy(std::begin(sp), std::end(sp), ifo.begin() + 0x256);
    const SubpictureAttributes s = parseTitleSet(ifo, 1).subpicture.at(0);
    EXPECT_EQ(s.language, "nl");
    EXPECT_EQ(s.codeExtension, 9);
}

}  // namespace
