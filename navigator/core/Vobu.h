#pragma once
// The reading cursor's view of a VOB set: NAV packs, VOBUs in play order through an angle's
// interleaved units, and the VOBU a time in a cell falls on.

#include <cstdint>
#include <optional>
#include <span>
#include <utility>
#include <vector>

#include "core/Ifo.h"
#include "core/NavPack.h"
#include "core/Navigator.h"
#include "core/Volume.h"

namespace nav {

// One VOBU as the cursor hands it out.
struct Vobu {
    // Changes with every jump: whatever was read under an older number shows the past.
    unsigned generation = 0;
    std::uint32_t sector = 0;           // of its NAV pack in its VOB set
    std::vector<std::uint8_t> sectors;  // whole sectors, NAV pack first
    double time = 0;                    // of its first picture in the title (the chain, in menus)
    std::uint32_t startPtm = 0;         // 90 kHz, as the VOBU's own time stamps count
    std::uint32_t endPtm = 0;
    double rate = 1.0;       // read for this rate: backward, VOBUs come in steps back
    bool scrambled = false;  // its packs are encrypted: nothing in it can be decoded
    std::uint32_t serial = 0;  // counts the VOBUs handed out, in reading order
};

// A VOBU never spans more than about a second of the fastest stream; a search information
// claiming more is not believed.
inline constexpr std::uint32_t MaxVobuSectors = 1024;

class VobuReader {
public:
    // `wide`: the VOB set's pictures are 16:9, which chooses the buttons NAV packs give.
    VobuReader(const SectorReader& reader, unsigned titleSet, VobSet set, bool wide)
        : reader_(reader), titleSet_(titleSet), set_(set), wide_(wide)
    {
    }

    std::optional<NavPack> navPack(std::uint32_t sector) const;
    // The first NAV pack from `sector` on, up to `last`, and where it is: the way past
    // damaged sectors that read. Nothing once a sector cannot be read.
    std::optional<std::pair<std::uint32_t, NavPack>> findNavPack(
        std::uint32_t sector, std::uint32_t last) const;
    bool read(std::uint32_t sector, std::span<std::uint8_t> out) const;
    // The VOBU of a cell that shows the time `seconds` from the cell's start.
    std::uint32_t seek(const CellPlayback& cell, double seconds) const;

private:
    const SectorReader& reader_;
    unsigned titleSet_;
    VobSet set_;
    bool wide_;
};

// The VOBU that plays after the one at `sector`: the next in the file, or at the end of an
// interleaved unit the angle's next unit. Nothing when the cell ends there.
std::optional<std::uint32_t> followingVobu(
    std::uint32_t sector, const NavPack& pack, const CellPlayback& cell);

// True when a pack of these sectors says its payload is scrambled.
bool scrambled(std::span<const std::uint8_t> sectors);

}  // namespace nav
