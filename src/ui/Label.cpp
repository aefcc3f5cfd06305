#include "Application.h"
#include "Form.h"
#include "StdControls.h"

namespace ui {

namespace {

// The text's width and the font's line height.
SIZE TextSize(HFONT font, const std::wstring& text)
{
    // A memory context measures as the screen does, without asking for the window's.
    HDC dc = CreateCompatibleDC(nullptr);
    SIZE size{};
    {
        SelectGuard select(dc, font);
        TEXTMETRICW metrics{};
        GetTextMetricsW(dc, &metrics);
        GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
        size.cy = metrics.tmHeight;
    }
    DeleteDC(dc);
    return size;
}

} // namespace

// Made at the size of its text in the form font that it gets: one move fewer per label on
// the way to the first paint.
Label::Label(Window& parent, int left, int top, const std::wstring& caption)
    : Control(parent), textColor_(GetSysColor(COLOR_BTNTEXT))
{
    const SIZE size = TextSize(Form::DefaultFont(), caption);
    CreateSystemClass(L"STATIC", WS_VISIBLE | SS_LEFT | SS_NOTIFY | SS_NOPREFIX, 0, caption.c_str(),
                      {left, top, size.cx, size.cy});
}

std::wstring Label::Caption() const { return WindowText(Handle()); }

// Sized before the text changes: the control paints the new text at once, and at the old
// width a longer text breaks onto a hidden second line, leaving a gap that only the newly
// exposed strip would repaint ("Volume:    %").
void Label::SetCaption(const std::wstring& caption)
{
    AutoSize(caption);
    SetWindowTextW(Handle(), caption.c_str());
}

void Label::SetBold(bool bold)
{
    bold_ = bold;
    UpdateFont();
}

void Label::SetUnderline(bool underline)
{
    underline_ = underline;
    UpdateFont();
}

void Label::SetTextColor(COLORREF color)
{
    textColor_ = color;
    InvalidateRect(Handle(), nullptr, TRUE);
}

void Label::UpdateFont()
{
    FontHandle font;
    if (bold_ || underline_) {
        LOGFONTW description{};
        GetObjectW(Form::DefaultFont(), sizeof(description), &description);
        description.lfWeight = bold_ ? FW_BOLD : FW_NORMAL;
        description.lfUnderline = underline_;
        font.Reset(CreateFontIndirectW(&description));
    }
    SetFont(font ? font.Get() : Form::DefaultFont());
    font_ = std::move(font); // the old font is released only once the control let go of it
    AutoSize(Caption());
}

void Label::AutoSize(const std::wstring& caption)
{
    const SIZE size = TextSize(Font(), caption);
    SetWindowPos(Handle(), nullptr, 0, 0, size.cx, size.cy,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool Label::HandleReflected(UINT message, WPARAM wParam, LPARAM, LRESULT& result)
{
    if (message == WM_CTLCOLORSTATIC) {
        HDC dc = reinterpret_cast<HDC>(wParam);
        ::SetTextColor(dc, textColor_);
        SetBkMode(dc, TRANSPARENT);
        result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        return true;
    }
    if (message == WM_COMMAND) {
        if (HIWORD(wParam) == STN_CLICKED) Click();
        if (HIWORD(wParam) == STN_DBLCLK) DblClick();
        result = 0;
        return true;
    }
    return false;
}

} // namespace ui
