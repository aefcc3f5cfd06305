// Decoding MPEG-2 to BGRA through the media layer, next to the ffmpeg program (one thread,
// raw BGRA output) decoding the same VOB in the same run. Figures only: frames per CPU second,
// the program's counted from its own CPU time (start-up included).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>

#include <sys/resource.h>

#include "support/Decode.h"
#include "support/Files.h"
#include "support/TestDiscs.h"

namespace {

using namespace media;

struct Clip {
    std::filesystem::path path;
    std::vector<uint8_t> sectors;
};

// A PAL title of the test discs, and an NTSC one made here (the discs have none at 720x480).
const Clip& clip(int height)
{
    static const navtest::TempFolder folder;
    static const Clip pal{mediatest::vob("sample", "VTS_01_1.VOB"), mediatest::readFile(mediatest::vob("sample", "VTS_01_1.VOB"))};
    static const Clip ntsc = [] {
        const auto path = folder.path() / "ntsc.vob";
        mediatest::ffmpegOutput("-f lavfi -i testsrc=size=720x480:rate=30000/1001:duration=20 -target ntsc-dvd "
                                "-bf 2 -b:v 5000k -an -y '" + path.string() + "'");
        return Clip{path, mediatest::readFile(path)};
    }();
    return height == 480 ? ntsc : pal;
}

void decode(benchmark::State& state, bool convert)
{
    const Clip& c = clip(static_cast<int>(state.range(0)));
    std::vector<uint8_t> bgra;
    int64_t frames = 0;
    for (auto _ : state) {
        VideoDecoder decoder;
        mediatest::decodeVideo(c.sectors, decoder, [&](const Picture& p) {
            ++frames;
            if (!convert)
                return;
            bgra.resize(size_t(p.width) * p.height * 4);
            decoder.convert(bgra.data(), p.width * 4, p.width, p.height);
        });
    }
    state.counters["frames/s"] = benchmark::Counter(double(frames), benchmark::Counter::kIsRate);
}

void MediaDecode(benchmark::State& state) { decode(state, false); }
void MediaDecodeToBgra(benchmark::State& state) { decode(state, true); }

double childrenCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

void FfmpegProgramToBgra(benchmark::State& state)
{
    const Clip& c = clip(static_cast<int>(state.range(0)));
    const std::string command = "ffmpeg -nostdin -loglevel error -threads 1 -i '" + c.path.string() +
                                "' -map 0:v:0 -fps_mode passthrough -c:v rawvideo -pix_fmt bgra -f null -";
    const std::string count = "ffprobe -v error -select_streams v:0 -count_frames -show_entries stream=nb_read_frames "
                              "-of csv=p=0 '" + c.path.string() + "'";
    const auto output = mediatest::commandOutput(count);
    const int64_t perRun = std::atoll(std::string(output.begin(), output.end()).c_str());
    int64_t frames = 0;
    for (auto _ : state) {
        const double start = childrenCpuSeconds();
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("ffmpeg failed");
        state.SetIterationTime(childrenCpuSeconds() - start);
        frames += perRun;
    }
    state.counters["frames/s"] = benchmark::Counter(double(frames), benchmark::Counter::kIsRate);
}

BENCHMARK(MediaDecode)->Arg(480)->Arg(576)->Unit(benchmark::kMillisecond);
BENCHMARK(MediaDecodeToBgra)->Arg(480)->Arg(576)->Unit(benchmark::kMillisecond);
BENCHMARK(FfmpegProgramToBgra)->Arg(480)->Arg(576)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

