#pragma once
#include "Control.h"
#include "Handles.h"
#include <string>
#include <vector>

namespace ui {

class Form;

// A text that sizes itself to its caption, with optional bold, underline and colour.
class Label : public Control {
public:
    Label(Window& parent, int left, int top, const std::wstring& caption);

    std::wstring Caption() const;
    void SetCaption(const std::wstring& caption);

    bool Bold() const { return bold_; }
    void SetBold(bool bold);
    bool Underline() const { return underline_; }
    void SetUnderline(bool underline);
    COLORREF TextColor() const { return textColor_; }
    void SetTextColor(COLORREF color);

protected:
    bool HandleReflected(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    void UpdateFont();
    void AutoSize(const std::wstring& caption);

    bool bold_ = false;
    bool underline_ = false;
    COLORREF textColor_;
    FontHandle font_;
};

// A frame without caption that other controls can sit in.
class GroupBox : public Control {
public:
    GroupBox(Window& parent, const Bounds& bounds);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

enum class BevelShape { Lowered, Raised };

// A one-pixel sunken or raised frame; clicks go through it to what lies below.
class Bevel : public Control {
public:
    Bevel(Window& parent, const Bounds& bounds, BevelShape shape = BevelShape::Lowered);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    BevelShape shape_;
};

// A container in the dialog colour with a raised outer and a lowered inner bevel.
class Panel : public Control {
public:
    Panel(Window& parent, const Bounds& bounds);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// A push button. Default: Enter presses it; Cancel: Escape presses it. A click sets the
// form's modal result to the button's one (when not mrNone), then raises OnClick.
class Button : public Control {
public:
    Button(Window& parent, const Bounds& bounds, const std::wstring& caption);
    ~Button() override;

    std::wstring Caption() const;
    void SetCaption(const std::wstring& caption);
    bool Default() const { return default_; }
    void SetDefault(bool isDefault);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool isCancel);
    int ModalResult = 0;

    void Click() override;

protected:
    bool HandleReflected(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    bool default_ = false;
    bool cancel_ = false;
    Form* form_ = nullptr; // where this button is the default or cancel one
};

// A check box; the caption can stand on the left of the box.
class CheckBox : public Control {
public:
    CheckBox(Window& parent, const Bounds& bounds, const std::wstring& caption,
             bool captionLeft = false);

    std::wstring Caption() const;
    bool Checked() const;
    // Raises OnClick when the state changes, as a user's click does.
    void SetChecked(bool checked);

protected:
    bool HandleReflected(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};

// A drop-down list without typing, optionally kept sorted by the platform.
class ComboBox : public Control {
public:
    ComboBox(Window& parent, const Bounds& bounds, bool sorted = false);

    bool Sorted() const { return sorted_; }
    void SetItems(const std::vector<std::wstring>& items);
    int AddItem(const std::wstring& item);
    void Clear();
    int Count() const;
    std::vector<std::wstring> Items() const;
    std::wstring Item(int index) const;

    // -1 when nothing is selected.
    int ItemIndex() const;
    void SetItemIndex(int index);
    // The selected item's text, or empty.
    std::wstring Text() const;
    // Selects the item with exactly this text (none when absent); true when found.
    bool SelectText(const std::wstring& text);

    // Raised when the user picks another item.
    Event<> OnChange;

protected:
    bool HandleReflected(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    bool sorted_;
};

// A multi-line edit box in the dialog face colour, without scroll bars.
class Memo : public Control {
public:
    Memo(Window& parent, const Bounds& bounds);

    void Clear();
    // Appends a line (the text then ends with a line break).
    void AddLine(const std::wstring& line);
    std::wstring Text() const;
    void SetText(const std::wstring& text);
    std::vector<std::wstring> Lines() const;

protected:
    bool HandleReflected(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
};

} // namespace ui
