#include "Transport.h"

#include <algorithm>

namespace lumanav {
namespace {

constexpr REFERENCE_TIME unitsPerMillisecond = 10000;
// Stream time comes from the graph's clock, which a timed wait cannot follow exactly: long
// waits are cut into slices and the clock read again. Each wake costs a thread switch, so the
// slices are no shorter than a sound buffer or a picture takes to play.
constexpr REFERENCE_TIME longestWait = 100 * unitsPerMillisecond;

}  // namespace

void Transport::setClock(IReferenceClock* clock)
{
    std::lock_guard lock(mutex_);
    clock_ = clock;
}

void Transport::pause()
{
    std::lock_guard lock(mutex_);
    if (state_ == State_Running) pausedAt_ = graphTimeLocked();
    if (state_ == State_Stopped) pausedAt_ = 0;
    state_ = State_Paused;
    notifyState();
}

void Transport::run(REFERENCE_TIME start)
{
    std::lock_guard lock(mutex_);
    start_ = start;
    runTicks_ = GetTickCount64();
    state_ = State_Running;
    notifyState();
}

void Transport::stop()
{
    std::lock_guard lock(mutex_);
    state_ = State_Stopped;
    flushing_ = false;
    heldAt_.reset();
    heldFor_ = 0;
    notifyState();
}

void Transport::hold(bool on)
{
    std::lock_guard lock(mutex_);
    if (on == heldAt_.has_value()) return;
    if (on) {
        heldAt_ = graphTimeLocked();
    } else {
        heldFor_ += graphTimeLocked() - *heldAt_;
        heldAt_.reset();
    }
    ++generation_;
    changed_.notifyAll();
}

bool Transport::held() const
{
    std::lock_guard lock(mutex_);
    return heldAt_.has_value();
}

bool Transport::cueing() const
{
    std::lock_guard lock(mutex_);
    return state_ == State_Paused && busy_ > 0;
}

bool Transport::waitCued(DWORD milliseconds)
{
    std::unique_lock lock(mutex_);
    const ULONGLONG deadline = GetTickCount64() + milliseconds;
    while (state_ == State_Paused && busy_ > 0) {
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return false;
        settled_.waitFor(lock, static_cast<DWORD>(deadline - now));
    }
    return true;
}

void Transport::beginFlush()
{
    std::lock_guard lock(mutex_);
    ++generation_;
    flushing_ = true;
    changed_.notifyAll();
}

void Transport::waitDeliveriesDone()
{
    std::unique_lock lock(mutex_);
    // The control thread may own windows that downstream sends messages to while it
    // finishes a delivery; keep serving those while waiting.
    while (deliveries_ > 0) {
        settled_.waitFor(lock, 10);
        lock.unlock();
        MSG message;
        PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
        lock.lock();
    }
}

void Transport::endFlush()
{
    std::lock_guard lock(mutex_);
    flushing_ = false;
    changed_.notifyAll();
}

unsigned Transport::generation() const
{
    std::lock_guard lock(mutex_);
    return generation_;
}

REFERENCE_TIME Transport::streamTime() const
{
    std::lock_guard lock(mutex_);
    return streamTimeLocked();
}

REFERENCE_TIME Transport::heldFor() const
{
    std::lock_guard lock(mutex_);
    return heldFor_;
}

REFERENCE_TIME Transport::streamTimeLocked() const
{
    return heldAt_.value_or(graphTimeLocked()) - heldFor_;
}

REFERENCE_TIME Transport::graphTimeLocked() const
{
    if (state_ != State_Running) return pausedAt_;
    if (clock_) {
        REFERENCE_TIME now = 0;
        if (SUCCEEDED(clock_->GetTime(&now))) return now - start_;
    }
    return pausedAt_ + static_cast<REFERENCE_TIME>(GetTickCount64() - runTicks_) * unitsPerMillisecond;
}

Transport::Wake Transport::waitToSend(REFERENCE_TIME start, REFERENCE_TIME lead, unsigned generation)
{
    std::unique_lock lock(mutex_);
    becomeIdle();
    for (;;) {
        if (state_ == State_Stopped) break;
        if (generation != generation_ && !flushing_) break;
        if (flushing_) {
            changed_.wait(lock);
            continue;
        }
        const REFERENCE_TIME early = start - lead - streamTimeLocked();
        if (early < 0) break;
        const REFERENCE_TIME wait = std::min(early, longestWait);
        changed_.waitFor(lock, static_cast<DWORD>(wait / unitsPerMillisecond + 1));
    }
    becomeBusy();
    if (state_ == State_Stopped) return Wake::Stopped;
    return generation != generation_ ? Wake::Flushed : Wake::Send;
}

Transport::Wake Transport::waitForChange(unsigned generation)
{
    std::unique_lock lock(mutex_);
    becomeIdle();
    const FILTER_STATE state = state_;
    changed_.wait(lock, [&] {
        return state_ == State_Stopped || state_ != state || (generation != generation_ && !flushing_);
    });
    becomeBusy();
    if (state_ == State_Stopped) return Wake::Stopped;
    return generation != generation_ ? Wake::Flushed : Wake::Send;
}

bool Transport::beginDelivery(unsigned generation)
{
    std::lock_guard lock(mutex_);
    if (flushing_ || generation != generation_ || state_ == State_Stopped) return false;
    ++deliveries_;
    becomeIdle();
    return true;
}

void Transport::endDelivery()
{
    std::lock_guard lock(mutex_);
    if (--deliveries_ == 0) settled_.notifyAll();
    becomeBusy();
}

void Transport::beginWaitingDownstream()
{
    std::lock_guard lock(mutex_);
    becomeIdle();
}

void Transport::endWaitingDownstream()
{
    std::lock_guard lock(mutex_);
    becomeBusy();
}

void Transport::threadStarted()
{
    std::lock_guard lock(mutex_);
    becomeBusy();
}

void Transport::threadEnded()
{
    std::lock_guard lock(mutex_);
    becomeIdle();
}

void Transport::becomeIdle()
{
    if (--busy_ == 0) settled_.notifyAll();
}

void Transport::notifyState()
{
    changed_.notifyAll();
    settled_.notifyAll();
}

void Transport::becomeBusy() { ++busy_; }

}  // namespace lumanav
