// The optical drives in the Play and Eject lists and the default-drive box.

#include "app/Forms.h"
#include "app/MainForm.h"
#include "drives/Drives.h"
#include "drives/Eject.h"
#include "settings/SettingsForm.h"

#include <memory>

namespace {

constexpr wchar_t kGettingLabels[] = L"Getting drive labels...";

std::unique_ptr<ui::MenuItem> DriveItem(const std::wstring& entry, int position, ui::Event<ui::MenuItem&> onClick)
{
    auto item = std::make_unique<ui::MenuItem>(entry, std::move(onClick), entry.substr(0, 1));
    item->Tag = position;
    item->RadioItem = true;
    return item;
}

} // namespace

void TMainForm::GetDrives()
{
    ui::MenuItem& play = DrivesMenu.Items();
    ui::MenuItem& eject = EjectDriveMenu.Items();
    play.Clear();
    play.Add(kGettingLabels);
    eject.Clear();
    eject.Add(kGettingLabels);

    const std::vector<std::wstring> drives = OpticalDriveList();

    play.Delete(0);
    eject.Delete(0);
    if (drives.empty())
        play.Add(L"No drives found.");
    for (int i = 0; i < static_cast<int>(drives.size()); ++i) {
        play.Add(DriveItem(drives[i], i, [this](ui::MenuItem& item) { ChooseDrive(item); }));
        eject.Add(DriveItem(drives[i], i, [this](ui::MenuItem& item) { ChooseDriveToEject(item); }));
    }
    SettingsForm->DefaultDVDDriveComboBox.SetItems(drives);
}

void TMainForm::ChooseDrive(ui::MenuItem& Sender)
{
    // PlayDVD may show message boxes, whose modal loop can deliver a device change that
    // rebuilds the list and destroys Sender: keep what is needed and find the item afresh.
    const std::wstring name = Sender.Name;
    const std::wstring entry = Sender.Caption;
    FilterGraph.ClearGraph();
    FilterGraph.SetActive(false);
    if (!PlayDVD(name + L":\\VIDEO_TS\\VIDEO_TS.IFO"))
        return;
    if (ui::MenuItem* item = DrivesMenu.Items().Find(name))
        item->SetChecked(true);
    SetCaption(L"Lumadisc  " + entry);
}

void TMainForm::ChooseDriveToEject(ui::MenuItem& Sender)
{
    EjectDrive(EjectDriveMenu.Items().Item(Sender.Tag).Name + L":");
}

void TMainForm::WMDeviceChange()
{
    // A broadcast may still arrive while the windows are destroyed, the settings form first.
    if (!SettingsForm)
        return;
    GetDrives();
}
