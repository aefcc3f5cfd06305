#pragma once
#include "Control.h"
#include "ImageList.h"
#include <vector>

namespace ui {

class PopupMenu;
class ToolButton;

enum class ToolButtonStyle { Button, DropDown, Separator };

// A flat tool bar showing icons only, without wrapping, with tool tips.
class ToolBar : public Control {
public:
    ToolBar(Window& parent, const Bounds& bounds, const ImageList* images);
    ~ToolBar() override;

    int ButtonCount() const { return static_cast<int>(buttons_.size()); }
    ToolButton& Button(int index) const { return *buttons_[index]; }

protected:
    bool HandleReflected(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    friend class ToolButton;
    int Add(ToolButton& button);
    void Remove(ToolButton& button);
    int IndexOf(const ToolButton& button) const;
    ToolButton* ByCommand(int command) const;

    std::vector<ToolButton*> buttons_;
    // Made by the control itself when the pointer first moves over it.
    HWND buttonTips_ = nullptr;
};

// One button of a tool bar, appended at construction, removed at destruction.
class ToolButton {
public:
    ToolButton(ToolBar& bar, ToolButtonStyle style, int imageIndex = -1, int width = 23);
    ToolButton(const ToolButton&) = delete;
    ToolButton& operator=(const ToolButton&) = delete;
    ~ToolButton();

    ToolBar& Bar() const { return bar_; }
    ToolButtonStyle Style() const { return style_; }
    int Command() const { return command_; }

    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int index);
    // The pressed state, kept in the tool bar control itself.
    bool Down() const;
    void SetDown(bool down);
    bool Enabled() const;
    void SetEnabled(bool enabled);
    const std::wstring& Hint() const { return hint_; }
    void SetHint(std::wstring hint) { hint_ = std::move(hint); }
    // The button's rectangle in the tool bar's client coordinates.
    RECT Rect() const;

    // Popped up below the button when its arrow is pressed.
    PopupMenu* DropdownMenu = nullptr;
    // Popped up at the pointer on a right click on the button.
    PopupMenu* ContextMenu = nullptr;

    Event<> OnClick;
    void Click();

private:
    ToolBar& bar_;
    ToolButtonStyle style_;
    int imageIndex_;
    int command_;
    std::wstring hint_;
};

} // namespace ui
