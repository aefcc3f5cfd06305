// Subpictures of the test disc decoded back to the images they were authored from.
#include "media/Subpicture.h"

#include <gtest/gtest.h>


#include "core/Ifo.h"
#include "media/Overlay.h"
#include "support/Picture.h"
#include "support/Files.h"
#include "support/Streams.h"

namespace {

using media::Area;
using media::Rgb;

std::filesystem::path codings(const char* file)
{
    return mediatest::vob("codings", file);
}

std::vector<mediatest::Payload> subpictures(int stream)
{
    return mediatest::streamPackets(codings("VTS_01_1.VOB"), {media::StreamKind::Subpicture, stream});
}

media::Palette titlePalette()
{
    return nav::parseTitleSet(mediatest::readFile(codings("VTS_01_0.IFO")), 1).pgcs.pgcs.at(0).pgc->palette;
}

std::vector<media::Subpicture> units(int stream)
{
    media::SubpictureAssembler assembler;
    std::vector<media::Subpicture> result;
    for (const auto& p : subpictures(stream)) {
        std::int64_t pts = 0;
        if (auto unit = assembler.push(p.data, p.pts, pts)) {
            auto decoded = media::decodeSubpicture(*unit, pts);
            EXPECT_TRUE(decoded);
            if (decoded) result.push_back(std::move(*decoded));
        }
    }
    return result;
}

// What the unit of subpicture stream 0 must show, as authored: three boxes on nothing.
Rgb authored(int x, int y, Rgb picture)
{
    if (y < 400 || y >= 440) return picture;
    if (x >= 100 && x < 260) return {255, 255, 255};
    if (x >= 300 && x < 420) return {255, 0, 0};
    if (x >= 460 && x < 620) return {0, 0, 255};
    return picture;
}

using mediatest::Picture;

constexpr std::int64_t FirstVideoPts = 48600;
constexpr std::int64_t Second = 90000;

TEST(Subpicture, DecodesToTheAuthoredImageAtTheAuthoredTimes)
{
    auto found = units(0);
    ASSERT_EQ(found.size(), 1u);
    const auto& phases = found[0].phases;
    ASSERT_EQ(phases.size(), 2u);
    EXPECT_EQ(phases[0].start, FirstVideoPts + Second / 2);
    EXPECT_TRUE(phases[0].shown);
    EXPECT_FALSE(phases[0].forced);
    // Stops count in steps of 1024 ticks.
    EXPECT_NEAR(phases[1].start, FirstVideoPts + 2 * Second, 1024);
    EXPECT_FALSE(phases[1].shown);

    Picture picture;
    media::blend(picture.view(), phases[0], titlePalette());
    int wrong = 0;
    for (int y = 0; y < 576; ++y) {
        for (int x = 0; x < 720; ++x) {
            Rgb want = authored(x, y, {Picture::Grey, Picture::Grey, Picture::Grey}), got = picture.at(x, y);
            wrong += std::abs(want.r - got.r) > 2 || std::abs(want.g - got.g) > 2 ||
                std::abs(want.b - got.b) > 2;
        }
    }
    EXPECT_EQ(wrong, 0);
}

TEST(Subpicture, TrackShowsForcedOnesWithSubtitlesOffAndFollowsAStreamChange)
{
    auto feed = [](media::SubpictureTrack& track, int stream) {
        for (const auto& p : subpictures(stream))
            track.push(p.data, p.pts);
    };
    constexpr std::int64_t Both = FirstVideoPts + Second * 12 / 10;  // both streams show
    media::SubpictureTrack track;
    feed(track, 0);
    EXPECT_EQ(track.at(Both), nullptr) << "subtitles are off";
    track.setShown(true);
    EXPECT_EQ(track.at(FirstVideoPts + Second / 4), nullptr) << "not yet";
    const media::SubpicturePhase* shown = track.at(Both);
    ASSERT_NE(shown, nullptr);
    EXPECT_EQ(shown->bitmap->area, (Area{100, 400, 620, 440}));

    track.setShown(false);
    track.flush();
    feed(track, 1);
    const media::SubpicturePhase* forced = track.at(Both);
    ASSERT_NE(forced, nullptr);
    EXPECT_TRUE(forced->forced);
    Picture picture;
    media::blend(picture.view(), *forced, titlePalette());
    EXPECT_EQ(picture.at(300, 130), (Rgb{255, 255, 0}));
    EXPECT_EQ(track.at(FirstVideoPts + Second * 26 / 10), nullptr) << "ended";
}

TEST(Subpicture, UnitsSpanningPacketsAreJoinedAndBrokenOnesDropped)
{
    auto payloads = subpictures(0);
    ASSERT_EQ(payloads.size(), 1u);
    const std::vector<std::uint8_t>& unit = payloads[0].data;
    media::SubpictureAssembler assembler;
    std::int64_t pts = 0;
    std::span<const std::uint8_t> bytes(unit);
    EXPECT_FALSE(assembler.push(bytes.first(1), 1000, pts));
    EXPECT_FALSE(assembler.push(bytes.subspan(1, 40), std::nullopt, pts));
    auto joined = assembler.push(bytes.subspan(41), std::nullopt, pts);
    ASSERT_TRUE(joined);
    EXPECT_EQ(*joined, unit);
    EXPECT_EQ(pts, 1000);

    // A unit whose start was missed, and one cut short by the next unit's first packet.
    EXPECT_FALSE(assembler.push(bytes.subspan(41), std::nullopt, pts));
    EXPECT_FALSE(assembler.push(bytes.first(100), 2000, pts));
    EXPECT_TRUE(assembler.push(bytes, 3000, pts));
    EXPECT_EQ(pts, 3000);
    // More than its size says.
    std::vector<std::uint8_t> longer = unit;
    longer.push_back(0);
    EXPECT_FALSE(assembler.push(longer, 4000, pts));
}

TEST(Subpicture, BrokenUnitsAreDroppedWhole)
{
    const std::vector<std::uint8_t> unit =
        subpictures(0).at(0).data;
    ASSERT_TRUE(media::decodeSubpicture(unit, 0));
    std::size_t control = unit[2] << 8 | unit[3];
    // A command of the first control sequence, found by walking the commands.
    auto find = [&](std::uint8_t command) {
        constexpr std::uint8_t Arguments[] = {0, 0, 0, 2, 2, 6, 4};
        for (std::size_t at = control + 4; at < unit.size() && unit[at] <= 6;
             at += 1 + Arguments[unit[at]])
            if (unit[at] == command) return at;
        return unit[control + 4 + 0] == command ? control + 4 : std::size_t{0};
    };
    auto broken = [&](auto change) {
        std::vector<std::uint8_t> copy = unit;
        change(copy);
        return !media::decodeSubpicture(copy, 0);
    };
    std::size_t area = find(0x05);
    ASSERT_NE(area, 0u);
    auto setArea = [&](std::vector<std::uint8_t>& u, int x1, int x2, int y1, int y2) {
        u[area + 1] = std::uint8_t(x1 >> 4);
        u[area + 2] = std::uint8_t((x1 & 0xF) << 4 | x2 >> 8);
        u[area + 3] = std::uint8_t(x2);
        u[area + 4] = std::uint8_t(y1 >> 4);
        u[area + 5] = std::uint8_t((y1 & 0xF) << 4 | y2 >> 8);
        u[area + 6] = std::uint8_t(y2);
    };
    EXPECT_FALSE(broken([&](auto& u) { setArea(u, 100, 619, 400, 439); })) << "as authored";
    EXPECT_TRUE(broken([&](auto& u) { setArea(u, 100, 399, 400, 439); })) << "runs past the area";
    EXPECT_TRUE(broken([&](auto& u) { setArea(u, 100, 619, 400, 440); })) << "lines past the data";
    EXPECT_TRUE(broken([&](auto& u) { u[control + 2] = 0xFF; })) << "next sequence outside";
    EXPECT_TRUE(broken([&](auto& u) { u[2] = 0xFF; })) << "control sequences outside";
    EXPECT_TRUE(broken([&](auto& u) { u[find(0x06) + 1] = 0x7F; })) << "field data outside";
    EXPECT_TRUE(broken([&](auto& u) { u[find(0x06)] = 0x42; })) << "unknown command";
    EXPECT_TRUE(broken([&](auto& u) { u.pop_back(); })) << "shorter than its size";
    for (std::size_t size = 0; size < unit.size(); ++size)
        EXPECT_FALSE(media::decodeSubpicture(std::span(unit).first(size), 0));
}

}  // namespace
