// What the screen shows while a disc plays at rate 1: the band of frame-number marks along the
// top of the picture read from the screen as fast as it will go (a GDI read of the screen is,
// under Wine, a read of what the X server shows), the distinct pictures a second, the numbers
// they carry and how long each stood; the time from Play to the second picture; and the CPU the
// player (with Wine's server) or another program spent a second meanwhile.
// Usage: picture_rate player SECONDS RATE [FIELDS]
//            the player plays drive D: from its Play button
//        picture_rate region X Y W H SECONDS RATE [FIELDS] GOFILE PIDFILE
//            whatever shows in the rectangle (another player), timed from the moment GOFILE is
//            made; its CPU from the Unix process whose id PIDFILE holds, once it does
// With LUMADISC_PICTURES_FULL_SCREEN set, the player's picture is measured full screen.
// RATE: the pictures a second the disc has to show; FIELDS: its field rate, when each picture
// must stand for two or three fields (film with its 3:2 cadence): those that stood longer or
// shorter by more than the time between two looks are counted, beside another program's on a
// display with no refresh of its own. With LUMADISC_PICTURES_CHECK set, exits 1 when fewer than
// 0.97 of RATE are shown. With LUMADISC_SOUND_FILE naming the file the capture device writes
// (tests/e2e/alsa-capture.conf), every picture and the sound are asked for: the player's sound
// over the same time is measured too, and the check also fails where a picture is seen for a
// tenth of a second or more, or the discs' tone is broken or falls short of that time.
#include "../ControlBar.h"
#include "UnixProcess.h"

#include "../../media/support/FrameMarks.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <vector>

using namespace e2e;

namespace {

double Now()
{
    LARGE_INTEGER count, frequency;
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return double(count.QuadPart) / double(frequency.QuadPart);
}

struct Look {
    double time;
    unsigned long long hash;
    int number; // -1 where the marks cannot be read (a woven frame with motion, a menu)
};

// Reads the band of the screen rectangle's picture that holds the marks, over and over.
class BandReader {
public:
    explicit BandReader(RECT picture)
        : left_(picture.left), top_(picture.top), width_(picture.right - picture.left),
          height_(std::max(16L, (picture.bottom - picture.top) / 6))
    {
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = width_;
        info.bmiHeader.biHeight = -height_;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        screen_ = GetDC(nullptr);
        memory_ = CreateCompatibleDC(screen_);
        bitmap_ = CreateDIBSection(screen_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
        old_ = SelectObject(memory_, bitmap_);
    }
    ~BandReader()
    {
        SelectObject(memory_, old_);
        DeleteObject(bitmap_);
        DeleteDC(memory_);
        ReleaseDC(nullptr, screen_);
    }
    BandReader(const BandReader&) = delete;
    BandReader& operator=(const BandReader&) = delete;

    Look Read()
    {
        BitBlt(memory_, 0, 0, width_, height_, screen_, left_, top_, SRCCOPY);
        GdiFlush();
        const double time = Now();
        const size_t bytes = size_t(width_) * height_ * 4;
        unsigned long long hash = 1469598103934665603ull;
        for (size_t i = 0; i < bytes; ++i) hash = (hash ^ bits_[i]) * 1099511628211ull;
        // The marks reader wants the whole picture's proportions: the band is its top sixth, the
        // blocks and the patch below them.
        const auto marks = mediatest::readFrameMarks(bits_, width_ * 4, width_, height_ * 6);
        return {time, hash, marks ? marks->frame : -1};
    }

private:
    int left_, top_, width_, height_;
    HDC screen_, memory_;
    HBITMAP bitmap_;
    HGDIOBJ old_;
    unsigned char* bits_ = nullptr;
};

// Every 4 ms: finer than any field, and leaving the machine to the player. With `pictures`, stops
// once that many numbered pictures have followed the one shown before.
void ReadFor(BandReader& reader, double seconds, std::vector<Look>& looks, int pictures = 0)
{
    const double start = Now();
    int numbered = 0, last = looks.empty() ? -1 : looks.back().number;
    for (int i = 1; Now() < start + seconds; ++i) {
        looks.push_back(reader.Read());
        const int number = looks.back().number;
        if (number >= 0 && number != last && ++numbered == pictures) return;
        if (number >= 0) last = number;
        while (Now() < start + i * 0.004) Sleep(1);
    }
}

std::vector<Look> Record(RECT picture, double seconds)
{
    BandReader reader(picture);
    std::vector<Look> looks;
    ReadFor(reader, seconds, looks);
    return looks;
}

// A distinct picture: when it first and last showed, and the number it carries.
struct Shown {
    double since, until;
    int number;
};

std::vector<Shown> Pictures(const std::vector<Look>& looks)
{
    std::vector<Shown> shown;
    for (size_t i = 0; i < looks.size(); ++i)
        if (i == 0 || looks[i].hash != looks[i - 1].hash) shown.push_back({looks[i].time, looks[i].time, looks[i].number});
        else shown.back().until = looks[i].time;
    return shown;
}

struct Figures {
    double looksPerSecond = 0, perSecond = 0, shortestMs = 0, longestMs = 0;
    long skipped = 0, again = 0, unread = 0, outside = 0, frozen = 0;
};

// A picture seen on screen this long stood out as a jerk: five pictures' time at 50 a second. Only
// what was seen counts, so that a pause of the looking itself does not.
constexpr double frozenSeconds = 0.1;

// The first and last pictures stood for longer than was looked at: only those between count.
Figures Measure(const std::vector<Look>& looks, double fieldRate)
{
    Figures f;
    const std::vector<Shown> shown = Pictures(looks);
    if (shown.size() < 3) return f;
    const double span = shown.back().since - shown.front().since;
    f.looksPerSecond = looks.size() / (looks.back().time - looks.front().time);
    f.perSecond = (shown.size() - 2) / span;
    f.shortestMs = 1e9;
    int last = -1;
    const double look = 1 / f.looksPerSecond;
    for (size_t i = 1; i + 1 < shown.size(); ++i) {
        const double stood = shown[i + 1].since - shown[i].since;
        f.shortestMs = std::min(f.shortestMs, stood * 1000);
        f.longestMs = std::max(f.longestMs, stood * 1000);
        f.frozen += shown[i].until - shown[i].since >= frozenSeconds;
        // Two or three fields, give or take the time between two looks.
        if (fieldRate > 0 && (stood < 2 / fieldRate - look || stood > 3 / fieldRate + look)) ++f.outside;
        const int number = shown[i].number;
        if (number < 0) {
            ++f.unread;
            continue;
        }
        if (last >= 0 && number > last + 1) f.skipped += number - last - 1;
        if (last >= 0 && number < last) ++f.again;  // the two fields of a frame carry its number
        last = number;
    }
    return f;
}

// From `since`: when the second numbered picture showed, and how long the first stood (a window
// that opens black, or the picture of before, does not count).
struct Start {
    double secondMs = -1, firstStoodMs = -1;
};

Start StartOf(const std::vector<Look>& looks, double since)
{
    Start start;
    std::vector<double> changes;
    int last = -1;  // the picture of before stays until a new one shows
    for (const Look& look : looks) {
        if (look.time < since) {
            last = look.number;
            continue;
        }
        if (look.number < 0 || look.number == last) continue;
        last = look.number;
        changes.push_back(look.time);
        if (changes.size() == 2) break;
    }
    if (changes.size() == 2) {
        start.secondMs = (changes[1] - since) * 1000;
        start.firstStoodMs = (changes[1] - changes[0]) * 1000;
    }
    return start;
}

// The player's sound while the pictures were counted, from the file the capture device writes
// (16-bit stereo at 48 kHz after a WAV header). That device keeps no time: finding it always
// empty, Wine's sound driver writes silence between the buffers the player sends, so the file
// holds the player's sound in order with runs of exact zeros between. Without those, the discs'
// steady 440 Hz tone must run on unbroken: sound the player lost, or sent silence in place of,
// breaks it where the tone resumes out of phase. Each frame of a sine follows from the two before.
class SoundCapture {
public:
    SoundCapture() : path_(std::getenv("LUMADISC_SOUND_FILE") ? EnvPath("LUMADISC_SOUND_FILE") : L""), from_(Size()) {}

    bool Wanted() const { return !path_.empty(); }

    struct Tone {
        double seconds = 0;
        long breaks = 0;
        // The largest jump of the tone's phase at a break, as time within its turn: a few frames
        // slipped where the sound was joined, or the time lost there, give or take whole turns.
        double jumpMs = 0;
    };
    Tone Measure() const
    {
        constexpr long header = 44, rate = 48000;
        constexpr size_t driverSilence = 24;  // frames of exact zeros; the tone has a few at most
        const long to = Size();
        Tone tone;
        FILE* file = _wfopen(path_.c_str(), L"rb");
        if (!file) return tone;
        const long from = header + (std::max(from_, header) - header) / 4 * 4;
        std::fseek(file, from, SEEK_SET);
        std::vector<short> frames(size_t(std::max(0L, to - from)) / 2);
        frames.resize(std::fread(frames.data(), 4, frames.size() / 2, file) * 2);
        std::fclose(file);
        const size_t count = frames.size() / 2;
        const auto silent = [&](size_t i) { return frames[2 * i] == 0 && frames[2 * i + 1] == 0; };
        std::vector<double> left;
        for (size_t i = 0; i < count;) {
            size_t end = i;
            while (end < count && silent(end)) ++end;
            if (end - i >= driverSilence) i = end;
            for (; i <= end && i < count; ++i) left.push_back(frames[2 * i]);
        }
        double amplitude = 0;
        for (double v : left) amplitude = std::max(amplitude, std::fabs(v));
        if (amplitude < 1000) return tone;
        const double turn = 2 * 3.14159265358979, step = turn * 440 / rate, twice = 2 * std::cos(step);
        // The phase of the tone at a frame, from it and the next.
        const auto phase = [&](size_t i) { return std::atan2(left[i] * std::sin(step), left[i + 1] - left[i] * std::cos(step)); };
        bool broken = false;
        for (size_t i = 2; i + 1 < left.size(); ++i) {
            // A break: a frame a twentieth of the amplitude or more off the sine the two before it follow.
            const bool off = std::fabs(left[i] - twice * left[i - 1] + left[i - 2]) > 0.05 * amplitude;
            if (off && !broken) {
                ++tone.breaks;
                const double jump = std::remainder(phase(i) - phase(i - 2) - 2 * step, turn) / step;
                tone.jumpMs = std::max(tone.jumpMs, std::fabs(jump) * 1000 / rate);
            }
            broken = off;
        }
        tone.seconds = double(left.size()) / rate;
        return tone;
    }

private:
    long Size() const
    {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        return Wanted() && GetFileAttributesExW(path_.c_str(), GetFileExInfoStandard, &data) ? long(data.nFileSizeLow) : 0;
    }

    std::wstring path_;
    long from_;
};

int Report(const char* who, const Figures& f, double rate, double fieldRate, const Start& start, double cpu)
{
    std::printf("%-7s %6.2f pictures/s of %.3f (%.3f), read %5.1f times/s; numbers skipped %ld, again %ld, "
                "unreadable %ld; stands %.0f-%.0f ms, "
                "%ld seen for %.1f s or more",
                who, f.perSecond, rate, f.perSecond / rate, f.looksPerSecond, f.skipped, f.again, f.unread,
                f.shortestMs, f.longestMs, f.frozen, frozenSeconds);
    if (fieldRate > 0) std::printf(", %ld outside 2-3 fields", f.outside);
    std::printf("; second picture %.0f ms after start (first stood %.0f ms); CPU %.3f/s\n", start.secondMs,
                start.firstStoodMs, cpu);
    std::fflush(stdout);
    if (!std::getenv("LUMADISC_PICTURES_CHECK")) return 0;
    // Both players meet a rare stand of the display's own here: the rate is what the plain run asks.
    const bool everyPicture = std::getenv("LUMADISC_SOUND_FILE") != nullptr;
    return f.perSecond >= 0.97 * rate && (!everyPicture || f.frozen == 0) ? 0 : 1;
}

RECT ScreenRectOf(HWND window)
{
    RECT client{};
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    return client;
}

int MeasurePlayer(double seconds, double rate, double fieldRate)
{
    Player player;
    ControlBar bar(player);
    bar.Press(tbPlay);
    HWND renderer = nullptr;
    WaitFor([&] {
        renderer = RendererWindow(player);
        if (!renderer || !IsWindowVisible(renderer)) return false;
        const Capture shot = CaptureClient(renderer);
        return mediatest::readFrameMarks(shot.bgra.data(), shot.width * 4, shot.width, shot.height).has_value();
    }, 20000);
    if (!renderer) {
        std::printf("player  no picture\n");
        return 1;
    }
    // The window opens at its own size and takes the picture's once the title is known: on a
    // busy machine the first pictures show before that.
    RECT picture = ScreenRectOf(renderer);
    for (RECT was{}; !EqualRect(&was, &picture); picture = ScreenRectOf(renderer)) {
        was = picture;
        Sleep(1000);
    }
    if (std::getenv("LUMADISC_PICTURES_FULL_SCREEN")) {
        // Double-clicked, the picture takes the screen's width at its shape, between black bars.
        DoubleClick({(picture.left + picture.right) / 2, (picture.top + picture.bottom) / 2});
        const LONG width = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
        WaitFor([&] { return ScreenRectOf(RendererWindow(player)).right == width; });
        Sleep(1000);
        const LONG height = width * (picture.bottom - picture.top) / (picture.right - picture.left);
        picture = {0, (screenHeight - height) / 2, width, (screenHeight + height) / 2};
    }
    // Where another program is to show the same disc at the same size.
    std::printf("picture at %ld %ld %ld %ld\n", picture.left, picture.top, picture.right - picture.left,
                picture.bottom - picture.top);
    const std::wstring pid = UnixProcess("lumadisc", "WINEPREFIX"), server = UnixProcess("wineserver", "WINEPREFIX");
    const double cpu = CpuSeconds(pid) + CpuSeconds(server), from = Now();
    const SoundCapture sound;
    const std::vector<Look> looks = Record(picture, seconds);
    const double cpuPerSecond = (CpuSeconds(pid) + CpuSeconds(server) - cpu) / (Now() - from);
    const double counted = Now() - from;
    const SoundCapture::Tone tone = sound.Measure();
    // A new start: Stop, then Play, watched from before the click. The picture may have grown
    // over the control bar: the bar comes to the front first, so that the presses land on it.
    SetWindowPos(bar.Window(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    bar.Press(tbStop);
    Sleep(1000);
    BandReader reader(picture);
    std::vector<Look> starting;
    starting.push_back(reader.Read());
    const double play = Now();
    bar.Press(tbPlay);
    ReadFor(reader, 10, starting, 2);
    // Started again, the title counts from its first frames: numbers that went on from before
    // the Stop mean the presses never reached the player, and the start was not measured.
    const int before = looks.empty() ? -1 : looks.back().number;
    const bool restarted = std::any_of(starting.begin() + 1, starting.end(),
                                       [&](const Look& look) { return look.number >= 0 && look.number < before; });
    int verdict = Report("player", Measure(looks, fieldRate), rate, fieldRate,
                         restarted ? StartOf(starting, play) : Start{}, cpuPerSecond);
    if (!restarted) {
        std::printf("player  did not start again after Stop and Play\n");
        if (std::getenv("LUMADISC_PICTURES_CHECK")) verdict = 1;
    }
    if (sound.Wanted()) {
        std::printf("sound   %.2f s of the tone in %.2f s of counting, broken %ld times, its phase jumping %.2f ms "
                    "at most\n", tone.seconds, counted, tone.breaks, tone.jumpMs);
        // Sound lost jumps the phase anywhere within the tone's turn of 2.3 ms: the check lets a
        // slip of ten frames (0.2 ms) pass, and so misses one lost stretch in six; a quarter of a
        // second lost shows in the time heard too.
        if (std::getenv("LUMADISC_PICTURES_CHECK") && (tone.seconds < counted - 0.25 || tone.jumpMs > 0.2)) verdict = 1;
    }
    player.Close();
    return verdict;
}

int MeasureRegion(RECT picture, double seconds, double rate, double fieldRate, const std::string& go,
                  const std::string& pidFile)
{
    BandReader reader(picture);
    std::vector<Look> starting{reader.Read()};
    const double start = Now();
    if (FILE* file = std::fopen(go.c_str(), "wb")) std::fclose(file);
    ReadFor(reader, 10, starting, 2);
    std::string pid = ReadAll(std::wstring(pidFile.begin(), pidFile.end()));
    while (!pid.empty() && (pid.back() == '\n' || pid.back() == ' ')) pid.pop_back();
    const std::wstring unixPid(pid.begin(), pid.end());
    const double cpu = CpuSeconds(unixPid), from = Now();
    const std::vector<Look> looks = Record(picture, seconds);
    const double cpuPerSecond = (CpuSeconds(unixPid) - cpu) / (Now() - from);
    return Report("other", Measure(looks, fieldRate), rate, fieldRate, StartOf(starting, start), cpuPerSecond);
}

} // namespace

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    const auto number = [&](size_t i) { return i < args.size() ? std::atof(args[i].c_str()) : 0.0; };
    // Thrown out of main, an error would leave the player running, and with it the output the
    // caller waits to end.
    if (args.size() >= 3 && args[0] == "player") try {
        return MeasurePlayer(number(1), number(2), number(3));
    } catch (const std::exception& error) {
        std::printf("player  %s\n", error.what());
        return 1;
    }
    if (args.size() >= 10 && args[0] == "region") {
        const RECT picture{LONG(number(1)), LONG(number(2)), LONG(number(1) + number(3)), LONG(number(2) + number(4))};
        return MeasureRegion(picture, number(5), number(6), number(7), args[8], args[9]);
    }
    std::fprintf(stderr, "usage: picture_rate player SECONDS RATE [FIELDS]\n"
                         "       picture_rate region X Y W H SECONDS RATE FIELDS GOFILE PIDFILE\n");
    return 2;
}
