// Commands that arrive while a disc is still being opened: the build runs on a thread of its
// own while the windows go on answering, and nothing may act on the half-built graph.
#include "app/MainForm.h"
#include "support/PlayerFixture.h"
#include "ui/Application.h"
#include "video/PreviewForm.h"

#include <gtest/gtest.h>

namespace {

class OpeningDisc : public testsupport::PlayerFixture {
protected:
    bool PlayDuringOpening(std::function<void()> during)
    {
        return DuringOpening([] { MainForm->PlayButtonClick(); }, std::move(during));
    }
};

TEST_F(OpeningDisc, CommandsOnThePlaybackWaitQuietlyAndASecondPlayAddsNothing)
{
    ASSERT_TRUE(PlayDuringOpening([this] {
        // Each as the toolkit raises it, with the top-level error display behind.
        ui::Application& toolkit = ui::Application::Instance();
        toolkit.Guard([] { MainForm->PlayButtonClick(); });
        toolkit.Guard([] { MainForm->NextChapterButtonClick(); });
        toolkit.Guard([] { MainForm->RootMenuButtonClick(); });
        toolkit.Guard([] { PreviewForm->VideoWindowMouseMove(0, 10, 10); });
        // An event of the graph being built waits until it is built.
        ASSERT_EQ(dvd.PostEvent(EC_DVD_TITLE_CHANGE, 2, 0), S_OK);
        EXPECT_EQ(MainForm->TitleLabel.Caption(), L"Title: ");
    }));

    EXPECT_EQ(CallsNamed("RenderDvdVideoVolume"), 1);
    EXPECT_EQ(CallsNamed("PlayNextChapter") + CallsNamed("ShowMenu") + CallsNamed("SelectAtPosition"), 0);
    // The title change's start at normal speed only: a resume would have played forwards twice.
    EXPECT_EQ(CallsNamed("PlayForwards"), 1);
    EXPECT_TRUE(dvd.Called("SetOption(3,1)"));
    EXPECT_EQ(MainForm->TitleLabel.Caption(), L"Title:  2");
    EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(OpeningDisc, AnotherVolumeOpenedMeanwhileIsTheOneThatPlays)
{
    dialogs.openConfirms = true;
    dialogs.openChoice = L"E:\\VIDEO_TS\\VIDEO_TS.IFO";
    dvd.script.directory = L"E:\\VIDEO_TS";
    ASSERT_TRUE(PlayDuringOpening([] { MainForm->OpenButtonClick(); }));

    EXPECT_EQ(CallsNamed("RenderDvdVideoVolume"), 2);
    EXPECT_TRUE(dvd.Called("RenderDvdVideoVolume(E:\\VIDEO_TS\\VIDEO_TS.IFO,1)"));
    // The first build's answer touched nothing: the second graph plays, started once.
    EXPECT_EQ(dvd.Count("SetOption(3,1)"), 1);
    EXPECT_TRUE(MainForm->FilterGraph.Active());
    ASSERT_FALSE(dvd.script.navigatorFilter.log.empty());
    EXPECT_EQ(dvd.script.navigatorFilter.log.back(), "Run");
    EXPECT_EQ(MainForm->Caption(), L"Lumadisc  E:\\VIDEO_TS");
    EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(OpeningDisc, ClosingWaitsForTheDriveThenLetsEverythingGo)
{
    ASSERT_TRUE(PlayDuringOpening([] { MainForm->Close(); }));

    EXPECT_FALSE(MainForm->FilterGraph.Active());
    EXPECT_FALSE(MainForm->Visible());
    EXPECT_EQ(CallsNamed("SetOption"), 0);
    EXPECT_TRUE(dialogs.boxes.empty());
}

} // namespace
