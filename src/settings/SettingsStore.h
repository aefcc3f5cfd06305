#pragma once
// The preferences kept machine-wide in HKEY_LOCAL_MACHINE\Software\Lumadisc: whether the video
// window's size and the windows' positions carry over to the next run, with that size and
// those positions.

#include <windows.h>

namespace ui {
class CheckBox;
class Control;
class Form;
}  // namespace ui

// The windows and check boxes the stored values describe.
struct SettingsWindows {
    ui::Form& mainForm;
    ui::Form& previewForm;
    ui::Control& videoWindow;  // fills the video window's client area
    ui::CheckBox& savePreviewWindowSize;
    ui::CheckBox& saveWindowPositions;
};

// Those of the running player.
SettingsWindows PlayerSettingsWindows();

// Applies the stored settings; sets SettingsPresent when the key exists.
void ReadSettings();
void ReadSettings(const SettingsWindows& windows);
// Places the main window where the stored settings put it, ahead of the rest: a window that
// moves after it is shown would be seen to jump.
void ReadMainWindowPosition(ui::Form& mainForm);
// Stores the settings, creating the key; raises ERegistryException naming a value that
// cannot be written.
void WriteSettings();
void WriteSettings(const SettingsWindows& windows);
// Deletes the key when it exists (then SettingsPresent becomes false), reporting a failed
// deletion in an error box owned by `owner`.
void RemoveSettings(HWND owner);
