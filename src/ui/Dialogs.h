#pragma once
#include <windows.h>
#include <string>

namespace ui {

class Form;

// Modal results of forms.
constexpr int mrNone = 0, mrOk = IDOK, mrCancel = IDCANCEL;

struct OpenFileRequest {
    std::wstring filter;   // "Name|pattern|Name|pattern"
    std::wstring fileName; // in: default name; out: the chosen full path
    bool hideReadOnly = false;
    bool pathMustExist = false;
    bool fileMustExist = false;
    bool resizable = false;
};

// Everything that runs a modal loop of its own goes through this seam, so tests can
// replace it with a recording fake and nothing blocks a test run.
class DialogService {
public:
    virtual ~DialogService() = default;
    virtual int MessageBox(HWND owner, const std::wstring& text, const std::wstring& caption,
                           UINT type) = 0;
    // True when the user chose a file; request.fileName then holds its full path.
    virtual bool OpenFile(HWND owner, OpenFileRequest& request) = 0;
    // The command id of the item the user picks, 0 for none. The menu is destroyed when the
    // call returns.
    virtual UINT TrackPopupMenu(HMENU menu, POINT screen, HWND owner) = 0;
    // Shows the form modally and answers its modal result.
    virtual int ShowModal(Form& form) = 0;
};

// The platform's implementation: MessageBoxW, GetOpenFileNameW, TrackPopupMenu and the
// form's own modal loop.
class PlatformDialogs : public DialogService {
public:
    int MessageBox(HWND owner, const std::wstring& text, const std::wstring& caption,
                   UINT type) override;
    bool OpenFile(HWND owner, OpenFileRequest& request) override;
    UINT TrackPopupMenu(HMENU menu, POINT screen, HWND owner) override;
    int ShowModal(Form& form) override;
};

DialogService& Dialogs();
// Installs a replacement; nullptr restores the platform implementation.
void SetDialogs(DialogService* service);

// Splits a "Name|pattern|..." filter into the double-NUL-terminated form of the platform.
std::wstring PlatformFilter(const std::wstring& filter);

} // namespace ui
