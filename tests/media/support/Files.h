#pragma once
// Test inputs: the test discs' files, and what the ffmpeg program makes of them.
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace mediatest {

// A file of the "sample" or "chapters300" test disc, e.g. vob("sample", "VTS_01_1.VOB").
std::filesystem::path vob(const std::string& disc, const std::string& file);
std::vector<uint8_t> readFile(const std::filesystem::path& path);

// What a command line (ffmpeg, ffprobe) writes to its standard output; throws when it fails.
std::vector<uint8_t> commandOutput(const std::string& command);
// The same for `ffmpeg` with the given arguments, which end with an output of "-".
std::vector<uint8_t> ffmpegOutput(const std::string& arguments);

}  // namespace mediatest
