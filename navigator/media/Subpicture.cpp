#include "media/Subpicture.h"

namespace media {
namespace {

// Display control sequence delays count in units of 1024 ticks of 90 kHz.
constexpr std::int64_t DelayUnit = 1024;

std::uint16_t u16(std::span<const std::uint8_t> s, std::size_t at)
{
    return static_cast<std::uint16_t>(s[at] << 8 | s[at + 1]);
}

// Reads the nibble-packed run lengths of one field.
class Runs {
public:
    Runs(std::span<const std::uint8_t> unit, std::size_t start, std::size_t end)
        : unit_(unit), at_(start * 2), end_(end * 2)
    {
    }

    bool nibble(unsigned& n)
    {
        if (at_ >= end_) return false;
        std::uint8_t byte = unit_[at_ / 2];
        n = (at_ & 1) ? byte & 0xF : byte >> 4;
        ++at_;
        return true;
    }

    // A run: its length (0 = to the end of the line) and pixel type.
    bool run(int& length, std::uint8_t& type)
    {
        // One to four nibbles: the fewer, the shorter the run.
        unsigned code = 0, n = 0;
        for (unsigned below : {0x1u, 0x4u, 0x10u, 0x40u}) {
            if (code >= below) break;
            if (!nibble(n)) return false;
            code = code << 4 | n;
        }
        length = static_cast<int>(code >> 2);
        type = static_cast<std::uint8_t>(code & 3);
        return true;
    }

    void alignToByte() { at_ = (at_ + 1) & ~std::size_t{1}; }

private:
    std::span<const std::uint8_t> unit_;
    std::size_t at_, end_;  // in nibbles
};

// Lines alternate between the two fields' data, each line starting on a byte; a field's
// data ends where the other's or the control sequences begin.
std::shared_ptr<const Bitmap> decodeBitmap(std::span<const std::uint8_t> unit,
    std::size_t dataEnd, Area area, std::array<std::uint16_t, 2> fields)
{
    if (area.width() <= 0 || area.height() <= 0) return nullptr;
    auto bitmap = std::make_shared<Bitmap>();
    bitmap->area = area;
    bitmap->pixels.resize(static_cast<std::size_t>(area.width()) * area.height());
    auto end = [&](int field) {
        std::uint16_t other = fields[1 - field];
        return other > fields[field] ? other : dataEnd;
    };
    std::array<Runs, 2> runs{Runs(unit, fields[0], end(0)), Runs(unit, fields[1], end(1))};
    for (int y = 0; y < area.height(); ++y) {
        Runs& field = runs[y & 1];
        std::uint8_t* line = &bitmap->pixels[static_cast<std::size_t>(y) * area.width()];
        for (int x = 0; x < area.width();) {
            int length = 0;
            std::uint8_t type = 0;
            if (!field.run(length, type)) return nullptr;
            if (length == 0) length = area.width() - x;
            if (length > area.width() - x) return nullptr;
            std::fill_n(line + x, length, type);
            x += length;
        }
        field.alignToByte();
    }
    return bitmap;
}

ColourSet nibbles(std::uint16_t colours, std::uint16_t contrasts)
{
    ColourSet set;
    for (int type = 0; type < 4; ++type) {
        set.colour[type] = static_cast<std::uint8_t>(colours >> (4 * type) & 0xF);
        set.contrast[type] = static_cast<std::uint8_t>(contrasts >> (4 * type) & 0xF);
    }
    return set;
}

// The regions of a colour and contrast change: line bands of 4 bytes (start line, number of
// changes, end line), each followed by its changes of 6 bytes (column, colours, contrasts), up
// to the end mark. Bands out of order, or no end mark within the command, are a broken unit.
std::optional<std::vector<ColourRegion>> readRegions(std::span<const std::uint8_t> data)
{
    std::vector<ColourRegion> regions;
    for (std::size_t at = 0; at + 4 <= data.size();) {
        const std::uint32_t band = std::uint32_t{u16(data, at)} << 16 | u16(data, at + 2);
        at += 4;
        if (band == 0x0FFFFFFF) return regions;
        ColourRegion region;
        region.top = static_cast<int>(band >> 16 & 0xFFF);
        region.bottom = static_cast<int>(band & 0xFFF) + 1;
        const std::size_t count = band >> 12 & 0xF;
        if (region.bottom <= region.top || (!regions.empty() && region.top < regions.back().bottom) ||
            at + 6 * count > data.size())
            return std::nullopt;
        for (std::size_t i = 0; i < count; ++i, at += 6) {
            const int column = u16(data, at) & 0xFFF;
            if (!region.changes.empty() && column < region.changes.back().column) return std::nullopt;
            region.changes.push_back({column, nibbles(u16(data, at + 2), u16(data, at + 4))});
        }
        regions.push_back(std::move(region));
    }
    return std::nullopt;
}

}  // namespace

ColourSet colourSet(std::uint32_t entry)
{
    return nibbles(static_cast<std::uint16_t>(entry >> 16), static_cast<std::uint16_t>(entry));
}

std::optional<Subpicture> decodeSubpicture(std::span<const std::uint8_t> unit, std::int64_t pts)
{
    if (unit.size() < 4 || u16(unit, 0) != unit.size()) return std::nullopt;
    // Pixel data lies between the header and the first control sequence.
    const std::size_t dataEnd = u16(unit, 2);
    if (dataEnd < 4 || dataEnd + 4 > unit.size()) return std::nullopt;

    Subpicture result;
    SubpicturePhase state;
    Area area;
    std::array<std::uint16_t, 2> fields{};
    bool haveArea = false, haveFields = false, changed = false;
    std::size_t at = dataEnd, previous = 0;
    // Each sequence names the next; the last names itself. Later sequences lie further on,
    // which also bounds the walk.
    for (bool last = false; !last;) {
        if (at + 4 > unit.size() || (previous && at <= previous)) return std::nullopt;
        state.start = pts + u16(unit, at) * DelayUnit;
        std::size_t next = u16(unit, at + 2);
        last = next == at;
        previous = at;
        at += 4;
        bool ended = false;
        while (!ended) {
            if (at >= unit.size()) return std::nullopt;
            std::uint8_t command = unit[at++];
            auto take = [&](std::size_t n) {
                if (at + n > unit.size()) return false;
                at += n;
                return true;
            };
            switch (command) {
            case 0x00: state.shown = state.forced = true; break;
            case 0x01: state.shown = true; state.forced = false; break;
            case 0x02: state.shown = false; break;
            case 0x03:
            case 0x04: {
                if (!take(2)) return std::nullopt;
                auto& target = command == 0x03 ? state.colours.colour : state.colours.contrast;
                for (int type = 0; type < 4; ++type)
                    target[type] = static_cast<std::uint8_t>(u16(unit, at - 2) >> (4 * type) & 0xF);
                break;
            }
            case 0x05: {
                if (!take(6)) return std::nullopt;
                const std::uint8_t* d = &unit[at - 6];
                int x1 = d[0] << 4 | d[1] >> 4, x2 = (d[1] & 0xF) << 8 | d[2];
                int y1 = d[3] << 4 | d[4] >> 4, y2 = (d[4] & 0xF) << 8 | d[5];
                area = {x1, y1, x2 + 1, y2 + 1};
                haveArea = changed = true;
                break;
            }
            case 0x06:
                if (!take(4)) return std::nullopt;
                fields = {u16(unit, at - 4), u16(unit, at - 2)};
                if (fields[0] < 4 || fields[1] < 4 || fields[0] >= dataEnd || fields[1] >= dataEnd)
                    return std::nullopt;
                haveFields = changed = true;
                break;
            case 0x07: {
                // Its size counts the two bytes that give it.
                if (!take(2)) return std::nullopt;
                const std::size_t size = u16(unit, at - 2);
                if (size < 2 || !take(size - 2)) return std::nullopt;
                auto regions = readRegions(unit.subspan(at - size + 2, size - 2));
                if (!regions) return std::nullopt;
                state.regions = std::move(*regions);
                break;
            }
            case 0xFF: ended = true; break;
            default: return std::nullopt;
            }
        }
        if (haveArea && haveFields && changed) {
            state.bitmap = decodeBitmap(unit, dataEnd, area, fields);
            if (!state.bitmap) return std::nullopt;
            changed = false;
        }
        result.phases.push_back(state);
        at = next;
    }
    return result;
}

std::optional<std::vector<std::uint8_t>> SubpictureAssembler::push(
    std::span<const std::uint8_t> data, std::optional<std::int64_t> pts, std::int64_t& unitPts)
{
    // A PTS marks a unit's first packet: whatever was pending is broken off.
    if (pts) {
        unit_.clear();
        pts_ = *pts;
    } else if (unit_.empty()) {
        return std::nullopt;  // the rest of a unit whose start was missed
    }
    unit_.insert(unit_.end(), data.begin(), data.end());
    if (unit_.size() < 2) return std::nullopt;
    std::size_t size = u16(unit_, 0);
    if (unit_.size() < size) return std::nullopt;
    std::vector<std::uint8_t> whole = std::move(unit_);
    unit_.clear();
    if (whole.size() > size) return std::nullopt;  // overran its own size
    unitPts = pts_;
    return whole;
}

void SubpictureTrack::push(std::span<const std::uint8_t> data, std::optional<std::int64_t> pts)
{
    std::int64_t unitPts = 0;
    auto unit = assembler_.push(data, pts, unitPts);
    if (!unit) return;
    auto decoded = decodeSubpicture(*unit, unitPts);
    if (!decoded || decoded->phases.empty()) return;
    if (units_.size() == MaxPending) units_.pop_front();
    units_.push_back(std::move(*decoded));
}

void SubpictureTrack::flush()
{
    assembler_.flush();
    units_.clear();
}

const SubpicturePhase* SubpictureTrack::at(std::int64_t pts)
{
    // A unit lasts until the next one starts.
    while (units_.size() > 1 && units_[1].phases.front().start <= pts) units_.pop_front();
    if (units_.empty() || units_.front().phases.front().start > pts) return nullptr;
    const SubpicturePhase* current = nullptr;
    for (const SubpicturePhase& phase : units_.front().phases) {
        if (phase.start > pts) break;
        current = &phase;
    }
    if (!current->shown || !current->bitmap || !(shown_ || current->forced)) return nullptr;
    return current;
}

}  // namespace media
