// The disc's own pictures through the platform's renderer: the frame counter the test discs
// carry in every picture, read back from the screen, against the time the navigator tells.
#include "PlaybackTest.h"

#include "FrameMarks.h"

#include <cmath>
#include <cstdio>
#include <vector>

namespace navtest {
namespace {

constexpr double framesPerSecond = 25;  // the sample disc is PAL

// The frame number in the picture on screen, and the navigator's time read right after it,
// in seconds of the title. The screen, because the renderer hands out its own picture only
// while it holds a sample paused.
struct Moment {
    std::optional<mediatest::FrameMarks> marks;
    double told = 0;
    bool subtitle = false;  // the sample disc's first subtitle, a white box low in the picture
};

Moment readMoment(HWND window, IDvdInfo2& info)
{
    Moment moment;
    RECT area{};
    GetWindowRect(window, &area);
    const int width = area.right - area.left, height = area.bottom - area.top;
    BITMAPINFO format{};
    format.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const HDC screen = GetDC(nullptr);
    const HDC copy = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateDIBSection(screen, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = SelectObject(copy, bitmap);
    const bool copied = bits && BitBlt(copy, 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    DVD_PLAYBACK_LOCATION2 location{};
    info.GetCurrentLocation(&location);
    const DVD_HMSF_TIMECODE& t = location.TimeCode;
    moment.told = t.bHours * 3600.0 + t.bMinutes * 60.0 + t.bSeconds + t.bFrames / framesPerSecond;
    if (copied) {
        const auto* pixels = static_cast<const std::uint8_t*>(bits);
        moment.marks = mediatest::readFrameMarks(pixels, std::ptrdiff_t{width} * 4, width, height);
        const std::uint8_t* box = pixels + (std::ptrdiff_t{500} * width + 360) * 4;
        moment.subtitle = height > 500 && width > 360 && box[0] > 220 && box[1] > 220 && box[2] > 220;
    }
    SelectObject(copy, old);
    DeleteObject(bitmap);
    DeleteDC(copy);
    ReleaseDC(nullptr, screen);
    return moment;
}

class Pictures : public Playback {
protected:
    void SetUp() override
    {
        Playback::SetUp();
        ComPtr<IVideoWindow> video = playback->videoWindow();
        ASSERT_TRUE(video);
        OAHWND owner = 0;
        ASSERT_EQ(S_OK, video->get_Owner(&owner));
        host = reinterpret_cast<HWND>(owner);
        ShowWindow(host, SW_SHOWNOACTIVATE);
        video->SetWindowPosition(0, 0, 720, 576);
        video->put_Visible(OATRUE);
    }

    Moment moment() { return readMoment(host, *info.Get()); }

    // Pumps until the picture on screen shows `colour`; how long that took, or nothing.
    std::optional<double> untilColour(int colour, DWORD milliseconds)
    {
        const ULONGLONG start = GetTickCount64();
        while (GetTickCount64() - start < milliseconds) {
            pumpMessages(40);
            const Moment m = moment();
            if (m.marks && m.marks->colour == colour) return (GetTickCount64() - start) / 1000.0;
        }
        return std::nullopt;
    }

    // The largest difference between the picture's frame and the time told over a while.
    double worstDisagreement(int samples)
    {
        double worst = 0;
        int read = 0;
        for (int i = 0; i < samples; ++i) {
            pumpMessages(250);
            const Moment m = moment();
            if (!m.marks) continue;
            ++read;
            worst = std::max(worst, std::abs(m.marks->frame / framesPerSecond - m.told));
        }
        EXPECT_GT(read, samples / 2) << "pictures without a readable frame counter";
        return worst;
    }

    HWND host = nullptr;
};

// Processor time of this process (navigator, renderers and the test) per second of playback.
double processorLoad(DWORD milliseconds)
{
    const auto used = [] {
        FILETIME created, exited, kernel, user;
        GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
        const auto ticks = [](const FILETIME& t) { return (ULONGLONG{t.dwHighDateTime} << 32) | t.dwLowDateTime; };
        return ticks(kernel) + ticks(user);
    };
    const ULONGLONG before = used();
    const ULONGLONG start = GetTickCount64();
    pumpMessages(milliseconds);
    return static_cast<double>(used() - before) / 10000.0 / static_cast<double>(GetTickCount64() - start);
}

TEST_F(Pictures, TheTimeToldIsThatOfThePictureShownAndTimeSearchesLandWhereTheySay)
{
    playTitleOneTo(2);
    std::printf("720x576 at 25 pictures a second: %.3f processor seconds per second of playback\n", processorLoad(3000));
    double worst = worstDisagreement(12);
    std::printf("picture and time told differ by %.3f s at most while playing\n", worst);
    EXPECT_LT(worst, 0.2);

    DVD_HMSF_TIMECODE at{0, 0, 20, 0};
    ASSERT_EQ(S_OK, dvd->PlayAtTimeInTitle(1, &at, DVD_CMD_FLAG_Flush, nullptr));
    pumpMessages(300);
    const Moment landed = moment();
    ASSERT_TRUE(landed.marks);
    EXPECT_NEAR(landed.marks->frame / framesPerSecond, 20.3, 0.35);
    EXPECT_EQ(landed.marks->colour, 2) << "title 1's third chapter";
    worst = worstDisagreement(8);
    std::printf("and %.3f s after the time search\n", worst);
    EXPECT_LT(worst, 0.2);
}

TEST_F(Pictures, ASubtitleShowsOverThePictureAndStaysWhenTheSpeedChanges)
{
    playTitleOneTo(1);
    ASSERT_EQ(S_OK, dvd->SelectSubpictureStream(0, DVD_CMD_FLAG_None, nullptr));
    ASSERT_EQ(S_OK, dvd->SetSubpictureState(TRUE, DVD_CMD_FLAG_None, nullptr));
    pumpMessages(800);
    EXPECT_TRUE(moment().subtitle);
    ASSERT_EQ(S_OK, dvd->PlayForwards(2.0, DVD_CMD_FLAG_None, nullptr));
    pumpMessages(300);
    const Moment fast = moment();
    ASSERT_TRUE(fast.marks);
    ASSERT_LT(fast.marks->frame, 5 * 25) << "the subtitle ends at five seconds";
    EXPECT_TRUE(fast.subtitle);
    ASSERT_EQ(S_OK, dvd->SetSubpictureState(FALSE, DVD_CMD_FLAG_None, nullptr));
    pumpMessages(200);
    EXPECT_FALSE(moment().subtitle);
}

// The angles disc: a lead-in cell, a block of three interleaved angles each in a colour of its
// own (patch colours 1-3), a closing cell (colour 4), every cell counting its frames from 0.
class AnglePictures : public Pictures {
protected:
    AnglePictures() { discName = L"angles"; }
};

TEST_F(AnglePictures, TheChosenAngleShowsAndAChangeSwitchesThePictureInPlace)
{
    ASSERT_TRUE(SUCCEEDED(playback->control->Run()));
    ASSERT_TRUE(playback->waitFor(EC_DVD_CURRENT_HMSF_TIME, [](const GraphEvent& e) { return secondsOf(e) >= 5; }));
    ULONG angles = 0, current = 0;
    ASSERT_EQ(S_OK, info->GetCurrentAngle(&angles, &current));
    EXPECT_EQ(3u, angles);
    EXPECT_EQ(1u, current);
    ASSERT_TRUE(untilColour(1, 1000)) << "angle 1 plays first";

    for (int angle : {3, 2}) {
        ASSERT_EQ(S_OK, dvd->SelectAngle(angle, DVD_CMD_FLAG_None, nullptr));
        const std::optional<double> took = untilColour(angle, 2000);
        ASSERT_TRUE(took) << "angle " << angle << " never shows";
        std::printf("angle %d on screen %.2f s after it was chosen\n", angle, *took);
        pumpMessages(200);
        const Moment m = moment();
        ASSERT_TRUE(m.marks);
        EXPECT_EQ(angle, m.marks->colour);
        // The block starts 4 s into the title and each angle counts its frames from there.
        EXPECT_NEAR(m.marks->frame / framesPerSecond, m.told - 4, 0.2) << "angle " << angle << " in place";
    }
    ASSERT_TRUE(untilColour(4, 6000)) << "the closing cell follows the block";
    ASSERT_EQ(S_OK, info->GetCurrentAngle(&angles, &current));
    EXPECT_EQ(2u, current) << "the choice outlives the block";
}

// The sizes disc: a 720x576 menu (patch colour 5) leading by itself to a 352x288 title (6).
class SizePictures : public Pictures {
protected:
    SizePictures() { discName = L"sizes"; }
};

TEST_F(SizePictures, ATitleSmallerThanItsMenuShowsWholeWithoutGarbageBetween)
{
    ASSERT_TRUE(SUCCEEDED(playback->control->Run()));
    ASSERT_TRUE(untilColour(5, 5000)) << "the menu";
    // Every picture on the way carries marks: bytes drawn in the wrong layout would not.
    int unreadable = 0;
    std::optional<double> title;
    for (ULONGLONG start = GetTickCount64(); !title && GetTickCount64() - start < 5000;) {
        pumpMessages(20);
        const Moment m = moment();
        unreadable += !m.marks;
        if (m.marks && m.marks->colour == 6) title = m.told;
    }
    ASSERT_TRUE(title) << "the title";
    EXPECT_EQ(0, unreadable);
    pumpMessages(1000);
    const Moment m = moment();
    ASSERT_TRUE(m.marks);
    EXPECT_EQ(6, m.marks->colour);
    EXPECT_NEAR(m.marks->frame / framesPerSecond, m.told, 0.2);
    ComPtr<IBasicVideo> video;
    ASSERT_TRUE(SUCCEEDED(playback->videoWindow().As(&video)));
    long width = 0, height = 0;
    ASSERT_EQ(S_OK, video->GetVideoSize(&width, &height));
    std::printf("the renderer draws the 352x288 title at %ldx%ld\n", width, height);
}

}  // namespace
}  // namespace navtest
