#include "DvdGraphBuilder.h"

#include "NavigatorFilter.h"
#include "VolumeLocator.h"

#include <d3d9.h>
#include <vmr9.h>

#include <cwchar>

namespace lumanav {
namespace {

constexpr DWORD decoderChoices = AM_DVD_HWDEC_PREFER | AM_DVD_HWDEC_ONLY | AM_DVD_SWDEC_PREFER | AM_DVD_SWDEC_ONLY;
constexpr DWORD knownFlags = 0xFFFF;

// Interfaces of the video renderer the builder hands out for the player.
bool isVideoRendererInterface(REFIID iid)
{
    return IsEqualIID(iid, IID_IVideoWindow) || IsEqualIID(iid, IID_IBasicVideo) || IsEqualIID(iid, IID_IBasicVideo2) ||
           IsEqualIID(iid, IID_IVMRWindowlessControl9) || IsEqualIID(iid, IID_IVMRFilterConfig9) ||
           IsEqualIID(iid, IID_IVMRMixerControl9) || IsEqualIID(iid, IID_IVMRMonitorConfig9);
}

// LUMANAV_SOUND=off leaves the sound out of the graph: the playback benchmark weighs what
// sound costs by playing without it.
bool soundLeftOut()
{
    wchar_t value[8] = {};
    return GetEnvironmentVariableW(L"LUMANAV_SOUND", value, 8) < 8 && std::wcscmp(value, L"off") == 0;
}

ComPtr<IPin> freeInputPin(IBaseFilter& filter)
{
    ComPtr<IEnumPins> pins;
    if (FAILED(filter.EnumPins(&pins))) return nullptr;
    ComPtr<IPin> pin;
    while (pins->Next(1, pin.ReleaseAndGetAddressOf(), nullptr) == S_OK) {
        PIN_DIRECTION direction = PINDIR_OUTPUT;
        ComPtr<IPin> peer;
        if (SUCCEEDED(pin->QueryDirection(&direction)) && direction == PINDIR_INPUT && FAILED(pin->ConnectedTo(&peer)))
            return pin;
    }
    return nullptr;
}

}  // namespace

HRESULT DvdGraphBuilder::create(REFIID iid, void** result)
{
    auto builder = makeObject<DvdGraphBuilder>();
    if (!builder) return E_OUTOFMEMORY;
    return builder->QueryInterface(iid, result);
}

DvdGraphBuilder::~DvdGraphBuilder() = default;

HRESULT DvdGraphBuilder::QueryInterface(REFIID iid, void** result)
{
    if (!result) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDvdGraphBuilder)) return answerInterface<IDvdGraphBuilder>(this, result);
    *result = nullptr;
    return E_NOINTERFACE;
}

HRESULT DvdGraphBuilder::ensureGraph()
{
    if (graph_) return S_OK;
    // The platform's own filter graph manager: only the DVD parts are ours.
    return CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&graph_));
}

HRESULT DvdGraphBuilder::GetFiltergraph(IGraphBuilder** graph)
{
    if (!graph) return E_POINTER;
    *graph = nullptr;
    std::lock_guard lock(mutex_);
    const HRESULT hr = ensureGraph();
    if (FAILED(hr)) return hr;
    *graph = graph_.Get();
    (*graph)->AddRef();
    return S_OK;
}

HRESULT DvdGraphBuilder::GetDvdInterface(REFIID iid, void** result)
{
    if (!result) return E_POINTER;
    *result = nullptr;
    std::lock_guard lock(mutex_);
    if (!navigator_) return E_NOINTERFACE;
    if (IsEqualIID(iid, IID_IDvdControl2) || IsEqualIID(iid, IID_IDvdInfo2)) return navigator_->QueryInterface(iid, result);
    ComPtr<IBaseFilter> renderer;
    if (IsEqualIID(iid, IID_IBasicAudio)) renderer = navigator_->audioRenderer();
    else if (isVideoRendererInterface(iid)) renderer = navigator_->videoRenderer();
    return renderer ? renderer->QueryInterface(iid, result) : E_NOINTERFACE;
}

HRESULT DvdGraphBuilder::RenderDvdVideoVolume(LPCWSTR path, DWORD flags, AM_DVD_RENDERSTATUS* status)
{
    if (!status) return E_POINTER;
    *status = AM_DVD_RENDERSTATUS{};
    const DWORD decoder = flags & decoderChoices;
    if ((flags & ~knownFlags) || decoder == 0 || (decoder & (decoder - 1))) return E_INVALIDARG;
    // The navigator makes its pictures in software: there is no hardware decoder to use.
    if (decoder == AM_DVD_HWDEC_ONLY) return VFW_E_DVD_DECNOTENOUGH;

    std::lock_guard lock(mutex_);
    HRESULT hr = ensureGraph();
    if (FAILED(hr)) return hr;
    if (navigatorInGraph()) return VFW_E_DVD_GRAPHNOTREADY;

    navigator_ = makeObject<NavigatorFilter>();
    if (!navigator_) return E_OUTOFMEMORY;
    const std::wstring volume = chooseVolume(path, *status);
    if (!volume.empty() && FAILED(navigator_->openVolume(volume))) {
        if (path && *path) status->bDvdVolInvalid = TRUE;
        else status->bDvdVolUnknown = TRUE;
    }
    if (FAILED(graph_->AddFilter(navigator_.Get(), L"DVD Navigator"))) {
        navigator_.Reset();
        return VFW_E_DVD_RENDERFAIL;
    }
    if (FAILED(renderVideo(flags))) {
        ++status->iNumStreamsFailed;
        status->dwFailedStreamsFlag |= AM_DVD_STREAM_VIDEO;
    }
    if (!soundLeftOut() && FAILED(renderAudio())) {
        ++status->iNumStreamsFailed;
        status->dwFailedStreamsFlag |= AM_DVD_STREAM_AUDIO;
    }
    if (status->iNumStreamsFailed == 2) return VFW_E_DVD_RENDERFAIL;
    useSystemClock();
    const bool partial = status->bDvdVolInvalid || status->bDvdVolUnknown || status->iNumStreamsFailed > 0;
    return partial ? S_FALSE : S_OK;
}

void DvdGraphBuilder::useSystemClock()
{
    // Wine's DirectSound renderer never ends the thread behind its clock: a graph run on that
    // clock leaves a thread and its stack behind at every teardown. The system clock ends its
    // own, and the renderer keeps its sound in step with whichever clock the graph runs on.
    ComPtr<IReferenceClock> clock;
    ComPtr<IMediaFilter> graph;
    if (SUCCEEDED(CoCreateInstance(CLSID_SystemClock, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&clock))) &&
        SUCCEEDED(graph_.As(&graph)))
        graph->SetSyncSource(clock.Get());
}

bool DvdGraphBuilder::navigatorInGraph() const
{
    if (!navigator_) return false;
    FILTER_INFO info{};
    if (FAILED(navigator_->QueryFilterInfo(&info))) return false;
    const bool inGraph = info.pGraph != nullptr;
    if (info.pGraph) info.pGraph->Release();
    return inGraph;
}

std::wstring DvdGraphBuilder::chooseVolume(LPCWSTR path, AM_DVD_RENDERSTATUS& status) const
{
    if (path && *path) {
        if (volumeLocation(path).empty()) {
            status.bDvdVolInvalid = TRUE;
            return {};
        }
        return path;
    }
    // No volume named: play the disc in an optical drive, as a real navigator does.
    std::wstring found = findDiscVolume(SystemDrives());
    if (found.empty()) status.bDvdVolUnknown = TRUE;
    return found;
}

HRESULT DvdGraphBuilder::renderVideo(DWORD flags)
{
    const bool mixing = (flags & AM_DVD_VMR9_ONLY) != 0;
    ComPtr<IBaseFilter> renderer;
    bool added = false;
    // The player adds its own standard renderer before building; use that one.
    HRESULT hr = findOrAddRenderer(mixing ? CLSID_VideoMixingRenderer9 : CLSID_VideoRenderer, L"Video Renderer", renderer, added);
    if (SUCCEEDED(hr)) hr = connectTo(&navigator_->videoPin(), *renderer.Get());
    if (FAILED(hr) && added) graph_->RemoveFilter(renderer.Get());
    return hr;
}

HRESULT DvdGraphBuilder::renderAudio()
{
    ComPtr<IBaseFilter> renderer;
    bool added = false;
    HRESULT hr = findOrAddRenderer(CLSID_DSoundRender, L"Default DirectSound Device", renderer, added);
    if (SUCCEEDED(hr)) hr = connectTo(&navigator_->audioPin(), *renderer.Get());
    if (FAILED(hr) && added) graph_->RemoveFilter(renderer.Get());
    return hr;
}

HRESULT DvdGraphBuilder::findOrAddRenderer(REFCLSID clsid, const wchar_t* name, ComPtr<IBaseFilter>& renderer, bool& added)
{
    added = false;
    ComPtr<IEnumFilters> filters;
    if (SUCCEEDED(graph_->EnumFilters(&filters))) {
        ComPtr<IBaseFilter> filter;
        while (filters->Next(1, filter.ReleaseAndGetAddressOf(), nullptr) == S_OK) {
            CLSID id{};
            if (SUCCEEDED(filter->GetClassID(&id)) && IsEqualCLSID(id, clsid) && freeInputPin(*filter.Get())) {
                renderer = filter;
                return S_OK;
            }
        }
    }
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&renderer));
    if (SUCCEEDED(hr)) hr = graph_->AddFilter(renderer.Get(), name);
    added = SUCCEEDED(hr);
    return hr;
}

HRESULT DvdGraphBuilder::connectTo(IPin* output, IBaseFilter& renderer)
{
    const ComPtr<IPin> input = freeInputPin(renderer);
    if (!input) return VFW_E_NO_ACCEPTABLE_TYPES;
    return graph_->ConnectDirect(output, input.Get(), nullptr);
}

}  // namespace lumanav
