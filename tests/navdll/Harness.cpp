#include "Harness.h"

#include <algorithm>
#include <cwchar>

namespace navtest {
namespace {

std::wstring environment(const wchar_t* name)
{
    wchar_t value[1024] = {};
    const DWORD length = GetEnvironmentVariableW(name, value, 1024);
    if (length == 0 || length >= 1024) return {};
    std::wstring text(value, length);
    std::replace(text.begin(), text.end(), L'/', L'\\');
    return text;
}

using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
using PlainEntry = HRESULT(STDAPICALLTYPE*)();

}  // namespace

int syncSeconds()
{
    const std::wstring given = environment(L"LUMANAV_SYNC_SECONDS");
    wchar_t* end = nullptr;
    const long seconds = given.empty() ? 0 : std::wcstol(given.c_str(), &end, 10);
    return seconds > 0 && *end == L'\0' ? static_cast<int>(seconds) : 8;
}

std::wstring disc(const wchar_t* name)
{
    const std::wstring folder = environment(L"LUMANAV_TEST_DISCS");
    return folder.empty() ? folder : folder + L"\\" + name;
}

std::wstring slowDrive()
{
    const std::wstring drive = environment(L"LUMANAV_SLOW_DRIVE");
    return drive.empty() ? drive : drive + L"\\";
}

std::wstring shotsFolder() { return environment(L"LUMANAV_SHOTS"); }

NavigatorDll& NavigatorDll::instance()
{
    static NavigatorDll dll;
    return dll;
}

NavigatorDll::NavigatorDll()
{
    const std::wstring path = environment(L"LUMANAV_DLL");
    if (!path.empty()) module_ = LoadLibraryW(path.c_str());
}

HRESULT NavigatorDll::classObject(REFCLSID clsid, IClassFactory** factory) const
{
    if (!module_) return E_FAIL;
    const auto entry = reinterpret_cast<GetClassObject>(reinterpret_cast<void*>(GetProcAddress(module_, "DllGetClassObject")));
    return entry ? entry(clsid, IID_IClassFactory, reinterpret_cast<void**>(factory)) : E_FAIL;
}

HRESULT NavigatorDll::canUnloadNow() const
{
    const auto entry = reinterpret_cast<PlainEntry>(reinterpret_cast<void*>(GetProcAddress(module_, "DllCanUnloadNow")));
    return entry ? entry() : E_FAIL;
}

HRESULT NavigatorDll::registerServer() const
{
    const auto entry = reinterpret_cast<PlainEntry>(reinterpret_cast<void*>(GetProcAddress(module_, "DllRegisterServer")));
    return entry ? entry() : E_FAIL;
}

HRESULT NavigatorDll::unregisterServer() const
{
    const auto entry = reinterpret_cast<PlainEntry>(reinterpret_cast<void*>(GetProcAddress(module_, "DllUnregisterServer")));
    return entry ? entry() : E_FAIL;
}

ClassRegistration::ClassRegistration()
{
    const CLSID* classes[2] = {&CLSID_DvdGraphBuilder, &CLSID_DVDNavigator};
    for (int i = 0; i < 2; ++i) {
        ComPtr<IClassFactory> factory;
        if (SUCCEEDED(NavigatorDll::instance().classObject(*classes[i], &factory)))
            CoRegisterClassObject(*classes[i], factory.Get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookies_[i]);
    }
}

ClassRegistration::~ClassRegistration()
{
    for (DWORD cookie : cookies_)
        if (cookie) CoRevokeClassObject(cookie);
}

const graph::TClassContext& navigatorClasses()
{
    static const graph::TClassContext classes(environment(L"LUMANAV_DLL"));
    return classes;
}

namespace {

class RefusingFactory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override
    {
        if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
            *result = this;
            AddRef();
            return S_OK;
        }
        *result = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID, void** result) override
    {
        *result = nullptr;
        return E_FAIL;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

RefusingFactory refusingFactory;

}  // namespace

UnavailableClass::UnavailableClass(REFCLSID clsid)
{
    CoRegisterClassObject(clsid, &refusingFactory, CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie_);
}

UnavailableClass::~UnavailableClass()
{
    if (cookie_) CoRevokeClassObject(cookie_);
}

void pumpMessages(DWORD milliseconds)
{
    const ULONGLONG end = GetTickCount64() + milliseconds;
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        const ULONGLONG now = GetTickCount64();
        if (now >= end) return;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(std::min<ULONGLONG>(end - now, 10)), QS_ALLINPUT);
    }
}

DvdPlayback::DvdPlayback(bool addPlayerRenderer)
{
    {
        const graph::TClassActivation ours(navigatorClasses());
        if (FAILED(CoCreateInstance(CLSID_DvdGraphBuilder, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&builder)))) return;
    }
    if (FAILED(builder->GetFiltergraph(&graph))) return;
    graph.As(&control);
    graph.As(&events);
    if (addPlayerRenderer &&
        SUCCEEDED(CoCreateInstance(CLSID_VideoRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&playerRenderer))))
        graph->AddFilter(playerRenderer.Get(), L"VideoWindow");
}

DvdPlayback::~DvdPlayback()
{
    if (graph) clear();
    builder.Reset();
    graph.Reset();
    control.Reset();
    events.Reset();
    playerRenderer.Reset();
    if (host_) DestroyWindow(host_);
}

void DvdPlayback::embedVideo()
{
    ComPtr<IVideoWindow> window = videoWindow();
    if (!window) return;
    if (!host_) {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = DefWindowProcW;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"NavigatorTestVideoHost";
        RegisterClassW(&windowClass);
        host_ = CreateWindowExW(0, windowClass.lpszClassName, L"", WS_POPUP, 0, 0, 720, 576, nullptr, nullptr,
                                windowClass.hInstance, nullptr);
    }
    window->put_Owner(reinterpret_cast<OAHWND>(host_));
    window->put_WindowStyle(WS_CHILD | WS_CLIPSIBLINGS);
}

std::vector<std::uint8_t> captureScreen(const RECT& area)
{
    const int width = area.right - area.left, height = area.bottom - area.top;
    BITMAPINFO format{};
    format.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const HDC screen = GetDC(nullptr);
    const HDC copy = CreateCompatibleDC(screen);
    const HBITMAP bitmap = CreateDIBSection(screen, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ old = SelectObject(copy, bitmap);
    std::vector<std::uint8_t> pixels;
    if (bits && BitBlt(copy, 0, 0, width, height, screen, area.left, area.top, SRCCOPY)) {
        const auto* first = static_cast<const std::uint8_t*>(bits);
        pixels.assign(first, first + std::size_t{4} * width * height);
    }
    SelectObject(copy, old);
    DeleteObject(bitmap);
    DeleteDC(copy);
    ReleaseDC(nullptr, screen);
    return pixels;
}

HWND DvdPlayback::showVideo(int width, int height)
{
    ComPtr<IVideoWindow> window = videoWindow();
    if (!window || !host_) return nullptr;
    SetWindowPos(host_, nullptr, 0, 0, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    ShowWindow(host_, SW_SHOWNOACTIVATE);
    window->SetWindowPosition(0, 0, width, height);
    window->put_Visible(OATRUE);
    return host_;
}

HRESULT DvdPlayback::render(const std::wstring& path, DWORD flags)
{
    return builder->RenderDvdVideoVolume(path.empty() ? nullptr : path.c_str(), flags, &status);
}

ComPtr<IDvdControl2> DvdPlayback::dvd() const
{
    ComPtr<IDvdControl2> control2;
    builder->GetDvdInterface(IID_IDvdControl2, reinterpret_cast<void**>(control2.GetAddressOf()));
    return control2;
}

ComPtr<IDvdInfo2> DvdPlayback::info() const
{
    ComPtr<IDvdInfo2> info2;
    builder->GetDvdInterface(IID_IDvdInfo2, reinterpret_cast<void**>(info2.GetAddressOf()));
    return info2;
}

ComPtr<IVideoWindow> DvdPlayback::videoWindow() const
{
    ComPtr<IVideoWindow> window;
    builder->GetDvdInterface(IID_IVideoWindow, reinterpret_cast<void**>(window.GetAddressOf()));
    return window;
}

std::vector<std::pair<ComPtr<IBaseFilter>, CLSID>> DvdPlayback::filters() const
{
    std::vector<std::pair<ComPtr<IBaseFilter>, CLSID>> result;
    ComPtr<IEnumFilters> list;
    if (FAILED(graph->EnumFilters(&list))) return result;
    ComPtr<IBaseFilter> filter;
    while (list->Next(1, filter.ReleaseAndGetAddressOf(), nullptr) == S_OK) {
        CLSID clsid{};
        filter->GetClassID(&clsid);
        result.emplace_back(filter, clsid);
    }
    return result;
}

bool DvdPlayback::takeEvent(GraphEvent& event)
{
    long code = 0;
    LONG_PTR param1 = 0, param2 = 0;
    if (events->GetEvent(&code, &param1, &param2, 0) != S_OK) return false;
    event = {code, param1, param2, clockTime()};
    events->FreeEventParams(code, param1, param2);
    seen.push_back(event);
    return true;
}

std::optional<GraphEvent> DvdPlayback::waitFor(long code, const std::function<bool(const GraphEvent&)>& match, DWORD milliseconds)
{
    const ULONGLONG end = GetTickCount64() + milliseconds;
    for (;;) {
        GraphEvent event;
        while (takeEvent(event))
            if (event.code == code && (!match || match(event))) return event;
        if (GetTickCount64() >= end) return std::nullopt;
        pumpMessages(10);
    }
}

void DvdPlayback::collect(DWORD milliseconds)
{
    const ULONGLONG end = GetTickCount64() + milliseconds;
    GraphEvent event;
    do {
        while (takeEvent(event)) {
        }
        pumpMessages(10);
    } while (GetTickCount64() < end);
    while (takeEvent(event)) {
    }
}

REFERENCE_TIME DvdPlayback::clockTime() const
{
    ComPtr<IMediaFilter> filter;
    ComPtr<IReferenceClock> clock;
    REFERENCE_TIME now = 0;
    if (SUCCEEDED(graph.As(&filter)) && SUCCEEDED(filter->GetSyncSource(&clock)) && clock) clock->GetTime(&now);
    return now;
}

void DvdPlayback::clear()
{
    if (control) control->Stop();
    for (const auto& [filter, clsid] : filters()) {
        ComPtr<IEnumPins> pins;
        if (FAILED(filter->EnumPins(&pins))) continue;
        ComPtr<IPin> pin;
        while (pins->Next(1, pin.ReleaseAndGetAddressOf(), nullptr) == S_OK) pin->Disconnect();
    }
    for (const auto& [filter, clsid] : filters()) graph->RemoveFilter(filter.Get());
}

}  // namespace navtest
