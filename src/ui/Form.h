#pragma once
#include "Dialogs.h"
#include "Events.h"
#include "Window.h"
#include <string>

namespace ui {

class Button;
class Control;
class PopupMenu;

enum class BorderStyle { Sizeable, Single, Dialog };

struct FormStyle {
    BorderStyle border = BorderStyle::Sizeable;
    bool minimizeBox = true;
    bool maximizeBox = true;
    bool systemMenu = true;
};

enum class FormPosition { Designed, ScreenCenter };

// What a form is created from: caption, frame, place on the screen and client size.
struct FormDesign {
    std::wstring caption;
    FormStyle style;
    int left = 0, top = 0;
    int clientWidth = 0, clientHeight = 0;
    FormPosition position = FormPosition::Designed; // ScreenCenter: centred at every show
    // The task switcher's large icon waits for SetLargeIcon: only the caption's small one is
    // on the way to the first paint.
    bool largeIconLater = false;
};

// A top-level window. Created hidden; its controls are members of the derived class.
class Form : public Window {
public:
    explicit Form(const FormDesign& design);
    ~Form() override;

    // Raises OnShow when the form was hidden, then shows it and brings it to the front.
    void Show();
    void Hide();
    // OnCloseQuery, then OnClose, then hides (a modal form ends its loop with mrCancel).
    // Closing the application's main form ends Application::Run.
    void Close();
    bool Visible() const;

    // Modal showing through the dialog seam; answers the modal result.
    int ShowModal();
    // The platform's modal loop that PlatformDialogs runs: other forms are disabled until
    // the modal result is set or the form is hidden.
    int RunModal();
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int result) { modalResult_ = result; }
    bool Modal() const { return modal_; }

    int Left() const;
    int Top() const;
    void SetLeft(int left);
    void SetTop(int top);
    int Width() const; // outer size
    int Height() const;
    void SetWidth(int width);
    void SetHeight(int height);
    int ClientWidth() const;
    int ClientHeight() const;
    void SetClientWidth(int width);
    void SetClientHeight(int height);

    std::wstring Caption() const;
    void SetCaption(const std::wstring& caption);

    void SetLargeIcon();

    // Lets the drag follow the mouse as if the title bar had been grabbed.
    void StartDrag();

    // The form font: MS Sans Serif 8 pt, or the system GUI font where it is missing.
    static HFONT DefaultFont();

    // The buttons that Enter and Escape press (set by Button::SetDefault/SetCancel).
    Button* DefaultButton = nullptr;
    Button* CancelButton = nullptr;
    // Enter and Escape arriving at a control of this form; true when a button took them.
    bool DialogKey(WORD key, HWND focus);

    // The form's OnKeyDown sees the keys of its controls before they do.
    bool KeyPreview = false;
    PopupMenu* ContextMenu = nullptr;

    Event<> OnShow;
    Event<> OnHide;
    Event<bool&> OnCloseQuery;
    Event<> OnClose;
    Event<WORD&, ShiftState> OnKeyDown;
    Event<wchar_t&> OnKeyPress;
    Event<MouseButton, ShiftState, int, int> OnMouseDown; // on the background
    Event<ShiftState, int, int> OnMouseMove;
    Event<MouseButton, ShiftState, int, int> OnMouseUp;
    Event<ShiftState, int, POINT, bool&> OnMouseWheel; // delta, screen point, handled
    Event<> OnResize;

    // The control that Tab (or Shift+Tab) moves to from `from`, in creation order.
    Control* NextTabStop(Control* from, bool backwards) const;

    // Entry points for controls: key preview and the wheel go to the form first.
    void PreviewKeyDown(WORD& key, ShiftState shift);
    void PreviewKeyPress(wchar_t& ch);
    bool MouseWheel(ShiftState shift, int delta, POINT screen);

    // The form a window belongs to (the window itself or its top-level ancestor).
    static Form* Of(HWND window);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Center();
    void SetProgramIcon(WPARAM size);
    void SetOuterSize(int width, int height);

    FormPosition position_;
    int modalResult_ = mrNone;
    bool modal_ = false;
    HWND lastFocus_ = nullptr;
};

} // namespace ui
