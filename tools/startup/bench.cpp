// Start-up benchmark: starts the player and the floor program alternately and times each from
// process creation to the first paint of its shown window (the window and every visible child
// have no update region left). Prints both medians and their ratio; asserts nothing.
// Usage: startup_bench PLAYER.exe FLOOR.exe [RUNS]
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

struct Search {
    DWORD process;
    HWND found;
};

BOOL CALLBACK FindShown(HWND window, LPARAM context)
{
    auto& search = *reinterpret_cast<Search*>(context);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != search.process || !IsWindowVisible(window)) return TRUE;
    search.found = window;
    return FALSE;
}

BOOL CALLBACK FindUnpainted(HWND child, LPARAM unpainted)
{
    if (IsWindowVisible(child) && GetUpdateRect(child, nullptr, FALSE)) {
        *reinterpret_cast<bool*>(unpainted) = true;
        return FALSE;
    }
    return TRUE;
}

bool Painted(HWND window)
{
    if (GetUpdateRect(window, nullptr, FALSE)) return false;
    bool unpainted = false;
    EnumChildWindows(window, FindUnpainted, reinterpret_cast<LPARAM>(&unpainted));
    return !unpainted;
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to)
{
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

// Seconds from creation to first paint, or a negative value when the program showed nothing
// within 30 seconds. The program is closed as a user would close it.
double TimeStartup(const std::wstring& program)
{
    std::wstring commandLine = L"\"" + program + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process{};
    LARGE_INTEGER start, now;
    QueryPerformanceCounter(&start);
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return -1;
    double seconds = -1;
    Search search{process.dwProcessId, nullptr};
    for (;;) {
        QueryPerformanceCounter(&now);
        if (Seconds(start, now) > 30 || WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0) break;
        if (!search.found) EnumWindows(FindShown, reinterpret_cast<LPARAM>(&search));
        if (search.found && Painted(search.found)) {
            seconds = Seconds(start, now);
            break;
        }
        Sleep(1);
    }
    if (search.found) PostMessageW(search.found, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.hProcess, 10000) != WAIT_OBJECT_0) TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return seconds;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3) {
        std::fwprintf(stderr, L"usage: startup_bench PLAYER.exe FLOOR.exe [RUNS]\n");
        return 2;
    }
    const int runs = argc > 3 ? std::max(1, _wtoi(argv[3])) : 9;
    // One unmeasured start of each: the first start of a session pays for loading files.
    TimeStartup(argv[1]);
    TimeStartup(argv[2]);
    std::vector<double> player, floor;
    for (int i = 0; i < runs; ++i) {
        const double p = TimeStartup(argv[1]);
        const double f = TimeStartup(argv[2]);
        if (p < 0 || f < 0) {
            std::fwprintf(stderr, L"a program showed no window\n");
            return 1;
        }
        player.push_back(p);
        floor.push_back(f);
        std::wprintf(L"run %d: player %.0f ms, floor %.0f ms\n", i + 1, p * 1000, f * 1000);
    }
    const double p = Median(player), f = Median(floor);
    std::wprintf(L"start-up to first paint, median of %d: player %.0f ms, floor %.0f ms, ratio %.2f\n", runs,
                 p * 1000, f * 1000, p / f);
    return 0;
}
