#include "ControlBar.h"

#include "../media/support/FrameMarks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <optional>

using namespace e2e;

namespace {

constexpr double framesPerSecond = 25; // the sample disc is PAL
constexpr double chapterSeconds = 8;   // title 1's chapters start every eight seconds

struct ShownFrame {
    double seconds; // title time of the picture on screen, from its frame counter
    int colour;     // the patch naming title and chapter
};

std::optional<ShownFrame> FrameOnScreen(const Player& player)
{
    HWND renderer = RendererWindow(player);
    if (!renderer) return std::nullopt;
    const Capture shot = CaptureClient(renderer);
    if (shot.bgra.empty()) return std::nullopt;
    const auto marks = mediatest::readFrameMarks(shot.bgra.data(), shot.width * 4, shot.width, shot.height);
    if (!marks) return std::nullopt;
    return ShownFrame{marks->frame / framesPerSecond, marks->colour};
}

// Title 1's chapters take the patch colours in order.
int ChapterColour(double seconds) { return static_cast<int>(seconds / chapterSeconds); }

// The picture's time minus the label's at each of the next `count` moments the label turns to
// a new second: the label truncates, so at that moment both should name the same instant.
std::vector<double> OffsetsAtLabelChanges(const Player& player, const ControlBar& bar, size_t count)
{
    std::vector<double> offsets;
    int label = bar.ElapsedSeconds();
    const ULONGLONG end = GetTickCount64() + 2000 * count;
    while (offsets.size() < count && GetTickCount64() < end) {
        const int now = bar.ElapsedSeconds();
        if (now == label) {
            Sleep(5);
            continue;
        }
        const auto shown = FrameOnScreen(player);
        if (shown && now == label + 1) {
            offsets.push_back(shown->seconds - now);
            EXPECT_EQ(shown->colour, ChapterColour(shown->seconds)) << "at " << shown->seconds << " s";
        }
        label = now;
    }
    return offsets;
}

void Report(const char* when, const std::vector<double>& offsets)
{
    std::printf("[ figures  ] picture minus label at label changes %s (s):", when);
    for (double offset : offsets) std::printf(" %+.2f", offset);
    std::printf("\n");
}

} // namespace

TEST(PictureTime, FrameCounterFollowsTheTimeLabelAndTheSeekBar)
{
    Player player;
    ASSERT_TRUE(WaitFor([&] { return player.MainWindow() != nullptr; }));
    ControlBar bar(player);
    PlayFirstTitle(player, bar);
    ASSERT_TRUE(WaitFor([&] { return FrameOnScreen(player).has_value(); }));
    Screenshot("picture-time-title1");

    const auto offsets = OffsetsAtLabelChanges(player, bar, 4);
    Report("while playing", offsets);
    ASSERT_EQ(offsets.size(), 4u);
    for (double offset : offsets) EXPECT_LT(std::fabs(offset), 0.2);

    // A jump by the seek bar: the first new picture is the one of the second landed on.
    const double before = FrameOnScreen(player).value_or(ShownFrame{0, -1}).seconds;
    const RECT channel = ScreenRect(bar.SeekBar());
    bar.DragSeekThumbTo(channel.left + (channel.right - channel.left) * 3 / 4);
    const int target = SliderPosition(bar.SeekBar());
    ASSERT_GT(target, before + 5);
    std::optional<ShownFrame> landed;
    ASSERT_TRUE(WaitFor([&] {
        landed = FrameOnScreen(player);
        return landed && landed->seconds > before + 3;
    }));
    std::printf("[ figures  ] seek bar set to %d s, first picture after the jump at %.2f s\n", target,
                landed->seconds);
    EXPECT_LT(std::fabs(landed->seconds - target), 0.5);
    EXPECT_EQ(landed->colour, ChapterColour(landed->seconds));

    const auto afterJump = OffsetsAtLabelChanges(player, bar, 3);
    Report("after the jump", afterJump);
    ASSERT_EQ(afterJump.size(), 3u);
    for (double offset : afterJump) EXPECT_LT(std::fabs(offset), 0.2);

    bar.Press(tbTitleMenu);
    Sleep(1500);
    Screenshot("picture-time-title-menu");
    EXPECT_TRUE(player.Close());
}
