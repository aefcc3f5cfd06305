#pragma once
// One streaming thread per output pin: asks its producer for samples, stamps them with
// stream times, paces them to the graph's clock and hands them downstream.

#include "DirectShow.h"

namespace lumanav {

class OutputPin;
class Transport;

class SampleProducer {
public:
    virtual ~SampleProducer() = default;
    // How far ahead of the clock samples may go out.
    virtual REFERENCE_TIME lead() const = 0;
    // Fills the sample and answers its duration, or 0 at the end of the stream.
    virtual REFERENCE_TIME produce(IMediaSample& sample) = 0;
};

class StreamWorker {
public:
    StreamWorker(Transport& transport, OutputPin& pin, SampleProducer& producer);
    ~StreamWorker();
    StreamWorker(const StreamWorker&) = delete;
    StreamWorker& operator=(const StreamWorker&) = delete;

    bool start();
    // Waits for the thread to end; the transport must be stopped first.
    void join();

private:
    static unsigned __stdcall threadMain(void* self);
    void run();
    HRESULT sendOne(REFERENCE_TIME start, unsigned generation, bool discontinuity, REFERENCE_TIME& duration);

    Transport& transport_;
    OutputPin& pin_;
    SampleProducer& producer_;
    HANDLE thread_ = nullptr;
};

}  // namespace lumanav
