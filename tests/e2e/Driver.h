#pragma once
// Drives the real lumadisc.exe from outside, the way a person would: finds its windows, reads
// what they show and presses their buttons with real input, all within the same Wine session.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace e2e {

// Polls until the condition holds or the time is up; tests never depend on how long it took.
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs = 10000);

class Player {
public:
    Player();
    ~Player();
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    HWND MainWindow() const;             // the control bar (caption begins with "Lumadisc")
    HWND VideoWindow() const;            // the other visible top-level window, once shown
    std::vector<HWND> TopLevelWindows() const;
    bool Running() const;
    HANDLE Process() const { return process_.hProcess; }
    // Closes the player as a person would (the control bar's close box) and waits for it to end.
    bool Close(DWORD timeoutMs = 15000);

private:
    PROCESS_INFORMATION process_{};
};

std::wstring ClassName(HWND window);
std::wstring Text(HWND window);
// Child windows of a class, in reading order (top to bottom, then left to right).
std::vector<HWND> Children(HWND parent, const std::wstring& className);
HWND ChildWithText(HWND parent, const std::wstring& className, const std::wstring& prefix);
RECT ScreenRect(HWND window);

int SliderPosition(HWND slider);
int SliderMax(HWND slider);
RECT SliderThumbRect(HWND slider); // screen coordinates

int ToolButtonCount(HWND toolbar);
RECT ToolButtonRect(HWND toolbar, int index); // screen coordinates
bool ToolButtonChecked(HWND toolbar, int index);

void MoveTo(POINT screen);
void Click(POINT screen, bool right = false);
void DoubleClick(POINT screen);
void PressKey(WORD key, bool alt = false);
// A Unix path of the test environment as the player sees it (drive Z:).
std::wstring WindowsPath(std::wstring path);
std::wstring EnvPath(const char* name);

// The pop-up menu the player has open, if any. Its items live in the player's process, out of
// reach of this one under Wine, so tests pick them by position and check what they do.
HWND OpenPopupMenu();
// Picks item `index` of the open pop-up menu with the keyboard, as a person would.
void ChoosePopupItem(int index);
// A dialog of the player's (class #32770) whose caption is `caption`, once it shows.
HWND WaitForDialog(const Player& player, const std::wstring& caption, DWORD timeoutMs = 10000);
// Every static text of a window, joined by newlines.
std::wstring AllStaticText(HWND window);

// What the screen shows inside a window's client area, as BGRA rows from the top.
struct Capture {
    int width = 0, height = 0;
    std::vector<unsigned char> bgra;
};
Capture CaptureClient(HWND window);

// Saves the whole screen as a BMP in the screenshot folder and returns its path.
std::string Screenshot(const std::string& name);

} // namespace e2e
