#pragma once
// The navigator core of one disc and everything that touches it: one lock serialises what
// changes it from the graph's thread, the player's thread and the streaming threads; queries
// share another, which a change waiting on the drive lets go, so that no query waits on the
// drive. Events leave through the graph's event sink in the order the core made them, never
// under those locks.

#include "DirectShow.h"
#include "SlimSync.h"
#include "core/Navigator.h"
#include "core/Vobu.h"

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <shared_mutex>
#include <string>
#include <thread>
#include <utility>

namespace lumanav {

// Whether a disc's folder is still there, looked at every quarter second on a thread of its own:
// a drive busy reading, seeking or retrying answers only after that, and the pictures must not
// wait for it.
class FolderWatch {
public:
    explicit FolderWatch(std::wstring folder);
    ~FolderWatch();
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    bool gone() const { return gone_; }

private:
    const std::wstring folder_;
    std::mutex mutex_;
    std::condition_variable stopped_;
    bool stopping_ = false;
    std::atomic<bool> gone_{false};
    std::thread thread_;
};

class DiscSession {
public:
    // Replaces the disc; the core starts at the next start().
    void open(std::unique_ptr<nav::Navigator> navigator, std::wstring folder);
    bool hasDisc() const;
    std::wstring folder() const;

    // Runs `action` on the core, alone; without a disc, answers `noDisc`.
    template <class Action, class Result>
    Result withCore(Action&& action, Result noDisc)
    {
        const Changing lock(*this);
        return core_ ? action(*core_) : noDisc;
    }
    // Runs `look` on the core beside other queries and a change waiting on the drive, which it
    // may find part way: a cell entered, say, and its buttons not yet read.
    template <class Look, class Result>
    Result query(Look&& look, Result noDisc) const
    {
        std::shared_lock<SlimLock> lock(stateMutex_);
        return core_ ? look(std::as_const(*core_)) : noDisc;
    }
    // For the core's reads (a nav::DriveWait): a change waiting on the drive lets queries in.
    void driveWait(bool waiting);

    // The graph starts streaming: first play unless playback goes on from where it stopped.
    void start();
    // The graph stopped: with reset-on-stop the next start is a new first play.
    void stop();
    // Playback has begun and not been reset since: commands have something to act on.
    bool started() const;
    // The core's reading cursor and what the pictures tell it back. A disc whose volume has
    // gone is closed here, as an ejected one.
    std::optional<nav::Vobu> read();
    unsigned generation() const;
    // A picture of the VOBU with this serial showing this title time is on screen.
    void presented(unsigned generation, double seconds, std::uint32_t vobu);
    // Every picture of what was read is out.
    void caughtUp();
    void elapse(double seconds);
    nav::Overlay overlay() const;
    // A picture with the activated button in its action colours is on screen: its command runs.
    void actionShown();
    // The audio stream playing and its coding; nothing when none plays.
    std::optional<std::pair<int, nav::AudioCoding>> audio() const;
    bool playing() const;
    // Navigation-level pause: the picture and time stand still.
    void setFrozen(bool frozen);
    bool frozen() const { return frozen_; }

    void setHmsfTimeEvents(bool on);
    void setResetOnStop(bool on);
    bool resetOnStop() const;

    // The graph's sink, not counted (the graph owns the filter, not the other way round);
    // null when the filter leaves the graph.
    void setEventSink(IMediaEventSink* sink);
    // Events wait in the core while the filter is stopped.
    void setPublishing(bool on);
    void publishEvents();
    // An event of the filter's own, in order with the core's.
    void notify(long code, LONG_PTR param1, LONG_PTR param2);

private:
    // Asked holding both locks: the disc's folder is still there. Queries go on meanwhile.
    bool folderThere();

    // Both locks, as whoever changes the core or the session holds them.
    class Changing {
    public:
        explicit Changing(const DiscSession& session);
        ~Changing();
        Changing(const Changing&) = delete;
        Changing& operator=(const Changing&) = delete;

    private:
        const DiscSession& session_;
        std::lock_guard<std::mutex> core_;
    };

    mutable std::mutex coreMutex_;
    mutable SlimLock stateMutex_;  // the core's state: shared by queries
    mutable std::atomic<DWORD> changing_{0};  // the thread that holds both
    std::unique_ptr<nav::Navigator> core_;
    std::wstring folder_;
    std::unique_ptr<FolderWatch> watch_;  // of folder_
    bool started_ = false;
    std::atomic<bool> frozen_{false};
    bool hmsfTimeEvents_ = false;
    bool resetOnStop_ = true;

    std::mutex eventMutex_;  // taken before coreMutex_, never the other way round
    IMediaEventSink* sink_ = nullptr;
    bool publishing_ = false;
};

}  // namespace lumanav
