#include <gtest/gtest.h>

#include "app/Shared.h"
#include "settings/RegistryKey.h"
#include "settings/SettingsForm.h"
#include "support/PlayerFixture.h"

namespace {

const std::vector<std::wstring> Drives = {L"D:\\  [MOVIE_DISC]", L"F:\\  "};

class SettingsDialog : public testsupport::PlayerFixture {
protected:
    void SetUp() override
    {
        PlayerFixture::SetUp();
        RegistryKey::DeleteTree(HKEY_LOCAL_MACHINE, L"Software\\Lumadisc");
        form().DefaultDVDDriveComboBox.SetItems(Drives);
    }
    void TearDown() override
    {
        RegistryKey::DeleteTree(HKEY_LOCAL_MACHINE, L"Software\\Lumadisc");
        PlayerFixture::TearDown();
    }
    static TSettingsForm& form() { return *SettingsForm; }
    static void PressKey(const ui::Control& control, WORD key)
    {
        SendMessageW(control.Handle(), WM_KEYDOWN, key, 1);
    }
};

}  // namespace

TEST_F(SettingsDialog, StartsWithTheDesignedChoices)
{
    EXPECT_EQ(form().Caption(), L"Settings");
    EXPECT_EQ(form().ClientWidth(), 330);
    EXPECT_EQ(form().ClientHeight(), 314);
    EXPECT_EQ(form().Left(), 528);
    EXPECT_EQ(form().Top(), 121);
    EXPECT_EQ(form().SaveWindowPositionsCheckBox.Caption(), L"Save window positions:");
    EXPECT_EQ(form().SavePreviewWindowSizeCheckBox.Caption(), L"Save preview window size:");
    EXPECT_FALSE(form().SaveWindowPositionsCheckBox.Checked());
    EXPECT_FALSE(form().SavePreviewWindowSizeCheckBox.Checked());
    EXPECT_EQ(form().DefaultDVDDriveComboBox.ItemIndex(), -1);
    EXPECT_EQ(form().MouseWheelComboBox.Items(),
              (std::vector<std::wstring>{L"Window size", L"Speed", L"Volume", L"Next/previous chapter"}));
    EXPECT_EQ(form().MouseWheelComboBox.ItemIndex(), 0);
    EXPECT_EQ(form().MouseWheelFullScreenComboBox.Items(),
              (std::vector<std::wstring>{L"Volume", L"Speed", L"Next/previous chapter", L"", L""}));
    EXPECT_EQ(form().MouseWheelFullScreenComboBox.ItemIndex(), 0);
    EXPECT_EQ(form().RemoveSettingsButton.Caption(), L"Remove settings from registry");
    EXPECT_TRUE(form().OkButton.Default());
    EXPECT_TRUE(form().CancelButton.Cancel());
}

TEST_F(SettingsDialog, CancelWithoutStoredSettingsKeepsTheChanges)
{
    form().Show();
    form().SaveWindowPositionsCheckBox.SetChecked(true);

    form().CancelButton.Click();

    EXPECT_FALSE(form().Visible());
    EXPECT_TRUE(form().SaveWindowPositionsCheckBox.Checked());
    EXPECT_FALSE(SettingsPresent);
}

TEST_F(SettingsDialog, CancelWithStoredSettingsPutsBackWhatTheDialogOpenedWith)
{
    SettingsPresent = true;
    form().Show();
    form().MouseWheelComboBox.SetItemIndex(1);
    form().SavePreviewWindowSizeCheckBox.SetChecked(true);
    form().DefaultDVDDriveComboBox.SetItemIndex(1);

    form().CancelButton.Click();

    EXPECT_FALSE(form().Visible());
    EXPECT_EQ(form().MouseWheelComboBox.ItemIndex(), 0);
    EXPECT_FALSE(form().SavePreviewWindowSizeCheckBox.Checked());
    EXPECT_EQ(form().DefaultDVDDriveComboBox.ItemIndex(), -1);  // no default drive when it opened
}

TEST_F(SettingsDialog, EveryShowTakesAFreshSnapshot)
{
    form().Show();
    form().DefaultDVDDriveComboBox.SetItemIndex(1);
    form().MouseWheelComboBox.SetItemIndex(2);
    form().OkButton.Click();
    EXPECT_TRUE(SettingsPresent);
    EXPECT_FALSE(form().Visible());

    form().Show();
    form().DefaultDVDDriveComboBox.SetItemIndex(0);
    form().MouseWheelComboBox.SetItemIndex(3);
    form().SaveWindowPositionsCheckBox.SetChecked(true);
    form().CancelButton.Click();

    EXPECT_EQ(form().DefaultDVDDriveComboBox.Text(), L"F:\\  ");
    EXPECT_EQ(form().MouseWheelComboBox.ItemIndex(), 2);
    EXPECT_FALSE(form().SaveWindowPositionsCheckBox.Checked());
}

TEST_F(SettingsDialog, EnterConfirmsAndEscapeCancels)
{
    form().Show();
    PressKey(form().SaveWindowPositionsCheckBox, VK_RETURN);
    EXPECT_TRUE(SettingsPresent);
    EXPECT_FALSE(form().Visible());

    form().Show();
    form().MouseWheelComboBox.SetItemIndex(1);
    PressKey(form().SaveWindowPositionsCheckBox, VK_ESCAPE);
    EXPECT_FALSE(form().Visible());
    EXPECT_EQ(form().MouseWheelComboBox.ItemIndex(), 0);
}

TEST_F(SettingsDialog, ClosingByTheFrameOnlyHides)
{
    SettingsPresent = true;
    form().Show();
    form().MouseWheelComboBox.SetItemIndex(1);

    SendMessageW(form().Handle(), WM_CLOSE, 0, 0);

    EXPECT_FALSE(form().Visible());
    EXPECT_EQ(form().MouseWheelComboBox.ItemIndex(), 1);
    EXPECT_TRUE(SettingsPresent);
}

TEST_F(SettingsDialog, RemovingTheStoredSettingsKeepsTheDialogAsItIs)
{
    RegistryKey::Create(HKEY_LOCAL_MACHINE, L"Software\\Lumadisc").WriteDword(L"Save window positions", 1);
    SettingsPresent = true;
    form().Show();
    form().SaveWindowPositionsCheckBox.SetChecked(true);

    form().RemoveSettingsButton.Click();

    EXPECT_FALSE(SettingsPresent);
    EXPECT_FALSE(RegistryKey::Exists(HKEY_LOCAL_MACHINE, L"Software\\Lumadisc"));
    EXPECT_TRUE(form().Visible());
    EXPECT_TRUE(form().SaveWindowPositionsCheckBox.Checked());
    EXPECT_TRUE(dialogs.boxes.empty());
}
