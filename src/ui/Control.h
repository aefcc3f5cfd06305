#pragma once
#include "Events.h"
#include "Window.h"
#include <memory>
#include <optional>
#include <string>

namespace ui {

class Form;
class PopupMenu;

struct Bounds {
    int left = 0, top = 0, width = 0, height = 0;
};

enum class Align { None, Client };

// Sides of the parent a control keeps its distance to when the parent is resized.
using Anchors = unsigned;
constexpr Anchors akLeft = 1, akTop = 2, akRight = 4, akBottom = 8;

// A child window placed on a form, a group box or a panel.
class Control : public Window {
public:
    ~Control() override;

    Window& Parent() const { return parent_; }
    // The form this control sits on, or nullptr.
    Form* ParentForm() const;

    void SetBounds(int left, int top, int width, int height);
    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;

    // The control's own visibility flag (true on a hidden form when the control is shown).
    bool Visible() const;
    virtual void SetVisible(bool visible);
    bool Enabled() const;
    void SetEnabled(bool enabled);
    void SetFocus();
    bool Focused() const;

    Align GetAlign() const { return align_; }
    void SetAlign(Align align);
    void SetAnchors(Anchors anchors);

    // Tool tip of the control; empty means none is shown. Its window is made when the
    // pointer first moves over the control, since a tip cannot show before that.
    const std::wstring& Hint() const { return hint_; }
    void SetHint(std::wstring hint);

    // The pointer over the control; nullptr hides it. Unset keeps the window class's own.
    HCURSOR Cursor() const;
    void SetCursor(HCURSOR cursor);

    HFONT Font() const;
    void SetFont(HFONT font);

    // Opened on WM_CONTEXTMENU through the dialog seam when its AutoPopup is on; without one
    // the request goes on to the parent.
    PopupMenu* ContextMenu = nullptr;

    Event<> OnClick;
    Event<> OnDblClick;
    Event<MouseButton, ShiftState, int, int> OnMouseDown;
    Event<ShiftState, int, int> OnMouseMove;
    Event<MouseButton, ShiftState, int, int> OnMouseUp;
    Event<WORD&, ShiftState> OnKeyDown; // setting the key to 0 consumes it
    Event<wchar_t&> OnKeyPress;         // setting the character to 0 consumes it
    Event<> OnResize;

protected:
    explicit Control(Window& parent);

    void CreateOwnClass(const wchar_t* className, DWORD style, DWORD exStyle, const wchar_t* text,
                        const Bounds& bounds);
    void CreateSystemClass(const wchar_t* className, DWORD style, DWORD exStyle,
                           const wchar_t* text, const Bounds& bounds);

    // Hooks that raise the events; derived controls override them (e.g. to replace
    // coordinates) and call the base to raise.
    virtual void MouseDown(MouseButton button, ShiftState shift, int x, int y);
    virtual void MouseMove(ShiftState shift, int x, int y);
    virtual void MouseUp(MouseButton button, ShiftState shift, int x, int y);
    virtual void KeyDown(WORD& key, ShiftState shift);
    virtual void KeyPress(wchar_t& ch);
    virtual void Resize();
    virtual void Click();
    virtual void DblClick();
    // Whether a window under the pointer shows this control, so that the control's pointer
    // applies there too (e.g. a window another component draws over the control).
    virtual bool ShowsPointerIn(HWND window) const { return window == Handle(); }

    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Opens the context menu at a screen point; false when there is none to open.
    bool PopupContextMenu(POINT screen);

private:
    friend class Window;
    void AfterCreate();
    LRESULT HandleKey(UINT message, WPARAM wParam, LPARAM lParam);
    void RememberMargins();
    void FollowParent(int parentWidth, int parentHeight);
    void CreateToolTip(const MSG& firstMove);
    bool HasFrame() const;

    Window& parent_;
    Align align_ = Align::None;
    Anchors anchors_ = akLeft | akTop;
    int rightMargin_ = 0, bottomMargin_ = 0;
    std::wstring hint_;
    HWND toolTip_ = nullptr;
    std::optional<HCURSOR> cursor_;
};

// Recognises a double click from two presses within the system's double-click time and
// distance; a recognised pair does not start a new one.
class DoubleClickDetector {
public:
    // Records a press; true when it completes a double click.
    bool Press(DWORD time, POINT point);
    // Forgets the last press (e.g. when the platform delivered the double click itself).
    void Reset() { valid_ = false; }

private:
    bool valid_ = false;
    DWORD time_ = 0;
    POINT point_{};
};

// A control with the toolkit's own window class: background colour, cursor, painting,
// click and double-click recognition.
class CustomControl : public Control {
public:
    CustomControl(Window& parent, const Bounds& bounds);

    COLORREF Color() const { return color_; }
    void SetColor(COLORREF color);

    Event<HDC> OnPaint;

protected:
    // Fills the background in the control's colour, then raises OnPaint.
    virtual void Paint(HDC dc);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    COLORREF color_;
    bool leftDown_ = false;
    DoubleClickDetector doubleClick_;
};

} // namespace ui
