#include "media/Demux.h"

namespace media {
namespace {

enum : uint8_t {
    ProgramEnd = 0xB9,
    PackHeader = 0xBA,
    PrivateStream1 = 0xBD,
    PrivateStream2 = 0xBF,
    FirstMpegAudio = 0xC0,
    Video = 0xE0,
};

bool startCode(const uint8_t* p) { return p[0] == 0 && p[1] == 0 && p[2] == 1; }

int64_t readScr(const uint8_t* p)
{
    return int64_t{(p[0] >> 3) & 7} << 30 | int64_t{p[0] & 3} << 28 | int64_t{p[1]} << 20 |
           int64_t{p[2] >> 3} << 15 | int64_t{p[2] & 3} << 13 | int64_t{p[3]} << 5 | p[4] >> 3;
}

int64_t readTimestamp(const uint8_t* p)
{
    return int64_t{(p[0] >> 1) & 7} << 30 | int64_t{p[1]} << 22 | int64_t{p[2] >> 1} << 15 |
           int64_t{p[3]} << 7 | p[4] >> 1;
}

// The stream a private stream 1 sub-stream id names, and the bytes of its header after the id
// that the decoder does not take.
std::optional<std::pair<StreamId, size_t>> subStream(uint8_t id)
{
    if (id >= 0x20 && id <= 0x3F)
        return std::pair{StreamId{StreamKind::Subpicture, id - 0x20}, size_t{0}};
    if (id >= 0x80 && id <= 0x87)
        return std::pair{StreamId{StreamKind::Ac3, id - 0x80}, size_t{3}};
    if (id >= 0x88 && id <= 0x8F)
        return std::pair{StreamId{StreamKind::Dts, id - 0x88}, size_t{3}};
    if (id >= 0xA0 && id <= 0xA7)
        return std::pair{StreamId{StreamKind::Lpcm, id - 0xA0}, size_t{3}};  // format header kept
    return std::nullopt;
}

bool selected(const StreamId& id, const Selection& selection)
{
    switch (id.kind) {
    case StreamKind::Video:
        return true;
    case StreamKind::Subpicture:
        return selection.subpicture == id.number;
    case StreamKind::Nav:
        return selection.nav;
    default:
        return selection.audio == id.number;
    }
}

enum class PackResult { Ok, Damaged, Scrambled };

PackResult demuxPack(std::span<const uint8_t> pack, const Selection& selection, std::vector<Packet>& out)
{
    const uint8_t* p = pack.data();
    if (!startCode(p) || p[3] != PackHeader || (p[4] >> 6) != 1)
        return PackResult::Damaged;
    Packet packet;
    packet.scr = readScr(p + 4);
    size_t pos = 14 + (p[13] & 7);
    PackResult result = PackResult::Ok;
    while (pos + 6 <= pack.size()) {
        if (!startCode(p + pos))
            return PackResult::Damaged;
        const uint8_t id = p[pos + 3];
        if (id == ProgramEnd)
            break;
        const size_t end = pos + 6 + (size_t{p[pos + 4]} << 8 | p[pos + 5]);
        if (end > pack.size())
            return PackResult::Damaged;
        const size_t start = pos + 6;
        pos = end;

        if (id == PrivateStream2) {
            if (end == start)
                return PackResult::Damaged;
            packet.stream = {StreamKind::Nav, p[start]};
            if (selected(packet.stream, selection))
                out.push_back({packet.stream, std::nullopt, std::nullopt, packet.scr,
                               pack.subspan(start + 1, end - start - 1), std::nullopt});
            continue;
        }
        const bool mpegAudio = id >= FirstMpegAudio && id < FirstMpegAudio + 8;
        if (id != Video && id != PrivateStream1 && !mpegAudio)
            continue;  // system header, padding, streams a DVD does not use

        // MPEG-2 PES header: '10', scrambling, flags; PTS_DTS flags; header data length.
        if (end - start < 3 || (p[start] >> 6) != 2)
            return PackResult::Damaged;
        const size_t dataStart = start + 3 + p[start + 2];
        if (dataStart > end)
            return PackResult::Damaged;
        if (p[start] & 0x30) {
            result = PackResult::Scrambled;
            continue;
        }
        const uint8_t timestamps = p[start + 1] >> 6;
        packet.pts.reset();
        packet.dts.reset();
        packet.firstAccessUnit.reset();
        if (timestamps >= 2 && dataStart - (start + 3) >= 5)
            packet.pts = readTimestamp(p + start + 3);
        if (timestamps == 3 && dataStart - (start + 3) >= 10)
            packet.dts = readTimestamp(p + start + 8);

        size_t dataBegin = dataStart;
        if (id == Video) {
            packet.stream = {StreamKind::Video, 0};
        } else if (mpegAudio) {
            packet.stream = {StreamKind::MpegAudio, id - FirstMpegAudio};
        } else {
            if (dataStart == end)
                return PackResult::Damaged;
            auto sub = subStream(p[dataStart]);
            if (!sub)
                continue;
            packet.stream = sub->first;
            dataBegin = dataStart + 1 + sub->second;
            if (dataBegin > end)
                return PackResult::Damaged;
            // Audio's frame count and pointer: the pointer counts from its own last byte, and
            // muxers point past the packet when no frame starts in it.
            const size_t pointer = sub->second == 3 ? size_t{p[dataStart + 2]} << 8 | p[dataStart + 3] : 0;
            if (pointer > 0 && dataBegin + pointer - 1 < end)
                packet.firstAccessUnit = pointer - 1;
        }
        if (dataBegin < end && selected(packet.stream, selection)) {
            packet.payload = pack.subspan(dataBegin, end - dataBegin);
            out.push_back(packet);
        }
    }
    return result;
}

}  // namespace

DemuxReport demux(std::span<const uint8_t> sectors, const Selection& selection, std::vector<Packet>& out)
{
    DemuxReport report;
    for (size_t offset = 0; offset < sectors.size(); offset += SectorSize) {
        ++report.packs;
        if (sectors.size() - offset < SectorSize) {
            ++report.damaged;
            break;
        }
        switch (demuxPack(sectors.subspan(offset, SectorSize), selection, out)) {
        case PackResult::Damaged:
            ++report.damaged;
            break;
        case PackResult::Scrambled:
            ++report.scrambled;
            break;
        case PackResult::Ok:
            break;
        }
    }
    return report;
}

}  // namespace media
