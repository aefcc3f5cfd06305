#include "support/Files.h"

#include <cstdio>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "support/TestDiscs.h"

namespace mediatest {

std::filesystem::path vob(const std::string& disc, const std::string& file)
{
    return navtest::testDiscs() / disc / "VIDEO_TS" / file;
}

std::vector<uint8_t> readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path.string() + " (author the discs with tests/discs/make-discs.sh)");
    return {std::istreambuf_iterator<char>(in), {}};
}

std::vector<uint8_t> commandOutput(const std::string& command)
{
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        throw std::runtime_error("cannot run " + command);
    std::vector<uint8_t> output;
    uint8_t chunk[65536];
    while (size_t n = fread(chunk, 1, sizeof chunk, pipe))
        output.insert(output.end(), chunk, chunk + n);
    if (pclose(pipe) != 0)
        throw std::runtime_error("failed: " + command);
    return output;
}

std::vector<uint8_t> ffmpegOutput(const std::string& arguments)
{
    return commandOutput("ffmpeg -nostdin -hide_banner -loglevel fatal " + arguments);
}

}  // namespace mediatest
