#include "support/NavPackWriter.h"

#include <algorithm>

namespace navtest {
namespace {

constexpr size_t Pci = 0x2D;

void put16(std::vector<uint8_t>& s, size_t at, unsigned v)
{
    s[at] = static_cast<uint8_t>(v >> 8);
    s[at + 1] = static_cast<uint8_t>(v);
}

void put32(std::vector<uint8_t>& s, size_t at, uint32_t v)
{
    put16(s, at, v >> 16);
    put16(s, at + 2, v & 0xFFFF);
}

void startCode(std::vector<uint8_t>& s, size_t at, uint8_t id, unsigned length)
{
    s[at + 2] = 1;
    s[at + 3] = id;
    put16(s, at + 4, length);
}

}  // namespace

std::vector<uint8_t> navPackSector(const std::vector<ButtonLayout>& buttons,
    uint32_t prohibitedUops, int forcedSelect, int forcedActivate)
{
    std::vector<uint8_t> s(nav::SectorBytes);
    s[3] = 0xBA;
    s[2] = 1;
    s[4] = 0x44;
    s[13] = 0xF8;
    startCode(s, 0x0E, 0xBB, 0x12);
    startCode(s, 0x26, 0xBF, 0x3D4);
    startCode(s, 0x400, 0xBF, 0x3FA);
    s[0x406] = 0x01;

    put32(s, Pci + 0x08, prohibitedUops);
    if (buttons.empty()) return s;
    put16(s, Pci + 0x60, 1);
    put16(s, Pci + 0x6E, 0x1000);  // one button group
    s[Pci + 0x71] = static_cast<uint8_t>(buttons.size());
    s[Pci + 0x72] = static_cast<uint8_t>(buttons.size());
    s[Pci + 0x74] = static_cast<uint8_t>(forcedSelect);
    s[Pci + 0x75] = static_cast<uint8_t>(forcedActivate);
    for (size_t i = 0; i < buttons.size(); ++i) {
        const ButtonLayout& b = buttons[i];
        const size_t at = Pci + 0x8E + 18 * i;
        uint64_t area = uint64_t{1} << 46 | uint64_t(b.rect.left) << 36 |
            uint64_t(b.rect.right - 1) << 24 | uint64_t(b.autoAction ? 1 : 0) << 22 |
            uint64_t(b.rect.top) << 12 | uint64_t(b.rect.bottom - 1);
        for (int k = 0; k < 6; ++k) s[at + k] = static_cast<uint8_t>(area >> (40 - 8 * k));
        s[at + 6] = static_cast<uint8_t>(b.up);
        s[at + 7] = static_cast<uint8_t>(b.down);
        s[at + 8] = static_cast<uint8_t>(b.left);
        s[at + 9] = static_cast<uint8_t>(b.right);
        std::copy(b.command.begin(), b.command.end(), s.begin() + static_cast<long>(at + 10));
    }
    return s;
}

std::vector<uint8_t> vobuSectors(uint32_t sectors, double seconds, std::optional<uint32_t> nextUnit)
{
    std::vector<uint8_t> s = navPackSector({});
    const int frames = static_cast<int>(seconds * 25 + 0.5);
    const int fields[] = {frames / 90000, frames / 1500 % 60, frames / 25 % 60, frames % 25};
    for (int i = 0; i < 4; ++i) s[Pci + 0x18 + i] = static_cast<uint8_t>(fields[i] / 10 << 4 | fields[i] % 10);
    s[Pci + 0x1B] |= 0x40;  // 25 fps
    constexpr size_t Dsi = 0x407;
    put32(s, Dsi + 0x08, sectors - 1);
    if (nextUnit) {
        put16(s, Dsi + 0x20, 0x4000 | 0x1000);
        put32(s, Dsi + 0x26, *nextUnit);
    }
    s.resize(nav::SectorBytes * sectors);
    return s;
}

void SectorStore::put(
    unsigned titleSet, nav::VobSet set, uint32_t sector, std::vector<uint8_t> bytes)
{
    (*sectors_)[{titleSet, set, sector}] = std::move(bytes);
}

nav::SectorReader SectorStore::reader() const
{
    return [sectors = sectors_](
               unsigned titleSet, nav::VobSet set, uint32_t sector, std::span<uint8_t> out) {
        auto found = sectors->find({titleSet, set, sector});
        if (found == sectors->end() || found->second.size() < out.size()) return false;
        std::copy_n(found->second.begin(), out.size(), out.begin());
        return true;
    };
}

}  // namespace navtest
