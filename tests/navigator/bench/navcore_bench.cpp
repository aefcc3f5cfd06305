// Opening and decoding the largest structure a disc holds, next to libdvdread on the same files.
#include <benchmark/benchmark.h>

#include "core/Disc.h"
#include "support/DiscWriter.h"
#include "support/TestDiscs.h"

#ifdef HAVE_DVDREAD
#include <cstdarg>

#include <dvdread/dvd_reader.h>
#include <dvdread/ifo_read.h>
#endif

namespace {

const navtest::TempFolder& largeDiscFolder()
{
    static const navtest::TempFolder folder;
    static const bool written = (navtest::writeDisc(navtest::largeDisc(), folder.path()), true);
    (void)written;
    return folder;
}

void NavcoreOpenDisc(benchmark::State& state)
{
    const std::string path = largeDiscFolder().path().string();
    for (auto _ : state) {
        auto opened = nav::openDisc(path);
        if (!opened) state.SkipWithError(opened.error().c_str());
        benchmark::DoNotOptimize(opened);
    }
}
BENCHMARK(NavcoreOpenDisc)->Unit(benchmark::kMillisecond);

#ifdef HAVE_DVDREAD
void quiet(void*, dvd_logger_level_t, const char*, va_list) {}

void LibdvdreadOpenDisc(benchmark::State& state)
{
    const std::string path = largeDiscFolder().path().string();
    const dvd_logger_cb logger{quiet};
    for (auto _ : state) {
        dvd_reader_t* dvd = DVDOpen2(nullptr, &logger, path.c_str());
        ifo_handle_t* vmg = dvd ? ifoOpen(dvd, 0) : nullptr;
        if (!vmg) {
            state.SkipWithError("libdvdread cannot open the disc");
            if (dvd) DVDClose(dvd);
            break;
        }
        for (int n = 1; n <= vmg->vmgi_mat->vmg_nr_of_title_sets; ++n) {
            ifo_handle_t* vts = ifoOpen(dvd, n);
            benchmark::DoNotOptimize(vts);
            if (vts) ifoClose(vts);
        }
        ifoClose(vmg);
        DVDClose(dvd);
    }
}
BENCHMARK(LibdvdreadOpenDisc)->Unit(benchmark::kMillisecond);
#endif

}  // namespace

BENCHMARK_MAIN();
