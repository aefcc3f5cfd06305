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
// The same in two steps for a quick start: the main window alone, so that it can be shown
// at once, and once it is on screen its large icon, the other four, then the settings and
// drive lists that they hold (the main window's own place is read before it shows).
void CreateMainForm();
void CompleteStartup();
// Destroys them in the reverse order and clears the pointers.
void DestroyForms();
