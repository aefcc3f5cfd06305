#include "graph/NotifyWindow.h"

#include <stdexcept>

#include "graph/ErrorDisplay.h"

namespace graph {

namespace {

constexpr char ClassName[] = "LumadiscGraphNotify";

void RegisterClassOnce(HINSTANCE instance, WNDPROC procedure)
{
    WNDCLASSA existing{};
    if (GetClassInfoA(instance, ClassName, &existing)) return;
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = ClassName;
    RegisterClassA(&windowClass);
}

}  // namespace

NotifyWindow::NotifyWindow(std::function<void()> onGraphNotify) : onGraphNotify_(std::move(onGraphNotify))
{
    const HINSTANCE instance = GetModuleHandleA(nullptr);
    RegisterClassOnce(instance, &NotifyWindow::WindowProc);
    handle_ = CreateWindowExA(0, ClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, this);
    if (!handle_) throw std::runtime_error("Cannot create the graph's notification window");
}

NotifyWindow::~NotifyWindow() { DestroyWindow(handle_); }

LRESULT CALLBACK NotifyWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<NotifyWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message != GraphNotifyMessage || !self) return DefWindowProcA(window, message, wParam, lParam);

    // Nothing may escape into the platform's dispatch: the error is shown and the queue's
    // remaining events wait for the next message.
    try {
        self->onGraphNotify_();
    } catch (const std::exception& error) {
        ShowError(error);
    } catch (...) {
        ShowError(std::runtime_error("Unexpected error while handling a graph event"));
    }
    return 0;
}

}  // namespace graph
