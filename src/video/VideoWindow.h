#pragma once
// The control that shows the picture. As a filter component it owns the video renderer while
// the graph is active; as an event notifier it places the renderer's own window over itself
// (or over the whole primary screen) at every play and has the renderer drain its mouse and
// key input to the control, so the control's ordinary events fire for input on the picture.

#include <string>

#include "graph/FilterGraph.h"
#include "ui/Control.h"

enum TVideoMode { vmNormal, vmVMR };

enum TVMRVideoMode { vmrWindowed, vmrWindowless, vmrRenderless };

enum TVMRPreference {
    vpForceOffscreen,
    vpForceOverlays,
    vpForceMixer,
    vpDoNotRenderColorKeyAndBorder,
    vpRestrictToInitialMonitor,
    vpPreferAGPMemWhenMixing
};
// A set of preferences: bit n stands for the preference of ordinal n.
using TVMRPreferences = DWORD;
constexpr TVMRPreferences PreferenceBit(TVMRPreference preference) { return 1u << preference; }

class TVideoWindow;

// The black screen behind a full-screen picture of another shape, and the window the renderer
// drains its input to: whatever reaches it is handed to the control as input on the picture.
class PictureBackdrop : public ui::Window {
public:
    explicit PictureBackdrop(TVideoWindow& owner);
    void Cover(bool topMost);
    void Uncover();

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    TVideoWindow& owner_;
};

// Options of the mixing renderer mode. Changing one while that mode runs in an active graph
// rebuilds the renderer.
class TVMROptions {
public:
    explicit TVMROptions(TVideoWindow& owner) : owner_(owner) {}

    TVMRVideoMode Mode() const { return mode_; }
    void SetMode(TVMRVideoMode mode);
    DWORD Streams() const { return streams_; }
    // 0 or more than 16 streams is stored as 1.
    void SetStreams(DWORD streams);
    TVMRPreferences Preferences() const { return preferences_; }
    void SetPreferences(TVMRPreferences preferences);
    bool KeepAspectRatio() const { return keepAspectRatio_; }
    void SetKeepAspectRatio(bool keep);

private:
    friend class TVideoWindow;

    TVideoWindow& owner_;
    TVMRVideoMode mode_ = vmrWindowed;
    DWORD streams_ = 4;
    TVMRPreferences preferences_ = PreferenceBit(vpForceMixer);
    bool keepAspectRatio_ = true;
};

class TVideoWindow : public ui::CustomControl, public graph::IFilterComponent, public graph::IGraphEventNotifier {
public:
    // The renderer filter's name in the graph and its window's caption.
    static constexpr const wchar_t* ComponentName = L"VideoWindow";

    explicit TVideoWindow(ui::Window& parent, const ui::Bounds& bounds = {0, 0, 160, 120});
    ~TVideoWindow() override;

    // The graph component the control takes part in; a plain reference. The control must be
    // destroyed (or unbound) before its graph component.
    graph::TFilterGraph* FilterGraph() const { return filterGraph_; }
    void SetFilterGraph(graph::TFilterGraph* filterGraph);

    bool FullScreen() const { return fullScreen_; }
    void SetFullScreen(bool fullScreen);
    bool FullScreenTopMost() const { return fullScreenTopMost_; }
    void SetFullScreenTopMost(bool topMost);

    TVideoMode Mode() const { return mode_; }
    // vmVMR is taken only when the mixing renderer can be created here.
    void SetMode(TVideoMode mode);
    TVMROptions& VMROptions() { return vmrOptions_; }

    void SetVisible(bool visible) override;

    // The renderer's window when one is held, otherwise the control's own device context.
    HANDLE VideoHandle();

    // The display shape of the picture (e.g. 16:9); 0 when unknown. While KeepAspectRatio is on,
    // the picture keeps this shape inside the control or the screen, with black bars beside it.
    void SetPictureAspect(int x, int y);
    // Where the picture lies: in the control's client coordinates when windowed, on the
    // screen in full screen.
    RECT PictureRect() const { return picture_; }

    // The held windowless control, then the renderer filter's interfaces.
    HRESULT QueryInterface(REFIID iid, void** object);

    ComPtr<IBaseFilter> GetFilter() override { return renderer_; }
    std::wstring GetName() override { return ComponentName; }
    void NotifyFilter(graph::TFilterOperation operation, int param) override;

    void GraphEvent(long code, LONG_PTR param1, LONG_PTR param2) override;
    void ControlEvent(graph::TControlEvent kind, DWORD param) override;

protected:
    void MouseDown(ui::MouseButton button, ui::ShiftState shift, int x, int y) override;
    void MouseMove(ui::ShiftState shift, int x, int y) override;
    void MouseUp(ui::MouseButton button, ui::ShiftState shift, int x, int y) override;
    void Resize() override;
    bool ShowsPointerIn(HWND window) const override;
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    friend class TVMROptions;
    friend class PictureBackdrop;

    void FilterAdding();
    void FilterAdded();
    void FilterRemoving();
    void FilterRemoved();
    void AdoptGraphRenderer();
    void ShowInRendererWindow();
    void PlaceRendererWindow(bool fullScreen);
    HRESULT PlaceOverControl();
    // Mouse coordinates become points in the picture, the renderer window's client area.
    void ToPicturePoint(int& x, int& y) const;
    RECT FitPicture(const RECT& area) const;
    // Input that reached the backdrop: drained from the renderer, or on the full-screen bars.
    LRESULT PictureInput(UINT message, WPARAM wParam, LPARAM lParam);
    void FindRendererWindow();
    // Re-adds the renderer to an active graph so that it is built afresh.
    void RebuildRenderer();

    // The mixing renderer's parts of the life above.
    void AddMixingRenderer();
    void ConfigureMixingRenderer();
    void ApplyRenderingPreferences();
    void ApplyAspectRatio();
    void PositionWindowless();

    graph::TFilterGraph* filterGraph_ = nullptr;
    TVideoMode mode_ = vmNormal;
    TVMROptions vmrOptions_;
    bool fullScreen_ = false;
    bool fullScreenTopMost_ = false;
    bool detached_ = false;
    bool pictureInput_ = false;
    int aspectX_ = 0;
    int aspectY_ = 0;
    RECT picture_ = {};
    HWND rendererWindow_ = nullptr;
    PictureBackdrop backdrop_;
    LONG savedStyle_ = 0;
    LONG savedExStyle_ = 0;
    HDC canvas_ = nullptr;

    ComPtr<IBaseFilter> renderer_;
    ComPtr<IVideoWindow> videoWindow_;
    ComPtr<IVMRWindowlessControl9> windowless_;
};
