#include "core/NavPack.h"

#include <algorithm>

namespace nav {
namespace {

constexpr std::size_t PciSize = 0x3D3;
constexpr std::size_t DsiSector = 0x400;
constexpr std::size_t DsiSize = 0x3F9;
constexpr std::size_t ButtonColourTable = 0x76;
constexpr std::size_t ButtonTable = 0x8E;
constexpr std::size_t ButtonEntrySize = 18;
constexpr int ButtonSlots = 36;

bool startCode(std::span<const std::uint8_t> s, std::size_t at, std::uint8_t id)
{
    return at + 4 <= s.size() && s[at] == 0 && s[at + 1] == 0 && s[at + 2] == 1 && s[at + 3] == id;
}

std::size_t length(std::span<const std::uint8_t> s, std::size_t at)
{
    return static_cast<std::size_t>(s[at + 4] << 8 | s[at + 5]);
}

// Finds the PCI data behind the pack header and the optional system header.
std::optional<std::span<const std::uint8_t>> pciData(std::span<const std::uint8_t> sector)
{
    if (sector.size() < 14 || !startCode(sector, 0, 0xBA)) return std::nullopt;
    std::size_t at = 14 + (sector[13] & 0x07);
    if (startCode(sector, at, 0xBB) && at + 6 <= sector.size()) at += 6 + length(sector, at);
    if (!startCode(sector, at, 0xBF) || at + 7 > sector.size()) return std::nullopt;
    std::size_t size = length(sector, at);
    if (sector[at + 6] != 0x00 || size < PciSize + 1 || at + 6 + size > sector.size())
        return std::nullopt;
    return sector.subspan(at + 7, PciSize);
}

std::uint32_t u32(std::span<const std::uint8_t> p, std::size_t at)
{
    return std::uint32_t{p[at]} << 24 | std::uint32_t{p[at + 1]} << 16 |
        std::uint32_t{p[at + 2]} << 8 | p[at + 3];
}

// The DSI packet follows the PCI at a fixed place; packs without one search nothing.
VobuSearch readSearch(std::span<const std::uint8_t> sector)
{
    VobuSearch s;
    if (sector.size() < DsiSector + 7 + DsiSize || !startCode(sector, DsiSector, 0xBF) ||
        sector[DsiSector + 6] != 0x01)
        return s;
    std::span<const std::uint8_t> dsi = sector.subspan(DsiSector + 7, DsiSize);
    s.lastSector = u32(dsi, 0x08);
    std::uint16_t unit = static_cast<std::uint16_t>(dsi[0x20] << 8 | dsi[0x21]);
    s.interleaved = (unit & 0x4000) != 0;
    s.unitEnd = (unit & 0x1000) != 0;
    s.nextUnit = u32(dsi, 0x26);
    for (std::size_t i = 0; i < s.forward.size(); ++i) {
        std::uint32_t to = u32(dsi, 0xEE + 4 * i) & 0x3FFFFFFF;
        s.forward[i] = to == 0x3FFFFFFF ? 0 : to;
    }
    return s;
}

MenuButton readButton(std::span<const std::uint8_t> entry, int number)
{
    std::uint64_t area = 0;
    for (int i = 0; i < 6; ++i) area = area << 8 | entry[i];
    auto field = [&](int shift) { return static_cast<int>(area >> shift & 0x3FF); };
    MenuButton b;
    b.number = number;
    b.colours = static_cast<int>(area >> 46 & 3);
    // The disc gives inclusive pixel ranges.
    b.rect = {field(36), field(12), field(24) + 1, field(0) + 1};
    b.autoAction = (area >> 22 & 3) == 1;
    b.up = entry[6] & 0x3F;
    b.down = entry[7] & 0x3F;
    b.left = entry[8] & 0x3F;
    b.right = entry[9] & 0x3F;
    std::copy_n(entry.begin() + 10, 8, b.command.begin());
    return b;
}

}  // namespace

std::optional<NavPack> parseNavPack(std::span<const std::uint8_t> sector, bool wide)
{
    auto found = pciData(sector);
    if (!found) return std::nullopt;
    std::span<const std::uint8_t> pci = *found;

    NavPack pack;
    pack.prohibitedUops = u32(pci, 0x08);
    pack.startPtm = u32(pci, 0x0C);
    pack.endPtm = u32(pci, 0x10);
    pack.cellTime = decodeDvdTime(pci.subspan(0x18).first<4>());
    pack.search = readSearch(sector);
    pack.highlight = static_cast<Highlight>(pci[0x61] & 3);
    if (pack.highlight == Highlight::None) return pack;
    pack.highlightStart = u32(pci, 0x62);
    pack.highlightEnd = u32(pci, 0x66);
    pack.selectionEnd = u32(pci, 0x6A);

    for (std::size_t i = 0; i < pack.buttonColours.size(); ++i)
        pack.buttonColours[i] = {u32(pci, ButtonColourTable + 8 * i), u32(pci, ButtonColourTable + 8 * i + 4)};

    // The groups share the slots evenly; each has three bits of display type, the lowest
    // marking the wide picture's group, none at all the normal picture's.
    const unsigned mode = unsigned{pci[0x6E]} << 8 | pci[0x6F];
    const int groups = std::max(1u, mode >> 12 & 3);
    int group = 0;
    for (int g = groups - 1; g >= 0; --g) {
        const unsigned type = mode >> (8 - 4 * g) & 7;
        if (wide ? (type & 1) != 0 : type == 0) group = g;
    }
    const int slots = ButtonSlots / groups;
    int count = std::min<int>(pci[0x71], slots);
    auto adjacent = [count](int n) { return n <= count ? n : 0; };
    for (int i = 0; i < count; ++i) {
        const std::size_t slot = static_cast<std::size_t>(group * slots + i);
        MenuButton b =
            readButton(pci.subspan(ButtonTable + ButtonEntrySize * slot, ButtonEntrySize), i + 1);
        b.up = adjacent(b.up);
        b.down = adjacent(b.down);
        b.left = adjacent(b.left);
        b.right = adjacent(b.right);
        pack.buttons.push_back(b);
    }
    pack.forcedSelect = adjacent(pci[0x74]);
    pack.forcedActivate = adjacent(pci[0x75]);
    return pack;
}

}  // namespace nav
