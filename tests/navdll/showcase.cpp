// Plays the sample disc into a plain window so the navigator's pictures can be looked at:
//   navigator_showcase title|menu READY_FILE
// Shows the scene, writes the window's screen area ("WxH+X+Y") to READY_FILE, and holds the
// picture until READY_FILE.release appears (at most half a minute).

#include "Harness.h"

#include <shellapi.h>

#include <cstdio>
#include <string>

using namespace navtest;

namespace {

bool fileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

HWND makeWindow(int width, int height)
{
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = L"NavigatorShowcase";
    RegisterClassW(&windowClass);
    return CreateWindowExW(0, windowClass.lpszClassName, L"Navigator showcase", WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0,
                           width, height, nullptr, nullptr, windowClass.hInstance, nullptr);
}

bool inTitleAt(DvdPlayback& playback, int seconds)
{
    return playback.waitFor(EC_DVD_CURRENT_HMSF_TIME, [&](const GraphEvent& event) {
        return ((event.param1 >> 16) & 0xFF) >= seconds;
    }).has_value();
}

int fail(const char* what)
{
    std::fprintf(stderr, "showcase: %s\n", what);
    return 1;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &count);
    if (count != 3) return fail("usage: navigator_showcase title|menu READY_FILE");
    const std::wstring scene = arguments[1];
    const std::wstring ready = arguments[2];

    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int result = 0;
    {
        ClassRegistration classes;
        DvdPlayback playback;
        if (!playback.ready() || playback.render(disc(L"sample")) != S_OK) return fail("no graph for the sample disc");
        const HWND window = makeWindow(720, 576);
        ComPtr<IVideoWindow> video = playback.videoWindow();
        video->put_Owner(reinterpret_cast<OAHWND>(window));
        video->put_WindowStyle(WS_CHILD | WS_CLIPSIBLINGS);
        video->SetWindowPosition(0, 0, 720, 576);
        video->put_Visible(OATRUE);
        ComPtr<IDvdControl2> dvd = playback.dvd();
        dvd->SetOption(DVD_HMSF_TimeCodeEvents, TRUE);
        playback.control->Run();

        // First play leads to the disc's title menu.
        const bool menu = playback.waitFor(EC_DVD_DOMAIN_CHANGE, [](const GraphEvent& event) {
            return event.param1 == DVD_DOMAIN_VideoManagerMenu;
        }).has_value();
        if (!menu) result = fail("the menu did not show");
        if (result == 0 && scene == L"menu") {
            dvd->SelectButton(2);
            pumpMessages(500);
        } else if (result == 0) {
            dvd->SelectAndActivateButton(1);
            dvd->SelectAudioStream(1, DVD_CMD_FLAG_None, nullptr);
            dvd->SelectSubpictureStream(0, DVD_CMD_FLAG_None, nullptr);
            dvd->SetSubpictureState(TRUE, DVD_CMD_FLAG_None, nullptr);
            if (!inTitleAt(playback, 3)) result = fail("the title did not play");
            dvd->PlayForwards(2.0, DVD_CMD_FLAG_None, nullptr);
            pumpMessages(300);
        }
        if (result == 0) {
            RECT area{};
            GetWindowRect(window, &area);
            if (FILE* file = _wfopen(ready.c_str(), L"w")) {
                std::fprintf(file, "%ldx%ld+%ld+%ld\n", area.right - area.left, area.bottom - area.top, area.left, area.top);
                std::fclose(file);
            }
            const ULONGLONG end = GetTickCount64() + 30000;
            while (!fileExists(ready + L".release") && GetTickCount64() < end) pumpMessages(50);
        }
        playback.clear();
        video.Reset();
        dvd.Reset();
        DestroyWindow(window);
    }
    CoUninitialize();
    LocalFree(arguments);
    return result;
}
