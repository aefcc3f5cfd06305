#include "app/MainForm.h"
#include "app/Shared.h"
#include "info/InfoForm.h"
#include "support/PlayerFixture.h"

#include <gmock/gmock.h>

namespace {

using ::testing::ElementsAre;
using testsupport::PlayerFixture;

class Refresh : public PlayerFixture {
protected:
    void ScriptDisc()
    {
        DVD_VideoAttributes& video = dvd.script.videoAttributes;
        video.ulSourceResolutionX = 720;
        video.ulSourceResolutionY = 576;
        video.ulAspectX = 16;
        video.ulAspectY = 9;
        video.ulFrameRate = 50;
        video.fIsSourceLetterboxed = TRUE;
        dvd.script.audioStreams = 2;
        dvd.script.currentAudio = 1;
        dvd.script.audioLanguages = {{0, 0x0409}, {1, 0x0407}};
        DVD_AudioAttributes first{}, second{};
        first.bNumberOfChannels = 2;
        first.bQuantization = 16;
        first.dwFrequency = 48000;
        second.bNumberOfChannels = 6;
        second.bQuantization = 24;
        second.dwFrequency = 96000;
        dvd.script.audioAttributes = {{0, first}, {1, second}};
        dvd.script.angles = 3;
        dvd.script.currentAngle = 2;
        dvd.script.location = {4, 5, {0, 0, 0, 0}, DVD_TC_FLAG_25fps};
        dvd.script.chapters = {{4, 12}};
        dvd.script.totalTitleTime = {1, 2, 3, 4};
    }
};

TEST_F(Refresh, ReportDescribesTheCurrentTitleLineForLine)
{
    ScriptDisc();
    StartPlayback();
    MainForm->GetInfo();
    const std::vector<std::wstring> lines = InfoForm->InfoMemo.Lines();
    const std::vector<std::wstring> expected{
        L"Video resolution:\t720x576", L"Aspect ratio:\t16:9", L"Letterboxed:\tTrue", L"Frame rate:\t50", L"",
        L"Channels:\t\t6", L"Quantization:\t24", L"Sampling rate:\t96 kHz", L"Audio streams:\t2",
        L"Current stream:\t1", L"", L"Angles:\t\t3", L"Current Angle:\t2", L"Chapters:\t\t12",
        L"Current chapter:\t5"};
    ASSERT_GE(lines.size(), expected.size());
    EXPECT_EQ(std::vector<std::wstring>(lines.begin(), lines.begin() + 15), expected);
    for (size_t i = expected.size(); i < lines.size(); ++i)
        EXPECT_TRUE(lines[i].empty());
    EXPECT_EQ(SendMessageW(InfoForm->InfoMemo.Handle(), EM_GETFIRSTVISIBLELINE, 0, 0), 0);
}

TEST_F(Refresh, PublishesSizeAndLengthAndSetsTheSeekRange)
{
    ScriptDisc();
    StartPlayback();
    MainForm->GetInfo();
    EXPECT_EQ(VideoWidth, 720);
    EXPECT_EQ(VideoHeight, 576);
    EXPECT_EQ(TitleLength.bHours, 1);
    EXPECT_EQ(TitleLength.bFrames, 4);
    EXPECT_EQ(MainForm->dsTrackbar.Max(), 3723);
    EXPECT_TRUE(dvd.Called("GetNumberOfChapters(4)"));
    EXPECT_TRUE(dvd.Called("GetAudioAttributes(1)"));
}

TEST_F(Refresh, QueriesInTheirOrder)
{
    ScriptDisc();
    StartPlayback();
    const size_t mark = dvd.Log().size();
    MainForm->GetInfo();
    std::vector<std::string> queries;
    for (const std::string& call : LogFrom(mark))
        queries.push_back(call.substr(0, call.find('(')));
    EXPECT_THAT(queries,
                ElementsAre("GetCurrentVideoAttributes", "GetCurrentAudio", "GetAudioAttributes",
                            "GetCurrentSubpicture", "GetCurrentLocation", "GetNumberOfChapters", "GetCurrentAngle",
                            "GetTotalTitleTime", "GetAudioLanguage", "GetAudioLanguage", "GetCurrentLocation"));
}

TEST_F(Refresh, RefusedQueriesReadZeroAndKeepThePreviousLength)
{
    ScriptDisc();
    StartPlayback();
    MainForm->GetInfo();
    for (const char* query : {"GetCurrentVideoAttributes", "GetCurrentAudio", "GetCurrentAngle", "GetTotalTitleTime",
                              "GetNumberOfChapters", "GetCurrentSubpicture", "GetAudioAttributes"})
        dvd.script.results[query] = E_FAIL;
    MainForm->GetInfo();
    const auto lines = InfoForm->InfoMemo.Lines();
    EXPECT_EQ(lines.at(0), L"Video resolution:\t0x0");
    EXPECT_EQ(lines.at(5), L"Channels:\t\t0");
    EXPECT_EQ(lines.at(11), L"Angles:\t\t0");
    EXPECT_EQ(VideoWidth, 0);
    EXPECT_EQ(TitleLength.bHours, 1);
    EXPECT_EQ(TitleLength.bSeconds, 3);
    EXPECT_EQ(MainForm->AudioButtonMenu.Items().Count(), 0);
    EXPECT_EQ(MainForm->PopupMenu.Items().Item(2).Count(), 0);
}

TEST_F(Refresh, DoesNothingWhileIdle)
{
    InfoForm->InfoMemo.SetText(L"typed by the user");
    MainForm->GetInfo();
    EXPECT_EQ(InfoForm->InfoMemo.Text(), L"typed by the user");
    EXPECT_TRUE(dvd.Log().empty());
    EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(Refresh, InformationDialogHidesOnOkayAndKeepsItsText)
{
    EXPECT_EQ(InfoForm->Caption(), L"Information");
    EXPECT_EQ(InfoForm->ClientWidth(), 369);
    EXPECT_EQ(InfoForm->ClientHeight(), 255);
    EXPECT_EQ(InfoForm->Left(), 342);
    EXPECT_EQ(InfoForm->Top(), 299);
    EXPECT_EQ(InfoForm->OKButton.Caption(), L"Okay");
    EXPECT_TRUE(InfoForm->InfoMemo.Text().empty());
    InfoForm->InfoMemo.SetText(L"report");
    InfoForm->Show();
    InfoForm->OKButton.Click();
    EXPECT_FALSE(InfoForm->Visible());
    EXPECT_EQ(InfoForm->InfoMemo.Text(), L"report");
}

}  // namespace
