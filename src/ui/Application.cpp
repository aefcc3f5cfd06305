#include "Application.h"
#include "Abort.h"
#include "Dialogs.h"
#include "Form.h"
#include <commctrl.h>
#include <objbase.h>
#include <utility>

namespace ui {

namespace {

// Hidden top-level window that owns pop-up menus, so their WM_COMMAND reaches the toolkit
// whichever window opened them.
class UtilityWindowImpl : public Window {
public:
    UtilityWindowImpl()
    {
        RegisterWindowClass(L"LumadiscUtility", 0, nullptr, nullptr);
        CreateOwnClass(L"LumadiscUtility", WS_POPUP, WS_EX_TOOLWINDOW, L"", 0, 0, 0, 0, nullptr);
    }
};

} // namespace

std::wstring ErrorBoxText(std::wstring text)
{
    if (!text.empty() && text.back() > L'.') text += L'.';
    return text;
}

std::wstring AnsiToWide(const char* text)
{
    const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (length <= 1) return {};
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length);
    wide.resize(static_cast<size_t>(length - 1));
    return wide;
}

Application& Application::Instance()
{
    static Application application;
    return application;
}

Application::Application()
{
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_BAR_CLASSES | ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES;
    InitCommonControlsEx(&controls);
}

Application::~Application() = default;

void Application::SetHintHidePause(UINT milliseconds)
{
    hintHidePause_ = milliseconds;
    for (HWND toolTip : toolTips_)
        SendMessageW(toolTip, TTM_SETDELAYTIME, TTDT_AUTOPOP, MAKELPARAM(milliseconds, 0));
}

void Application::AddToolTip(HWND toolTip)
{
    toolTips_.insert(toolTip);
    SendMessageW(toolTip, TTM_SETDELAYTIME, TTDT_AUTOPOP, MAKELPARAM(hintHidePause_, 0));
}

void Application::RemoveToolTip(HWND toolTip) { toolTips_.erase(toolTip); }

HWND Application::UtilityWindow()
{
    if (!utility_) utility_ = std::make_unique<UtilityWindowImpl>();
    return utility_->Handle();
}

void Application::Run(Form& mainForm, std::function<void()> whenPainted)
{
    mainForm_ = &mainForm;
    terminated_ = false;
    running_ = true;
    // An error of `whenPainted` ends the run too; the form may not outlive it.
    struct Ended {
        Application& application;
        ~Ended()
        {
            application.terminated_ = true;
            application.running_ = false;
            application.mainForm_ = nullptr;
        }
    } ended{*this};
    mainForm.Show();
    MSG message;
    while (!terminated_ && IsWindow(mainForm.Handle())) {
        // Finding the queue empty is also what makes the platform put the painted pixels on
        // the screen, so the work waits until the user sees the form.
        if (whenPainted && (!PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE) || message.message != WM_PAINT))
            std::exchange(whenPainted, nullptr)();
        if (GetMessageW(&message, nullptr, 0, 0) <= 0) break;
        // Input that arrived after the look outranks the paint it found: no handler may run
        // before the work.
        if (whenPainted && message.message != WM_PAINT) std::exchange(whenPainted, nullptr)();
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    // The quit request has done its work; it must not end a later loop.
    PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

void Application::ProcessMessages()
{
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            terminated_ = true;
            break;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

void Application::Terminate()
{
    terminated_ = true;
    // Wakes modal loops nested in Run; outside Run there is no loop to end.
    if (running_) PostQuitMessage(0);
}

void Application::ShowException(const std::exception& error)
{
    if (dynamic_cast<const EAbort*>(&error)) return;
    ShowError(ErrorBoxText(AnsiToWide(error.what())));
}

void Application::ShowError(const std::wstring& text)
{
    HWND owner = GetActiveWindow();
    if (!owner && mainForm_) owner = mainForm_->Handle();
    Dialogs().MessageBox(owner, text, title_, MB_OK | MB_ICONSTOP | MB_APPLMODAL);
}

ComApartment::ComApartment() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}

ComApartment::~ComApartment()
{
    if (SUCCEEDED(result_)) CoUninitialize();
}

} // namespace ui
