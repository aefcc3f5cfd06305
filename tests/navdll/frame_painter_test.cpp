// What the navigator draws for a person to see, checked in the pixels it hands the pin.

#include "FramePainter.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

using namespace lumanav;

namespace {

constexpr int width = 720;
constexpr int height = 576;

// Frames are bottom-up: the first row in memory is the picture's last.
COLORREF pixelAt(const std::vector<std::uint8_t>& pixels, int x, int y)
{
    const std::uint8_t* bgrx = &pixels[(static_cast<size_t>(height - 1 - y) * width + x) * 4];
    return RGB(bgrx[2], bgrx[1], bgrx[0]);
}

nav::FrameInfo menuWithTwoButtons(int selected)
{
    nav::FrameInfo frame;
    frame.domain = nav::Domain::VideoManagerMenu;
    frame.width = 720;
    frame.height = 576;
    frame.buttons = {{1, {116, 196, 604, 264}, false}, {2, {116, 316, 604, 384}, false}};
    frame.selectedButton = selected;
    return frame;
}

}  // namespace

TEST(FramePainter, MenusShowTheSelectedButtonFilled)
{
    FramePainter painter(width, height);
    ASSERT_TRUE(painter.valid());
    std::vector<std::uint8_t> pixels(static_cast<size_t>(width) * height * 4);

    painter.render(menuWithTwoButtons(2), pixels.data());
    const COLORREF background = pixelAt(pixels, 10, 10);
    // Inside each button, clear of its label.
    EXPECT_EQ(background, pixelAt(pixels, 130, 205)) << "an unselected button is an outline";
    EXPECT_NE(background, pixelAt(pixels, 116, 230)) << "its outline";
    const COLORREF selected = pixelAt(pixels, 130, 325);
    EXPECT_NE(background, selected);

    painter.render(menuWithTwoButtons(1), pixels.data());
    EXPECT_EQ(selected, pixelAt(pixels, 130, 205)) << "the highlight follows the selection";
    EXPECT_EQ(background, pixelAt(pixels, 130, 325));
}

TEST(FramePainter, ButtonsScaleFromTheSourceToThePicture)
{
    FramePainter painter(360, 288);
    std::vector<std::uint8_t> pixels(static_cast<size_t>(360) * 288 * 4);
    painter.render(menuWithTwoButtons(1), pixels.data());
    const auto at = [&](int x, int y) {
        const std::uint8_t* bgrx = &pixels[(static_cast<size_t>(287 - y) * 360 + x) * 4];
        return RGB(bgrx[2], bgrx[1], bgrx[0]);
    };
    EXPECT_NE(at(5, 5), at(65, 102)) << "the first button, at half its source coordinates";
    EXPECT_EQ(at(5, 5), at(65, 240)) << "below the second button";
}

TEST(FramePainter, TitlesShowTextAndFramesThatMove)
{
    FramePainter painter(width, height);
    std::vector<std::uint8_t> first(static_cast<size_t>(width) * height * 4);
    std::vector<std::uint8_t> next(first.size());
    nav::FrameInfo frame;
    frame.domain = nav::Domain::Title;
    frame.title = 1;
    frame.chapter = 2;
    frame.time.time = {0, 0, 12, 3};
    frame.time.flags = nav::Fps25;
    painter.render(frame, first.data());
    frame.time.time.frames = 4;
    painter.render(frame, next.data());
    EXPECT_NE(first, next);

    std::set<COLORREF> colours;
    for (int y = 60; y < 240; y += 3)
        for (int x = 0; x < width; x += 3) colours.insert(pixelAt(first, x, y));
    EXPECT_GT(colours.size(), 4u) << "text is drawn, smoothed";
}

TEST(FramePainter, TextsOfTheTitlePicture)
{
    EXPECT_EQ(L"1:02:03.04", formatRunningTime({1, 2, 3, 4}));
    EXPECT_EQ(L"0:00:09.24", formatRunningTime({0, 0, 9, 24}));
    EXPECT_EQ(L"", formatRate(1.0));
    EXPECT_EQ(L"Forward 2\u00D7", formatRate(2.0));
    EXPECT_EQ(L"Backward 8\u00D7", formatRate(-8.0));
    EXPECT_EQ(L"Forward 0.5\u00D7", formatRate(0.5));

    nav::FrameInfo frame;
    frame.audio = 1;
    frame.subpicture = 0;
    frame.subpictureShown = false;
    frame.angle = 2;
    EXPECT_EQ(L"Audio 2   Subtitles 1 (hidden)   Angle 2", formatStreams(frame));
}
