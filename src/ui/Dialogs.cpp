#include "Dialogs.h"
#include "Form.h"
#include <commdlg.h>
#include <vector>

namespace ui {

namespace {
PlatformDialogs platformDialogs;
DialogService* current = &platformDialogs;
} // namespace

DialogService& Dialogs() { return *current; }

void SetDialogs(DialogService* service) { current = service ? service : &platformDialogs; }

std::wstring PlatformFilter(const std::wstring& filter)
{
    std::wstring result = filter;
    for (wchar_t& ch : result)
        if (ch == L'|') ch = L'\0';
    // Every pair ends with a NUL and the list with one more.
    result.push_back(L'\0');
    result.push_back(L'\0');
    return result;
}

int PlatformDialogs::MessageBox(HWND owner, const std::wstring& text, const std::wstring& caption,
                                UINT type)
{
    // Qualified: <windows.h> renames this member to MessageBoxW as well, and an unqualified
    // call would resolve to the member itself through the string conversions.
    return ::MessageBoxW(owner, text.c_str(), caption.c_str(), type);
}

bool PlatformDialogs::OpenFile(HWND owner, OpenFileRequest& request)
{
    const std::wstring filter = PlatformFilter(request.filter);
    std::vector<wchar_t> name(32768, L'\0');
    request.fileName.copy(name.data(), name.size() - 1);

    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = owner;
    dialog.lpstrFilter = filter.c_str();
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = name.data();
    dialog.nMaxFile = static_cast<DWORD>(name.size());
    dialog.Flags = OFN_EXPLORER | OFN_NOCHANGEDIR;
    if (request.hideReadOnly) dialog.Flags |= OFN_HIDEREADONLY;
    if (request.pathMustExist) dialog.Flags |= OFN_PATHMUSTEXIST;
    if (request.fileMustExist) dialog.Flags |= OFN_FILEMUSTEXIST;
    if (request.resizable) dialog.Flags |= OFN_ENABLESIZING;
    if (!GetOpenFileNameW(&dialog)) return false;
    request.fileName = name.data();
    return true;
}

UINT PlatformDialogs::TrackPopupMenu(HMENU menu, POINT screen, HWND owner)
{
    return static_cast<UINT>(::TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_RETURNCMD,
                                              screen.x, screen.y, 0, owner, nullptr));
}

int PlatformDialogs::ShowModal(Form& form) { return form.RunModal(); }

} // namespace ui
