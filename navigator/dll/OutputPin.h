#pragma once
// An output pin of the navigator filter: offers one media type (and another to a video renderer
// it places pictures in), brings its own memory allocator when the downstream pin has none (the
// platform's video renderer has none), and carries samples, flushes and the end of the stream
// downstream.

#include "DirectShow.h"
#include "MediaType.h"

#include <mutex>
#include <optional>
#include <string>
#include <utility>

namespace lumanav {

class OutputPin final : public IPin {
public:
    OutputPin(IBaseFilter& filter, std::wstring name, long buffers);
    OutputPin(const OutputPin&) = delete;
    OutputPin& operator=(const OutputPin&) = delete;

    // The type offered at the next connection, and the size of the buffers it needs.
    void setMediaType(const MediaType& type, long bufferBytes);
    // The type offered instead to a video renderer whose source rectangle the navigator sets
    // (one answering IBasicVideo): pictures then go in at the size the renderer shows them.
    void setRendererType(const MediaType& type, long bufferBytes);
    const std::wstring& name() const { return name_; }
    bool isConnected() const;
    // The filter the connected pin belongs to, for the renderer's own interfaces.
    ComPtr<IBaseFilter> connectedFilter() const;
    // The renderer connected with the renderer type, to place pictures in; null otherwise.
    ComPtr<IBasicVideo> placedRenderer() const;

    // Streaming, between the filter's pause from stopped and its stop; the connection cannot
    // change meanwhile, so the streaming thread reads it without the pin's lock.
    HRESULT activate();
    void deactivate();
    HRESULT getBuffer(ComPtr<IMediaSample>& sample);
    // Whether the connected pin says it takes samples of this type from now on.
    bool peerAccepts(const MediaType& type) const;
    // The picture size of the connected pin's own connection type, which follows a change of
    // format that pin really took.
    std::optional<std::pair<int, int>> peerPictureSize() const;
    HRESULT deliver(IMediaSample* sample);
    void deliverEndOfStream();
    void deliverBeginFlush();
    void deliverEndFlush();

    // IUnknown: the pin lives and counts with its filter.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override;
    ULONG STDMETHODCALLTYPE AddRef() override { return filter_.AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return filter_.Release(); }

    // IPin
    HRESULT STDMETHODCALLTYPE Connect(IPin* receivePin, const AM_MEDIA_TYPE* type) override;
    HRESULT STDMETHODCALLTYPE ReceiveConnection(IPin* connector, const AM_MEDIA_TYPE* type) override;
    HRESULT STDMETHODCALLTYPE Disconnect() override;
    HRESULT STDMETHODCALLTYPE ConnectedTo(IPin** pin) override;
    HRESULT STDMETHODCALLTYPE ConnectionMediaType(AM_MEDIA_TYPE* type) override;
    HRESULT STDMETHODCALLTYPE QueryPinInfo(PIN_INFO* info) override;
    HRESULT STDMETHODCALLTYPE QueryDirection(PIN_DIRECTION* direction) override;
    HRESULT STDMETHODCALLTYPE QueryId(LPWSTR* id) override;
    HRESULT STDMETHODCALLTYPE QueryAccept(const AM_MEDIA_TYPE* type) override;
    HRESULT STDMETHODCALLTYPE EnumMediaTypes(IEnumMediaTypes** types) override;
    HRESULT STDMETHODCALLTYPE QueryInternalConnections(IPin** pins, ULONG* count) override;
    HRESULT STDMETHODCALLTYPE EndOfStream() override;
    HRESULT STDMETHODCALLTYPE BeginFlush() override;
    HRESULT STDMETHODCALLTYPE EndFlush() override;
    HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME start, REFERENCE_TIME stop, double rate) override;

private:
    bool filterStopped() const;
    HRESULT negotiateAllocator(IMemInputPin& input, long bufferBytes, ComPtr<IMemAllocator>& chosen);
    void dropConnection();

    IBaseFilter& filter_;
    const std::wstring name_;
    const long buffers_;
    mutable std::mutex mutex_;
    MediaType type_;
    long bufferBytes_ = 0;
    std::optional<std::pair<MediaType, long>> rendererType_;
    MediaType connectedType_;
    bool placed_ = false;  // connected with the renderer type
    ComPtr<IPin> connected_;
    ComPtr<IMemInputPin> input_;
    ComPtr<IMemAllocator> allocator_;
};

}  // namespace lumanav
