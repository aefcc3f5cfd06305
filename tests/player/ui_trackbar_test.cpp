#include "ui/Form.h"
#include "ui/TrackBar.h"
#include <commctrl.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

class TrackBarTest : public ::testing::Test {
protected:
    TrackBarTest()
    {
        bar.SetRange(0, 100);
        bar.SetPosition(0);
        bar.SetPageSize(10);
        bar.SetLineSize(1);
        bar.OnChange = [this] { changes.push_back(bar.Position()); };
    }

    void Key(WORD key)
    {
        SendMessageW(bar.Handle(), WM_KEYDOWN, key, 1);
        SendMessageW(bar.Handle(), WM_KEYUP, key, 0xC0000001);
    }

    ui::Form form{{L"", {}, 100, 100, 300, 60}};
    ui::MouseBar bar{form, {10, 10, 200, 30}};
    std::vector<int> changes;
};

TEST_F(TrackBarTest, PositionFromCodeIsClampedAndRaisesOnlyRealChanges)
{
    bar.SetPosition(40);
    bar.SetPosition(40);
    bar.SetPosition(250);
    bar.SetPosition(100);
    bar.SetPosition(-3);

    EXPECT_EQ(changes, (std::vector<int>{40, 100, 0}));
    EXPECT_EQ(SendMessageW(bar.Handle(), TBM_GETPOS, 0, 0), 0);
}

TEST_F(TrackBarTest, AMoveRepaintsTheWholeBarSoNoOldThumbStays)
{
    form.Show();
    UpdateWindow(bar.Handle());
    bar.SetPosition(70);
    RECT dirty{}, client{};
    GetUpdateRect(bar.Handle(), &dirty, FALSE);
    GetClientRect(bar.Handle(), &client);
    EXPECT_TRUE(EqualRect(&dirty, &client));
}

TEST_F(TrackBarTest, AnEmptyRangeHoldsThePositionAtZero)
{
    bar.SetRange(0, 0);
    bar.SetPosition(3725);
    EXPECT_EQ(bar.Position(), 0);
    EXPECT_TRUE(changes.empty());
}

TEST_F(TrackBarTest, NarrowingTheRangeMovesThePositionInsideIt)
{
    bar.SetPosition(80);
    changes.clear();

    bar.SetMax(50);

    EXPECT_EQ(bar.Position(), 50);
    EXPECT_EQ(changes, std::vector<int>{50});
    bar.SetMax(200); // widening leaves the position alone
    EXPECT_EQ(changes, std::vector<int>{50});
}

TEST_F(TrackBarTest, KeysMoveByLineAndPageSizeWithOneChangeEach)
{
    bar.SetFocus();
    Key(VK_RIGHT);
    Key(VK_RIGHT);
    Key(VK_NEXT);
    Key(VK_LEFT);

    EXPECT_EQ(changes, (std::vector<int>{1, 2, 12, 11}));
}

TEST_F(TrackBarTest, KeysStopAtTheEndsWithoutRaising)
{
    Key(VK_LEFT);
    Key(VK_HOME);
    EXPECT_TRUE(changes.empty());
}

TEST_F(TrackBarTest, KeyDownHandlerRunsBeforeTheSlidersOwnStep)
{
    // The volume slider adds its own step in its key handler and lets the key through.
    bar.OnKeyDown = [this](WORD& key, ui::ShiftState) {
        if (key == VK_RIGHT) bar.SetPosition(bar.Position() + 9);
    };
    Key(VK_RIGHT);
    EXPECT_EQ(changes, (std::vector<int>{9, 10}));
}

TEST_F(TrackBarTest, AClickOnTheChannelReportsThePressBeforeThePageStep)
{
    std::vector<std::string> log;
    bar.OnMouseDown = [&](ui::MouseButton button, ui::ShiftState, int, int) {
        log.push_back(button == ui::MouseButton::Left ? "down" : "other down");
    };
    bar.OnMouseUp = [&](ui::MouseButton, ui::ShiftState, int, int) { log.push_back("up"); };
    bar.OnChange = [&] { log.push_back("change " + std::to_string(bar.Position())); };

    RECT channel;
    SendMessageW(bar.Handle(), TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
    const LPARAM nearEnd = MAKELPARAM(channel.right - 3, (channel.top + channel.bottom) / 2);
    SendMessageW(bar.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, nearEnd);
    SendMessageW(bar.Handle(), WM_LBUTTONUP, 0, nearEnd);

    EXPECT_EQ(log, (std::vector<std::string>{"down", "change 10", "up"}));
}

TEST_F(TrackBarTest, RightButtonEventsCarryTheirButton)
{
    std::vector<ui::MouseButton> buttons;
    bar.OnMouseDown = [&](ui::MouseButton button, ui::ShiftState, int x, int y) {
        buttons.push_back(button);
        EXPECT_EQ(x, 7);
        EXPECT_EQ(y, 5);
    };
    SendMessageW(bar.Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(7, 5));
    SendMessageW(bar.Handle(), WM_RBUTTONUP, 0, MAKELPARAM(7, 5));
    EXPECT_EQ(buttons, std::vector<ui::MouseButton>{ui::MouseButton::Right});
}

TEST(TrackBarSettings, AreKeptByTheControl)
{
    ui::Form form({L"", {}, 0, 0, 300, 60});
    ui::TrackBar bar(form, {0, 0, 94, 17}, false);
    bar.SetRange(0, 10000);
    bar.SetPageSize(1000);
    bar.SetLineSize(1);
    bar.SetThumbLength(13);
    bar.SetFrequency(1000);

    EXPECT_EQ(bar.Min(), 0);
    EXPECT_EQ(bar.Max(), 10000);
    EXPECT_EQ(bar.PageSize(), 1000);
    EXPECT_EQ(bar.LineSize(), 1);
    EXPECT_EQ(bar.ThumbLength(), 13);
    EXPECT_TRUE(GetWindowLongW(bar.Handle(), GWL_STYLE) & TBS_NOTICKS);
}

} // namespace
