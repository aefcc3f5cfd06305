#include "PinTap.h"

#include "ComObject.h"

#include <qedit.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace navtest {
namespace {

// MinGW's headers leave the grabber's class id out.
const CLSID grabberClass = {0xc1f400a0, 0x3f08, 0x11d3, {0x9f, 0x0b, 0x00, 0x60, 0x08, 0x03, 0x9e, 0x37}};

REFERENCE_TIME steadyNow()
{
    using Units = std::chrono::duration<REFERENCE_TIME, std::ratio<1, 10000000>>;
    return std::chrono::duration_cast<Units>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

ComPtr<IPin> pinOf(IBaseFilter& filter, PIN_DIRECTION direction)
{
    ComPtr<IEnumPins> pins;
    ComPtr<IPin> pin;
    if (FAILED(filter.EnumPins(&pins))) return nullptr;
    while (pins->Next(1, pin.ReleaseAndGetAddressOf(), nullptr) == S_OK) {
        PIN_DIRECTION d{};
        if (SUCCEEDED(pin->QueryDirection(&d)) && d == direction) return pin;
    }
    return nullptr;
}

}  // namespace

class PinTap::Callback final : public lumanav::ComObject<ISampleGrabberCB> {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override
    {
        if (!result) return E_POINTER;
        *result = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_ISampleGrabberCB)) return E_NOINTERFACE;
        return lumanav::answerInterface<ISampleGrabberCB>(this, result);
    }

    HRESULT STDMETHODCALLTYPE SampleCB(double, IMediaSample* sample) override
    {
        if (const DWORD milliseconds = delay) Sleep(milliseconds);
        TappedSample taken;
        // Not the graph's clock: asking the graph for it from a streaming thread could wait on
        // a graph that is stopping and waiting for this thread.
        taken.arrived = steadyNow();
        BYTE* data = nullptr;
        if (FAILED(sample->GetTime(&taken.start, &taken.stop)) || FAILED(sample->GetPointer(&data))) return S_OK;
        taken.discontinuity = sample->IsDiscontinuity() == S_OK;
        taken.bytes.assign(data, data + std::min<std::size_t>(keep, static_cast<std::size_t>(sample->GetActualDataLength())));
        std::lock_guard lock(mutex);
        samples.push_back(std::move(taken));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE BufferCB(double, BYTE*, LONG) override { return S_OK; }

    std::size_t keep = SIZE_MAX;
    std::atomic<DWORD> delay{0};
    std::mutex mutex;
    std::vector<TappedSample> samples;
};

PinTap::PinTap(DvdPlayback& playback, const wchar_t* pinName, std::size_t keep) : playback_(playback)
{
    ComPtr<IBaseFilter> navigator;
    for (const auto& [filter, clsid] : playback.filters())
        if (IsEqualCLSID(clsid, CLSID_DVDNavigator)) navigator = filter;
    ComPtr<IPin> out, in;
    if (!navigator || FAILED(navigator->FindPin(pinName, &out)) || FAILED(out->ConnectedTo(&in))) return;
    // The type the pin offers a filter other than a renderer, which it connects with otherwise.
    ComPtr<IEnumMediaTypes> offered;
    AM_MEDIA_TYPE* first = nullptr;
    if (FAILED(out->EnumMediaTypes(&offered)) || offered->Next(1, &first, nullptr) != S_OK) return;
    AM_MEDIA_TYPE type = *first;
    CoTaskMemFree(first);
    ComPtr<ISampleGrabber> grabber;
    callback_ = lumanav::makeObject<Callback>();
    if (!callback_) return;
    callback_->keep = keep;
    bool ok = SUCCEEDED(CoCreateInstance(grabberClass, nullptr, CLSCTX_INPROC_SERVER, IID_IBaseFilter,
                                         reinterpret_cast<void**>(grabber_.GetAddressOf()))) &&
              SUCCEEDED(grabber_->QueryInterface(IID_ISampleGrabber, reinterpret_cast<void**>(grabber.GetAddressOf()))) &&
              SUCCEEDED(grabber->SetMediaType(&type)) && SUCCEEDED(grabber->SetBufferSamples(FALSE)) &&
              SUCCEEDED(grabber->SetCallback(callback_.Get(), 0)) &&
              SUCCEEDED(playback.graph->Disconnect(out.Get())) && SUCCEEDED(playback.graph->Disconnect(in.Get())) &&
              SUCCEEDED(playback.graph->AddFilter(grabber_.Get(), L"Tap"));
    ComPtr<IPin> tapIn = ok ? pinOf(*grabber_.Get(), PINDIR_INPUT) : nullptr;
    ComPtr<IPin> tapOut = ok ? pinOf(*grabber_.Get(), PINDIR_OUTPUT) : nullptr;
    ready_ = tapIn && tapOut && SUCCEEDED(playback.graph->ConnectDirect(out.Get(), tapIn.Get(), &type)) &&
             SUCCEEDED(playback.graph->ConnectDirect(tapOut.Get(), in.Get(), &type));
    CoTaskMemFree(type.pbFormat);
    if (type.pUnk) type.pUnk->Release();
}

PinTap::~PinTap()
{
    // The grabber calls back from the streaming thread: nothing may stream once this is gone.
    playback_.control->Stop();
    ComPtr<ISampleGrabber> grabber;
    if (grabber_ && SUCCEEDED(grabber_->QueryInterface(IID_ISampleGrabber, reinterpret_cast<void**>(grabber.GetAddressOf()))))
        grabber->SetCallback(nullptr, 0);
}

std::vector<TappedSample> PinTap::samples() const
{
    std::lock_guard lock(callback_->mutex);
    return callback_->samples;
}

void PinTap::clear()
{
    std::lock_guard lock(callback_->mutex);
    callback_->samples.clear();
}

void PinTap::delay(DWORD milliseconds)
{
    callback_->delay = milliseconds;
}

std::vector<std::int16_t> leftChannel(const std::vector<TappedSample>& samples, REFERENCE_TIME from, REFERENCE_TIME to)
{
    const auto frameAt = [&](REFERENCE_TIME t) { return static_cast<long long>((t - from) * soundRate / 10000000); };
    std::vector<std::int16_t> left(static_cast<std::size_t>(std::max(0LL, frameAt(to))));
    for (const TappedSample& s : samples) {
        const long long first = frameAt(s.start);
        for (std::size_t i = 0; i < framesOf(s); ++i) {
            const long long at = first + static_cast<long long>(i);
            if (at < 0 || at >= static_cast<long long>(left.size())) continue;
            std::memcpy(&left[static_cast<std::size_t>(at)], &s.bytes[i * 4], 2);
        }
    }
    return left;
}

double toneFrequency(const std::vector<std::int16_t>& left)
{
    // A little hysteresis keeps the noise around each crossing from counting twice.
    constexpr int threshold = 300;
    int crossings = 0, sign = 0;
    for (std::int16_t v : left) {
        const int now = v > threshold ? 1 : v < -threshold ? -1 : 0;
        if (now == 0) continue;
        if (sign != 0 && now != sign) ++crossings;
        sign = now;
    }
    return left.empty() ? 0 : crossings / 2.0 * soundRate / static_cast<double>(left.size());
}

}  // namespace navtest
