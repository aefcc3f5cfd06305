#include "ImageList.h"
#include <initializer_list>
#include <optional>
#include <stdexcept>
#include <vector>

namespace ui {

namespace {

constexpr COLORREF transparent = RGB(255, 0, 255);
constexpr COLORREF ink = RGB(32, 32, 32);
constexpr COLORREF green = RGB(0, 150, 40);
constexpr COLORREF blue = RGB(20, 70, 170);
constexpr COLORREF red = RGB(220, 0, 0);
constexpr COLORREF grey = RGB(128, 128, 128);
constexpr COLORREF silver = RGB(200, 200, 200);
constexpr COLORREF white = RGB(255, 255, 255);
constexpr COLORREF yellow = RGB(240, 200, 60);

// Small drawing helpers; coordinates are in the 16 x 16 cell.
class Painter {
public:
    explicit Painter(HDC dc) : dc_(dc) {}

    void Polygon(std::initializer_list<POINT> points, COLORREF fill, COLORREF outline)
    {
        Tools tools(dc_, fill, outline, 1);
        std::vector<POINT> list(points);
        ::Polygon(dc_, list.data(), static_cast<int>(list.size()));
    }
    void Box(int left, int top, int right, int bottom, COLORREF fill, COLORREF outline)
    {
        Tools tools(dc_, fill, outline, 1);
        Rectangle(dc_, left, top, right, bottom);
    }
    void Fill(int left, int top, int right, int bottom, COLORREF color)
    {
        const RECT rect{left, top, right, bottom};
        BrushHandle brush(CreateSolidBrush(color));
        FillRect(dc_, &rect, brush.Get());
    }
    void Disc(int left, int top, int right, int bottom, COLORREF fill, COLORREF outline)
    {
        Tools tools(dc_, fill, outline, 1);
        Ellipse(dc_, left, top, right, bottom);
    }
    void Ring(int left, int top, int right, int bottom, COLORREF color, int width)
    {
        Tools tools(dc_, std::nullopt, color, width);
        Ellipse(dc_, left, top, right, bottom);
    }
    void Line(std::initializer_list<POINT> points, COLORREF color, int width = 1)
    {
        Tools tools(dc_, std::nullopt, color, width);
        std::vector<POINT> list(points);
        Polyline(dc_, list.data(), static_cast<int>(list.size()));
    }
    void Arc(int left, int top, int right, int bottom, POINT from, POINT to, COLORREF color,
             int width = 1)
    {
        Tools tools(dc_, std::nullopt, color, width);
        ::Arc(dc_, left, top, right, bottom, from.x, from.y, to.x, to.y);
    }

private:
    // Pen and brush selected for one shape; no brush draws outlines only.
    class Tools {
    public:
        Tools(HDC dc, std::optional<COLORREF> fill, COLORREF outline, int width)
            : pen_(CreatePen(PS_SOLID, width, outline)),
              brush_(fill ? CreateSolidBrush(*fill) : nullptr), selectPen_(dc, pen_.Get()),
              selectBrush_(dc,
                           brush_ ? static_cast<HGDIOBJ>(brush_.Get()) : GetStockObject(NULL_BRUSH))
        {
        }

    private:
        UniqueHandle<HPEN, DeleteGdiObject> pen_;
        BrushHandle brush_;
        SelectGuard selectPen_;
        SelectGuard selectBrush_;
    };

    HDC dc_;
};

void Loudspeaker(Painter& p)
{
    p.Box(1, 5, 5, 11, ink, ink);
    p.Polygon({{4, 5}, {9, 1}, {9, 14}, {4, 10}}, silver, ink);
}

} // namespace

void DrawGlyph(HDC dc, int index)
{
    Painter p(dc);
    switch (index) {
    case glyph::Play:
        p.Polygon({{4, 2}, {13, 8}, {4, 14}}, green, RGB(0, 90, 20));
        break;
    case glyph::Pause:
        p.Box(3, 3, 7, 14, blue, ink);
        p.Box(9, 3, 13, 14, blue, ink);
        break;
    case glyph::Stop:
        p.Box(3, 3, 13, 13, blue, ink);
        break;
    case glyph::PreviousChapter:
        p.Box(2, 3, 5, 14, blue, ink);
        p.Polygon({{14, 3}, {5, 8}, {14, 13}}, blue, ink);
        break;
    case glyph::NextChapter:
        p.Polygon({{2, 3}, {11, 8}, {2, 13}}, blue, ink);
        p.Box(11, 3, 14, 14, blue, ink);
        break;
    case glyph::RootMenu: // a house: the disc's top menu
        p.Polygon({{1, 8}, {8, 1}, {15, 8}}, red, ink);
        p.Box(3, 8, 13, 15, yellow, ink);
        p.Box(7, 10, 10, 15, RGB(120, 70, 20), ink);
        break;
    case glyph::TitleMenu: // a screen showing a T
        p.Box(1, 2, 15, 14, white, ink);
        p.Fill(4, 4, 12, 6, blue);
        p.Fill(7, 6, 9, 12, blue);
        break;
    case glyph::Audio: // a note
        p.Disc(2, 10, 8, 15, ink, ink);
        p.Fill(6, 2, 8, 13, ink);
        p.Polygon({{7, 2}, {13, 4}, {13, 7}, {8, 5}}, ink, ink);
        break;
    case glyph::Subtitle: // a speech balloon with text lines
        p.Polygon({{1, 2}, {14, 2}, {14, 11}, {7, 11}, {3, 15}, {4, 11}, {1, 11}}, white, ink);
        p.Fill(3, 5, 12, 6, ink);
        p.Fill(3, 8, 10, 9, ink);
        break;
    case glyph::ChapterList:
        for (int row = 0; row < 3; ++row) {
            p.Fill(1, 2 + row * 5, 4, 5 + row * 5, blue);
            p.Fill(6, 3 + row * 5, 15, 4 + row * 5, ink);
        }
        break;
    case glyph::FullScreen: // a screen with arrows to its corners
        p.Box(3, 4, 13, 12, white, ink);
        p.Line({{1, 4}, {1, 1}, {4, 1}}, blue, 2);
        p.Line({{11, 1}, {14, 1}, {14, 4}}, blue, 2);
        p.Line({{1, 11}, {1, 14}, {4, 14}}, blue, 2);
        p.Line({{11, 14}, {14, 14}, {14, 11}}, blue, 2);
        break;
    case glyph::Open: // a folder
        p.Polygon({{1, 3}, {6, 3}, {7, 5}, {14, 5}, {14, 14}, {1, 14}}, RGB(200, 160, 40), ink);
        p.Polygon({{1, 14}, {4, 8}, {16, 8}, {14, 14}}, yellow, ink);
        break;
    case glyph::Eject:
        p.Polygon({{2, 9}, {8, 2}, {14, 9}}, ink, ink);
        p.Box(2, 11, 15, 14, ink, ink);
        break;
    case glyph::Loudspeaker: // with sound waves
        Loudspeaker(p);
        p.Line({{11, 5}, {12, 7}, {12, 9}, {11, 11}}, blue);
        p.Line({{13, 3}, {14, 5}, {14, 10}, {13, 12}}, blue);
        break;
    case glyph::Muted: // struck through by a red circle
        Loudspeaker(p);
        p.Ring(1, 1, 16, 16, red, 2);
        p.Line({{4, 4}, {13, 13}}, red, 2);
        break;
    case glyph::Settings: // a gear
        p.Line({{8, 0}, {8, 16}}, grey, 3);
        p.Line({{0, 8}, {16, 8}}, grey, 3);
        p.Line({{2, 2}, {14, 14}}, grey, 3);
        p.Line({{14, 2}, {2, 14}}, grey, 3);
        p.Disc(2, 2, 14, 14, grey, ink);
        p.Disc(5, 5, 11, 11, white, ink);
        break;
    case glyph::Information:
        p.Disc(0, 0, 16, 16, blue, blue);
        p.Fill(7, 3, 9, 5, white);
        p.Fill(7, 7, 9, 13, white);
        break;
    case glyph::Question:
        p.Line({{4, 5}, {4, 3}, {6, 1}, {10, 1}, {12, 3}, {12, 6}, {8, 9}, {8, 11}}, blue, 2);
        p.Fill(7, 13, 10, 16, blue);
        break;
    case glyph::Angle: // a camera
        p.Box(1, 5, 11, 13, grey, ink);
        p.Polygon({{11, 7}, {15, 5}, {15, 13}, {11, 11}}, grey, ink);
        p.Disc(3, 1, 7, 5, silver, ink);
        p.Disc(7, 1, 11, 5, silver, ink);
        break;
    case glyph::Menu: // a pop-up menu with a highlighted row
        p.Box(2, 1, 14, 15, white, ink);
        p.Fill(4, 4, 12, 5, ink);
        p.Fill(3, 7, 13, 10, blue);
        p.Fill(4, 12, 12, 13, ink);
        break;
    case glyph::Drive: // an optical disc
        p.Disc(1, 1, 15, 15, silver, ink);
        p.Arc(3, 3, 13, 13, {13, 3}, {3, 13}, white, 2);
        p.Disc(6, 6, 10, 10, white, ink);
        break;
    case glyph::Rewind:
        p.Polygon({{8, 3}, {1, 8}, {8, 13}}, blue, ink);
        p.Polygon({{15, 3}, {8, 8}, {15, 13}}, blue, ink);
        break;
    }
}

// Kept in the screen's own format, so that drawing a glyph on a button converts no pixels.
ImageList::ImageList(int width, int height)
    : list_(ImageList_Create(width, height, ILC_COLORDDB | ILC_MASK, 0, 4))
{
    if (!list_) throw std::runtime_error("Cannot create an image list");
}

// Drawn side by side in one strip and added at once: a masked add per glyph costs a mask
// and a copy each, on the way to the first paint.
ImageList ImageList::PlayerGlyphs()
{
    constexpr int size = 16;
    ImageList list(size, size);
    HDC screen = GetDC(nullptr);
    BitmapHandle strip(CreateCompatibleBitmap(screen, size * glyph::Count, size));
    ReleaseDC(nullptr, screen);
    MemoryDC dc;
    {
        SelectGuard select(dc.Get(), strip.Get());
        Painter(dc.Get()).Fill(0, 0, size * glyph::Count, size, transparent);
        for (int index = 0; index < glyph::Count; ++index) {
            SetViewportOrgEx(dc.Get(), size * index, 0, nullptr);
            IntersectClipRect(dc.Get(), 0, 0, size, size); // a wide pen stays in its own cell
            DrawGlyph(dc.Get(), index);
            SelectClipRgn(dc.Get(), nullptr);
        }
    }
    list.AddMasked(strip.Get(), transparent);
    return list;
}

int ImageList::Count() const { return ImageList_GetImageCount(list_.Get()); }

int ImageList::AddMasked(HBITMAP bitmap, COLORREF mask)
{
    return ImageList_AddMasked(list_.Get(), bitmap, mask);
}

} // namespace ui
