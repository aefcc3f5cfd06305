#include "StdControls.h"

namespace ui {

namespace {

void FillFace(HWND window, HDC dc, RECT& rect)
{
    GetClientRect(window, &rect);
    FillRect(dc, &rect, GetSysColorBrush(COLOR_BTNFACE));
}

} // namespace

GroupBox::GroupBox(Window& parent, const Bounds& bounds) : Control(parent)
{
    CreateSystemClass(L"BUTTON", WS_VISIBLE | WS_CLIPCHILDREN | BS_GROUPBOX, WS_EX_CONTROLPARENT,
                      L"", bounds);
}

LRESULT GroupBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    // A group box paints only its frame; under a parent that clips its children the inside
    // would otherwise keep whatever was there.
    if (message == WM_ERASEBKGND) {
        RECT rect;
        FillFace(Handle(), reinterpret_cast<HDC>(wParam), rect);
        return 1;
    }
    return Control::HandleMessage(message, wParam, lParam);
}

Bevel::Bevel(Window& parent, const Bounds& bounds, BevelShape shape)
    : Control(parent), shape_(shape)
{
    RegisterWindowClass(L"LumadiscBevel", CS_HREDRAW | CS_VREDRAW, LoadCursorW(nullptr, IDC_ARROW),
                        nullptr);
    CreateOwnClass(L"LumadiscBevel", WS_VISIBLE, 0, L"", bounds);
    // Beneath the controls it frames; they clip it.
    SetWindowPos(Handle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

LRESULT Bevel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_NCHITTEST:
        return HTTRANSPARENT; // presses reach the form below, e.g. to drag it
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(Handle(), &paint);
        RECT rect;
        FillFace(Handle(), dc, rect);
        DrawEdge(dc, &rect, shape_ == BevelShape::Lowered ? BDR_SUNKENOUTER : BDR_RAISEDINNER,
                 BF_RECT);
        EndPaint(Handle(), &paint);
        return 0;
    }
    }
    return Control::HandleMessage(message, wParam, lParam);
}

Panel::Panel(Window& parent, const Bounds& bounds) : Control(parent)
{
    RegisterWindowClass(L"LumadiscPanel", CS_HREDRAW | CS_VREDRAW, LoadCursorW(nullptr, IDC_ARROW),
                        nullptr);
    CreateOwnClass(L"LumadiscPanel", WS_VISIBLE | WS_CLIPCHILDREN, WS_EX_CONTROLPARENT, L"",
                   bounds);
}

LRESULT Panel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(Handle(), &paint);
        RECT rect;
        FillFace(Handle(), dc, rect);
        DrawEdge(dc, &rect, BDR_RAISEDOUTER, BF_RECT);
        InflateRect(&rect, -1, -1);
        DrawEdge(dc, &rect, BDR_SUNKENOUTER, BF_RECT);
        EndPaint(Handle(), &paint);
        return 0;
    }
    }
    return Control::HandleMessage(message, wParam, lParam);
}

} // namespace ui
