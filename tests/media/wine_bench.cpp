// Decoding through the media layer built for Windows (run under Wine by wine-bench.sh, beside
// the native ffmpeg program): frames per CPU second of decoding alone and with conversion to
// BGRA, for each VOB named on the command line.
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <iterator>

#include "support/Decode.h"

namespace {

double threadCpuSeconds()
{
    FILETIME created, exited, kernel, user;
    GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user);
    auto seconds = [](FILETIME t) { return double(uint64_t{t.dwHighDateTime} << 32 | t.dwLowDateTime) / 1e7; };
    return seconds(kernel) + seconds(user);
}

// Frames per CPU second over at least half a second of decoding.
double rate(const std::vector<uint8_t>& sectors, bool convert, int& width, int& height)
{
    std::vector<uint8_t> bgra;
    int64_t frames = 0;
    const double start = threadCpuSeconds();
    double spent = 0;
    while (spent < 0.5) {
        media::VideoDecoder decoder;
        mediatest::decodeVideo(sectors, decoder, [&](const media::Picture& p) {
            ++frames;
            width = p.width;
            height = p.height;
            if (convert) {
                bgra.resize(size_t(p.width) * p.height * 4);
                decoder.convert(bgra.data() + bgra.size() - p.width * 4, -p.width * 4, p.width, p.height);
            }
        });
        spent = threadCpuSeconds() - start;
        if (frames == 0)
            return 0;
    }
    return double(frames) / spent;
}

}  // namespace

int main(int argc, char** argv)
{
    for (int i = 1; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        const std::vector<uint8_t> sectors{std::istreambuf_iterator<char>(in), {}};
        int width = 0, height = 0;
        const double decode = rate(sectors, false, width, height);
        const double toBgra = rate(sectors, true, width, height);
        if (decode == 0) {
            std::fprintf(stderr, "no pictures in %s\n", argv[i]);
            return 1;
        }
        std::printf("media layer under Wine %dx%d: %7.0f frames/s decoding, %7.0f with BGRA (%s)\n", width, height,
                    decode, toBgra, argv[i]);
    }
    return 0;
}
