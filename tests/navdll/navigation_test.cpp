// Commands the player sends while a disc plays: jumps in time, menu buttons chosen on the
// picture, stream choices, and the results for commands that cannot be carried out.

#include "PlaybackTest.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

using namespace navtest;

namespace {

using Navigation = Playback;

}  // namespace

TEST_F(Navigation, PlayAtTimeInTitleLandsAtTheRequestedSecond)
{
    playTitleOneTo(1);
    DVD_HMSF_TIMECODE target{0, 0, 20, 0};
    playback->seen.clear();
    ASSERT_EQ(S_OK, dvd->PlayAtTimeInTitle(0, &target, DVD_CMD_FLAG_None, nullptr));
    DVD_PLAYBACK_LOCATION2 location{};
    ASSERT_EQ(S_OK, info->GetCurrentLocation(&location));
    EXPECT_EQ(1u, location.TitleNum);
    EXPECT_EQ(3u, location.ChapterNum) << "chapter 3 starts at 16 s";
    EXPECT_EQ(20, location.TimeCode.bSeconds);
    const auto time = playback->waitFor(EC_DVD_CURRENT_HMSF_TIME);
    ASSERT_TRUE(time);
    EXPECT_GE(secondsOf(*time), 20);
    EXPECT_LE(secondsOf(*time), 21);
    EXPECT_TRUE(std::any_of(playback->seen.begin(), playback->seen.end(), [](const GraphEvent& event) {
        return event.code == EC_DVD_CHAPTER_START && event.param1 == 3;
    }));

    DVD_HMSF_TIMECODE beyond{0, 5, 0, 0};
    EXPECT_EQ(E_INVALIDARG, dvd->PlayAtTimeInTitle(0, &beyond, DVD_CMD_FLAG_None, nullptr));
    EXPECT_EQ(E_POINTER, dvd->PlayAtTimeInTitle(0, nullptr, DVD_CMD_FLAG_None, nullptr));
}

TEST_F(Navigation, MenuButtonsAreChosenByTheirPlaceInTheVideoWindow)
{
    // The renderer's window is a child window, as the player places it.
    ComPtr<IVideoWindow> window = playback->videoWindow();
    ASSERT_TRUE(window);
    // Half the picture's size: the disc's 720 × 576 source lands in a 360 × 288 window.
    ASSERT_EQ(S_OK, window->SetWindowPosition(0, 0, 360, 288));
    runToMenu();

    // The disc's buttons span x 116..604 and y 196..264 (first) and 316..384 (second).
    ASSERT_EQ(S_OK, dvd->SelectAtPosition(POINT{180, 175}));
    ULONG available = 0, current = 0;
    ASSERT_EQ(S_OK, info->GetCurrentButton(&available, &current));
    EXPECT_EQ(2u, available);
    EXPECT_EQ(2u, current);
    ULONG under = 0;
    EXPECT_EQ(S_OK, info->GetButtonAtPosition(POINT{180, 115}, &under));
    EXPECT_EQ(1u, under);
    // Near its right end, in the picture's pixels rather than the wider frame's.
    under = 0;
    EXPECT_EQ(S_OK, info->GetButtonAtPosition(POINT{298, 115}, &under));
    EXPECT_EQ(1u, under);
    EXPECT_EQ(VFW_E_DVD_NO_BUTTON, info->GetButtonAtPosition(POINT{10, 10}, &under));
    EXPECT_EQ(VFW_E_DVD_NO_BUTTON, dvd->SelectAtPosition(POINT{10, 10}));

    ASSERT_EQ(S_OK, dvd->ActivateAtPosition(POINT{180, 115}));
    const auto title = playback->waitFor(EC_DVD_TITLE_CHANGE);
    ASSERT_TRUE(title);
    EXPECT_EQ(1, title->param1) << "the first button plays title 1";
}

TEST_F(Navigation, ButtonsByNumberAndDirection)
{
    runToMenu();
    RECT rect{};
    ASSERT_EQ(S_OK, info->GetButtonRect(2, &rect));
    EXPECT_EQ(116, rect.left);
    EXPECT_EQ(316, rect.top);
    EXPECT_EQ(VFW_E_DVD_NO_BUTTON, info->GetButtonRect(3, &rect));

    ASSERT_EQ(S_OK, dvd->SelectButton(1));
    ASSERT_EQ(S_OK, dvd->SelectRelativeButton(DVD_Relative_Lower));
    ULONG available = 0, current = 0;
    ASSERT_EQ(S_OK, info->GetCurrentButton(&available, &current));
    EXPECT_EQ(2u, current);
    EXPECT_EQ(E_INVALIDARG, dvd->SelectRelativeButton(static_cast<DVD_RELATIVE_BUTTON>(9)));
    ASSERT_EQ(S_OK, dvd->SelectAndActivateButton(2));
    EXPECT_TRUE(playback->waitFor(EC_DVD_TITLE_CHANGE, [](const GraphEvent& event) { return event.param1 == 2; }));
    EXPECT_EQ(VFW_E_DVD_NO_BUTTON, dvd->ActivateButton()) << "a title has no buttons";
}

TEST_F(Navigation, MenusAndStreamsOfTheTitle)
{
    playTitleOneTo(1);
    ULONG available = 0, current = 0;
    ASSERT_EQ(S_OK, info->GetCurrentAudio(&available, &current));
    EXPECT_EQ(2u, available);
    ASSERT_EQ(S_OK, dvd->SelectAudioStream(1, DVD_CMD_FLAG_None, nullptr));
    EXPECT_TRUE(playback->waitFor(EC_DVD_AUDIO_STREAM_CHANGE, [](const GraphEvent& event) { return event.param1 == 1; }));
    ASSERT_EQ(S_OK, info->GetCurrentAudio(&available, &current));
    EXPECT_EQ(1u, current);
    EXPECT_FALSE(SUCCEEDED(dvd->SelectAudioStream(5, DVD_CMD_FLAG_None, nullptr)));

    ASSERT_EQ(S_OK, dvd->SelectSubpictureStream(1, DVD_CMD_FLAG_None, nullptr));
    ASSERT_EQ(S_OK, dvd->SetSubpictureState(TRUE, DVD_CMD_FLAG_None, nullptr));
    BOOL disabled = TRUE;
    ASSERT_EQ(S_OK, info->GetCurrentSubpicture(&available, &current, &disabled));
    EXPECT_EQ(2u, available);
    EXPECT_EQ(1u, current);
    EXPECT_FALSE(disabled);

    ASSERT_EQ(S_OK, dvd->ShowMenu(DVD_MENU_Root, DVD_CMD_FLAG_None, nullptr));
    EXPECT_TRUE(playback->waitFor(EC_DVD_DOMAIN_CHANGE, [](const GraphEvent& event) { return event.param1 == DVD_DOMAIN_VideoTitleSetMenu; }));
    EXPECT_EQ(VFW_E_DVD_MENU_DOES_NOT_EXIST, dvd->ShowMenu(DVD_MENU_Angle, DVD_CMD_FLAG_None, nullptr));
    EXPECT_EQ(E_INVALIDARG, dvd->ShowMenu(static_cast<DVD_MENU_ID>(1), DVD_CMD_FLAG_None, nullptr));
    ASSERT_EQ(S_OK, dvd->Resume(DVD_CMD_FLAG_None, nullptr));
    EXPECT_TRUE(playback->waitFor(EC_DVD_DOMAIN_CHANGE, [](const GraphEvent& event) { return event.param1 == DVD_DOMAIN_Title; }));
}

TEST_F(Navigation, ChapterStepsAndTheirLimits)
{
    playTitleOneTo(1);
    ASSERT_EQ(S_OK, dvd->PlayNextChapter(DVD_CMD_FLAG_None, nullptr));
    EXPECT_TRUE(playback->waitFor(EC_DVD_CHAPTER_START, [](const GraphEvent& event) { return event.param1 == 2; }));
    ASSERT_EQ(S_OK, dvd->PlayChapter(4, DVD_CMD_FLAG_None, nullptr));
    EXPECT_TRUE(playback->waitFor(EC_DVD_CHAPTER_START, [](const GraphEvent& event) { return event.param1 == 4; }));
    EXPECT_EQ(E_INVALIDARG, dvd->PlayChapter(9, DVD_CMD_FLAG_None, nullptr));
    EXPECT_EQ(E_INVALIDARG, dvd->PlayTitle(7, DVD_CMD_FLAG_None, nullptr));
    ASSERT_EQ(S_OK, dvd->PlayPrevChapter(DVD_CMD_FLAG_None, nullptr));
    EXPECT_TRUE(playback->waitFor(EC_DVD_CHAPTER_START, [](const GraphEvent& event) { return event.param1 == 3; }));
}

TEST_F(Navigation, CommandObjectsAndCommandEvents)
{
    playTitleOneTo(1);
    ComPtr<IDvdCmd> command;
    ASSERT_EQ(S_OK, dvd->PlayChapter(2, DVD_CMD_FLAG_SendEvents | DVD_CMD_FLAG_Block, &command));
    ASSERT_TRUE(command);
    EXPECT_EQ(S_OK, command->WaitForStart());
    EXPECT_EQ(S_OK, command->WaitForEnd());
    const auto end = playback->waitFor(EC_DVD_CMD_END);
    ASSERT_TRUE(end);
    EXPECT_EQ(S_OK, static_cast<HRESULT>(end->param2));
    ComPtr<IDvdCmd> found;
    EXPECT_EQ(S_OK, info->GetCmdFromEvent(end->param1, &found));
    EXPECT_EQ(E_INVALIDARG, info->GetCmdFromEvent(end->param1 + 100, &found));
    // A refused command hands back no command object.
    ComPtr<IDvdCmd> refused;
    EXPECT_EQ(E_INVALIDARG, dvd->PlayChapter(99, DVD_CMD_FLAG_None, &refused));
    EXPECT_FALSE(refused);
}

namespace {

// The part of the renderer's picture it shows, as 32-bit pixels, top row first.
std::vector<COLORREF> currentPicture(IBasicVideo& video, long& width, long& height)
{
    std::vector<COLORREF> picture;
    // The platform's renderer here does not answer the size alone: offer room for any frame.
    long size = 16 * 1024 * 1024;
    std::vector<long> buffer(static_cast<size_t>(size) / sizeof(long));
    long left = 0, top = 0;
    if (FAILED(video.GetCurrentImage(&size, buffer.data())) ||
        FAILED(video.GetSourcePosition(&left, &top, &width, &height)))
        return picture;
    const auto* header = reinterpret_cast<const BITMAPINFOHEADER*>(buffer.data());
    if (header->biBitCount != 32) return picture;
    const long frameWidth = header->biWidth, frameHeight = std::abs(header->biHeight);
    const auto* bits = reinterpret_cast<const std::uint8_t*>(buffer.data()) + header->biSize;
    picture.resize(static_cast<size_t>(width) * height);
    for (long y = 0; y < height; ++y) {
        const long row = header->biHeight > 0 ? frameHeight - 1 - (top + y) : top + y;
        for (long x = 0; x < width; ++x) {
            const std::uint8_t* bgrx = bits + (static_cast<size_t>(row) * frameWidth + left + x) * 4;
            picture[static_cast<size_t>(y) * width + x] = RGB(bgrx[2], bgrx[1], bgrx[0]);
        }
    }
    return picture;
}

// Waits for the held picture to show the selected button's highlight at `lit` and the
// background at `plain`; the disc's pictures are compressed, so colours are compared loosely.
bool showsSelection(IBasicVideo& video, POINT lit, POINT plain)
{
    const auto distance = [](COLORREF a, COLORREF b) {
        return std::abs(GetRValue(a) - GetRValue(b)) + std::abs(GetGValue(a) - GetGValue(b)) +
               std::abs(GetBValue(a) - GetBValue(b));
    };
    for (int attempt = 0; attempt < 200; ++attempt) {
        long width = 0, height = 0;
        const std::vector<COLORREF> picture = currentPicture(video, width, height);
        if (!picture.empty()) {
            // The menu's 720 x 576 pixels as large as the picture is shown.
            const auto at = [&](POINT p) { return picture[p.y * height / 576 * width + p.x * width / 720]; };
            const COLORREF background = picture[10 * width + 10];
            if (distance(at(lit), background) > 120 && distance(at(plain), background) < 40) return true;
        }
        pumpMessages(20);
    }
    return false;
}

}  // namespace

TEST_F(Navigation, APausedMenuShowsANewSelectionAtOnce)
{
    runToMenu();
    ASSERT_TRUE(SUCCEEDED(playback->control->Pause()));
    OAFilterState state = -1;
    ASSERT_EQ(S_OK, playback->control->GetState(10000, &state));
    ComPtr<IBasicVideo> video;
    ASSERT_EQ(S_OK, playback->builder->GetDvdInterface(IID_IBasicVideo, reinterpret_cast<void**>(video.GetAddressOf())));

    // Points on each button's highlight frame, clear of its face.
    const POINT first{118, 230}, second{118, 350};
    ASSERT_EQ(S_OK, dvd->SelectButton(1));
    EXPECT_TRUE(showsSelection(*video.Get(), first, second));
    ASSERT_EQ(S_OK, dvd->SelectButton(2));
    EXPECT_TRUE(showsSelection(*video.Get(), second, first));
}

TEST_F(Navigation, TheRootMenusButtonLeadsIntoAChapterThatPlaysOn)
{
    playTitleOneTo(1);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        ASSERT_EQ(S_OK, dvd->ShowMenu(DVD_MENU_Root, DVD_CMD_FLAG_None, nullptr));
        ASSERT_TRUE(playback->waitFor(EC_DVD_DOMAIN_CHANGE, [](const GraphEvent& event) {
            return event.param1 == DVD_DOMAIN_VideoTitleSetMenu;
        }));
        // The root menu's first button jumps to chapter 3 of title 1.
        ASSERT_EQ(S_OK, dvd->SelectAndActivateButton(1));
        ASSERT_TRUE(playback->waitFor(EC_DVD_CHAPTER_START, [](const GraphEvent& event) { return event.param1 == 3; }));
        const auto first = playback->waitFor(EC_DVD_CURRENT_HMSF_TIME);
        ASSERT_TRUE(first);
        EXPECT_TRUE(playback->waitFor(EC_DVD_CURRENT_HMSF_TIME, [&](const GraphEvent& event) {
            return secondsOf(event) >= secondsOf(*first) + 2;
        }));
    }
}
