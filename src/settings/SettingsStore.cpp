#include "settings/SettingsStore.h"

#include <optional>

#include "app/Forms.h"
#include "app/MainForm.h"
#include "app/Shared.h"
#include "settings/RegistryKey.h"
#include "settings/SettingsForm.h"
#include "ui/Dialogs.h"
#include "video/PreviewForm.h"

namespace {

const wchar_t* const KeyPath = L"Software\\Lumadisc";

const wchar_t* const SavePreviewWindowSize = L"Save preview window size";
const wchar_t* const PreviewWindowWidth = L"Preview window width";
const wchar_t* const PreviewWindowHeight = L"Preview window height";
const wchar_t* const SaveWindowPositions = L"Save window positions";
const wchar_t* const PreviewWindowX = L"Preview window x position";
const wchar_t* const PreviewWindowY = L"Preview window y position";
const wchar_t* const MainWindowX = L"Main window x position";
const wchar_t* const MainWindowY = L"Main window y position";

// Positions left of or above the primary screen are negative: stored as their 32-bit pattern.
std::optional<int> ReadInt(const RegistryKey& key, const wchar_t* name)
{
    const std::optional<DWORD> value = key.ReadDword(name);
    if (!value) return std::nullopt;
    return static_cast<int>(static_cast<LONG>(*value));
}

void WriteInt(RegistryKey& key, const wchar_t* name, int value)
{
    key.WriteDword(name, static_cast<DWORD>(static_cast<LONG>(value)));
}

bool FlagSet(const RegistryKey& key, const wchar_t* name)
{
    const std::optional<DWORD> value = key.ReadDword(name);
    return value && *value != 0;
}

// A saved position from before a display change may lie off every screen; the window then
// keeps its design position rather than opening where nobody can reach it.
void RestorePosition(ui::Form& form, const RegistryKey& key, const wchar_t* xName, const wchar_t* yName)
{
    const int left = ReadInt(key, xName).value_or(form.Left());
    const int top = ReadInt(key, yName).value_or(form.Top());
    const RECT placed = {left, top, left + form.Width(), top + form.Height()};
    if (!MonitorFromRect(&placed, MONITOR_DEFAULTTONULL)) return;
    form.SetLeft(left);
    form.SetTop(top);
}

}  // namespace

SettingsWindows PlayerSettingsWindows()
{
    return {*MainForm, *PreviewForm, PreviewForm->VideoWindow, SettingsForm->SavePreviewWindowSizeCheckBox,
            SettingsForm->SaveWindowPositionsCheckBox};
}

void ReadSettings() { ReadSettings(PlayerSettingsWindows()); }

void ReadSettings(const SettingsWindows& windows)
{
    const std::optional<RegistryKey> key = RegistryKey::OpenForReading(HKEY_LOCAL_MACHINE, KeyPath);
    if (!key) return;
    SettingsPresent = true;

    // A value missing or of another type (a hand-edited key) is skipped: the window keeps
    // its design value and the rest still applies.
    if (FlagSet(*key, SavePreviewWindowSize)) {
        if (const auto width = ReadInt(*key, PreviewWindowWidth)) windows.previewForm.SetClientWidth(*width);
        if (const auto height = ReadInt(*key, PreviewWindowHeight)) windows.previewForm.SetClientHeight(*height);
        windows.savePreviewWindowSize.SetChecked(true);
    }
    if (FlagSet(*key, SaveWindowPositions)) {
        RestorePosition(windows.previewForm, *key, PreviewWindowX, PreviewWindowY);
        RestorePosition(windows.mainForm, *key, MainWindowX, MainWindowY);
        windows.saveWindowPositions.SetChecked(true);
    }
}

void ReadMainWindowPosition(ui::Form& mainForm)
{
    const std::optional<RegistryKey> key = RegistryKey::OpenForReading(HKEY_LOCAL_MACHINE, KeyPath);
    if (key && FlagSet(*key, SaveWindowPositions)) RestorePosition(mainForm, *key, MainWindowX, MainWindowY);
}

void WriteSettings() { WriteSettings(PlayerSettingsWindows()); }

void WriteSettings(const SettingsWindows& windows)
{
    RegistryKey key = RegistryKey::Create(HKEY_LOCAL_MACHINE, KeyPath);
    if (windows.savePreviewWindowSize.Checked()) {
        key.WriteDword(SavePreviewWindowSize, 1);
        WriteInt(key, PreviewWindowWidth, windows.videoWindow.Width());
        WriteInt(key, PreviewWindowHeight, windows.videoWindow.Height());
    } else {
        key.WriteDword(SavePreviewWindowSize, 0);
    }
    if (windows.saveWindowPositions.Checked()) {
        key.WriteDword(SaveWindowPositions, 1);
        WriteInt(key, PreviewWindowX, windows.previewForm.Left());
        WriteInt(key, PreviewWindowY, windows.previewForm.Top());
        WriteInt(key, MainWindowX, windows.mainForm.Left());
        WriteInt(key, MainWindowY, windows.mainForm.Top());
    } else {
        key.WriteDword(SaveWindowPositions, 0);
    }
}

void RemoveSettings(HWND owner)
{
    const wchar_t* const path = L"SOFTWARE\\Lumadisc";
    if (!RegistryKey::Exists(HKEY_LOCAL_MACHINE, path)) return;
    if (!RegistryKey::DeleteTree(HKEY_LOCAL_MACHINE, path))
        ui::Dialogs().MessageBox(owner,
                                 L"The registry values could not be deleted for some reason. Please remove the key "
                                 L"\"HKEY_LOCAL_MACHINE\\SOFTWARE\\Lumadisc\" yourself by using RegEdit.",
                                 L"Error", MB_OK | MB_ICONERROR);
    SettingsPresent = false;
}
