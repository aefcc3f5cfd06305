#include "support/Oracle.h"

#include <cmath>
#include <limits>
#include <stdexcept>

namespace mediatest {

OracleFrames::OracleFrames(const std::filesystem::path& file, const std::string& filters)
{
    const std::string command = "ffmpeg -nostdin -loglevel fatal -threads 1 -i '" + file.string() +
                                "' -map 0:v:0 " + (filters.empty() ? "" : "-vf " + filters + " ") +
                                "-fps_mode passthrough -f rawvideo -pix_fmt bgra -";
    pipe_ = popen(command.c_str(), "r");
    if (!pipe_)
        throw std::runtime_error("cannot run " + command);
}

OracleFrames::~OracleFrames() { pclose(pipe_); }

bool OracleFrames::next(std::vector<uint8_t>& frame)
{
    return fread(frame.data(), 1, frame.size(), pipe_) == frame.size();
}

double psnr(std::span<const uint8_t> a, std::span<const uint8_t> b)
{
    if (a.size() != b.size())
        throw std::invalid_argument("pictures of different sizes");
    double squares = 0;
    for (size_t i = 0; i < a.size(); ++i)
        if (i % 4 != 3) {
            const double d = double(a[i]) - double(b[i]);
            squares += d * d;
        }
    if (squares == 0)
        return std::numeric_limits<double>::infinity();
    return 10 * std::log10(255.0 * 255.0 / (squares / (a.size() / 4 * 3)));
}

}  // namespace mediatest
