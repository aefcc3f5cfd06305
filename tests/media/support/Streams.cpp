#include "support/Streams.h"

#include <cstring>
#include <string>

#include "support/Files.h"

namespace mediatest {

std::vector<Payload> streamPackets(const std::filesystem::path& file, media::StreamId stream)
{
    const std::vector<std::uint8_t> sectors = readFile(file);
    media::Selection selection;
    if (stream.kind == media::StreamKind::Subpicture)
        selection.subpicture = stream.number;
    else if (stream.kind != media::StreamKind::Video)
        selection.audio = stream.number;
    std::vector<media::Packet> packets;
    media::demux(sectors, selection, packets);
    std::vector<Payload> result;
    for (const media::Packet& p : packets)
        if (p.stream == stream) result.push_back({{p.payload.begin(), p.payload.end()}, p.pts, p.firstAccessUnit});
    return result;
}

std::vector<std::int16_t> ffmpegPcm(const std::filesystem::path& file, int id)
{
    std::vector<std::uint8_t> bytes = ffmpegOutput(
        "-i '" + file.string() + "' -map 0:i:" + std::to_string(id) + " -f s16le -ac 2 -ar 48000 -");
    std::vector<std::int16_t> pcm(bytes.size() / 2);
    std::memcpy(pcm.data(), bytes.data(), pcm.size() * 2);
    return pcm;
}

}  // namespace mediatest
