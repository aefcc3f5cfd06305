#include "Form.h"
#include "Application.h"
#include "Dialogs.h"
#include "Menu.h"
#include "StdControls.h"
#include <windowsx.h>
#include <algorithm>
#include <vector>

namespace ui {

namespace {

constexpr wchar_t formClass[] = L"LumadiscForm";

DWORD FrameStyle(const FormStyle& style)
{
    DWORD result = WS_CAPTION | WS_CLIPCHILDREN;
    if (style.systemMenu) result |= WS_SYSMENU;
    switch (style.border) {
    case BorderStyle::Sizeable:
        result |= WS_THICKFRAME;
        [[fallthrough]];
    case BorderStyle::Single:
        if (style.minimizeBox) result |= WS_MINIMIZEBOX;
        if (style.maximizeBox) result |= WS_MAXIMIZEBOX;
        break;
    case BorderStyle::Dialog:
        break;
    }
    return result;
}

DWORD FrameExStyle(const FormStyle& style)
{
    DWORD result = WS_EX_CONTROLPARENT;
    if (style.border == BorderStyle::Dialog) result |= WS_EX_DLGMODALFRAME;
    return result;
}

RECT WindowRect(HWND handle)
{
    RECT rect;
    GetWindowRect(handle, &rect);
    return rect;
}

RECT ClientRect(HWND handle)
{
    RECT rect;
    GetClientRect(handle, &rect);
    return rect;
}

int CALLBACK FontFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found)
{
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

HFONT CreateDefaultFont()
{
    constexpr wchar_t face[] = L"MS Sans Serif";
    HDC screen = GetDC(nullptr);
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    lstrcpynW(wanted.lfFaceName, face, LF_FACESIZE);
    bool found = false;
    EnumFontFamiliesExW(screen, &wanted, FontFound, reinterpret_cast<LPARAM>(&found), 0);
    const int height = -MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
    if (!found) return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    return CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, face);
}

} // namespace

Form::Form(const FormDesign& design) : position_(design.position)
{
    RegisterWindowClass(formClass, CS_DBLCLKS, LoadCursorW(nullptr, IDC_ARROW),
                        reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1));
    const DWORD style = FrameStyle(design.style);
    const DWORD exStyle = FrameExStyle(design.style);
    RECT rect{0, 0, design.clientWidth, design.clientHeight};
    AdjustWindowRectEx(&rect, style, FALSE, exStyle);
    CreateOwnClass(formClass, style, exStyle, design.caption.c_str(), design.left, design.top,
                   rect.right - rect.left, rect.bottom - rect.top, nullptr);
    SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(DefaultFont()), FALSE);
    if (!design.largeIconLater) SetLargeIcon();
    SetProgramIcon(ICON_SMALL);
}

void Form::SetLargeIcon() { SetProgramIcon(ICON_BIG); }

// The program's icon (resource 1), when it has one: the small one in the caption, the large
// one in the task list.
void Form::SetProgramIcon(WPARAM size)
{
    const int pixels = GetSystemMetrics(size == ICON_BIG ? SM_CXICON : SM_CXSMICON);
    if (HANDLE icon = LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON, pixels,
                                 pixels, LR_SHARED))
        SendMessageW(Handle(), WM_SETICON, size, reinterpret_cast<LPARAM>(icon));
}

Form::~Form() = default;

HFONT Form::DefaultFont()
{
    static const HFONT font = CreateDefaultFont();
    return font;
}

Form* Form::Of(HWND window)
{
    return window ? dynamic_cast<Form*>(FromHandle(GetAncestor(window, GA_ROOT))) : nullptr;
}

void Form::Show()
{
    if (!Visible()) {
        Raise(OnShow);
        if (position_ == FormPosition::ScreenCenter) Center();
        ShowWindow(Handle(), SW_SHOW);
        // Painted here in one pass with its controls, rather than one trip through the
        // message queue for each of them.
        UpdateWindow(Handle());
    }
    BringWindowToTop(Handle());
}

void Form::Hide()
{
    if (!Visible()) return;
    ShowWindow(Handle(), SW_HIDE);
    Raise(OnHide);
}

void Form::Close()
{
    bool canClose = true;
    Raise(OnCloseQuery, canClose);
    if (!canClose) return;
    Raise(OnClose);
    if (modal_) {
        if (modalResult_ == mrNone) modalResult_ = mrCancel;
        return;
    }
    Hide();
    if (Application::Instance().MainForm() == this) Application::Instance().Terminate();
}

bool Form::Visible() const { return (GetWindowLongW(Handle(), GWL_STYLE) & WS_VISIBLE) != 0; }

int Form::ShowModal() { return Dialogs().ShowModal(*this); }

int Form::RunModal()
{
    // The other windows of the program stay disabled while this one is modal.
    std::vector<HWND> disabled;
    struct Collect {
        HWND self;
        std::vector<HWND>* windows;
    } collect{Handle(), &disabled};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM data) -> BOOL {
            auto* c = reinterpret_cast<Collect*>(data);
            if (window != c->self && IsWindowVisible(window) && IsWindowEnabled(window))
                c->windows->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&collect));
    for (HWND window : disabled) EnableWindow(window, FALSE);

    modal_ = true;
    modalResult_ = mrNone;
    Show();
    MSG message;
    while (modalResult_ == mrNone && Visible()) {
        if (GetMessageW(&message, nullptr, 0, 0) <= 0) {
            PostQuitMessage(static_cast<int>(message.wParam)); // for the loop outside
            break;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    modal_ = false;
    // Enabled again before hiding, so that activation returns to them.
    for (HWND window : disabled)
        if (IsWindow(window)) EnableWindow(window, TRUE);
    Hide();
    return modalResult_;
}

int Form::Left() const { return WindowRect(Handle()).left; }
int Form::Top() const { return WindowRect(Handle()).top; }

void Form::SetLeft(int left)
{
    SetWindowPos(Handle(), nullptr, left, Top(), 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::SetTop(int top)
{
    SetWindowPos(Handle(), nullptr, Left(), top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

int Form::Width() const
{
    const RECT rect = WindowRect(Handle());
    return rect.right - rect.left;
}

int Form::Height() const
{
    const RECT rect = WindowRect(Handle());
    return rect.bottom - rect.top;
}

void Form::SetOuterSize(int width, int height)
{
    SetWindowPos(Handle(), nullptr, 0, 0, width, height,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void Form::SetWidth(int width) { SetOuterSize(width, Height()); }
void Form::SetHeight(int height) { SetOuterSize(Width(), height); }
int Form::ClientWidth() const { return ClientRect(Handle()).right; }
int Form::ClientHeight() const { return ClientRect(Handle()).bottom; }
void Form::SetClientWidth(int width) { SetWidth(width + Width() - ClientWidth()); }
void Form::SetClientHeight(int height) { SetHeight(height + Height() - ClientHeight()); }

std::wstring Form::Caption() const { return WindowText(Handle()); }

void Form::SetCaption(const std::wstring& caption) { SetWindowTextW(Handle(), caption.c_str()); }

void Form::StartDrag()
{
    ReleaseCapture();
    SendMessageW(Handle(), WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
}

void Form::Center()
{
    SetWindowPos(Handle(), nullptr, (GetSystemMetrics(SM_CXSCREEN) - Width()) / 2,
                 (GetSystemMetrics(SM_CYSCREEN) - Height()) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool Form::DialogKey(WORD key, HWND focus)
{
    Button* target = nullptr;
    if (key == VK_RETURN) {
        target = dynamic_cast<Button*>(FromHandle(focus));
        if (!target) target = DefaultButton;
    } else if (key == VK_ESCAPE) {
        target = CancelButton;
    }
    if (!target || !target->Enabled() || !target->Visible()) return false;
    target->Click();
    return true;
}

namespace {

void CollectTabStops(const Window& parent, std::vector<Control*>& stops)
{
    for (Control* control : parent.Children()) {
        if (!control->Visible()) continue;
        if ((GetWindowLongW(control->Handle(), GWL_STYLE) & WS_TABSTOP) && control->Enabled())
            stops.push_back(control);
        CollectTabStops(*control, stops);
    }
}

} // namespace

Control* Form::NextTabStop(Control* from, bool backwards) const
{
    std::vector<Control*> stops;
    CollectTabStops(*this, stops);
    if (stops.empty()) return nullptr;
    const auto count = static_cast<std::ptrdiff_t>(stops.size());
    const auto found = std::find(stops.begin(), stops.end(), from);
    std::ptrdiff_t index = found == stops.end() ? (backwards ? 0 : -1) : found - stops.begin();
    index = (index + (backwards ? count - 1 : 1)) % count;
    return stops[static_cast<size_t>(index)];
}

void Form::PreviewKeyDown(WORD& key, ShiftState shift) { Raise(OnKeyDown, key, shift); }

void Form::PreviewKeyPress(wchar_t& ch) { Raise(OnKeyPress, ch); }

bool Form::MouseWheel(ShiftState shift, int delta, POINT screen)
{
    bool handled = false;
    Raise(OnMouseWheel, shift, delta, screen, handled);
    return handled;
}

LRESULT Form::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    const int x = GET_X_LPARAM(lParam), y = GET_Y_LPARAM(lParam);
    switch (message) {
    case WM_CLOSE:
        Close();
        return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
        Raise(OnMouseDown,
              message == WM_LBUTTONDOWN   ? MouseButton::Left
              : message == WM_RBUTTONDOWN ? MouseButton::Right
                                          : MouseButton::Middle,
              MouseShiftState(wParam), x, y);
        return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
        const LRESULT result = DefaultHandler(message, wParam, lParam);
        Raise(OnMouseUp,
              message == WM_LBUTTONUP   ? MouseButton::Left
              : message == WM_RBUTTONUP ? MouseButton::Right
                                        : MouseButton::Middle,
              MouseShiftState(wParam), x, y);
        return result;
    }
    case WM_MOUSEMOVE:
        Raise(OnMouseMove, MouseShiftState(wParam), x, y);
        break;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        WORD key = static_cast<WORD>(wParam);
        Raise(OnKeyDown, key, KeyShiftState(lParam));
        if (!key) return 0;
        if (message == WM_KEYDOWN && DialogKey(key, Handle())) return 0;
        return DefaultHandler(message, key, lParam);
    }
    case WM_CHAR: {
        wchar_t ch = static_cast<wchar_t>(wParam);
        Raise(OnKeyPress, ch);
        if (!ch) return 0;
        return DefaultHandler(message, ch, lParam);
    }
    case WM_MOUSEWHEEL:
        if (MouseWheel(MouseShiftState(GET_KEYSTATE_WPARAM(wParam)), GET_WHEEL_DELTA_WPARAM(wParam),
                       POINT{x, y}))
            return 0;
        break;
    case WM_CONTEXTMENU:
        if (ContextMenu && ContextMenu->AutoPopup) {
            POINT point{x, y};
            if (x == -1 && y == -1) GetCursorPos(&point);
            ContextMenu->Popup(point.x, point.y);
            return 0;
        }
        break;
    case WM_ACTIVATE:
        // Plain windows forget the focused control on deactivation; give it back, or give it
        // to the first tab stop on the first activation, so keys reach a control at once.
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(Handle(), focus)) lastFocus_ = focus;
        } else if (lastFocus_ && IsWindow(lastFocus_) && IsChild(Handle(), lastFocus_)) {
            ::SetFocus(lastFocus_);
            return 0;
        } else if (Control* first = NextTabStop(nullptr, false)) {
            first->SetFocus();
            return 0;
        }
        break;
    case WM_SIZE: {
        const LRESULT result = Window::HandleMessage(message, wParam, lParam);
        Raise(OnResize);
        return result;
    }
    case WM_SYSCOMMAND: {
        // The system's move and size loops may end on a quit request without leaving it for the
        // loop outside (Wine's do), which would then wait on for good: it is made again.
        const LRESULT result = Window::HandleMessage(message, wParam, lParam);
        Application& application = Application::Instance();
        if (application.Terminated()) application.Terminate();
        return result;
    }
    }
    return Window::HandleMessage(message, wParam, lParam);
}

} // namespace ui
