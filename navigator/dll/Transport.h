#pragma once
// The filter's run state as its streaming threads see it: the state the graph has put the
// filter in, where stream time stands, and flushes in progress. The filter changes it from
// the graph's thread; the streaming threads wait on it.

#include "DirectShow.h"
#include "SlimSync.h"

#include <optional>

namespace lumanav {

class Transport {
public:
    enum class Wake { Send, Flushed, Stopped };

    // Control side.
    void setClock(IReferenceClock* clock);
    void pause();
    void run(REFERENCE_TIME start);
    void stop();
    // The navigator's own pause: stream time stands for the streams while the graph's clock
    // runs on, and what is sent after it is stamped later by as long as it stood, so playback
    // goes on from the picture shown. Its start and its end wake the streams as a flush does,
    // without one downstream: what they sent ahead of the standing time is theirs to take back.
    void hold(bool on);
    bool held() const;
    // True while a streaming thread works on a sample that downstream has not taken yet.
    bool cueing() const;
    // Waits up to `milliseconds` for the threads to finish cueing.
    bool waitCued(DWORD milliseconds);
    // A flush: new generation, and no delivery may start until endFlush. After
    // beginFlush returns, waitDeliveriesDone waits for deliveries already under way.
    void beginFlush();
    void waitDeliveriesDone();
    void endFlush();

    // Streaming side.
    unsigned generation() const;
    REFERENCE_TIME streamTime() const;
    // What the samples' times need adding to be on the graph's stream time.
    REFERENCE_TIME heldFor() const;
    // Waits until a sample starting at `start` may go out (it lies within `lead` of stream
    // time), a flush has happened since `generation`, or the filter stops.
    Wake waitToSend(REFERENCE_TIME start, REFERENCE_TIME lead, unsigned generation);
    // Waits until a flush or a state change: after the end of the stream, or when
    // downstream refused a sample.
    Wake waitForChange(unsigned generation);
    // Brackets a call into downstream that may block there; false (and no call) when a flush
    // has made the sample stale.
    bool beginDelivery(unsigned generation);
    void endDelivery();
    // Brackets waits on downstream that are not deliveries (a free buffer).
    void beginWaitingDownstream();
    void endWaitingDownstream();
    void threadStarted();
    void threadEnded();

private:
    REFERENCE_TIME streamTimeLocked() const;
    REFERENCE_TIME graphTimeLocked() const;
    void notifyState();
    void becomeIdle();
    void becomeBusy();

    mutable SlimLock mutex_;
    // The streaming threads wait for changes of state; the control thread for deliveries and
    // work to end. Apart, a thread's every delivery does not wake the other one.
    mutable SlimCondition changed_;
    SlimCondition settled_;
    FILTER_STATE state_ = State_Stopped;
    ComPtr<IReferenceClock> clock_;
    REFERENCE_TIME start_ = 0;         // stream time zero on the clock, while running
    REFERENCE_TIME pausedAt_ = 0;      // stream time while paused
    ULONGLONG runTicks_ = 0;           // when running without a clock
    std::optional<REFERENCE_TIME> heldAt_;  // the graph's stream time when held
    REFERENCE_TIME heldFor_ = 0;
    unsigned generation_ = 0;
    bool flushing_ = false;
    int deliveries_ = 0;
    int busy_ = 0;                     // threads producing a sample right now
};

}  // namespace lumanav
