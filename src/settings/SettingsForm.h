#pragma once
// The settings dialog. Its controls are the live settings: the rest of the player reads them
// directly, so a change takes effect before the dialog is closed.

#include <cstdint>
#include <string>

#include "ui/Form.h"
#include "ui/StdControls.h"

class TSettingsForm : public ui::Form {
public:
    TSettingsForm();

    // Declared in tab order: creation order is the order Tab walks.
    ui::Button OkButton;
    ui::Button CancelButton;
    ui::CheckBox SaveWindowPositionsCheckBox;
    ui::ComboBox DefaultDVDDriveComboBox;
    ui::CheckBox SavePreviewWindowSizeCheckBox;
    ui::ComboBox MouseWheelComboBox;
    ui::Button RemoveSettingsButton;
    ui::ComboBox MouseWheelFullScreenComboBox;
    ui::Bevel Bevel1;
    ui::Label Label1;
    ui::Label Label2;
    ui::Label Label3;

    void FormShow();
    void OkButtonClick();
    void CancelButtonClick();
    void RemoveSettingsButtonClick();

    // Copy the four undoable settings to the snapshot and back.
    void SaveTempSettings();
    void RestoreTempSettings();

private:
    struct TempSettings {
        bool saveWindowPositions = false;
        bool savePreviewWindowSize = false;
        std::wstring defaultDrive;
        std::uint8_t wheelFunction = 0;
    };
    TempSettings temp_;
};
