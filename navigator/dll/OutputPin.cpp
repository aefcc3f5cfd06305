#include "OutputPin.h"

#include <cstdlib>

#include "Enumerators.h"

#include <algorithm>
#include <cstring>
#include <tuple>

namespace lumanav {
namespace {

// The filter a pin belongs to. Not ComPtr::Attach: MinGW's adds a reference where the SDK's
// takes over the one given.
ComPtr<IBaseFilter> filterOf(IPin& pin)
{
    PIN_INFO info{};
    if (FAILED(pin.QueryPinInfo(&info)) || !info.pFilter) return nullptr;
    ComPtr<IBaseFilter> owner(info.pFilter);
    info.pFilter->Release();
    return owner;
}

bool answersBasicVideo(IPin& pin)
{
    ComPtr<IBasicVideo> video;
    const ComPtr<IBaseFilter> owner = filterOf(pin);
    return owner && SUCCEEDED(owner.As(&video));
}

}  // namespace

OutputPin::OutputPin(IBaseFilter& filter, std::wstring name, long buffers)
    : filter_(filter), name_(std::move(name)), buffers_(buffers)
{
}

void OutputPin::setMediaType(const MediaType& type, long bufferBytes)
{
    std::lock_guard lock(mutex_);
    if (connected_) return;
    type_ = type;
    bufferBytes_ = bufferBytes;
}

void OutputPin::setRendererType(const MediaType& type, long bufferBytes)
{
    std::lock_guard lock(mutex_);
    if (connected_) return;
    rendererType_.emplace(type, bufferBytes);
}

bool OutputPin::isConnected() const
{
    std::lock_guard lock(mutex_);
    return connected_ != nullptr;
}

ComPtr<IBaseFilter> OutputPin::connectedFilter() const
{
    ComPtr<IPin> peer;
    {
        std::lock_guard lock(mutex_);
        peer = connected_;
    }
    return peer ? filterOf(*peer.Get()) : nullptr;
}

ComPtr<IBasicVideo> OutputPin::placedRenderer() const
{
    ComPtr<IBasicVideo> video;
    if (const ComPtr<IBaseFilter> renderer = placed_ ? connectedFilter() : nullptr) renderer.As(&video);
    return video;
}

HRESULT OutputPin::activate()
{
    return allocator_ ? allocator_->Commit() : S_OK;
}

void OutputPin::deactivate()
{
    if (allocator_) allocator_->Decommit();
}

HRESULT OutputPin::getBuffer(ComPtr<IMediaSample>& sample)
{
    if (!allocator_) return VFW_E_NOT_CONNECTED;
    return allocator_->GetBuffer(sample.ReleaseAndGetAddressOf(), nullptr, nullptr, 0);
}

bool OutputPin::peerAccepts(const MediaType& type) const
{
    return connected_ && connected_->QueryAccept(&type.get()) == S_OK;
}

std::optional<std::pair<int, int>> OutputPin::peerPictureSize() const
{
    AM_MEDIA_TYPE type{};
    if (!connected_ || FAILED(connected_->ConnectionMediaType(&type))) return std::nullopt;
    std::optional<std::pair<int, int>> size;
    const BITMAPINFOHEADER* bitmap = nullptr;
    if (IsEqualGUID(type.formattype, FORMAT_VideoInfo) && type.cbFormat >= sizeof(VIDEOINFOHEADER))
        bitmap = &reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat)->bmiHeader;
    else if (IsEqualGUID(type.formattype, FORMAT_VideoInfo2) && type.cbFormat >= sizeof(VIDEOINFOHEADER2))
        bitmap = &reinterpret_cast<const VIDEOINFOHEADER2*>(type.pbFormat)->bmiHeader;
    if (bitmap) size = std::pair{static_cast<int>(bitmap->biWidth), static_cast<int>(std::abs(bitmap->biHeight))};
    MediaType::freeFormat(type);
    return size;
}

HRESULT OutputPin::deliver(IMediaSample* sample)
{
    return input_ ? input_->Receive(sample) : VFW_E_NOT_CONNECTED;
}

void OutputPin::deliverEndOfStream()
{
    if (connected_) connected_->EndOfStream();
}

void OutputPin::deliverBeginFlush()
{
    if (connected_) connected_->BeginFlush();
}

void OutputPin::deliverEndFlush()
{
    if (connected_) connected_->EndFlush();
}

HRESULT OutputPin::QueryInterface(REFIID iid, void** result)
{
    if (!result) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPin)) return answerInterface<IPin>(this, result);
    *result = nullptr;
    return E_NOINTERFACE;
}

bool OutputPin::filterStopped() const
{
    FILTER_STATE state = State_Stopped;
    filter_.GetState(0, &state);
    return state == State_Stopped;
}

HRESULT OutputPin::Connect(IPin* receivePin, const AM_MEDIA_TYPE* type)
{
    if (!receivePin) return E_POINTER;
    if (!filterStopped()) return VFW_E_NOT_STOPPED;
    MediaType offered;
    long bufferBytes = 0;
    std::optional<std::pair<MediaType, long>> forRenderer;
    {
        std::lock_guard lock(mutex_);
        if (connected_) return VFW_E_ALREADY_CONNECTED;
        offered = type_;
        bufferBytes = bufferBytes_;
        forRenderer = rendererType_;
    }
    const bool placed = forRenderer && (!type || forRenderer->first.acceptsPartial(*type)) && answersBasicVideo(*receivePin);
    if (placed) std::tie(offered, bufferBytes) = *forRenderer;
    if (type && !offered.acceptsPartial(*type)) return VFW_E_TYPE_NOT_ACCEPTED;

    // No lock while the downstream pin works: it may call back into this pin.
    PIN_DIRECTION direction = PINDIR_OUTPUT;
    if (FAILED(receivePin->QueryDirection(&direction)) || direction != PINDIR_INPUT) return VFW_E_INVALID_DIRECTION;
    HRESULT hr = receivePin->ReceiveConnection(this, &offered.get());
    if (FAILED(hr)) return hr == E_FAIL ? VFW_E_NO_ACCEPTABLE_TYPES : hr;

    ComPtr<IMemInputPin> input;
    ComPtr<IMemAllocator> allocator;
    hr = receivePin->QueryInterface(IID_PPV_ARGS(&input));
    if (SUCCEEDED(hr)) hr = negotiateAllocator(*input.Get(), bufferBytes, allocator);
    if (FAILED(hr)) {
        receivePin->Disconnect();
        return hr;
    }
    std::lock_guard lock(mutex_);
    connected_ = receivePin;
    connectedType_ = offered;
    placed_ = placed;
    input_ = input;
    allocator_ = allocator;
    return S_OK;
}

HRESULT OutputPin::negotiateAllocator(IMemInputPin& input, long bufferBytes, ComPtr<IMemAllocator>& chosen)
{
    ALLOCATOR_PROPERTIES required{};
    input.GetAllocatorRequirements(&required);
    ALLOCATOR_PROPERTIES wanted{};
    wanted.cBuffers = std::max(required.cBuffers, buffers_);
    wanted.cbBuffer = std::max(required.cbBuffer, bufferBytes);
    wanted.cbAlign = std::max(required.cbAlign, 1L);
    wanted.cbPrefix = required.cbPrefix;

    // Prefer the downstream pin's allocator; the platform's video renderer has none, so
    // fall back to a memory allocator of our own.
    const auto tryAllocator = [&](IMemAllocator* allocator) {
        ALLOCATOR_PROPERTIES actual{};
        HRESULT hr = allocator->SetProperties(&wanted, &actual);
        if (SUCCEEDED(hr) && actual.cbBuffer < wanted.cbBuffer) hr = VFW_E_SIZENOTSET;
        if (SUCCEEDED(hr)) hr = input.NotifyAllocator(allocator, FALSE);
        if (SUCCEEDED(hr)) chosen = allocator;
        return hr;
    };
    ComPtr<IMemAllocator> allocator;
    if (SUCCEEDED(input.GetAllocator(&allocator)) && SUCCEEDED(tryAllocator(allocator.Get()))) return S_OK;
    allocator.Reset();
    const HRESULT hr = CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&allocator));
    if (FAILED(hr)) return hr;
    return tryAllocator(allocator.Get());
}

HRESULT OutputPin::ReceiveConnection(IPin*, const AM_MEDIA_TYPE*)
{
    return E_UNEXPECTED;  // an output pin only connects outward
}

HRESULT OutputPin::Disconnect()
{
    if (!filterStopped()) return VFW_E_NOT_STOPPED;
    std::lock_guard lock(mutex_);
    if (!connected_) return S_FALSE;
    dropConnection();
    return S_OK;
}

void OutputPin::dropConnection()
{
    if (allocator_) allocator_->Decommit();
    allocator_.Reset();
    input_.Reset();
    connected_.Reset();
    placed_ = false;
}

HRESULT OutputPin::ConnectedTo(IPin** pin)
{
    if (!pin) return E_POINTER;
    std::lock_guard lock(mutex_);
    *pin = connected_.Get();
    if (!*pin) return VFW_E_NOT_CONNECTED;
    (*pin)->AddRef();
    return S_OK;
}

HRESULT OutputPin::ConnectionMediaType(AM_MEDIA_TYPE* type)
{
    if (!type) return E_POINTER;
    std::lock_guard lock(mutex_);
    if (!connected_) {
        *type = AM_MEDIA_TYPE{};
        return VFW_E_NOT_CONNECTED;
    }
    return connectedType_.copyTo(type);
}

HRESULT OutputPin::QueryPinInfo(PIN_INFO* info)
{
    if (!info) return E_POINTER;
    info->pFilter = &filter_;
    filter_.AddRef();
    info->dir = PINDIR_OUTPUT;
    const size_t length = std::min(name_.size(), std::size(info->achName) - 1);
    std::memcpy(info->achName, name_.c_str(), length * sizeof(wchar_t));
    info->achName[length] = L'\0';
    return S_OK;
}

HRESULT OutputPin::QueryDirection(PIN_DIRECTION* direction)
{
    if (!direction) return E_POINTER;
    *direction = PINDIR_OUTPUT;
    return S_OK;
}

HRESULT OutputPin::QueryId(LPWSTR* id)
{
    if (!id) return E_POINTER;
    const size_t bytes = (name_.size() + 1) * sizeof(wchar_t);
    *id = static_cast<LPWSTR>(CoTaskMemAlloc(bytes));
    if (!*id) return E_OUTOFMEMORY;
    std::memcpy(*id, name_.c_str(), bytes);
    return S_OK;
}

HRESULT OutputPin::QueryAccept(const AM_MEDIA_TYPE* type)
{
    if (!type) return E_POINTER;
    std::lock_guard lock(mutex_);
    return (connected_ ? connectedType_ : type_).equals(*type) ? S_OK : S_FALSE;
}

HRESULT OutputPin::EnumMediaTypes(IEnumMediaTypes** types)
{
    if (!types) return E_POINTER;
    std::lock_guard lock(mutex_);
    *types = makeObject<MediaTypeEnumerator>(std::vector<MediaType>{type_}).Detach();
    return *types ? S_OK : E_OUTOFMEMORY;
}

HRESULT OutputPin::QueryInternalConnections(IPin**, ULONG*)
{
    return E_NOTIMPL;  // the platform's answer for "every pin relates to every other"
}

// Data and flushes only travel downstream from an output pin.
HRESULT OutputPin::EndOfStream() { return E_UNEXPECTED; }
HRESULT OutputPin::BeginFlush() { return E_UNEXPECTED; }
HRESULT OutputPin::EndFlush() { return E_UNEXPECTED; }

HRESULT OutputPin::NewSegment(REFERENCE_TIME, REFERENCE_TIME, double)
{
    return S_OK;
}

}  // namespace lumanav
