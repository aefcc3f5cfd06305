#include "ui/Application.h"
#include "ui/Form.h"
#include "ui/StdControls.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

class ControlsTest : public ::testing::Test {
protected:
    ui::Form form{{L"", {}, 0, 0, 330, 314}};
};

TEST_F(ControlsTest, ALabelSizesItselfToItsCaption)
{
    ui::Label label(form, 445, 30, L"Speed:  0");
    EXPECT_EQ(label.Caption(), L"Speed:  0");
    EXPECT_EQ(label.Left(), 445);
    const int shortWidth = label.Width();
    EXPECT_GT(shortWidth, 0);
    EXPECT_GT(label.Height(), 0);

    label.SetCaption(L"Speed:  -16x");
    EXPECT_GT(label.Width(), shortWidth);
    label.SetBold(true);
    EXPECT_TRUE(label.Bold());
    LOGFONTW font{};
    GetObjectW(label.Font(), sizeof(font), &font);
    EXPECT_EQ(font.lfWeight, FW_BOLD);
}

TEST_F(ControlsTest, ALabelsCaptionShowsAmpersandsAsTyped)
{
    ui::Label label(form, 0, 0, L"Rock & Roll");
    EXPECT_TRUE(GetWindowLongW(label.Handle(), GWL_STYLE) & SS_NOPREFIX);
}

TEST_F(ControlsTest, ALinkLabelClicksAndPaintsInItsColour)
{
    ui::GroupBox group(form, {8, 8, 244, 115});
    ui::Label link(group, 8, 88, L"https://lumadisc.example/");
    link.SetUnderline(true);
    link.SetTextColor(RGB(0, 0, 255));
    link.SetCursor(LoadCursorW(nullptr, IDC_HAND));
    int clicks = 0;
    link.OnClick = [&] {
        ++clicks;
        link.SetTextColor(RGB(255, 0, 0));
    };

    SendMessageW(link.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
    SendMessageW(link.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));

    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(link.TextColor(), RGB(255, 0, 0));
    HDC dc = GetDC(link.Handle());
    SendMessageW(group.Handle(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(link.Handle()));
    EXPECT_EQ(GetTextColor(dc), RGB(255, 0, 0));
    ReleaseDC(link.Handle(), dc);
    EXPECT_EQ(link.Cursor(), LoadCursorW(nullptr, IDC_HAND));
}

TEST_F(ControlsTest, AButtonSetsTheModalResultThenRaisesItsClick)
{
    ui::Button ok(form, {93, 134, 75, 25}, L"OK");
    ok.ModalResult = ui::mrOk;
    int resultSeen = -1;
    ok.OnClick = [&] { resultSeen = form.ModalResult(); };

    SendMessageW(ok.Handle(), BM_CLICK, 0, 0);

    EXPECT_EQ(resultSeen, ui::mrOk);
    EXPECT_EQ(ok.Caption(), L"OK");
}

TEST_F(ControlsTest, ACheckBoxRaisesItsClickForEveryChange)
{
    ui::CheckBox box(form, {24, 24, 177, 17}, L"Save window positions:", true);
    int clicks = 0;
    box.OnClick = [&] { ++clicks; };

    box.SetChecked(true);
    box.SetChecked(true);
    EXPECT_TRUE(box.Checked());
    SendMessageW(box.Handle(), BM_CLICK, 0, 0); // the user unticks it
    EXPECT_FALSE(box.Checked());
    EXPECT_EQ(clicks, 2);
    EXPECT_TRUE(GetWindowLongW(box.Handle(), GWL_STYLE) & BS_LEFTTEXT);
    EXPECT_EQ(box.Caption(), L"Save window positions:");
}

TEST_F(ControlsTest, ASortedComboBoxKeepsItsItemsInOrder)
{
    ui::ComboBox drives(form, {168, 128, 137, 21}, true);
    drives.SetItems({L"F:\\", L"D:\\  [MOVIE]", L"E:\\  [BACKUP]"});
    EXPECT_EQ(drives.Items(),
              (std::vector<std::wstring>{L"D:\\  [MOVIE]", L"E:\\  [BACKUP]", L"F:\\"}));
    EXPECT_EQ(drives.ItemIndex(), -1);
    EXPECT_EQ(drives.Text(), L"");

    EXPECT_TRUE(drives.SelectText(L"E:\\  [BACKUP]"));
    EXPECT_EQ(drives.ItemIndex(), 1);
    EXPECT_EQ(drives.Text(), L"E:\\  [BACKUP]");

    EXPECT_FALSE(drives.SelectText(L"e:\\  [backup]")) << "only an exact match selects";
    EXPECT_EQ(drives.ItemIndex(), -1);

    drives.SetItems({L"G:\\"});
    EXPECT_EQ(drives.Count(), 1);
    EXPECT_EQ(drives.ItemIndex(), -1);
}

TEST_F(ControlsTest, AnUnsortedComboBoxKeepsTheGivenOrder)
{
    ui::ComboBox wheel(form, {168, 192, 137, 21});
    wheel.SetItems({L"Volume", L"Speed", L"Next/previous chapter", L"", L""});
    wheel.SetItemIndex(0);
    EXPECT_EQ(wheel.Count(), 5);
    EXPECT_EQ(wheel.Item(2), L"Next/previous chapter");
    EXPECT_EQ(wheel.Text(), L"Volume");
    EXPECT_FALSE(GetWindowLongW(wheel.Handle(), GWL_STYLE) & CBS_SORT);
    EXPECT_EQ(wheel.AddItem(L"Window size"), 5);
}

TEST_F(ControlsTest, AComboBoxReportsTheUsersChoice)
{
    ui::ComboBox wheel(form, {168, 168, 137, 21});
    wheel.SetItems({L"Window size", L"Speed"});
    int changes = 0;
    wheel.OnChange = [&] { ++changes; };
    wheel.SetItemIndex(1); // from code: no notification
    SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(0, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(wheel.Handle()));
    EXPECT_EQ(changes, 1);
}

TEST_F(ControlsTest, AMemoAddsLinesAndGivesThemBack)
{
    ui::Memo memo(form, {12, 13, 337, 190});
    memo.AddLine(L"Video resolution:\t720x576");
    memo.AddLine(L"");
    memo.AddLine(L"Channels:\t\t2");

    EXPECT_EQ(memo.Text(), L"Video resolution:\t720x576\r\n\r\nChannels:\t\t2\r\n");
    EXPECT_EQ(memo.Lines(),
              (std::vector<std::wstring>{L"Video resolution:\t720x576", L"", L"Channels:\t\t2"}));
    memo.Clear();
    EXPECT_EQ(memo.Text(), L"");
    EXPECT_TRUE(memo.Lines().empty());

    memo.SetText(L"typed by the user"); // no line break at its end
    memo.AddLine(L"next");
    EXPECT_EQ(memo.Lines(), (std::vector<std::wstring>{L"typed by the user", L"next"}));
    const LONG style = GetWindowLongW(memo.Handle(), GWL_STYLE);
    EXPECT_FALSE(style & (WS_VSCROLL | WS_HSCROLL | ES_READONLY));
}

TEST_F(ControlsTest, AMemoIsPaintedInTheFaceColour)
{
    ui::Memo memo(form, {12, 13, 337, 190});
    HDC dc = GetDC(memo.Handle());
    const LRESULT brush = SendMessageW(form.Handle(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                                       reinterpret_cast<LPARAM>(memo.Handle()));
    EXPECT_EQ(reinterpret_cast<HBRUSH>(brush), GetSysColorBrush(COLOR_BTNFACE));
    EXPECT_EQ(GetBkColor(dc), GetSysColor(COLOR_BTNFACE));
    ReleaseDC(memo.Handle(), dc);
}

TEST_F(ControlsTest, PressesOnABevelOrAGroupBoxReachTheFormBelow)
{
    ui::Bevel bevel(form, {4, 6, 354, 205});
    ui::GroupBox group(form, {8, 220, 100, 60});
    EXPECT_EQ(SendMessageW(bevel.Handle(), WM_NCHITTEST, 0, MAKELPARAM(10, 10)), HTTRANSPARENT);
    EXPECT_EQ(SendMessageW(group.Handle(), WM_NCHITTEST, 0, MAKELPARAM(10, 10)), HTTRANSPARENT);
}

TEST_F(ControlsTest, ABevelLiesBeneathTheControlsItFrames)
{
    ui::Button before(form, {20, 20, 75, 25}, L"Before");
    ui::Bevel bevel(form, {4, 6, 354, 205});
    ui::Memo memo(form, {12, 13, 337, 190});
    ui::Button after(form, {128, 222, 75, 25}, L"Okay");
    EXPECT_EQ(GetWindow(form.Handle(), GW_CHILD), after.Handle()) << "the last created lies on top";
    EXPECT_EQ(GetWindow(bevel.Handle(), GW_HWNDNEXT), nullptr) << "the bevel lies at the bottom";
}

TEST_F(ControlsTest, TabMovesThroughTheControlsInCreationOrder)
{
    ui::CheckBox first(form, {24, 24, 177, 17}, L"Save window positions:", true);
    ui::Label label(form, 24, 131, L"Default DVD drive:");
    ui::ComboBox second(form, {168, 128, 137, 21}, true);
    ui::Panel panel(form, {0, 250, 330, 60});
    ui::Button third(panel, {10, 10, 75, 25}, L"OK");
    ui::Button hidden(form, {100, 10, 75, 25}, L"Hidden");
    hidden.SetVisible(false);

    EXPECT_EQ(form.NextTabStop(&first, false), &second);
    EXPECT_EQ(form.NextTabStop(&second, false), &third);
    EXPECT_EQ(form.NextTabStop(&third, false), &first);
    EXPECT_EQ(form.NextTabStop(&first, true), &third);
    EXPECT_EQ(form.NextTabStop(nullptr, false), &first);
}

TEST_F(ControlsTest, APanelsChildrenRaiseTheirEvents)
{
    ui::Panel panel(form, {8, 8, 244, 115});
    ui::Button ok(panel, {10, 10, 75, 25}, L"OK");
    int clicks = 0;
    ok.OnClick = [&] { ++clicks; };
    SendMessageW(ok.Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(ok.ParentForm(), &form);
    EXPECT_EQ(&ok.Parent(), &panel);
}

TEST_F(ControlsTest, HiddenAndDisabledStatesAreTheControls)
{
    ui::Button button(form, {10, 10, 75, 25}, L"OK");
    EXPECT_TRUE(button.Visible()) << "visible on a hidden form";
    button.SetVisible(false);
    EXPECT_FALSE(button.Visible());
    button.SetEnabled(false);
    EXPECT_FALSE(button.Enabled());
    button.SetBounds(20, 30, 80, 26);
    EXPECT_EQ(button.Left(), 20);
    EXPECT_EQ(button.Top(), 30);
    EXPECT_EQ(button.Width(), 80);
    EXPECT_EQ(button.Height(), 26);
}

} // namespace
