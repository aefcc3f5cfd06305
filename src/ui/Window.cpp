#include "Window.h"
#include "Application.h"
#include "Control.h"
#include "Menu.h"
#include <system_error>
#include <unordered_map>

namespace ui {

namespace {

// The toolkit object of each of its windows, in a table of its own rather than a window
// property, which costs a trip to the window server at every look-up (each message of a
// form, each notification reflected to a control), or GWLP_USERDATA, which foreign windows
// (e.g. a renderer's) reflecting notifications to us may use for their own. Toolkit windows
// live on the GUI thread, which alone uses the table. Never destroyed: windows that statics
// hold may go after it. A system control keeps its entry, with its own procedure, until its
// last message even when its object went first.
struct Entry {
    Window* window;
    WNDPROC control; // a system control's own procedure
};

std::unordered_map<HWND, Entry>& Windows()
{
    static auto* windows = new std::unordered_map<HWND, Entry>;
    return *windows;
}

[[noreturn]] void ThrowLastError(const char* what)
{
    throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), what);
}

} // namespace

std::wstring WindowText(HWND window)
{
    std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(
        static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

Window::~Window() { Detach(true); }

Window* Window::FromHandle(HWND handle)
{
    const auto found = Windows().find(handle);
    return found == Windows().end() ? nullptr : found->second.window;
}

void Window::RegisterWindowClass(const wchar_t* name, UINT style, HCURSOR cursor, HBRUSH background)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    if (GetClassInfoExW(instance, name, &windowClass)) return;
    windowClass.style = style;
    windowClass.lpfnWndProc = OwnClassProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = cursor;
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = name;
    if (!RegisterClassExW(&windowClass)) ThrowLastError("RegisterClassEx");
}

void Window::CreateOwnClass(const wchar_t* className, DWORD style, DWORD exStyle,
                            const wchar_t* text, int left, int top, int width, int height,
                            HWND parent)
{
    Application::Instance(); // common controls are registered before the first window
    if (!CreateWindowExW(exStyle, className, text, style, left, top, width, height, parent, nullptr,
                         GetModuleHandleW(nullptr), this))
        ThrowLastError("CreateWindowEx");
}

void Window::CreateSystemClass(const wchar_t* className, DWORD style, DWORD exStyle,
                               const wchar_t* text, int left, int top, int width, int height,
                               HWND parent)
{
    Application::Instance();
    HWND handle = CreateWindowExW(exStyle, className, text, style, left, top, width, height, parent,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!handle) ThrowLastError("CreateWindowEx");
    handle_ = handle;
    // Subclassed by hand: the common controls' way looks its chain up in a window property,
    // a trip to the window server, twice for every message.
    control_ = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ControlProc)));
    Windows()[handle] = {this, control_};
}

LRESULT CALLBACK Window::OwnClassProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    Window* window = nullptr;
    if (message == WM_NCCREATE) {
        window = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        window->handle_ = handle;
        Windows()[handle] = {window, nullptr};
    } else {
        window = FromHandle(handle);
    }
    if (!window) return DefWindowProcW(handle, message, wParam, lParam);
    return window->Dispatch(message, wParam, lParam);
}

LRESULT CALLBACK Window::ControlProc(HWND handle, UINT message, WPARAM wParam, LPARAM lParam)
{
    const auto found = Windows().find(handle);
    if (found == Windows().end()) return DefWindowProcW(handle, message, wParam, lParam);
    if (Window* window = found->second.window) return window->Dispatch(message, wParam, lParam);
    const WNDPROC control = found->second.control;
    if (message == WM_NCDESTROY) Windows().erase(found);
    return CallWindowProcW(control, handle, message, wParam, lParam);
}

LRESULT Window::Dispatch(UINT message, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = 0;
    bool handled = false;
    // Events are guarded where they are raised; this also keeps an error of an overridden
    // handler from unwinding through the platform's window procedure.
    Application::Instance().Guard([&] {
        result = HandleMessage(message, wParam, lParam);
        handled = true;
    });
    if (!handled && message != WM_NCDESTROY) result = DefaultHandler(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        if (!handled) DefaultHandler(message, wParam, lParam);
        Detach(false);
        HandleDestroyed();
    }
    return result;
}

LRESULT Window::DefaultHandler(UINT message, WPARAM wParam, LPARAM lParam)
{
    return control_ ? CallWindowProcW(control_, handle_, message, wParam, lParam)
                    : DefWindowProcW(handle_, message, wParam, lParam);
}

void Window::Detach(bool destroy)
{
    HWND handle = handle_;
    if (!handle) return;
    handle_ = nullptr;
    // Going with its window: its messages up to the last go to the control's own procedure.
    if (destroy && control_)
        Windows()[handle].window = nullptr;
    else
        Windows().erase(handle);
    if (destroy) DestroyWindow(handle);
}

LRESULT Window::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    Window* sender = nullptr;
    switch (message) {
    case WM_COMMAND:
        if (lParam) {
            sender = FromHandle(reinterpret_cast<HWND>(lParam));
        } else if (HIWORD(wParam) == 0) {
            if (MenuItem* item = MenuItem::FromCommand(LOWORD(wParam))) {
                item->Click();
                return 0;
            }
        }
        break;
    case WM_NOTIFY:
        sender = FromHandle(reinterpret_cast<NMHDR*>(lParam)->hwndFrom);
        break;
    case WM_HSCROLL:
    case WM_VSCROLL:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
        sender = FromHandle(reinterpret_cast<HWND>(lParam));
        break;
    case WM_SIZE:
        LayoutChildren();
        break;
    }
    if (sender && sender != this) {
        LRESULT result = 0;
        if (sender->HandleReflected(message, wParam, lParam, result)) return result;
    }
    return DefaultHandler(message, wParam, lParam);
}

void Window::LayoutChildren()
{
    RECT client;
    GetClientRect(handle_, &client);
    for (Control* child : children_) child->FollowParent(client.right, client.bottom);
}

} // namespace ui
