#include "core/ReadAhead.h"

#include <algorithm>
#include <cstring>

namespace nav {
namespace {

// 64 KiB a read once the cursor is fed: few seeks, and a failure spoils little around a scratch.
constexpr std::uint32_t ChunkSectors = 32;

}  // namespace

ReadAhead::ReadAhead(SectorReader source, SectorCount sectors, std::size_t bound, DriveWait driveWait)
    : source_(std::move(source)),
      sectors_(std::move(sectors)),
      bound_(bound),
      driveWait_(std::move(driveWait)),
      thread_([this] { run(); })
{
}

ReadAhead::~ReadAhead()
{
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

bool ReadAhead::failed(std::uint32_t sector, std::uint32_t count) const
{
    return std::any_of(failed_.begin(), failed_.end(), [&](const auto& f) {
        return sector < f.first + f.second && f.first < sector + count;
    });
}

bool ReadAhead::read(unsigned titleSet, VobSet set, std::uint32_t sector, std::span<std::uint8_t> out)
{
    const auto count = static_cast<std::uint32_t>(out.size() / SectorBytes);
    if (count == 0 || out.size() % SectorBytes != 0) return false;
    std::unique_lock lock(mutex_);
    const bool otherSet = !placed_ || titleSet != titleSet_ || set != set_;
    if (otherSet) {
        placed_ = true;
        titleSet_ = titleSet;
        set_ = set;
        total_ = sectors_(titleSet, set);
        failed_.clear();
    }
    if (otherSet || sector < first_ || sector > ahead()) {
        // A jump: reading starts over from here with no more than asked for, and goes on only
        // once the cursor reads on from there; a seek hops through single sectors.
        ++moves_;
        first_ = sector;
        asked_ = count;
        streaming_ = false;
        buffer_.clear();
    } else {
        streaming_ = true;
        // The cursor has moved on: room for more ahead.
        buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(sector - first_) * SectorBytes);
        first_ = sector;
    }
    changed_.notify_all();
    if (std::uint64_t{sector} + count > total_) return false;
    const auto done = [&] { return stopping_ || failed(sector, count) || ahead() >= sector + count; };
    const bool waits = !done() && driveWait_;
    if (waits) driveWait_(true);
    changed_.wait(lock, done);
    const bool read = !stopping_ && !failed(sector, count);
    if (read) std::memcpy(out.data(), buffer_.data(), out.size());
    // Taking the caller's lock back may wait for others: not while holding up this thread's.
    lock.unlock();
    if (waits) driveWait_(false);
    return read;
}

void ReadAhead::run()
{
    std::vector<std::uint8_t> chunk;
    std::unique_lock lock(mutex_);
    for (;;) {
        changed_.wait(lock, [&] {
            return stopping_ || (placed_ && (streaming_ || buffer_.empty()) && ahead() < total_ && buffer_.size() < bound_);
        });
        if (stopping_) return;
        const unsigned titleSet = titleSet_, moves = moves_;
        const VobSet set = set_;
        const std::uint32_t at = ahead();
        const std::uint32_t count = std::min(buffer_.empty() ? asked_ : ChunkSectors, total_ - at);
        chunk.resize(std::size_t{count} * SectorBytes);
        // A known scratch is not read again.
        bool read = false;
        if (!failed(at, count)) {
            lock.unlock();
            read = source_(titleSet, set, at, chunk);
            lock.lock();
        }
        if (moves != moves_ || titleSet != titleSet_ || set != set_) continue;
        // What failed stays in line as zeros, never handed out.
        if (!read) {
            std::fill(chunk.begin(), chunk.end(), std::uint8_t{0});
            failed_.emplace_back(at, count);
        }
        buffer_.insert(buffer_.end(), chunk.begin(), chunk.end());
        changed_.notify_all();
    }
}

}  // namespace nav
