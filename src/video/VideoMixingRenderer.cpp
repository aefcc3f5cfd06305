// The mixing renderer mode of the video display control. The player itself always runs the
// standard renderer; this mode is kept for the control's other users.

#include <cfenv>
#include <stdexcept>

#include "video/VideoWindow.h"

using graph::Check;

namespace {

// The mixing renderer's aspect-ratio interface, declared here because not every SDK's
// headers define it.
struct AspectRatioControl9 : IUnknown {
    virtual HRESULT STDMETHODCALLTYPE GetAspectRatioMode(DWORD* mode) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetAspectRatioMode(DWORD mode) = 0;
};
constexpr GUID IID_AspectRatioControl9 = {0x00d96c29, 0xbbde, 0x4efc, {0x99, 0x01, 0xbb, 0x50, 0x36, 0x39, 0x21, 0x46}};

// Creating the mixing renderer may change the processor's floating-point control word
// (Direct3D sets single precision); the program's arithmetic must not notice.
class FloatingPointGuard {
public:
    FloatingPointGuard() { std::fegetenv(&saved_); }
    FloatingPointGuard(const FloatingPointGuard&) = delete;
    FloatingPointGuard& operator=(const FloatingPointGuard&) = delete;
    ~FloatingPointGuard() { std::fesetenv(&saved_); }

private:
    std::fenv_t saved_;
};

HRESULT CreateMixingRenderer(ComPtr<IBaseFilter>& renderer)
{
    FloatingPointGuard guard;
    return CoCreateInstance(CLSID_VideoMixingRenderer9, nullptr, CLSCTX_INPROC,
                            IID_PPV_ARGS(renderer.ReleaseAndGetAddressOf()));
}

}  // namespace

void TVMROptions::SetMode(TVMRVideoMode mode)
{
    mode_ = mode;
    if (owner_.mode_ == vmVMR) owner_.RebuildRenderer();
}

void TVMROptions::SetStreams(DWORD streams)
{
    streams_ = (streams == 0 || streams > 16) ? 1 : streams;
    if (owner_.mode_ == vmVMR) owner_.RebuildRenderer();
}

void TVMROptions::SetPreferences(TVMRPreferences preferences)
{
    preferences_ = preferences;
    if (owner_.mode_ == vmVMR) owner_.RebuildRenderer();
}

void TVMROptions::SetKeepAspectRatio(bool keep)
{
    keepAspectRatio_ = keep;
    owner_.ApplyAspectRatio();
    owner_.SetPictureAspect(owner_.aspectX_, owner_.aspectY_);
}

void TVideoWindow::SetMode(TVideoMode mode)
{
    ComPtr<IBaseFilter> probe;
    mode_ = (mode == vmVMR && SUCCEEDED(CreateMixingRenderer(probe))) ? vmVMR : vmNormal;
    RebuildRenderer();
}

void TVideoWindow::RebuildRenderer()
{
    if (!filterGraph_ || !filterGraph_->Active()) return;
    filterGraph_->RemoveFilterComponent(this);
    filterGraph_->InsertFilterComponent(this);
}

void TVideoWindow::AddMixingRenderer()
{
    // Nothing provides a surface allocator, which the renderless mode cannot do without.
    if (vmrOptions_.mode_ == vmrRenderless) throw std::runtime_error("Allocator class not set.");
    Check(CreateMixingRenderer(renderer_));
    ComPtr<IVMRFilterConfig9> config;
    Check(renderer_.As(&config));
    Check(config->SetRenderingMode(vmrOptions_.mode_ == vmrWindowed ? VMR9Mode_Windowed : VMR9Mode_Windowless));
}

void TVideoWindow::ConfigureMixingRenderer()
{
    ComPtr<IVMRFilterConfig9> config;
    Check(renderer_.As(&config));
    if (vmrOptions_.streams_ != 4 || (vmrOptions_.preferences_ & PreferenceBit(vpForceMixer))) {
        Check(config->SetNumberOfStreams(vmrOptions_.streams_));
        Check(config->GetNumberOfStreams(&vmrOptions_.streams_));
    }
    if (vmrOptions_.mode_ == vmrWindowed) {
        Check(renderer_.As(&videoWindow_));
        ApplyRenderingPreferences();
    } else if (vmrOptions_.mode_ == vmrWindowless) {
        Check(renderer_.As(&windowless_));
        Check(windowless_->SetVideoClippingWindow(Handle()));
        ApplyRenderingPreferences();
        PositionWindowless();
    }
    ApplyAspectRatio();
}

void TVideoWindow::ApplyRenderingPreferences()
{
    ComPtr<IVMRFilterConfig9> config;
    Check(renderer_.As(&config));
    const TVMRPreferences forceMixer = vmrOptions_.preferences_ & PreferenceBit(vpForceMixer);
    Check(config->SetRenderingPrefs(vmrOptions_.preferences_ & ~PreferenceBit(vpForceMixer)));
    DWORD answered = 0;
    Check(config->GetRenderingPrefs(&answered));
    vmrOptions_.preferences_ = answered | forceMixer;
}

void TVideoWindow::ApplyAspectRatio()
{
    if (vmrOptions_.mode_ == vmrRenderless) return;
    ComPtr<AspectRatioControl9> aspectRatio;
    if (SUCCEEDED(QueryInterface(IID_AspectRatioControl9, reinterpret_cast<void**>(aspectRatio.GetAddressOf()))))
        aspectRatio->SetAspectRatioMode(vmrOptions_.keepAspectRatio_ ? VMR9ARMode_LetterBox : VMR9ARMode_None);
}

void TVideoWindow::PositionWindowless()
{
    if (!windowless_) return;
    RECT destination = {0, 0, Width(), Height()};
    windowless_->SetVideoPosition(nullptr, &destination);
}
