// What the navigator tells about the disc and where playback stands, in the platform's
// records, and the navigator on its own as CLSID_DVDNavigator hands it out.

#include "PlaybackTest.h"

#include <cwchar>

using namespace navtest;

namespace {

using Information = Playback;

}  // namespace

TEST_F(Information, TheTitlePlayingAndItsStreams)
{
    playTitleOneTo(1);
    DVD_DOMAIN domain{};
    ASSERT_EQ(S_OK, info->GetCurrentDomain(&domain));
    EXPECT_EQ(DVD_DOMAIN_Title, domain);
    DVD_PLAYBACK_LOCATION2 location{};
    ASSERT_EQ(S_OK, info->GetCurrentLocation(&location));
    EXPECT_EQ(1u, location.TitleNum);
    EXPECT_EQ(1u, location.ChapterNum);
    EXPECT_EQ(static_cast<ULONG>(DVD_TC_FLAG_25fps), location.TimeCodeFlags);

    DVD_HMSF_TIMECODE total{};
    ULONG flags = 0;
    ASSERT_EQ(S_OK, info->GetTotalTitleTime(&total, &flags));
    EXPECT_EQ(0, total.bMinutes);
    EXPECT_EQ(32, total.bSeconds);
    ULONG chapters = 0;
    ASSERT_EQ(S_OK, info->GetNumberOfChapters(1, &chapters));
    EXPECT_EQ(4u, chapters);
    EXPECT_EQ(E_INVALIDARG, info->GetNumberOfChapters(9, &chapters));

    LCID language = 0;
    ASSERT_EQ(S_OK, info->GetAudioLanguage(0, &language));
    EXPECT_EQ(0x0409u, language);
    ASSERT_EQ(S_OK, info->GetAudioLanguage(1, &language));
    EXPECT_EQ(0x040Cu, language);
    EXPECT_EQ(E_INVALIDARG, info->GetAudioLanguage(2, &language)) << "the title has two audio streams";
    ASSERT_EQ(S_OK, info->GetSubpictureLanguage(0, &language));
    EXPECT_EQ(0x0409u, language);
    ASSERT_EQ(S_OK, info->GetSubpictureLanguage(1, &language));
    EXPECT_EQ(0u, language) << "the second subtitle stream names no language";

    DVD_VideoAttributes video{};
    ASSERT_EQ(S_OK, info->GetCurrentVideoAttributes(&video));
    EXPECT_EQ(720u, video.ulSourceResolutionX);
    EXPECT_EQ(576u, video.ulSourceResolutionY);
    EXPECT_EQ(50u, video.ulFrameRate);
    EXPECT_EQ(4u, video.ulAspectX);
    EXPECT_EQ(3u, video.ulAspectY);
    DVD_AudioAttributes audio{};
    ASSERT_EQ(S_OK, info->GetAudioAttributes(0, &audio));
    EXPECT_EQ(DVD_AudioFormat_AC3, audio.AudioFormat);
    EXPECT_EQ(48000u, audio.dwFrequency);
    EXPECT_EQ(E_INVALIDARG, info->GetAudioAttributes(4, &audio));

    DVD_TitleAttributes title{};
    ASSERT_EQ(S_OK, info->GetTitleAttributes(0xFFFFFFFF, nullptr, &title));
    EXPECT_EQ(2u, title.ulNumberOfAudioStreams);
    EXPECT_EQ(2u, title.ulNumberOfSubpictureStreams);
    EXPECT_EQ(0x040Cu, title.AudioAttributes[1].Language);
    EXPECT_EQ(VFW_E_DVD_NO_ATTRIBUTES, info->GetTitleAttributes(2, nullptr, &title)) << "another title set";
    EXPECT_EQ(E_INVALIDARG, info->GetTitleAttributes(3, nullptr, &title));

    BOOL enabled = FALSE;
    ASSERT_EQ(S_OK, info->IsAudioStreamEnabled(1, &enabled));
    EXPECT_TRUE(enabled);
    ASSERT_EQ(S_OK, info->IsAudioStreamEnabled(2, &enabled));
    EXPECT_FALSE(enabled);
    EXPECT_EQ(E_INVALIDARG, info->IsAudioStreamEnabled(8, &enabled));
}

TEST_F(Information, TheDiscAsAWhole)
{
    runToMenu();
    ULONG volumes = 0, volume = 0, titles = 0;
    DVD_DISC_SIDE side{};
    ASSERT_EQ(S_OK, info->GetDVDVolumeInfo(&volumes, &volume, &side, &titles));
    EXPECT_EQ(1u, volumes);
    EXPECT_EQ(DVD_SIDE_A, side);
    EXPECT_EQ(2u, titles);

    wchar_t folder[MAX_PATH] = {};
    ULONG length = 0;
    ASSERT_EQ(S_OK, info->GetDVDDirectory(folder, MAX_PATH, &length));
    EXPECT_EQ(disc(L"sample") + L"\\VIDEO_TS", std::wstring(folder));
    EXPECT_EQ(std::wcslen(folder) + 1, length);
    EXPECT_EQ(E_NOT_SUFFICIENT_BUFFER, info->GetDVDDirectory(folder, 4, &length));

    ULONGLONG id = 0, again = 0, other = 0;
    ASSERT_EQ(S_OK, info->GetDiscID(nullptr, &id));
    ASSERT_EQ(S_OK, info->GetDiscID((disc(L"sample") + L"\\VIDEO_TS\\VIDEO_TS.IFO").c_str(), &again));
    EXPECT_EQ(id, again);
    ASSERT_EQ(S_OK, info->GetDiscID(disc(L"chapters300").c_str(), &other));
    EXPECT_NE(id, other);

    ULONG uops = 0;
    EXPECT_EQ(S_OK, info->GetCurrentUOPS(&uops));
    DVD_DECODER_CAPS caps{};
    EXPECT_EQ(E_INVALIDARG, info->GetDecoderCaps(&caps));
    caps.dwSize = sizeof caps;
    ASSERT_EQ(S_OK, info->GetDecoderCaps(&caps));
    EXPECT_GE(caps.dFwdMaxRateVideo, 4.0);
}

TEST_F(Information, PreferencesAreKeptAndReported)
{
    ASSERT_EQ(S_OK, dvd->SelectParentalLevel(3));
    BYTE country[2] = {'U', 'S'};
    ASSERT_EQ(S_OK, dvd->SelectParentalCountry(country));
    ULONG level = 0;
    BYTE reported[2] = {};
    ASSERT_EQ(S_OK, info->GetPlayerParentalLevel(&level, reported));
    EXPECT_EQ(3u, level);
    EXPECT_EQ('U', reported[0]);
    EXPECT_EQ(E_INVALIDARG, dvd->SelectParentalLevel(9));

    ASSERT_EQ(S_OK, dvd->SelectDefaultAudioLanguage(0x040C, DVD_AUD_EXT_DirectorComments1));
    LCID language = 0;
    DVD_AUDIO_LANG_EXT extension{};
    ASSERT_EQ(S_OK, info->GetDefaultAudioLanguage(&language, &extension));
    EXPECT_EQ(0x040Cu, language);
    EXPECT_EQ(DVD_AUD_EXT_DirectorComments1, extension);
    EXPECT_EQ(E_INVALIDARG, dvd->SetOption(static_cast<DVD_OPTION_FLAG>(99), TRUE));
    EXPECT_EQ(VFW_E_DVD_NOT_IN_KARAOKE_MODE, dvd->SelectKaraokeAudioPresentationMode(1));
}

TEST(StandaloneNavigator, OpensAVolumeWhileStoppedAndRefusesOthers)
{
    ASSERT_TRUE(NavigatorDll::instance().loaded());
    ClassRegistration classes;
    ComPtr<IBaseFilter> navigator;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_DVDNavigator, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&navigator)));
    ComPtr<IDvdControl2> dvd;
    ComPtr<IDvdInfo2> info;
    ASSERT_EQ(S_OK, navigator.As(&dvd));
    ASSERT_EQ(S_OK, navigator.As(&info));

    wchar_t folder[MAX_PATH] = {};
    ULONG length = 0;
    EXPECT_EQ(VFW_E_DVD_INVALID_DISC, info->GetDVDDirectory(folder, MAX_PATH, &length)) << "no volume yet";
    EXPECT_EQ(VFW_E_DVD_INVALID_DISC, dvd->SetDVDDirectory(disc(L"").c_str()));
    ASSERT_EQ(S_OK, dvd->SetDVDDirectory(disc(L"chapters300").c_str()));
    ASSERT_EQ(S_OK, info->GetDVDDirectory(folder, MAX_PATH, &length));
    EXPECT_EQ(disc(L"chapters300") + L"\\VIDEO_TS", std::wstring(folder));
    ULONG chapters = 0;
    ASSERT_EQ(S_OK, info->GetNumberOfChapters(1, &chapters));
    EXPECT_EQ(300u, chapters);

    // Its pins offer the volume's picture: NTSC.
    DVD_VideoAttributes video{};
    ASSERT_EQ(S_OK, info->GetCurrentVideoAttributes(&video));
    ComPtr<IPin> videoPin;
    ASSERT_EQ(S_OK, navigator->FindPin(L"Video", &videoPin));
    ComPtr<IEnumMediaTypes> types;
    ASSERT_EQ(S_OK, videoPin->EnumMediaTypes(&types));
    AM_MEDIA_TYPE* type = nullptr;
    ASSERT_EQ(S_OK, types->Next(1, &type, nullptr));
    const auto* format = reinterpret_cast<const VIDEOINFOHEADER*>(type->pbFormat);
    EXPECT_EQ(333667, format->AvgTimePerFrame);
    // Its title's 352x240 at 4:3 in square pixels, as it is shown; the manager has no menu.
    EXPECT_EQ(240, format->bmiHeader.biHeight);
    EXPECT_EQ(320, format->bmiHeader.biWidth);
    CoTaskMemFree(type->pbFormat);
    CoTaskMemFree(type);

    // Not in a graph and never run: commands find nothing to act on.
    EXPECT_EQ(VFW_E_DVD_INVALIDDOMAIN, dvd->PlayTitle(1, DVD_CMD_FLAG_None, nullptr));
    DVD_DOMAIN domain{};
    ASSERT_EQ(S_OK, info->GetCurrentDomain(&domain));
    EXPECT_EQ(DVD_DOMAIN_Stop, domain);
    EXPECT_EQ(E_POINTER, dvd->SetDVDDirectory(nullptr));
}
