#include "core/Vobu.h"

#include <array>

namespace nav {
namespace {

// Sectors scanned for a NAV pack before a damaged cell is given up.
constexpr std::uint32_t MaxResync = 1024;
// Hops a seek may take; search pointers make a cell of hours a few dozen.
constexpr int MaxSeekHops = 4096;

double secondsOf(const NavPack& pack) { return pack.cellTime.totalSeconds(); }

}  // namespace

std::optional<NavPack> VobuReader::navPack(std::uint32_t sector) const
{
    // On the stack: a seek reads dozens of these.
    std::array<std::uint8_t, SectorBytes> bytes;
    if (!read(sector, bytes)) return std::nullopt;
    return parseNavPack(bytes, wide_);
}

std::optional<std::pair<std::uint32_t, NavPack>> VobuReader::findNavPack(
    std::uint32_t sector, std::uint32_t last) const
{
    std::array<std::uint8_t, SectorBytes> bytes;
    for (std::uint32_t n = 0; n < MaxResync && sector <= last; ++n, ++sector) {
        // An unreadable sector ends the scan: on a drive each read of a scratch takes seconds.
        if (!read(sector, bytes)) break;
        if (std::optional<NavPack> pack = parseNavPack(bytes, wide_)) return std::pair{sector, std::move(*pack)};
    }
    return std::nullopt;
}

bool VobuReader::read(std::uint32_t sector, std::span<std::uint8_t> out) const
{
    return reader_ && reader_(titleSet_, set_, sector, out);
}

std::uint32_t VobuReader::seek(const CellPlayback& cell, double seconds) const
{
    std::uint32_t at = cell.firstSector;
    std::optional<NavPack> pack = navPack(at);
    // Half a frame of slack: a VOBU starting on the frame asked for is the one.
    const double target = seconds + 0.01;
    for (int hop = 0; pack && hop < MaxSeekHops; ++hop) {
        const double now = secondsOf(*pack);
        // The longest step of the search information that stays short of the target; the
        // pointers of a damaged pack are checked against the time they lead to.
        std::optional<std::uint32_t> to;
        std::optional<NavPack> there;
        for (std::size_t i = 0; i < SearchSteps.size() && !to; ++i) {
            std::uint32_t step = pack->search.forward[i];
            if (!step || now + SearchSteps[i] > target || at + step > cell.lastSector) continue;
            there = navPack(at + step);
            if (there && secondsOf(*there) > now && secondsOf(*there) <= target) to = at + step;
        }
        if (!to) {
            to = followingVobu(at, *pack, cell);
            if (!to) break;
            there = navPack(*to);
            if (!there || secondsOf(*there) > target) break;
        }
        at = *to;
        pack = std::move(there);
    }
    return at;
}

std::optional<std::uint32_t> followingVobu(
    std::uint32_t sector, const NavPack& pack, const CellPlayback& cell)
{
    const VobuSearch& s = pack.search;
    std::uint64_t next = std::uint64_t{sector} + s.lastSector + 1;
    if (s.interleaved && s.unitEnd) {
        if (s.nextUnit == 0 || s.nextUnit == 0xFFFFFFFF) return std::nullopt;
        next = std::uint64_t{sector} + s.nextUnit;
    }
    if (next <= sector || next > cell.lastSector) return std::nullopt;
    return static_cast<std::uint32_t>(next);
}

// A PES packet's scrambling bits sit in the first flag byte of its MPEG-2 header; private
// stream 2 (the NAV pack's own) has none.
bool scrambled(std::span<const std::uint8_t> sectors)
{
    for (std::size_t at = 0; at + SectorBytes <= sectors.size(); at += SectorBytes) {
        std::span<const std::uint8_t> s = sectors.subspan(at, SectorBytes);
        if (s[0] != 0 || s[1] != 0 || s[2] != 1 || s[3] != 0xBA) continue;
        std::size_t pes = 14 + (s[13] & 0x07);
        if (pes + 7 > s.size() || s[pes] != 0 || s[pes + 1] != 0 || s[pes + 2] != 1) continue;
        std::uint8_t id = s[pes + 3];
        bool hasHeader = id == 0xBD || (id >= 0xC0 && id <= 0xEF);
        if (hasHeader && (s[pes + 6] & 0xC0) == 0x80 && (s[pes + 6] & 0x30) != 0) return true;
    }
    return false;
}

}  // namespace nav
