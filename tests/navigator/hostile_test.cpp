// Damaged, truncated and hostile IFO bytes end in a FormatError, never a crash, a hang or an
// allocation beyond what the file can justify.
#include "core/Ifo.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <random>

#include "support/DiscWriter.h"

namespace {

using namespace nav;
using testing::HasSubstr;

uint32_t get32(const std::vector<uint8_t>& b, size_t at)
{
    return uint32_t{b[at]} << 24 | uint32_t{b[at + 1]} << 16 | uint32_t{b[at + 2]} << 8 | b[at + 3];
}

void put16(std::vector<uint8_t>& b, size_t at, uint16_t v)
{
    b[at] = static_cast<uint8_t>(v >> 8);
    b[at + 1] = static_cast<uint8_t>(v);
}

void put32(std::vector<uint8_t>& b, size_t at, uint32_t v)
{
    put16(b, at, static_cast<uint16_t>(v >> 16));
    put16(b, at + 2, static_cast<uint16_t>(v));
}

std::string titleSetError(const std::vector<uint8_t>& ifo)
{
    try {
        parseTitleSet(ifo, 1);
    } catch (const FormatError& e) {
        return e.what();
    }
    return "no error";
}

std::string videoManagerError(const std::vector<uint8_t>& ifo)
{
    try {
        parseVideoManager(ifo);
    } catch (const FormatError& e) {
        return e.what();
    }
    return "no error";
}

// Either decodes or reports the damage; anything else escapes and fails the test.
void parseBoth(std::span<const uint8_t> bytes)
{
    try {
        parseVideoManager(bytes);
    } catch (const FormatError&) {
    }
    try {
        parseTitleSet(bytes, 1);
    } catch (const FormatError&) {
    }
}

struct Files {
    std::vector<uint8_t> vmg, vts;
};

Files featureFiles()
{
    const Disc disc = navtest::featureDisc();
    return {navtest::encodeVideoManager(disc), navtest::encodeTitleSet(disc.titleSets[0])};
}

size_t pgcitOffset(const std::vector<uint8_t>& vts) { return get32(vts, 0xCC) * 2048; }
size_t firstPgc(const std::vector<uint8_t>& vts) { return pgcitOffset(vts) + get32(vts, pgcitOffset(vts) + 12); }

TEST(Hostile, EveryTruncationIsReported)
{
    const Files files = featureFiles();
    for (const auto* file : {&files.vmg, &files.vts}) {
        for (size_t size = 0; size < file->size(); ++size) {
            const std::span<const uint8_t> cut(file->data(), size);
            if (file == &files.vmg) {
                try {
                    parseVideoManager(cut);
                } catch (const FormatError&) {
                }
            } else {
                try {
                    parseTitleSet(cut, 1);
                } catch (const FormatError&) {
                }
            }
        }
    }
    // Cutting into the tables (not merely the padding after them) is an error.
    EXPECT_THAT(titleSetError({files.vts.begin(), files.vts.begin() + 0x300}), HasSubstr("past the end"));
    EXPECT_THAT(videoManagerError({files.vmg.begin(), files.vmg.begin() + 2048 + 16}), HasSubstr("title table"));
}

TEST(Hostile, RandomCorruptionIsReportedOrDecoded)
{
    const Files files = featureFiles();
    std::mt19937 random(20240601);
    for (int round = 0; round < 3000; ++round) {
        std::vector<uint8_t> bytes = round % 2 ? files.vmg : files.vts;
        const int changes = 1 + static_cast<int>(random() % 8);
        for (int i = 0; i < changes; ++i) {
            const size_t at = random() % bytes.size();
            bytes[at] = static_cast<uint8_t>(random() % 3 == 0 ? 0xFF : random());
        }
        parseBoth(bytes);
    }
}

TEST(Hostile, PointersPastTheEndAreReported)
{
    Files files = featureFiles();
    auto vts = files.vts;
    put32(vts, 0xCC, 0x00FFFFFF);
    EXPECT_THAT(titleSetError(vts), HasSubstr("title PGC table lies at byte"));

    vts = files.vts;
    put32(vts, pgcitOffset(vts) + 12, 0xFFFFFFF0);
    EXPECT_THAT(titleSetError(vts), HasSubstr("past the end"));

    auto vmg = files.vmg;
    put32(vmg, 0x84, static_cast<uint32_t>(vmg.size()));
    EXPECT_THAT(videoManagerError(vmg), HasSubstr("first-play PGC"));

    vts = files.vts;
    put16(vts, firstPgc(vts) + 0xE8, 0xFFF0);
    EXPECT_THAT(titleSetError(vts), HasSubstr("needs"));
}

TEST(Hostile, BrokenCrossReferencesAreReported)
{
    const Files files = featureFiles();
    const size_t ptt = get32(files.vts, 0xC8) * 2048;
    const size_t firstChapter = ptt + get32(files.vts, ptt + 8);

    auto vts = files.vts;
    put16(vts, firstChapter, 9);
    EXPECT_THAT(titleSetError(vts), HasSubstr("title 1 chapter 1 names missing PGC 9"));

    vts = files.vts;
    put16(vts, firstChapter + 2, 3);
    EXPECT_THAT(titleSetError(vts), HasSubstr("title 1 chapter 1 names missing program 3"));

    const size_t pgc = firstPgc(files.vts);
    const size_t programMap = pgc + (size_t{files.vts[pgc + 0xE6]} << 8 | files.vts[pgc + 0xE7]);
    vts = files.vts;
    vts[programMap + 1] = 1;  // program 2 would start before program 1 ends
    EXPECT_THAT(titleSetError(vts), HasSubstr("program 2 starts at invalid cell 1"));

    vts = files.vts;
    vts[programMap] = 6;
    EXPECT_THAT(titleSetError(vts), HasSubstr("program 1 starts at invalid cell 6"));

    vts = files.vts;
    vts[pgc + 2] = 9;  // more programs than cells
    EXPECT_THAT(titleSetError(vts), HasSubstr("more programs than cells"));

    const size_t cells = pgc + (size_t{files.vts[pgc + 0xE8]} << 8 | files.vts[pgc + 0xE9]);
    vts = files.vts;
    vts[cells + 3] = 4;  // the PGC has no cell commands
    EXPECT_THAT(titleSetError(vts), HasSubstr("cell 1 names missing cell command 4"));

    auto vmg = files.vmg;
    vmg[get32(vmg, 0xC4) * 2048 + 8 + 6] = 7;
    EXPECT_THAT(videoManagerError(vmg), HasSubstr("title 1 is in missing title set 7"));
}

TEST(Hostile, ImplausibleCountsAreReported)
{
    const Files files = featureFiles();
    auto vts = files.vts;
    vts[0x203] = 9;
    EXPECT_THAT(titleSetError(vts), HasSubstr("9 audio streams"));

    vts = files.vts;
    vts[0x255] = 33;
    EXPECT_THAT(titleSetError(vts), HasSubstr("33 subpicture streams"));

    vts = files.vts;
    vts[0x103] = 2;
    EXPECT_THAT(titleSetError(vts), HasSubstr("2 audio streams"));

    vts = files.vts;
    std::copy_n("DVDVIDEO-VMG", 12, vts.begin());
    EXPECT_THAT(titleSetError(vts), HasSubstr("not a DVDVIDEO-VTS file"));

    auto vmg = files.vmg;
    put16(vmg, 0x3E, 100);
    EXPECT_THAT(videoManagerError(vmg), HasSubstr("names 100 title sets"));

    vmg = files.vmg;
    put16(vmg, get32(vmg, 0xC4) * 2048, 0);
    EXPECT_THAT(videoManagerError(vmg), HasSubstr("holds 0 titles"));

    vmg = files.vmg;
    vmg[get32(vmg, 0xC4) * 2048 + 8 + 1] = 10;
    EXPECT_THAT(videoManagerError(vmg), HasSubstr("title 1 has 10 angles"));
}

TEST(Hostile, ChapterListWithoutEndAddressRunsToTheFirstEmptyEntry)
{
    const Disc disc = navtest::largeDisc();
    auto vts = navtest::encodeTitleSet(disc.titleSets[0]);
    put32(vts, get32(vts, 0xC8) * 2048 + 4, 0);
    EXPECT_EQ(parseTitleSet(vts, 1).titles, disc.titleSets[0].titles);
}

TEST(Hostile, OversizedChapterAndCommandListsAreReported)
{
    const Files files = featureFiles();
    const size_t ptt = get32(files.vts, 0xC8) * 2048;
    auto vts = files.vts;
    put32(vts, ptt + 4, 0x00FFFFFF);  // the last title's chapter list runs to this end address
    EXPECT_THAT(titleSetError(vts), HasSubstr("chapters"));

    const size_t pgc = firstPgc(files.vts);
    const size_t commands = pgc + (size_t{files.vts[pgc + 0xE4]} << 8 | files.vts[pgc + 0xE5]);
    vts = files.vts;
    put16(vts, commands, 200);
    put16(vts, commands + 2, 200);
    EXPECT_THAT(titleSetError(vts), HasSubstr("holds 400 commands"));
}

// 65535 language units all naming one unit of 65535 search pointers: decoding it all would
// take billions of entries, so the structure limit stops it early.
TEST(Hostile, SharedTablesCannotMultiplyTheStructure)
{
    TitleSet vts = navtest::titleSetOf(1, {navtest::sequentialPgc({1})});
    auto ifo = navtest::encodeTitleSet(vts);
    const size_t units = 65535, pointers = 65535;
    const size_t table = ifo.size();
    const size_t unit = table + 8 + 8 * units;
    const size_t pgc = unit + 8 + 8 * pointers;
    ifo.resize(pgc + 0x100);
    put32(ifo, 0xD0, static_cast<uint32_t>(table / 2048));
    put16(ifo, table, static_cast<uint16_t>(units));
    for (size_t i = 0; i < units; ++i) put32(ifo, table + 8 + 8 * i + 4, static_cast<uint32_t>(unit - table));
    put16(ifo, unit, static_cast<uint16_t>(pointers));
    for (size_t i = 0; i < pointers; ++i) put32(ifo, unit + 8 + 8 * i + 4, static_cast<uint32_t>(pgc - unit));
    EXPECT_THAT(titleSetError(ifo), HasSubstr("more structure than any disc holds"));
}

}  // namespace
