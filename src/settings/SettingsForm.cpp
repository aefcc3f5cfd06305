#include "settings/SettingsForm.h"

#include "app/Shared.h"
#include "settings/SettingsStore.h"

namespace {

ui::FormDesign Design()
{
    ui::FormDesign design;
    design.caption = L"Settings";
    design.style = {ui::BorderStyle::Dialog, false, false, true};
    design.left = 528;
    design.top = 121;
    design.clientWidth = 330;
    design.clientHeight = 314;
    return design;
}

}  // namespace

TSettingsForm::TSettingsForm()
    : ui::Form(Design()),
      OkButton(*this, {80, 281, 75, 25}, L"OK"),
      CancelButton(*this, {176, 281, 75, 25}, L"Cancel"),
      SaveWindowPositionsCheckBox(*this, {24, 24, 177, 17}, L"Save window positions:", true),
      DefaultDVDDriveComboBox(*this, {168, 128, 137, 21}, true),
      SavePreviewWindowSizeCheckBox(*this, {24, 48, 177, 17}, L"Save preview window size:", true),
      MouseWheelComboBox(*this, {168, 168, 137, 21}),
      RemoveSettingsButton(*this, {152, 224, 153, 25}, L"Remove settings from registry"),
      MouseWheelFullScreenComboBox(*this, {168, 192, 137, 21}),
      Bevel1(*this, {8, 16, 313, 253}),
      Label1(*this, 24, 131, L"Default DVD drive:"),
      Label2(*this, 24, 171, L"Mouse wheel function:"),
      Label3(*this, 64, 195, L"On full screen:")
{
    Bevel1.SetAnchors(ui::akLeft | ui::akTop | ui::akRight | ui::akBottom);
    OkButton.SetAnchors(ui::akLeft | ui::akBottom);
    CancelButton.SetAnchors(ui::akLeft | ui::akBottom);
    OkButton.SetDefault(true);
    CancelButton.SetCancel(true);

    MouseWheelComboBox.SetItems({L"Window size", L"Speed", L"Volume", L"Next/previous chapter"});
    MouseWheelComboBox.SetItemIndex(0);
    MouseWheelFullScreenComboBox.SetItems({L"Volume", L"Speed", L"Next/previous chapter", L"", L""});
    MouseWheelFullScreenComboBox.SetItemIndex(0);

    OnShow = [this] { FormShow(); };
    OkButton.OnClick = [this] { OkButtonClick(); };
    CancelButton.OnClick = [this] { CancelButtonClick(); };
    RemoveSettingsButton.OnClick = [this] { RemoveSettingsButtonClick(); };
}

void TSettingsForm::FormShow() { SaveTempSettings(); }

void TSettingsForm::OkButtonClick()
{
    SettingsPresent = true;
    Hide();
}

void TSettingsForm::CancelButtonClick()
{
    Hide();
    // Without stored settings nothing would be written at close, and the changes stay in
    // force for the rest of the run.
    if (SettingsPresent) RestoreTempSettings();
}

void TSettingsForm::RemoveSettingsButtonClick() { RemoveSettings(Handle()); }

void TSettingsForm::SaveTempSettings()
{
    temp_.saveWindowPositions = SaveWindowPositionsCheckBox.Checked();
    temp_.savePreviewWindowSize = SavePreviewWindowSizeCheckBox.Checked();
    temp_.defaultDrive = DefaultDVDDriveComboBox.Text();
    temp_.wheelFunction = static_cast<std::uint8_t>(MouseWheelComboBox.ItemIndex());
}

void TSettingsForm::RestoreTempSettings()
{
    SaveWindowPositionsCheckBox.SetChecked(temp_.saveWindowPositions);
    SavePreviewWindowSizeCheckBox.SetChecked(temp_.savePreviewWindowSize);
    // No entry is empty, so an empty snapshot (no default drive when the dialog opened)
    // clears a drive picked since.
    DefaultDVDDriveComboBox.SelectText(temp_.defaultDrive);
    MouseWheelComboBox.SetItemIndex(temp_.wheelFunction);
}
