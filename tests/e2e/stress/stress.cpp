// Seeded random actions on the real player with real input, as a restless user would: the
// transport and chapter buttons, the disc's menus, the pickers, clicks and drags on the sliders,
// keys and clicks on the picture, full screen in and out, dialogs opened and closed. After each
// action the player must answer, and while it plays a title at rate 1 with nothing paused its
// time must move. Prints the seed first, so any run can be repeated, and the player's memory at
// the start and the end.
// Usage: e2e_stress [ACTIONS [SEED]]   (default 40 actions, a seed from the clock)
#include "../ControlBar.h"

#include <psapi.h>

#include <cstdio>
#include <cstdlib>
#include <functional>
#include <optional>
#include <random>
#include <string>
#include <vector>

using namespace e2e;

namespace {

// Generous: these catch a player that has stopped answering, not a slow one.
constexpr DWORD kAnswerMs = 15000;
constexpr DWORD kTimeMovesMs = 8000;

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

void SendMouse(DWORD flags, int wheel = 0)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    input.mi.mouseData = static_cast<DWORD>(wheel);
    SendInput(1, &input, sizeof input);
}

POINT Centre(const RECT& rect) { return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}; }

class Stress {
public:
    Stress(Player& player, unsigned seed) : player_(player), bar_(player), random_(seed) {}

    // Runs `count` actions; false at the first one after which the player fails.
    bool Run(int count)
    {
        struct Action {
            const char* name;
            int weight;
            std::function<void()> act;
        };
        const std::vector<Action> actions = {
            {"Play", 6, [&] { bar_.Press(tbPlay); paused_ = stopped_ = false; }},
            {"Pause", 2, [&] { bar_.Press(tbPause); paused_ = !stopped_; }},
            {"Stop", 1, [&] { bar_.Press(tbStop); stopped_ = true; }},
            {"previous chapter", 4, [&] { bar_.Press(tbPrevChapter); }},
            {"next chapter", 4, [&] { bar_.Press(tbNextChapter); }},
            {"root menu", 2, [&] { bar_.Press(tbRootMenu); }},
            {"title menu", 2, [&] { bar_.Press(tbTitleMenu); }},
            {"chapter picker", 4, [&] { Pick(tbChapter); }},
            {"audio picker", 2, [&] { Pick(tbAudio); }},
            {"subtitle picker", 2, [&] { Pick(tbSubpicture); }},
            {"drive from Play's list", 1, [&] { PickDrive(); }},
            {"click on the seek bar", 4, [&] { Click(Along(bar_.SeekBar())); }},
            {"drag on the seek bar", 3, [&] { DragSeekBar(); }},
            {"seek bar press released elsewhere", 3, [&] { PressSeekBarReleaseElsewhere(); }},
            {"seek bar held while a menu opens", 3, [&] { HoldSeekBarThroughAMenu(); }},
            {"speed slider", 3, [&] { StepSlider(bar_.SpeedSlider(), Chance(2)); paused_ = false; }},
            {"volume slider", 2, [&] { StepSlider(bar_.VolumeSlider(), Chance(2)); }},
            {"Mute", 2, [&] { bar_.Press(tbMute); }},
            {"wheel", 2, [&] { Wheel(); }},
            {"click on the picture", 6, [&] { ClickPicture(); }},
            {"arrow key", 4, [&] { PressKey(static_cast<WORD>(VK_LEFT + Below(4))); }},
            {"Enter", 3, [&] { PressKey(VK_RETURN); }},
            {"space on the picture", 2, [&] { SpaceOnPicture(); }},
            {"full screen in and out", 2, [&] { FullScreenInAndOut(); }},
            {"dialog opened and closed", 2, [&] { Dialog(); }},
        };
        int total = 0;
        for (const Action& action : actions) total += action.weight;
        for (int i = 1; i <= count; ++i) {
            int pick = Below(total);
            const Action* chosen = &actions.front();
            for (const Action& action : actions) {
                if (pick < action.weight) {
                    chosen = &action;
                    break;
                }
                pick -= action.weight;
            }
            std::printf("%5d %-36s", i, chosen->name);
            chosen->act();
            CloseLeftovers();
            if (!Answers()) {
                std::printf("\nFAILED: the player does not answer within %lu ms\n", kAnswerMs);
                return false;
            }
            if (!LeaveFullScreen()) {
                std::printf("\nFAILED: the picture does not leave full screen\n");
                Screenshot("stress-full-screen");
                return false;
            }
            KeepVideoAside();
            const std::string moved = TimeMoves();
            std::printf(" %s | %s %s %s\n", moved.c_str(), Narrow(bar_.TitleText()).c_str(),
                Narrow(bar_.ChapterText()).c_str(), Narrow(bar_.SpeedText()).c_str());
            if (moved == "STALLED") {
                std::printf("FAILED: at rate 1, nothing paused, the time stands at %s\n", Narrow(bar_.TimeText()).c_str());
                Screenshot("stress-stalled");
                return false;
            }
        }
        return true;
    }

private:
    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
    bool Chance(int n) { return Below(n) == 0; }

    // A random point along a slider's channel.
    POINT Along(HWND slider)
    {
        const RECT rect = ScreenRect(slider);
        return {rect.left + 2 + Below(rect.right - rect.left - 4), (rect.top + rect.bottom) / 2};
    }

    HWND Picture() const { return player_.VideoWindow(); }

    POINT OnPicture()
    {
        return PicturePoint(Picture(), 20 + Below(680), 20 + Below(536));
    }

    void Pick(ToolIndex button)
    {
        bar_.Press(button);
        if (WaitFor([] { return OpenPopupMenu() != nullptr; }, 1500)) {
            if (Chance(5))
                PressKey(VK_ESCAPE);
            else
                ChoosePopupItem(Below(5));
        }
    }

    void PickDrive()
    {
        bar_.PressArrow(tbPlay);
        if (WaitFor([] { return OpenPopupMenu() != nullptr; }, 1500)) {
            ChoosePopupItem(0);
            paused_ = stopped_ = false;
        }
    }

    void DragSeekBar()
    {
        if (SliderMax(bar_.SeekBar()) <= 0) return Click(Along(bar_.SeekBar()));
        bar_.DragSeekThumbTo(Along(bar_.SeekBar()).x);
    }

    // The press whose release lands on another window: the pointer leaves the bar first.
    void PressSeekBarReleaseElsewhere()
    {
        MoveTo(Along(bar_.SeekBar()));
        SendMouse(MOUSEEVENTF_LEFTDOWN);
        Sleep(100 + Below(400));
        MoveTo(Centre(ToolButtonRect(bar_.ToolBar(), tbAbout)));
        MoveTo(Centre(ToolButtonRect(bar_.ToolBar(), tbAbout - 1)));
        SendMouse(MOUSEEVENTF_LEFTUP);
        Sleep(100);
    }

    // The thumb held while a right click opens the context menu, which takes the mouse away;
    // the release lands off the bar.
    void HoldSeekBarThroughAMenu()
    {
        const RECT thumb = SliderThumbRect(bar_.SeekBar());
        MoveTo(Centre(thumb));
        SendMouse(MOUSEEVENTF_LEFTDOWN);
        Sleep(200);
        SendMouse(MOUSEEVENTF_RIGHTDOWN);
        SendMouse(MOUSEEVENTF_RIGHTUP);
        WaitFor([] { return OpenPopupMenu() != nullptr; }, 1500);
        PressKey(VK_ESCAPE);
        MoveTo(Centre(ToolButtonRect(bar_.ToolBar(), tbAbout - 1)));
        SendMouse(MOUSEEVENTF_LEFTUP);
        Sleep(100);
    }

    void Wheel()
    {
        MoveTo({ScreenRect(bar_.Window()).right - 140, ScreenRect(bar_.Window()).bottom - 30});
        SendMouse(MOUSEEVENTF_WHEEL, Chance(2) ? WHEEL_DELTA : -WHEEL_DELTA);
        Sleep(100);
    }

    // Most clicks land on where the sample disc's menus have their two buttons.
    void ClickPicture()
    {
        if (!Picture()) return;
        Click(Chance(4) ? OnPicture() : PicturePoint(Picture(), 200 + Below(320), Chance(2) ? 230 : 350));
    }

    // The space bar pauses or resumes, whichever the stream is not doing: no longer known.
    void SpaceOnPicture()
    {
        if (!Picture()) return;
        Click(OnPicture());
        PressKey(VK_SPACE);
        paused_ = std::nullopt;
    }

    void FullScreenInAndOut()
    {
        if (!Picture()) return;
        Leave(Below(3));
        Sleep(300 + Below(1500));
        for (int i = Below(3); i > 0; --i) {
            MoveTo({100 + Below(1000), 100 + Below(800)});
            if (Chance(2)) PressKey(static_cast<WORD>(VK_LEFT + Below(4)));
        }
        Leave(Below(3));
    }

    // Toggles full screen by a double-click on the picture, Alt+Enter on it, or the context
    // menu's last item.
    void Leave(int how)
    {
        const POINT at = OnPicture();
        if (how == 0) {
            DoubleClick(at);
        } else if (how == 1) {
            MoveTo(at);
            PressKey(VK_RETURN, true);
        } else {
            Click(at, true);
            if (WaitFor([] { return OpenPopupMenu() != nullptr; }, 1500)) ChoosePopupItem(6);
        }
        Sleep(300);
    }

    void Dialog()
    {
        static const ToolIndex buttons[] = {tbSettings, tbInfo, tbAbout, tbOpen};
        bar_.Press(buttons[Below(4)]);
        Sleep(500 + Below(1000));
        PressKey(VK_ESCAPE);
    }

    // What an action left open, closed as a person would; a window that will not go is told to.
    // Message boxes are the player's own findings: their text is printed.
    void CloseLeftovers()
    {
        for (int round = 0; round < 3 && OpenPopupMenu(); ++round) PressKey(VK_ESCAPE);
        for (HWND window : player_.TopLevelWindows()) {
            if (window == bar_.Window() || window == Picture() || Text(window) == L"VideoWindow" ||
                !(GetWindowLongW(window, GWL_STYLE) & WS_CAPTION))
                continue;
            if (ClassName(window) == L"#32770" && Text(window) != L"Open")
                std::printf(" [box \"%s\": %s]", Narrow(Text(window)).c_str(), Narrow(AllStaticText(window)).c_str());
            SetForegroundWindow(window);
            PressKey(VK_ESCAPE);
            if (!WaitFor([&] { return !IsWindowVisible(window); }, 1000)) {
                for (const wchar_t* label : {L"OK", L"Okay", L"Cancel"})
                    if (HWND button = ChildWithText(window, L"Button", label)) {
                        Click(Centre(ScreenRect(button)));
                        break;
                    }
            }
            if (IsWindowVisible(window)) PostMessageW(window, WM_CLOSE, 0, 0);
        }
    }

    bool Answers() const
    {
        for (HWND window : {bar_.Window(), Picture()}) {
            DWORD_PTR result = 0;
            if (window && !SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, &result))
                return false;
        }
        return true;
    }

    // The renderer's window across the whole screen.
    bool FullScreen() const
    {
        const int width = GetSystemMetrics(SM_CXSCREEN);
        for (HWND window : player_.TopLevelWindows()) {
            const RECT rect = ScreenRect(window);
            if (Text(window) == L"VideoWindow" && rect.left == 0 && rect.right == width) return true;
        }
        return false;
    }

    // Two quick clicks may make a double-click on the picture: the next action must find the
    // control bar uncovered.
    bool LeaveFullScreen()
    {
        for (int tries = 0; tries < 3 && FullScreen(); ++tries) {
            std::printf(" (leaving full screen)");
            DoubleClick({640, 512});
            WaitFor([&] { return !FullScreen(); }, 2000);
        }
        return !FullScreen();
    }

    // A title's picture resized by the player over the control bar goes back to the corner.
    void KeepVideoAside()
    {
        HWND video = Picture();
        RECT overlap{}, videoRect = ScreenRect(video), barRect = ScreenRect(bar_.Window());
        if (video && IntersectRect(&overlap, &videoRect, &barRect))
            SetWindowPos(video, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }

    // "moves", "still" (a state in which time may stand) or "STALLED".
    std::string TimeMoves()
    {
        const std::wstring speed = bar_.SpeedText();
        if (stopped_ || paused_ != false || speed != L"Speed: 1 x" || bar_.TitleText() == L"Title: ")
            return "still";
        const std::wstring title = bar_.TitleText();
        const int first = bar_.ElapsedSeconds();
        bool ended = false;
        const bool moved = WaitFor(
            [&] {
                const std::wstring time = bar_.TimeText();
                // The title's end, a menu or another title: time may stand or start afresh.
                ended = bar_.TitleText() != title || bar_.SpeedText() != speed ||
                        (time.size() == 17 && time.substr(0, 8) >= time.substr(9)) ||
                        (time.size() == 17 && time.substr(9) > L"00:00:00" &&
                         bar_.ElapsedSeconds() + 1 >= TotalSeconds(time));
                return ended || bar_.ElapsedSeconds() != first;
            },
            kTimeMovesMs);
        return !moved ? "STALLED" : ended ? "ended" : "moves";
    }

    static int TotalSeconds(const std::wstring& time)
    {
        return std::stoi(time.substr(9, 2)) * 3600 + std::stoi(time.substr(12, 2)) * 60 + std::stoi(time.substr(15, 2));
    }

    Player& player_;
    ControlBar bar_;
    std::mt19937 random_;
    std::optional<bool> paused_ = false;
    bool stopped_ = true;
};

struct Memory {
    double workingSet, privateBytes; // MiB
};

Memory MemoryOf(HANDLE process)
{
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(process, &counters, sizeof counters);
    return {counters.WorkingSetSize / 1048576.0, counters.PagefileUsage / 1048576.0};
}

} // namespace

int main(int argc, char** argv)
{
    const int count = argc > 1 ? std::atoi(argv[1]) : 40;
    const unsigned seed = argc > 2 ? static_cast<unsigned>(std::strtoul(argv[2], nullptr, 10))
                                   : static_cast<unsigned>(GetTickCount64() ^ GetCurrentProcessId());
    setvbuf(stdout, nullptr, _IONBF, 0);
    std::printf("seed %u, %d actions (repeat with: e2e_stress %d %u)\n", seed, count, count, seed);
    Player player;
    if (!WaitFor([&] { return player.MainWindow() != nullptr; })) {
        std::printf("FAILED: no control bar\n");
        return 1;
    }
    Stress stress(player, seed);
    const Memory start = MemoryOf(player.Process());
    const bool passed = stress.Run(count);
    const Memory end = MemoryOf(player.Process());
    std::printf("memory: working set %.1f MiB at the start, %.1f at the end; private %.1f, %.1f\n", start.workingSet,
        end.workingSet, start.privateBytes, end.privateBytes);
    const bool closed = passed && player.Close();
    if (passed && !closed) std::printf("FAILED: the player did not close\n");
    std::printf("%s: seed %u\n", passed && closed ? "PASSED" : "FAILED", seed);
    return passed && closed ? 0 : 1;
}
