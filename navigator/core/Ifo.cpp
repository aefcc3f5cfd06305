#include "core/Ifo.h"

#include <algorithm>
#include <cstdio>
#include <map>

#include "core/ByteReader.h"

namespace nav {

uint64_t DvdTime::totalFrames() const
{
    const uint64_t rate = frameRate ? frameRate : 30;
    return ((uint64_t{hours} * 60 + minutes) * 60 + seconds) * rate + frames;
}

double DvdTime::totalSeconds() const
{
    return static_cast<double>(totalFrames()) / (frameRate ? frameRate : 30);
}

DvdTime DvdTime::fromFrames(uint64_t frames, uint8_t frameRate)
{
    const uint64_t rate = frameRate ? frameRate : 30;
    const uint64_t secs = frames / rate;
    DvdTime t;
    t.frameRate = frameRate;
    t.frames = static_cast<uint8_t>(frames % rate);
    t.seconds = static_cast<uint8_t>(secs % 60);
    t.minutes = static_cast<uint8_t>(secs / 60 % 60);
    t.hours = static_cast<uint8_t>(std::min<uint64_t>(secs / 3600, 255));
    return t;
}

uint8_t AudioAttributes::bitsPerSample() const
{
    if (format() != AudioFormat::Lpcm) return 0;
    return static_cast<uint8_t>(16 + 4 * std::min<uint8_t>(quantization, 2));
}

DvdTime decodeDvdTime(std::span<const uint8_t, 4> b)
{
    auto bcd = [](uint8_t v) { return static_cast<uint8_t>((v >> 4) * 10 + (v & 0x0F)); };
    DvdTime t;
    t.hours = bcd(b[0]);
    t.minutes = bcd(b[1]);
    t.seconds = bcd(b[2]);
    t.frames = bcd(b[3] & 0x3F);
    switch (b[3] >> 6) {
    case 1: t.frameRate = 25; break;
    case 3: t.frameRate = 30; break;
    default: t.frameRate = 0; break;
    }
    return t;
}

namespace {

constexpr size_t SectorSize = 2048;
constexpr size_t MaxTitles = 99;
constexpr size_t MaxChapters = 999;
constexpr size_t MaxCommands = 255;
// Shared or overlapping PGCs let a small hostile file describe far more structure than a real
// disc ever holds; everything decoded from one file is charged against this.
constexpr size_t StructureBudget = size_t{64} << 20;

DvdTime readTime(const ByteReader& r, size_t offset)
{
    return decodeDvdTime(r.bytes(offset, 4).first<4>());
}

std::string readLanguage(const ByteReader& r, size_t offset)
{
    auto b = r.bytes(offset, 2);
    auto letter = [](uint8_t c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); };
    if (!letter(b[0]) || !letter(b[1])) return {};
    return {static_cast<char>(b[0] | 0x20), static_cast<char>(b[1] | 0x20)};
}

VideoAttributes readVideo(const ByteReader& r, size_t offset)
{
    static constexpr uint16_t Widths[] = {720, 704, 352, 352};
    const uint8_t a = r.u8(offset), b = r.u8(offset + 1);
    VideoAttributes v;
    v.mpegVersion = (a >> 6) == 0 ? 1 : 2;
    v.pal = ((a >> 4) & 3) == 1;
    v.aspectCode = (a >> 2) & 3;
    v.wide = v.aspectCode == 3;
    v.panScanDisallowed = (a & 2) != 0;
    v.letterboxDisallowed = (a & 1) != 0;
    v.line21Field1 = (b & 0x80) != 0;
    v.line21Field2 = (b & 0x40) != 0;
    v.resolutionCode = (b >> 3) & 7;
    const uint8_t code = v.resolutionCode < 4 ? v.resolutionCode : 0;
    v.width = Widths[code];
    v.height = static_cast<uint16_t>((v.pal ? 576 : 480) / (code == 3 ? 2 : 1));
    v.letterboxed = (b & 4) != 0;
    v.film = (b & 1) != 0;
    return v;
}

AudioAttributes readAudio(const ByteReader& r, size_t offset)
{
    const uint8_t a = r.u8(offset), b = r.u8(offset + 1);
    AudioAttributes s;
    s.codingMode = a >> 5;
    s.multichannelExtension = (a & 0x10) != 0;
    s.languageType = (a >> 2) & 3;
    if (s.languageType == 1) s.language = readLanguage(r, offset + 2);
    s.applicationMode = a & 3;
    s.quantization = b >> 6;
    switch ((b >> 4) & 3) {
    case 0: s.sampleRate = 48000; break;
    case 1: s.sampleRate = 96000; break;
    default: s.sampleRate = 0; break;
    }
    s.channels = static_cast<uint8_t>((b & 7) + 1);
    s.codeExtension = r.u8(offset + 5);
    s.applicationInfo = r.u8(offset + 7);
    return s;
}

SubpictureAttributes readSubpicture(const ByteReader& r, size_t offset)
{
    const uint8_t a = r.u8(offset);
    SubpictureAttributes s;
    s.codingMode = a >> 5;
    s.languageType = a & 3;
    if (s.languageType == 1) s.language = readLanguage(r, offset + 2);
    s.codeExtension = r.u8(offset + 5);
    return s;
}

std::string trimmed(std::span<const uint8_t> text)
{
    std::string s(text.begin(), text.end());
    const auto end = s.find_last_not_of(std::string(" \0", 2));
    s.erase(end == std::string::npos ? 0 : end + 1);
    return s;
}

// Decodes the tables of one IFO file. Every PGC is decoded once per file offset and shared by
// the search pointers that name it.
class IfoParser {
public:
    IfoParser(std::span<const uint8_t> bytes, std::string name) : file_(bytes, std::move(name)) {}

    const ByteReader& file() const { return file_; }

    void expectIdentifier(const char* id) const
    {
        auto b = file_.bytes(0, 12);
        if (std::string(b.begin(), b.end()) != id) file_.fail(std::string("not a ") + id + " file");
    }

    // The table that an IFO-relative sector pointer at `pointer` names; null reader when 0.
    ByteReader tableAt(size_t pointer, const char* what) const
    {
        const uint64_t offset = uint64_t{file_.u32(pointer)} * SectorSize;
        if (offset >= file_.size())
            file_.fail(std::string(what) + " lies at byte " + std::to_string(offset) + ", past the end");
        return file_.from(static_cast<size_t>(offset), file_.name() + " " + what);
    }

    // `what` names the PGC for messages; it is called only when one is needed, since a table
    // may list thousands of entries that all name PGCs already read.
    template <class Name>
    std::shared_ptr<const Pgc> pgcAt(const ByteReader& table, uint32_t offset, Name what)
    {
        if (offset >= table.size()) table.fail(what() + " at offset " + std::to_string(offset) + " is past the end");
        auto& cached = pgcs_[table.origin() + offset];
        if (!cached) cached = std::make_shared<const Pgc>(readPgc(table.from(offset, table.name() + " " + what())));
        return cached;
    }

    PgcTable pgcTable(const ByteReader& table, bool menu)
    {
        const uint16_t count = table.u16(0);
        charge(table, count * sizeof(PgcEntry));
        PgcTable result;
        result.pgcs.reserve(count);
        for (size_t i = 0; i < count; ++i) {
            const size_t srp = 8 + 8 * i;
            const uint8_t kind = table.u8(srp);
            PgcEntry e;
            e.entryPgc = (kind & 0x80) != 0;
            if (menu)
                e.menuType = e.entryPgc ? kind & 0x0F : 0;
            else
                e.titleNumber = kind & 0x7F;
            e.parentalMask = table.u16(srp + 2);
            e.pgc = pgcAt(table, table.u32(srp + 4), [i] { return "PGC " + std::to_string(i + 1); });
            result.pgcs.push_back(std::move(e));
        }
        return result;
    }

    std::vector<MenuLanguageUnit> menus(size_t pointer)
    {
        if (file_.u32(pointer) == 0) return {};
        const ByteReader table = tableAt(pointer, "menu table");
        const uint16_t count = table.u16(0);
        charge(table, count * sizeof(MenuLanguageUnit));
        std::vector<MenuLanguageUnit> units;
        units.reserve(count);
        for (size_t i = 0; i < count; ++i) {
            const size_t srp = 8 + 8 * i;
            MenuLanguageUnit u;
            u.language = readLanguage(table, srp);
            u.languageExtension = table.u8(srp + 2);
            u.menuExistence = table.u8(srp + 3);
            const uint32_t offset = table.u32(srp + 4);
            if (offset >= table.size()) table.fail("language unit " + std::to_string(i + 1) + " is past the end");
            // Units may share one table: it is read once and copied.
            auto shared = menuTables_.find(table.origin() + offset);
            if (shared == menuTables_.end()) {
                const ByteReader unit = table.from(offset, table.name() + " language unit " + std::to_string(i + 1));
                shared = menuTables_.emplace(table.origin() + offset, pgcTable(unit, true)).first;
            } else {
                charge(table, shared->second.pgcs.size() * sizeof(PgcEntry));
            }
            u.pgcs = shared->second;
            units.push_back(std::move(u));
        }
        return units;
    }

    std::vector<CellAddress> cellAddresses(size_t pointer, const char* what)
    {
        if (file_.u32(pointer) == 0) return {};
        const ByteReader table = tableAt(pointer, what);
        const uint32_t end = table.u32(4);
        const size_t count = end < 8 ? 0 : (size_t{end} + 1 - 8) / 12;
        table.bytes(8, count * 12);  // the whole table must be there before anything is allocated
        charge(table, count * sizeof(CellAddress));
        std::vector<CellAddress> cells(count);
        for (size_t i = 0; i < count; ++i) {
            const size_t e = 8 + 12 * i;
            cells[i] = {table.u16(e), table.u8(e + 2), table.u32(e + 4), table.u32(e + 8)};
        }
        return cells;
    }

    void charge(const ByteReader& where, size_t bytes)
    {
        if (bytes > budget_) where.fail("describes more structure than any disc holds");
        budget_ -= bytes;
    }

private:
    Pgc readPgc(const ByteReader& r)
    {
        Pgc pgc;
        const uint8_t programCount = r.u8(2);
        const uint8_t cellCount = r.u8(3);
        pgc.playbackTime = readTime(r, 4);
        pgc.prohibitedUops = r.u32(8);
        for (size_t i = 0; i < pgc.audioControl.size(); ++i) {
            const uint16_t v = r.u16(0x0C + 2 * i);
            pgc.audioControl[i] = {(v & 0x8000) != 0, static_cast<uint8_t>((v >> 8) & 7)};
        }
        for (size_t i = 0; i < pgc.subpictureControl.size(); ++i) {
            auto b = r.bytes(0x1C + 4 * i, 4);
            pgc.subpictureControl[i] = {(b[0] & 0x80) != 0, static_cast<uint8_t>(b[0] & 0x1F),
                                        static_cast<uint8_t>(b[1] & 0x1F), static_cast<uint8_t>(b[2] & 0x1F),
                                        static_cast<uint8_t>(b[3] & 0x1F)};
        }
        pgc.nextPgc = r.u16(0x9C);
        pgc.prevPgc = r.u16(0x9E);
        pgc.goUpPgc = r.u16(0xA0);
        pgc.playbackMode = r.u8(0xA2);
        pgc.stillTime = r.u8(0xA3);
        for (size_t i = 0; i < pgc.palette.size(); ++i) pgc.palette[i] = r.u32(0xA4 + 4 * i);

        charge(r, sizeof(Pgc) + programCount + cellCount * (sizeof(CellPlayback) + sizeof(CellPosition)));
        readCommands(r, pgc);
        readPrograms(r, pgc, programCount, cellCount);
        readCells(r, pgc, cellCount);
        return pgc;
    }

    void readCommands(const ByteReader& pgcBytes, Pgc& pgc)
    {
        const uint16_t offset = pgcBytes.u16(0xE4);
        if (offset == 0) return;
        const ByteReader r = pgcBytes.from(offset, pgcBytes.name() + " commands");
        const size_t pre = r.u16(0), post = r.u16(2), cell = r.u16(4);
        if (pre + post + cell > MaxCommands) r.fail("holds " + std::to_string(pre + post + cell) + " commands");
        charge(r, (pre + post + cell) * sizeof(Command));
        size_t at = 8;
        for (auto [list, count] : {std::pair{&pgc.preCommands, pre}, {&pgc.postCommands, post},
                                   {&pgc.cellCommands, cell}}) {
            for (size_t i = 0; i < count; ++i, at += 8) {
                Command c;
                auto b = r.bytes(at, 8);
                std::copy(b.begin(), b.end(), c.begin());
                list->push_back(c);
            }
        }
    }

    static void readPrograms(const ByteReader& pgcBytes, Pgc& pgc, uint8_t programCount, uint8_t cellCount)
    {
        if (programCount == 0) return;
        if (programCount > cellCount) pgcBytes.fail("has more programs than cells");
        const uint16_t offset = pgcBytes.u16(0xE6);
        if (offset == 0) pgcBytes.fail("has programs but no program map");
        auto map = pgcBytes.bytes(offset, programCount);
        for (size_t i = 0; i < map.size(); ++i) {
            const uint8_t cell = map[i];
            if (cell == 0 || cell > cellCount || (i > 0 && cell <= map[i - 1]))
                pgcBytes.fail("program " + std::to_string(i + 1) + " starts at invalid cell " + std::to_string(cell));
        }
        pgc.programs.assign(map.begin(), map.end());
    }

    static void readCells(const ByteReader& pgcBytes, Pgc& pgc, uint8_t cellCount)
    {
        if (cellCount == 0) return;
        const uint16_t playback = pgcBytes.u16(0xE8), position = pgcBytes.u16(0xEA);
        if (playback == 0 || position == 0) pgcBytes.fail("has cells but no cell tables");
        pgcBytes.bytes(playback, size_t{cellCount} * 24);
        pgcBytes.bytes(position, size_t{cellCount} * 4);
        pgc.cells.resize(cellCount);
        pgc.cellPositions.resize(cellCount);
        for (size_t i = 0; i < cellCount; ++i) {
            const size_t e = playback + 24 * i;
            const uint8_t a = pgcBytes.u8(e), b = pgcBytes.u8(e + 1);
            CellPlayback& c = pgc.cells[i];
            c.blockMode = static_cast<BlockMode>(a >> 6);
            c.blockType = ((a >> 4) & 3) == 1 ? BlockType::Angle : BlockType::Normal;
            c.seamless = (a & 8) != 0;
            c.interleaved = (a & 4) != 0;
            c.stcDiscontinuity = (a & 2) != 0;
            c.seamlessAngle = (a & 1) != 0;
            c.vobuStill = (b & 0x40) != 0;
            c.restricted = (b & 0x20) != 0;
            c.karaokeCellType = b & 0x1F;
            c.stillTime = pgcBytes.u8(e + 2);
            c.commandNumber = pgcBytes.u8(e + 3);
            if (c.commandNumber > pgc.cellCommands.size())
                pgcBytes.fail("cell " + std::to_string(i + 1) + " names missing cell command " +
                              std::to_string(c.commandNumber));
            c.playbackTime = readTime(pgcBytes, e + 4);
            c.firstSector = pgcBytes.u32(e + 8);
            c.firstIlvuEndSector = pgcBytes.u32(e + 12);
            c.lastVobuStartSector = pgcBytes.u32(e + 16);
            c.lastSector = pgcBytes.u32(e + 20);
            const size_t p = position + 4 * i;
            pgc.cellPositions[i] = {pgcBytes.u16(p), pgcBytes.u8(p + 3)};
        }
    }

    ByteReader file_;
    std::map<size_t, std::shared_ptr<const Pgc>> pgcs_;
    std::map<size_t, PgcTable> menuTables_;
    size_t budget_ = StructureBudget;
};

std::vector<AudioAttributes> readAudioList(const ByteReader& r, size_t countAt, size_t max)
{
    const uint16_t count = r.u16(countAt);
    if (count > max) r.fail(std::to_string(count) + " audio streams");
    std::vector<AudioAttributes> list;
    for (size_t i = 0; i < count; ++i) list.push_back(readAudio(r, countAt + 2 + 8 * i));
    return list;
}

std::vector<SubpictureAttributes> readSubpictureList(const ByteReader& r, size_t countAt, size_t max)
{
    const uint16_t count = r.u16(countAt);
    if (count > max) r.fail(std::to_string(count) + " subpicture streams");
    std::vector<SubpictureAttributes> list;
    for (size_t i = 0; i < count; ++i) list.push_back(readSubpicture(r, countAt + 2 + 6 * i));
    return list;
}

std::vector<TitleInfo> readTitleTable(IfoParser& p, uint16_t titleSetCount)
{
    const ByteReader t = p.tableAt(0xC4, "title table");
    const uint16_t count = t.u16(0);
    if (count == 0 || count > MaxTitles) t.fail("holds " + std::to_string(count) + " titles");
    std::vector<TitleInfo> titles(count);
    for (size_t i = 0; i < count; ++i) {
        const size_t e = 8 + 12 * i;
        TitleInfo& ti = titles[i];
        ti.playbackType = t.u8(e);
        ti.angleCount = t.u8(e + 1);
        ti.chapterCount = t.u16(e + 2);
        ti.parentalMask = t.u16(e + 4);
        ti.titleSet = t.u8(e + 6);
        ti.titleSetTitle = t.u8(e + 7);
        ti.titleSetStartSector = t.u32(e + 8);
        const std::string title = "title " + std::to_string(i + 1);
        if (ti.angleCount == 0 || ti.angleCount > 9) t.fail(title + " has " + std::to_string(ti.angleCount) + " angles");
        if (ti.titleSet == 0 || ti.titleSet > titleSetCount)
            t.fail(title + " is in missing title set " + std::to_string(ti.titleSet));
        if (ti.titleSetTitle == 0) t.fail(title + " has no title number in its title set");
    }
    return titles;
}

std::vector<std::vector<PartOfTitle>> readChapters(IfoParser& p)
{
    const ByteReader t = p.tableAt(0xC8, "chapter table");
    const uint16_t count = t.u16(0);
    if (count == 0 || count > MaxTitles) t.fail("holds " + std::to_string(count) + " titles");
    const size_t first = 8 + 4 * size_t{count};
    const uint64_t end = uint64_t{t.u32(4)} + 1;
    std::vector<std::vector<PartOfTitle>> titles(count);
    for (size_t i = 0; i < count; ++i) {
        const uint32_t start = t.u32(8 + 4 * i);
        const std::string title = "title " + std::to_string(i + 1);
        if (start < first) t.fail(title + " has its chapters inside the table header");
        const bool last = i + 1 == count;
        const uint64_t stop = last ? end : t.u32(8 + 4 * (i + 1));
        if (last && stop < start + 4) {
            // Some discs leave the end address 0: the list then runs to the first empty entry.
            for (size_t c = start; c + 4 <= t.size() && t.u16(c) != 0 && titles[i].size() < MaxChapters; c += 4)
                titles[i].push_back({t.u16(c), t.u16(c + 2)});
            if (titles[i].empty()) t.fail(title + " has no chapters");
            continue;
        }
        if (stop < start + 4) t.fail(title + " has no chapters");
        const uint64_t chapters = (stop - start) / 4;
        if (chapters > MaxChapters) t.fail(title + " has " + std::to_string(chapters) + " chapters");
        t.bytes(start, static_cast<size_t>(chapters) * 4);
        for (size_t c = 0; c < chapters; ++c)
            titles[i].push_back({t.u16(start + 4 * c), t.u16(start + 4 * c + 2)});
    }
    return titles;
}

void checkChapters(const ByteReader& where, const TitleSet& vts)
{
    for (size_t t = 0; t < vts.titles.size(); ++t) {
        for (size_t c = 0; c < vts.titles[t].size(); ++c) {
            const PartOfTitle& ptt = vts.titles[t][c];
            const std::string chapter = "title " + std::to_string(t + 1) + " chapter " + std::to_string(c + 1);
            if (ptt.pgcNumber == 0 || ptt.pgcNumber > vts.pgcs.pgcs.size())
                where.fail(chapter + " names missing PGC " + std::to_string(ptt.pgcNumber));
            const Pgc& pgc = *vts.pgcs.pgcs[ptt.pgcNumber - 1].pgc;
            if (ptt.programNumber == 0 || ptt.programNumber > pgc.programs.size())
                where.fail(chapter + " names missing program " + std::to_string(ptt.programNumber));
        }
    }
}

}  // namespace

VideoManager parseVideoManager(std::span<const uint8_t> ifo)
{
    IfoParser p(ifo, "VIDEO_TS.IFO");
    const ByteReader& f = p.file();
    p.expectIdentifier("DVDVIDEO-VMG");
    VideoManager vmg;
    vmg.versionMajor = f.u8(0x21) >> 4;
    vmg.versionMinor = f.u8(0x21) & 0x0F;
    vmg.regionProhibitionMask = f.u8(0x23);
    vmg.volumeCount = f.u16(0x26);
    vmg.volumeNumber = f.u16(0x28);
    vmg.discSide = f.u8(0x2A);
    vmg.titleSetCount = f.u16(0x3E);
    if (vmg.titleSetCount == 0 || vmg.titleSetCount > MaxTitles)
        f.fail("names " + std::to_string(vmg.titleSetCount) + " title sets");
    vmg.providerId = trimmed(f.bytes(0x40, 32));
    if (const uint32_t fp = f.u32(0x84); fp != 0) vmg.firstPlay = p.pgcAt(f, fp, [] { return std::string("first-play PGC"); });
    vmg.hasMenuVobs = f.u32(0xC0) != 0;
    vmg.titles = readTitleTable(p, vmg.titleSetCount);
    vmg.menus = p.menus(0xC8);
    vmg.menuCells = p.cellAddresses(0xD8, "menu cell address table");
    vmg.menuVideo = readVideo(f, 0x100);
    vmg.menuAudio = readAudioList(f, 0x102, 1);
    vmg.menuSubpicture = readSubpictureList(f, 0x154, 1);
    return vmg;
}

TitleSet parseTitleSet(std::span<const uint8_t> ifo, uint8_t number)
{
    char name[16];
    std::snprintf(name, sizeof name, "VTS_%02u_0.IFO", static_cast<unsigned>(number));
    IfoParser p(ifo, name);
    const ByteReader& f = p.file();
    p.expectIdentifier("DVDVIDEO-VTS");
    TitleSet vts;
    vts.number = number;
    vts.category = f.u32(0x22);
    vts.hasMenuVobs = f.u32(0xC0) != 0;
    vts.titles = readChapters(p);
    vts.pgcs = p.pgcTable(p.tableAt(0xCC, "title PGC table"), false);
    checkChapters(f, vts);
    vts.menus = p.menus(0xD0);
    vts.menuCells = p.cellAddresses(0xD8, "menu cell address table");
    vts.cells = p.cellAddresses(0xE0, "cell address table");
    vts.menuVideo = readVideo(f, 0x100);
    vts.menuAudio = readAudioList(f, 0x102, 1);
    vts.menuSubpicture = readSubpictureList(f, 0x154, 1);
    vts.video = readVideo(f, 0x200);
    vts.audio = readAudioList(f, 0x202, 8);
    vts.subpicture = readSubpictureList(f, 0x254, 32);
    return vts;
}

}  // namespace nav
