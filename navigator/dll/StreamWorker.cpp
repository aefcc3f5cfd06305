#include "StreamWorker.h"

#include "OutputPin.h"
#include "Transport.h"

#include <process.h>

#include <limits>
#include <string>

namespace lumanav {
namespace {

constexpr REFERENCE_TIME anyTime = std::numeric_limits<REFERENCE_TIME>::max() / 4;

// Wine names the Unix thread after the description, which lets per-thread CPU figures tell the
// streams apart. Windows has it from 10 version 1607 on only: looked up, so that the DLL still
// loads on Windows 7 and 8.1.
void describeThisThread(const std::wstring& description)
{
    using SetThreadDescription = HRESULT(WINAPI*)(HANDLE, PCWSTR);
    static const auto set = reinterpret_cast<SetThreadDescription>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "SetThreadDescription")));
    if (set) set(GetCurrentThread(), description.c_str());
}

}  // namespace

StreamWorker::StreamWorker(Transport& transport, OutputPin& pin, SampleProducer& producer)
    : transport_(transport), pin_(pin), producer_(producer)
{
}

StreamWorker::~StreamWorker() { join(); }

bool StreamWorker::start()
{
    transport_.threadStarted();
    thread_ = reinterpret_cast<HANDLE>(_beginthreadex(nullptr, 0, &StreamWorker::threadMain, this, 0, nullptr));
    if (!thread_) transport_.threadEnded();
    return thread_ != nullptr;
}

void StreamWorker::join()
{
    if (!thread_) return;
    // The joining thread may own windows that downstream sends messages to before it lets
    // the streaming thread go; serve them while waiting.
    while (MsgWaitForMultipleObjects(1, &thread_, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    }
    CloseHandle(thread_);
    thread_ = nullptr;
}

unsigned __stdcall StreamWorker::threadMain(void* self)
{
    // Downstream filters may create COM objects on this thread.
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    auto* worker = static_cast<StreamWorker*>(self);
    describeThisThread(L"lumanav " + worker->pin_.name());
    worker->run();
    CoUninitialize();
    return 0;
}

void StreamWorker::run()
{
    unsigned generation = transport_.generation();
    bool discontinuity = true;
    bool ended = false;
    for (;;) {
        REFERENCE_TIME start = 0, stop = 0;
        SampleProducer::Ready ready = SampleProducer::Ready::End;
        // After a flush the producer hears of it before readying anything: a picture taken
        // from the decoder now would stand in for the one it is to send again.
        const bool flushed = transport_.generation() != generation;
        if (!ended && !flushed) ready = producer_.prepare(transport_.streamTime(), start, stop);
        Transport::Wake wake = Transport::Wake::Send;
        if (ended || flushed) {
            wake = transport_.waitForChange(generation);
        } else if (ready == SampleProducer::Ready::End) {
            // An end found after a jump the thread has not caught up with yet is told
            // once it has: telling it now would make downstream end twice.
            if (transport_.beginDelivery(generation)) {
                pin_.deliverEndOfStream();
                transport_.endDelivery();
                ended = true;
                continue;
            }
            wake = transport_.waitForChange(generation);
        } else if (ready == SampleProducer::Ready::Hold) {
            // Not inside a delivery, so downstream can be flushed from here; a flush of the
            // filter's own under way does it already.
            if (transport_.beginDelivery(generation)) {
                pin_.deliverBeginFlush();
                pin_.deliverEndFlush();
                transport_.endDelivery();
            }
            discontinuity = true;
            wake = transport_.waitForChange(generation);
        } else if (ready == SampleProducer::Ready::Wait) {
            wake = transport_.waitToSend(start, 0, generation);
        } else {
            // The first sample of a stretch goes at once: paused, the renderer shows it while
            // the clock stands; running, it waits there for its time.
            wake = transport_.waitToSend(start, discontinuity ? anyTime : producer_.lead(), generation);
        }
        if (wake == Transport::Wake::Stopped) break;
        if (wake == Transport::Wake::Flushed) {
            generation = transport_.generation();
            producer_.flush();
            discontinuity = true;
            ended = false;
            continue;
        }
        if (ended || ready != SampleProducer::Ready::Sample) continue;

        const HRESULT hr = sendOne(start, stop, generation, discontinuity);
        if (hr == S_OK) {
            discontinuity = false;
        } else if (transport_.waitForChange(generation) == Transport::Wake::Stopped) {
            break;  // downstream refused the sample: nothing to do until the state changes
        }
    }
    transport_.threadEnded();
}

HRESULT StreamWorker::sendOne(REFERENCE_TIME start, REFERENCE_TIME stop, unsigned generation, bool discontinuity)
{
    ComPtr<IMediaSample> sample;
    transport_.beginWaitingDownstream();
    HRESULT hr = pin_.getBuffer(sample);
    transport_.endWaitingDownstream();
    if (FAILED(hr)) return hr;
    if (!producer_.fill(*sample.Get())) {
        producer_.consumed();
        return S_OK;
    }
    const REFERENCE_TIME held = transport_.heldFor();
    start += held;
    stop += held;
    sample->SetTime(&start, &stop);
    sample->SetSyncPoint(TRUE);
    sample->SetDiscontinuity(discontinuity ? TRUE : FALSE);
    // A flush since the sample was readied: the producer's flush decides whether it is of
    // the past.
    if (!transport_.beginDelivery(generation)) return S_OK;
    hr = pin_.deliver(sample.Get());
    transport_.endDelivery();
    producer_.consumed();
    return hr;
}

}  // namespace lumanav
