// Commands that arrive while a disc is still being opened: the build runs on a thread of its
// own while the windows go on answering, and nothing may act on the half-built graph.
#include "app/MainForm.h"
#include "support/MessagePump.h"
#include "support/PlayerFixture.h"
#include "ui/Application.h"
#include "video/PreviewForm.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

class OpeningDisc : public testsupport::PlayerFixture {
protected:
    OpeningDisc() : gate_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) { dvd.script.renderGate = gate_; }
    ~OpeningDisc() override { CloseHandle(gate_); }

    // Presses Play on a disc that is not ready: `during` runs on this thread while the build
    // waits, and the disc becomes ready soon after it has begun.
    void PlayWhileOpening(std::function<void()> during)
    {
        current_ = this;
        during_ = std::move(during);
        SetTimer(nullptr, 0, 1, [](HWND, UINT, UINT_PTR timer, DWORD) {
            KillTimer(nullptr, timer);
            // Released from a timer of its own: `during` may itself wait for the build.
            SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR timer, DWORD) {
                KillTimer(nullptr, timer);
                SetEvent(current_->gate_);
            });
            current_->ran_ = true;
            current_->during_();
        });
        MainForm->PlayButtonClick();
        EXPECT_TRUE(ran_) << "the windows answered nothing while the disc opened";
    }

private:
    static inline OpeningDisc* current_ = nullptr;
    HANDLE gate_;
    std::function<void()> during_;
    bool ran_ = false;
};

TEST_F(OpeningDisc, CommandsOnThePlaybackWaitQuietlyAndASecondPlayAddsNothing)
{
    PlayWhileOpening([this] {
        // As the toolkit raises them, with the top-level error display behind.
        ui::Application& toolkit = ui::Application::Instance();
        toolkit.Guard([] { MainForm->PlayButtonClick(); });
        toolkit.Guard([] { MainForm->NextChapterButtonClick(); });
        toolkit.Guard([] { MainForm->RootMenuButtonClick(); });
        toolkit.Guard([] { PreviewForm->VideoWindowMouseMove(0, 10, 10); });
        // An event of the graph being built waits until it is built.
        ASSERT_EQ(dvd.PostEvent(EC_DVD_TITLE_CHANGE, 2, 0), S_OK);
        EXPECT_EQ(MainForm->TitleLabel.Caption(), L"Title: ");
    });
    testsupport::PumpMessages();

    EXPECT_EQ(CallsNamed("RenderDvdVideoVolume"), 1);
    EXPECT_EQ(CallsNamed("PlayNextChapter") + CallsNamed("ShowMenu") + CallsNamed("SelectAtPosition"), 0);
    // The title change's start at normal speed only: a resume would have played forwards twice.
    EXPECT_EQ(CallsNamed("PlayForwards"), 1);
    EXPECT_TRUE(dvd.Called("SetOption(3,1)"));
    EXPECT_EQ(MainForm->TitleLabel.Caption(), L"Title:  2");
    EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(OpeningDisc, StopEndsItOnceTheDriveAnswers)
{
    PlayWhileOpening([] { MainForm->StopButtonClick(); });

    EXPECT_FALSE(MainForm->FilterGraph.Active());
    EXPECT_EQ(CallsNamed("SetOption"), 0);
    EXPECT_TRUE(dialogs.boxes.empty());
    EXPECT_EQ(MainForm->Caption(), L"Lumadisc");
}

TEST_F(OpeningDisc, AnotherVolumeOpenedMeanwhileIsTheOneThatPlays)
{
    dialogs.openConfirms = true;
    dialogs.openChoice = L"E:\\VIDEO_TS\\VIDEO_TS.IFO";
    dvd.script.directory = L"E:\\VIDEO_TS";
    PlayWhileOpening([] { MainForm->OpenButtonClick(); });

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
    PlayWhileOpening([] { MainForm->Close(); });

    EXPECT_FALSE(MainForm->FilterGraph.Active());
    EXPECT_FALSE(MainForm->Visible());
    EXPECT_EQ(CallsNamed("SetOption"), 0);
    EXPECT_TRUE(dialogs.boxes.empty());
}

} // namespace
