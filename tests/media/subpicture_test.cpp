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

// A unit made to order: runs of every code length, three control sequences.
class UnitWriter {
public:
    void run(int length, int type)
    {
        int code = length << 2 | type;
        int nibbles = length == 0 || length >= 64 ? 4 : length >= 16 ? 3 : length >= 4 ? 2 : 1;
        for (int i = nibbles - 1; i >= 0; --i) nibble(code >> (4 * i) & 0xF);
    }
    void endLine()
    {
        if (half_) nibble(0);
    }
    std::size_t size() const { return bytes.size(); }
    void byte(int b) { bytes.push_back(static_cast<std::uint8_t>(b)); }
    void word(int w) { byte(w >> 8), byte(w & 0xFF); }
    void setWord(std::size_t at, int w) { bytes[at] = std::uint8_t(w >> 8), bytes[at + 1] = std::uint8_t(w); }
    std::vector<std::uint8_t> bytes = std::vector<std::uint8_t>(4);  // size and control offset set last

private:
    void nibble(int n)
    {
        if (half_) bytes.back() |= static_cast<std::uint8_t>(n);
        else byte(n << 4);
        half_ = !half_;
    }
    bool half_ = false;
};

TEST(Subpicture, RunsOfEveryLengthAndLaterControlSequences)
{
    UnitWriter w;
    w.run(2, 1), w.run(10, 2), w.run(40, 3), w.run(200, 1), w.run(0, 0), w.endLine();
    const std::size_t bottom = w.size();
    w.run(255, 2), w.run(45, 3), w.endLine();
    const std::size_t first = w.size(), second = first + 24, third = second + 8;
    w.word(0), w.word(int(second));
    w.byte(0x03), w.word(0x3210), w.byte(0x04), w.word(0xFFF0);
    w.byte(0x05), w.byte(10 >> 4), w.byte((10 & 0xF) << 4 | 309 >> 8), w.byte(309 & 0xFF);
    w.byte(20 >> 4), w.byte((20 & 0xF) << 4 | 21 >> 8), w.byte(21);
    w.byte(0x06), w.word(4), w.word(int(bottom)), w.byte(0x01), w.byte(0xFF);
    ASSERT_EQ(w.size(), second);
    w.word(10), w.word(int(third)), w.byte(0x03), w.word(0x0123), w.byte(0xFF);
    ASSERT_EQ(w.size(), third);
    w.word(20), w.word(int(third)), w.byte(0x02), w.byte(0xFF);
    w.setWord(0, int(w.size()));
    w.setWord(2, int(first));

    auto decoded = media::decodeSubpicture(w.bytes, 5000);
    ASSERT_TRUE(decoded);
    const auto& phases = decoded->phases;
    ASSERT_EQ(phases.size(), 3u);
    EXPECT_EQ(phases[0].start, 5000);
    EXPECT_TRUE(phases[0].shown);
    EXPECT_EQ(phases[0].colours, (media::ColourSet{{0, 1, 2, 3}, {0, 15, 15, 15}}));
    const media::Bitmap& bitmap = *phases[0].bitmap;
    ASSERT_EQ(bitmap.area, (Area{10, 20, 310, 22}));
    std::vector<std::uint8_t> expected;
    for (auto [length, type] : {std::pair{2, 1}, {10, 2}, {40, 3}, {200, 1}, {48, 0}, {255, 2}, {45, 3}})
        expected.insert(expected.end(), length, std::uint8_t(type));
    EXPECT_EQ(bitmap.pixels, expected);

    EXPECT_EQ(phases[1].start, 5000 + 10 * 1024);
    EXPECT_TRUE(phases[1].shown);
    EXPECT_EQ(phases[1].colours.colour, (std::array<std::uint8_t, 4>{3, 2, 1, 0}));
    EXPECT_EQ(phases[1].colours.contrast, phases[0].colours.contrast);
    EXPECT_EQ(phases[1].bitmap, phases[0].bitmap) << "the same picture, recoloured";
    EXPECT_EQ(phases[2].start, 5000 + 20 * 1024);
    EXPECT_FALSE(phases[2].shown);

    media::SubpictureTrack track;
    track.setShown(true);
    track.push(w.bytes, 5000);
    EXPECT_EQ(track.at(5000 + 10 * 1024)->colours.colour[0], 3);
    EXPECT_EQ(track.at(5000 + 20 * 1024), nullptr);
}

// A unit showing a 30 x 4 block of pattern pixels at (10, 20) in colour 1, with a colour and
// contrast change whose words (after its size, `size` when given) are `change`.
std::vector<std::uint8_t> unitWithChange(const std::vector<int>& change, int size = 0)
{
    UnitWriter w;
    w.run(0, 1), w.endLine(), w.run(0, 1), w.endLine();  // both fields' two lines
    const std::size_t control = w.size();
    w.word(0), w.word(int(control));
    w.byte(0x03), w.word(0x0010), w.byte(0x04), w.word(0x00F0);
    w.byte(0x05), w.byte(10 >> 4), w.byte((10 & 0xF) << 4), w.byte(39), w.byte(20 >> 4), w.byte((20 & 0xF) << 4), w.byte(23);
    w.byte(0x06), w.word(4), w.word(4);
    w.byte(0x07), w.word(size ? size : 2 + 2 * int(change.size()));
    for (int word : change) w.word(word);
    w.byte(0x01), w.byte(0xFF);
    w.setWord(0, int(w.size()));
    w.setWord(2, int(control));
    return w.bytes;
}

TEST(Subpicture, ColourChangesRecolourTheirLinesFromColumnToColumn)
{
    // Lines 21-22: from column 20 colour 2, from column 30 transparent.
    const std::vector<int> change{0x0015, 0x2016, 0x0014, 0x0020, 0x00F0, 0x001E, 0x0030, 0x0000, 0x0FFF, 0xFFFF};
    auto decoded = media::decodeSubpicture(unitWithChange(change), 0);
    ASSERT_TRUE(decoded);
    const media::SubpicturePhase& phase = decoded->phases.at(0);
    ASSERT_EQ(phase.regions.size(), 1u);
    EXPECT_EQ(phase.regions[0].top, 21);
    EXPECT_EQ(phase.regions[0].bottom, 23);

    media::Palette palette{};
    palette[1] = 0xEB8080, palette[2] = 0x51F05A, palette[3] = 0x29F06E;
    Picture picture;
    media::blend(picture.view(), phase, palette);
    const Rgb grey{Picture::Grey, Picture::Grey, Picture::Grey}, one = media::toRgb(palette[1]), two = media::toRgb(palette[2]);
    EXPECT_EQ(picture.at(25, 20), one) << "above the band";
    EXPECT_EQ(picture.at(15, 21), one) << "left of the first change";
    EXPECT_EQ(picture.at(20, 21), two);
    EXPECT_EQ(picture.at(29, 22), two);
    EXPECT_EQ(picture.at(30, 22), grey) << "the second change is transparent";
    EXPECT_EQ(picture.at(39, 21), grey);
    EXPECT_EQ(picture.at(25, 23), one) << "below the band";

    // A highlighted button's colours go before the band's.
    Picture lit;
    const media::Highlight button{{22, 0, 32, 576}, media::colourSet(0x003000F0)};
    media::blend(lit.view(), phase, palette, &button);
    EXPECT_EQ(lit.at(25, 21), media::toRgb(palette[3]));
    EXPECT_EQ(lit.at(20, 21), two);
}

TEST(Subpicture, ColourChangesOutsideTheirCommandOrOutOfOrderDropTheUnit)
{
    const std::vector<int> band{0x0015, 0x1016, 0x0014, 0x0020, 0x00F0};
    auto with = [&](std::vector<int> tail) {
        std::vector<int> words = band;
        words.insert(words.end(), tail.begin(), tail.end());
        return words;
    };
    EXPECT_TRUE(media::decodeSubpicture(unitWithChange(with({0x0FFF, 0xFFFF})), 0));
    EXPECT_FALSE(media::decodeSubpicture(unitWithChange(with({0x0FFF, 0xFFFF}), 0x7FFF), 0)) << "past the unit";
    EXPECT_FALSE(media::decodeSubpicture(unitWithChange(with({0x0FFF, 0xFFFF}), 12), 0)) << "no end mark within";
    EXPECT_FALSE(media::decodeSubpicture(unitWithChange(with({0x0018, 0xF030})), 0)) << "changes running past it";
    EXPECT_FALSE(media::decodeSubpicture(unitWithChange(with({0x0010, 0x1012, 0x0000, 0, 0, 0x0FFF, 0xFFFF})), 0))
        << "a band above the one before";
    EXPECT_FALSE(media::decodeSubpicture(unitWithChange({0x0016, 0x1015, 0, 0, 0, 0x0FFF, 0xFFFF}), 0)) << "upside down";
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
