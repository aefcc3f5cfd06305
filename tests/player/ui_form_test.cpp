#include "support/DialogRecorder.h"
#include "ui/Application.h"
#include "ui/Control.h"
#include "ui/Form.h"
#include "ui/Menu.h"
#include "ui/StdControls.h"
#include "ui/Timer.h"
#include "ui/TrackBar.h"
#include <gtest/gtest.h>
#include <string>
#include <utility>
#include <vector>

namespace {

constexpr LPARAM altDown = 1 << 29;

ui::FormDesign Design(ui::BorderStyle border = ui::BorderStyle::Single)
{
    ui::FormDesign design;
    design.style.border = border;
    design.left = 50;
    design.top = 60;
    design.clientWidth = 816;
    design.clientHeight = 62;
    return design;
}

TEST(Form, ShowCloseQueryAndCloseRunInOrder)
{
    ui::Form form(Design());
    std::vector<std::string> log;
    bool allowClose = false;
    form.OnShow = [&] { log.push_back(form.Visible() ? "show (visible)" : "show"); };
    form.OnCloseQuery = [&](bool& canClose) {
        log.push_back("query");
        canClose = allowClose;
    };
    form.OnClose = [&] { log.push_back("close"); };

    form.Show();
    form.Show(); // already shown: only brought to the front
    form.Close();
    EXPECT_TRUE(form.Visible());
    allowClose = true;
    SendMessageW(form.Handle(), WM_CLOSE, 0, 0);

    EXPECT_FALSE(form.Visible());
    EXPECT_EQ(log, (std::vector<std::string>{"show", "query", "query", "close"}));
    EXPECT_TRUE(IsWindow(form.Handle())) << "closing only hides a form";
}

// The toolkit knows its own windows only, and only while they live: a notice reflected from
// a window it did not make, or from a handle whose control is gone, finds no object.
TEST(Form, FindsItsOwnWindowsOnlyWhileTheyLive)
{
    ui::Form form(Design());
    HWND foreign = CreateWindowExW(0, L"STATIC", L"", WS_CHILD, 0, 0, 10, 10, form.Handle(), nullptr,
                                   nullptr, nullptr);
    HWND deleted = nullptr;
    {
        ui::Label label(form, 1, 1, L"x");
        deleted = label.Handle();
        EXPECT_EQ(ui::Window::FromHandle(deleted), &label);
        EXPECT_EQ(ui::Form::Of(deleted), &form);
    }
    ui::Label destroyed(form, 1, 20, L"y");
    const HWND destroyedHandle = destroyed.Handle();
    DestroyWindow(destroyedHandle); // by the platform, behind the object's back

    EXPECT_EQ(ui::Window::FromHandle(deleted), nullptr);
    EXPECT_EQ(ui::Window::FromHandle(destroyedHandle), nullptr);
    EXPECT_EQ(ui::Window::FromHandle(foreign), nullptr);
    EXPECT_EQ(ui::Window::FromHandle(nullptr), nullptr);
    DestroyWindow(foreign);
}

TEST(Form, ClientSizeSettersKeepTheOtherDimension)
{
    ui::Form form(Design());
    EXPECT_EQ(form.ClientWidth(), 816);
    EXPECT_EQ(form.ClientHeight(), 62);
    form.SetClientWidth(670);
    EXPECT_EQ(form.ClientWidth(), 670);
    EXPECT_EQ(form.ClientHeight(), 62);
    form.SetClientHeight(100);
    EXPECT_EQ(form.ClientWidth(), 670);
    EXPECT_EQ(form.ClientHeight(), 100);
    EXPECT_GT(form.Width(), form.ClientWidth());
    EXPECT_EQ(form.Left(), 50);
    EXPECT_EQ(form.Top(), 60);
    form.SetLeft(191);
    form.SetTop(646);
    EXPECT_EQ(form.Left(), 191);
    EXPECT_EQ(form.Top(), 646);
    EXPECT_EQ(form.ClientWidth(), 670);
}

TEST(Form, CaptionAndFrameFollowTheDesign)
{
    ui::FormDesign design = Design(ui::BorderStyle::Dialog);
    design.caption = L"Settings";
    ui::Form dialog(design);
    EXPECT_EQ(dialog.Caption(), L"Settings");
    EXPECT_FALSE(GetWindowLongW(dialog.Handle(), GWL_STYLE) & WS_THICKFRAME);
    EXPECT_TRUE(GetWindowLongW(dialog.Handle(), GWL_EXSTYLE) & WS_EX_DLGMODALFRAME);

    ui::Form sizeable(Design(ui::BorderStyle::Sizeable));
    EXPECT_TRUE(GetWindowLongW(sizeable.Handle(), GWL_STYLE) & WS_THICKFRAME);
    sizeable.SetCaption(L"Lumadisc");
    EXPECT_EQ(sizeable.Caption(), L"Lumadisc");
    EXPECT_NE(ui::Form::DefaultFont(), nullptr);
}

class FormKeys : public ::testing::Test {
protected:
    FormKeys()
    {
        form.OnKeyDown = [this](WORD& key, ui::ShiftState shift) {
            log.push_back("form " + std::to_string(key) + " " + std::to_string(shift));
            if (key == 'X') key = 0;
        };
        slider.OnKeyDown = [this](WORD& key, ui::ShiftState) {
            log.push_back("slider " + std::to_string(key));
        };
    }

    ui::Form form{Design()};
    ui::TrackBar slider{form, {352, 28, 94, 17}};
    std::vector<std::string> log;
};

TEST_F(FormKeys, KeyPreviewLetsTheFormSeeKeysFirst)
{
    form.KeyPreview = true;
    SendMessageW(slider.Handle(), WM_KEYDOWN, VK_LEFT, 1);
    EXPECT_EQ(log, (std::vector<std::string>{"form 37 0", "slider 37"}));
}

TEST_F(FormKeys, AKeyTheFormConsumesNeverReachesTheControl)
{
    form.KeyPreview = true;
    SendMessageW(slider.Handle(), WM_KEYDOWN, 'X', 1);
    EXPECT_EQ(log, std::vector<std::string>{"form 88 0"});
}

TEST_F(FormKeys, WithoutPreviewOnlyTheControlSeesIt)
{
    SendMessageW(slider.Handle(), WM_KEYDOWN, VK_LEFT, 1);
    EXPECT_EQ(log, std::vector<std::string>{"slider 37"});
}

TEST_F(FormKeys, AltEnterCarriesExactlyTheAltState)
{
    form.KeyPreview = true;
    SendMessageW(slider.Handle(), WM_SYSKEYDOWN, VK_RETURN, 1 | altDown);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log[0], "form 13 " + std::to_string(ui::ssAlt));
}

TEST_F(FormKeys, ShiftStateComesFromTheKeyboard)
{
    BYTE keys[256];
    GetKeyboardState(keys);
    BYTE pressed[256];
    std::copy(std::begin(keys), std::end(keys), std::begin(pressed));
    pressed[VK_SHIFT] = pressed[VK_LSHIFT] = 0x80;
    SetKeyboardState(pressed);
    form.KeyPreview = true;
    SendMessageW(slider.Handle(), WM_SYSKEYDOWN, VK_RETURN, 1 | altDown);
    SetKeyboardState(keys);
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log[0], "form 13 " + std::to_string(ui::ssAlt | ui::ssShift));
}

TEST(FormMouse, PressesOnTheBackgroundReachTheForm)
{
    ui::Form form(Design());
    ui::Label label(form, 10, 10, L"Speed:  0");
    std::vector<std::string> log;
    form.OnMouseDown = [&](ui::MouseButton button, ui::ShiftState, int x, int y) {
        log.push_back("down " + std::to_string(static_cast<int>(button)) + " " + std::to_string(x) +
                      "," + std::to_string(y));
    };
    form.OnMouseUp = [&](ui::MouseButton button, ui::ShiftState, int, int) {
        log.push_back("up " + std::to_string(static_cast<int>(button)));
    };

    SendMessageW(form.Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(600, 20));
    SendMessageW(form.Handle(), WM_RBUTTONUP, 0, MAKELPARAM(600, 20));
    SendMessageW(label.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(1, 1)); // not background

    EXPECT_EQ(log, (std::vector<std::string>{"down 1 600,20", "up 1"}));
}

TEST(FormMouse, TheWheelGoesToTheFormBeforeTheFocusedControl)
{
    ui::Form form(Design());
    ui::TrackBar volume(form, {352, 45, 94, 15});
    volume.SetRange(0, 10000);
    volume.SetPosition(5000);
    int seenDelta = 0;
    POINT seenPoint{};
    bool handle = true;
    form.OnMouseWheel = [&](ui::ShiftState, int delta, POINT screen, bool& handled) {
        seenDelta = delta;
        seenPoint = screen;
        handled = handle;
    };

    SendMessageW(volume.Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, -120), MAKELPARAM(400, 300));
    EXPECT_EQ(seenDelta, -120);
    EXPECT_EQ(seenPoint.x, 400);
    EXPECT_EQ(seenPoint.y, 300);
    EXPECT_EQ(volume.Position(), 5000) << "a handled wheel message is not the slider's";

    seenDelta = 0;
    SendMessageW(form.Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, 240), MAKELPARAM(10, 10));
    EXPECT_EQ(seenDelta, 240);
}

class DialogForm : public ::testing::Test {
protected:
    DialogForm()
    {
        ok.SetDefault(true);
        ok.ModalResult = ui::mrOk;
        cancel.SetCancel(true);
        ok.OnClick = [this] { log.push_back("ok"); };
        cancel.OnClick = [this] { log.push_back("cancel"); };
    }

    ui::Form form{Design(ui::BorderStyle::Dialog)};
    ui::CheckBox check{form, {24, 24, 177, 17}, L"Save window positions:", true};
    ui::Memo memo{form, {12, 13, 337, 190}};
    ui::Button ok{form, {80, 281, 75, 25}, L"OK"};
    ui::Button cancel{form, {176, 281, 75, 25}, L"Cancel"};
    std::vector<std::string> log;
};

TEST_F(DialogForm, EnterPressesTheDefaultAndEscapeTheCancelButton)
{
    SendMessageW(check.Handle(), WM_KEYDOWN, VK_RETURN, 1);
    SendMessageW(check.Handle(), WM_KEYDOWN, VK_ESCAPE, 1);
    SendMessageW(form.Handle(), WM_KEYDOWN, VK_RETURN, 1); // nothing focused
    EXPECT_EQ(log, (std::vector<std::string>{"ok", "cancel", "ok"}));
    EXPECT_EQ(form.ModalResult(), ui::mrOk);
}

TEST_F(DialogForm, EnterOnAFocusedButtonPressesThatButton)
{
    SendMessageW(cancel.Handle(), WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_EQ(log, std::vector<std::string>{"cancel"});
}

TEST_F(DialogForm, AMemoKeepsEnterForItself)
{
    SendMessageW(memo.Handle(), WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_TRUE(log.empty());
}

TEST_F(DialogForm, AButtonNoLongerDefaultIsNotPressed)
{
    ok.SetDefault(false);
    SendMessageW(check.Handle(), WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_TRUE(log.empty());
}

TEST_F(DialogForm, ShowModalGoesThroughTheSeam)
{
    testsupport::DialogRecorder dialogs;
    EXPECT_EQ(form.ShowModal(), ui::mrCancel);
    EXPECT_FALSE(form.Visible());
}

TEST_F(DialogForm, TheModalLoopEndsWithTheButtonsResultAndDisablesOtherForms)
{
    ui::Form other(Design());
    other.Show();
    bool otherEnabledDuringModal = true;
    ok.OnClick = [&] { otherEnabledDuringModal = IsWindowEnabled(other.Handle()) != FALSE; };
    PostMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED),
                 reinterpret_cast<LPARAM>(ok.Handle()));

    EXPECT_EQ(form.RunModal(), ui::mrOk);

    EXPECT_FALSE(otherEnabledDuringModal);
    EXPECT_TRUE(IsWindowEnabled(other.Handle()));
    EXPECT_FALSE(form.Visible());
    EXPECT_FALSE(form.Modal());
}

TEST_F(DialogForm, ClosingAModalFormEndsItsLoopWithCancel)
{
    PostMessageW(form.Handle(), WM_CLOSE, 0, 0);
    EXPECT_EQ(form.RunModal(), ui::mrCancel);
}

TEST(FormContextMenu, OpensAtThePointForTheFormAndForControlsWithoutTheirOwn)
{
    testsupport::DialogRecorder dialogs;
    ui::Form form(Design());
    ui::TrackBar slider(form, {352, 28, 94, 17});
    ui::PopupMenu popup;
    popup.Items().Add(L"Information...");
    form.ContextMenu = &popup;

    SendMessageW(form.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(form.Handle()),
                 MAKELPARAM(300, 700));
    SendMessageW(slider.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(slider.Handle()),
                 MAKELPARAM(310, 710));
    popup.AutoPopup = false;
    SendMessageW(form.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(form.Handle()),
                 MAKELPARAM(1, 1));

    ASSERT_EQ(dialogs.popups.size(), 2u);
    EXPECT_EQ(dialogs.popups[0].screen.x, 300);
    EXPECT_EQ(dialogs.popups[0].screen.y, 700);
    EXPECT_EQ(dialogs.popups[1].screen.x, 310);
}

TEST(FormLayout, AlignedAndAnchoredControlsFollowTheClientArea)
{
    ui::Form form(Design(ui::BorderStyle::Sizeable));
    form.SetClientWidth(302);
    form.SetClientHeight(233);
    ui::Panel filler(form, {0, 0, 10, 10});
    filler.SetAlign(ui::Align::Client);
    ui::Button corner(form, {200, 200, 75, 25}, L"OK");
    corner.SetAnchors(ui::akRight | ui::akBottom);
    ui::Bevel frame(form, {8, 16, 286, 200});
    frame.SetAnchors(ui::akLeft | ui::akTop | ui::akRight | ui::akBottom);
    EXPECT_EQ(filler.Width(), 302);

    form.SetClientWidth(400);
    form.SetClientHeight(300);

    EXPECT_EQ(filler.Width(), 400);
    EXPECT_EQ(filler.Height(), 300);
    EXPECT_EQ(corner.Left(), 298);
    EXPECT_EQ(corner.Top(), 267);
    EXPECT_EQ(corner.Width(), 75);
    EXPECT_EQ(frame.Left(), 8);
    EXPECT_EQ(frame.Width(), 384);
    EXPECT_EQ(frame.Height(), 267);
}

TEST(ApplicationRun, EndsWhenTheMainFormCloses)
{
    ui::Form form(Design());
    bool closed = false;
    form.OnShow = [&] { PostMessageW(form.Handle(), WM_CLOSE, 0, 0); };
    form.OnClose = [&] { closed = true; };

    ui::Application::Instance().Run(form);

    EXPECT_TRUE(closed);
    EXPECT_FALSE(form.Visible());
    EXPECT_EQ(ui::Application::Instance().MainForm(), nullptr) << "no dangling main form";
    // Nothing of the run is left for later loops.
    MSG message;
    EXPECT_FALSE(PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

// Closing while the system moves one window inside the move of another: the inner loop ends on
// the quit request, and the outer one must see it too.
TEST(ApplicationRun, EndsWhenTheMainFormClosesInNestedMoveLoops)
{
    ui::Form form(Design()), other(Design());
    other.Show();
    form.OnShow = [&] {
        PostMessageW(form.Handle(), WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
        PostMessageW(other.Handle(), WM_SYSCOMMAND, SC_MOVE | HTCAPTION, 0);
        PostMessageW(form.Handle(), WM_CLOSE, 0, 0);
    };
    // A loop left waiting for good is ended as a button release ends it, and the test fails.
    bool stuck = false;
    ui::Timer watchdog(5000, true);
    watchdog.OnTimer = [&] {
        stuck = true;
        watchdog.SetEnabled(false);
        PostMessageW(form.Handle(), WM_LBUTTONUP, 0, 0);
    };

    ui::Application::Instance().Run(form);

    EXPECT_FALSE(stuck);
    EXPECT_FALSE(form.Visible());
    MSG message;
    PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

TEST(ApplicationRun, StartUpWorkWaitsForTheFirstPaintButNoHandlerWaitsForIt)
{
    std::vector<std::string> steps;
    const auto painted = [](const ui::Window& window) {
        return !GetUpdateRect(window.Handle(), nullptr, FALSE);
    };
    {
        ui::Form form(Design());
        ui::Button button(form, {10, 10, 75, 25}, L"OK");
        ui::Application::Instance().Run(form, [&] {
            steps.push_back(painted(form) && painted(button) ? "work after paint" : "work before paint");
            PostMessageW(form.Handle(), WM_CLOSE, 0, 0);
        });
    }
    {
        // A click already waiting when the form shows is handled after the work, not before.
        ui::Form form(Design());
        ui::Button button(form, {10, 10, 75, 25}, L"OK");
        button.OnClick = [&] {
            steps.push_back("click");
            form.Close();
        };
        form.OnShow = [&] {
            PostMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED),
                         reinterpret_cast<LPARAM>(button.Handle()));
        };
        ui::Application::Instance().Run(form, [&] { steps.push_back("work"); });
    }
    {
        // A click that arrives just after the loop looked and found only a paint (as an X
        // server's expose brings one after the form has painted): posted input outranks the
        // paint, so it comes out of the queue first.
        ui::Form form(Design());
        ui::Button button(form, {10, 10, 75, 25}, L"OK");
        ui::CustomControl exposed(form, {100, 10, 75, 25});
        bool exposedOnce = false;
        exposed.OnPaint = [&](HDC) {
            if (!std::exchange(exposedOnce, true)) InvalidateRect(exposed.Handle(), nullptr, TRUE);
        };
        button.OnClick = [&] {
            steps.push_back("late click");
            form.Close();
        };
        static HWND clickTarget = nullptr, clickButton = nullptr;
        clickTarget = form.Handle();
        clickButton = button.Handle();
        const HHOOK hook = SetWindowsHookExW(
            WH_GETMESSAGE,
            [](int code, WPARAM removal, LPARAM data) -> LRESULT {
                const MSG& seen = *reinterpret_cast<const MSG*>(data);
                if (code == HC_ACTION && removal == PM_NOREMOVE && seen.message == WM_PAINT && clickTarget)
                    PostMessageW(std::exchange(clickTarget, nullptr), WM_COMMAND, MAKEWPARAM(0, BN_CLICKED),
                                 reinterpret_cast<LPARAM>(clickButton));
                return CallNextHookEx(nullptr, code, removal, data);
            },
            nullptr, GetCurrentThreadId());
        ASSERT_TRUE(hook);
        ui::Application::Instance().Run(form, [&] {
            steps.push_back("work");
            PostMessageW(form.Handle(), WM_CLOSE, 0, 0);
        });
        UnhookWindowsHookEx(hook);
    }
    EXPECT_EQ(steps, (std::vector<std::string>{"work after paint", "work", "click", "work", "late click"}));
    EXPECT_EQ(ui::Application::Instance().MainForm(), nullptr);
}

} // namespace
