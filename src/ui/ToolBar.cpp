#include "ToolBar.h"
#include "Application.h"
#include "Menu.h"
#include <windowsx.h>
#include <algorithm>

namespace ui {

namespace {
constexpr int defaultButtonWidth = 23;
constexpr int buttonHeight = 22;
}

ToolBar::ToolBar(Window& parent, const Bounds& bounds, const ImageList* images) : Control(parent)
{
    CreateSystemClass(TOOLBARCLASSNAMEW,
                      WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NORESIZE | CCS_NODIVIDER |
                          CCS_NOPARENTALIGN,
                      0, L"", bounds);
    SendMessageW(Handle(), TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(Handle(), TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
    SendMessageW(Handle(), TB_SETBITMAPSIZE, 0, MAKELPARAM(16, 16));
    if (images)
        SendMessageW(Handle(), TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images->Handle()));
    SendMessageW(Handle(), TB_SETBUTTONSIZE, 0, MAKELPARAM(defaultButtonWidth, buttonHeight));
}

ToolBar::~ToolBar()
{
    if (buttonTips_) Application::Instance().RemoveToolTip(buttonTips_);
}

int ToolBar::Add(ToolButton& button)
{
    const int command = buttons_.empty() ? 1 : buttons_.back()->Command() + 1;
    buttons_.push_back(&button);
    return command;
}

void ToolBar::Remove(ToolButton& button)
{
    const int index = IndexOf(button);
    if (index >= 0) SendMessageW(Handle(), TB_DELETEBUTTON, index, 0);
    buttons_.erase(std::remove(buttons_.begin(), buttons_.end(), &button), buttons_.end());
}

int ToolBar::IndexOf(const ToolButton& button) const
{
    return static_cast<int>(SendMessageW(Handle(), TB_COMMANDTOINDEX, button.Command(), 0));
}

ToolButton* ToolBar::ByCommand(int command) const
{
    const auto found = std::find_if(buttons_.begin(), buttons_.end(),
                                    [&](const ToolButton* b) { return b->Command() == command; });
    return found == buttons_.end() ? nullptr : *found;
}

bool ToolBar::HandleReflected(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (message == WM_COMMAND) {
        if (ToolButton* button = ByCommand(LOWORD(wParam))) button->Click();
        result = 0;
        return true;
    }
    if (message != WM_NOTIFY) return false;
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header->code == NM_CUSTOMDRAW) {
        // A flat bar's button at rest has nothing behind its glyph: asking the theme to draw
        // that nothing costs a themed draw per button at every paint.
        const auto& draw = reinterpret_cast<const NMTBCUSTOMDRAW*>(lParam)->nmcd;
        constexpr UINT lit =
            CDIS_HOT | CDIS_SELECTED | CDIS_CHECKED | CDIS_INDETERMINATE | CDIS_MARKED;
        if (draw.dwDrawStage == CDDS_PREPAINT)
            result = CDRF_NOTIFYITEMDRAW;
        else if (draw.dwDrawStage == CDDS_ITEMPREPAINT && !(draw.uItemState & lit))
            result = TBCDRF_NOBACKGROUND;
        else
            result = CDRF_DODEFAULT;
        return true;
    }
    if (header->code == TBN_DROPDOWN) {
        const auto* info = reinterpret_cast<const NMTOOLBARW*>(lParam);
        ToolButton* button = ByCommand(info->iItem);
        if (button && button->DropdownMenu) {
            RECT rect = button->Rect();
            MapWindowPoints(Handle(), nullptr, reinterpret_cast<POINT*>(&rect), 2);
            button->DropdownMenu->Popup(rect.left, rect.bottom);
        }
        result = TBDDRET_DEFAULT;
        return true;
    }
    if (header->code == TBN_GETINFOTIPW) {
        auto* tip = reinterpret_cast<NMTBGETINFOTIPW*>(lParam);
        ToolButton* button = ByCommand(tip->iItem);
        if (button && tip->pszText && tip->cchTextMax > 0)
            lstrcpynW(tip->pszText, button->Hint().c_str(), tip->cchTextMax);
        result = 0;
        return true;
    }
    return false;
}

LRESULT ToolBar::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    // Asking for the tip window earlier would make it before the bar is first painted.
    if (message == WM_MOUSEMOVE && !buttonTips_) {
        const LRESULT result = Control::HandleMessage(message, wParam, lParam);
        buttonTips_ = reinterpret_cast<HWND>(SendMessageW(Handle(), TB_GETTOOLTIPS, 0, 0));
        if (buttonTips_) Application::Instance().AddToolTip(buttonTips_);
        return result;
    }
    if (message == WM_CONTEXTMENU) {
        POINT point{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        POINT client = point;
        ScreenToClient(Handle(), &client);
        const int index = static_cast<int>(
            SendMessageW(Handle(), TB_HITTEST, 0, reinterpret_cast<LPARAM>(&client)));
        if (index >= 0 && index < ButtonCount()) {
            ToolButton& button = *buttons_[index];
            if (button.ContextMenu && button.ContextMenu->AutoPopup) {
                button.ContextMenu->Popup(point.x, point.y);
                return 0;
            }
        }
    }
    return Control::HandleMessage(message, wParam, lParam);
}

ToolButton::ToolButton(ToolBar& bar, ToolButtonStyle style, int imageIndex, int width)
    : bar_(bar), style_(style), imageIndex_(imageIndex), command_(bar.Add(*this))
{
    TBBUTTON button{};
    button.idCommand = command_;
    button.fsState = TBSTATE_ENABLED;
    switch (style) {
    case ToolButtonStyle::Button:
        button.fsStyle = BTNS_BUTTON;
        button.iBitmap = imageIndex >= 0 ? imageIndex : I_IMAGENONE;
        break;
    case ToolButtonStyle::DropDown:
        button.fsStyle = BTNS_DROPDOWN;
        button.iBitmap = imageIndex >= 0 ? imageIndex : I_IMAGENONE;
        break;
    case ToolButtonStyle::Separator:
        button.fsStyle = BTNS_SEP;
        button.iBitmap = width; // a separator's width travels in the image field
        break;
    }
    SendMessageW(bar.Handle(), TB_ADDBUTTONSW, 1, reinterpret_cast<LPARAM>(&button));
    const bool sized = style == ToolButtonStyle::Separator ||
                       (style == ToolButtonStyle::Button && width == defaultButtonWidth);
    if (sized) return;
    TBBUTTONINFOW info{};
    info.cbSize = sizeof(info);
    info.dwMask = TBIF_SIZE;
    info.cx = static_cast<WORD>(width);
    SendMessageW(bar.Handle(), TB_SETBUTTONINFOW, command_, reinterpret_cast<LPARAM>(&info));
}

ToolButton::~ToolButton() { bar_.Remove(*this); }

void ToolButton::SetImageIndex(int index)
{
    imageIndex_ = index;
    TBBUTTONINFOW info{};
    info.cbSize = sizeof(info);
    info.dwMask = TBIF_IMAGE;
    info.iImage = index >= 0 ? index : I_IMAGENONE;
    SendMessageW(bar_.Handle(), TB_SETBUTTONINFOW, command_, reinterpret_cast<LPARAM>(&info));
}

bool ToolButton::Down() const
{
    return SendMessageW(bar_.Handle(), TB_ISBUTTONCHECKED, command_, 0) != 0;
}

void ToolButton::SetDown(bool down)
{
    SendMessageW(bar_.Handle(), TB_CHECKBUTTON, command_, MAKELPARAM(down ? TRUE : FALSE, 0));
}

bool ToolButton::Enabled() const
{
    return SendMessageW(bar_.Handle(), TB_ISBUTTONENABLED, command_, 0) != 0;
}

void ToolButton::SetEnabled(bool enabled)
{
    SendMessageW(bar_.Handle(), TB_ENABLEBUTTON, command_, MAKELPARAM(enabled ? TRUE : FALSE, 0));
}

RECT ToolButton::Rect() const
{
    RECT rect{};
    SendMessageW(bar_.Handle(), TB_GETRECT, command_, reinterpret_cast<LPARAM>(&rect));
    return rect;
}

void ToolButton::Click() { Raise(OnClick); }

} // namespace ui
