#pragma once
#include "Handles.h"

namespace ui {

// Indexes of the player's 16 x 16 glyphs.
namespace glyph {
constexpr int Play = 0, Pause = 1, Stop = 2, PreviousChapter = 3, NextChapter = 4, RootMenu = 5,
              TitleMenu = 6, Audio = 7, Subtitle = 8, ChapterList = 9, FullScreen = 10, Open = 11,
              Eject = 12, Loudspeaker = 13, Muted = 14, Settings = 15, Information = 16,
              Question = 17, Angle = 18, Menu = 19, Drive = 20, Rewind = 21;
constexpr int Count = 22;
} // namespace glyph

// An image list of the platform, destroyed with the object.
class ImageList {
public:
    ImageList(int width, int height);
    // The player's glyphs, drawn in code, in the order of the glyph namespace.
    static ImageList PlayerGlyphs();

    HIMAGELIST Handle() const { return list_.Get(); }
    int Count() const;
    // Adds a bitmap whose pixels of the mask colour are transparent; answers its index.
    int AddMasked(HBITMAP bitmap, COLORREF mask);

private:
    ImageListHandle list_;
};

// Draws glyph `index` at (0, 0) of a 16 x 16 area of dc.
void DrawGlyph(HDC dc, int index);

} // namespace ui
