// Translations between the navigator core and the platform's DVD records.

#include "DvdCodes.h"

#include <gtest/gtest.h>

using namespace lumanav;

TEST(Codes, EveryCoreStatusHasThePlatformsResult)
{
    EXPECT_EQ(S_OK, toResult(nav::Status::Ok));
    EXPECT_EQ(VFW_E_DVD_INVALIDDOMAIN, toResult(nav::Status::InvalidDomain));
    EXPECT_EQ(E_INVALIDARG, toResult(nav::Status::InvalidArgument));
    EXPECT_EQ(VFW_E_DVD_OPERATION_INHIBITED, toResult(nav::Status::Prohibited));
    EXPECT_EQ(VFW_E_DVD_NO_BUTTON, toResult(nav::Status::NoSuchButton));
    EXPECT_EQ(VFW_E_DVD_STREAM_DISABLED, toResult(nav::Status::StreamDisabled));
    EXPECT_EQ(VFW_E_DVD_CMD_CANCELLED, toResult(nav::Status::NotAvailable));
    EXPECT_EQ(VFW_E_DVD_MENU_DOES_NOT_EXIST, toResult(nav::Status::NotAvailable, VFW_E_DVD_MENU_DOES_NOT_EXIST));
    EXPECT_EQ(VFW_E_DVD_INVALIDDOMAIN, toResult(nav::Status::InvalidDomain, VFW_E_DVD_MENU_DOES_NOT_EXIST));
}

TEST(Codes, ClientPointsScaleToTheDrawnPartOfTheSource)
{
    const RECT half{0, 0, 360, 288};
    const RECT source{0, 0, 720, 576};
    POINT p = toSourcePoint({180, 115}, half, source);
    EXPECT_EQ(360, p.x);
    EXPECT_EQ(230, p.y);

    // The picture drawn with a border inside the window, and only the source's right half.
    p = toSourcePoint({110, 60}, RECT{10, 10, 370, 298}, RECT{360, 0, 720, 576});
    EXPECT_EQ(460, p.x);
    EXPECT_EQ(100, p.y);

    // Points left of or above the picture stay outside the source, not clamped onto it.
    p = toSourcePoint({0, 0}, RECT{10, 10, 370, 298}, source);
    EXPECT_LT(p.x, 0);
    EXPECT_LT(p.y, 0);

    // No destination yet: the point is taken as it is.
    p = toSourcePoint({5, 7}, RECT{0, 0, 0, 0}, source);
    EXPECT_EQ(5, p.x);
    EXPECT_EQ(7, p.y);
}

TEST(Codes, FrameDurationsOfTheTwoVideoSystems)
{
    EXPECT_EQ(400000, frameDuration(50));
    EXPECT_EQ(333667, frameDuration(60));
}

TEST(Codes, TimeCodesKeepEveryField)
{
    const nav::Hmsf time{1, 2, 3, 4};
    const DVD_HMSF_TIMECODE platform = toPlatform(time);
    EXPECT_EQ(1, platform.bHours);
    EXPECT_EQ(2, platform.bMinutes);
    EXPECT_EQ(3, platform.bSeconds);
    EXPECT_EQ(4, platform.bFrames);
    EXPECT_EQ(time, fromPlatform(platform));
}

TEST(Codes, AttributesInThePlatformsRecords)
{
    nav::VideoInfo video;
    video.sourceWidth = 720;
    video.sourceHeight = 576;
    video.frameRate = 50;
    video.aspectX = 16;
    video.aspectY = 9;
    video.mpeg2 = true;
    const DVD_VideoAttributes platformVideo = toPlatform(video);
    EXPECT_EQ(576u, platformVideo.ulFrameHeight);
    EXPECT_EQ(50u, platformVideo.ulFrameRate);
    EXPECT_EQ(16u, platformVideo.ulAspectX);
    EXPECT_EQ(DVD_VideoCompression_MPEG2, platformVideo.Compression);
    video.frameRate = 60;
    EXPECT_EQ(480u, toPlatform(video).ulFrameHeight);

    nav::AudioInfo audio;
    audio.coding = nav::AudioCoding::Lpcm;
    audio.frequency = 96000;
    audio.quantization = 24;
    audio.channels = 6;
    audio.language = 0x040C;
    audio.applicationMode = 2;
    const DVD_AudioAttributes platformAudio = toPlatform(audio);
    EXPECT_EQ(DVD_AudioFormat_LPCM, platformAudio.AudioFormat);
    EXPECT_EQ(96000u, platformAudio.dwFrequency);
    EXPECT_EQ(24, platformAudio.bQuantization);
    EXPECT_EQ(6, platformAudio.bNumberOfChannels);
    EXPECT_EQ(0x040Cu, platformAudio.Language);
    EXPECT_EQ(DVD_AudioMode_Surround, platformAudio.AppMode);

    nav::SubpictureInfo subpicture;
    EXPECT_EQ(DVD_SPType_NotSpecified, toPlatform(subpicture).Type);
    subpicture.hasLanguage = true;
    subpicture.language = 0x0407;
    EXPECT_EQ(DVD_SPType_Language, toPlatform(subpicture).Type);
    EXPECT_EQ(0x0407u, toPlatform(subpicture).Language);
}
