#include <gtest/gtest.h>

#include <map>

#include "app/Shared.h"
#include "settings/RegistryKey.h"
#include "settings/SettingsForm.h"
#include "settings/SettingsStore.h"
#include "support/DialogRecorder.h"
#include "ui/Form.h"

namespace {

const wchar_t* const KeyPath = L"Software\\Lumadisc";

ui::FormDesign Design(int left, int top, int width, int height)
{
    ui::FormDesign design;
    design.left = left;
    design.top = top;
    design.clientWidth = width;
    design.clientHeight = height;
    return design;
}

// Every value of the key, by name; empty when the key is absent.
std::map<std::wstring, DWORD> StoredValues()
{
    std::map<std::wstring, DWORD> values;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, KeyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return values;
    for (DWORD index = 0;; ++index) {
        wchar_t name[256];
        DWORD nameLength = 256, type = 0, value = 0, size = sizeof value;
        if (RegEnumValueW(key, index, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS)
            break;
        values[name] = type == REG_DWORD ? value : 0xDEADBEEF;
    }
    RegCloseKey(key);
    return values;
}

void Store(const std::map<std::wstring, DWORD>& values)
{
    RegistryKey key = RegistryKey::Create(HKEY_LOCAL_MACHINE, KeyPath);
    for (const auto& [name, value] : values) key.WriteDword(name, value);
}

// The main window, the video window with its control, and the settings dialog's boxes, in
// the private Wine prefix's real registry.
class SettingsStore : public ::testing::Test {
protected:
    void SetUp() override
    {
        RegistryKey::DeleteTree(HKEY_LOCAL_MACHINE, KeyPath);
        ResetShared();
    }
    void TearDown() override
    {
        RegistryKey::DeleteTree(HKEY_LOCAL_MACHINE, KeyPath);
        ResetShared();
    }

    SettingsWindows Windows()
    {
        return {mainForm, previewForm, video, settings.SavePreviewWindowSizeCheckBox,
                settings.SaveWindowPositionsCheckBox};
    }

    testsupport::DialogRecorder dialogs;
    ui::Form mainForm{Design(191, 646, 670, 62)};
    ui::Form previewForm{Design(191, 112, 302, 233)};
    ui::CustomControl video{previewForm, {0, 0, 302, 233}};
    TSettingsForm settings;
};

}  // namespace

TEST_F(SettingsStore, FirstRunAppliesNothingAndCreatesNoKey)
{
    ReadSettings(Windows());

    EXPECT_FALSE(SettingsPresent);
    EXPECT_FALSE(settings.SavePreviewWindowSizeCheckBox.Checked());
    EXPECT_FALSE(settings.SaveWindowPositionsCheckBox.Checked());
    EXPECT_EQ(previewForm.Left(), 191);
    EXPECT_FALSE(RegistryKey::Exists(HKEY_LOCAL_MACHINE, KeyPath));
}

TEST_F(SettingsStore, UntickedBoxesWriteExactlyTheTwoFlags)
{
    WriteSettings(Windows());

    EXPECT_EQ(StoredValues(), (std::map<std::wstring, DWORD>{{L"Save preview window size", 0},
                                                              {L"Save window positions", 0}}));
}

TEST_F(SettingsStore, TickedBoxesRoundTripSizeAndPositions)
{
    settings.SavePreviewWindowSizeCheckBox.SetChecked(true);
    settings.SaveWindowPositionsCheckBox.SetChecked(true);
    video.SetBounds(0, 0, 400, 300);
    previewForm.SetLeft(-100);  // partly left of the screen: still reachable
    previewForm.SetTop(50);
    mainForm.SetLeft(300);
    mainForm.SetTop(700);
    WriteSettings(Windows());

    EXPECT_EQ(StoredValues(), (std::map<std::wstring, DWORD>{{L"Save preview window size", 1},
                                                              {L"Preview window width", 400},
                                                              {L"Preview window height", 300},
                                                              {L"Save window positions", 1},
                                                              {L"Preview window x position", static_cast<DWORD>(-100)},
                                                              {L"Preview window y position", 50},
                                                              {L"Main window x position", 300},
                                                              {L"Main window y position", 700}}));

    ui::Form freshMain{Design(191, 646, 670, 62)};
    ui::Form freshPreview{Design(191, 112, 302, 233)};
    ui::CustomControl freshVideo{freshPreview, {0, 0, 302, 233}};
    TSettingsForm freshSettings;
    ReadSettings({freshMain, freshPreview, freshVideo, freshSettings.SavePreviewWindowSizeCheckBox,
                  freshSettings.SaveWindowPositionsCheckBox});

    EXPECT_TRUE(SettingsPresent);
    EXPECT_EQ(freshPreview.ClientWidth(), 400);
    EXPECT_EQ(freshPreview.ClientHeight(), 300);
    EXPECT_EQ(freshPreview.Left(), -100);
    EXPECT_EQ(freshPreview.Top(), 50);
    EXPECT_EQ(freshMain.Left(), 300);
    EXPECT_EQ(freshMain.Top(), 700);
    EXPECT_TRUE(freshSettings.SavePreviewWindowSizeCheckBox.Checked());
    EXPECT_TRUE(freshSettings.SaveWindowPositionsCheckBox.Checked());
}

TEST_F(SettingsStore, ValuesUnderAClearedFlagAreNotApplied)
{
    Store({{L"Save preview window size", 0}, {L"Preview window width", 500}, {L"Preview window height", 400},
           {L"Save window positions", 0}, {L"Preview window x position", 10}, {L"Main window x position", 20}});

    ReadSettings(Windows());

    EXPECT_TRUE(SettingsPresent);
    EXPECT_EQ(previewForm.ClientWidth(), 302);
    EXPECT_EQ(previewForm.ClientHeight(), 233);
    EXPECT_EQ(previewForm.Left(), 191);
    EXPECT_EQ(mainForm.Left(), 191);
    EXPECT_FALSE(settings.SavePreviewWindowSizeCheckBox.Checked());
    EXPECT_FALSE(settings.SaveWindowPositionsCheckBox.Checked());
}

TEST_F(SettingsStore, HandEditedKeySkipsMissingAndMistypedValues)
{
    Store({{L"Save preview window size", 1}, {L"Preview window height", 280}, {L"Save window positions", 1},
           {L"Preview window x position", 40}, {L"Main window x position", 60}, {L"Main window y position", 70}});
    {
        HKEY key = nullptr;
        RegOpenKeyExW(HKEY_LOCAL_MACHINE, KeyPath, 0, KEY_WRITE, &key);
        const wchar_t text[] = L"300";
        RegSetValueExW(key, L"Preview window y position", 0, REG_SZ, reinterpret_cast<const BYTE*>(text), sizeof text);
        RegCloseKey(key);
    }

    ASSERT_NO_THROW(ReadSettings(Windows()));

    EXPECT_EQ(previewForm.ClientWidth(), 302);  // missing: design value
    EXPECT_EQ(previewForm.ClientHeight(), 280);
    EXPECT_EQ(previewForm.Left(), 40);
    EXPECT_EQ(previewForm.Top(), 112);  // text, not a number: design value
    EXPECT_EQ(mainForm.Left(), 60);
    EXPECT_EQ(mainForm.Top(), 70);
    EXPECT_TRUE(settings.SavePreviewWindowSizeCheckBox.Checked());
    EXPECT_TRUE(settings.SaveWindowPositionsCheckBox.Checked());
}

TEST_F(SettingsStore, PositionOffEveryScreenKeepsTheDesignPosition)
{
    Store({{L"Save window positions", 1}, {L"Preview window x position", 5000}, {L"Preview window y position", 4000},
           {L"Main window x position", 250}, {L"Main window y position", static_cast<DWORD>(-5000)}});

    ReadSettings(Windows());

    EXPECT_EQ(previewForm.Left(), 191);
    EXPECT_EQ(previewForm.Top(), 112);
    EXPECT_EQ(mainForm.Left(), 191);
    EXPECT_EQ(mainForm.Top(), 646);
    EXPECT_TRUE(settings.SaveWindowPositionsCheckBox.Checked());
}

TEST_F(SettingsStore, RemovingAnAbsentKeyKeepsTheFlag)
{
    SettingsPresent = true;

    RemoveSettings(nullptr);

    EXPECT_TRUE(SettingsPresent);
    EXPECT_TRUE(dialogs.boxes.empty());
}

TEST_F(SettingsStore, RemovalDeletesTheKeyAndALaterWriteRecreatesIt)
{
    Store({{L"Save window positions", 0}, {L"Main window x position", 20}});
    SettingsPresent = true;

    RemoveSettings(nullptr);

    EXPECT_FALSE(SettingsPresent);
    EXPECT_FALSE(RegistryKey::Exists(HKEY_LOCAL_MACHINE, KeyPath));
    EXPECT_TRUE(dialogs.boxes.empty());

    WriteSettings(Windows());
    EXPECT_EQ(StoredValues().size(), 2u);
}

TEST(RegistryKey, ReadsOnlyThirtyTwoBitValues)
{
    const std::wstring path = L"Software\\Lumadisc test key";
    {
        RegistryKey key = RegistryKey::Create(HKEY_CURRENT_USER, path);
        key.WriteDword(L"number", 0x12345678);
        const ULONGLONG wide = 5;
        HKEY raw = nullptr;
        RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_WRITE, &raw);
        RegSetValueExW(raw, L"quad", 0, REG_QWORD, reinterpret_cast<const BYTE*>(&wide), sizeof wide);
        RegCloseKey(raw);
    }
    const auto key = RegistryKey::OpenForReading(HKEY_CURRENT_USER, path);
    ASSERT_TRUE(key);
    EXPECT_EQ(key->ReadDword(L"number"), 0x12345678u);
    EXPECT_FALSE(key->ReadDword(L"quad"));
    EXPECT_FALSE(key->ReadDword(L"absent"));
    EXPECT_TRUE(RegistryKey::DeleteTree(HKEY_CURRENT_USER, path));
    EXPECT_FALSE(RegistryKey::OpenForReading(HKEY_CURRENT_USER, path));
}
