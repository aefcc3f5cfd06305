#include "FramePainter.h"

#include <cmath>
#include <cstring>
#include <cwchar>

namespace lumanav {
namespace {

constexpr COLORREF titleBackground = RGB(22, 30, 60);
constexpr COLORREF menuBackground = RGB(18, 46, 34);
constexpr COLORREF textColour = RGB(240, 240, 240);
constexpr COLORREF dimText = RGB(160, 170, 190);
constexpr COLORREF selectedFill = RGB(240, 200, 40);
constexpr COLORREF activatedFill = RGB(220, 60, 60);

GdiObject<HFONT> makeFont(int height, int weight)
{
    return GdiObject<HFONT>(CreateFontW(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                                        CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_SWISS, L"Tahoma"));
}

}  // namespace

std::wstring formatRunningTime(const nav::Hmsf& time)
{
    wchar_t text[32];
    std::swprintf(text, 32, L"%u:%02u:%02u.%02u", time.hours, time.minutes, time.seconds, time.frames);
    return text;
}

std::wstring formatStreams(const nav::FrameInfo& frame)
{
    wchar_t text[96];
    std::swprintf(text, 96, L"Audio %d   Subtitles %d (%ls)   Angle %d", frame.audio + 1, frame.subpicture + 1,
                  frame.subpictureShown ? L"shown" : L"hidden", frame.angle);
    return text;
}

std::wstring formatRate(double rate)
{
    if (rate == 1.0) return {};
    wchar_t text[32];
    std::swprintf(text, 32, L"%ls %g\u00D7", rate < 0 ? L"Backward" : L"Forward", std::fabs(rate));
    return text;
}

FramePainter::FramePainter(int width, int height) : width_(width), height_(height)
{
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // bottom-up, the layout of the pin's frames
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    dc_.reset(CreateCompatibleDC(nullptr));
    bitmap_.reset(CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits_, nullptr, 0));
    if (!dc_ || !bitmap_) {
        bits_ = nullptr;
        return;
    }
    selected_.emplace(dc_.get(), bitmap_.get());
    large_ = makeFont(scaled(44), FW_BOLD);
    medium_ = makeFont(scaled(28), FW_NORMAL);
    small_ = makeFont(scaled(20), FW_NORMAL);
    SetBkMode(dc_.get(), TRANSPARENT);
}

int FramePainter::scaled(int value) const { return value * height_ / 480; }

void FramePainter::render(const nav::FrameInfo& frame, std::uint8_t* pixels)
{
    if (!valid()) {
        std::memset(pixels, 0, static_cast<size_t>(width_) * height_ * 4);
        return;
    }
    switch (frame.domain) {
    case nav::Domain::Title: paintTitle(frame); break;
    case nav::Domain::VideoManagerMenu:
    case nav::Domain::VideoTitleSetMenu: paintMenu(frame); break;
    case nav::Domain::FirstPlay: paintMessage(L"Starting the disc"); break;
    case nav::Domain::Stop: paintMessage(L"Stopped"); break;
    }
    GdiFlush();
    std::memcpy(pixels, bits_, static_cast<size_t>(width_) * height_ * 4);
}

void FramePainter::paintTitle(const nav::FrameInfo& frame)
{
    fill({0, 0, width_, height_}, titleBackground);
    wchar_t heading[64];
    std::swprintf(heading, 64, L"Title %d   Chapter %d", frame.title, frame.chapter);
    write(heading, {0, scaled(70), width_, scaled(130)}, large_.get(), textColour, DT_CENTER);
    write(formatRunningTime(frame.time.time), {0, scaled(160), width_, scaled(220)}, large_.get(), textColour, DT_CENTER);
    write(formatStreams(frame), {0, scaled(260), width_, scaled(300)}, medium_.get(), dimText, DT_CENTER);
    std::wstring state = formatRate(frame.rate);
    if (frame.still) state = L"Still picture";
    write(state, {0, scaled(320), width_, scaled(360)}, medium_.get(), selectedFill, DT_CENTER);

    // A block sweeping along the bottom, a step per frame, shows the pictures move.
    const int framesPerSecond = frame.time.flags & nav::Fps25 ? 25 : 30;
    const int position = (frame.time.time.seconds % 4) * framesPerSecond + frame.time.time.frames;
    const int step = (width_ - scaled(24)) / (4 * framesPerSecond);
    const int left = position * step;
    fill({left, height_ - scaled(60), left + scaled(24), height_ - scaled(36)}, textColour);
}

void FramePainter::paintMenu(const nav::FrameInfo& frame)
{
    fill({0, 0, width_, height_}, menuBackground);
    const wchar_t* name = frame.domain == nav::Domain::VideoManagerMenu ? L"Disc menu" : L"Title set menu";
    write(name, {0, scaled(16), width_, scaled(60)}, medium_.get(), dimText, DT_CENTER);

    // Buttons come in the picture's source coordinates, which may differ from ours.
    const auto x = [&](int value) { return frame.width > 0 ? value * width_ / frame.width : value; };
    const auto y = [&](int value) { return frame.height > 0 ? value * height_ / frame.height : value; };
    for (const nav::Button& button : frame.buttons) {
        const RECT area{x(button.rect.left), y(button.rect.top), x(button.rect.right), y(button.rect.bottom)};
        COLORREF colour = textColour;
        if (button.number == frame.activatedButton) {
            fill(area, activatedFill);
        } else if (button.number == frame.selectedButton) {
            fill(area, selectedFill);
            colour = RGB(0, 0, 0);
        } else {
            const int edge = scaled(2) > 0 ? scaled(2) : 1;
            fill({area.left, area.top, area.right, area.top + edge}, textColour);
            fill({area.left, area.bottom - edge, area.right, area.bottom}, textColour);
            fill({area.left, area.top, area.left + edge, area.bottom}, textColour);
            fill({area.right - edge, area.top, area.right, area.bottom}, textColour);
        }
        write(L"Button " + std::to_wstring(button.number), area, small_.get(), colour, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
    if (frame.buttons.empty()) write(L"No buttons", {0, 0, width_, height_}, medium_.get(), dimText, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void FramePainter::paintMessage(const wchar_t* message)
{
    fill({0, 0, width_, height_}, RGB(0, 0, 0));
    write(message, {0, 0, width_, height_}, medium_.get(), dimText, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void FramePainter::fill(const RECT& area, COLORREF colour)
{
    SetDCBrushColor(dc_.get(), colour);
    FillRect(dc_.get(), &area, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

void FramePainter::write(const std::wstring& text, RECT area, HFONT font, COLORREF colour, UINT format)
{
    if (text.empty()) return;
    Selection selection(dc_.get(), font);
    SetTextColor(dc_.get(), colour);
    DrawTextW(dc_.get(), text.c_str(), static_cast<int>(text.size()), &area, format | DT_NOPREFIX);
}

}  // namespace lumanav
