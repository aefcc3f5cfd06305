#include "Driver.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

namespace e2e {
namespace {

// Read as wide text: a path may hold letters beyond ASCII (an unpacked package's folder).
std::wstring Env(const char* name)
{
    const std::wstring key(name, name + std::strlen(name));
    std::wstring value(GetEnvironmentVariableW(key.c_str(), nullptr, 0), L'\0');
    if (value.empty()) throw std::runtime_error(std::string("environment variable missing: ") + name);
    value.resize(GetEnvironmentVariableW(key.c_str(), value.data(), static_cast<DWORD>(value.size())));
    return value;
}

// The stacks of the player's threads from Wine's debugger, which reports every process's; none
// where there is no such debugger.
std::string PlayerThreads()
{
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    HANDLE read = nullptr, write = nullptr;
    if (!CreatePipe(&read, &write, &inherited, 0)) return {};
    SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = startup.hStdError = write;
    wchar_t command[] = L"winedbg --command \"bt all\"";
    PROCESS_INFORMATION debugger{};
    const bool started = CreateProcessW(nullptr, command, nullptr, nullptr, TRUE, CREATE_NO_WINDOW, nullptr, nullptr,
                                        &startup, &debugger);
    CloseHandle(write);
    std::string all, kept;
    if (started) {
        char buffer[4096];
        for (DWORD n; ReadFile(read, buffer, sizeof buffer, &n, nullptr) && n > 0;) all.append(buffer, n);
        CloseHandle(debugger.hThread);
        CloseHandle(debugger.hProcess);
    }
    CloseHandle(read);
    // A thread's stack follows a line that names it and its process.
    bool player = false;
    for (size_t at = 0, end; at < all.size(); at = end + 1) {
        end = std::min(all.find('\n', at), all.size());
        const std::string line = all.substr(at, end - at + 1);
        if (line.rfind("Backtracing for thread", 0) == 0) player = line.find("lumadisc.exe") != std::string::npos;
        if (player) kept += line;
    }
    return kept;
}

struct ProcessWindows {
    DWORD pid;
    std::vector<HWND> windows;
};

BOOL CALLBACK CollectProcessWindow(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<ProcessWindows*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == search->pid && IsWindowVisible(window)) search->windows.push_back(window);
    return TRUE;
}

struct ChildSearch {
    HWND parent;
    std::wstring className;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectChild(HWND window, LPARAM param)
{
    auto* search = reinterpret_cast<ChildSearch*>(param);
    if (ClassName(window) == search->className) search->found.push_back(window);
    return TRUE;
}

// Memory inside the player's process, for messages whose answer is written through a pointer.
class RemoteBuffer {
public:
    RemoteBuffer(HWND window, SIZE_T size) : size_(size)
    {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (!process_) throw std::runtime_error("cannot open the player's process");
        address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE);
        if (!address_) {
            CloseHandle(process_);
            throw std::runtime_error("cannot allocate in the player's process");
        }
    }
    ~RemoteBuffer()
    {
        VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        CloseHandle(process_);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    LPARAM Address() const { return reinterpret_cast<LPARAM>(address_); }
    void Read(void* target) const { ReadProcessMemory(process_, address_, target, size_, nullptr); }

private:
    HANDLE process_ = nullptr;
    void* address_ = nullptr;
    SIZE_T size_;
};

void SendMouse(DWORD flags)
{
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

} // namespace

// CTest hands over Unix paths; Wine maps the Unix root to drive Z:.
std::wstring WindowsPath(std::wstring path)
{
    if (!path.empty() && path[0] == L'/') path = L"Z:" + path;
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

std::wstring EnvPath(const char* name) { return WindowsPath(Env(name)); }

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs)
{
    const ULONGLONG end = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() >= end) return false;
        Sleep(50);
    }
}

Player::Player()
{
    std::wstring command = L"\"" + EnvPath("LUMADISC_EXE") + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process_))
        throw std::runtime_error("cannot start lumadisc.exe");
    // Idle is the first look at an empty message queue, which may come before the control bar
    // shows: on a busy machine it shows later still.
    WaitForInputIdle(process_.hProcess, 10000);
    WaitFor([&] { return MainWindow() != nullptr; }, 20000);
}

Player::~Player()
{
    if (Running()) {
        Close(5000);
        if (Running()) {
            std::printf("the player does not close; where its threads stand:\n%s", PlayerThreads().c_str());
            TerminateProcess(process_.hProcess, 1);
        }
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

std::vector<HWND> Player::TopLevelWindows() const
{
    ProcessWindows search{process_.dwProcessId, {}};
    EnumWindows(CollectProcessWindow, reinterpret_cast<LPARAM>(&search));
    return search.windows;
}

HWND Player::MainWindow() const
{
    static const std::wstring caption = L"Lumadisc";
    for (HWND window : TopLevelWindows()) {
        const std::wstring text = Text(window);
        if (text.compare(0, caption.size(), caption) == 0) return window;
    }
    return nullptr;
}

HWND Player::VideoWindow() const
{
    for (HWND window : TopLevelWindows())
        if (window != MainWindow() && Text(window).empty() &&
            (GetWindowLongW(window, GWL_STYLE) & WS_THICKFRAME))
            return window;
    return nullptr;
}

bool Player::Running() const
{
    return WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT;
}

bool Player::Close(DWORD timeoutMs)
{
    if (HWND main = MainWindow()) PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
    return WaitForSingleObject(process_.hProcess, timeoutMs) == WAIT_OBJECT_0;
}

std::wstring ClassName(HWND window)
{
    wchar_t name[256] = {};
    GetClassNameW(window, name, 256);
    return name;
}

std::wstring Text(HWND window)
{
    wchar_t text[1024] = {};
    SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                        5000, nullptr);
    return text;
}

std::vector<HWND> Children(HWND parent, const std::wstring& className)
{
    ChildSearch search{parent, className, {}};
    EnumChildWindows(parent, CollectChild, reinterpret_cast<LPARAM>(&search));
    std::sort(search.found.begin(), search.found.end(), [](HWND a, HWND b) {
        const RECT ra = ScreenRect(a), rb = ScreenRect(b);
        return ra.top != rb.top ? ra.top < rb.top : ra.left < rb.left;
    });
    return search.found;
}

HWND ChildWithText(HWND parent, const std::wstring& className, const std::wstring& prefix)
{
    for (HWND child : Children(parent, className))
        if (Text(child).rfind(prefix, 0) == 0) return child;
    return nullptr;
}

RECT ScreenRect(HWND window)
{
    RECT rect{};
    GetWindowRect(window, &rect);
    return rect;
}

int SliderPosition(HWND slider) { return static_cast<int>(SendMessageW(slider, TBM_GETPOS, 0, 0)); }
int SliderMax(HWND slider) { return static_cast<int>(SendMessageW(slider, TBM_GETRANGEMAX, 0, 0)); }

RECT SliderThumbRect(HWND slider)
{
    RemoteBuffer buffer(slider, sizeof(RECT));
    SendMessageW(slider, TBM_GETTHUMBRECT, 0, buffer.Address());
    RECT rect{};
    buffer.Read(&rect);
    MapWindowPoints(slider, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

int ToolButtonCount(HWND toolbar)
{
    return static_cast<int>(SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0));
}

RECT ToolButtonRect(HWND toolbar, int index)
{
    RemoteBuffer buffer(toolbar, sizeof(RECT));
    SendMessageW(toolbar, TB_GETITEMRECT, index, buffer.Address());
    RECT rect{};
    buffer.Read(&rect);
    MapWindowPoints(toolbar, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

bool ToolButtonChecked(HWND toolbar, int index)
{
    RemoteBuffer buffer(toolbar, sizeof(TBBUTTON));
    SendMessageW(toolbar, TB_GETBUTTON, index, buffer.Address());
    TBBUTTON button{};
    buffer.Read(&button);
    return SendMessageW(toolbar, TB_ISBUTTONCHECKED, button.idCommand, 0) != 0 ||
           SendMessageW(toolbar, TB_ISBUTTONPRESSED, button.idCommand, 0) != 0;
}

void MoveTo(POINT screen)
{
    SetCursorPos(screen.x, screen.y);
    Sleep(50);
}

void Click(POINT screen, bool right)
{
    MoveTo(screen);
    SendMouse(right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN);
    Sleep(30);
    SendMouse(right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP);
    Sleep(100);
}

void DoubleClick(POINT screen)
{
    MoveTo(screen);
    for (int i = 0; i < 2; ++i) {
        SendMouse(MOUSEEVENTF_LEFTDOWN);
        SendMouse(MOUSEEVENTF_LEFTUP);
    }
    Sleep(100);
}

void PressKey(WORD key, bool alt)
{
    std::vector<INPUT> inputs;
    auto add = [&](WORD vk, DWORD flags) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = vk;
        input.ki.dwFlags = flags;
        inputs.push_back(input);
    };
    if (alt) add(VK_MENU, 0);
    add(key, 0);
    add(key, KEYEVENTF_KEYUP);
    if (alt) add(VK_MENU, KEYEVENTF_KEYUP);
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    Sleep(100);
}

HWND OpenPopupMenu()
{
    HWND popup = nullptr;
    while ((popup = FindWindowExW(nullptr, popup, L"#32768", nullptr)))
        if (IsWindowVisible(popup)) return popup;
    return nullptr;
}

void ChoosePopupItem(int index)
{
    for (int i = 0; i <= index; ++i) PressKey(VK_DOWN);
    PressKey(VK_RETURN);
}

HWND WaitForDialog(const Player& player, const std::wstring& caption, DWORD timeoutMs)
{
    HWND found = nullptr;
    WaitFor(
        [&] {
            for (HWND window : player.TopLevelWindows())
                if (ClassName(window) == L"#32770" && Text(window) == caption) found = window;
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

std::wstring AllStaticText(HWND window)
{
    std::wstring all;
    for (HWND child : Children(window, L"Static")) all += Text(child) + L"\n";
    return all;
}

Capture CaptureClient(HWND window)
{
    RECT client{};
    GetClientRect(window, &client);
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    Capture capture{client.right, client.bottom, {}};
    if (capture.width <= 0 || capture.height <= 0) return capture;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = capture.width;
    info.bmiHeader.biHeight = -capture.height; // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, capture.width, capture.height, screen, origin.x, origin.y, SRCCOPY);
    SelectObject(memory, old);
    GdiFlush();
    const auto* first = static_cast<const unsigned char*>(bits);
    capture.bgra.assign(first, first + size_t(capture.width) * capture.height * 4);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return capture;
}

std::string Screenshot(const std::string& name)
{
    const char* folder = std::getenv("LUMADISC_SHOTS");
    std::string path = std::string(folder ? folder : ".") + "/" + name + ".bmp";
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    const DWORD stride = ((width * 3 + 3) / 4) * 4, size = stride * height;
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + size;
    std::wstring widePath = WindowsPath(std::wstring(path.begin(), path.end()));
    if (FILE* out = _wfopen(widePath.c_str(), L"wb")) {
        fwrite(&file, sizeof file, 1, out);
        fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out);
        fwrite(bits, 1, size, out);
        fclose(out);
    }
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return path;
}

} // namespace e2e
