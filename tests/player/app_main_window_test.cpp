#include "app/MainForm.h"
#include "app/Shared.h"
#include "settings/RegistryKey.h"
#include "settings/SettingsForm.h"
#include "support/PlayerFixture.h"
#include "ui/Application.h"
#include "video/PreviewForm.h"

#include <gmock/gmock.h>

namespace {

using testsupport::PlayerFixture;

class MainWindow : public PlayerFixture {};

TEST_F(MainWindow, DesignedWideAndNarrowedWhenFirstShown)
{
    EXPECT_EQ(MainForm->ClientWidth(), 816);
    EXPECT_EQ(MainForm->ClientHeight(), 62);
    EXPECT_TRUE(MainForm->KeyPreview);
    EXPECT_EQ(MainForm->ContextMenu, &MainForm->PopupMenu);
    const LONG style = GetWindowLongW(MainForm->Handle(), GWL_STYLE);
    EXPECT_TRUE(style & WS_MINIMIZEBOX);
    EXPECT_FALSE(style & (WS_MAXIMIZEBOX | WS_THICKFRAME));

    MainForm->Show();
    EXPECT_EQ(MainForm->ClientWidth(), 670);
    EXPECT_EQ(MainForm->ClientHeight(), 62);
    EXPECT_EQ(MainForm->Caption(), L"Lumadisc");
    EXPECT_EQ(ui::Application::Instance().Title(), L"Lumadisc");
    EXPECT_EQ(ui::Application::Instance().HintHidePause(), 7000u);
    EXPECT_GE(MainForm->DrivesMenu.Items().Count(), 1);  // the drives, or "No drives found."
    ui::Application::Instance().SetHintHidePause(2500);
}

TEST_F(MainWindow, ToolButtonsSitWhereTheBarPutsThemInOrder)
{
    const auto left = [](const ui::ToolButton& button) { return button.Rect().left; };
    const auto width = [](const ui::ToolButton& button) { return button.Rect().right - button.Rect().left; };
    EXPECT_EQ(left(MainForm->PlayButton), 0);
    EXPECT_EQ(width(MainForm->PlayButton), 36);
    EXPECT_EQ(left(MainForm->PauseButton), 36);
    EXPECT_EQ(left(MainForm->PrevChapterButton), 90);
    EXPECT_EQ(left(MainForm->AudioButton), 198);
    EXPECT_EQ(left(MainForm->FullScreenButton), 275);
    EXPECT_EQ(left(MainForm->EjectButton), 337);
    EXPECT_EQ(width(MainForm->EjectButton), 36);
    EXPECT_EQ(left(MainForm->InfoButton), 412);
    EXPECT_EQ(left(MainForm->MuteButton), 443);
    EXPECT_EQ(left(MainForm->ToolButton7), 474);
    EXPECT_EQ(MainForm->MuteButton.ImageIndex(), 13);
    EXPECT_EQ(MainForm->ToolButton7.ImageIndex(), 17);
    EXPECT_EQ(MainForm->EjectButton.DropdownMenu, &MainForm->EjectDriveMenu);
    EXPECT_EQ(MainForm->PlayButton.DropdownMenu, &MainForm->DrivesMenu);
    EXPECT_EQ(MainForm->AudioButton.ContextMenu, &MainForm->AudioButtonMenu);
    EXPECT_EQ(MainForm->NextChapterButton.Hint(), L"Next chapter");
    EXPECT_EQ(MainForm->ToolButton7.Hint(), L"");
}

// The player's own start: the main window alone, shown, and the rest once it is painted.
class TwoStepStartup : public PlayerFixture {
protected:
    void SetUp() override {}
    void TearDown() override
    {
        PlayerFixture::TearDown();
        RegistryKey::DeleteTree(HKEY_LOCAL_MACHINE, L"Software\\Lumadisc");
    }
};

TEST_F(TwoStepStartup, MainWindowShowsAtItsStoredPlaceAndTheOtherWindowsFollowItsFirstPaint)
{
    {
        RegistryKey key = RegistryKey::Create(HKEY_LOCAL_MACHINE, L"Software\\Lumadisc");
        key.WriteDword(L"Save window positions", 1);
        key.WriteDword(L"Main window x position", 240);
        key.WriteDword(L"Main window y position", 180);
    }
    CreateMainForm();
    POINT shownAt{};
    bool alone = false;
    ui::Application::Instance().Run(*MainForm, [&] {
        shownAt = {MainForm->Left(), MainForm->Top()};
        alone = !PreviewForm && !SettingsForm && !InfoForm && !AboutForm && !SettingsPresent &&
                MainForm->DrivesMenu.Items().Count() == 0;
        CompleteStartup();
        PostMessageW(MainForm->Handle(), WM_CLOSE, 0, 0);
    });

    EXPECT_EQ(shownAt.x, 240);
    EXPECT_EQ(shownAt.y, 180);
    EXPECT_TRUE(alone);
    ASSERT_TRUE(PreviewForm && SettingsForm && InfoForm && AboutForm);
    EXPECT_TRUE(SettingsPresent);
    EXPECT_TRUE(SettingsForm->SaveWindowPositionsCheckBox.Checked());
    EXPECT_GE(MainForm->DrivesMenu.Items().Count(), 1);
    EXPECT_EQ(MainForm->ClientWidth(), 670);
}

}  // namespace
