#pragma once
// One streaming thread per output pin: asks its producer for samples, paces them to the
// graph's clock by the stream times the producer gives them and hands them downstream.

#include "DirectShow.h"

namespace lumanav {

class OutputPin;
class Transport;

class SampleProducer {
public:
    enum class Ready { Sample, Wait, Hold, End };

    virtual ~SampleProducer() = default;
    // How far ahead of the clock samples may go out.
    virtual REFERENCE_TIME lead() const = 0;
    // Readies the next sample and answers its stream times; `now` is the clock's stream time.
    // Wait: nothing to send before `start`, ask again then. Hold: nothing to send until the
    // transport changes, and what went downstream is to be dropped there. End: the stream has
    // ended.
    virtual Ready prepare(REFERENCE_TIME now, REFERENCE_TIME& start, REFERENCE_TIME& stop) = 0;
    // Fills a buffer with the sample readied; false when it cannot.
    virtual bool fill(IMediaSample& sample) = 0;
    // The sample readied is done with: downstream took or refused it, or it could not be
    // filled.
    virtual void consumed() = 0;
    // A flush: what the producer holds from before a jump is thrown away.
    virtual void flush() = 0;
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
    HRESULT sendOne(REFERENCE_TIME start, REFERENCE_TIME stop, unsigned generation, bool discontinuity);

    Transport& transport_;
    OutputPin& pin_;
    SampleProducer& producer_;
    HANDLE thread_ = nullptr;
};

}  // namespace lumanav
