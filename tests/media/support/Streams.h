#pragma once
// One elementary stream of a test disc's VOB file, and what the ffmpeg program decodes of it.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <vector>

#include "media/Demux.h"

namespace mediatest {

struct Payload {
    std::vector<std::uint8_t> data;
    std::optional<std::int64_t> pts;
    std::optional<std::size_t> firstAccessUnit;
};

// The packets of `stream`, copied out of the file.
std::vector<Payload> streamPackets(const std::filesystem::path& file, media::StreamId stream);

// The stream with program-stream id `id` (0x1C0 for MPEG audio 0, 0x80 for AC-3 0, ...)
// decoded by ffmpeg to 16-bit stereo at 48 kHz.
std::vector<std::int16_t> ffmpegPcm(const std::filesystem::path& file, int id);

}  // namespace mediatest
