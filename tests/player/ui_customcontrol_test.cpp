#include "support/DialogRecorder.h"
#include "ui/Control.h"
#include "ui/Form.h"
#include "ui/Menu.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

TEST(DoubleClickDetector, PairsPressesWithinTheSystemTimeAndDistance)
{
    const DWORD limit = GetDoubleClickTime();
    const int half = GetSystemMetrics(SM_CXDOUBLECLK) / 2;

    ui::DoubleClickDetector nearby;
    EXPECT_FALSE(nearby.Press(1000, {50, 50}));
    EXPECT_TRUE(nearby.Press(1000 + limit, {50 + half, 50}));

    ui::DoubleClickDetector slow;
    slow.Press(1000, {50, 50});
    EXPECT_FALSE(slow.Press(1000 + limit + 1, {50, 50}));

    ui::DoubleClickDetector distant;
    distant.Press(1000, {50, 50});
    EXPECT_FALSE(distant.Press(1001, {50 + half + 1, 50}));
}

TEST(DoubleClickDetector, AThirdPressStartsAnewAndATooSlowOneCountsAsFirst)
{
    ui::DoubleClickDetector detector;
    detector.Press(0, {5, 5});
    EXPECT_TRUE(detector.Press(10, {5, 5}));
    EXPECT_FALSE(detector.Press(20, {5, 5}));
    EXPECT_TRUE(detector.Press(30, {5, 5}));

    detector.Press(100, {5, 5});
    detector.Press(100 + GetDoubleClickTime() + 5, {5, 5}); // too late: a new first press
    EXPECT_TRUE(detector.Press(100 + GetDoubleClickTime() + 10, {5, 5}));
}

TEST(DoubleClickDetector, TheTickCounterMayWrap)
{
    ui::DoubleClickDetector detector;
    detector.Press(0xFFFFFFF0u, {5, 5});
    EXPECT_TRUE(detector.Press(0x10u, {5, 5}));
}

class CustomControlTest : public ::testing::Test {
protected:
    CustomControlTest()
    {
        control.OnDblClick = [this] { log.push_back("double"); };
        control.OnClick = [this] { log.push_back("click"); };
        control.OnMouseDown = [this](ui::MouseButton button, ui::ShiftState shift, int x, int y) {
            log.push_back(std::string(button == ui::MouseButton::Left ? "left" : "other") +
                          ((shift & ui::ssDouble) ? " double" : "") + " down " + std::to_string(x) +
                          "," + std::to_string(y));
        };
    }

    void Send(UINT message, int x = 10, int y = 10)
    {
        SendMessageW(control.Handle(), message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON,
                     MAKELPARAM(x, y));
    }

    ui::Form form{{L"", {}, 0, 0, 302, 233}};
    ui::CustomControl control{form, {0, 0, 302, 233}};
    std::vector<std::string> log;
};

TEST_F(CustomControlTest, TwoPlainPressesMakeOneDoubleClick)
{
    // As drained from a renderer window: presses, never WM_LBUTTONDBLCLK.
    Send(WM_LBUTTONDOWN);
    Send(WM_LBUTTONUP);
    Send(WM_LBUTTONDOWN);
    Send(WM_LBUTTONUP);
    EXPECT_EQ(log, (std::vector<std::string>{"left down 10,10", "click", "double",
                                             "left double down 10,10"}));
}

TEST_F(CustomControlTest, ThePlatformsDoubleClickIsRaisedOnce)
{
    Send(WM_LBUTTONDOWN);
    Send(WM_LBUTTONUP);
    Send(WM_LBUTTONDBLCLK);
    Send(WM_LBUTTONUP);
    Send(WM_LBUTTONDOWN); // a third press is a new first click
    EXPECT_EQ(log, (std::vector<std::string>{"left down 10,10", "click", "double",
                                             "left double down 10,10", "left down 10,10"}));
}

TEST_F(CustomControlTest, PressesFarApartStaySingle)
{
    const int apart = GetSystemMetrics(SM_CXDOUBLECLK) + 2;
    Send(WM_LBUTTONDOWN, 10, 10);
    Send(WM_LBUTTONDOWN, 10 + apart, 10);
    EXPECT_EQ(log, (std::vector<std::string>{"left down 10,10",
                                             "left down " + std::to_string(10 + apart) + ",10"}));
}

TEST_F(CustomControlTest, ARightPressIsNoHalfOfADoubleClick)
{
    SendMessageW(control.Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(10, 10));
    Send(WM_LBUTTONDOWN);
    EXPECT_EQ(log, (std::vector<std::string>{"other down 10,10", "left down 10,10"}));
}

class ReplacedCoordinates : public ui::CustomControl {
public:
    using CustomControl::CustomControl;

protected:
    void MouseDown(ui::MouseButton button, ui::ShiftState shift, int, int) override
    {
        CustomControl::MouseDown(button, shift, 1000, 2000);
    }
};

TEST(CustomControl, ADerivedControlCanReplaceTheCoordinates)
{
    ui::Form form({L"", {}, 0, 0, 100, 100});
    ReplacedCoordinates control(form, {0, 0, 100, 100});
    POINT seen{};
    control.OnMouseDown = [&](ui::MouseButton, ui::ShiftState, int x, int y) { seen = {x, y}; };
    SendMessageW(control.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 4));
    EXPECT_EQ(seen.x, 1000);
    EXPECT_EQ(seen.y, 2000);
}

TEST(CustomControl, ColourCursorAndPaint)
{
    ui::Form form({L"", {}, 0, 0, 100, 100});
    ui::CustomControl control(form, {0, 0, 100, 100});
    control.SetColor(RGB(0, 0, 0));
    EXPECT_EQ(control.Color(), RGB(0, 0, 0));

    EXPECT_EQ(control.Cursor(), LoadCursorW(nullptr, IDC_ARROW));
    control.SetCursor(nullptr);
    EXPECT_EQ(control.Cursor(), nullptr);
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    SendMessageW(control.Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(control.Handle()),
                 MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    EXPECT_EQ(GetCursor(), nullptr) << "the pointer is hidden over the control";

    int paints = 0;
    control.OnPaint = [&](HDC dc) {
        EXPECT_NE(dc, nullptr);
        ++paints;
    };
    SendMessageW(control.Handle(), WM_PAINT, 0, 0);
    EXPECT_EQ(paints, 1);
}

TEST(CustomControl, ContextRequestsOpenItsMenuThroughTheSeam)
{
    testsupport::DialogRecorder dialogs;
    ui::Form form({L"", {}, 0, 0, 100, 100});
    ui::CustomControl control(form, {0, 0, 100, 100});
    ui::PopupMenu popup;
    popup.Items().Add(L"Toggle fullscreen");
    control.ContextMenu = &popup;

    SendMessageW(control.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(control.Handle()),
                 MAKELPARAM(640, 480));

    ASSERT_EQ(dialogs.popups.size(), 1u);
    EXPECT_EQ(dialogs.popups[0].screen.x, 640);
    EXPECT_EQ(dialogs.popups[0].screen.y, 480);
}

TEST(CustomControl, DrainedKeysReachItsKeyEvents)
{
    ui::Form form({L"", {}, 0, 0, 100, 100});
    ui::CustomControl control(form, {0, 0, 100, 100});
    std::wstring typed;
    WORD pressed = 0;
    control.OnKeyPress = [&](wchar_t& ch) { typed += ch; };
    control.OnKeyDown = [&](WORD& key, ui::ShiftState) { pressed = key; };
    PostMessageW(control.Handle(), WM_KEYDOWN, VK_SPACE, 1);
    PostMessageW(control.Handle(), WM_CHAR, L' ', 1);
    MSG message;
    while (PeekMessageW(&message, control.Handle(), 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    EXPECT_EQ(pressed, VK_SPACE);
    EXPECT_EQ(typed, L" ");
}

} // namespace
