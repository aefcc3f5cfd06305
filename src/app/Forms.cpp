#include "app/Forms.h"

#include "app/AboutForm.h"
#include "app/MainForm.h"
#include "info/InfoForm.h"
#include "settings/SettingsForm.h"
#include "video/PreviewForm.h"

TMainForm* MainForm = nullptr;
TPreviewForm* PreviewForm = nullptr;
TSettingsForm* SettingsForm = nullptr;
TInfoForm* InfoForm = nullptr;
TAboutForm* AboutForm = nullptr;

namespace {

void CreateHiddenForms()
{
    PreviewForm = new TPreviewForm;
    SettingsForm = new TSettingsForm;
    InfoForm = new TInfoForm;
    AboutForm = new TAboutForm;
}

} // namespace

void CreateForms()
{
    CreateMainForm();
    MainForm->SetLargeIcon();
    CreateHiddenForms();
}

void CreateMainForm() { MainForm = new TMainForm; }

void CompleteStartup()
{
    MainForm->SetLargeIcon();
    CreateHiddenForms();
    MainForm->ShowSettingsAndDrives();
}

// The video window goes before the main window: its control must leave the graph
// component before that component is destroyed.
void DestroyForms()
{
    delete AboutForm;
    AboutForm = nullptr;
    delete InfoForm;
    InfoForm = nullptr;
    delete SettingsForm;
    SettingsForm = nullptr;
    delete PreviewForm;
    PreviewForm = nullptr;
    delete MainForm;
    MainForm = nullptr;
}
