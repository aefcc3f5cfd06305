// What playing a title costs the real player: CPU seconds per second of playback at rate 1, with
// and without sound, and per thread; resident memory, each beside the idle player's; and the time
// from Play to the first picture. Plays title 1 of the disc in drive D:, chosen in its menu if it
// has one.
// Prints figures only. Usage: playback_bench [SECONDS_OF_PLAYBACK [PAIRS]]   (default 10, 1)
#include "../ControlBar.h"
#include "UnixProcess.h"

#include "../../media/support/FrameMarks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <sstream>
#include <string>
#include <vector>

using namespace e2e;

namespace {

int playSeconds = 10;
int pairs = 1; // of runs with sound and without

double Now()
{
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return double(count.QuadPart) / double(frequency.QuadPart);
}

// CPU seconds of each thread of a process by its Unix id, with the thread's name. Wine gives a
// thread the name its program sets, and a new thread its creator's.
struct Thread {
    std::string name;
    double seconds = 0;
};

std::map<std::wstring, Thread> Threads(const std::wstring& pid)
{
    const std::wstring tasks = L"Z:\\proc\\" + pid + L"\\task\\";
    std::map<std::wstring, Thread> threads;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((tasks + L"*").c_str(), &found);
    for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileW(search, &found)) {
        if (found.cFileName[0] == L'.') continue;
        std::string name = ReadAll(tasks + found.cFileName + L"\\comm");
        while (!name.empty() && name.back() == '\n') name.pop_back();
        threads[found.cFileName] = {name, CpuSeconds(tasks + found.cFileName)};
    }
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
    return threads;
}

// Wine's own sound, its DirectSound mixer and its ALSA driver's timer: what they cost comes with
// any sound played through the platform's renderer.
bool WineSoundThread(const std::string& name)
{
    return name.rfind("wine_dsound", 0) == 0 || name.rfind("winealsa", 0) == 0;
}

struct Memory {
    double workingSet = 0, anonymous = 0; // MiB
};

Memory MemoryOf(const std::wstring& pid)
{
    const std::string status = ReadAll(L"Z:\\proc\\" + pid + L"\\status");
    auto kib = [&](const char* key) {
        const size_t at = status.find(key);
        return at == std::string::npos ? 0.0 : std::atof(status.c_str() + at + std::strlen(key)) / 1024;
    };
    return {kib("VmRSS:"), kib("RssAnon:")};
}

// CPU seconds per wall second over `seconds`, with the largest memory seen meanwhile.
struct Load {
    double cpuPerSecond;
    Memory first, last, peak;
    std::vector<Thread> threads; // per second, the busiest first
    double Spent(bool (*which)(const std::string&)) const
    {
        double sum = 0;
        for (const Thread& thread : threads) sum += which(thread.name) ? thread.seconds : 0;
        return sum;
    }
};

Load Measure(const std::wstring& pid, int seconds)
{
    Load load{0, MemoryOf(pid), {}, MemoryOf(pid), {}};
    const auto threads = Threads(pid);
    const double cpu = CpuSeconds(pid), start = Now();
    for (int i = 0; i < seconds * 4; ++i) {
        Sleep(250);
        load.last = MemoryOf(pid);
        load.peak.workingSet = std::max(load.peak.workingSet, load.last.workingSet);
        load.peak.anonymous = std::max(load.peak.anonymous, load.last.anonymous);
    }
    const double elapsed = Now() - start;
    load.cpuPerSecond = (CpuSeconds(pid) - cpu) / elapsed;
    for (const auto& [id, thread] : Threads(pid)) {
        const auto before = threads.find(id);
        const double spent = thread.seconds - (before == threads.end() ? 0 : before->second.seconds);
        if (spent > 0) load.threads.push_back({thread.name, spent / elapsed});
    }
    std::sort(load.threads.begin(), load.threads.end(),
              [](const Thread& a, const Thread& b) { return a.seconds > b.seconds; });
    return load;
}

// Seconds until the renderer's window shows something `shows` accepts, polled as fast as the
// screen can be read.
template <typename Condition>
double SecondsUntil(const Player& player, double since, Condition shows)
{
    while (Now() - since < 15) {
        HWND renderer = RendererWindow(player);
        if (renderer && shows(CaptureClient(renderer))) return Now() - since;
        Sleep(5);
    }
    return -1;
}

// The menu's navy background, above its buttons.
bool MenuPicture(const Capture& shot)
{
    if (shot.bgra.empty()) return false;
    const unsigned char* p = &shot.bgra[(size_t(shot.height) / 8 * shot.width + shot.width / 2) * 4];
    return p[0] > 96 && p[1] < 32 && p[2] < 32;
}

bool TitleOnePicture(const Capture& shot)
{
    if (shot.bgra.empty()) return false;
    const auto marks = mediatest::readFrameMarks(shot.bgra.data(), shot.width * 4, shot.width, shot.height);
    return marks && marks->colour == 0;
}

// A click whose release moment is known: the pointer is already there.
double ClickNow(POINT at)
{
    MoveTo(at);
    INPUT inputs[2]{};
    inputs[0].type = inputs[1].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    const double released = Now();
    SendInput(2, inputs, sizeof(INPUT));
    return released;
}

POINT Centre(RECT rect) { return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2}; }

// One player from start to Stop: title 1 played at rate 1 for `playSeconds`.
struct Playing {
    double toFirst = 0, toTitle = 0;
    Load idle{}, playing{};
    double serverPerSecond = 0;
    int from = 0, to = 0;
    Memory stopped;
};

void PlayTitleOne(Playing& run)
{
    Player player;
    ASSERT_TRUE(WaitFor([&] { return player.MainWindow() != nullptr; }));
    ControlBar bar(player);
    const std::wstring pid = UnixProcess("lumadisc", "WINEPREFIX");
    ASSERT_FALSE(pid.empty()) << "the player's Unix process is not in sight";
    // What playing costs the rest of the Wine session, beside the player.
    const std::wstring server = UnixProcess("wineserver", "WINEPREFIX");
    Sleep(1000);
    run.idle = Measure(pid, std::min(playSeconds, 3));

    const double pressed = ClickNow({ToolButtonRect(bar.ToolBar(), tbPlay).left + 8,
                                     Centre(ToolButtonRect(bar.ToolBar(), tbPlay)).y});
    // A disc whose first play leads straight into its title has no menu to choose it in.
    const auto menuOrTitle = [](const Capture& shot) { return MenuPicture(shot) || TitleOnePicture(shot); };
    run.toFirst = SecondsUntil(player, pressed, menuOrTitle);
    ASSERT_GT(run.toFirst, 0) << "no picture after Play";
    if (!TitleOnePicture(CaptureClient(RendererWindow(player)))) {
        Sleep(1000);
        const double chosen = ClickNow(PicturePoint(player.VideoWindow(), 360, 230));
        run.toTitle = SecondsUntil(player, chosen, TitleOnePicture);
        ASSERT_GT(run.toTitle, 0) << "title 1 shows no picture";
    }
    MoveVideoAside(player);

    Sleep(1000);
    run.from = bar.ElapsedSeconds();
    const double serverCpu = CpuSeconds(server), serverStart = Now();
    run.playing = Measure(pid, playSeconds);
    run.serverPerSecond = (CpuSeconds(server) - serverCpu) / (Now() - serverStart);
    run.to = bar.ElapsedSeconds();
    EXPECT_EQ(bar.SpeedText(), L"Speed: 1 x");
    bar.Press(tbStop);
    Sleep(1500);
    run.stopped = MemoryOf(pid);
    EXPECT_TRUE(player.Close());
}

// What sound adds in a pair of runs, one with it and one without, in CPU seconds per second.
struct SoundCost {
    double picture, added, platform, pin, serverAdded;
};

SoundCost CostOf(const Playing& sound, const Playing& silent)
{
    return {silent.playing.cpuPerSecond - silent.idle.cpuPerSecond,
            sound.playing.cpuPerSecond - silent.playing.cpuPerSecond, sound.playing.Spent(WineSoundThread),
            sound.playing.Spent([](const std::string& name) { return name == "lumanav Audio"; }),
            sound.serverPerSecond - silent.serverPerSecond};
}

void PrintCost(const char* what, const SoundCost& cost)
{
    const double rest = cost.added - cost.platform - cost.pin;
    std::printf("[ figures  ] %s: picture %.3f s per s over idle; sound adds %.3f, %.0f %% of it (aim below 10 %%): "
                "Wine's own sound threads (DirectSound mixer, ALSA timer) %.3f, %.0f %%; the audio pin's thread %.3f; "
                "the rest %.3f, %.0f %% (decoding, and the noise of the machine); wineserver %+.3f\n",
                what, cost.picture, cost.added, 100 * cost.added / cost.picture, cost.platform,
                100 * cost.platform / cost.picture, cost.pin, rest, 100 * rest / cost.picture, cost.serverAdded);
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

} // namespace

TEST(PlaybackBench, Rate1On720x576)
{
    // Runs with sound and without take turns, so that a machine whose load drifts weighs on both.
    std::vector<SoundCost> costs;
    Playing sound, silent;
    for (int pair = 0; pair < pairs; ++pair) {
        Playing withSound, without;
        PlayTitleOne(withSound);
        if (HasFatalFailure()) return;
        // The same again with the navigator told to leave the sound out of the graph.
        SetEnvironmentVariableW(L"LUMANAV_SOUND", L"off");
        PlayTitleOne(without);
        SetEnvironmentVariableW(L"LUMANAV_SOUND", nullptr);
        if (HasFatalFailure()) return;
        costs.push_back(CostOf(withSound, without));
        if (pair == 0) {
            sound = withSound;
            silent = without;
        }
    }

    std::printf("[ figures  ] Play to the first picture: %.3f s\n", sound.toFirst);
    if (sound.toTitle > 0) std::printf("[ figures  ] menu button to title 1's first picture: %.3f s\n", sound.toTitle);
    std::printf("[ figures  ] player CPU, idle:    %.3f s per s\n", sound.idle.cpuPerSecond);
    std::printf("[ figures  ] player CPU, playing: %.3f s per s over %d s (time label %d -> %d; aim below 0.2)\n",
                sound.playing.cpuPerSecond, playSeconds, sound.from, sound.to);
    std::printf("[ figures  ] player CPU without sound: %.3f s per s (time label %d -> %d)\n",
                silent.playing.cpuPerSecond, silent.from, silent.to);
    for (const auto* run : {&sound, &silent}) {
        std::printf("[ threads  ] %s:", run == &sound ? "with sound" : "without sound");
        for (const Thread& thread : run->playing.threads)
            if (thread.seconds >= 0.0005) std::printf(" %s %.4f;", thread.name.c_str(), thread.seconds);
        std::printf("\n");
    }
    std::printf("[ figures  ] wineserver CPU meanwhile: %.3f s per s with sound, %.3f without\n", sound.serverPerSecond,
                silent.serverPerSecond);
    for (size_t pair = 0; pair < costs.size(); ++pair)
        PrintCost(("pair " + std::to_string(pair + 1)).c_str(), costs[pair]);
    if (costs.size() > 1) {
        const auto median = [&](double SoundCost::*figure) {
            std::vector<double> values;
            for (const SoundCost& cost : costs) values.push_back(cost.*figure);
            return Median(values);
        };
        PrintCost(("medians of " + std::to_string(costs.size()) + " pairs").c_str(),
                  {median(&SoundCost::picture), median(&SoundCost::added), median(&SoundCost::platform),
                   median(&SoundCost::pin), median(&SoundCost::serverAdded)});
    }
    std::printf("[ figures  ] resident MiB, idle %.1f; playing %.1f at the start, %.1f at the end, at most %.1f "
                "(+%.1f over idle; aim within 40)\n",
                sound.idle.peak.workingSet, sound.playing.first.workingSet, sound.playing.last.workingSet,
                sound.playing.peak.workingSet, sound.playing.peak.workingSet - sound.idle.peak.workingSet);
    std::printf("[ figures  ] anonymous MiB, idle %.1f; playing %.1f at the start, %.1f at the end, at most %.1f\n",
                sound.idle.peak.anonymous, sound.playing.first.anonymous, sound.playing.last.anonymous,
                sound.playing.peak.anonymous);
    std::printf("[ figures  ] after Stop: resident %.1f MiB, anonymous %.1f MiB\n", sound.stopped.workingSet,
                sound.stopped.anonymous);
}

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    if (argc > 1) playSeconds = std::max(1, std::atoi(argv[1]));
    if (argc > 2) pairs = std::max(1, std::atoi(argv[2]));
    return RUN_ALL_TESTS();
}
