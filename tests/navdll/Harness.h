#pragma once
// What the DLL's tests share: the DLL loaded into the test process with its classes served
// in-process, the test discs, and a DVD graph built the way the player builds it.

#include "DirectShow.h"
#include "graph/ClassContext.h"

#include <dvdevcod.h>

#ifdef __CRT_UUID_DECL
__CRT_UUID_DECL(IMediaEventEx, 0x56a868c0, 0x0ad4, 0x11ce, 0xb0, 0x3a, 0x00, 0x20, 0xaf, 0x0b, 0xa7, 0x70)
#endif

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace navtest {

// A disc made by the test disc script, e.g. disc(L"sample"): its folder holding VIDEO_TS;
// empty when the environment does not name the discs' folder.
std::wstring disc(const wchar_t* name);
// The root of the drive tests/drive/slow-drive.sh presents (e.g. L"S:\\"); empty without one.
std::wstring slowDrive();
// How long the sync tests play: what tools/sync-bench.sh sets in LUMANAV_SYNC_SECONDS, 8 otherwise.
int syncSeconds();
// The folder screenshots go to; empty when not named.
std::wstring shotsFolder();

// The navigator DLL, loaded once for the whole test run.
class NavigatorDll {
public:
    static NavigatorDll& instance();
    bool loaded() const { return module_ != nullptr; }
    HRESULT classObject(REFCLSID clsid, IClassFactory** factory) const;
    HRESULT canUnloadNow() const;
    HRESULT registerServer() const;
    HRESULT unregisterServer() const;

private:
    NavigatorDll();
    HMODULE module_ = nullptr;
};

// The DLL's two classes served in-process while this lives, ahead of whatever the registry
// names for them.
class ClassRegistration {
public:
    ClassRegistration();
    ~ClassRegistration();
    ClassRegistration(const ClassRegistration&) = delete;
    ClassRegistration& operator=(const ClassRegistration&) = delete;
    bool active() const { return cookies_[0] != 0 && cookies_[1] != 0; }

private:
    DWORD cookies_[2] = {};
};

// The DLL's classes as the player reaches them, with nothing registered: through the manifest
// the DLL carries.
const graph::TClassContext& navigatorClasses();

// A class whose objects cannot be made, served in-process while this lives: a renderer the
// platform fails to provide.
class UnavailableClass {
public:
    explicit UnavailableClass(REFCLSID clsid);
    ~UnavailableClass();
    UnavailableClass(const UnavailableClass&) = delete;
    UnavailableClass& operator=(const UnavailableClass&) = delete;

private:
    DWORD cookie_ = 0;
};

struct GraphEvent {
    long code = 0;
    LONG_PTR param1 = 0;
    LONG_PTR param2 = 0;
    REFERENCE_TIME clockTime = 0;  // the graph's clock when the test took the event
};

// Serves the calling thread's window messages for a while.
void pumpMessages(DWORD milliseconds);

// A DVD graph built by the graph builder created as the player creates it, in the graph the
// builder provides, with a standard video renderer added under "VideoWindow" beforehand, as
// the player does.
// What the screen shows in `area`, as BGRA rows top first; empty when it cannot be read.
std::vector<std::uint8_t> captureScreen(const RECT& area);

class DvdPlayback {
public:
    explicit DvdPlayback(bool addPlayerRenderer = true);
    ~DvdPlayback();
    DvdPlayback(const DvdPlayback&) = delete;
    DvdPlayback& operator=(const DvdPlayback&) = delete;

    bool ready() const { return builder && graph && control && events; }
    // An empty path passes none.
    HRESULT render(const std::wstring& path, DWORD flags = AM_DVD_HWDEC_PREFER);
    ComPtr<IDvdControl2> dvd() const;
    ComPtr<IDvdInfo2> info() const;
    ComPtr<IVideoWindow> videoWindow() const;
    // Places the renderer's window inside a hidden window of the test's own, as the player
    // places it inside its form. A top-level renderer window would make every teardown
    // wait for a window manager that the test display does not have.
    void embedVideo();
    // Shows the embedded picture at the screen's top left at this size: its host, or null.
    HWND showVideo(int width, int height);
    // The filters of the graph with their class ids.
    std::vector<std::pair<ComPtr<IBaseFilter>, CLSID>> filters() const;

    // Waits, serving window messages, for an event of this code that `match` accepts;
    // every event taken meanwhile lands in `seen`.
    std::optional<GraphEvent> waitFor(long code, const std::function<bool(const GraphEvent&)>& match = {},
                                      DWORD milliseconds = 20000);
    // Takes every event for a while.
    void collect(DWORD milliseconds);
    REFERENCE_TIME clockTime() const;
    // Empties the graph as the player does: stop, disconnect every pin, remove every filter.
    void clear();

    ComPtr<IDvdGraphBuilder> builder;
    ComPtr<IGraphBuilder> graph;
    ComPtr<IMediaControl> control;
    ComPtr<IMediaEventEx> events;
    ComPtr<IBaseFilter> playerRenderer;
    AM_DVD_RENDERSTATUS status{};
    std::vector<GraphEvent> seen;

private:
    bool takeEvent(GraphEvent& event);

    HWND host_ = nullptr;
};

}  // namespace navtest
