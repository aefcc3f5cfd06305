// References and resources: nothing of the navigator outlives the graph, and building and
// tearing down graphs again and again does not make the process grow.

#include "PlaybackTest.h"
#include "ProcessFigures.h"

#include <psapi.h>

#include <cstdio>

using namespace navtest;

namespace {

struct Usage {
    ULONG_PTR nextHandle = 0;
    SIZE_T committed = 0;
    SIZE_T workingSet = 0;
    long threads = 0;
};

// Wine counts no handles for GetProcessHandleCount; a new handle takes the lowest free
// slot, so its value rises as handles leak.
ULONG_PTR nextHandleValue()
{
    const HANDLE probe = CreateEventW(nullptr, FALSE, FALSE, nullptr);
    const auto value = reinterpret_cast<ULONG_PTR>(probe);
    CloseHandle(probe);
    return value;
}

Usage processUsage()
{
    Usage usage;
    usage.nextHandle = nextHandleValue();
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    usage.committed = counters.PagefileUsage;
    usage.workingSet = counters.WorkingSetSize;
    usage.threads = endurance::measureProcess().threads;
    return usage;
}

double mebibytes(SIZE_T bytes) { return static_cast<double>(bytes) / 1048576.0; }

// Builds, plays until the menu shows, and tears down as the player does.
void playOnce(bool* reachedMenu)
{
    DvdPlayback playback;
    *reachedMenu = false;
    if (!playback.ready() || playback.render(disc(L"sample")) != S_OK) return;
    playback.embedVideo();
    if (FAILED(playback.control->Run())) return;
    *reachedMenu = playback.waitFor(EC_DVD_DOMAIN_CHANGE, [](const GraphEvent& event) {
        return event.param1 == DVD_DOMAIN_VideoManagerMenu;
    }).has_value();
    playback.clear();
}

}  // namespace

TEST(Lifetime, NothingOfTheNavigatorOutlivesTheGraph)
{
    ASSERT_TRUE(NavigatorDll::instance().loaded());
    {
        ClassRegistration classes;
        ASSERT_TRUE(classes.active());
        IGraphBuilder* graph = nullptr;
        {
            DvdPlayback playback;
            ASSERT_TRUE(playback.ready());
            ASSERT_EQ(S_OK, playback.render(disc(L"sample")));
            playback.embedVideo();
            ComPtr<IDvdControl2> dvd = playback.dvd();
            ComPtr<IVideoWindow> window = playback.videoWindow();
            ASSERT_TRUE(SUCCEEDED(playback.control->Run()));
            ASSERT_TRUE(playback.waitFor(EC_DVD_DOMAIN_CHANGE));
            playback.clear();
            graph = playback.graph.Get();
            graph->AddRef();
        }
        // The builder and the navigator are gone; only this reference holds the graph.
        EXPECT_EQ(0u, graph->Release());
    }
    EXPECT_EQ(S_OK, NavigatorDll::instance().canUnloadNow()) << "every object of the DLL is released";
}

TEST(Lifetime, FiftyBuildsAndTeardownsLeaveTheProcessAsItWas)
{
    ASSERT_TRUE(NavigatorDll::instance().loaded());
    ClassRegistration classes;
    ASSERT_TRUE(classes.active());
    bool reached = false;
    playOnce(&reached);  // the platform sets up what it keeps for the process
    ASSERT_TRUE(reached);
    const Usage before = processUsage();
    for (int cycle = 0; cycle < 50; ++cycle) {
        playOnce(&reached);
        ASSERT_TRUE(reached) << "cycle " << cycle;
    }
    const Usage after = processUsage();
    std::printf("50 cycles: threads %ld -> %ld, next handle %#llx -> %#llx, committed %.1f -> %.1f MiB, working set %.1f -> %.1f MiB\n",
                before.threads, after.threads, static_cast<unsigned long long>(before.nextHandle),
                static_cast<unsigned long long>(after.nextHandle),
                mebibytes(before.committed), mebibytes(after.committed), mebibytes(before.workingSet), mebibytes(after.workingSet));
    // Handle values step by 4: allow a hundred handles of slack, and 64 MiB of memory.
    EXPECT_LT(after.nextHandle, before.nextHandle + 400);
    EXPECT_LT(mebibytes(after.committed) - mebibytes(before.committed), 64.0);
    // The graphs' clocks take their threads with them: a clock left behind keeps one each.
    EXPECT_LE(after.threads, before.threads + 2);
}
