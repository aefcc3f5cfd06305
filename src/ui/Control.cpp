#include "Control.h"
#include "Application.h"
#include "Form.h"
#include "Menu.h"
#include <windowsx.h>
#include <algorithm>
#include <cstdlib>

namespace ui {

namespace {

RECT BoundsInParent(HWND handle)
{
    RECT rect;
    GetWindowRect(handle, &rect);
    MapWindowPoints(nullptr, GetParent(handle), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

POINT MessagePoint(LPARAM lParam) { return {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

// Nothing listens at a parent for its children's creation or clicks; unasked, the platform
// would still send a message up for each.
constexpr DWORD childExStyle = WS_EX_NOPARENTNOTIFY;

} // namespace

Control::Control(Window& parent) : parent_(parent) {}

Control::~Control()
{
    if (toolTip_) {
        Application::Instance().RemoveToolTip(toolTip_);
        DestroyWindow(toolTip_);
    }
    auto& siblings = parent_.children_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), this), siblings.end());
}

void Control::CreateOwnClass(const wchar_t* className, DWORD style, DWORD exStyle,
                             const wchar_t* text, const Bounds& bounds)
{
    Window::CreateOwnClass(className, style | WS_CHILD | WS_CLIPSIBLINGS, exStyle | childExStyle,
                           text, bounds.left, bounds.top, bounds.width, bounds.height,
                           parent_.Handle());
    AfterCreate();
}

void Control::CreateSystemClass(const wchar_t* className, DWORD style, DWORD exStyle,
                                const wchar_t* text, const Bounds& bounds)
{
    Window::CreateSystemClass(className, style | WS_CHILD | WS_CLIPSIBLINGS, exStyle | childExStyle,
                              text, bounds.left, bounds.top, bounds.width, bounds.height,
                              parent_.Handle());
    AfterCreate();
}

void Control::AfterCreate()
{
    parent_.children_.push_back(this);
    // The platform puts a new child beneath its siblings; a control created later lies on
    // top instead, as a layout reads (a frame drawn first, its contents after).
    SetWindowPos(Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(Form::DefaultFont()), FALSE);
    RememberMargins();
}

Form* Control::ParentForm() const { return Form::Of(Handle()); }

void Control::SetBounds(int left, int top, int width, int height)
{
    SetWindowPos(Handle(), nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    RememberMargins();
}

int Control::Left() const { return BoundsInParent(Handle()).left; }
int Control::Top() const { return BoundsInParent(Handle()).top; }

int Control::Width() const
{
    RECT rect;
    GetWindowRect(Handle(), &rect);
    return rect.right - rect.left;
}

int Control::Height() const
{
    RECT rect;
    GetWindowRect(Handle(), &rect);
    return rect.bottom - rect.top;
}

bool Control::Visible() const { return (GetWindowLongW(Handle(), GWL_STYLE) & WS_VISIBLE) != 0; }

void Control::SetVisible(bool visible) { ShowWindow(Handle(), visible ? SW_SHOWNA : SW_HIDE); }

bool Control::Enabled() const { return IsWindowEnabled(Handle()) != FALSE; }

void Control::SetEnabled(bool enabled) { EnableWindow(Handle(), enabled); }

void Control::SetFocus() { ::SetFocus(Handle()); }

bool Control::Focused() const { return GetFocus() == Handle(); }

void Control::SetAlign(Align align)
{
    align_ = align;
    RECT client;
    GetClientRect(parent_.Handle(), &client);
    FollowParent(client.right, client.bottom);
}

void Control::SetAnchors(Anchors anchors)
{
    anchors_ = anchors;
    RememberMargins();
}

void Control::RememberMargins()
{
    RECT client;
    GetClientRect(parent_.Handle(), &client);
    const RECT rect = BoundsInParent(Handle());
    rightMargin_ = client.right - rect.right;
    bottomMargin_ = client.bottom - rect.bottom;
}

void Control::FollowParent(int parentWidth, int parentHeight)
{
    if (align_ == Align::Client) {
        SetWindowPos(Handle(), nullptr, 0, 0, parentWidth, parentHeight,
                     SWP_NOZORDER | SWP_NOACTIVATE);
        return;
    }
    if (!(anchors_ & (akRight | akBottom))) return;
    RECT rect = BoundsInParent(Handle());
    if (anchors_ & akRight) {
        const int right = parentWidth - rightMargin_;
        if (!(anchors_ & akLeft)) rect.left += right - rect.right;
        rect.right = right;
    }
    if (anchors_ & akBottom) {
        const int bottom = parentHeight - bottomMargin_;
        if (!(anchors_ & akTop)) rect.top += bottom - rect.bottom;
        rect.bottom = bottom;
    }
    SetWindowPos(Handle(), nullptr, rect.left, rect.top, rect.right - rect.left,
                 rect.bottom - rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

namespace {

TTTOOLINFOW ToolInfo(HWND control, std::wstring& hint)
{
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = GetParent(control);
    tool.uId = reinterpret_cast<UINT_PTR>(control);
    tool.lpszText = hint.data();
    return tool;
}

} // namespace

bool Control::HasFrame() const
{
    RECT window, client;
    GetWindowRect(Handle(), &window);
    GetClientRect(Handle(), &client);
    return client.right != window.right - window.left || client.bottom != window.bottom - window.top;
}

void Control::SetHint(std::wstring hint)
{
    hint_ = std::move(hint);
    if (!toolTip_) return;
    TTTOOLINFOW tool = ToolInfo(Handle(), hint_);
    SendMessageW(toolTip_, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    SendMessageW(toolTip_, TTM_ACTIVATE, !hint_.empty(), 0);
}

// The tip window subclasses the control from here on; the move that made it is passed on
// so that its wait for the pointer to rest starts now.
void Control::CreateToolTip(const MSG& firstMove)
{
    toolTip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                               WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX, CW_USEDEFAULT, CW_USEDEFAULT,
                               CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr,
                               GetModuleHandleW(nullptr), nullptr);
    if (!toolTip_) return;
    TTTOOLINFOW tool = ToolInfo(Handle(), hint_);
    SendMessageW(toolTip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    Application::Instance().AddToolTip(toolTip_);
    SendMessageW(toolTip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&firstMove));
}

HCURSOR Control::Cursor() const
{
    if (cursor_) return *cursor_;
    return reinterpret_cast<HCURSOR>(GetClassLongPtrW(Handle(), GCLP_HCURSOR));
}

void Control::SetCursor(HCURSOR cursor)
{
    cursor_ = cursor;
    POINT point;
    // The pointer changes at once when it rests over the control, not at its next move.
    if (GetCursorPos(&point) && ShowsPointerIn(WindowFromPoint(point))) ::SetCursor(cursor);
}

HFONT Control::Font() const
{
    return reinterpret_cast<HFONT>(SendMessageW(Handle(), WM_GETFONT, 0, 0));
}

void Control::SetFont(HFONT font)
{
    SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
}

void Control::MouseDown(MouseButton button, ShiftState shift, int x, int y)
{
    Raise(OnMouseDown, button, shift, x, y);
}

void Control::MouseMove(ShiftState shift, int x, int y) { Raise(OnMouseMove, shift, x, y); }

void Control::MouseUp(MouseButton button, ShiftState shift, int x, int y)
{
    Raise(OnMouseUp, button, shift, x, y);
}

void Control::KeyDown(WORD& key, ShiftState shift) { Raise(OnKeyDown, key, shift); }
void Control::KeyPress(wchar_t& ch) { Raise(OnKeyPress, ch); }
void Control::Resize() { Raise(OnResize); }
void Control::Click() { Raise(OnClick); }
void Control::DblClick() { Raise(OnDblClick); }

bool Control::PopupContextMenu(POINT screen)
{
    if (!ContextMenu || !ContextMenu->AutoPopup) return false;
    ContextMenu->Popup(screen.x, screen.y);
    return true;
}

LRESULT Control::HandleKey(UINT message, WPARAM wParam, LPARAM lParam)
{
    WORD key = static_cast<WORD>(wParam);
    const ShiftState shift = KeyShiftState(lParam);
    Form* form = ParentForm();
    if (form && form->KeyPreview) {
        form->PreviewKeyDown(key, shift);
        if (!key) return 0;
    }
    KeyDown(key, shift);
    if (!key) return 0;

    if (form && message == WM_KEYDOWN && (key == VK_RETURN || key == VK_ESCAPE || key == VK_TAB)) {
        MSG keyMessage{Handle(), message, key, lParam, 0, {}};
        const LRESULT wants =
            SendMessageW(Handle(), WM_GETDLGCODE, key, reinterpret_cast<LPARAM>(&keyMessage));
        if (key == VK_TAB) {
            if (!(wants & (DLGC_WANTTAB | DLGC_WANTALLKEYS | DLGC_WANTMESSAGE))) {
                if (Control* next = form->NextTabStop(this, (shift & ssShift) != 0))
                    next->SetFocus();
                return 0;
            }
        } else if (!(wants & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) &&
                   form->DialogKey(key, Handle())) {
            return 0;
        }
    }
    return DefaultHandler(message, key, lParam);
}

LRESULT Control::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
        const MouseButton button = message == WM_LBUTTONDOWN   ? MouseButton::Left
                                   : message == WM_RBUTTONDOWN ? MouseButton::Right
                                                               : MouseButton::Middle;
        // Raised before the control's own handling: a slider's page step on a click must
        // find the press already reported.
        MouseDown(button, MouseShiftState(wParam), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return DefaultHandler(message, wParam, lParam);
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
        const LRESULT result = DefaultHandler(message, wParam, lParam);
        const MouseButton button = message == WM_LBUTTONUP   ? MouseButton::Left
                                   : message == WM_RBUTTONUP ? MouseButton::Right
                                                             : MouseButton::Middle;
        MouseUp(button, MouseShiftState(wParam), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return result;
    }
    case WM_MOUSEMOVE:
        if (!toolTip_ && !hint_.empty())
            CreateToolTip({Handle(), message, wParam, lParam,
                           static_cast<DWORD>(GetMessageTime()), {}});
        MouseMove(MouseShiftState(wParam), GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        return HandleKey(message, wParam, lParam);
    case WM_CHAR: {
        wchar_t ch = static_cast<wchar_t>(wParam);
        Form* form = ParentForm();
        if (form && form->KeyPreview) form->PreviewKeyPress(ch);
        if (ch) KeyPress(ch);
        if (!ch) return 0;
        return DefaultHandler(message, ch, lParam);
    }
    case WM_MOUSEWHEEL:
        if (Form* form = ParentForm()) {
            if (form->MouseWheel(MouseShiftState(GET_KEYSTATE_WPARAM(wParam)),
                                 GET_WHEEL_DELTA_WPARAM(wParam), MessagePoint(lParam)))
                return 0;
        }
        break;
    case WM_CONTEXTMENU: {
        POINT point = MessagePoint(lParam);
        if (point.x == -1 && point.y == -1) { // from the keyboard: the control's corner
            point = {0, 0};
            ClientToScreen(Handle(), &point);
        }
        if (PopupContextMenu(point)) return 0;
        break;
    }
    case WM_NCPAINT:
        if (!HasFrame()) return 0; // nothing outside the client area to draw
        break;
    case WM_SETCURSOR:
        if (cursor_ && ShowsPointerIn(reinterpret_cast<HWND>(wParam)) && LOWORD(lParam) == HTCLIENT) {
            ::SetCursor(*cursor_);
            return TRUE;
        }
        break;
    case WM_SIZE: {
        const LRESULT result = Window::HandleMessage(message, wParam, lParam);
        Resize();
        return result;
    }
    }
    return Window::HandleMessage(message, wParam, lParam);
}

bool DoubleClickDetector::Press(DWORD time, POINT point)
{
    const bool completes = valid_ && time - time_ <= GetDoubleClickTime() &&
                           std::abs(point.x - point_.x) <= GetSystemMetrics(SM_CXDOUBLECLK) / 2 &&
                           std::abs(point.y - point_.y) <= GetSystemMetrics(SM_CYDOUBLECLK) / 2;
    valid_ = !completes;
    time_ = time;
    point_ = point;
    return completes;
}

CustomControl::CustomControl(Window& parent, const Bounds& bounds)
    : Control(parent), color_(GetSysColor(COLOR_BTNFACE))
{
    RegisterWindowClass(L"LumadiscControl", CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW,
                        LoadCursorW(nullptr, IDC_ARROW), nullptr);
    CreateOwnClass(L"LumadiscControl", WS_VISIBLE, 0, L"", bounds);
}

void CustomControl::SetColor(COLORREF color)
{
    color_ = color;
    InvalidateRect(Handle(), nullptr, TRUE);
}

void CustomControl::Paint(HDC dc)
{
    RECT client;
    GetClientRect(Handle(), &client);
    BrushHandle brush(CreateSolidBrush(color_));
    FillRect(dc, &client, brush.Get());
    Raise(OnPaint, dc);
}

LRESULT CustomControl::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND:
        return 1; // Paint fills the background
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(Handle(), &paint);
        Paint(dc);
        EndPaint(Handle(), &paint);
        return 0;
    }
    case WM_LBUTTONDOWN:
        // Input drained from a video renderer's window arrives as plain presses only.
        if (doubleClick_.Press(GetMessageTime(), MessagePoint(lParam))) {
            leftDown_ = false;
            DblClick();
            MouseDown(MouseButton::Left, MouseShiftState(wParam) | ssDouble, GET_X_LPARAM(lParam),
                      GET_Y_LPARAM(lParam));
            return DefaultHandler(message, wParam, lParam);
        }
        leftDown_ = true;
        break;
    case WM_LBUTTONDBLCLK:
        doubleClick_.Reset();
        leftDown_ = false;
        DblClick();
        MouseDown(MouseButton::Left, MouseShiftState(wParam) | ssDouble, GET_X_LPARAM(lParam),
                  GET_Y_LPARAM(lParam));
        return DefaultHandler(message, wParam, lParam);
    case WM_LBUTTONUP: {
        RECT client;
        GetClientRect(Handle(), &client);
        if (leftDown_ && PtInRect(&client, MessagePoint(lParam))) Click();
        leftDown_ = false;
        break;
    }
    }
    return Control::HandleMessage(message, wParam, lParam);
}

} // namespace ui
