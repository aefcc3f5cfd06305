#include "Menu.h"
#include "Application.h"
#include "Dialogs.h"
#include "Window.h"
#include <algorithm>
#include <stdexcept>

namespace ui {

namespace {

// Command ids are recycled: menus rebuilt on every title change would otherwise run out of
// the 16 bits that WM_COMMAND carries.
constexpr UINT firstCommand = 100;
constexpr UINT lastCommand = 0xFFFF;

struct CommandTable {
    std::vector<MenuItem*> items; // index = command - firstCommand
    std::vector<UINT> free;
    // While a pop-up is up, freed ids wait here: its items keep their ids to the end.
    int holds = 0;
    std::vector<UINT> held;
};

CommandTable& Commands()
{
    static CommandTable table;
    return table;
}

UINT AllocateCommand(MenuItem* item)
{
    CommandTable& table = Commands();
    if (!table.free.empty()) {
        const UINT command = table.free.back();
        table.free.pop_back();
        table.items[command - firstCommand] = item;
        return command;
    }
    if (table.items.size() > lastCommand - firstCommand)
        throw std::length_error("Too many menu items");
    table.items.push_back(item);
    return firstCommand + static_cast<UINT>(table.items.size() - 1);
}

void FreeCommand(UINT command)
{
    CommandTable& table = Commands();
    table.items[command - firstCommand] = nullptr;
    (table.holds > 0 ? table.held : table.free).push_back(command);
}

class CommandHold {
public:
    CommandHold() { ++Commands().holds; }
    CommandHold(const CommandHold&) = delete;
    CommandHold& operator=(const CommandHold&) = delete;
    ~CommandHold()
    {
        CommandTable& table = Commands();
        if (--table.holds > 0) return;
        table.free.insert(table.free.end(), table.held.begin(), table.held.end());
        table.held.clear();
    }
};

// What a shown item was, to find it again after the menu was rebuilt underneath the pop-up:
// the names and captions on the way to it from the menu's root.
struct ShownItem {
    UINT command;
    MenuItem* item;
    std::vector<std::pair<std::wstring, std::wstring>> path;
};

void CollectShown(const MenuItem& menu, std::vector<std::pair<std::wstring, std::wstring>>& path,
                  std::vector<ShownItem>& shown)
{
    for (int i = 0; i < menu.Count(); ++i) {
        MenuItem& item = menu.Item(i);
        path.emplace_back(item.Name, item.Caption);
        shown.push_back({item.Command(), &item, path});
        CollectShown(item, path, shown);
        path.pop_back();
    }
}

MenuItem* FindShown(MenuItem& root, const ShownItem& shown)
{
    MenuItem* node = &root;
    for (const auto& [name, caption] : shown.path) {
        MenuItem* next = nullptr;
        for (int i = 0; i < node->Count() && !next; ++i)
            if (node->Item(i).Name == name && node->Item(i).Caption == caption) next = &node->Item(i);
        if (!next) return nullptr;
        node = next;
    }
    return node;
}

} // namespace

MenuItem::MenuItem(std::wstring caption, Event<MenuItem&> onClick, std::wstring name)
    : Caption(std::move(caption)), Name(std::move(name)), OnClick(std::move(onClick)),
      command_(AllocateCommand(this))
{
}

MenuItem::~MenuItem()
{
    items_.clear();
    FreeCommand(command_);
}

MenuItem* MenuItem::FromCommand(UINT command)
{
    const CommandTable& table = Commands();
    if (command < firstCommand || command - firstCommand >= table.items.size()) return nullptr;
    return table.items[command - firstCommand];
}

void MenuItem::SetChecked(bool checked)
{
    checked_ = checked;
    if (!checked || !RadioItem || !parent_) return;
    for (const auto& sibling : parent_->items_)
        if (sibling.get() != this && sibling->RadioItem && sibling->GroupIndex == GroupIndex)
            sibling->checked_ = false;
}

void MenuItem::Click()
{
    // A handler may empty the menu that holds this item; its copy outlives the item.
    const Event<MenuItem&> handler = OnClick;
    Raise(handler, *this);
}

MenuItem& MenuItem::Add(std::unique_ptr<MenuItem> item)
{
    item->parent_ = this;
    items_.push_back(std::move(item));
    return *items_.back();
}

MenuItem& MenuItem::Add(std::wstring caption, Event<MenuItem&> onClick, std::wstring name)
{
    return Add(std::make_unique<MenuItem>(std::move(caption), std::move(onClick), std::move(name)));
}

void MenuItem::Delete(int index) { items_.erase(items_.begin() + index); }

void MenuItem::Clear() { items_.clear(); }

MenuItem* MenuItem::Find(const std::wstring& name)
{
    for (const auto& item : items_) {
        if (item->Name == name) return item.get();
        if (MenuItem* found = item->Find(name)) return found;
    }
    return nullptr;
}

int MenuItem::IndexOf(const MenuItem& item) const
{
    const auto found = std::find_if(items_.begin(), items_.end(),
                                    [&](const auto& child) { return child.get() == &item; });
    return found == items_.end() ? -1 : static_cast<int>(found - items_.begin());
}

std::wstring MenuItem::DisplayCaption() const
{
    std::wstring text;
    for (wchar_t ch : Caption) {
        if (ch == L'&') text += L'&'; // shown as typed, never an access key
        text += ch;
    }
    return text;
}

void MenuItem::AppendTo(HMENU menu) const
{
    for (const auto& item : items_) {
        std::wstring caption = item->DisplayCaption();
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
        info.fType = MFT_STRING | (item->RadioItem ? MFT_RADIOCHECK : 0);
        info.fState = (item->checked_ ? MFS_CHECKED : 0) | (item->Enabled ? 0 : MFS_DISABLED);
        info.wID = item->command_;
        info.dwTypeData = caption.data();
        if (!item->items_.empty()) {
            info.fMask |= MIIM_SUBMENU;
            info.hSubMenu = CreatePopupMenu(); // destroyed with the menu it is inserted in
            item->AppendTo(info.hSubMenu);
        }
        InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &info);
    }
}

MenuHandle PopupMenu::Build() const
{
    MenuHandle menu(CreatePopupMenu());
    items_.AppendTo(menu.Get());
    return menu;
}

void PopupMenu::Popup(int x, int y)
{
    Raise(OnPopup);
    const MenuHandle menu = Build();
    // The picked item's WM_COMMAND must reach a window of the toolkit.
    HWND owner = GetActiveWindow();
    if (!Window::FromHandle(owner)) owner = Application::Instance().UtilityWindow();
    const CommandHold hold;
    std::vector<ShownItem> shown;
    std::vector<std::pair<std::wstring, std::wstring>> path;
    CollectShown(items_, path, shown);
    const UINT picked = Dialogs().TrackPopupMenu(menu.Get(), POINT{x, y}, owner);
    // Messages handled inside the pop-up's loop may have rebuilt the menu: the pick means the
    // item that was shown, found again by what it showed, or nothing.
    const auto pick = std::find_if(shown.begin(), shown.end(), [&](const ShownItem& item) { return item.command == picked; });
    if (picked == 0 || pick == shown.end()) return;
    MenuItem* item = MenuItem::FromCommand(picked) == pick->item ? pick->item : FindShown(items_, *pick);
    if (item) item->Click();
}

} // namespace ui
