// libFuzzer target over the demultiplexer. The first byte of an input chooses the audio and
// subpicture streams; the rest is taken as a run of sectors.
#include <cstdint>
#include <cstdlib>
#include <span>
#include <vector>

#include "media/Demux.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const media::Selection selection{.audio = data[0] & 7, .subpicture = data[0] >> 3, .nav = true};
    const std::span<const uint8_t> sectors(data + 1, size - 1);
    static std::vector<media::Packet> packets;
    packets.clear();
    const media::DemuxReport report = media::demux(sectors, selection, packets);
    if (report.damaged + report.scrambled > report.packs)
        std::abort();
    for (const media::Packet& p : packets)
        if (p.payload.data() < sectors.data() || p.payload.data() + p.payload.size() > sectors.data() + sectors.size())
            std::abort();
    return 0;
}
