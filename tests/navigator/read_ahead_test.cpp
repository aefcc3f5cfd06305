// Reading ahead of the cursor: what it hands out is the drive's, a scratch is read once, the
// cursor is not held up by the drive while what it needs waits, and the bound is kept.
#include "core/ReadAhead.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace {

using namespace nav;

constexpr std::uint32_t DiscSectors = 4000;

// A title VOB set whose every sector is filled with its number; sectors at or past `stall`
// are not read until released, those in [badFirst, badLast] fail.
struct Drive {
    bool read(unsigned titleSet, VobSet set, std::uint32_t sector, std::span<std::uint8_t> out)
    {
        const auto count = static_cast<std::uint32_t>(out.size() / SectorBytes);
        {
            std::unique_lock lock(mutex);
            released.wait(lock, [&] { return sector + count <= stall; });
            farthest = std::max(farthest, sector + count);
            ++reads;
        }
        if (set != VobSet::Title || sector + count > DiscSectors) return false;
        if (sector <= badLast && sector + count > badFirst) {
            ++failures;
            return false;
        }
        for (std::uint32_t i = 0; i < count; ++i)
            std::fill_n(out.begin() + i * SectorBytes, SectorBytes, static_cast<std::uint8_t>(sector + i));
        return true;
    }

    void release(std::uint32_t upTo)
    {
        {
            std::lock_guard lock(mutex);
            stall = upTo;
        }
        released.notify_all();
    }

    std::mutex mutex;
    std::condition_variable released;
    std::uint32_t stall = DiscSectors;
    std::uint32_t farthest = 0;
    int reads = 0;
    std::uint32_t badFirst = DiscSectors, badLast = DiscSectors;
    std::atomic<int> failures{0};
};

struct Reading {
    explicit Reading(Drive& drive, std::size_t bound = std::size_t{256} * SectorBytes, DriveWait driveWait = {})
        : ahead([&drive](unsigned t, VobSet s, std::uint32_t sector, std::span<std::uint8_t> out) {
              return drive.read(t, s, sector, out);
          },
          [](unsigned, VobSet set) { return set == VobSet::Title ? DiscSectors : 0u; }, bound, std::move(driveWait))
    {
    }

    // Reads `count` sectors at `sector`; true when each holds its number.
    bool read(std::uint32_t sector, std::uint32_t count = 1)
    {
        std::vector<std::uint8_t> out(std::size_t{count} * SectorBytes);
        if (!ahead.read(1, VobSet::Title, sector, out)) return false;
        for (std::uint32_t i = 0; i < count; ++i)
            if (out[i * SectorBytes] != static_cast<std::uint8_t>(sector + i)) return false;
        return true;
    }

    ReadAhead ahead;
};

TEST(ReadAhead, HandsOutTheDrivesSectorsThroughJumpsAndReadsAScratchOnce)
{
    Drive drive;
    drive.badFirst = 1000;
    drive.badLast = 1003;
    Reading r(drive);
    for (std::uint32_t s = 0; s < 600; s += 37) EXPECT_TRUE(r.read(s, 37)) << s;
    EXPECT_TRUE(r.read(3000, 40));  // a jump ahead
    EXPECT_TRUE(r.read(10, 5));     // and back
    EXPECT_TRUE(r.read(990, 10));
    EXPECT_FALSE(r.read(995, 20));  // into the scratch
    const int failures = drive.failures;
    EXPECT_FALSE(r.read(1001));
    EXPECT_FALSE(r.read(998, 4));
    EXPECT_EQ(failures, drive.failures) << "the scratch was read again";
    EXPECT_TRUE(r.read(1040, 8)) << "past the scratch";
    EXPECT_FALSE(r.read(DiscSectors - 2, 4)) << "past the end";
    std::vector<std::uint8_t> menu(SectorBytes);
    EXPECT_FALSE(r.ahead.read(1, VobSet::Menu, 0, menu));
}

TEST(ReadAhead, TheCursorReadsWhatWaitsWhileTheDriveIsHeldUpAndNoFartherThanTheBound)
{
    Drive drive;
    drive.stall = 116;  // the drive hangs past sector 116, as in a spin-up
    Reading r(drive);
    for (std::uint32_t s = 0; s < 100; s += 4) EXPECT_TRUE(r.read(s, 4)) << s;
    drive.release(DiscSectors);
    EXPECT_TRUE(r.read(100, 200));
    // Time for the thread to fill what the bound allows.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    std::lock_guard lock(drive.mutex);
    EXPECT_GE(drive.farthest, 100u + 256u) << "not read as far ahead as the bound allows";
    EXPECT_LE(drive.farthest, 100u + 256u + 32u) << "read past the bound";
}

// The owner of the reader's callers' lock lets it go only while a read really waits on the drive.
TEST(ReadAhead, AReadThatWaitsOnTheDriveSaysSoBeforeAndAfterAndOneThatFindsItsSectorsDoesNot)
{
    Drive drive;
    drive.stall = 0;  // spinning up
    std::vector<bool> told;
    std::thread spinUp;
    Reading r(drive, std::size_t{256} * SectorBytes, [&](bool waiting) {
        told.push_back(waiting);
        if (waiting && !spinUp.joinable()) spinUp = std::thread([&] { drive.release(DiscSectors); });
    });
    EXPECT_TRUE(r.read(0, 4));
    EXPECT_EQ((std::vector<bool>{true, false}), told);
    EXPECT_TRUE(r.read(4, 4));  // reading on: the thread reads ahead from here
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    const std::size_t before = told.size();
    EXPECT_TRUE(r.read(8, 16));
    EXPECT_EQ(before, told.size()) << "a read of sectors read ahead waited";
    spinUp.join();
}

}  // namespace
