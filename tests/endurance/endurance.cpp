// Endurance: the player's graph component built, played, jumped and torn down again and again in
// one process, or one title played in a loop for a long time, with what the process holds printed
// as it goes. Prints figures; with --check, fails when they grew past generous bounds.
//
//   endurance cycles N DISC [--check]   N cycles on the sample disc's folder DISC
//   endurance loop SECONDS DISC         title 1 played over and over for SECONDS
//   endurance platform N -              N cycles of the platform's graph and sound renderer alone
#include "ProcessFigures.h"

#include "graph/FilterGraph.h"
#include "ui/Dialogs.h"
#include "ui/Form.h"
#include "video/VideoWindow.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <thread>
#include <vector>

using namespace endurance;

namespace {

constexpr DWORD kPatience = 20000;  // a step that takes longer than this is stuck

// What is being waited for, for the watchdog's report of a freeze.
std::atomic<const char*> step{"start"};
std::atomic<ULONGLONG> lastProgress{GetTickCount64()};

void progress(const char* what)
{
    step = what;
    lastProgress = GetTickCount64();
}

// A stuck process ends with the step it was stuck in rather than hanging its caller.
void startWatchdog()
{
    std::thread([] {
        for (;;) {
            Sleep(1000);
            if (GetTickCount64() - lastProgress > 3 * kPatience) {
                std::printf("FROZEN in step '%s'\n", step.load());
                std::fflush(stdout);
                ExitProcess(3);
            }
        }
    }).detach();
}

// Serves the thread's messages (the graph's events among them) until `done` answers true.
bool pumpUntil(const std::function<bool()>& done, DWORD milliseconds = kPatience)
{
    const ULONGLONG end = GetTickCount64() + milliseconds;
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (done()) return true;
        if (GetTickCount64() >= end) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    }
}

double seconds(const DVD_HMSF_TIMECODE& t, ULONG flags)
{
    const double rate = (flags & DVD_TC_FLAG_30fps) ? 30 : 25;
    return t.bHours * 3600.0 + t.bMinutes * 60.0 + t.bSeconds + t.bFrames / rate;
}

double wallSeconds()
{
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Where the navigator is: its domain, and in a title the title, chapter and the time of the
// picture last presented.
struct Place {
    DVD_DOMAIN domain{};
    ULONG title = 0, chapter = 0;
    double time = 0;
};

// The player's forms and graph component, kept for the whole run as the player keeps them; only
// the graph comes and goes.
class Player {
public:
    Player()
    {
        host_.Show();
        video_.SetFilterGraph(&graph_);
    }
    ~Player() { video_.SetFilterGraph(nullptr); }

    // As the player's Play button: the graph built on the volume and running.
    bool start(const std::wstring& volume)
    {
        graph_.SetMode(graph::gmDVD);
        graph_.SetActive(true);
        AM_DVD_RENDERSTATUS status{};
        if (graph_.RenderDVD(status, volume, AM_DVD_HWDEC_PREFER) != S_OK) return false;
        dvd_ = graph_.Get<IDvdControl2>();
        info_ = graph_.Get<IDvdInfo2>();
        graph_.PlayGraph();
        return true;
    }
    // As the player's Stop button.
    void stop()
    {
        dvd_.Reset();
        info_.Reset();
        graph_.ClearGraph();
        graph_.SetActive(false);
    }

    Place place() const
    {
        Place p;
        info_->GetCurrentDomain(&p.domain);
        DVD_PLAYBACK_LOCATION2 location{};
        if (p.domain == DVD_DOMAIN_Title && SUCCEEDED(info_->GetCurrentLocation(&location))) {
            p.title = location.TitleNum;
            p.chapter = location.ChapterNum;
            p.time = seconds(location.TimeCode, location.TimeCodeFlags);
        }
        return p;
    }
    bool waitForDomain(DVD_DOMAIN domain)
    {
        return pumpUntil([&] { return place().domain == domain; });
    }
    // Until the title's pictures were presented for a while from a time at or after `from`.
    bool waitForPictures(ULONG title, ULONG chapter, double from)
    {
        double first = -1;
        return pumpUntil([&] {
            const Place p = place();
            if (p.domain != DVD_DOMAIN_Title || p.title != title || (chapter && p.chapter != chapter) || p.time < from)
                return false;
            if (first < 0) first = p.time;
            return p.time >= first + 0.2;
        });
    }

    IDvdControl2& dvd() { return *dvd_.Get(); }
    graph::TFilterGraph& graph() { return graph_; }

private:
    static ui::FormDesign design()
    {
        ui::FormDesign d;
        d.caption = L"Endurance";
        d.clientWidth = 360;
        d.clientHeight = 288;
        return d;
    }

    graph::TFilterGraph graph_;
    ui::Form host_{design()};
    TVideoWindow video_{host_, {0, 0, 360, 288}};
    ComPtr<IDvdControl2> dvd_;
    ComPtr<IDvdInfo2> info_;
};

// Answers every box with its default and shows nothing: a long run must never wait for a click.
class SilentDialogs : public ui::DialogService {
public:
    SilentDialogs() { ui::SetDialogs(this); }
    ~SilentDialogs() override { ui::SetDialogs(nullptr); }
    int MessageBox(HWND, const std::wstring& text, const std::wstring&, UINT) override
    {
        std::printf("box: %ls\n", text.c_str());
        return IDOK;
    }
    bool OpenFile(HWND, ui::OpenFileRequest&) override { return false; }
    UINT TrackPopupMenu(HMENU, POINT, HWND) override { return 0; }
    int ShowModal(ui::Form&) override { return ui::mrCancel; }
};

// One cycle: play title 1 until pictures show, jump, see pictures from the new place, tear down.
// The jumps take turns: a chapter, a time, and the title set's menu with its button into chapter 3.
bool cycle(Player& player, const std::wstring& volume, int number)
{
    progress("building the graph");
    if (!player.start(volume)) return false;
    IDvdControl2& dvd = player.dvd();
    bool ok = (progress("first play into the menu"), player.waitForDomain(DVD_DOMAIN_VideoManagerMenu)) &&
              SUCCEEDED(dvd.PlayTitle(1, DVD_CMD_FLAG_Flush, nullptr)) &&
              (progress("title 1 playing"), player.waitForPictures(1, 1, 0));
    if (ok) {
        switch (number % 3) {
        case 0:
            ok = SUCCEEDED(dvd.PlayChapterInTitle(1, 3, DVD_CMD_FLAG_Flush, nullptr)) &&
                 (progress("chapter 3 after a chapter jump"), player.waitForPictures(1, 3, 16));
            break;
        case 1: {
            DVD_HMSF_TIMECODE at{0, 0, 20, 0};
            ok = SUCCEEDED(dvd.PlayAtTime(&at, DVD_CMD_FLAG_Flush, nullptr)) &&
                 (progress("pictures after a time search"), player.waitForPictures(1, 0, 20));
            break;
        }
        default:
            ok = SUCCEEDED(dvd.ShowMenu(DVD_MENU_Root, DVD_CMD_FLAG_Flush, nullptr)) &&
                 (progress("the title set's menu"), player.waitForDomain(DVD_DOMAIN_VideoTitleSetMenu)) &&
                 SUCCEEDED(dvd.SelectAndActivateButton(1)) &&
                 (progress("chapter 3 from the title set's menu"), player.waitForPictures(1, 3, 16));
            break;
        }
    }
    if (!ok) std::printf("cycle %d: stuck at '%s' (domain %d)\n", number, step.load(), player.place().domain);
    progress("tearing down");
    player.stop();
    return ok;
}

// The last figure may exceed the first by this much before --check fails.
struct Bounds {
    long handles = 100, gdiObjects = 50, userObjects = 10, threads = 3;
    double privateMiB = 64;
};

bool within(const ProcessFigures& first, const ProcessFigures& last, const Bounds& b)
{
    return last.handles - first.handles <= b.handles && last.gdiObjects - first.gdiObjects <= b.gdiObjects &&
           last.userObjects - first.userObjects <= b.userObjects && last.threads - first.threads <= b.threads &&
           last.privateMiB - first.privateMiB <= b.privateMiB;
}

// Runs `once` after a warm-up of two runs, printing the figures at 0, 100, 1000 and the last.
int repeat(int count, bool check, const std::function<bool(int)>& once)
{
    for (int warm = 0; warm < 2; ++warm)
        if (!once(warm)) return 1;
    const ProcessFigures first = measureProcess();
    printFigures(stdout, "cycle 0", first);
    ProcessFigures last = first;
    int failures = 0;
    const double began = wallSeconds();
    for (int n = 1; n <= count; ++n) {
        if (!once(n)) ++failures;
        if (n == 100 || n == 1000 || n == count) {
            last = measureProcess();
            char label[32];
            std::snprintf(label, sizeof label, "cycle %d", n);
            printFigures(stdout, label, last);
        }
    }
    std::printf("%d cycles in %.0f s, %d stuck\n", count, wallSeconds() - began, failures);
    if (!check) return failures ? 1 : 0;
    const bool flat = within(first, last, Bounds{});
    if (!flat) std::printf("FAILED: the process grew past its bounds\n");
    return failures || !flat ? 1 : 0;
}

int cycles(int count, const std::wstring& volume, bool check)
{
    Player player;
    return repeat(count, check, [&](int n) { return cycle(player, volume, n); });
}

// How far the pictures of one pass through a title fell behind wall time. A poll reads the time
// of the picture last presented, up to a frame behind the wall, and a pass's first poll comes in
// step with its restart: summing a pass's steps would count up to a frame of that lateness at
// each end as drift. The least of (wall - title time) over many polls is, within a millisecond,
// where the pictures came due; compared early and late in the pass, it tells the drift.
class PassDrift {
public:
    void add(double title, double wall)
    {
        polls_.push_back({title, wall - title});
        latest_ = std::max(latest_, title);
    }
    // The drift of the pass ended, when it was long enough to tell; the next pass begins.
    std::optional<double> end()
    {
        std::optional<double> drift;
        if (latest_ - kSettled >= 2 * kWindow) drift = dueAt(latest_ - kWindow) - dueAt(kSettled);
        polls_.clear();
        latest_ = 0;
        return drift;
    }

private:
    // Until the first picture of a pass shows, the time told stands at its start.
    static constexpr double kSettled = 2, kWindow = 8;
    struct Poll {
        double title, offset;
    };
    double dueAt(double from) const
    {
        double least = std::numeric_limits<double>::max();
        for (const Poll& p : polls_)
            if (p.title >= from && p.title <= from + kWindow) least = std::min(least, p.offset);
        return least;
    }
    std::vector<Poll> polls_;
    double latest_ = 0;
};

// Title 1 over and over, with the drift of its pictures against wall time pass by pass (the way
// from the title's end through the menu back to its start is left out) and the drift of the
// graph's clock against wall time over the whole run.
int loop(double duration, const std::wstring& volume)
{
    Player player;
    progress("building the graph");
    if (!player.start(volume) || !player.waitForDomain(DVD_DOMAIN_VideoManagerMenu)) return 1;
    ComPtr<IReferenceClock> clock;
    if (const auto filter = player.graph().Query<IMediaFilter>()) filter->GetSyncSource(&clock);
    const auto clockSeconds = [&] {
        REFERENCE_TIME t = 0;
        if (clock) clock->GetTime(&t);
        return static_cast<double>(t) / 1e7;
    };
    const double wallStart = wallSeconds(), clockStart = clockSeconds();
    double drift = 0, worst = 0, nextReport = 0;
    PassDrift pass;
    Place last;
    int passes = 0, measured = 0;
    std::printf("%8s %7s %12s %12s\n", "minutes", "passes", "drift ms", "clock ms");
    while (wallSeconds() - wallStart < duration) {
        pumpUntil([] { return false; }, 50);
        const Place p = player.place();
        const double now = wallSeconds();
        if (p.domain != DVD_DOMAIN_Title) {
            if (last.domain == DVD_DOMAIN_Title || passes == 0) {
                if (const std::optional<double> d = pass.end()) {
                    drift += *d;
                    worst = std::max(worst, std::abs(*d));
                    ++measured;
                }
                ++passes;
                player.dvd().PlayTitle(1, DVD_CMD_FLAG_Flush, nullptr);
            }
        } else {
            pass.add(p.time, now);
            if (last.domain == DVD_DOMAIN_Title && p.time != last.time) progress("playing");
        }
        last = p;
        if (now - wallStart >= nextReport) {
            std::printf("%8.1f %7d %12.1f %12.1f\n", (now - wallStart) / 60, passes, drift * 1000,
                        ((clockSeconds() - clockStart) - (now - wallStart)) * 1000);
            char label[32];
            std::snprintf(label, sizeof label, "%.0f min", (now - wallStart) / 60);
            printFigures(stdout, label, measureProcess());
            nextReport += duration >= 600 ? 300 : 60;
        }
    }
    printFigures(stdout, "end", measureProcess());
    std::printf("%d passes, %d measured: pictures behind wall time by %.1f ms in all, %.2f ms per pass, "
                "%.1f ms at most in one\n",
                passes, measured, drift * 1000, measured ? drift * 1000 / measured : 0.0, worst * 1000);
    player.stop();
    return 0;
}

// The platform's objects alone, as the DVD graph uses them: the filter graph manager made and
// let go, and the DirectSound renderer made, its clock asked for one wake-up, and let go.
int platformCycles(int count)
{
    return repeat(count, false, [&](int) {
        progress("the platform's objects");
        ComPtr<IFilterGraph2> graph;
        ComPtr<IReferenceClock> clock;
        if (FAILED(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&graph))) ||
            FAILED(CoCreateInstance(CLSID_DSoundRender, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&clock))))
            return false;
        const HANDLE woken = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        REFERENCE_TIME now = 0;
        DWORD_PTR cookie = 0;
        clock->GetTime(&now);
        const bool ok = SUCCEEDED(clock->AdviseTime(now, 10000, reinterpret_cast<HEVENT>(woken), &cookie)) &&
                        WaitForSingleObject(woken, kPatience) == WAIT_OBJECT_0;
        CloseHandle(woken);
        return ok;
    });
}

std::wstring wide(const char* text)
{
    std::wstring result;
    for (; *text; ++text) result += *text == '/' ? L'\\' : static_cast<wchar_t>(static_cast<unsigned char>(*text));
    return result;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: endurance cycles N DISC [--check] | loop SECONDS DISC | platform N -\n");
        return 2;
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    SilentDialogs dialogs;
    startWatchdog();
    const std::string mode = argv[1];
    const double amount = std::atof(argv[2]);
    const std::wstring path = wide(argv[3]);
    int result = 2;
    try {
        if (mode == "cycles") result = cycles(static_cast<int>(amount), path, argc > 4 && !std::strcmp(argv[4], "--check"));
        if (mode == "loop") result = loop(amount, path);
        if (mode == "platform") result = platformCycles(static_cast<int>(amount));
    } catch (const std::exception& error) {
        std::printf("failed: %s\n", error.what());
        result = 1;
    }
    CoUninitialize();
    return result;
}
