#include "DiscSession.h"

#include <dvdevcod.h>

#include <chrono>

namespace lumanav {

FolderWatch::FolderWatch(std::wstring folder)
    : folder_(std::move(folder)), thread_([this] {
          std::unique_lock lock(mutex_);
          while (!stopping_) {
              lock.unlock();
              const bool there = GetFileAttributesW(folder_.c_str()) != INVALID_FILE_ATTRIBUTES;
              lock.lock();
              if (!there) {
                  gone_ = true;
                  return;
              }
              stopped_.wait_for(lock, std::chrono::milliseconds(250), [this] { return stopping_; });
          }
      })
{
}

FolderWatch::~FolderWatch()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    stopped_.notify_all();
    thread_.join();
}

DiscSession::Changing::Changing(const DiscSession& session) : session_(session), core_(session.coreMutex_)
{
    session_.stateMutex_.lock();
    session_.changing_ = GetCurrentThreadId();
}

DiscSession::Changing::~Changing()
{
    session_.changing_ = 0;
    session_.stateMutex_.unlock();
}

void DiscSession::driveWait(bool waiting)
{
    // Reads made without the locks (the disc being opened) have nothing to let go.
    if (changing_ != GetCurrentThreadId()) return;
    if (waiting)
        stateMutex_.unlock();
    else
        stateMutex_.lock();
}

void DiscSession::open(std::unique_ptr<nav::Navigator> navigator, std::wstring folder)
{
    // The watch of the disc before may be waiting on its drive: it ends outside the lock.
    std::unique_ptr<FolderWatch> watch = folder.empty() ? nullptr : std::make_unique<FolderWatch>(folder);
    const Changing lock(*this);
    core_ = std::move(navigator);
    folder_ = std::move(folder);
    watch_.swap(watch);
    started_ = false;
    frozen_ = false;
    if (core_) core_->setHmsfTimeEvents(hmsfTimeEvents_);
}

bool DiscSession::hasDisc() const
{
    std::shared_lock<SlimLock> lock(stateMutex_);
    return core_ != nullptr;
}

std::wstring DiscSession::folder() const
{
    std::shared_lock<SlimLock> lock(stateMutex_);
    return folder_;
}

void DiscSession::start()
{
    const Changing lock(*this);
    if (!core_ || started_) return;
    core_->start();
    started_ = true;
}

void DiscSession::stop()
{
    std::lock_guard events(eventMutex_);
    const Changing lock(*this);
    if (!core_ || !resetOnStop_) return;
    core_->stop();
    core_->takeEvents();  // nothing is told after a stop
    started_ = false;
    frozen_ = false;
}

bool DiscSession::started() const
{
    std::shared_lock<SlimLock> lock(stateMutex_);
    return started_;
}

bool DiscSession::folderThere()
{
    // A drive answers only once it is done with the read under way, maybe a scratch's retries.
    driveWait(true);
    const bool there = GetFileAttributesW(folder_.c_str()) != INVALID_FILE_ATTRIBUTES;
    driveWait(false);
    return there;
}

std::optional<nav::Vobu> DiscSession::read()
{
    std::unique_ptr<FolderWatch> watch;
    {
        const Changing lock(*this);
        if (!core_) return std::nullopt;
        std::optional<nav::Vobu> vobu = core_->read();
        // Asked after the read: from a disc that has gone the core wanders on through cells it
        // cannot read, and none of that may be told. The watch tells while the reading goes
        // on; a read that found nothing asks at once.
        const bool gone = watch_ && watch_->gone();
        if (!gone && (vobu || folderThere())) return vobu;
        // Its tray was opened or its drive taken away: the disc is closed, its files let go,
        // and the streams end as it has nothing more to play.
        core_.reset();
        folder_.clear();
        watch = std::move(watch_);
        started_ = false;
        frozen_ = false;
    }
    notify(EC_DVD_DISC_EJECTED, 0, 0);
    notify(EC_DVD_DOMAIN_CHANGE, DVD_DOMAIN_Stop, 0);
    return std::nullopt;
}

unsigned DiscSession::generation() const
{
    std::shared_lock<SlimLock> lock(stateMutex_);
    return core_ ? core_->generation() : 0;
}

void DiscSession::presented(unsigned generation, double seconds, std::uint32_t vobu)
{
    const Changing lock(*this);
    if (!core_) return;
    // Where the picture's VOBU took playback is told before the time of the picture.
    core_->shown(vobu);
    core_->presented(generation, seconds);
}

void DiscSession::caughtUp()
{
    const Changing lock(*this);
    if (core_) core_->caughtUp();
}

nav::Overlay DiscSession::overlay() const
{
    std::shared_lock<SlimLock> lock(stateMutex_);
    return core_ ? core_->overlay() : nav::Overlay{};
}

void DiscSession::actionShown()
{
    const Changing lock(*this);
    if (core_) core_->actionShown();
}

std::optional<std::pair<int, nav::AudioCoding>> DiscSession::audio() const
{
    std::shared_lock<SlimLock> lock(stateMutex_);
    if (!core_) return std::nullopt;
    const int stream = core_->audioStream();
    if (stream < 0) return std::nullopt;
    return std::pair{stream, core_->audioAttributes(core_->currentAudio().current).coding};
}

void DiscSession::elapse(double seconds)
{
    const Changing lock(*this);
    if (core_) core_->elapse(seconds);
}

bool DiscSession::playing() const
{
    std::shared_lock<SlimLock> lock(stateMutex_);
    return core_ && core_->domain() != nav::Domain::Stop;
}

void DiscSession::setFrozen(bool frozen) { frozen_ = frozen; }

void DiscSession::setHmsfTimeEvents(bool on)
{
    const Changing lock(*this);
    hmsfTimeEvents_ = on;
    if (core_) core_->setHmsfTimeEvents(on);
}

void DiscSession::setResetOnStop(bool on)
{
    const Changing lock(*this);
    resetOnStop_ = on;
}

bool DiscSession::resetOnStop() const
{
    std::shared_lock<SlimLock> lock(stateMutex_);
    return resetOnStop_;
}

void DiscSession::setEventSink(IMediaEventSink* sink)
{
    std::lock_guard lock(eventMutex_);
    sink_ = sink;
}

void DiscSession::setPublishing(bool on)
{
    std::lock_guard lock(eventMutex_);
    publishing_ = on;
}

void DiscSession::publishEvents()
{
    // The event lock keeps events from two threads in the core's order; the graph's
    // Notify only queues and posts a message, it never calls back into the filter.
    std::lock_guard lock(eventMutex_);
    if (!publishing_) return;
    std::vector<nav::Event> events;
    {
        const Changing core(*this);
        if (core_) events = core_->takeEvents();
    }
    if (!sink_) return;
    for (const nav::Event& event : events)
        sink_->Notify(static_cast<long>(event.code), static_cast<LONG_PTR>(event.param1), static_cast<LONG_PTR>(event.param2));
}

void DiscSession::notify(long code, LONG_PTR param1, LONG_PTR param2)
{
    std::lock_guard lock(eventMutex_);
    if (publishing_ && sink_) sink_->Notify(code, param1, param2);
}

}  // namespace lumanav
