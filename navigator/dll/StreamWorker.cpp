#include "StreamWorker.h"

#include "OutputPin.h"
#include "Transport.h"

#include <process.h>

namespace lumanav {

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
    static_cast<StreamWorker*>(self)->run();
    CoUninitialize();
    return 0;
}

void StreamWorker::run()
{
    unsigned generation = transport_.generation();
    REFERENCE_TIME next = transport_.streamTime();
    bool discontinuity = true;
    bool ended = false;
    for (;;) {
        const Transport::Wake wake = ended ? transport_.waitForChange(generation)
                                           : transport_.waitToSend(next, producer_.lead(), generation);
        if (wake == Transport::Wake::Stopped) break;
        if (wake == Transport::Wake::Flushed) {
            // After a jump the pictures restart from now.
            generation = transport_.generation();
            next = transport_.streamTime();
            discontinuity = true;
            ended = false;
            continue;
        }
        if (ended) continue;

        REFERENCE_TIME duration = 0;
        const HRESULT hr = sendOne(next, generation, discontinuity, duration);
        if (hr == S_OK && duration == 0) {
            // An end found after a jump the thread has not caught up with yet is told
            // once it has: telling it now would make downstream end twice.
            if (transport_.beginDelivery(generation)) {
                pin_.deliverEndOfStream();
                transport_.endDelivery();
                ended = true;
            }
        } else if (hr == S_OK) {
            next += duration;
            discontinuity = false;
        } else if (transport_.waitForChange(generation) == Transport::Wake::Stopped) {
            break;  // downstream refused the sample: nothing to do until the state changes
        }
    }
    transport_.threadEnded();
}

HRESULT StreamWorker::sendOne(REFERENCE_TIME start, unsigned generation, bool discontinuity, REFERENCE_TIME& duration)
{
    ComPtr<IMediaSample> sample;
    transport_.beginWaitingDownstream();
    HRESULT hr = pin_.getBuffer(sample);
    transport_.endWaitingDownstream();
    if (FAILED(hr)) return hr;

    duration = producer_.produce(*sample.Get());
    if (duration == 0) return S_OK;
    REFERENCE_TIME stop = start + duration;
    sample->SetTime(&start, &stop);
    sample->SetSyncPoint(TRUE);
    sample->SetDiscontinuity(discontinuity ? TRUE : FALSE);
    // A flush since the sample was made means it shows the past: drop it.
    if (!transport_.beginDelivery(generation)) return S_OK;
    hr = pin_.deliver(sample.Get());
    transport_.endDelivery();
    return hr;
}

}  // namespace lumanav
