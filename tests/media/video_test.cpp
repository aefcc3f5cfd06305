// Pictures decoded from the test discs against the ffmpeg program's decoding of the same bytes.
#include "media/VideoDecoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "media/Demux.h"
#include "support/Files.h"
#include "support/Oracle.h"

namespace {

using namespace media;
using mediatest::OracleFrames;
using mediatest::readFile;
using mediatest::vob;

using OnPicture = std::function<void(const Picture&, VideoDecoder&)>;

// Demultiplexes and decodes a run of sectors, then drains the decoder.
void decode(std::span<const uint8_t> sectors, VideoDecoder& decoder, const OnPicture& onPicture)
{
    std::vector<Packet> packets;
    demux(sectors, {}, packets);
    for (const Packet& packet : packets) {
        while (!decoder.send(packet.payload, packet.pts))
            while (auto picture = decoder.receive())
                onPicture(*picture, decoder);
    }
    decoder.drain();
    while (auto picture = decoder.receive())
        onPicture(*picture, decoder);
}

// Every picture equals ffmpeg's decoding of `file` (which holds `sectors`), written top-down
// or, with `bottomUp`, through a negative stride.
std::vector<Picture> expectFfmpegsPictures(const std::filesystem::path& file, std::span<const uint8_t> sectors,
                                           VideoDecoder& decoder, bool bottomUp = false)
{
    OracleFrames oracle(file);
    std::vector<Picture> pictures;
    std::vector<uint8_t> ours, theirs;
    decode(sectors, decoder, [&](const Picture& picture, VideoDecoder& d) {
        const size_t row = size_t(picture.width) * 4;
        ours.resize(row * picture.height);
        theirs.resize(ours.size());
        if (bottomUp)
            ASSERT_TRUE(d.convert(ours.data() + ours.size() - row, -ptrdiff_t(row), picture.width, picture.height));
        else
            ASSERT_TRUE(d.convert(ours.data(), ptrdiff_t(row), picture.width, picture.height));
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
    EXPECT_EQ(std::ranges::count(pictures, PictureType::I, &Picture::type), 20);  // a GOP of 10
}
}  // namespace
