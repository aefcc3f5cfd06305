#pragma once
#include <functional>

#include "graph/DirectShow.h"

namespace graph {

// The private message the graph's event queue posts when events are waiting.
constexpr UINT GraphNotifyMessage = WM_APP + 1;

// A hidden message-only window that turns GraphNotifyMessage into a call on the GUI thread.
// Whatever the call raises is handed to the application's error display, never to the
// platform's message dispatch.
class NotifyWindow {
public:
    explicit NotifyWindow(std::function<void()> onGraphNotify);
    ~NotifyWindow();
    NotifyWindow(const NotifyWindow&) = delete;
    NotifyWindow& operator=(const NotifyWindow&) = delete;

    HWND Handle() const { return handle_; }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    std::function<void()> onGraphNotify_;
    HWND handle_ = nullptr;
};

}  // namespace graph
