#include "app/MainForm.h"
#include "app/Shared.h"
#include "info/InfoForm.h"
#include "settings/SettingsForm.h"
#include "support/MessagePump.h"
#include "ui/Application.h"
#include "support/PlayerFixture.h"
#include "video/PreviewForm.h"

#include <gmock/gmock.h>

#include <algorithm>

namespace {

using testsupport::PlayerFixture;
using ::testing::ElementsAre;

constexpr UINT kPlayBoxType = MB_OK | MB_APPLMODAL;

class Playback : public PlayerFixture {};

TEST_F(Playback, PlayWithoutDefaultDriveLetsTheNavigatorChooseAndStartsTimeEvents)
{
    StartPlayback();
    EXPECT_TRUE(MainForm->FilterGraph.Active());
    EXPECT_TRUE(PreviewForm->Visible());
    EXPECT_TRUE(dvd.Called("RenderDvdVideoVolume(null,1)"));
    const auto& log = dvd.Log();
    const auto render = std::find(log.begin(), log.end(), "RenderDvdVideoVolume(null,1)");
    ASSERT_GE(log.end() - render, 4);
    EXPECT_THAT(std::vector<std::string>(render + 1, render + 4),
                ElementsAre("GetDVDDirectory", "SetOption(2,0)", "SetOption(3,1)"));
    EXPECT_THAT(dvd.script.navigatorFilter.log, ::testing::Contains("Run"));
    EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(Playback, PlayUsesTheDefaultDrivesPrefixOnly)
{
    SettingsForm->DefaultDVDDriveComboBox.SetItems({L"E:\\  [MOVIE]"});
    SettingsForm->DefaultDVDDriveComboBox.SetItemIndex(0);
    MainForm->PlayButtonClick();
    EXPECT_TRUE(dvd.Called("RenderDvdVideoVolume(E:\\VIDEO_TS\\VIDEO_TS.IFO,1)"));
}

TEST_F(Playback, PlayWhileActiveResumesAtNormalSpeedWhateverTheDefaultDrive)
{
    dvd.script.renderResult = E_FAIL;  // a failed build still leaves the component active
    StartPlayback();
    ASSERT_TRUE(MainForm->FilterGraph.Active());
    SettingsForm->DefaultDVDDriveComboBox.SetItems({L"E:\\  "});
    SettingsForm->DefaultDVDDriveComboBox.SetItemIndex(0);
    const size_t mark = dvd.Log().size();

    MainForm->PlayButtonClick();

    EXPECT_EQ(dvd.Count("RenderDvdVideoVolume(E:\\VIDEO_TS\\VIDEO_TS.IFO,1)"), 0);
    // Whether the disc's navigation has ended; PlayForwards, then the slider's move to normal
    // speed plays forwards once more, then the refresh, whose first query is the video attributes.
    const auto calls = LogFrom(mark);
    ASSERT_GE(calls.size(), 4u);
    EXPECT_THAT(std::vector<std::string>(calls.begin(), calls.begin() + 4),
                ElementsAre("GetCurrentDomain", "PlayForwards(1.0)", "PlayForwards(1.0)", "GetCurrentVideoAttributes"));
    EXPECT_EQ(MainForm->SpeedTrackBar.Position(), 5);
    EXPECT_EQ(MainForm->SpeedLabel.Caption(), L"Speed: 1 x");
}

TEST_F(Playback, PlayWhereTheDiscsNavigationHasEndedStartsTheSameVolumeAfresh)
{
    StartPlayback();
    dvd.script.directory = L"E:\\VIDEO_TS";
    MainForm->PlayButtonClick();  // still playing: a resume
    EXPECT_EQ(CallsNamed("RenderDvdVideoVolume"), 1);

    dvd.script.domain = DVD_DOMAIN_Stop;
    MainForm->PlayButtonClick();
    EXPECT_TRUE(dvd.Called("RenderDvdVideoVolume(E:\\VIDEO_TS,1)"));
    EXPECT_TRUE(MainForm->FilterGraph.Active());
    EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(Playback, ResumeSizesTheVideoWindowToThePicture)
{
    StartPlayback();
    dvd.script.videoAttributes.ulSourceResolutionX = 352;
    dvd.script.videoAttributes.ulSourceResolutionY = 288;
    MainForm->PlayButtonClick();
    EXPECT_EQ(PreviewForm->ClientWidth(), 352);
    EXPECT_EQ(PreviewForm->ClientHeight(), 288);
}

TEST_F(Playback, ASavedPreviewSizeRulesOverThePicture)
{
    StartPlayback();
    PreviewForm->SetClientWidth(400);
    PreviewForm->SetClientHeight(300);
    SettingsForm->SavePreviewWindowSizeCheckBox.SetChecked(true);
    dvd.script.videoAttributes.ulSourceResolutionX = 720;
    dvd.script.videoAttributes.ulSourceResolutionY = 576;
    MainForm->PlayButtonClick();
    EXPECT_EQ(PreviewForm->ClientWidth(), 400);
    EXPECT_EQ(PreviewForm->ClientHeight(), 300);
}

TEST_F(Playback, PartialBuildShowsEveryConditionInTableOrderThenEmptiesTheGraph)
{
    dvd.script.renderResult = S_FALSE;
    dvd.script.videoRenderers = 1;
    AM_DVD_RENDERSTATUS& status = dvd.script.renderStatus;
    status.hrVPEStatus = VFW_E_DVD_DECNOTENOUGH;
    status.bDvdVolInvalid = TRUE;
    status.bDvdVolUnknown = TRUE;
    status.bNoLine21In = TRUE;
    status.bNoLine21Out = TRUE;
    status.iNumStreamsFailed = 2;

    StartPlayback();

    char platformText[256] = {};
    AMGetErrorTextA(VFW_E_DVD_DECNOTENOUGH, platformText, 256);
    EXPECT_THAT(dialogs.BoxTexts(),
                ElementsAre(ui::AnsiToWide(platformText), L"The specified DVD volume to be played does not exist.",
                            L"No DVD volume is specified or isn't found.",
                            L"The video decoder doesn't produce line 21 (closed captioning) data.",
                            L"The video decoder can't be shown as closed captioning on video due to a problem with "
                            L"graph building.",
                            L"Can't render one or more stream."));
    for (const auto& box : dialogs.boxes) {
        EXPECT_EQ(box.caption, L"Error");
        EXPECT_EQ(box.type, kPlayBoxType);
        EXPECT_EQ(box.owner, MainForm->Handle());
    }
    // Emptied but still active; playback never started.
    EXPECT_TRUE(MainForm->FilterGraph.Active());
    EXPECT_FALSE(dvd.Called("SetOption(3,1)"));
    ComPtr<IGraphBuilder> graph = dvd.Graph();
    ComPtr<IBaseFilter> navigator;
    EXPECT_EQ(graph->FindFilterByName(L"DVD Navigator", &navigator), VFW_E_NOT_FOUND);
}

TEST_F(Playback, ALoneLine21ConditionStillStopsPlayback)
{
    dvd.script.renderResult = S_FALSE;
    dvd.script.renderStatus.bNoLine21In = TRUE;
    StartPlayback();
    EXPECT_THAT(dialogs.BoxTexts(), ElementsAre(L"The video decoder doesn't produce line 21 (closed captioning) data."));
    EXPECT_FALSE(dvd.Called("SetOption(3,1)"));
}

TEST_F(Playback, EachBuildFailureHasItsOwnMessage)
{
    const std::pair<HRESULT, std::vector<std::wstring>> cases[] = {
        {E_INVALIDARG, {L"Invalid Argument."}},
        {VFW_E_DVD_DECNOTENOUGH, {L"There isn't enough hardware or software decoders to decode all streams."}},
        {VFW_E_DVD_RENDERFAIL,
         {L"Some basic error occurred in building the graph.\rPossibilities include the DVD Navigator filter or the "
          L"video or audio renderer not instantiating,\ra trivial connection or pin enumeration failing, or none of "
          L"the streams rendering."}},
        {E_FAIL, {}},
        {S_FALSE + 1, {}},
    };
    for (const auto& [result, messages] : cases) {
        dialogs.boxes.clear();
        dvd.script.renderResult = result;
        MainForm->StopButtonClick();
        StartPlayback();
        EXPECT_EQ(dialogs.BoxTexts(), messages) << std::hex << result;
        EXPECT_TRUE(MainForm->FilterGraph.Active());
        EXPECT_FALSE(dvd.Called("SetOption(3,1)"));
    }
}

TEST_F(Playback, OpenCancelledLeavesPlaybackAlone)
{
    StartPlayback();
    const size_t mark = dvd.Log().size();
    MainForm->OpenButtonClick();
    ASSERT_EQ(dialogs.openRequests.size(), 1u);
    const ui::OpenFileRequest& request = dialogs.openRequests[0];
    EXPECT_EQ(request.filter, L"VIDEO_TS.IFO|video_ts.ifo|IFO files (*.IFO)|*.ifo|Any file (*.*)|*.*");
    EXPECT_EQ(request.fileName, L"VIDEO_TS.IFO");
    EXPECT_TRUE(request.hideReadOnly && request.pathMustExist && request.fileMustExist && request.resizable);
    EXPECT_TRUE(MainForm->FilterGraph.Active());
    EXPECT_EQ(dvd.BuildersCreated(), 1);
    EXPECT_TRUE(LogFrom(mark).empty());
}

TEST_F(Playback, OpenConfirmedEndsThePlaybackAndBuildsTheChosenFile)
{
    StartPlayback();
    dialogs.openConfirms = true;
    dialogs.openChoice = L"C:\\discs\\menu.ifo";
    dvd.script.renderResult = VFW_E_DVD_RENDERFAIL;
    MainForm->OpenButtonClick();
    EXPECT_EQ(dvd.BuildersCreated(), 2);
    EXPECT_TRUE(dvd.Called("RenderDvdVideoVolume(C:\\discs\\menu.ifo,1)"));
    EXPECT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_TRUE(MainForm->FilterGraph.Active());
}

TEST_F(Playback, IdleTransportAndMenuButtonsDoNothing)
{
    MainForm->StopButtonClick();
    MainForm->PauseButtonClick();
    MainForm->RootMenuButtonClick();
    MainForm->TitleMenuButtonClick();
    MainForm->PrevChapterButtonClick();
    MainForm->NextChapterButtonClick();
    EXPECT_TRUE(dvd.Log().empty());
    EXPECT_TRUE(dialogs.boxes.empty());
    EXPECT_FALSE(MainForm->FilterGraph.Active());
    EXPECT_FALSE(PreviewForm->Visible());
}

TEST_F(Playback, MenuButtonsAndPauseActOnAnActiveGraph)
{
    StartPlayback();
    dvd.script.navigatorFilter.log.clear();
    MainForm->RootMenuButtonClick();
    MainForm->TitleMenuButtonClick();
    MainForm->PauseButtonClick();
    EXPECT_TRUE(dvd.Called("ShowMenu(3)"));
    EXPECT_TRUE(dvd.Called("ShowMenu(2)"));
    EXPECT_EQ(dvd.script.navigatorFilter.log, std::vector<std::string>{"Pause"});
    EXPECT_EQ(MainForm->SpeedTrackBar.Position(), 4);
}

TEST_F(Playback, StopAndExitReleaseEverythingThePlayerTook)
{
    dvd.script.videoRenderers = 1;
    dvd.script.audioRenderer = true;
    StartPlayback();
    Deliver(EC_DVD_TITLE_CHANGE, 1, 0);
    MainForm->RootMenuButtonClick();
    MainForm->StopButtonClick();
    EXPECT_FALSE(MainForm->FilterGraph.Active());
    EXPECT_TRUE(PreviewForm->Visible());
    EXPECT_EQ(dvd.LiveObjects(), 0);
    EXPECT_EQ(dvd.LiveCommands(), 0);
    EXPECT_EQ(dvd.LiveGraphs(), 0);

    StartPlayback();
    Deliver(EC_DVD_TITLE_CHANGE, 2, 0);
    DestroyForms();
    EXPECT_EQ(dvd.LiveObjects(), 0);
    EXPECT_EQ(dvd.LiveCommands(), 0);
    EXPECT_EQ(dvd.LiveGraphs(), 0);
}

TEST_F(Playback, ClosingTearsDownWithoutTouchingTheRegistryWhenNoSettingsArePresent)
{
    StartPlayback();
    SettingsPresent = false;
    MainForm->FormClose();
    EXPECT_FALSE(MainForm->FilterGraph.Active());
    EXPECT_EQ(dvd.LiveObjects(), 0);
}

TEST_F(Playback, FullScreenToggleFollowsTheVideoControlAndTheCursorTimer)
{
    MainForm->FullScreenButtonClick();
    EXPECT_TRUE(PreviewForm->VideoWindow.FullScreen());
    EXPECT_TRUE(PreviewForm->MouseCursorTimer.Enabled());
    EXPECT_TRUE(MainForm->FullScreenButton.Down());
    MainForm->ogglefullscreen1->Click();
    EXPECT_FALSE(PreviewForm->VideoWindow.FullScreen());
    EXPECT_FALSE(PreviewForm->MouseCursorTimer.Enabled());
    EXPECT_FALSE(MainForm->FullScreenButton.Down());
}

TEST_F(Playback, ClosingTheFullScreenPicturesWindowBringsBackTheWindowedPicture)
{
    StartPlayback();
    MainForm->FullScreenButtonClick();
    PreviewForm->VideoWindow.SetVisible(false);  // as the renderer's window hides on its close
    Deliver(EC_USERABORT, 0, 0);
    EXPECT_FALSE(PreviewForm->VideoWindow.FullScreen());
    EXPECT_FALSE(MainForm->FullScreenButton.Down());
    EXPECT_FALSE(PreviewForm->MouseCursorTimer.Enabled());
    EXPECT_TRUE(PreviewForm->VideoWindow.Visible());
    EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(Playback, InformationAndSettingsShowModelessly)
{
    MainForm->InfoButtonClick();
    EXPECT_TRUE(InfoForm->Visible());
    InfoForm->Hide();
    MainForm->Information1->Click();
    EXPECT_TRUE(InfoForm->Visible());
    MainForm->SettingsButtonClick();
    EXPECT_TRUE(SettingsForm->Visible());
    EXPECT_TRUE(dialogs.modals.empty());
}

TEST_F(Playback, PlayAfterAFailedBuildNeverSizesTheVideoWindowToNothing)
{
    dvd.script.renderResult = VFW_E_DVD_RENDERFAIL;
    StartPlayback();
    const int width = PreviewForm->ClientWidth(), height = PreviewForm->ClientHeight();
    ASSERT_GT(width, 0);
    // The emptied graph has no picture to report.
    dvd.script.results["GetCurrentVideoAttributes"] = VFW_E_DVD_INVALIDDOMAIN;
    MainForm->PlayButtonClick();
    EXPECT_EQ(PreviewForm->ClientWidth(), width);
    EXPECT_EQ(PreviewForm->ClientHeight(), height);
}

TEST_F(Playback, EveryDiscErrorIsToldInTheErrorBoxOnce)
{
    ui::Application::Instance().SetTitle(L"Lumadisc");
    StartPlayback();
    const LONG_PTR errors[] = {DVD_ERROR_CopyProtectFail, DVD_ERROR_InvalidDVD1_0Disc, DVD_ERROR_InvalidDiscRegion,
                               DVD_ERROR_LowParentalLevel, DVD_ERROR_IncompatibleSystemAndDecoderRegions,
                               DVD_ERROR_IncompatibleDiscAndDecoderRegions};
    for (LONG_PTR error : errors)
        Deliver(EC_DVD_ERROR, error, 0);

    ASSERT_EQ(dialogs.boxes.size(), std::size(errors));
    std::vector<std::wstring> texts = dialogs.BoxTexts();
    EXPECT_NE(texts[0].find(L"copy protected"), std::wstring::npos);
    EXPECT_NE(texts[2].find(L"region"), std::wstring::npos);
    EXPECT_NE(texts[3].find(L"parental level"), std::wstring::npos);
    for (const auto& box : dialogs.boxes) {
        EXPECT_EQ(box.caption, L"Lumadisc");
        EXPECT_EQ(box.type, MB_OK | MB_ICONSTOP | MB_APPLMODAL);
    }
    std::sort(texts.begin(), texts.end());
    EXPECT_EQ(std::unique(texts.begin(), texts.end()), texts.end()) << "each error has its own words";
}

}  // namespace
