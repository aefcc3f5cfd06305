#include "ProcessFigures.h"

#include <psapi.h>
#include <tlhelp32.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace endurance {
namespace {

// Every handle value that the process holds answers GetHandleInformation; values step by 4.
long liveHandles()
{
    long count = 0;
    DWORD flags = 0;
    for (ULONG_PTR value = 4; value < 0x10000; value += 4)
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags)) ++count;
    return count;
}

// Wine takes a GDI handle's low word alone as the index into the process's handle table.
long liveGdiEntries()
{
    long count = 0;
    for (ULONG_PTR index = 1; index <= 0xffff; ++index)
        if (GetObjectType(reinterpret_cast<HGDIOBJ>(index)) != 0) ++count;
    return count;
}

BOOL CALLBACK countWindow(HWND window, LPARAM counter)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId()) return TRUE;
    ++*reinterpret_cast<long*>(counter);
    EnumChildWindows(window, countWindow, counter);
    return TRUE;
}

long ownWindows()
{
    long count = 0;
    EnumWindows(countWindow, reinterpret_cast<LPARAM>(&count));
    for (HWND window = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); window;
         window = FindWindowExW(HWND_MESSAGE, window, nullptr, nullptr))
        countWindow(window, reinterpret_cast<LPARAM>(&count));
    return count;
}

long ownThreads()
{
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    long count = 0;
    THREADENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Thread32First(snapshot, &entry); more; more = Thread32Next(snapshot, &entry))
        if (entry.th32OwnerProcessID == GetCurrentProcessId()) ++count;
    CloseHandle(snapshot);
    return count;
}

std::string readAll(const std::wstring& path)
{
    std::string text;
    if (std::FILE* file = _wfopen(path.c_str(), L"rb")) {
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;) text.append(buffer, n);
        std::fclose(file);
    }
    return text;
}

// This process's Unix process, seen through drive Z:: the one of this program's name in this
// Wine prefix (Z:\proc\self is the Wine server, which opens files for its processes). Empty on
// Windows.
std::wstring unixProcess()
{
    wchar_t path[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name(path, length);
    name = name.substr(name.find_last_of(L"\\/") + 1);
    const std::string comm = "(" + std::string(name.begin(), name.end()).substr(0, 15);
    const std::string server = readAll(L"Z:\\proc\\self\\environ");
    const std::size_t at = server.find("WINEPREFIX=");
    if (at == std::string::npos) return {};
    const std::string prefix = '\0' + std::string(server.c_str() + at) + '\0';
    WIN32_FIND_DATAW found;
    const HANDLE search = FindFirstFileW(L"Z:\\proc\\*", &found);
    std::wstring match;
    for (BOOL more = search != INVALID_HANDLE_VALUE; more && match.empty(); more = FindNextFileW(search, &found)) {
        const std::wstring pid = found.cFileName;
        if (pid.find_first_not_of(L"0123456789") != std::wstring::npos) continue;
        if (readAll(L"Z:\\proc\\" + pid + L"\\stat").find(comm) == std::string::npos) continue;
        if (('\0' + readAll(L"Z:\\proc\\" + pid + L"\\environ")).find(prefix) != std::string::npos) match = pid;
    }
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    return match;
}

// A field of this process's Unix status in MiB; 0 where there is none.
double unixStatusMiB(const char* key)
{
    static const std::wstring pid = unixProcess();
    if (pid.empty()) return 0;
    const std::string status = readAll(L"Z:\\proc\\" + pid + L"\\status");
    const std::size_t at = status.find(key);
    return at == std::string::npos ? 0.0 : std::atof(status.c_str() + at + std::strlen(key)) / 1024;
}

double mebibytes(SIZE_T bytes) { return static_cast<double>(bytes) / 1048576.0; }

}  // namespace

ProcessFigures measureProcess()
{
    ProcessFigures figures;
    DWORD handles = 0;
    GetProcessHandleCount(GetCurrentProcess(), &handles);
    figures.handles = handles ? static_cast<long>(handles) : liveHandles();
    figures.gdiObjects = static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS));
    if (figures.gdiObjects == 0) figures.gdiObjects = liveGdiEntries();
    figures.userObjects = static_cast<long>(GetGuiResources(GetCurrentProcess(), GR_USEROBJECTS));
    if (figures.userObjects == 0) figures.userObjects = ownWindows();
    figures.threads = ownThreads();

    PROCESS_MEMORY_COUNTERS_EX memory{};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory);
    figures.privateMiB = memory.PrivateUsage ? mebibytes(memory.PrivateUsage) : unixStatusMiB("VmData:");
    figures.workingSetMiB = memory.WorkingSetSize ? mebibytes(memory.WorkingSetSize) : unixStatusMiB("VmRSS:");
    return figures;
}

void printFigures(std::FILE* out, const char* label, const ProcessFigures& f)
{
    std::fprintf(out, "%-14s handles %5ld  gdi %5ld  user %4ld  threads %3ld  private %7.1f MiB  working set %7.1f MiB\n",
                 label, f.handles, f.gdiObjects, f.userObjects, f.threads, f.privateMiB, f.workingSetMiB);
    std::fflush(out);
}

}  // namespace endurance
