#include "video/VideoWindow.h"

#include <string_view>

using graph::Check;

namespace {

constexpr LONG CaptionAndThickFrame = WS_CAPTION | WS_THICKFRAME;  // 0x00C40000
constexpr LONG EdgeStyles = WS_EX_STATICEDGE | WS_EX_CLIENTEDGE | WS_EX_WINDOWEDGE | WS_EX_DLGMODALFRAME;
constexpr LONG ChildStyles = WS_CHILD | WS_CLIPSIBLINGS;  // 0x44000000

// A string for the renderer's automation interface, freed with the object.
class Bstr {
public:
    explicit Bstr(const std::wstring& text) : value_(SysAllocString(text.c_str())) {}
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { SysFreeString(value_); }
    BSTR Get() const { return value_; }

private:
    BSTR value_;
};

// Wine's renderer takes SetWindowLong's answer (the previous extended style) for its result, so
// it reports E_FAIL whenever that was 0; and it leaves WS_EX_TOPMOST to SetWindowLong, which
// cannot change that bit. The style counts as applied when the window reports it back.
void PutWindowStyleEx(IVideoWindow& window, LONG exStyle)
{
    const HRESULT result = window.put_WindowStyleEx(exStyle);
    if (SUCCEEDED(result)) return;
    long applied = 0;
    if (SUCCEEDED(window.get_WindowStyleEx(&applied)) && ((applied ^ exStyle) & ~WS_EX_TOPMOST) == 0) return;
    Check(result);
}

}  // namespace

TVideoWindow::TVideoWindow(ui::Window& parent, const ui::Bounds& bounds)
    : ui::CustomControl(parent, bounds), vmrOptions_(*this)
{
    SetColor(RGB(0, 0, 0));
    SetWindowLongW(Handle(), GWL_STYLE, GetWindowLongW(Handle(), GWL_STYLE) | WS_TABSTOP);
    // Every style the renderer window is given derives from these, never from the styles it
    // had before, so full screen can be entered and left any number of times.
    savedStyle_ = GetWindowLongW(Handle(), GWL_STYLE);
    savedExStyle_ = GetWindowLongW(Handle(), GWL_EXSTYLE);
}

TVideoWindow::~TVideoWindow()
{
    // A destructor cannot report: whatever letting the renderer go raises, the graph
    // component must forget the control.
    if (filterGraph_) {
        try {
            filterGraph_->RemoveFilterComponent(this);
        } catch (...) {
        }
        filterGraph_->RemoveEventNotifier(this);
    }
    if (canvas_) ReleaseDC(Handle(), canvas_);
}

void TVideoWindow::SetFilterGraph(graph::TFilterGraph* filterGraph)
{
    if (filterGraph == filterGraph_) return;
    if (filterGraph_) {
        filterGraph_->RemoveFilterComponent(this);
        filterGraph_->RemoveEventNotifier(this);
    }
    if (filterGraph) {
        filterGraph->InsertFilterComponent(this);
        filterGraph->InsertEventNotifier(this);
    }
    filterGraph_ = filterGraph;
}

void TVideoWindow::NotifyFilter(graph::TFilterOperation operation, int)
{
    switch (operation) {
    case graph::foAdding: FilterAdding(); break;
    case graph::foAdded: FilterAdded(); break;
    case graph::foRemoving: FilterRemoving(); break;
    case graph::foRemoved: FilterRemoved(); break;
    }
}

void TVideoWindow::FilterAdding()
{
    if (mode_ == vmVMR) {
        AddMixingRenderer();
        return;
    }
    // Without a renderer the graph still plays; every window step is then skipped.
    CoCreateInstance(CLSID_VideoRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(renderer_.ReleaseAndGetAddressOf()));
}

void TVideoWindow::FilterAdded()
{
    if (!renderer_) return;
    if (mode_ == vmVMR)
        ConfigureMixingRenderer();
    else
        Check(renderer_.As(&videoWindow_));
}

void TVideoWindow::FilterRemoving()
{
    if (!renderer_) return;
    Check(renderer_->Stop());
    ComPtr<IEnumPins> pins;
    Check(renderer_->EnumPins(&pins));
    ComPtr<IPin> pin;
    while (pins->Next(1, pin.ReleaseAndGetAddressOf(), nullptr) == S_OK) Check(pin->Disconnect());
}

void TVideoWindow::FilterRemoved()
{
    videoWindow_.Reset();
    windowless_.Reset();
    renderer_.Reset();
}

void TVideoWindow::GraphEvent(long code, LONG_PTR, LONG_PTR)
{
    if (code == EC_PALETTE_CHANGED && videoWindow_)
        ShowInRendererWindow();
    else if (code == EC_VMR_RENDERDEVICE_SET && mode_ == vmVMR && vmrOptions_.mode_ == vmrWindowed && videoWindow_) {
        Check(videoWindow_->put_Caption(Bstr(GetName()).Get()));
        Check(videoWindow_->put_MessageDrain(reinterpret_cast<OAHWND>(Handle())));
    }
}

void TVideoWindow::ControlEvent(graph::TControlEvent kind, DWORD)
{
    if (kind == graph::ceDVDRendered)
        AdoptGraphRenderer();
    else if (kind == graph::ceControlPlay) {
        if (mode_ == vmVMR)
            SetFullScreen(fullScreen_);
        else if (videoWindow_)
            ShowInRendererWindow();
    }
}

// A DVD graph may come with a standard renderer of its own that the decoder is connected
// to; the picture is then that renderer's, and the control takes it over.
void TVideoWindow::AdoptGraphRenderer()
{
    if (!renderer_) return;
    FILTER_INFO info = {};
    Check(renderer_->QueryFilterInfo(&info));
    if (info.pGraph) {
        info.pGraph->Release();
        return;
    }
    ComPtr<IEnumFilters> filters;
    if (!filterGraph_ || FAILED(filterGraph_->Get<IFilterGraph>()->EnumFilters(&filters))) return;
    ComPtr<IBaseFilter> filter;
    while (filters->Next(1, filter.ReleaseAndGetAddressOf(), nullptr) == S_OK) {
        CLSID classId = GUID_NULL;
        if (FAILED(filter->GetClassID(&classId)) || classId != CLSID_VideoRenderer) continue;
        if (mode_ == vmNormal) {
            videoWindow_.Reset();
            windowless_.Reset();
            renderer_ = filter;
            renderer_.As(&videoWindow_);
        }
        return;
    }
}

void TVideoWindow::ShowInRendererWindow()
{
    SetFullScreen(fullScreen_);
    Check(videoWindow_->put_Caption(Bstr(GetName()).Get()));
    Check(videoWindow_->put_MessageDrain(reinterpret_cast<OAHWND>(Handle())));
}

void TVideoWindow::SetFullScreen(bool fullScreen)
{
    if (videoWindow_) PlaceRendererWindow(fullScreen);
    if (windowless_) detached_ = false;
    fullScreen_ = fullScreen;
}

void TVideoWindow::PlaceRendererWindow(bool fullScreen)
{
    if (fullScreen) {
        LONG exStyle = savedExStyle_ & ~EdgeStyles;
        if (fullScreenTopMost_) exStyle |= WS_EX_TOPMOST;
        Check(videoWindow_->put_Owner(0));
        Check(videoWindow_->put_WindowStyle(savedStyle_ & ~CaptionAndThickFrame));
        PutWindowStyleEx(*videoWindow_.Get(), exStyle);
        // Always the primary screen at its origin, whichever monitor the form is on.
        Check(videoWindow_->SetWindowPosition(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)));
        detached_ = true;
    } else {
        Check(videoWindow_->put_Owner(reinterpret_cast<OAHWND>(Parent().Handle())));
        Check(videoWindow_->put_WindowStyle(savedStyle_ | ChildStyles));
        PutWindowStyleEx(*videoWindow_.Get(), savedExStyle_);
        Check(videoWindow_->SetWindowPosition(Left(), Top(), Width(), Height()));
        detached_ = false;
    }
}

void TVideoWindow::SetFullScreenTopMost(bool topMost)
{
    fullScreenTopMost_ = topMost;
    if (fullScreen_) SetFullScreen(true);
}

void TVideoWindow::SetVisible(bool visible)
{
    ui::CustomControl::SetVisible(visible);
    if (videoWindow_) Check(videoWindow_->put_Visible(visible ? OATRUE : OAFALSE));
}

HANDLE TVideoWindow::VideoHandle()
{
    // Wine names the standard renderer's window class "wine_quartz_window", so there this
    // finds nothing.
    if (videoWindow_) return FindWindowExW(Parent().Handle(), nullptr, L"VideoRenderer", GetName().c_str());
    if (!canvas_) canvas_ = GetDC(Handle());
    return canvas_;
}

HRESULT TVideoWindow::QueryInterface(REFIID iid, void** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid == __uuidof(IVMRWindowlessControl9) && windowless_) {
        *object = windowless_.Get();
        windowless_->AddRef();
        return S_OK;
    }
    return renderer_ ? renderer_->QueryInterface(iid, object) : E_NOINTERFACE;
}

bool TVideoWindow::ShowsPointerIn(HWND window) const
{
    if (CustomControl::ShowsPointerIn(window)) return true;
    // The renderer's own window lies over the control, or covers the screen, and so takes the
    // pointer; it is ours when it is of this process and carries the component's name.
    if (!videoWindow_ || !window) return false;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    wchar_t caption[32] = {};
    GetWindowTextW(window, caption, 32);
    return process == GetCurrentProcessId() && caption == std::wstring_view(ComponentName);
}

void TVideoWindow::Resize()
{
    ui::CustomControl::Resize();
    if (mode_ == vmVMR && vmrOptions_.mode_ == vmrWindowless) {
        PositionWindowless();
    } else if ((mode_ == vmNormal || vmrOptions_.mode_ == vmrWindowed) && videoWindow_ && !fullScreen_) {
        videoWindow_->SetWindowPosition(Left(), Top(), Width(), Height());
    }
}

// While the renderer window covers the screen, its drained coordinates are relative to that
// window, not to the control: the cursor's screen position is what the handlers get.
void TVideoWindow::ReplaceWithCursor(int& x, int& y) const
{
    if (!detached_) return;
    POINT cursor = {};
    GetCursorPos(&cursor);
    x = cursor.x;
    y = cursor.y;
}

void TVideoWindow::MouseDown(ui::MouseButton button, ui::ShiftState shift, int x, int y)
{
    ReplaceWithCursor(x, y);
    ui::CustomControl::MouseDown(button, shift, x, y);
}

void TVideoWindow::MouseMove(ui::ShiftState shift, int x, int y)
{
    ReplaceWithCursor(x, y);
    ui::CustomControl::MouseMove(shift, x, y);
}

void TVideoWindow::MouseUp(ui::MouseButton button, ui::ShiftState shift, int x, int y)
{
    ReplaceWithCursor(x, y);
    ui::CustomControl::MouseUp(button, shift, x, y);
}

LRESULT TVideoWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CONTEXTMENU && fullScreen_) {
        POINT cursor = {};
        GetCursorPos(&cursor);
        if (PopupContextMenu(cursor)) return 1;
    }
    return ui::CustomControl::HandleMessage(message, wParam, lParam);
}
