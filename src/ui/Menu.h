#pragma once
#include "Events.h"
#include "Handles.h"
#include <memory>
#include <string>
#include <vector>

namespace ui {

// A menu item: a command or a sub-menu (when it has children). Items own their children.
// Captions are shown exactly as set: an "&" is no access key.
class MenuItem {
public:
    explicit MenuItem(std::wstring caption = {}, Event<MenuItem&> onClick = {},
                      std::wstring name = {});
    MenuItem(const MenuItem&) = delete;
    MenuItem& operator=(const MenuItem&) = delete;
    ~MenuItem();

    std::wstring Caption;
    std::wstring Name;
    int Tag = 0;
    bool RadioItem = false;
    int GroupIndex = 0;
    bool Enabled = true;

    bool Checked() const { return checked_; }
    // Checking a radio item unchecks its radio siblings of the same group.
    void SetChecked(bool checked);

    Event<MenuItem&> OnClick;
    void Click();

    MenuItem& Add(std::unique_ptr<MenuItem> item);
    MenuItem& Add(std::wstring caption, Event<MenuItem&> onClick = {}, std::wstring name = {});
    int Count() const { return static_cast<int>(items_.size()); }
    MenuItem& Item(int index) const { return *items_.at(index); }
    void Delete(int index);
    // Destroys every child.
    void Clear();
    // The first item of this name in the tree below, or nullptr.
    MenuItem* Find(const std::wstring& name);
    MenuItem* Parent() const { return parent_; }
    int IndexOf(const MenuItem& item) const;

    // The id of the item in WM_COMMAND.
    UINT Command() const { return command_; }
    static MenuItem* FromCommand(UINT command);

    // Appends this item's children to a platform menu (sub-menus recursively).
    void AppendTo(HMENU menu) const;

private:
    std::wstring DisplayCaption() const;

    std::vector<std::unique_ptr<MenuItem>> items_;
    MenuItem* parent_ = nullptr;
    bool checked_ = false;
    UINT command_;
};

// A menu popped up at a point; the platform menu is built afresh from the items each time.
class PopupMenu {
public:
    MenuItem& Items() { return items_; }
    const MenuItem& Items() const { return items_; }
    // Whether a context-menu request opens it.
    bool AutoPopup = true;
    // Raised before the menu is shown.
    Event<> OnPopup;

    // Pops the menu up with its top-left corner at a screen point, through the dialog seam,
    // and clicks the item picked.
    void Popup(int x, int y);
    // The platform menu of the current items (owned by the caller's handle).
    MenuHandle Build() const;

private:
    MenuItem items_;
};

} // namespace ui
