#pragma once
// The five windows of a run, created at start in this order and kept until the end.

class TMainForm;
class TPreviewForm;
class TSettingsForm;
class TInfoForm;
class TAboutForm;

extern TMainForm* MainForm;
extern TPreviewForm* PreviewForm;
extern TSettingsForm* SettingsForm;
extern TInfoForm* InfoForm;
extern TAboutForm* AboutForm;

// Creates the five windows, hidden, in their order; the main one becomes the application's
// main window.
void CreateForms();
// Destroys them in the reverse order and clears the pointers.
void DestroyForms();
