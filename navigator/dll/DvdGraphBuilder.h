#pragma once
// The DVD graph builder: puts the navigator, a video renderer and an audio renderer into
// the platform's own filter graph and reports truthfully how far that got.

#include "ComObject.h"
#include "DirectShow.h"

#include <mutex>
#include <string>

namespace lumanav {

class NavigatorFilter;

class DvdGraphBuilder final : public ComObject<IDvdGraphBuilder> {
public:
    static HRESULT create(REFIID iid, void** result);
    DvdGraphBuilder() = default;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override;
    HRESULT STDMETHODCALLTYPE GetFiltergraph(IGraphBuilder** graph) override;
    HRESULT STDMETHODCALLTYPE GetDvdInterface(REFIID iid, void** result) override;
    HRESULT STDMETHODCALLTYPE RenderDvdVideoVolume(LPCWSTR path, DWORD flags, AM_DVD_RENDERSTATUS* status) override;

private:
    ~DvdGraphBuilder() override;

    HRESULT ensureGraph();
    bool navigatorInGraph() const;
    // The volume to open, and what the status says when there is none.
    std::wstring chooseVolume(LPCWSTR path, AM_DVD_RENDERSTATUS& status) const;
    HRESULT renderVideo(DWORD flags);
    HRESULT renderAudio();
    void useSystemClock();
    // A renderer of this class already in the graph with its input free, else a new one.
    HRESULT findOrAddRenderer(REFCLSID clsid, const wchar_t* name, ComPtr<IBaseFilter>& renderer, bool& added);
    HRESULT connectTo(IPin* output, IBaseFilter& renderer);

    std::mutex mutex_;
    ComPtr<IGraphBuilder> graph_;
    ComPtr<NavigatorFilter> navigator_;
};

}  // namespace lumanav
