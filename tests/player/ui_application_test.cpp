#include "support/DialogRecorder.h"
#include "ui/Application.h"
#include "ui/Form.h"
#include "ui/StdControls.h"
#include <commctrl.h>
#include <gtest/gtest.h>
#include <stdexcept>

namespace {

TEST(ErrorBoxText, AddsAFullStopOnlyAfterCharactersSortingAfterIt)
{
    EXPECT_EQ(ui::ErrorBoxText(L"abc"), L"abc.");
    EXPECT_EQ(ui::ErrorBoxText(L"abc."), L"abc.");
    EXPECT_EQ(ui::ErrorBoxText(L"a)"), L"a)");
    EXPECT_EQ(ui::ErrorBoxText(L""), L"");
    EXPECT_EQ(ui::ErrorBoxText(L"Error: 0x8004027a ($8004027A)."),
              L"Error: 0x8004027a ($8004027A).");
    EXPECT_EQ(ui::ErrorBoxText(L"1/"), L"1/."); // '/' sorts right after '.'
    EXPECT_EQ(ui::ErrorBoxText(L"a-"), L"a-");  // '-' sorts before it
}

TEST(AnsiToWide, ConvertsTheAnsiCodePage)
{
    EXPECT_EQ(ui::AnsiToWide("Interface not supported"), L"Interface not supported");
    EXPECT_EQ(ui::AnsiToWide(""), L"");
}

class ErrorDisplay : public ::testing::Test {
protected:
    void SetUp() override
    {
        savedTitle = ui::Application::Instance().Title();
        ui::Application::Instance().SetTitle(L"Lumadisc");
    }
    void TearDown() override { ui::Application::Instance().SetTitle(savedTitle); }

    testsupport::DialogRecorder dialogs;
    std::wstring savedTitle;
};

TEST_F(ErrorDisplay, ShowsTheErrorTextInAStopBoxCaptionedWithTheTitle)
{
    ui::Application::Instance().ShowException(std::runtime_error("Interface not supported"));

    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].text, L"Interface not supported.");
    EXPECT_EQ(dialogs.boxes[0].caption, L"Lumadisc");
    EXPECT_EQ(dialogs.boxes[0].type & (MB_TYPEMASK | MB_ICONMASK), UINT(MB_OK | MB_ICONSTOP));
    EXPECT_EQ(dialogs.boxes[0].type & MB_MODEMASK, UINT(MB_APPLMODAL));
}

TEST_F(ErrorDisplay, GuardEndsOnlyTheFailingHandler)
{
    bool after = false;
    ui::Application::Instance().Guard([] { throw std::runtime_error("first"); });
    ui::Application::Instance().Guard([&] { after = true; });

    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].text, L"first.");
    EXPECT_TRUE(after);
}

TEST_F(ErrorDisplay, AnErrorInAnEventRaisedFromAWindowMessageReachesTheDisplay)
{
    ui::Form form({L"", {}, 0, 0, 200, 100});
    ui::Button button(form, {10, 10, 75, 25}, L"OK");
    int steps = 0;
    button.OnClick = [&] {
        ++steps;
        throw std::runtime_error("Boom");
        ++steps;
    };

    SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED),
                 reinterpret_cast<LPARAM>(button.Handle()));

    EXPECT_EQ(steps, 1);
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].text, L"Boom.");
    EXPECT_EQ(dialogs.boxes[0].caption, L"Lumadisc");
}

TEST_F(ErrorDisplay, AnErrorInANestedEventEndsOnlyThatEvent)
{
    // A handler that raises another event (e.g. by moving a slider) goes on after the inner
    // handler's failure was shown.
    ui::Form form({L"", {}, 0, 0, 200, 100});
    ui::Button outer(form, {10, 10, 75, 25}, L"Outer");
    ui::Button inner(form, {10, 40, 75, 25}, L"Inner");
    bool outerFinished = false;
    inner.OnClick = [] { throw std::runtime_error("inner failed"); };
    outer.OnClick = [&] {
        inner.Click();
        outerFinished = true;
    };

    outer.Click();

    EXPECT_TRUE(outerFinished);
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    EXPECT_EQ(dialogs.boxes[0].text, L"inner failed.");
}

HWND ThreadToolTip()
{
    HWND toolTip = nullptr;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM found) -> BOOL {
            wchar_t name[64];
            GetClassNameW(window, name, 64);
            if (lstrcmpiW(name, TOOLTIPS_CLASSW) == 0 && GetWindow(window, GW_OWNER) != nullptr) {
                *reinterpret_cast<HWND*>(found) = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&toolTip));
    return toolTip;
}

// The tip window comes with the pointer's first move over the control, and then carries
// the hint given before it existed.
TEST(HintHidePause, ReachesToolTipsOfHintedControls)
{
    ui::Form form({L"", {}, 0, 0, 200, 100});
    ui::Button button(form, {10, 10, 75, 25}, L"OK");
    button.SetHint(L"Press me");
    EXPECT_EQ(ThreadToolTip(), nullptr) << "no tip window before the pointer came";
    SendMessageW(button.Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5));
    HWND toolTip = ThreadToolTip();
    ASSERT_NE(toolTip, nullptr);
    wchar_t text[32] = L"";
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = form.Handle();
    tool.uId = reinterpret_cast<UINT_PTR>(button.Handle());
    tool.lpszText = text;
    SendMessageW(toolTip, TTM_GETTEXTW, 32, reinterpret_cast<LPARAM>(&tool));
    EXPECT_STREQ(text, L"Press me");

    const UINT saved = ui::Application::Instance().HintHidePause();
    ui::Application::Instance().SetHintHidePause(7000);
    EXPECT_EQ(SendMessageW(toolTip, TTM_GETDELAYTIME, TTDT_AUTOPOP, 0), 7000);
    ui::Application::Instance().SetHintHidePause(saved);
}

} // namespace
