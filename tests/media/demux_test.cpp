// The demultiplexer on the test discs, checked against FFmpeg's own demuxer, and on damaged,
// scrambled and random packs.
#include "media/Demux.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>

#include "support/Files.h"

namespace {

using namespace media;
using mediatest::ffmpegOutput;
using mediatest::readFile;
using mediatest::vob;

std::vector<uint8_t> concat(const std::vector<Packet>& packets, StreamId stream)
{
    std::vector<uint8_t> bytes;
    for (const Packet& p : packets)
        if (p.stream == stream)
            bytes.insert(bytes.end(), p.payload.begin(), p.payload.end());
    return bytes;
}

// Every payload lies inside the input: the property hostile input must not break.
void expectInside(const std::vector<Packet>& packets, std::span<const uint8_t> input)
{
    for (const Packet& p : packets) {
        ASSERT_GE(p.payload.data(), input.data());
        ASSERT_LE(p.payload.data() + p.payload.size(), input.data() + input.size());
    }
}

TEST(Demux, ElementaryStreamsEqualFfmpegs)
{
    const auto path = vob("sample", "VTS_01_1.VOB");
    const std::vector<uint8_t> file = readFile(path);
    std::vector<Packet> packets;
    const DemuxReport report = demux(file, {.audio = 1, .subpicture = 0}, packets);
    EXPECT_EQ(report.packs, static_cast<int>(file.size() / SectorSize));
    EXPECT_EQ(report.damaged, 0);
    EXPECT_EQ(report.scrambled, 0);

    const std::string input = "-i '" + path.string() + "' ";
    EXPECT_EQ(concat(packets, {StreamKind::Video, 0}), ffmpegOutput(input + "-map 0:i:0x1e0 -c copy -f mpeg2video -"));
    EXPECT_EQ(concat(packets, {StreamKind::Ac3, 1}), ffmpegOutput(input + "-map 0:i:0x81 -c copy -f ac3 -"));
    EXPECT_TRUE(concat(packets, {StreamKind::Ac3, 0}).empty());
    EXPECT_FALSE(concat(packets, {StreamKind::Subpicture, 0}).empty());
    EXPECT_TRUE(concat(packets, {StreamKind::Subpicture, 1}).empty());

    // The audio packets' pointers lead to an AC-3 frame's sync word.
    int pointed = 0;
    for (const Packet& p : packets) {
        if (p.stream.kind != StreamKind::Ac3 || !p.firstAccessUnit) continue;
        ASSERT_LT(*p.firstAccessUnit + 1, p.payload.size());
        EXPECT_EQ(p.payload[*p.firstAccessUnit], 0x0B);
        EXPECT_EQ(p.payload[*p.firstAccessUnit + 1], 0x77);
        ++pointed;
    }
    EXPECT_GT(pointed, 10);
}

TEST(Demux, NavPacketsAndVideoTimestamps)
{
    const auto path = vob("sample", "VTS_01_1.VOB");
    const std::vector<uint8_t> file = readFile(path);
    std::vector<Packet> packets;
    demux(file, {.audio = {}, .subpicture = {}, .nav = true}, packets);

    int pci = 0, dsi = 0;
    std::vector<int64_t> pts;
    for (const Packet& p : packets) {
        if (p.stream == StreamId{StreamKind::Nav, 0})
            pci += p.payload.size() == 979;
        if (p.stream == StreamId{StreamKind::Nav, 1})
            dsi += p.payload.size() == 1017;
        if (p.stream.kind == StreamKind::Video && p.pts)
            pts.push_back(*p.pts);
        EXPECT_NE(p.stream.kind, StreamKind::Ac3);
    }
    EXPECT_GT(pci, 30);
    EXPECT_EQ(pci, dsi);

    // FFmpeg's parser gives each picture the PTS of the packet it starts in (and makes up the
    // others).
    std::vector<int64_t> expected;
    const std::vector<uint8_t> probe = mediatest::commandOutput(
        "ffprobe -v error -select_streams i:0x1e0 -show_entries packet=pts -of csv=p=0 '" + path.string() + "'");
    std::istringstream lines(std::string(probe.begin(), probe.end()));
    for (std::string line; std::getline(lines, line);)
        if (!line.empty() && line != "N/A")
            expected.push_back(std::stoll(line));
    std::ranges::sort(pts);
    std::ranges::sort(expected);
    EXPECT_GT(pts.size(), expected.size() / 2);
    EXPECT_TRUE(std::ranges::includes(expected, pts));
}

TEST(Demux, DamagedPacksAreSkippedWithoutReadingOutside)
{
    const std::vector<uint8_t> file = readFile(vob("sample", "VTS_01_1.VOB"));
    std::vector<uint8_t> packs(file.begin(), file.begin() + 64 * SectorSize);
    std::vector<Packet> clean;
    demux(packs, {.audio = 0, .subpicture = 0}, clean);

    // A PES length running past its pack, a broken start code, a pack header that is not one.
    std::vector<uint8_t> bad = packs;
    bad[1 * SectorSize + 18] = 0xFF;
    bad[1 * SectorSize + 19] = 0xFF;
    bad[2 * SectorSize + 14] = 0x47;
    bad[3 * SectorSize + 3] = 0xBB;
    std::vector<Packet> packets;
    DemuxReport report = demux(bad, {.audio = 0, .subpicture = 0}, packets);
    EXPECT_EQ(report.damaged, 3);
    EXPECT_EQ(report.packs, 64);
    expectInside(packets, bad);
    EXPECT_LT(packets.size(), clean.size());

    // A file cut short inside a sector.
    packets.clear();
    report = demux(std::span(packs).first(10 * SectorSize + 100), {}, packets);
    EXPECT_EQ(report.packs, 11);
    EXPECT_EQ(report.damaged, 1);
    expectInside(packets, packs);

    // Random bytes, and real packs with random bytes changed.
    std::mt19937 random(11);
    std::vector<uint8_t> noise(16 * SectorSize);
    for (auto& b : noise)
        b = static_cast<uint8_t>(random());
    packets.clear();
    report = demux(noise, {.audio = 0, .subpicture = 0, .nav = true}, packets);
    EXPECT_EQ(report.damaged, 16);
    EXPECT_TRUE(packets.empty());
    for (int round = 0; round < 2000; ++round) {
        std::vector<uint8_t> mutated(packs.begin() + (round % 64) * SectorSize,
                                     packs.begin() + (round % 64 + 1) * SectorSize);
        for (int n = 0; n < 4; ++n)
            mutated[random() % (round % 2 ? 40 : SectorSize)] = static_cast<uint8_t>(random());
        packets.clear();
        demux(mutated, {.audio = 0, .subpicture = 0, .nav = true}, packets);
        expectInside(packets, mutated);
    }
}

TEST(Demux, ScrambledPacksAreReportedNotHandedOut)
{
    const std::vector<uint8_t> file = readFile(vob("sample", "VTS_01_1.VOB"));
    std::vector<uint8_t> packs(file.begin(), file.begin() + 32 * SectorSize);
    int scrambledVideo = 0;
    for (size_t at = 0; at < packs.size(); at += SectorSize)
        if (packs[at + 14 + 3] == 0xE0) {
            packs[at + 14 + 6] |= 0x10;  // the scrambling control a CSS disc sets
            ++scrambledVideo;
        }
    std::vector<Packet> packets;
    const DemuxReport report = demux(packs, {.audio = 0, .subpicture = {}}, packets);
    EXPECT_GT(scrambledVideo, 0);
    EXPECT_EQ(report.scrambled, scrambledVideo);
    EXPECT_EQ(report.damaged, 0);
    for (const Packet& p : packets)
        EXPECT_NE(p.stream.kind, StreamKind::Video);
    EXPECT_FALSE(packets.empty());
}

}  // namespace
