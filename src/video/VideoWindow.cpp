#include "video/VideoWindow.h"

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

// The renderer's window, found once by a caption no other window carries (a search by text at
// every pointer move would ask the renderer's thread each time).
HWND FindOwnWindow(HWND parent, const std::wstring& caption)
{
    for (HWND window = FindWindowExW(parent, nullptr, nullptr, caption.c_str()); window;
         window = FindWindowExW(parent, window, nullptr, caption.c_str())) {
        DWORD process = 0;
        GetWindowThreadProcessId(window, &process);
        if (process == GetCurrentProcessId()) return window;
    }
    return nullptr;
}

bool IsPictureInput(UINT message)
{
    return (message >= WM_MOUSEFIRST && message <= WM_MOUSELAST) || (message >= WM_KEYFIRST && message <= WM_KEYLAST) ||
           message == WM_SETCURSOR || message == WM_CONTEXTMENU;
}

}  // namespace

PictureBackdrop::PictureBackdrop(TVideoWindow& owner) : owner_(owner)
{
    RegisterWindowClass(L"LumadiscBackdrop", CS_DBLCLKS, LoadCursorW(nullptr, IDC_ARROW),
                        static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
    CreateOwnClass(L"LumadiscBackdrop", WS_POPUP, WS_EX_TOOLWINDOW, L"", 0, 0, 0, 0, nullptr);
}

void PictureBackdrop::Cover(bool topMost)
{
    // Above every other window of the desktop (a no-longer top-most one first leaves that band).
    if (!topMost) SetWindowPos(Handle(), HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    SetWindowPos(Handle(), topMost ? HWND_TOPMOST : HWND_TOP, 0, 0, GetSystemMetrics(SM_CXSCREEN),
                 GetSystemMetrics(SM_CYSCREEN), SWP_NOACTIVATE | SWP_SHOWWINDOW);
}

void PictureBackdrop::Uncover() { ShowWindow(Handle(), SW_HIDE); }

LRESULT PictureBackdrop::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    // A click on the bars must not raise them over the picture.
    if (message == WM_MOUSEACTIVATE) return MA_NOACTIVATE;
    if (IsPictureInput(message)) return owner_.PictureInput(message, wParam, lParam);
    return ui::Window::HandleMessage(message, wParam, lParam);
}

TVideoWindow::TVideoWindow(ui::Window& parent, const ui::Bounds& bounds)
    : ui::CustomControl(parent, bounds), vmrOptions_(*this), backdrop_(*this)
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
    rendererWindow_ = nullptr;
    picture_ = {};
    backdrop_.Uncover();
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
        Check(videoWindow_->put_MessageDrain(reinterpret_cast<OAHWND>(backdrop_.Handle())));
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
    FindRendererWindow();
    SetFullScreen(fullScreen_);
    Check(videoWindow_->put_Caption(Bstr(GetName()).Get()));
    Check(videoWindow_->put_MessageDrain(reinterpret_cast<OAHWND>(backdrop_.Handle())));
}

void TVideoWindow::FindRendererWindow()
{
    const std::wstring marker = GetName() + L" " + std::to_wstring(reinterpret_cast<UINT_PTR>(this));
    Check(videoWindow_->put_Caption(Bstr(marker).Get()));
    rendererWindow_ = FindOwnWindow(Parent().Handle(), marker);
    if (!rendererWindow_) rendererWindow_ = FindOwnWindow(nullptr, marker);
}

void TVideoWindow::SetPictureAspect(int x, int y)
{
    aspectX_ = x;
    aspectY_ = y;
    if (videoWindow_ && mode_ == vmNormal) PlaceRendererWindow(fullScreen_);
}

// The largest rectangle of the picture's shape centred in the area; the whole area when the
// shape is unknown or not to be kept.
RECT TVideoWindow::FitPicture(const RECT& area) const
{
    const LONG width = area.right - area.left;
    const LONG height = area.bottom - area.top;
    if (!vmrOptions_.keepAspectRatio_ || aspectX_ <= 0 || aspectY_ <= 0 || width <= 0 || height <= 0) return area;
    LONG fitWidth = width;
    LONG fitHeight = static_cast<LONG>((static_cast<LONGLONG>(width) * aspectY_ + aspectX_ / 2) / aspectX_);
    if (fitHeight > height) {
        fitHeight = height;
        fitWidth = static_cast<LONG>((static_cast<LONGLONG>(height) * aspectX_ + aspectY_ / 2) / aspectY_);
    }
    const LONG left = area.left + (width - fitWidth) / 2;
    const LONG top = area.top + (height - fitHeight) / 2;
    return {left, top, left + fitWidth, top + fitHeight};
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
        // Always the primary screen at its origin, whichever monitor the form is on; the
        // renderer paints only its own window, so the backdrop makes the bars beside it.
        picture_ = FitPicture({0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)});
        backdrop_.Cover(fullScreenTopMost_);
        Check(videoWindow_->SetWindowPosition(picture_.left, picture_.top, picture_.right - picture_.left,
                                              picture_.bottom - picture_.top));
        if (rendererWindow_)
            SetWindowPos(rendererWindow_, fullScreenTopMost_ ? HWND_TOPMOST : HWND_TOP, 0, 0, 0, 0,
                         SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        detached_ = true;
    } else {
        backdrop_.Uncover();
        Check(videoWindow_->put_Owner(reinterpret_cast<OAHWND>(Parent().Handle())));
        Check(videoWindow_->put_WindowStyle(savedStyle_ | ChildStyles));
        PutWindowStyleEx(*videoWindow_.Get(), savedExStyle_);
        Check(PlaceOverControl());
        detached_ = false;
    }
}

// The control's own black shows as the bars beside a picture of another shape.
HRESULT TVideoWindow::PlaceOverControl()
{
    picture_ = FitPicture({0, 0, Width(), Height()});
    return videoWindow_->SetWindowPosition(Left() + picture_.left, Top() + picture_.top, picture_.right - picture_.left,
                                           picture_.bottom - picture_.top);
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

// The renderer's own window lies over the control or on the screen, and the backdrop around
// it in full screen: both take the pointer.
bool TVideoWindow::ShowsPointerIn(HWND window) const
{
    return CustomControl::ShowsPointerIn(window) || (window && (window == rendererWindow_ || window == backdrop_.Handle()));
}

void TVideoWindow::Resize()
{
    ui::CustomControl::Resize();
    if (mode_ == vmVMR && vmrOptions_.mode_ == vmrWindowless) {
        PositionWindowless();
    } else if ((mode_ == vmNormal || vmrOptions_.mode_ == vmrWindowed) && videoWindow_ && !fullScreen_) {
        PlaceOverControl();
    }
}

// The navigator maps points of the renderer window's client area onto the picture. Input
// drained from that window comes so already; presses on the control's own bars come in the
// control's coordinates; in full screen the cursor says where the pointer is on the screen.
void TVideoWindow::ToPicturePoint(int& x, int& y) const
{
    if (detached_) {
        POINT cursor = {};
        GetCursorPos(&cursor);
        x = cursor.x - picture_.left;
        y = cursor.y - picture_.top;
    } else if (!pictureInput_) {
        x -= picture_.left;
        y -= picture_.top;
    }
}

LRESULT TVideoWindow::PictureInput(UINT message, WPARAM wParam, LPARAM lParam)
{
    const bool outer = pictureInput_;
    pictureInput_ = true;
    const LRESULT result = SendMessageW(Handle(), message, wParam, lParam);
    pictureInput_ = outer;
    return result;
}

void TVideoWindow::MouseDown(ui::MouseButton button, ui::ShiftState shift, int x, int y)
{
    ToPicturePoint(x, y);
    ui::CustomControl::MouseDown(button, shift, x, y);
}

void TVideoWindow::MouseMove(ui::ShiftState shift, int x, int y)
{
    ToPicturePoint(x, y);
    ui::CustomControl::MouseMove(shift, x, y);
}

void TVideoWindow::MouseUp(ui::MouseButton button, ui::ShiftState shift, int x, int y)
{
    ToPicturePoint(x, y);
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
