#include "support/DiscWriter.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <stdexcept>
#include <string>

namespace navtest {

namespace {

using namespace nav;

constexpr size_t Sector = 2048;

class Bytes {
public:
    explicit Bytes(size_t size = 0) : b_(size) {}
    size_t size() const { return b_.size(); }
    void u8(size_t at, uint8_t v) { grow(at + 1)[at] = v; }
    void u16(size_t at, uint16_t v) { u8(at, static_cast<uint8_t>(v >> 8)), u8(at + 1, static_cast<uint8_t>(v)); }
    void u32(size_t at, uint32_t v) { u16(at, static_cast<uint16_t>(v >> 16)), u16(at + 2, static_cast<uint16_t>(v)); }
    void text(size_t at, const std::string& s)
    {
        for (size_t i = 0; i < s.size(); ++i) u8(at + i, static_cast<uint8_t>(s[i]));
    }
    // Appends a table on the next sector boundary; returns its sector.
    uint32_t appendSector(const Bytes& table)
    {
        const size_t at = (b_.size() + Sector - 1) / Sector * Sector;
        place(at, table);
        return static_cast<uint32_t>(at / Sector);
    }
    size_t append(const Bytes& part)
    {
        const size_t at = b_.size();
        place(at, part);
        return at;
    }
    void place(size_t at, const Bytes& part)
    {
        grow(at + part.size());
        std::copy(part.b_.begin(), part.b_.end(), b_.begin() + static_cast<std::ptrdiff_t>(at));
    }
    std::vector<uint8_t> sectors() const
    {
        auto out = b_;
        out.resize((out.size() + Sector - 1) / Sector * Sector);
        return out;
    }

private:
    std::vector<uint8_t>& grow(size_t size)
    {
        if (b_.size() < size) b_.resize(size);
        return b_;
    }
    std::vector<uint8_t> b_;
};

uint8_t bcd(unsigned v) { return static_cast<uint8_t>(v / 10 << 4 | v % 10); }

void time(Bytes& b, size_t at, const DvdTime& t)
{
    b.u8(at, bcd(t.hours));
    b.u8(at + 1, bcd(t.minutes));
    b.u8(at + 2, bcd(t.seconds));
    const uint8_t rate = t.frameRate == 25 ? 1 : t.frameRate == 30 ? 3 : 0;
    b.u8(at + 3, static_cast<uint8_t>(rate << 6 | bcd(t.frames)));
}

void language(Bytes& b, size_t at, const std::string& code)
{
    if (code.size() == 2) b.text(at, code);
}

void video(Bytes& b, size_t at, const VideoAttributes& v)
{
    b.u8(at, static_cast<uint8_t>((v.mpegVersion == 1 ? 0 : 1) << 6 | (v.pal ? 1 : 0) << 4 | v.aspectCode << 2 |
                                  v.panScanDisallowed << 1 | v.letterboxDisallowed));
    b.u8(at + 1, static_cast<uint8_t>(v.line21Field1 << 7 | v.line21Field2 << 6 | v.resolutionCode << 3 |
                                      v.letterboxed << 2 | v.film));
}

void audio(Bytes& b, size_t at, const AudioAttributes& a)
{
    b.u8(at, static_cast<uint8_t>(a.codingMode << 5 | a.multichannelExtension << 4 | a.languageType << 2 |
                                  a.applicationMode));
    const uint8_t rate = a.sampleRate == 96000 ? 1 : 0;
    b.u8(at + 1, static_cast<uint8_t>(a.quantization << 6 | rate << 4 | (a.channels - 1)));
    language(b, at + 2, a.language);
    b.u8(at + 5, a.codeExtension);
    b.u8(at + 7, a.applicationInfo);
}

void subpicture(Bytes& b, size_t at, const SubpictureAttributes& s)
{
    b.u8(at, static_cast<uint8_t>(s.codingMode << 5 | s.languageType));
    language(b, at + 2, s.language);
    b.u8(at + 5, s.codeExtension);
}

void attributes(Bytes& b, size_t at, const VideoAttributes& v, const std::vector<AudioAttributes>& a,
                const std::vector<SubpictureAttributes>& s, size_t subpictureAt)
{
    video(b, at, v);
    b.u16(at + 2, static_cast<uint16_t>(a.size()));
    for (size_t i = 0; i < a.size(); ++i) audio(b, at + 4 + 8 * i, a[i]);
    b.u16(subpictureAt, static_cast<uint16_t>(s.size()));
    for (size_t i = 0; i < s.size(); ++i) subpicture(b, subpictureAt + 2 + 6 * i, s[i]);
}

Bytes pgcBytes(const Pgc& p)
{
    Bytes b(0xEC);
    b.u8(2, static_cast<uint8_t>(p.programs.size()));
    b.u8(3, static_cast<uint8_t>(p.cells.size()));
    time(b, 4, p.playbackTime);
    b.u32(8, p.prohibitedUops);
    for (size_t i = 0; i < 8; ++i) {
        const auto& c = p.audioControl[i];
        b.u16(0x0C + 2 * i, static_cast<uint16_t>(c.available << 15 | c.physicalStream << 8));
    }
    for (size_t i = 0; i < 32; ++i) {
        const auto& c = p.subpictureControl[i];
        b.u8(0x1C + 4 * i, static_cast<uint8_t>(c.available << 7 | c.stream4x3));
        b.u8(0x1D + 4 * i, c.streamWide);
        b.u8(0x1E + 4 * i, c.streamLetterbox);
        b.u8(0x1F + 4 * i, c.streamPanScan);
    }
    b.u16(0x9C, p.nextPgc);
    b.u16(0x9E, p.prevPgc);
    b.u16(0xA0, p.goUpPgc);
    b.u8(0xA2, p.playbackMode);
    b.u8(0xA3, p.stillTime);
    for (size_t i = 0; i < 16; ++i) b.u32(0xA4 + 4 * i, p.palette[i]);

    const size_t commands = p.preCommands.size() + p.postCommands.size() + p.cellCommands.size();
    if (commands) {
        const size_t at = b.size();
        b.u16(0xE4, static_cast<uint16_t>(at));
        b.u16(at, static_cast<uint16_t>(p.preCommands.size()));
        b.u16(at + 2, static_cast<uint16_t>(p.postCommands.size()));
        b.u16(at + 4, static_cast<uint16_t>(p.cellCommands.size()));
        b.u16(at + 6, static_cast<uint16_t>(8 + 8 * commands - 1));
        size_t c = at + 8;
        for (const auto* list : {&p.preCommands, &p.postCommands, &p.cellCommands})
            for (const Command& cmd : *list)
                for (uint8_t byte : cmd) b.u8(c++, byte);
    }
    if (!p.programs.empty()) {
        const size_t at = b.size();
        b.u16(0xE6, static_cast<uint16_t>(at));
        for (size_t i = 0; i < p.programs.size(); ++i) b.u8(at + i, p.programs[i]);
        if (b.size() % 2) b.u8(b.size(), 0);
    }
    if (!p.cells.empty()) {
        size_t at = b.size();
        b.u16(0xE8, static_cast<uint16_t>(at));
        for (const CellPlayback& c : p.cells) {
            b.u8(at, static_cast<uint8_t>(static_cast<uint8_t>(c.blockMode) << 6 |
                                          static_cast<uint8_t>(c.blockType) << 4 | c.seamless << 3 |
                                          c.interleaved << 2 | c.stcDiscontinuity << 1 | c.seamlessAngle));
            b.u8(at + 1, static_cast<uint8_t>(c.vobuStill << 6 | c.restricted << 5 | c.karaokeCellType));
            b.u8(at + 2, c.stillTime);
            b.u8(at + 3, c.commandNumber);
            time(b, at + 4, c.playbackTime);
            b.u32(at + 8, c.firstSector);
            b.u32(at + 12, c.firstIlvuEndSector);
            b.u32(at + 16, c.lastVobuStartSector);
            b.u32(at + 20, c.lastSector);
            at += 24;
        }
        b.u16(0xEA, static_cast<uint16_t>(at));
        for (size_t i = 0; i < p.cells.size(); ++i) {
            const CellPosition pos = i < p.cellPositions.size() ? p.cellPositions[i] : CellPosition{1, uint8_t(i + 1)};
            b.u16(at, pos.vobId);
            b.u8(at + 3, pos.cellId);
            at += 4;
        }
    }
    return b;
}

// A PGC table: search pointers, then each distinct PGC once.
Bytes pgcTableBytes(const PgcTable& table, bool menu)
{
    Bytes b(8 + 8 * table.pgcs.size());
    b.u16(0, static_cast<uint16_t>(table.pgcs.size()));
    std::map<const Pgc*, size_t> placed;
    for (size_t i = 0; i < table.pgcs.size(); ++i) {
        const PgcEntry& e = table.pgcs[i];
        const size_t srp = 8 + 8 * i;
        b.u8(srp, static_cast<uint8_t>(e.entryPgc << 7 | (menu ? e.menuType : e.titleNumber)));
        b.u16(srp + 2, e.parentalMask);
        auto [it, fresh] = placed.try_emplace(e.pgc.get(), 0);
        if (fresh) it->second = b.append(pgcBytes(*e.pgc));
        b.u32(srp + 4, static_cast<uint32_t>(it->second));
    }
    b.u32(4, static_cast<uint32_t>(b.size() - 1));
    return b;
}

Bytes menuBytes(const std::vector<MenuLanguageUnit>& units)
{
    Bytes b(8 + 8 * units.size());
    b.u16(0, static_cast<uint16_t>(units.size()));
    for (size_t i = 0; i < units.size(); ++i) {
        const size_t srp = 8 + 8 * i;
        language(b, srp, units[i].language);
        b.u8(srp + 2, units[i].languageExtension);
        b.u8(srp + 3, units[i].menuExistence);
        b.u32(srp + 4, static_cast<uint32_t>(b.append(pgcTableBytes(units[i].pgcs, true))));
    }
    b.u32(4, static_cast<uint32_t>(b.size() - 1));
    return b;
}

Bytes cellAddressBytes(const std::vector<CellAddress>& cells)
{
    Bytes b(8 + 12 * cells.size());
    uint16_t vobs = 0;
    for (size_t i = 0; i < cells.size(); ++i) {
        const size_t e = 8 + 12 * i;
        b.u16(e, cells[i].vobId);
        b.u8(e + 2, cells[i].cellId);
        b.u32(e + 4, cells[i].firstSector);
        b.u32(e + 8, cells[i].lastSector);
        vobs = std::max(vobs, cells[i].vobId);
    }
    b.u16(0, vobs);
    b.u32(4, static_cast<uint32_t>(b.size() - 1));
    return b;
}

// One VOBU per cell: enough for readers that insist on the map.
Bytes vobuMapBytes(const std::vector<CellAddress>& cells)
{
    Bytes b(4 + 4 * cells.size());
    for (size_t i = 0; i < cells.size(); ++i) b.u32(4 + 4 * i, cells[i].firstSector);
    b.u32(0, static_cast<uint32_t>(b.size() - 1));
    return b;
}

void header(Bytes& f, const char* id, uint8_t versionMajor, uint8_t versionMinor)
{
    f.text(0, id);
    f.u8(0x21, static_cast<uint8_t>(versionMajor << 4 | versionMinor));
    f.u32(0x80, 0x7FF);
}

// Pads to whole sectors and records the IFO's last sector, and the set's as if its backup
// followed it directly.
std::vector<uint8_t> finish(Bytes& f)
{
    f.u32(0x1C, static_cast<uint32_t>((f.size() + Sector - 1) / Sector - 1));
    f.u32(0x0C, static_cast<uint32_t>(2 * ((f.size() + Sector - 1) / Sector) - 1));
    return f.sectors();
}

void putU32(std::vector<uint8_t>& out, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(v >> (24 - 8 * i));
}

}  // namespace

// Each title set's category and attribute block, as players read them without the VTS files.
Bytes titleSetAttributes(const std::vector<TitleSet>& sets)
{
    constexpr size_t Entry = 8 + 0x300;
    Bytes b(8 + 4 * sets.size());
    b.u16(0, static_cast<uint16_t>(sets.size()));
    for (size_t i = 0; i < sets.size(); ++i) {
        const auto ifo = encodeTitleSet(sets[i]);
        Bytes e(Entry);
        e.u32(0, Entry - 1);
        e.u32(4, sets[i].category);
        for (size_t k = 0; k < 0x300; ++k) e.u8(8 + k, ifo[0x100 + k]);
        b.u32(8 + 4 * i, static_cast<uint32_t>(b.append(e)));
    }
    b.u32(4, static_cast<uint32_t>(b.size() - 1));
    return b;
}

std::vector<uint8_t> encodeVideoManager(const Disc& disc)
{
    const VideoManager& vmg = disc.videoManager;
    Bytes f(Sector);
    header(f, "DVDVIDEO-VMG", vmg.versionMajor, vmg.versionMinor);
    f.u8(0x23, vmg.regionProhibitionMask);
    f.u16(0x26, vmg.volumeCount);
    f.u16(0x28, vmg.volumeNumber);
    f.u8(0x2A, vmg.discSide);
    f.u16(0x3E, vmg.titleSetCount);
    f.text(0x40, vmg.providerId.substr(0, 32));
    attributes(f, 0x100, vmg.menuVideo, vmg.menuAudio, vmg.menuSubpicture, 0x154);
    if (vmg.firstPlay) {
        f.u32(0x84, 0x400);
        f.place(0x400, pgcBytes(*vmg.firstPlay));
    }

    Bytes titles(8 + 12 * vmg.titles.size());
    titles.u16(0, static_cast<uint16_t>(vmg.titles.size()));
    titles.u32(4, static_cast<uint32_t>(titles.size() - 1));
    for (size_t i = 0; i < vmg.titles.size(); ++i) {
        const TitleInfo& t = vmg.titles[i];
        const size_t e = 8 + 12 * i;
        titles.u8(e, t.playbackType);
        titles.u8(e + 1, t.angleCount);
        titles.u16(e + 2, t.chapterCount);
        titles.u16(e + 4, t.parentalMask);
        titles.u8(e + 6, t.titleSet);
        titles.u8(e + 7, t.titleSetTitle);
        titles.u32(e + 8, t.titleSetStartSector);
    }
    f.u32(0xC4, f.appendSector(titles));
    if (!vmg.menus.empty()) f.u32(0xC8, f.appendSector(menuBytes(vmg.menus)));
    f.u32(0xD0, f.appendSector(titleSetAttributes(disc.titleSets)));
    if (!vmg.menuCells.empty()) {
        f.u32(0xD8, f.appendSector(cellAddressBytes(vmg.menuCells)));
        f.u32(0xDC, f.appendSector(vobuMapBytes(vmg.menuCells)));
    }
    std::vector<uint8_t> out = finish(f);
    if (vmg.hasMenuVobs) putU32(out, 0xC0, static_cast<uint32_t>(out.size() / Sector));
    return out;
}

std::vector<uint8_t> encodeTitleSet(const TitleSet& vts)
{
    Bytes f(Sector);
    header(f, "DVDVIDEO-VTS", 1, 1);
    f.u32(0x22, vts.category);
    attributes(f, 0x100, vts.menuVideo, vts.menuAudio, vts.menuSubpicture, 0x154);
    attributes(f, 0x200, vts.video, vts.audio, vts.subpicture, 0x254);

    size_t lists = 8 + 4 * vts.titles.size();
    Bytes ptt(lists);
    ptt.u16(0, static_cast<uint16_t>(vts.titles.size()));
    for (size_t t = 0; t < vts.titles.size(); ++t) {
        ptt.u32(8 + 4 * t, static_cast<uint32_t>(lists));
        for (const PartOfTitle& p : vts.titles[t]) {
            ptt.u16(lists, p.pgcNumber);
            ptt.u16(lists + 2, p.programNumber);
            lists += 4;
        }
    }
    ptt.u32(4, static_cast<uint32_t>(lists - 1));
    f.u32(0xC8, f.appendSector(ptt));
    f.u32(0xCC, f.appendSector(pgcTableBytes(vts.pgcs, false)));
    if (!vts.menus.empty()) f.u32(0xD0, f.appendSector(menuBytes(vts.menus)));
    if (!vts.menuCells.empty()) {
        f.u32(0xD8, f.appendSector(cellAddressBytes(vts.menuCells)));
        f.u32(0xDC, f.appendSector(vobuMapBytes(vts.menuCells)));
    }
    f.u32(0xE0, f.appendSector(cellAddressBytes(vts.cells)));
    f.u32(0xE4, f.appendSector(vobuMapBytes(vts.cells)));
    std::vector<uint8_t> out = finish(f);
    const uint32_t end = static_cast<uint32_t>(out.size() / Sector);
    if (vts.hasMenuVobs) putU32(out, 0xC0, end);
    putU32(out, 0xC4, end);
    return out;
}

void writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

void writeDisc(const Disc& disc, const std::filesystem::path& root)
{
    const auto folder = root / "VIDEO_TS";
    std::filesystem::create_directories(folder);
    const auto vmg = encodeVideoManager(disc);
    writeFile(folder / "VIDEO_TS.IFO", vmg);
    writeFile(folder / "VIDEO_TS.BUP", vmg);
    for (const TitleSet& vts : disc.titleSets) {
        char name[16];
        std::snprintf(name, sizeof name, "VTS_%02u_0", static_cast<unsigned>(vts.number));
        const auto bytes = encodeTitleSet(vts);
        writeFile(folder / (std::string(name) + ".IFO"), bytes);
        writeFile(folder / (std::string(name) + ".BUP"), bytes);
    }
}

DvdTime seconds(double s, uint8_t frameRate)
{
    return DvdTime::fromFrames(static_cast<uint64_t>(std::llround(s * frameRate)), frameRate);
}

Pgc sequentialPgc(const std::vector<double>& cellSeconds, uint8_t frameRate)
{
    Pgc p;
    uint32_t sector = 0;
    uint64_t frames = 0;
    for (size_t i = 0; i < cellSeconds.size(); ++i) {
        CellPlayback c;
        c.playbackTime = seconds(cellSeconds[i], frameRate);
        frames += c.playbackTime.totalFrames();
        const uint32_t length = static_cast<uint32_t>(std::max(1.0, cellSeconds[i] * 100));
        c.firstSector = sector;
        c.lastVobuStartSector = sector + length - 1;
        c.lastSector = sector + length - 1;
        sector += length;
        p.cells.push_back(c);
        p.cellPositions.push_back({1, static_cast<uint8_t>(i + 1)});
        p.programs.push_back(static_cast<uint8_t>(i + 1));
    }
    p.playbackTime = DvdTime::fromFrames(frames, frameRate);
    p.audioControl[0] = {true, 0};
    return p;
}

TitleSet titleSetOf(uint8_t number, std::vector<Pgc> titles)
{
    TitleSet vts;
    vts.number = number;
    vts.video.pal = true;
    vts.video.height = 576;
    vts.audio.push_back({});
    uint32_t base = 0;
    for (size_t t = 0; t < titles.size(); ++t) {
        Pgc& p = titles[t];
        std::vector<PartOfTitle> chapters;
        for (size_t pg = 0; pg < p.programs.size(); ++pg)
            chapters.push_back({static_cast<uint16_t>(t + 1), static_cast<uint16_t>(pg + 1)});
        vts.titles.push_back(chapters);
        for (size_t c = 0; c < p.cells.size(); ++c) {
            CellPlayback& cell = p.cells[c];
            const uint32_t length = cell.lastSector - cell.firstSector;
            cell.firstSector = base;
            cell.lastVobuStartSector = base + length;
            cell.lastSector = base + length;
            p.cellPositions[c] = {static_cast<uint16_t>(t + 1), static_cast<uint8_t>(c + 1)};
            vts.cells.push_back({static_cast<uint16_t>(t + 1), static_cast<uint8_t>(c + 1), base, base + length});
            base += length + 1;
        }
        vts.pgcs.pgcs.push_back({true, static_cast<uint8_t>(t + 1), 0, 0, std::make_shared<const Pgc>(std::move(p))});
    }
    return vts;
}

Disc discOf(std::vector<TitleSet> titleSets)
{
    Disc disc;
    disc.videoManager.titleSetCount = static_cast<uint16_t>(titleSets.size());
    disc.videoManager.providerId = "LUMADISC TEST";
    disc.videoManager.discSide = 1;
    for (const TitleSet& vts : titleSets) {
        for (size_t t = 0; t < vts.titles.size(); ++t) {
            TitleInfo info;
            info.chapterCount = static_cast<uint16_t>(vts.titles[t].size());
            info.titleSet = vts.number;
            info.titleSetTitle = static_cast<uint8_t>(t + 1);
            disc.videoManager.titles.push_back(info);
        }
    }
    disc.titleSets = std::move(titleSets);
    return disc;
}

Disc featureDisc()
{
    // Title 1: a cell, a 3-angle block, a closing cell; two chapters.
    Pgc angles = sequentialPgc({4, 6, 6, 6, 2});
    angles.cells[1].blockMode = BlockMode::First;
    angles.cells[2].blockMode = BlockMode::Inside;
    angles.cells[3].blockMode = BlockMode::Last;
    for (int c = 1; c <= 3; ++c) {
        angles.cells[c].blockType = BlockType::Angle;
        angles.cells[c].interleaved = true;
        angles.cells[c].seamlessAngle = true;
    }
    angles.programs = {1, 5};
    angles.playbackTime = seconds(12);
    angles.audioControl[1] = {true, 1};
    angles.subpictureControl[0] = {true, 0, 1, 2, 3};
    angles.subpictureControl[1] = {true, 4, 4, 4, 4};
    angles.prohibitedUops = uop::AngleChange | uop::ForwardScan;
    for (size_t i = 0; i < angles.palette.size(); ++i) angles.palette[i] = 0x108080 + static_cast<uint32_t>(i) * 0x0A0000;
    angles.postCommands = {{0x30, 0x06, 0, 0, 0, 0x42, 0, 0}};

    // Title 2: shuffle of three programs, stills, cell commands, the same PGC twice in the table.
    Pgc shuffle = sequentialPgc({3, 3, 3}, 30);
    shuffle.playbackMode = 0x82;
    shuffle.stillTime = InfiniteStill;
    shuffle.cells[0].stillTime = 5;
    shuffle.cells[1].vobuStill = true;
    shuffle.cells[2].commandNumber = 2;
    shuffle.preCommands = {{0x71, 0, 0, 0, 0, 5, 0, 0}};
    shuffle.cellCommands = {{0x20, 0x01, 0, 0, 0, 0, 0x04, 0x01}, {0x20, 0x04, 0, 0, 0, 0, 0, 0x01}};
    shuffle.nextPgc = 1;
    shuffle.goUpPgc = 0xFFFF;

    TitleSet vts1 = titleSetOf(1, {angles, shuffle});
    vts1.pgcs.pgcs.push_back({false, 2, 0, 0x00FF, vts1.pgcs.pgcs[1].pgc});
    vts1.audio = {{}, {}};
    vts1.audio[0].languageType = 1;
    vts1.audio[0].language = "en";
    vts1.audio[0].channels = 6;
    vts1.audio[0].quantization = 3;
    vts1.audio[0].applicationMode = 2;
    vts1.audio[0].applicationInfo = 0x08;
    vts1.audio[1].codingMode = static_cast<uint8_t>(AudioFormat::Lpcm);
    vts1.audio[1].languageType = 1;
    vts1.audio[1].language = "fr";
    vts1.audio[1].quantization = 2;
    vts1.audio[1].sampleRate = 96000;
    vts1.audio[1].codeExtension = 3;
    vts1.subpicture = {{0, 1, "en", 1}, {0, 0, "", 0}, {0, 1, "de", 9}};
    vts1.video.wide = true;
    vts1.video.aspectCode = 3;
    vts1.video.letterboxDisallowed = true;

    Pgc root = sequentialPgc({1});
    root.cells[0].stillTime = InfiniteStill;
    Pgc chapterMenu = sequentialPgc({1});
    chapterMenu.preCommands = {{0x56, 0, 0, 0, 0x08, 0, 0, 0}};
    for (const char* language : {"en", "fr"}) {
        MenuLanguageUnit unit{language, 0, menuflag::Root | menuflag::Chapter, {}};
        unit.pgcs.pgcs = {{true, 0, 3, 0, std::make_shared<const Pgc>(root)},
                          {true, 0, 7, 0, std::make_shared<const Pgc>(chapterMenu)}};
        vts1.menus.push_back(unit);
    }
    vts1.hasMenuVobs = true;
    vts1.menuCells = {{1, 1, 0, 99}};
    vts1.menuAudio = {vts1.audio[0]};

    // Title 3 in a second title set: NTSC, 352x240, letterboxed film, DTS.
    TitleSet vts2 = titleSetOf(2, {sequentialPgc({5, 5}, 30)});
    vts2.video.pal = false;
    vts2.video.mpegVersion = 1;
    vts2.video.resolutionCode = 3;
    vts2.video.width = 352;
    vts2.video.height = 240;
    vts2.video.letterboxed = true;
    vts2.video.film = true;
    vts2.video.line21Field1 = true;
    vts2.audio[0].codingMode = static_cast<uint8_t>(AudioFormat::Dts);
    vts2.audio[0].channels = 6;
    vts2.category = 1;

    Disc disc = discOf({vts1, vts2});
    VideoManager& vmg = disc.videoManager;
    vmg.titles[0].angleCount = 3;
    vmg.titles[0].playbackType = titletype::ButtonCommandJumps | titletype::AnyCommandJumps;
    vmg.titles[1].playbackType = titletype::NotOneSequentialPgc | titletype::TimeSearchProhibited;
    vmg.titles[1].parentalMask = 0x0F0F;
    vmg.regionProhibitionMask = 0xFE;
    vmg.volumeCount = 2;
    vmg.discSide = 2;
    Pgc firstPlay;
    firstPlay.preCommands = {{0x30, 0x06, 0, 0x01, 0, 0xC0, 0, 0}};
    vmg.firstPlay = std::make_shared<const Pgc>(firstPlay);
    Pgc titleMenu = sequentialPgc({2});
    titleMenu.cells[0].stillTime = InfiniteStill;
    MenuLanguageUnit unit{"en", 0, menuflag::Title, {}};
    unit.pgcs.pgcs = {{true, 0, 2, 0, std::make_shared<const Pgc>(titleMenu)}};
    vmg.menus = {unit};
    vmg.hasMenuVobs = true;
    vmg.menuCells = {{1, 1, 0, 199}};
    vmg.menuSubpicture = {{0, 1, "en", 0}};
    return disc;
}

Disc largeDisc()
{
    std::vector<TitleSet> sets;
    for (uint8_t n = 1; n <= 9; ++n) {
        std::vector<Pgc> titles(11, sequentialPgc({20, 20, 20}));
        sets.push_back(titleSetOf(n, std::move(titles)));
    }
    // Title 1 becomes ten PGCs of 99 one-second chapters and one of 9, linked in order (a PGC
    // holds at most 99 programs).
    TitleSet& first = sets[0];
    constexpr uint16_t Pgcs = 11;
    std::vector<PartOfTitle> chapters;
    std::vector<PgcEntry> pgcs;
    for (uint16_t k = 1; k <= Pgcs; ++k) {
        Pgc p = sequentialPgc(std::vector<double>(k < Pgcs ? 99 : 9, 1.0));
        p.prevPgc = k > 1 ? k - 1 : 0;
        p.nextPgc = k < Pgcs ? k + 1 : 0;
        for (uint16_t pg = 1; pg <= p.programs.size(); ++pg) chapters.push_back({k, pg});
        pgcs.push_back({k == 1, 1, 0, 0, std::make_shared<const Pgc>(std::move(p))});
    }
    first.titles[0] = chapters;
    // The other titles' PGCs move up behind those.
    for (size_t t = 1; t < first.titles.size(); ++t) {
        for (PartOfTitle& ptt : first.titles[t]) ptt.pgcNumber = static_cast<uint16_t>(ptt.pgcNumber + Pgcs - 1);
        pgcs.push_back(first.pgcs.pgcs[t]);
    }
    first.pgcs.pgcs = std::move(pgcs);
    Disc disc = discOf(std::move(sets));
    disc.videoManager.titles[0].playbackType = titletype::NotOneSequentialPgc;
    return disc;
}

}  // namespace navtest
