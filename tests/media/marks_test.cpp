// The test discs' pictures read back through the media layer: every title picture, in display
// order, carries its own frame number and the colour of its title and chapter.
#include <gtest/gtest.h>

#include <functional>

#include "media/VideoDecoder.h"
#include "support/Decode.h"
#include "support/Files.h"
#include "support/FrameMarks.h"

namespace {

using namespace media;
using mediatest::FrameMarks;

// Marks of every picture of a title VOB, with the picture's PTS.
std::vector<std::pair<FrameMarks, int64_t>> readMarks(const std::string& disc, const std::string& file)
{
    const std::vector<uint8_t> sectors = mediatest::readFile(mediatest::vob(disc, file));
    VideoDecoder decoder;
    std::vector<std::pair<FrameMarks, int64_t>> marks;
    std::vector<uint8_t> bgra;
    mediatest::decodeVideo(sectors, decoder, [&](const Picture& p) {
        bgra.resize(size_t(p.width) * p.height * 4);
        decoder.convert(bgra.data(), p.width * 4, p.width, p.height);
        const auto read = mediatest::readFrameMarks(bgra.data(), p.width * 4, p.width, p.height);
        marks.emplace_back(read.value_or(FrameMarks{-1, -1}), p.pts);
    });
    return marks;
}

void expectMarks(const std::string& disc, const std::string& file, size_t frames, int64_t ticks,
                 const std::function<int(int)>& colour)
{
    const auto marks = readMarks(disc, file);
    ASSERT_EQ(marks.size(), frames);
    for (size_t i = 0; i < marks.size(); ++i) {
        const auto& [read, pts] = marks[i];
        ASSERT_EQ(read.frame, int(i)) << disc << " " << file;
        ASSERT_EQ(read.colour, colour(int(i))) << disc << " " << file << " frame " << i;
        ASSERT_EQ(pts - marks[0].second, int64_t(i) * ticks) << disc << " " << file << " frame " << i;
    }
}

TEST(FrameMarks, EveryTitlePictureCarriesItsNumberAndChapterColour)
{
    expectMarks("sample", "VTS_01_1.VOB", 800, 3600, [](int frame) { return frame / 200; });
    expectMarks("sample", "VTS_02_1.VOB", 200, 3600, [](int) { return 4; });
    // NTSC: a chapter every half second, the colours going round.
    expectMarks("chapters300", "VTS_01_1.VOB", 1139, 3003,
                [](int frame) { return (5 + frame * 1001 / 15000) % 8; });
}

}  // namespace
