#include "Application.h"
#include "StdControls.h"
#include <algorithm>

namespace ui {

namespace {
constexpr int listHeight = 200; // the window height of a combo box includes its list
}

ComboBox::ComboBox(Window& parent, const Bounds& bounds, bool sorted)
    : Control(parent), sorted_(sorted)
{
    CreateSystemClass(
        L"COMBOBOX",
        WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | (sorted ? CBS_SORT : 0), 0, L"",
        {bounds.left, bounds.top, bounds.width, std::max(bounds.height, listHeight)});
}

void ComboBox::SetItems(const std::vector<std::wstring>& items)
{
    Clear();
    for (const std::wstring& item : items) AddItem(item);
}

int ComboBox::AddItem(const std::wstring& item)
{
    return static_cast<int>(
        SendMessageW(Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str())));
}

void ComboBox::Clear() { SendMessageW(Handle(), CB_RESETCONTENT, 0, 0); }

int ComboBox::Count() const { return static_cast<int>(SendMessageW(Handle(), CB_GETCOUNT, 0, 0)); }

std::wstring ComboBox::Item(int index) const
{
    const LRESULT length = SendMessageW(Handle(), CB_GETLBTEXTLEN, index, 0);
    if (length == CB_ERR) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    SendMessageW(Handle(), CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<size_t>(length));
    return text;
}

std::vector<std::wstring> ComboBox::Items() const
{
    std::vector<std::wstring> items;
    for (int index = 0, count = Count(); index < count; ++index) items.push_back(Item(index));
    return items;
}

int ComboBox::ItemIndex() const
{
    return static_cast<int>(SendMessageW(Handle(), CB_GETCURSEL, 0, 0));
}

void ComboBox::SetItemIndex(int index) { SendMessageW(Handle(), CB_SETCURSEL, index, 0); }

std::wstring ComboBox::Text() const
{
    const int index = ItemIndex();
    return index < 0 ? std::wstring() : Item(index);
}

bool ComboBox::SelectText(const std::wstring& text)
{
    // CB_FINDSTRINGEXACT ignores case; the match has to be exact.
    const std::vector<std::wstring> items = Items();
    const auto found = std::find(items.begin(), items.end(), text);
    SetItemIndex(found == items.end() ? -1 : static_cast<int>(found - items.begin()));
    return found != items.end();
}

bool ComboBox::HandleReflected(UINT message, WPARAM wParam, LPARAM, LRESULT& result)
{
    if (message != WM_COMMAND) return false;
    if (HIWORD(wParam) == CBN_SELCHANGE) Raise(OnChange);
    result = 0;
    return true;
}

} // namespace ui
