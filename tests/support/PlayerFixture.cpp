#include "support/PlayerFixture.h"

#include "app/MainForm.h"
#include "app/Shared.h"
#include "graph/ErrorDisplay.h"
#include "support/MessagePump.h"
#include "ui/Application.h"

namespace testsupport {

int FakeDialogs::MessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type)
{
    boxes.push_back({owner, text, caption, type});
    return IDOK;
}

bool FakeDialogs::OpenFile(HWND, ui::OpenFileRequest& request)
{
    openRequests.push_back(request);
    if (openConfirms)
        request.fileName = openChoice;
    return openConfirms;
}

UINT FakeDialogs::TrackPopupMenu(HMENU menu, POINT screen, HWND)
{
    Popup popup{menu, screen, {}};
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        wchar_t text[256] = {};
        GetMenuStringW(menu, static_cast<UINT>(i), text, 256, MF_BYPOSITION);
        popup.captions.push_back(text);
    }
    popups.push_back(popup);
    return popupPick ? popupPick(menu) : 0;
}

int FakeDialogs::ShowModal(ui::Form& form)
{
    modals.push_back(&form);
    return modalAnswer;
}

std::vector<std::wstring> FakeDialogs::BoxTexts() const
{
    std::vector<std::wstring> texts;
    for (const Box& box : boxes)
        texts.push_back(box.text);
    return texts;
}

PlayerFixture::PlayerFixture()
{
    ui::SetDialogs(&dialogs);
    app::SetShell(&shell);
    graph::SetErrorDisplay([](const std::exception& error) { ui::Application::Instance().ShowException(error); });
}

PlayerFixture::~PlayerFixture()
{
    graph::SetErrorDisplay(nullptr);
    app::SetShell(nullptr);
    ui::SetDialogs(nullptr);
}

void PlayerFixture::SetUp()
{
    // Away from every window: a pointer resting on the picture would send the navigator
    // button selections of its own.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 2, GetSystemMetrics(SM_CYSCREEN) - 2);
    CreateForms();
}

void PlayerFixture::TearDown()
{
    DestroyForms();
    ResetShared();
    PumpMessages();
}

void PlayerFixture::StartPlayback()
{
    MainForm->PlayButtonClick();
    PumpMessages();
}

namespace {

struct Opening {
    HANDLE gate;
    std::function<void()> during;
    bool ran = false;
};
Opening* opening = nullptr;

} // namespace

bool PlayerFixture::DuringOpening(const std::function<void()>& start, std::function<void()> during)
{
    Opening current{CreateEventW(nullptr, TRUE, FALSE, nullptr), std::move(during)};
    opening = &current;
    dvd.script.renderGate = current.gate;
    SetTimer(nullptr, 0, 1, [](HWND, UINT, UINT_PTR timer, DWORD) {
        KillTimer(nullptr, timer);
        // Released from a timer of its own: `during` may itself wait for the build.
        SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR timer, DWORD) {
            KillTimer(nullptr, timer);
            SetEvent(opening->gate);
        });
        opening->ran = true;
        ui::Application::Instance().Guard(opening->during);
    });
    start();
    PumpMessages();
    dvd.script.renderGate = nullptr;
    opening = nullptr;
    CloseHandle(current.gate);
    return current.ran;
}

void PlayerFixture::Deliver(long code, LONG_PTR param1, LONG_PTR param2)
{
    ASSERT_EQ(dvd.PostEvent(code, param1, param2), S_OK);
    PumpMessages();
}

std::vector<std::string> PlayerFixture::LogFrom(size_t first) const
{
    const auto& log = dvd.Log();
    return {log.begin() + static_cast<std::ptrdiff_t>(std::min(first, log.size())), log.end()};
}

int PlayerFixture::CallsNamed(const std::string& name) const
{
    int count = 0;
    for (const std::string& call : dvd.Log())
        count += call == name || call.rfind(name + "(", 0) == 0;
    return count;
}

}  // namespace testsupport
