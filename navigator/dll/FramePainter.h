#pragma once
// Draws what plays, so a person can follow it without a video decoder: in titles the title,
// chapter, running time and chosen streams; in menus the disc's buttons with the selected
// one highlighted. GDI into a DIB section of the picture's size.

#include "FrameSource.h"
#include "Gdi.h"

#include <optional>
#include <string>

namespace lumanav {

class FramePainter final : public FrameSource {
public:
    FramePainter(int width, int height);
    bool valid() const { return bits_ != nullptr; }

    void render(const nav::FrameInfo& frame, std::uint8_t* pixels) override;

private:
    void paintTitle(const nav::FrameInfo& frame);
    void paintMenu(const nav::FrameInfo& frame);
    void paintMessage(const wchar_t* message);
    void fill(const RECT& area, COLORREF colour);
    void write(const std::wstring& text, RECT area, HFONT font, COLORREF colour, UINT format);
    int scaled(int value) const;

    int width_;
    int height_;
    void* bits_ = nullptr;
    MemoryDc dc_;
    GdiObject<HBITMAP> bitmap_;
    std::optional<Selection> selected_;
    GdiObject<HFONT> large_;
    GdiObject<HFONT> medium_;
    GdiObject<HFONT> small_;
};

// The running time as the picture shows it, e.g. "1:02:03.04" (hours, minutes, seconds, frames).
std::wstring formatRunningTime(const nav::Hmsf& time);
// The chosen streams, e.g. "Audio 1   Subtitles 2 (hidden)   Angle 1".
std::wstring formatStreams(const nav::FrameInfo& frame);
// The speed, e.g. "Forward 2×", "Backward 4×", empty at normal speed.
std::wstring formatRate(double rate);

}  // namespace lumanav
