// Turns a run of cells of a title set's program chain, authored one after another with the same
// VOBU structure, into a seamless multi-angle block: interleaved units of two VOBUs, the angles'
// units side by side in time order. Rewrites what such a block needs in the VOBs (NAV packs'
// sector numbers, interleave and angle information, search pointers), in the title set's IFO
// (cell playback entries and addresses, VOBU address map, time map, the chain's playing time)
// and in the title table's angle count. The block must lie in the first VOB file.
//
//   interleave VIDEO_TS TITLESET PGC FIRST_CELL ANGLES
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

constexpr uint32_t Sector = 2048;
constexpr uint32_t Pci = 0x2D, Dsi = 0x407;  // where each packet's data starts in a NAV pack
constexpr uint32_t NoVobu = 0x3FFFFFFF;
constexpr size_t VobusPerUnit = 2;

[[noreturn]] void fail(const std::string& why) { throw std::runtime_error(why); }

Bytes load(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) fail("cannot read " + path.string());
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

void save(const fs::path& path, const Bytes& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) fail("cannot write " + path.string());
}

uint32_t get(const Bytes& b, size_t at, int size)
{
    if (at + size > b.size()) fail("read past the end of a file");
    uint32_t v = 0;
    for (int i = 0; i < size; ++i) v = v << 8 | b[at + i];
    return v;
}

void put(Bytes& b, size_t at, int size, uint32_t v)
{
    if (at + size > b.size()) fail("write past the end of a file");
    for (int i = size - 1; i >= 0; --i, v >>= 8) b[at + i] = static_cast<uint8_t>(v);
}

bool isNavPack(const Bytes& vob, uint32_t sector)
{
    const size_t at = size_t{sector} * Sector;
    return at + Sector <= vob.size() && get(vob, at, 4) == 0x1BA && get(vob, at + 0x26, 4) == 0x1BF &&
           vob[at + 0x2C] == 0 && get(vob, at + 0x400, 4) == 0x1BF && vob[at + 0x406] == 1;
}

uint32_t dsi(const Bytes& vob, uint32_t sector, uint32_t field, int size = 4)
{
    return get(vob, size_t{sector} * Sector + Dsi + field, size);
}

// A playing time (BCD hours, minutes, seconds, then the rate in bits 7-6 and BCD frames) in
// frames, and back.
int fps(uint8_t frameByte) { return (frameByte >> 6) == 1 ? 25 : 30; }
int bcd(uint8_t v) { return (v >> 4) * 10 + (v & 15); }
uint8_t toBcd(int v) { return static_cast<uint8_t>(v / 10 << 4 | v % 10); }
int frames(const Bytes& b, size_t at)
{
    const int r = fps(b[at + 3]);
    return ((bcd(b[at]) * 60 + bcd(b[at + 1])) * 60 + bcd(b[at + 2])) * r + bcd(b[at + 3] & 0x3F);
}
void putFrames(Bytes& b, size_t at, int n)
{
    const int r = fps(b[at + 3]);
    const uint8_t rate = b[at + 3] & 0xC0;
    b[at] = toBcd(n / r / 3600);
    b[at + 1] = toBcd(n / r / 60 % 60);
    b[at + 2] = toBcd(n / r % 60);
    b[at + 3] = rate | toBcd(n % r);
}

struct Cell {
    size_t entry;                  // of its playback entry in the IFO
    uint32_t first, last;          // sectors
    std::vector<uint32_t> vobus;   // start sectors, in order
};

std::vector<uint32_t> vobusOf(const Bytes& vob, uint32_t first, uint32_t last)
{
    std::vector<uint32_t> starts;
    for (uint32_t s = first; s <= last; s += dsi(vob, s, 8) + 1) {
        if (!isNavPack(vob, s)) fail("no NAV pack at sector " + std::to_string(s));
        starts.push_back(s);
    }
    return starts;
}

void run(const fs::path& folder, int titleSet, int pgcNumber, int firstCell, int angles)
{
    char name[16];
    std::snprintf(name, sizeof name, "VTS_%02d_", titleSet);
    const fs::path ifoPath = folder / (std::string(name) + "0.IFO");
    const fs::path vobPath = folder / (std::string(name) + "1.VOB");
    Bytes ifo = load(ifoPath), vob = load(vobPath);

    const size_t pgcit = size_t{get(ifo, 0xCC, 4)} * Sector;
    const size_t pgc = pgcit + get(ifo, pgcit + 8 * pgcNumber + 4, 4);
    if (firstCell < 1 || angles < 2 || angles > 9 || firstCell + angles - 1 > ifo[pgc + 3])
        fail("no such cells");
    const size_t playback = pgc + get(ifo, pgc + 0xE8, 2);

    std::vector<Cell> cells;
    for (int a = 0; a < angles; ++a) {
        const size_t e = playback + 24 * size_t(firstCell - 1 + a);
        Cell c{e, get(ifo, e + 8, 4), get(ifo, e + 20, 4), {}};
        c.vobus = vobusOf(vob, c.first, c.last);
        if (!cells.empty() && (c.first != cells.back().last + 1 || c.vobus.size() != cells[0].vobus.size()))
            fail("the angles' cells must follow each other with as many VOBUs each");
        if (get(ifo, e + 4, 4) != get(ifo, playback + 24 * size_t(firstCell - 1) + 4, 4))
            fail("the angles' cells must play as long as each other");
        cells.push_back(std::move(c));
    }
    const size_t count = cells[0].vobus.size(), units = (count + VobusPerUnit - 1) / VobusPerUnit;
    std::vector<std::vector<uint32_t>> sizes(angles);
    for (int a = 0; a < angles; ++a)
        for (uint32_t s : cells[a].vobus) sizes[a].push_back(dsi(vob, s, 8) + 1);

    // New places: unit j of every angle before unit j + 1 of any.
    std::vector<std::vector<uint32_t>> at(angles, std::vector<uint32_t>(count));
    std::vector<std::vector<uint32_t>> unitAt(angles), unitSize(angles);
    std::map<uint32_t, std::pair<int, size_t>> old;  // old start -> angle, VOBU
    Bytes moved;
    uint32_t next = cells[0].first;
    for (size_t j = 0; j < units; ++j)
        for (int a = 0; a < angles; ++a) {
            unitAt[a].push_back(next);
            for (size_t i = j * VobusPerUnit; i < std::min(count, (j + 1) * VobusPerUnit); ++i) {
                const uint32_t from = cells[a].vobus[i];
                at[a][i] = next;
                old[from] = {a, i};
                next += sizes[a][i];
                moved.insert(moved.end(), vob.begin() + from * size_t{Sector},
                             vob.begin() + (from + sizes[a][i]) * size_t{Sector});
            }
            unitSize[a].push_back(next - unitAt[a].back());
        }
    std::copy(moved.begin(), moved.end(), vob.begin() + cells[0].first * size_t{Sector});

    for (int a = 0; a < angles; ++a)
        for (size_t i = 0; i < count; ++i) {
            const uint32_t s = at[a][i];
            const size_t nav = size_t{s} * Sector, j = i / VobusPerUnit;
            const bool lastUnit = j + 1 == units;
            put(vob, nav + Pci, 4, s);
            put(vob, nav + Dsi + 4, 4, s);
            const bool first = i % VobusPerUnit == 0, last = i + 1 == count || (i + 1) % VobusPerUnit == 0;
            put(vob, nav + Dsi + 0x20, 2, 0x4000 | (first ? 0x2000 : 0) | (last ? 0x1000 : 0));
            put(vob, nav + Dsi + 0x22, 4, unitAt[a][j] + unitSize[a][j] - 1 - s);
            put(vob, nav + Dsi + 0x26, 4, lastUnit ? 0xFFFFFFFF : unitAt[a][j + 1] - s);
            put(vob, nav + Dsi + 0x2A, 2, lastUnit ? 0 : unitSize[a][j + 1]);
            for (int k = 0; k < 9; ++k) {
                const size_t agl = nav + Dsi + 0xB4 + 6 * k;
                put(vob, agl, 4, k >= angles ? 0 : lastUnit ? 0x7FFFFFFF : unitAt[k][j + 1] - s);
                put(vob, agl + 4, 2, k >= angles || lastUnit ? 0 : unitSize[k][j + 1]);
            }
            // Search pointers: to the same VOBU of this angle at its new place.
            const uint32_t was = cells[a].vobus[i];
            auto remap = [&](size_t field, bool back) {
                const uint32_t v = get(vob, nav + Dsi + field, 4), off = v & NoVobu;
                if (off == NoVobu || off == 0) return;
                const auto to = old.find(back ? was - off : was + off);
                if (to == old.end() || to->second.first != a) return put(vob, nav + Dsi + field, 4, NoVobu);
                const uint32_t there = at[a][to->second.second];
                put(vob, nav + Dsi + field, 4, (v & ~NoVobu) | (back ? s - there : there - s));
            };
            remap(0xEA, false);
            for (int k = 0; k < 19; ++k) remap(0xEE + 4 * k, false);
            remap(0x13A, false);
            remap(0x13E, true);
            for (int k = 0; k < 19; ++k) remap(0x142 + 4 * k, true);
            remap(0x18E, true);
        }

    // Cell playback entries: an angle block, interleaved, with seamless angle changes.
    for (int a = 0; a < angles; ++a) {
        const size_t e = cells[a].entry;
        const uint8_t mode = a == 0 ? 1 : a + 1 == angles ? 3 : 2;
        ifo[e] = static_cast<uint8_t>(mode << 6 | 1 << 4 | (ifo[e] & 0x0A) | 0x04 | 0x01);
        put(ifo, e + 8, 4, at[a][0]);
        put(ifo, e + 12, 4, unitAt[a][0] + unitSize[a][0] - 1);
        put(ifo, e + 16, 4, at[a][count - 1]);
        put(ifo, e + 20, 4, at[a][count - 1] + sizes[a][count - 1] - 1);
    }
    // The chain plays one angle.
    const int cellFrames = frames(ifo, cells[0].entry + 4);
    putFrames(ifo, pgc + 4, frames(ifo, pgc + 4) - (angles - 1) * cellFrames);

    // Cell addresses: each angle's cell spans its units.
    const size_t cadt = size_t{get(ifo, 0xE0, 4)} * Sector;
    const size_t cadtEnd = cadt + get(ifo, cadt + 4, 4);
    for (size_t e = cadt + 8; e + 12 <= cadtEnd + 1; e += 12)
        for (int a = 0; a < angles; ++a)
            if (get(ifo, e + 4, 4) == cells[a].first) {
                put(ifo, e + 4, 4, at[a][0]);
                put(ifo, e + 8, 4, get(ifo, cells[a].entry + 20, 4));
            }

    // VOBU address map: the same starts, in their new order.
    const size_t admap = size_t{get(ifo, 0xE4, 4)} * Sector;
    std::vector<uint32_t> starts((get(ifo, admap, 4) - 3) / 4);
    for (size_t i = 0; i < starts.size(); ++i) {
        const uint32_t s = get(ifo, admap + 4 + 4 * i, 4);
        const auto moved = old.find(s);
        starts[i] = moved == old.end() ? s : at[moved->second.first][moved->second.second];
    }
    std::sort(starts.begin(), starts.end());
    for (size_t i = 0; i < starts.size(); ++i) put(ifo, admap + 4 + 4 * i, 4, starts[i]);

    // Time map of the chain: entries in angle 1 move with it, those in the other angles go
    // (the cells last whole units of the map, so later entries keep their times).
    const size_t tmapti = size_t{get(ifo, 0xD4, 4)} * Sector;
    const size_t map = tmapti + get(ifo, tmapti + 8 + 4 * size_t(pgcNumber - 1), 4);
    const uint32_t entries = get(ifo, map + 2, 2);
    if (ifo[map] == 0 || cellFrames % (ifo[map] * fps(ifo[pgc + 7])) != 0)
        fail("the angles' cells must last whole units of the time map");
    std::vector<uint32_t> kept;
    for (uint32_t k = 0; k < entries; ++k) {
        const uint32_t v = get(ifo, map + 4 + 4 * k, 4), s = v & 0x7FFFFFFF;
        const auto moved = old.find(s);
        if (moved != old.end() && moved->second.first != 0) continue;
        kept.push_back(moved == old.end() ? v : (v & 0x80000000) | at[0][moved->second.second]);
    }
    put(ifo, map + 2, 2, static_cast<uint32_t>(kept.size()));
    for (size_t k = 0; k < kept.size(); ++k) put(ifo, map + 4 + 4 * k, 4, kept[k]);

    save(vobPath, vob);
    save(ifoPath, ifo);
    save(folder / (std::string(name) + "0.BUP"), ifo);

    // The title table: every title of this chain offers the angles.
    Bytes vmg = load(folder / "VIDEO_TS.IFO");
    const size_t tt = size_t{get(vmg, 0xC4, 4)} * Sector;
    const size_t ptt = size_t{get(ifo, 0xC8, 4)} * Sector;
    for (uint32_t t = 0; t < get(vmg, tt, 2); ++t) {
        const size_t e = tt + 8 + 12 * t;
        if (vmg[e + 6] != titleSet) continue;
        const size_t first = ptt + get(ifo, ptt + 8 + 4 * size_t(vmg[e + 7] - 1), 4);
        if (get(ifo, first, 2) == static_cast<uint32_t>(pgcNumber)) vmg[e + 1] = static_cast<uint8_t>(angles);
    }
    save(folder / "VIDEO_TS.IFO", vmg);
    save(folder / "VIDEO_TS.BUP", vmg);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 6) {
        std::fprintf(stderr, "usage: %s VIDEO_TS TITLESET PGC FIRST_CELL ANGLES\n", argv[0]);
        return 2;
    }
    try {
        run(argv[1], std::atoi(argv[2]), std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "interleave: %s\n", e.what());
        return 1;
    }
    return 0;
}
