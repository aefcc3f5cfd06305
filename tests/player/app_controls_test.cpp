#include "app/AboutForm.h"
#include "app/MainForm.h"
#include "app/Shared.h"
#include "settings/SettingsForm.h"
#include "support/MessagePump.h"
#include "support/PlayerFixture.h"
#include "video/PreviewForm.h"
#include "Version.h"

#include <commctrl.h>
#include <gmock/gmock.h>

#include <chrono>
#include <cwctype>
#include <optional>

namespace {

using testsupport::PlayerFixture;

class Speed : public PlayerFixture {};

TEST_F(Speed, IdleSliderOnlyMovesItsThumb)
{
    MainForm->SpeedTrackBar.SetPosition(7);
    MainForm->SpeedTrackBar.SetPosition(4);
    EXPECT_EQ(MainForm->SpeedLabel.Caption(), L"Speed:  0");
    EXPECT_TRUE(dvd.Log().empty());
}

TEST_F(Speed, EveryPositionAsksTheNavigatorForItsRateAndLabelsIt)
{
    StartPlayback();
    const std::pair<std::string, std::wstring> expected[] = {
        {"PlayBackwards(8.0)", L"Speed: -8 x"}, {"PlayBackwards(6.0)", L"Speed: -6 x"},
        {"PlayBackwards(4.0)", L"Speed: -4 x"}, {"PlayBackwards(2.0)", L"Speed: -2 x"},
        {"", L"Paused"},                        {"PlayForwards(1.0)", L"Speed: 1 x"},
        {"PlayForwards(2.0)", L"Speed: 2 x"},   {"PlayForwards(4.0)", L"Speed: 4 x"},
        {"PlayForwards(6.0)", L"Speed: 6x"},
    };
    MainForm->SpeedTrackBar.SetPosition(8);
    for (int position = 0; position <= 8; ++position) {
        const size_t mark = dvd.Log().size();
        MainForm->SpeedTrackBar.SetPosition(position);
        const auto calls = LogFrom(mark);
        if (expected[position].first.empty())
            EXPECT_TRUE(calls.empty()) << position;
        else
            EXPECT_EQ(calls, std::vector<std::string>{expected[position].first}) << position;
        EXPECT_EQ(MainForm->SpeedLabel.Caption(), expected[position].second) << position;
    }
    EXPECT_EQ(dvd.LiveCommands(), 0);
}

TEST_F(Speed, PauseStepPausesTheGraphAndAnotherStepRunsItFirst)
{
    StartPlayback();
    MainForm->SpeedTrackBar.SetPosition(5);
    dvd.script.navigatorFilter.log.clear();
    MainForm->SpeedTrackBar.SetPosition(4);
    EXPECT_EQ(dvd.script.navigatorFilter.log, std::vector<std::string>{"Pause"});
    MainForm->SpeedTrackBar.SetPosition(3);
    EXPECT_EQ(dvd.script.navigatorFilter.log, (std::vector<std::string>{"Pause", "Run"}));
    EXPECT_TRUE(dvd.Called("PlayBackwards(2.0)"));
}

TEST_F(Speed, AFailingRunStopsBeforeTheNavigatorAndKeepsTheLabel)
{
    StartPlayback();
    MainForm->SpeedTrackBar.SetPosition(5);
    // From stopped the graph pauses its filters first; a refused pause fails the run.
    MainForm->FilterGraph.StopGraph();
    dvd.script.navigatorFilter.pauseResult = E_FAIL;
    MainForm->SpeedTrackBar.SetPosition(7);
    EXPECT_FALSE(dvd.Called("PlayForwards(4.0)"));
    EXPECT_EQ(MainForm->SpeedLabel.Caption(), L"Speed: 1 x");
    EXPECT_EQ(dialogs.boxes.size(), 1u);
}

TEST_F(Speed, InhibitedDoubleSpeedFallsBackToNormal)
{
    StartPlayback();
    dvd.script.inhibitDoubleSpeed = true;
    MainForm->SpeedTrackBar.SetPosition(6);
    EXPECT_EQ(MainForm->SpeedTrackBar.Position(), 5);
    EXPECT_EQ(MainForm->SpeedLabel.Caption(), L"Speed: 1 x");
    EXPECT_TRUE(dvd.Called("PlayForwards(2.0)"));
    EXPECT_TRUE(dvd.Called("PlayForwards(1.0)"));
    EXPECT_TRUE(dialogs.boxes.empty());
}

// Backward play reaching the title's start, or a title ending into a menu, changes the rate
// by the navigator's own choice: the slider and label follow without asking it again.
TEST_F(Speed, SliderAndLabelFollowTheNavigatorsOwnRateChanges)
{
    StartPlayback();
    MainForm->SpeedTrackBar.SetPosition(2);
    const int asked = CallsNamed("PlayForwards") + CallsNamed("PlayBackwards");

    Deliver(EC_DVD_PLAYBACK_RATE_CHANGE, 10000, 0);
    EXPECT_EQ(MainForm->SpeedTrackBar.Position(), 5);
    EXPECT_EQ(MainForm->SpeedLabel.Caption(), L"Speed: 1 x");
    Deliver(EC_DVD_PLAYBACK_RATE_CHANGE, -20000, 0);
    EXPECT_EQ(MainForm->SpeedTrackBar.Position(), 3);
    EXPECT_EQ(MainForm->SpeedLabel.Caption(), L"Speed: -2 x");
    Deliver(EC_DVD_PLAYBACK_RATE_CHANGE, 5000, 0);  // no step plays at half speed
    EXPECT_EQ(MainForm->SpeedTrackBar.Position(), 3);
    EXPECT_EQ(CallsNamed("PlayForwards") + CallsNamed("PlayBackwards"), asked);
}

TEST_F(Speed, OtherRefusedRatesStillShowTheRequest)
{
    StartPlayback();
    dvd.script.results["PlayForwards"] = VFW_E_DVD_OPERATION_INHIBITED;
    MainForm->SpeedTrackBar.SetPosition(7);
    EXPECT_EQ(MainForm->SpeedLabel.Caption(), L"Speed: 4 x");
}

class Volume : public PlayerFixture {
protected:
    int PlatformVolume()
    {
        ComPtr<IBasicAudio> audio;
        long volume = 1;
        if (SUCCEEDED(dvd.Graph().As(&audio)))
            audio->get_Volume(&volume);
        return static_cast<int>(volume);
    }
};

TEST_F(Volume, TheLabelShowsTheLevelTheGraphReportsBack)
{
    dvd.script.audioRenderer = true;
    StartPlayback();
    MainForm->VolumeTrackBar.SetPosition(5050);
    EXPECT_EQ(PlatformVolume(), -4950);
    EXPECT_EQ(MainForm->VolumeLabel.Caption(), L"Volume: 50%");
}

TEST_F(Volume, WithoutAGraphTheLabelReadsZero)
{
    MainForm->VolumeTrackBar.SetPosition(8000);
    EXPECT_EQ(MainForm->VolumeLabel.Caption(), L"Volume: 0%");
}

TEST_F(Volume, ArrowKeysStepByOnePercentAndStopAtTheEnds)
{
    ui::TrackBar& slider = MainForm->VolumeTrackBar;
    SendMessageW(slider.Handle(), WM_KEYDOWN, VK_LEFT, 0);
    EXPECT_EQ(slider.Position(), 9900);
    SendMessageW(slider.Handle(), WM_KEYDOWN, VK_RIGHT, 0);
    SendMessageW(slider.Handle(), WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(slider.Position(), 10000);
    slider.SetPosition(50);
    SendMessageW(slider.Handle(), WM_KEYDOWN, VK_LEFT, 0);
    EXPECT_EQ(slider.Position(), 0);
}

TEST_F(Volume, MuteSavesTheLevelAndUnmuteRestoresIt)
{
    dvd.script.audioRenderer = true;
    StartPlayback();
    MainForm->VolumeTrackBar.SetPosition(7000);
    MainForm->MuteButtonClick();
    EXPECT_EQ(MainForm->MuteButton.ImageIndex(), 14);
    EXPECT_TRUE(MainForm->MuteButton.Down());
    EXPECT_EQ(SavedVolume, 7000);
    EXPECT_EQ(MainForm->VolumeTrackBar.Position(), 0);
    EXPECT_EQ(PlatformVolume(), -10000);
    EXPECT_EQ(MainForm->VolumeLabel.Caption(), L"Volume: 0%");

    MainForm->MuteButtonClick();
    EXPECT_EQ(MainForm->MuteButton.ImageIndex(), 13);
    EXPECT_FALSE(MainForm->MuteButton.Down());
    EXPECT_EQ(MainForm->VolumeTrackBar.Position(), 7000);
    EXPECT_EQ(PlatformVolume(), -3000);
    EXPECT_EQ(MainForm->VolumeLabel.Caption(), L"Volume: 70%");
}

TEST_F(Volume, MutedAtSilenceUnmutesToFullLevel)
{
    dvd.script.audioRenderer = true;
    StartPlayback();
    MainForm->VolumeTrackBar.SetPosition(0);
    MainForm->VolumeLabel.SetCaption(L"unchanged");
    MainForm->MuteButtonClick();
    EXPECT_EQ(MainForm->VolumeLabel.Caption(), L"unchanged");  // the slider did not move
    MainForm->MuteButtonClick();
    EXPECT_EQ(SavedVolume, 10000);
    EXPECT_EQ(MainForm->VolumeTrackBar.Position(), 10000);
    EXPECT_EQ(MainForm->VolumeLabel.Caption(), L"Volume: 100%");
}

TEST_F(Volume, PlaybackStartsAtTheLevelTheSliderShows)
{
    dvd.script.audioRenderer = true;
    MainForm->VolumeTrackBar.SetPosition(5000);
    StartPlayback();
    EXPECT_EQ(PlatformVolume(), -5000);
    EXPECT_EQ(MainForm->VolumeLabel.Caption(), L"Volume: 50%");

    // Muted before the disc starts: it starts silent.
    MainForm->StopButtonClick();
    MainForm->MuteButtonClick();
    StartPlayback();
    EXPECT_EQ(PlatformVolume(), -10000);
    EXPECT_TRUE(MainForm->MuteButton.Down());
}

namespace {

// The label's pixels as the screen shows them.
std::vector<COLORREF> Pixels(HWND window)
{
    RECT client{};
    GetClientRect(window, &client);
    std::vector<COLORREF> pixels;
    HDC dc = GetDC(window);
    for (int y = 0; y < client.bottom; ++y)
        for (int x = 0; x < client.right; ++x) pixels.push_back(GetPixel(dc, x, y));
    ReleaseDC(window, dc);
    return pixels;
}

}  // namespace

TEST_F(Volume, TheLabelShowsItsWholeTextAfterMuteAndUnmute)
{
    dvd.script.audioRenderer = true;
    MainForm->Show();
    StartPlayback();
    MainForm->VolumeTrackBar.SetPosition(7000);
    MainForm->MuteButtonClick();
    testsupport::PumpMessages();
    MainForm->MuteButtonClick();
    testsupport::PumpMessages();
    const HWND label = MainForm->VolumeLabel.Handle();
    ASSERT_EQ(MainForm->VolumeLabel.Caption(), L"Volume: 70%");
    const std::vector<COLORREF> shown = Pixels(label);

    RedrawWindow(MainForm->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    EXPECT_EQ(shown, Pixels(label)) << "a full repaint shows something else";
}

TEST_F(Volume, UnmutingWithoutAGraphLeavesTheSliderAtZero)
{
    MainForm->MuteButton.Click();
    MainForm->MuteButton.Click();
    EXPECT_EQ(MainForm->VolumeTrackBar.Position(), 0);
    EXPECT_EQ(MainForm->MuteButton.ImageIndex(), 13);
}

class Wheel : public PlayerFixture {
protected:
    LRESULT Turn(int delta, int function)
    {
        SettingsForm->MouseWheelComboBox.SetItemIndex(function);
        return SendMessageW(MainForm->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, delta), MAKELPARAM(300, 300));
    }
};

TEST_F(Wheel, WindowSizeChangesTheVideoWidthByAQuarterOfTheDistance)
{
    const int width = PreviewForm->ClientWidth();
    const int height = PreviewForm->ClientHeight();
    EXPECT_EQ(Turn(-120, 0), 0);
    EXPECT_EQ(PreviewForm->ClientWidth(), width - 30);
    Turn(3, 0);
    Turn(-3, 0);
    EXPECT_EQ(PreviewForm->ClientWidth(), width - 30);
    Turn(240, 0);
    EXPECT_EQ(PreviewForm->ClientWidth(), width + 30);
    EXPECT_EQ(PreviewForm->ClientHeight(), height);
}

TEST_F(Wheel, SpeedStepsOnePositionPerMessageAndStopsAtTheEnds)
{
    StartPlayback();
    MainForm->SpeedTrackBar.SetPosition(7);
    Turn(480, 1);
    EXPECT_EQ(MainForm->SpeedTrackBar.Position(), 8);
    const size_t mark = dvd.Log().size();
    Turn(120, 1);
    EXPECT_EQ(MainForm->SpeedTrackBar.Position(), 8);
    EXPECT_TRUE(LogFrom(mark).empty());
    Turn(-120, 1);
    EXPECT_EQ(MainForm->SpeedTrackBar.Position(), 7);
    MainForm->SpeedTrackBar.SetPosition(0);
    const size_t low = dvd.Log().size();
    Turn(-120, 1);
    EXPECT_TRUE(LogFrom(low).empty());
}

TEST_F(Wheel, VolumeMovesByTheDistanceItself)
{
    Turn(-120, 2);
    EXPECT_EQ(MainForm->VolumeTrackBar.Position(), 9880);
    Turn(240, 2);
    EXPECT_EQ(MainForm->VolumeTrackBar.Position(), 10000);
}

TEST_F(Wheel, ChapterFunctionClicksTheChapterButtons)
{
    Turn(-120, 3);  // idle: the buttons do nothing
    EXPECT_TRUE(dvd.Log().empty());
    StartPlayback();
    Turn(-120, 3);
    Turn(120, 3);
    EXPECT_TRUE(dvd.Called("PlayPrevChapter"));
    EXPECT_TRUE(dvd.Called("PlayNextChapter"));
}

TEST_F(Wheel, NoDistanceOrAnUnknownFunctionDoesNothingButIsHandled)
{
    const int width = PreviewForm->ClientWidth();
    bool handled = false;
    MainForm->FormMouseWheel(0, 0, {}, handled);
    EXPECT_TRUE(handled);
    SettingsForm->MouseWheelComboBox.SetItemIndex(-1);
    handled = false;
    MainForm->FormMouseWheel(0, -120, {}, handled);
    EXPECT_TRUE(handled);
    EXPECT_EQ(PreviewForm->ClientWidth(), width);
    EXPECT_EQ(MainForm->VolumeTrackBar.Position(), 10000);
}

class Background : public PlayerFixture {};

// The system's move loop delivers the navigator's time events while the window is dragged;
// none of them may jump.
TEST_F(Background, DraggingTheWindowNeverSeeks)
{
    dvd.script.totalTitleTime = {1, 0, 0, 0};
    StartPlayback();
    MainForm->GetInfo();
    MainForm->Show();
    ASSERT_EQ(dvd.PostEvent(EC_DVD_CURRENT_HMSF_TIME, 42 << 16, DVD_TC_FLAG_25fps), S_OK);
    // The move loop ends at the first Escape; queued after the event, it comes after it.
    PostMessageW(MainForm->Handle(), WM_KEYDOWN, VK_ESCAPE, 0);
    MainForm->FormMouseDown(ui::MouseButton::Left, ui::ssLeft, 530, 40);
    testsupport::PumpMessages();
    EXPECT_EQ(MainForm->dsTrackbar.Position(), 42);
    EXPECT_EQ(CallsNamed("PlayAtTimeInTitle"), 0);
    EXPECT_FALSE(Seeking);
}

LRESULT CALLBACK CountDrags(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR drags)
{
    if (message != WM_SYSCOMMAND || (wParam & 0xFFF0) != SC_MOVE) return DefSubclassProc(window, message, wParam, lParam);
    ++*reinterpret_cast<int*>(drags);
    return 0;
}

// The box lets presses through to the window (the platform's group box is transparent to them).
TEST_F(Background, APressOnTheInformationBoxIsNotAPressOnTheBackground)
{
    int drags = 0;
    SetWindowSubclass(MainForm->Handle(), CountDrags, 1, reinterpret_cast<DWORD_PTR>(&drags));
    SendMessageW(MainForm->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(600, 30));
    EXPECT_EQ(drags, 0);
    SendMessageW(MainForm->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(530, 30));
    EXPECT_EQ(drags, 1);
    RemoveWindowSubclass(MainForm->Handle(), CountDrags, 1);
}

class Keys : public PlayerFixture {};

TEST_F(Keys, AltEnterTogglesFullScreenAndMakesItTopMostFromThenOn)
{
    SendMessageW(MainForm->Handle(), WM_SYSKEYDOWN, VK_RETURN, 1 << 29);
    EXPECT_TRUE(PreviewForm->VideoWindow.FullScreen());
    EXPECT_TRUE(PreviewForm->VideoWindow.FullScreenTopMost());
    EXPECT_TRUE(MainForm->FullScreenButton.Down());
    WORD key = VK_RETURN;
    MainForm->FormKeyDown(key, ui::ssAlt);
    EXPECT_FALSE(PreviewForm->VideoWindow.FullScreen());
    EXPECT_TRUE(PreviewForm->VideoWindow.FullScreenTopMost());
    EXPECT_EQ(key, VK_RETURN);  // not consumed
}

TEST_F(Keys, OnlyExactlyAltWithEnterCounts)
{
    for (ui::ShiftState shift : {ui::ShiftState{0}, ui::ssAlt | ui::ssShift, ui::ssAlt | ui::ssCtrl, ui::ssAlt | ui::ssLeft}) {
        WORD key = VK_RETURN;
        MainForm->FormKeyDown(key, shift);
    }
    WORD other = VK_SPACE;
    MainForm->FormKeyDown(other, ui::ssAlt);
    EXPECT_FALSE(PreviewForm->VideoWindow.FullScreen());
    EXPECT_FALSE(PreviewForm->VideoWindow.FullScreenTopMost());
}

TEST_F(Keys, QuestionMarkButtonShowsTheAboutDialogModally)
{
    MainForm->ToolButton7.Click();
    ASSERT_EQ(dialogs.modals.size(), 1u);
    EXPECT_EQ(dialogs.modals[0], static_cast<ui::Form*>(AboutForm));
}

class About : public PlayerFixture {};

// A date as the compiler writes it ("Dec  8 2026"); nothing when the text is not one.
std::optional<std::chrono::sys_days> CompilerDate(const std::wstring& text)
{
    const std::wstring months = L"JanFebMarAprMayJunJulAugSepOctNovDec";
    const auto digit = [&](size_t at) { return std::iswdigit(text[at]) != 0; };
    if (text.size() != 11 || text[3] != L' ' || text[6] != L' ' || !(text[4] == L' ' || digit(4)) ||
        !digit(5) || !digit(7) || !digit(8) || !digit(9) || !digit(10))
        return std::nullopt;
    const size_t month = months.find(text.substr(0, 3));
    if (month == std::wstring::npos || month % 3) return std::nullopt;
    const std::chrono::year_month_day date{std::chrono::year{std::stoi(text.substr(7))},
                                           std::chrono::month{unsigned(month / 3 + 1)},
                                           std::chrono::day{unsigned(std::stoi(text.substr(4, 2)))}};
    if (!date.ok()) return std::nullopt;
    return std::chrono::sys_days{date};
}

TEST_F(About, TheLinkOpensWithTheShellAndTurnsRedForGood)
{
    const std::wstring address = AboutForm->WebsiteLabel.Caption();
    EXPECT_EQ(address.rfind(L"https://", 0), 0u);
    EXPECT_EQ(AboutForm->WebsiteLabel.TextColor(), RGB(0, 0, 255));
    EXPECT_TRUE(AboutForm->WebsiteLabel.Underline());
    AboutForm->WebsiteLabelClick();
    // As the static control reports a click to the panel it sits on.
    SendMessageW(AboutForm->Panel1.Handle(), WM_COMMAND, MAKEWPARAM(0, STN_CLICKED),
                 reinterpret_cast<LPARAM>(AboutForm->WebsiteLabel.Handle()));
    ASSERT_EQ(shell.opened.size(), 2u);
    EXPECT_EQ(shell.opened[0].owner, AboutForm->Handle());
    EXPECT_EQ(shell.opened[1].text, address);
    EXPECT_EQ(AboutForm->WebsiteLabel.TextColor(), RGB(255, 0, 0));
}

TEST_F(About, EnterAndEscapeBothPressOk)
{
    EXPECT_EQ(AboutForm->Caption(), L"");
    EXPECT_EQ(AboutForm->ClientWidth(), 261);
    EXPECT_EQ(AboutForm->ClientHeight(), 167);
    for (WORD key : {WORD{VK_RETURN}, WORD{VK_ESCAPE}}) {
        AboutForm->SetModalResult(ui::mrNone);
        EXPECT_TRUE(AboutForm->DialogKey(key, AboutForm->Handle()));
        EXPECT_EQ(AboutForm->ModalResult(), ui::mrOk);
    }
    // The project's version and the player's build date; this test may have been compiled after
    // midnight, a day later.
    const std::wstring built = AboutForm->Label2.Caption();
    const std::wstring lead = L"Version " LUMADISC_VERSION ", built on ";
    ASSERT_EQ(built.rfind(lead, 0), 0u) << built;
    const auto shown = CompilerDate(built.substr(lead.size()));
    const auto compiled = CompilerDate(L"" __DATE__);
    ASSERT_TRUE(shown && compiled) << built;
    EXPECT_TRUE(*shown == *compiled || *shown == *compiled - std::chrono::days{1}) << built;
}

}  // namespace
