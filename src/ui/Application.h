#pragma once
#include <windows.h>
#include <exception>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <utility>

namespace ui {

class Form;
class Window;

// Text of the top-level error box: the error text, with a full stop added when it is not
// empty and its last character sorts after ".".
std::wstring ErrorBoxText(std::wstring text);
// Text in the ANSI code page (as exceptions carry it) to UTF-16.
std::wstring AnsiToWide(const char* text);

// The process-wide application object: title, tool-tip timing, message loop and the
// top-level error display.
class Application {
public:
    static Application& Instance();

    const std::wstring& Title() const { return title_; }
    void SetTitle(std::wstring title) { title_ = std::move(title); }

    // How long a tool tip stays up, applied to every tool-tip control of the program.
    UINT HintHidePause() const { return hintHidePause_; }
    void SetHintHidePause(UINT milliseconds);

    // Shows the main form and runs the message loop until it is closed or destroyed.
    // `whenPainted` runs once, when the form's first paint is done and on screen, or earlier
    // when a message other than a paint arrives first, so that no handler runs without it.
    void Run(Form& mainForm, std::function<void()> whenPainted = {});
    // Dispatches every message waiting in the thread's queue.
    void ProcessMessages();
    // Ends Run and the modal loops nested in it.
    void Terminate();
    bool Terminated() const { return terminated_; }
    Form* MainForm() const { return mainForm_; }

    // The top-level error display: a stop-icon box with the error text, captioned with the
    // application title, through the dialog seam. EAbort shows nothing.
    void ShowException(const std::exception& error);
    // The same box for a text of the program's own.
    void ShowError(const std::wstring& text);

    // Runs f; an escaping std::exception ends it and goes to ShowException. Every event the
    // toolkit raises passes through here.
    template <class F>
    void Guard(F&& f) noexcept
    {
        try {
            std::forward<F>(f)();
        } catch (const std::exception& error) {
            ShowException(error);
        }
    }

    // A hidden top-level window of the toolkit: owner of pop-up menus.
    HWND UtilityWindow();

    // Tool-tip controls register here so the hide pause reaches them.
    void AddToolTip(HWND toolTip);
    void RemoveToolTip(HWND toolTip);

private:
    Application();
    ~Application();

    std::wstring title_;
    UINT hintHidePause_ = 2500;
    bool terminated_ = false;
    bool running_ = false;
    Form* mainForm_ = nullptr;
    std::set<HWND> toolTips_;
    std::unique_ptr<Window> utility_;
};

// Raises an event through the application's guard when a handler is assigned.
template <class E, class... A>
void Raise(const E& event, A&&... args)
{
    if (event) Application::Instance().Guard([&] { event(std::forward<A>(args)...); });
}

// COM for the calling thread, single-threaded apartment, for the object's lifetime.
class ComApartment {
public:
    ComApartment();
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment();
    HRESULT Result() const { return result_; }

private:
    HRESULT result_;
};

} // namespace ui
