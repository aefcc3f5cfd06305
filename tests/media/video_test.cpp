// Pictures decoded from the test discs against the ffmpeg program's decoding of the same bytes.
#include "media/VideoDecoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <utility>

#include "core/Disc.h"
#include "media/Demux.h"
#include "support/Comb.h"
#include "support/Decode.h"
#include "support/Files.h"
#include "support/Oracle.h"
#include "support/TestDiscs.h"

namespace {

using namespace media;
using mediatest::comb;
using mediatest::decodeVideo;
using mediatest::OracleFrames;
using mediatest::readFile;
using mediatest::vob;

// Every picture equals ffmpeg's decoding of `file` (which holds `sectors`), written top-down
// or, with `bottomUp`, through a negative stride.
std::vector<Picture> expectFfmpegsPictures(const std::filesystem::path& file, std::span<const uint8_t> sectors,
                                           VideoDecoder& decoder, bool bottomUp = false,
                                           const std::string& filters = {})
{
    OracleFrames oracle(file, filters);
    std::vector<Picture> pictures;
    std::vector<uint8_t> ours, theirs;
    decodeVideo(sectors, decoder, [&](const Picture& picture) {
        const size_t row = size_t(picture.width) * 4;
        ours.resize(row * picture.height);
        theirs.resize(ours.size());
        if (bottomUp)
            ASSERT_TRUE(decoder.convert(ours.data() + ours.size() - row, -ptrdiff_t(row), picture.width, picture.height));
        else
            ASSERT_TRUE(decoder.convert(ours.data(), ptrdiff_t(row), picture.width, picture.height));
        ASSERT_TRUE(oracle.next(theirs)) << "ffmpeg has fewer pictures than " << pictures.size() + 1;
        if (bottomUp)
            for (int y = 0; y < picture.height / 2; ++y)
                std::swap_ranges(ours.begin() + y * row, ours.begin() + (y + 1) * row,
                                 ours.end() - (y + 1) * row);
        ASSERT_GE(mediatest::psnr(ours, theirs), 45.0) << "picture " << pictures.size();
        pictures.push_back(picture);
    });
    EXPECT_FALSE(!pictures.empty() && oracle.next(theirs)) << "ffmpeg has more pictures than " << pictures.size();
    return pictures;
}

TEST(VideoDecoder, WholeTitleEqualsFfmpegWithItsFormatAndTimes)
{
    const auto path = vob("sample", "VTS_02_1.VOB");
    const std::vector<uint8_t> file = readFile(path);
    VideoDecoder decoder;
    const auto pictures = expectFfmpegsPictures(path, file, decoder);

    ASSERT_EQ(pictures.size(), 200u);  // 8 s at 25 frames/s, the last ones drained
    for (size_t i = 0; i < pictures.size(); ++i) {
        const Picture& p = pictures[i];
        EXPECT_EQ(p.width, 720);
        EXPECT_EQ(p.height, 576);
        EXPECT_EQ(p.aspect, (Rational{16, 9}));
        EXPECT_EQ(p.frameRate, (Rational{25, 1}));
        EXPECT_EQ(p.duration, 3600);
        if (i > 0) {
            EXPECT_EQ(p.pts, pictures[i - 1].pts + 3600) << "picture " << i;
        }
    }
    EXPECT_EQ(pictures[0].type, PictureType::I);
    EXPECT_GE(std::ranges::count(pictures, PictureType::I, &Picture::type), 20);  // a GOP of 10 at most
    EXPECT_GT(std::ranges::count(pictures, PictureType::B, &Picture::type), 100);
}

// Interlaced video shot at 50 pictures a second: each field is made a whole picture as
// FFmpeg's own bwdif makes it, at the field's own time; at frame rate, one picture a frame.
TEST(VideoDecoder, InterlacedFramesAreDeinterlacedAsFfmpegsBwdifDoes)
{
    const auto path = vob("interlaced", "VTS_01_1.VOB");
    const std::vector<uint8_t> file = readFile(path);
    const std::span<const uint8_t> twoSeconds(file.data(), std::min<size_t>(file.size(), 640 * 2048));
    std::filesystem::path part = std::filesystem::temp_directory_path() / "lumadisc-interlaced-part.vob";
    std::ofstream(part, std::ios::binary).write(reinterpret_cast<const char*>(twoSeconds.data()), twoSeconds.size());

    VideoDecoder fields;
    const auto shown =
        expectFfmpegsPictures(part, twoSeconds, fields, false, "bwdif=mode=send_field:parity=auto:deint=interlaced");
    ASSERT_GT(shown.size(), 40u);
    for (size_t i = 1; i < shown.size(); ++i) {
        EXPECT_EQ(shown[i].pts, shown[i - 1].pts + 1800) << "picture " << i;  // a field: 20 ms
        EXPECT_EQ(shown[i].duration, 1800) << "picture " << i;
    }

    VideoDecoder frames;
    frames.setDeinterlace(VideoDecoder::Deinterlace::Frames);
    const auto framed =
        expectFfmpegsPictures(part, twoSeconds, frames, false, "bwdif=mode=send_frame:parity=auto:deint=interlaced");
    EXPECT_EQ(framed.size() * 2, shown.size());

    VideoDecoder woven;
    woven.setDeinterlace(VideoDecoder::Deinterlace::Off);
    EXPECT_EQ(expectFfmpegsPictures(part, twoSeconds, woven).size(), framed.size());
    std::filesystem::remove(part);
}

double meanComb(std::span<const uint8_t> sectors, VideoDecoder& decoder)
{
    double total = 0;
    int pictures = 0;
    std::vector<uint8_t> bgra;
    decodeVideo(sectors, decoder, [&](const Picture& p) {
        bgra.resize(size_t(p.width) * p.height * 4);
        ASSERT_TRUE(decoder.convert(bgra.data(), p.width * 4, p.width, p.height));
        total += comb(bgra, p.width, p.height);
        ++pictures;
    });
    return pictures ? total / pictures : 0;
}

TEST(VideoDecoder, DeinterlacedPicturesHardlyComb)
{
    const std::vector<uint8_t> file = readFile(vob("interlaced", "VTS_01_1.VOB"));
    const std::span<const uint8_t> twoSeconds(file.data(), std::min<size_t>(file.size(), 640 * 2048));
    VideoDecoder woven, fields;
    woven.setDeinterlace(VideoDecoder::Deinterlace::Off);
    const double wovenComb = meanComb(twoSeconds, woven), fieldsComb = meanComb(twoSeconds, fields);
    std::printf("comb: woven %.1f, deinterlaced %.1f\n", wovenComb, fieldsComb);
    EXPECT_LT(fieldsComb, wovenComb / 4);
}

// Film at 23.976 frames a second with 3:2 pulldown flags: each frame is shown whole, as coded
// (never a picture of mixed fields), for three fields and two in turn.
TEST(VideoDecoder, PulldownFilmShowsItsOwnFramesInTheirCadence)
{
    const auto path = vob("pulldown", "VTS_01_1.VOB");
    const std::vector<uint8_t> file = readFile(path);
    VideoDecoder decoder;
    const auto pictures = expectFfmpegsPictures(path, file, decoder);
    ASSERT_GT(pictures.size(), 700u);  // 30 s
    int threes = 0, twos = 0;
    for (size_t i = 1; i < pictures.size(); ++i) {
        const int64_t fields = (pictures[i - 1].duration * 2 * 30000 + 90000 * 1001 / 2) / (90000 * 1001);
        threes += fields == 3;
        twos += fields == 2;
        // The stream's own times where it has them; a field's length rounds to whole ticks.
        EXPECT_NEAR(pictures[i].pts, pictures[i - 1].pts + pictures[i - 1].duration, 90) << "picture " << i;
    }
    EXPECT_EQ(threes + twos, int(pictures.size()) - 1);
    EXPECT_LE(std::abs(threes - twos), 1);
}

std::vector<uint8_t> readSectors(const nav::OpenedDisc& opened, uint32_t first, uint32_t end)
{
    std::vector<uint8_t> sectors((end - first) * SectorSize);
    if (!opened.volume.readSectors(1, nav::VobSet::Title, first, sectors))
        throw std::runtime_error("cannot read sectors " + std::to_string(first) + "-" + std::to_string(end));
    return sectors;
}

bool navPack(std::span<const uint8_t> sector)
{
    std::vector<Packet> packets;
    demux(sector.first(SectorSize), {.audio = {}, .subpicture = {}, .nav = true}, packets);
    return !packets.empty() && packets[0].stream.kind == StreamKind::Nav;
}

// As after a jump: from a VOBU in the middle of one program chain's last cell on into the
// next chain, which plays the same cells again from the start, so the time stamps start again;
// the decoder held pictures of another place before.
TEST(VideoDecoder, FromAVobuInTheMiddleAcrossProgramChainsAfterAJump)
{
    auto opened = nav::openDisc(nav::utf8FromPath(navtest::testDiscs() / "chapters300"));
    ASSERT_TRUE(opened) << opened.error();
    const auto& pgcs = opened->disc.titleSets.at(0).pgcs.pgcs;
    const nav::CellPlayback& last = pgcs.at(0).pgc->cells.back();
    const auto& nextCells = pgcs.at(1).pgc->cells;

    uint32_t first = (last.firstSector + last.lastSector) / 2;
    while (!navPack(readSectors(*opened, first, first + 1)) && first < last.lastSector)
        ++first;
    ASSERT_LT(first, last.lastSector);
    std::vector<uint8_t> sectors = readSectors(*opened, first, last.lastSector + 1);
    const std::vector<uint8_t> following = readSectors(*opened, nextCells.at(0).firstSector, nextCells.at(1).lastSector + 1);
    sectors.insert(sectors.end(), following.begin(), following.end());

    VideoDecoder decoder;
    int before = 0;
    std::vector<Packet> elsewhere;
    const std::vector<uint8_t> start = readSectors(*opened, 300, 500);
    demux(start, {}, elsewhere);
    for (const Packet& packet : elsewhere)
        while (!decoder.send(packet.payload, packet.pts))
            while (decoder.receive())
                ++before;
    ASSERT_GT(before, 10);
    decoder.flush();

    navtest::TempFolder folder;
    const auto path = folder.path() / "jump.vob";
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(sectors.data()), sectors.size());
    const auto pictures = expectFfmpegsPictures(path, sectors, decoder, true);
    ASSERT_GT(pictures.size(), 20u);
    EXPECT_EQ(pictures[0].type, PictureType::I);
    EXPECT_EQ(pictures[0].frameRate, (Rational{30000, 1001}));
    EXPECT_EQ(pictures[0].aspect, (Rational{4, 3}));
    int restarts = 0;
    for (size_t i = 1; i < pictures.size(); ++i)
        restarts += pictures[i].pts < pictures[i - 1].pts;
    EXPECT_EQ(restarts, 1);
}

// MPEG-1 video with B pictures, as a DVD may carry it.
TEST(VideoDecoder, Mpeg1WithReorderedPictures)
{
    navtest::TempFolder folder;
    const auto path = folder.path() / "mpeg1.vob";
    mediatest::ffmpegOutput("-f lavfi -i testsrc=size=352x240:rate=30000/1001:duration=1 -c:v mpeg1video -bf 2 "
                            "-g 12 -f dvd -y '" + path.string() + "'");
    const std::vector<uint8_t> file = readFile(path);
    VideoDecoder decoder;
    const auto pictures = expectFfmpegsPictures(path, file, decoder);
    ASSERT_EQ(pictures.size(), 30u);
    EXPECT_GE(std::ranges::count(pictures, PictureType::B, &Picture::type), 15);
    for (size_t i = 1; i < pictures.size(); ++i)
        EXPECT_EQ(pictures[i].pts - pictures[i - 1].pts, 3003) << "picture " << i;
}

TEST(VideoDecoder, FastPlayDecodesOnlyReferenceOrIntraPictures)
{
    const std::vector<uint8_t> file = readFile(vob("sample", "VTS_02_1.VOB"));
    std::vector<int64_t> all, intra, reference, fast, faster;
    VideoDecoder decoder;
    decodeVideo(file, decoder, [&](const Picture& p) {
        all.push_back(p.pts);
        if (p.type == PictureType::I)
            intra.push_back(p.pts);
        if (p.type != PictureType::B)
            reference.push_back(p.pts);
    });
    decoder.setSkip(VideoSkip::NonReference);
    decodeVideo(file, decoder, [&](const Picture& p) { fast.push_back(p.pts); });
    decoder.setSkip(VideoSkip::NonIntra);
    decodeVideo(file, decoder, [&](const Picture& p) { faster.push_back(p.pts); });
    EXPECT_EQ(fast, reference);
    EXPECT_EQ(faster, intra);
    EXPECT_LT(reference.size() * 2, all.size());
    EXPECT_LT(intra.size() * 5, all.size());
}


// Scaled as ffmpeg's scale filter scales and converts in one pass, whichever way the picture is
// made (through planes where the rows have room, else at once), to its last column, either way
// up; what lies beyond the picture in a row is left as it was where the rows have room.
TEST(VideoDecoder, ScaledPicturesEqualFfmpegsScaleToTheLastColumnEitherWayUp)
{
    const auto path = vob("sample", "VTS_02_1.VOB");
    const std::vector<uint8_t> file = readFile(path);
    VideoDecoder decoder;
    bool first = true;
    decodeVideo(file, decoder, [&](const Picture& p) {
        if (!std::exchange(first, false))
            return;
        struct Case {
            int width, height, rowPixels;
            bool bottomUp;
        };
        // A 16:9 window; a width whose last group of eight the rows cannot hold; the same with
        // room; an odd height.
        for (const Case c : {Case{1024, 576, 1024, true}, Case{1018, 574, 1018, false}, Case{1018, 574, 1032, true},
                             Case{767, 575, 767, false}}) {
            SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height) + " in rows of " +
                         std::to_string(c.rowPixels));
            const size_t row = size_t(c.rowPixels) * 4;
            std::vector<uint8_t> ours(row * c.height, 0x55), theirs(size_t(c.width) * c.height * 4);
            uint8_t* top = c.bottomUp ? ours.data() + ours.size() - row : ours.data();
            ASSERT_TRUE(decoder.convert(top, c.bottomUp ? -ptrdiff_t(row) : ptrdiff_t(row), c.width, c.height));
            const char* method = scalingFor(p.width, p.height, c.width, c.height) == SWS_BICUBIC ? "bicubic"
                                                                                                  : "fast_bilinear";
            OracleFrames oracle(path, "scale=" + std::to_string(c.width) + ":" + std::to_string(c.height) +
                                          ":flags=" + method);
            ASSERT_TRUE(oracle.next(theirs));
            std::vector<uint8_t> picture, lastColumn, theirLastColumn;
            for (int y = 0; y < c.height; ++y) {
                const uint8_t* from = top + (c.bottomUp ? -ptrdiff_t(row) : ptrdiff_t(row)) * y;
                picture.insert(picture.end(), from, from + c.width * 4);
                lastColumn.insert(lastColumn.end(), from + (c.width - 1) * 4, from + c.width * 4);
                const uint8_t* their = theirs.data() + (size_t(y) * c.width + c.width - 1) * 4;
                theirLastColumn.insert(theirLastColumn.end(), their, their + 4);
                EXPECT_TRUE(c.rowPixels < c.width + 8 ||
                            std::all_of(from + (c.width + 8) * 4, from + row, [](uint8_t b) { return b == 0x55; }))
                    << "row " << y << " written beyond the picture";
            }
            // Through planes 49-50 dB, the chroma rounded twice; a column left unwritten drops
            // the last one's far below.
            EXPECT_GE(mediatest::psnr(picture, theirs), 45.0);
            EXPECT_GE(mediatest::psnr(lastColumn, theirLastColumn), 40.0);
        }
    });
    EXPECT_FALSE(first);
}


// Random bytes give nothing, damaged pictures only pictures of the stream's size, headers
// claiming huge pictures nothing; none of it crashes or stops the decoder for the good data
// after it.
TEST(VideoDecoder, DamagedInputGivesNoStrayPictures)
{
    std::vector<uint8_t> file = readFile(vob("sample", "VTS_02_1.VOB"));
    file.resize(400 * SectorSize);
    std::mt19937 random(5);
    std::vector<uint8_t> noise(64 * 2000);
    for (auto& b : noise)
        b = static_cast<uint8_t>(random());

    VideoDecoder decoder;
    int pictures = 0;
    for (size_t at = 0; at < noise.size(); at += 2000) {
        ASSERT_TRUE(decoder.send(std::span(noise).subspan(at, 2000), std::nullopt));
        while (decoder.receive())
            ++pictures;
    }
    EXPECT_EQ(pictures, 0);

    std::vector<Packet> packets;
    demux(file, {}, packets);
    std::vector<uint8_t> damaged;
    for (const Packet& packet : packets) {
        damaged.assign(packet.payload.begin(), packet.payload.end());
        damaged[random() % damaged.size()] = static_cast<uint8_t>(random());
        while (!decoder.send(damaged, packet.pts))
            while (auto picture = decoder.receive()) {
                EXPECT_EQ(picture->width, 720);
                EXPECT_EQ(picture->height, 576);
                ++pictures;
            }
    }
    EXPECT_GT(pictures, 0);

    // Sequence headers claiming pictures of 4000 x 3000.
    decoder.flush();
    pictures = 0;
    for (const Packet& packet : packets) {
        damaged.assign(packet.payload.begin(), packet.payload.end());
        for (size_t at = 0; at + 7 <= damaged.size(); ++at)
            if (damaged[at] == 0 && damaged[at + 1] == 0 && damaged[at + 2] == 1 && damaged[at + 3] == 0xB3) {
                damaged[at + 4] = 0xFA;
                damaged[at + 5] = 0x0B;
                damaged[at + 6] = 0xB8;
            }
        while (!decoder.send(damaged, packet.pts))
            while (decoder.receive())
                ++pictures;
    }
    EXPECT_EQ(pictures, 0);

    decoder.flush();
    std::vector<int64_t> after, fresh;
    decodeVideo(file, decoder, [&](const Picture& p) { after.push_back(p.pts); });
    VideoDecoder freshDecoder;
    decodeVideo(file, freshDecoder, [&](const Picture& p) { fresh.push_back(p.pts); });
    EXPECT_EQ(after, fresh);
    EXPECT_GT(fresh.size(), 50u);
}

}  // namespace
