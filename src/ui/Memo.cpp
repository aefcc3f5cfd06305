#include "StdControls.h"

namespace ui {

namespace {
constexpr wchar_t lineBreak[] = L"\r\n";
}

Memo::Memo(Window& parent, const Bounds& bounds) : Control(parent)
{
    CreateSystemClass(L"EDIT",
                      WS_VISIBLE | WS_TABSTOP | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN,
                      WS_EX_CLIENTEDGE, L"", bounds);
}

void Memo::Clear() { SetText({}); }

void Memo::AddLine(const std::wstring& line)
{
    std::wstring addition;
    const std::wstring text = Text();
    if (!text.empty() && !text.ends_with(lineBreak)) addition = lineBreak;
    addition += line + lineBreak;
    const LRESULT end = GetWindowTextLengthW(Handle());
    SendMessageW(Handle(), EM_SETSEL, end, end);
    SendMessageW(Handle(), EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(addition.c_str()));
}

std::wstring Memo::Text() const { return WindowText(Handle()); }

void Memo::SetText(const std::wstring& text) { SetWindowTextW(Handle(), text.c_str()); }

std::vector<std::wstring> Memo::Lines() const
{
    std::vector<std::wstring> lines;
    const std::wstring text = Text();
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find(lineBreak, start);
        if (end == std::wstring::npos) {
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

bool Memo::HandleReflected(UINT message, WPARAM wParam, LPARAM, LRESULT& result)
{
    if (message != WM_CTLCOLOREDIT && message != WM_CTLCOLORSTATIC) return false;
    HDC dc = reinterpret_cast<HDC>(wParam);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    result = reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    return true;
}

} // namespace ui
