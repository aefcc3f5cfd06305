#pragma once
// A dialog seam that shows nothing: it records every request and answers what the test set.
// Installed for its lifetime.

#include <string>
#include <vector>

#include "ui/Dialogs.h"

namespace testsupport {

class DialogRecorder : public ui::DialogService {
public:
    struct Box {
        HWND owner;
        std::wstring text;
        std::wstring caption;
        UINT type;
    };
    struct Popup {
        HMENU menu;
        POINT screen;
    };

    DialogRecorder() { ui::SetDialogs(this); }
    ~DialogRecorder() override { ui::SetDialogs(nullptr); }
    DialogRecorder(const DialogRecorder&) = delete;
    DialogRecorder& operator=(const DialogRecorder&) = delete;

    std::vector<Box> boxes;
    std::vector<Popup> popups;
    int boxAnswer = IDOK;

    int MessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) override
    {
        boxes.push_back({owner, text, caption, type});
        return boxAnswer;
    }
    bool OpenFile(HWND, ui::OpenFileRequest&) override { return false; }
    UINT TrackPopupMenu(HMENU menu, POINT screen, HWND) override
    {
        popups.push_back({menu, screen});
        return 0;
    }
    int ShowModal(ui::Form&) override { return ui::mrCancel; }
};

}  // namespace testsupport
