#pragma once
#include <windows.h>
#include <string>
#include <vector>

namespace ui {

class Control;

// Owns one HWND (destroyed with the object) and dispatches its messages to HandleMessage.
// Windows of the toolkit's own classes store `this` at WM_NCCREATE; system controls are
// subclassed right after creation. Both are entered in the toolkit's table of its windows.
class Window {
public:
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    HWND Handle() const { return handle_; }
    // Child controls in creation order (which is also their tab order).
    const std::vector<Control*>& Children() const { return children_; }
    // The toolkit object behind a window handle, or nullptr.
    static Window* FromHandle(HWND handle);

    // Registers a window class of the toolkit once; later calls are no-ops.
    static void RegisterWindowClass(const wchar_t* name, UINT style, HCURSOR cursor,
                                    HBRUSH background);

protected:
    Window() = default;

    // A window of a class registered with RegisterWindowClass.
    void CreateOwnClass(const wchar_t* className, DWORD style, DWORD exStyle, const wchar_t* text,
                        int left, int top, int width, int height, HWND parent);
    // A system control (trackbar, button, ...) subclassed so that HandleMessage sees its
    // messages and DefaultHandler runs the control's own procedure.
    void CreateSystemClass(const wchar_t* className, DWORD style, DWORD exStyle,
                           const wchar_t* text, int left, int top, int width, int height,
                           HWND parent);

    // Handles reflection of child notifications (WM_COMMAND, WM_NOTIFY, WM_HSCROLL,
    // WM_CTLCOLOR*), menu commands, and the layout of aligned and anchored children.
    virtual LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultHandler(UINT message, WPARAM wParam, LPARAM lParam);

    // A notification this window sent to its parent, reflected back to it; true when handled.
    virtual bool HandleReflected(UINT, WPARAM, LPARAM, LRESULT&) { return false; }
    // Called after the window received WM_NCDESTROY.
    virtual void HandleDestroyed() {}

private:
    friend class Control;
    static LRESULT CALLBACK OwnClassProc(HWND, UINT, WPARAM, LPARAM);
    static LRESULT CALLBACK ControlProc(HWND, UINT, WPARAM, LPARAM);
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    void Detach(bool destroy);
    void LayoutChildren();

    HWND handle_ = nullptr;
    WNDPROC control_ = nullptr; // a system control's own procedure
    std::vector<Control*> children_;
};

// The text of any window (caption of a form, text of a control).
std::wstring WindowText(HWND window);

} // namespace ui
