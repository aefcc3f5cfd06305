#include "support/DialogRecorder.h"
#include "ui/Application.h"
#include "ui/Form.h"
#include "ui/Menu.h"
#include "ui/ToolBar.h"
#include <commctrl.h>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <vector>

namespace {

using ui::ToolButtonStyle;

class ToolBarTest : public ::testing::Test {
protected:
    ToolBarTest()
    {
        play.SetHint(L"");
        next.SetHint(L"Next chapter");
        mute.SetHint(L"Mute");
    }

    void ClickAt(int x, int y)
    {
        SendMessageW(bar.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        SendMessageW(bar.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        ui::Application::Instance().ProcessMessages();
    }

    testsupport::DialogRecorder dialogs;
    ui::ImageList images = ui::ImageList::PlayerGlyphs();
    ui::Form form{{L"", {}, 0, 0, 670, 62}};
    ui::ToolBar bar{form, {7, 4, 522, 22}, &images};
    ui::ToolButton play{bar, ToolButtonStyle::DropDown, ui::glyph::Play, 36};
    ui::ToolButton pause{bar, ToolButtonStyle::Button, ui::glyph::Pause};
    ui::ToolButton separator{bar, ToolButtonStyle::Separator, -1, 8};
    ui::ToolButton next{bar, ToolButtonStyle::Button, ui::glyph::NextChapter};
    ui::ToolButton mute{bar, ToolButtonStyle::Button, ui::glyph::Loudspeaker};
};

TEST_F(ToolBarTest, ButtonsStandSideBySideAtTheirWidths)
{
    EXPECT_EQ(SendMessageW(bar.Handle(), TB_BUTTONCOUNT, 0, 0), 5);
    EXPECT_EQ(play.Rect().left, 0);
    EXPECT_EQ(pause.Rect().left, 36);
    EXPECT_EQ(separator.Rect().left, 59);
    EXPECT_EQ(next.Rect().left, 67);
    EXPECT_EQ(mute.Rect().left, 90);
    EXPECT_EQ(mute.Rect().right, 113);
}

TEST_F(ToolBarTest, ImageIndexIsTheControls)
{
    mute.SetImageIndex(ui::glyph::Muted);
    TBBUTTONINFOW info{};
    info.cbSize = sizeof(info);
    info.dwMask = TBIF_IMAGE;
    SendMessageW(bar.Handle(), TB_GETBUTTONINFOW, mute.Command(), reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.iImage, 14);
    EXPECT_EQ(mute.ImageIndex(), 14);
}

TEST_F(ToolBarTest, DownStateIsReadFromTheControl)
{
    mute.SetDown(true);
    EXPECT_TRUE(mute.Down());
    EXPECT_NE(SendMessageW(bar.Handle(), TB_ISBUTTONCHECKED, mute.Command(), 0), 0);
    EXPECT_FALSE(pause.Down());
    mute.SetDown(false);
    EXPECT_FALSE(mute.Down());
}

TEST_F(ToolBarTest, AClickOnAButtonRaisesItsClickOnce)
{
    int pauseClicks = 0, muteClicks = 0;
    pause.OnClick = [&] { ++pauseClicks; };
    mute.OnClick = [&] { ++muteClicks; };
    const RECT rect = pause.Rect();
    ClickAt((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    EXPECT_EQ(pauseClicks, 1);
    EXPECT_EQ(muteClicks, 0);
}

TEST_F(ToolBarTest, TheArrowPopsTheDropDownMenuBelowTheButton)
{
    ui::PopupMenu drives;
    drives.Items().Add(L"D:\\  [MOVIE]");
    play.DropdownMenu = &drives;
    int playClicks = 0;
    play.OnClick = [&] { ++playClicks; };

    const RECT rect = play.Rect();
    ClickAt(rect.right - 4, (rect.top + rect.bottom) / 2);

    ASSERT_EQ(dialogs.popups.size(), 1u);
    POINT corner{rect.left, rect.bottom};
    ClientToScreen(bar.Handle(), &corner);
    EXPECT_EQ(dialogs.popups[0].screen.x, corner.x);
    EXPECT_EQ(dialogs.popups[0].screen.y, corner.y);
    EXPECT_EQ(playClicks, 0);

    ClickAt(rect.left + 6, (rect.top + rect.bottom) / 2);
    EXPECT_EQ(playClicks, 1);
    EXPECT_EQ(dialogs.popups.size(), 1u);
}

TEST_F(ToolBarTest, HintsAnswerTheToolTipsQuestion)
{
    auto tip = [&](const ui::ToolButton& button) {
        wchar_t text[80] = L"unchanged";
        NMTBGETINFOTIPW request{};
        request.hdr.hwndFrom = bar.Handle();
        request.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(bar.Handle()));
        request.hdr.code = TBN_GETINFOTIPW;
        request.pszText = text;
        request.cchTextMax = 80;
        request.iItem = button.Command();
        SendMessageW(form.Handle(), WM_NOTIFY, request.hdr.idFrom,
                     reinterpret_cast<LPARAM>(&request));
        return std::wstring(text);
    };
    EXPECT_EQ(tip(next), L"Next chapter");
    EXPECT_EQ(tip(mute), L"Mute");
    EXPECT_EQ(tip(play), L"") << "no hint, no tip";
}

// The bar makes its tip window on the pointer's first move; the hide pause must reach it.
TEST_F(ToolBarTest, ItsTipWindowTakesTheHidePause)
{
    const RECT rect = next.Rect();
    SendMessageW(bar.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(rect.left + 4, rect.top + 4));
    HWND toolTip = reinterpret_cast<HWND>(SendMessageW(bar.Handle(), TB_GETTOOLTIPS, 0, 0));
    ASSERT_NE(toolTip, nullptr);
    const UINT saved = ui::Application::Instance().HintHidePause();
    ui::Application::Instance().SetHintHidePause(7000);
    EXPECT_EQ(SendMessageW(toolTip, TTM_GETDELAYTIME, TTDT_AUTOPOP, 0), 7000);
    ui::Application::Instance().SetHintHidePause(saved);
}

TEST_F(ToolBarTest, ARightClickOnAButtonOpensItsOwnMenu)
{
    ui::PopupMenu audio;
    audio.Items().Add(L"English");
    next.ContextMenu = &audio;
    const RECT rect = next.Rect();
    POINT point{rect.left + 3, rect.top + 3};
    ClientToScreen(bar.Handle(), &point);

    SendMessageW(bar.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(bar.Handle()),
                 MAKELPARAM(point.x, point.y));

    ASSERT_EQ(dialogs.popups.size(), 1u);
    EXPECT_EQ(dialogs.popups[0].screen.x, point.x);
}

TEST_F(ToolBarTest, ADestroyedButtonLeavesTheBar)
{
    {
        ui::ToolButton extra(bar, ToolButtonStyle::Button, ui::glyph::Question);
        EXPECT_EQ(bar.ButtonCount(), 6);
    }
    EXPECT_EQ(bar.ButtonCount(), 5);
    EXPECT_EQ(SendMessageW(bar.Handle(), TB_BUTTONCOUNT, 0, 0), 5);
}

// The glyphs as pixels: what each image draws on white.
std::vector<COLORREF> Pixels(const ui::ImageList& images, int index)
{
    HDC screen = GetDC(nullptr);
    ui::MemoryDC dc;
    ui::BitmapHandle bitmap(CreateCompatibleBitmap(screen, 16, 16));
    ReleaseDC(nullptr, screen);
    std::vector<COLORREF> pixels;
    ui::SelectGuard select(dc.Get(), bitmap.Get());
    const RECT all{0, 0, 16, 16};
    FillRect(dc.Get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    ImageList_Draw(images.Handle(), index, dc.Get(), 0, 0, ILD_TRANSPARENT);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) pixels.push_back(GetPixel(dc.Get(), x, y));
    return pixels;
}

bool HasRed(const std::vector<COLORREF>& pixels)
{
    for (COLORREF pixel : pixels)
        if (GetRValue(pixel) > 180 && GetGValue(pixel) < 60 && GetBValue(pixel) < 60) return true;
    return false;
}

TEST(PlayerGlyphs, TwentyTwoDistinctVisibleImagesWithTransparentCorners)
{
    const ui::ImageList images = ui::ImageList::PlayerGlyphs();
    ASSERT_EQ(images.Count(), 22);
    std::set<std::vector<COLORREF>> seen;
    for (int index = 0; index < images.Count(); ++index) {
        const std::vector<COLORREF> pixels = Pixels(images, index);
        const auto drawn = std::count_if(pixels.begin(), pixels.end(),
                                         [](COLORREF p) { return p != RGB(255, 255, 255); });
        EXPECT_GT(drawn, 20) << "glyph " << index;
        EXPECT_TRUE(seen.insert(pixels).second) << "glyph " << index << " repeats another";
    }
}

TEST(PlayerGlyphs, OnlyTheMutedLoudspeakerCarriesTheRedCircle)
{
    const ui::ImageList images = ui::ImageList::PlayerGlyphs();
    EXPECT_TRUE(HasRed(Pixels(images, ui::glyph::Muted)));
    EXPECT_FALSE(HasRed(Pixels(images, ui::glyph::Loudspeaker)));
}

} // namespace
