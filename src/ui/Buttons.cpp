#include "Form.h"
#include "StdControls.h"

namespace ui {

Button::Button(Window& parent, const Bounds& bounds, const std::wstring& caption) : Control(parent)
{
    CreateSystemClass(L"BUTTON", WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0, caption.c_str(),
                      bounds);
}

Button::~Button()
{
    // The form is being destroyed too when its buttons are: no lookup, only the stored link.
    if (form_ && form_->DefaultButton == this) form_->DefaultButton = nullptr;
    if (form_ && form_->CancelButton == this) form_->CancelButton = nullptr;
}

std::wstring Button::Caption() const { return WindowText(Handle()); }

void Button::SetCaption(const std::wstring& caption) { SetWindowTextW(Handle(), caption.c_str()); }

void Button::SetDefault(bool isDefault)
{
    default_ = isDefault;
    form_ = ParentForm();
    if (isDefault) {
        if (form_) form_->DefaultButton = this;
    } else if (form_ && form_->DefaultButton == this) {
        form_->DefaultButton = nullptr;
    }
    SendMessageW(Handle(), BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void Button::SetCancel(bool isCancel)
{
    cancel_ = isCancel;
    form_ = ParentForm();
    if (isCancel) {
        if (form_) form_->CancelButton = this;
    } else if (form_ && form_->CancelButton == this) {
        form_->CancelButton = nullptr;
    }
}

void Button::Click()
{
    if (ModalResult != mrNone)
        if (Form* form = ParentForm()) form->SetModalResult(ModalResult);
    Control::Click();
}

bool Button::HandleReflected(UINT message, WPARAM wParam, LPARAM, LRESULT& result)
{
    if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED) return false;
    Click();
    result = 0;
    return true;
}

CheckBox::CheckBox(Window& parent, const Bounds& bounds, const std::wstring& caption,
                   bool captionLeft)
    : Control(parent)
{
    CreateSystemClass(L"BUTTON",
                      WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX | (captionLeft ? BS_LEFTTEXT : 0),
                      0, caption.c_str(), bounds);
}

std::wstring CheckBox::Caption() const { return WindowText(Handle()); }

bool CheckBox::Checked() const { return SendMessageW(Handle(), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void CheckBox::SetChecked(bool checked)
{
    if (checked == Checked()) return;
    SendMessageW(Handle(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
    Click();
}

bool CheckBox::HandleReflected(UINT message, WPARAM wParam, LPARAM, LRESULT& result)
{
    if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED) return false;
    Click();
    result = 0;
    return true;
}

} // namespace ui
