#pragma once
// Reads on ahead of the reading cursor on a thread of its own, so that the cursor finds what it
// asks for waiting: a drive that seeks, spins up or retries a scratch holds up this thread, not
// the cursor's callers. Sectors that failed fail again at once, so a scratch costs the drive's
// retries only once.

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <thread>
#include <utility>
#include <vector>

#include "core/Navigator.h"
#include "core/Volume.h"

namespace nav {

class ReadAhead {
public:
    using SectorCount = std::function<std::uint32_t(unsigned titleSet, VobSet set)>;

    // Reads from `source` (only ever from the thread) up to `bound` bytes ahead of the cursor.
    ReadAhead(SectorReader source, SectorCount sectors, std::size_t bound, DriveWait driveWait = {});
    // Waits for a read of the drive under way.
    ~ReadAhead();
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // As a SectorReader: from what waits, else once the thread has read it from here on.
    bool read(unsigned titleSet, VobSet set, std::uint32_t sector, std::span<std::uint8_t> out);

private:
    void run();
    std::uint32_t ahead() const { return first_ + static_cast<std::uint32_t>(buffer_.size() / SectorBytes); }
    bool failed(std::uint32_t sector, std::uint32_t count) const;

    SectorReader source_;
    SectorCount sectors_;
    std::size_t bound_;
    DriveWait driveWait_;

    std::mutex mutex_;
    std::condition_variable changed_;
    bool stopping_ = false;
    // Where the cursor reads: a VOB set and the sectors read from first_ on.
    unsigned titleSet_ = 0;
    VobSet set_ = VobSet::Menu;
    bool placed_ = false;
    unsigned moves_ = 0;  // a read of the drive begun before a move is of no use
    std::uint32_t total_ = 0;
    std::uint32_t first_ = 0;
    std::uint32_t asked_ = 1;
    bool streaming_ = false;  // the cursor reads on: so does the thread
    std::vector<std::uint8_t> buffer_;
    std::vector<std::pair<std::uint32_t, std::uint32_t>> failed_;  // first and count, in this set
    std::thread thread_;
};

}  // namespace nav
