#pragma once
#include "Dialogs.h"

namespace ui {

// The file-open dialog; Execute runs through the dialog seam.
class OpenDialog {
public:
    const std::wstring& Filter() const { return request_.filter; }
    void SetFilter(std::wstring filter) { request_.filter = std::move(filter); }
    const std::wstring& FileName() const { return request_.fileName; }
    void SetFileName(std::wstring name) { request_.fileName = std::move(name); }
    OpenFileRequest& Options() { return request_; }

    bool Execute(HWND owner) { return Dialogs().OpenFile(owner, request_); }

private:
    OpenFileRequest request_;
};

} // namespace ui
