// Building DVD graphs with the DLL's graph builder in the platform's filter graph: what ends
// up in the graph, and the status record for every condition the builder can report.

#include "Harness.h"
#include "VolumeLocator.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace navtest;

namespace {

class GraphBuild : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(NavigatorDll::instance().loaded()) << "LUMANAV_DLL must name the navigator DLL";
        ASSERT_TRUE(classes.active());
        ASSERT_FALSE(sample.empty()) << "LUMANAV_TEST_DISCS must name the test discs' folder";
    }

    int count(const DvdPlayback& playback, REFCLSID clsid) const
    {
        const auto filters = playback.filters();
        return static_cast<int>(std::count_if(filters.begin(), filters.end(),
                                              [&](const auto& entry) { return IsEqualCLSID(entry.second, clsid); }));
    }

    ClassRegistration classes;
    const std::wstring sample = disc(L"sample");
};

bool statusClear(const AM_DVD_RENDERSTATUS& status)
{
    return status.hrVPEStatus == S_OK && !status.bDvdVolInvalid && !status.bDvdVolUnknown && !status.bNoLine21In &&
           !status.bNoLine21Out && status.iNumStreams == 0 && status.iNumStreamsFailed == 0 && status.dwFailedStreamsFlag == 0;
}

ComPtr<IPin> peerOf(IBaseFilter* filter)
{
    ComPtr<IEnumPins> pins;
    filter->EnumPins(&pins);
    ComPtr<IPin> pin, peer;
    while (pins->Next(1, pin.ReleaseAndGetAddressOf(), nullptr) == S_OK)
        if (SUCCEEDED(pin->ConnectedTo(&peer))) return peer;
    return nullptr;
}

}  // namespace

TEST_F(GraphBuild, FullBuildFeedsThePlayersRendererAndASoundRenderer)
{
    DvdPlayback playback;
    ASSERT_TRUE(playback.ready());
    ASSERT_EQ(S_OK, playback.render(sample + L"\\VIDEO_TS\\VIDEO_TS.IFO"));
    EXPECT_TRUE(statusClear(playback.status));

    EXPECT_EQ(1, count(playback, CLSID_DVDNavigator));
    EXPECT_EQ(1, count(playback, CLSID_VideoRenderer)) << "the player's own renderer is used, no second one";
    EXPECT_EQ(1, count(playback, CLSID_DSoundRender));

    const ComPtr<IPin> feeding = peerOf(playback.playerRenderer.Get());
    ASSERT_TRUE(feeding);
    AM_MEDIA_TYPE type{};
    ASSERT_EQ(S_OK, feeding->ConnectionMediaType(&type));
    ASSERT_TRUE(IsEqualGUID(type.subtype, MEDIASUBTYPE_RGB32));
    const auto* video = reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat);
    EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), video->bmiHeader.biWidth) << "room for the picture full screen";
    EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), video->bmiHeader.biHeight);
    EXPECT_EQ(400000, video->AvgTimePerFrame) << "the disc is PAL";
    CoTaskMemFree(type.pbFormat);
    // What others are offered: the picture as it is shown.
    ComPtr<IEnumMediaTypes> offered;
    ASSERT_EQ(S_OK, feeding->EnumMediaTypes(&offered));
    AM_MEDIA_TYPE* shown = nullptr;
    ASSERT_EQ(S_OK, offered->Next(1, &shown, nullptr));
    const auto* picture = reinterpret_cast<const VIDEOINFOHEADER*>(shown->pbFormat);
    EXPECT_EQ(768, picture->bmiHeader.biWidth) << "720 at 4:3 in square pixels";
    EXPECT_EQ(576, picture->bmiHeader.biHeight);
    CoTaskMemFree(shown->pbFormat);
    CoTaskMemFree(shown);

    // The builder hands out the navigator's interfaces and the renderers' own.
    EXPECT_TRUE(playback.dvd());
    EXPECT_TRUE(playback.info());
    ComPtr<IVideoWindow> fromBuilder = playback.videoWindow();
    ComPtr<IVideoWindow> fromRenderer;
    ASSERT_TRUE(fromBuilder);
    ASSERT_EQ(S_OK, playback.playerRenderer.As(&fromRenderer));
    ComPtr<IUnknown> builderIdentity, rendererIdentity;
    fromBuilder.As(&builderIdentity);
    fromRenderer.As(&rendererIdentity);
    EXPECT_EQ(builderIdentity.Get(), rendererIdentity.Get());
    ComPtr<IBasicAudio> audio;
    EXPECT_EQ(S_OK, playback.builder->GetDvdInterface(IID_IBasicAudio, reinterpret_cast<void**>(audio.GetAddressOf())));
    ComPtr<IUnknown> unrelated;
    EXPECT_EQ(E_NOINTERFACE, playback.builder->GetDvdInterface(IID_IMediaSeeking, reinterpret_cast<void**>(unrelated.GetAddressOf())));
}

TEST_F(GraphBuild, WithoutARendererInTheGraphTheBuilderAddsOne)
{
    DvdPlayback playback(false);
    ASSERT_TRUE(playback.ready());
    ASSERT_EQ(S_OK, playback.render(sample));
    EXPECT_EQ(1, count(playback, CLSID_VideoRenderer));
    EXPECT_EQ(1, count(playback, CLSID_DSoundRender));
}

TEST_F(GraphBuild, BeforeABuildOnlyTheGraphIsThere)
{
    DvdPlayback playback;
    ASSERT_TRUE(playback.ready());
    EXPECT_FALSE(playback.dvd());
    ComPtr<IGraphBuilder> again;
    ASSERT_EQ(S_OK, playback.builder->GetFiltergraph(&again));
    EXPECT_EQ(playback.graph.Get(), again.Get());
}

TEST_F(GraphBuild, ADiscImagePlaysAsTheDiscItHolds)
{
    const std::wstring image = disc(L"images\\sample.iso");
    DvdPlayback playback;
    ASSERT_TRUE(playback.ready());
    ASSERT_EQ(S_OK, playback.render(image));
    EXPECT_TRUE(statusClear(playback.status));
    ComPtr<IDvdInfo2> info = playback.info();
    ULONG volumes = 0, volume = 0, titles = 0;
    DVD_DISC_SIDE side{};
    ASSERT_EQ(S_OK, info->GetDVDVolumeInfo(&volumes, &volume, &side, &titles));
    EXPECT_EQ(2u, titles);
    ULONGLONG id = 0;
    ASSERT_EQ(S_OK, info->GetDiscID(nullptr, &id));
    EXPECT_EQ(lumanav::discId(image), id);
}

// Images that hold no DVD-Video volume are answered as a folder without one is.
TEST_F(GraphBuild, APathThatIsNoDvdVolumeBuildsTheGraphAndReportsTheVolumeInvalid)
{
    const std::wstring notVolumes[] = {disc(L""), sample + L"\\no such folder", disc(L"images\\truncated.iso"),
                                       disc(L"images\\datacd.iso"), disc(L"images\\random.iso")};
    for (const std::wstring& path : notVolumes) {
        DvdPlayback playback;
        ASSERT_TRUE(playback.ready());
        EXPECT_EQ(S_FALSE, playback.render(path));
        EXPECT_TRUE(playback.status.bDvdVolInvalid);
        EXPECT_FALSE(playback.status.bDvdVolUnknown);
        EXPECT_EQ(0, playback.status.iNumStreamsFailed);
        EXPECT_EQ(1, count(playback, CLSID_DVDNavigator));
        // Without a disc the navigator has nothing to play.
        ComPtr<IDvdControl2> dvd = playback.dvd();
        ASSERT_TRUE(dvd);
        EXPECT_EQ(VFW_E_DVD_INVALIDDOMAIN, dvd->PlayTitle(1, DVD_CMD_FLAG_None, nullptr));
    }
}

TEST_F(GraphBuild, WithoutAPathTheDiscInAnOpticalDriveIsPlayedOrTheVolumeIsUnknown)
{
    const bool discInDrive = !lumanav::findDiscVolume(lumanav::SystemDrives()).empty();
    DvdPlayback playback;
    ASSERT_TRUE(playback.ready());
    const HRESULT hr = playback.render(L"");
    if (discInDrive) {
        EXPECT_EQ(S_OK, hr);
        EXPECT_TRUE(statusClear(playback.status));
    } else {
        EXPECT_EQ(S_FALSE, hr);
        EXPECT_TRUE(playback.status.bDvdVolUnknown);
        EXPECT_FALSE(playback.status.bDvdVolInvalid);
    }
    EXPECT_EQ(0, playback.status.iNumStreamsFailed);
}

TEST_F(GraphBuild, ARendererThePlatformCannotMakeIsAFailedStream)
{
    UnavailableClass noSound(CLSID_DSoundRender);
    DvdPlayback playback;
    ASSERT_TRUE(playback.ready());
    EXPECT_EQ(S_FALSE, playback.render(sample));
    EXPECT_EQ(1, playback.status.iNumStreamsFailed);
    EXPECT_EQ(static_cast<DWORD>(AM_DVD_STREAM_AUDIO), playback.status.dwFailedStreamsFlag);
    EXPECT_FALSE(playback.status.bDvdVolInvalid);
    EXPECT_EQ(0, count(playback, CLSID_DSoundRender));
}

TEST_F(GraphBuild, NoRendererAtAllIsARenderFailure)
{
    UnavailableClass noSound(CLSID_DSoundRender);
    UnavailableClass noPicture(CLSID_VideoRenderer);
    DvdPlayback playback(false);
    ASSERT_TRUE(playback.ready());
    EXPECT_EQ(VFW_E_DVD_RENDERFAIL, playback.render(sample));
    EXPECT_EQ(2, playback.status.iNumStreamsFailed);
    EXPECT_EQ(static_cast<DWORD>(AM_DVD_STREAM_VIDEO | AM_DVD_STREAM_AUDIO), playback.status.dwFailedStreamsFlag);
}

TEST_F(GraphBuild, FlagsMustNameExactlyOneDecoderChoiceThatExists)
{
    DvdPlayback playback;
    ASSERT_TRUE(playback.ready());
    EXPECT_EQ(E_INVALIDARG, playback.render(sample, 0));
    EXPECT_EQ(E_INVALIDARG, playback.render(sample, AM_DVD_HWDEC_PREFER | AM_DVD_SWDEC_PREFER));
    EXPECT_EQ(E_INVALIDARG, playback.render(sample, AM_DVD_HWDEC_PREFER | 0x10000));
    EXPECT_EQ(VFW_E_DVD_DECNOTENOUGH, playback.render(sample, AM_DVD_HWDEC_ONLY));
    EXPECT_EQ(S_OK, playback.render(sample, AM_DVD_SWDEC_ONLY | AM_DVD_NOVPE));
}

TEST_F(GraphBuild, AGraphIsBuiltOnceUntilItIsEmptied)
{
    DvdPlayback playback;
    ASSERT_TRUE(playback.ready());
    ASSERT_EQ(S_OK, playback.render(sample));
    EXPECT_EQ(VFW_E_DVD_GRAPHNOTREADY, playback.render(sample));
    playback.clear();
    ASSERT_EQ(S_OK, playback.graph->AddFilter(playback.playerRenderer.Get(), L"VideoWindow"));
    EXPECT_EQ(S_OK, playback.render(sample));
}
