// The disc's own sound under Wine, in the platform's graph with its DirectSound renderer:
// what the audio pin delivers, seen through a sample grabber in front of the renderer.
#include "DiscSession.h"
#include "PinTap.h"
#include "PlaybackTest.h"
#include "SampleProducers.h"
#include "Transport.h"
#include "VolumeLocator.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <utility>
#include <string>

namespace navtest {
namespace {

constexpr REFERENCE_TIME second = 10000000;

// The codings disc: a title set per coding, every stream a tone of its own.
class Sound : public Playback {
protected:
    Sound() { discName = L"codings"; }

    void SetUp() override
    {
        Playback::SetUp();
        if (HasFatalFailure()) return;
        audio = std::make_unique<PinTap>(*playback, L"Audio");
        // Of each picture, its bottom-left pixel (the buffer is bottom-up).
        pictures = std::make_unique<PinTap>(*playback, L"Video", 4);
        ASSERT_TRUE(audio->ready() && pictures->ready());
        ASSERT_TRUE(SUCCEEDED(playback->control->Run()));
    }

    void TearDown() override
    {
        audio.reset();
        pictures.reset();
        Playback::TearDown();
    }

    // Stream time now, give or take a frame: pictures go downstream a frame ahead of the clock.
    REFERENCE_TIME streamNow() const
    {
        const auto shown = pictures->samples();
        return shown.empty() ? 0 : shown.back().start;
    }

    // The tone of the sound delivered for the half second of stream time before `until`.
    double toneBefore(REFERENCE_TIME until) const
    {
        return toneFrequency(leftChannel(audio->samples(), until - second / 2, until));
    }

    // A command played through, after what leads up to it: the sound is told from the command on.
    struct Step {
        const char* what;
        std::function<void()> command;
        std::function<void()> before = [] {};
    };
    // The navigator's pause holds the sound sent ahead, and there is none at other speeds: both
    // come back with the pictures.
    std::vector<Step> pauseAndTrickPlay()
    {
        return {{"resume after a pause", [&] { EXPECT_EQ(S_OK, dvd->Pause(FALSE)); },
                 [&] {
                     EXPECT_EQ(S_OK, dvd->Pause(TRUE));
                     pumpMessages(1000);
                 }},
                {"back to 1 from forward 4", [&] { EXPECT_EQ(S_OK, dvd->PlayForwards(1.0, DVD_CMD_FLAG_None, nullptr)); },
                 [&] {
                     EXPECT_EQ(S_OK, dvd->PlayForwards(4.0, DVD_CMD_FLAG_None, nullptr));
                     pumpMessages(1500);
                 }}};
    }

    std::unique_ptr<PinTap> audio;
    std::unique_ptr<PinTap> pictures;
};

TEST_F(Sound, EveryCodingSoundsItsToneContinuouslyForTheTimePlayed)
{
    struct Stream {
        int title, stream;
        double hertz;
    };
    // AC-3 5.1 and stereo, MPEG layer 2, LPCM 16-bit 48 kHz and 24-bit 96 kHz, DTS, LPCM in six
    // channels.
    for (const Stream s : {Stream{1, 0, 440}, {1, 1, 550}, {2, 0, 660}, {3, 0, 770}, {3, 1, 880}, {4, 0, 990}, {5, 0, 935}}) {
        SCOPED_TRACE(testing::Message() << "title " << s.title << " stream " << s.stream);
        ASSERT_EQ(S_OK, dvd->PlayTitle(s.title, DVD_CMD_FLAG_Flush, nullptr));
        ASSERT_EQ(S_OK, dvd->SelectAudioStream(s.stream, DVD_CMD_FLAG_None, nullptr));
        pumpMessages(800);
        audio->clear();
        const REFERENCE_TIME clockFrom = playback->clockTime();
        pumpMessages(1200);
        const REFERENCE_TIME clockTo = playback->clockTime();
        const std::vector<TappedSample> got = audio->samples();
        ASSERT_GT(got.size(), 10u);

        // One unbroken run of sound...
        REFERENCE_TIME covered = 0;
        for (std::size_t i = 0; i < got.size(); ++i) {
            const REFERENCE_TIME length = static_cast<REFERENCE_TIME>(framesOf(got[i])) * second / soundRate;
            EXPECT_LE(std::llabs(length - (got[i].stop - got[i].start)), second / soundRate) << "sample " << i;
            if (i > 0) {
                EXPECT_LE(std::llabs(got[i].start - got[i - 1].stop), second / 1000) << "gap before sample " << i;
            }
            covered += length;
        }
        // ...going out as fast as the clock runs. Each sample leaves a lead ahead of the clock, so
        // how far its start lies ahead of its leaving holds steady. The sound delivered within a
        // stretch of clock would not tell: it swings by a buffer with where the stretch falls.
        const auto typicalAhead = [&](std::size_t from, std::size_t to) {
            std::vector<REFERENCE_TIME> ahead;
            for (std::size_t i = from; i < to; ++i) ahead.push_back(got[i].start - got[i].arrived);
            std::nth_element(ahead.begin(), ahead.begin() + ahead.size() / 2, ahead.end());
            return ahead[ahead.size() / 2];
        };
        const std::size_t third = got.size() / 3;
        const REFERENCE_TIME drift = typicalAhead(got.size() - third, got.size()) - typicalAhead(0, third);
        EXPECT_LT(std::llabs(drift), second / 50);

        const double hertz = toneBefore(got.back().stop);
        std::printf("[ figures  ] title %d stream %d: %.1f Hz, %.2f s of sound in %.2f s of clock, lead drifting %+.3f s\n",
                    s.title, s.stream, hertz, streamSeconds(covered), streamSeconds(clockTo - clockFrom), streamSeconds(drift));
        EXPECT_NEAR(hertz, s.hertz, s.hertz * 0.02);
    }
}

TEST_F(Sound, AStreamChangeIsHeardWithinHalfASecond)
{
    ASSERT_EQ(S_OK, dvd->PlayTitle(1, DVD_CMD_FLAG_Flush, nullptr));
    pumpMessages(1000);
    const REFERENCE_TIME asked = streamNow();
    ASSERT_NEAR(toneBefore(asked), 440, 9);
    ASSERT_EQ(S_OK, dvd->SelectAudioStream(1, DVD_CMD_FLAG_None, nullptr));
    pumpMessages(1200);

    // The first 40 ms stretch with the new tone in it, from the moment asked on.
    const std::vector<TappedSample> got = audio->samples();
    std::optional<REFERENCE_TIME> heard;
    for (REFERENCE_TIME at = asked; at < got.back().stop && !heard; at += second / 100) {
        const double hertz = toneFrequency(leftChannel(got, at, at + second / 25));
        if (std::fabs(hertz - 550) < 30) heard = at;
    }
    ASSERT_TRUE(heard) << "the new stream is never heard";
    std::printf("[ figures  ] new stream heard %.2f s after it was chosen\n", streamSeconds(*heard - asked));
    EXPECT_LT(*heard - asked, second / 2);
    EXPECT_NEAR(toneBefore(got.back().stop), 550, 11);
}

// The sync disc: a white frame and a 40 ms beep at the start of every second.
// tools/sync-bench.sh plays its ten-minute twin through this test (LUMANAV_SYNC_DISC and
// LUMANAV_SYNC_SECONDS).
class SoundSync : public Sound {
protected:
    SoundSync() { discName = syncDisc.c_str(); }

    static std::wstring setting(const wchar_t* name, const wchar_t* otherwise)
    {
        wchar_t value[64] = {};
        const DWORD length = GetEnvironmentVariableW(name, value, 64);
        return length > 0 && length < 64 ? value : otherwise;
    }

    const std::wstring syncDisc = setting(L"LUMANAV_SYNC_DISC", L"sync");
    const int seconds = syncSeconds();
};

// Where each stretch of sound or light begins, on the line of stream time.
std::vector<REFERENCE_TIME> flashes(const std::vector<TappedSample>& pictures)
{
    std::vector<REFERENCE_TIME> starts;
    bool lit = false;
    for (const TappedSample& p : pictures) {
        const bool now = p.bytes.size() >= 4 && p.bytes[1] > 128;  // green of the bottom-left pixel
        if (now && !lit) starts.push_back(p.start);
        lit = now;
    }
    return starts;
}

std::vector<REFERENCE_TIME> beeps(const std::vector<TappedSample>& sound)
{
    std::vector<REFERENCE_TIME> starts;
    std::optional<REFERENCE_TIME> lastLoud;
    for (const TappedSample& s : sound) {
        for (std::size_t i = 0; i < framesOf(s); ++i) {
            std::int16_t left = 0;
            std::memcpy(&left, &s.bytes[i * 4], 2);
            if (std::abs(left) < 4000) continue;
            const REFERENCE_TIME at = s.start + static_cast<REFERENCE_TIME>(i) * second / soundRate;
            // Beeps last 40 ms; after a jump the next may follow the last well within a second.
            if (!lastLoud || at - *lastLoud > second / 10) starts.push_back(at);
            lastLoud = at;
        }
    }
    return starts;
}

// Each flash's beep: beep minus flash in seconds, for the flashes from `from` on; a flash
// without a beep within half a second counts as half a second out.
std::vector<double> inStep(const std::vector<TappedSample>& pictures, const std::vector<TappedSample>& sound,
                           REFERENCE_TIME from = 0)
{
    const std::vector<REFERENCE_TIME> heard = beeps(sound);
    std::vector<double> offsets;
    for (REFERENCE_TIME flash : flashes(pictures)) {
        if (flash < from) continue;
        const auto closest = std::min_element(heard.begin(), heard.end(), [&](REFERENCE_TIME a, REFERENCE_TIME b) {
            return std::llabs(a - flash) < std::llabs(b - flash);
        });
        const bool paired = closest != heard.end() && std::llabs(*closest - flash) < second / 2;
        offsets.push_back(paired ? streamSeconds(*closest - flash) : 0.5);
    }
    return offsets;
}

// Where the pictures at normal speed begin: the first of the run a frame apart that lasts to the
// last one (faster, they come closer together or are left out).
REFERENCE_TIME normalSpeedFrom(const std::vector<TappedSample>& shown)
{
    const REFERENCE_TIME frame = shown.back().stop - shown.back().start;
    std::size_t first = shown.size() - 1;
    while (first > 0 && std::llabs(shown[first].start - shown[first - 1].start - frame) < second / 10000) --first;
    return shown[first].start;
}

double worstOf(const std::vector<double>& offsets)
{
    double worst = 0;
    for (double offset : offsets) worst = std::max(worst, std::fabs(offset));
    return worst;
}

TEST_F(SoundSync, FlashesAndBeepsStayInStep)
{
    ASSERT_EQ(S_OK, dvd->PlayTitle(1, DVD_CMD_FLAG_Flush, nullptr));
    audio->clear();
    pictures->clear();
    ASSERT_TRUE(playback->waitFor(EC_DVD_CURRENT_HMSF_TIME, [&](const GraphEvent& e) { return secondsOf(e) + 60 * ((e.param1 >> 8) & 0xFF) >= seconds - 1; },
                                  static_cast<DWORD>(seconds + 20) * 1000));

    const std::vector<double> offsets = inStep(pictures->samples(), audio->samples());
    ASSERT_GE(offsets.size(), static_cast<std::size_t>(seconds) * 3 / 4);
    const double worst = worstOf(offsets);
    std::printf("[ figures  ] %zu flashes with their beeps over %d s: sound minus picture first %+.3f s, last %+.3f s, "
                "worst %.3f s\n",
                offsets.size(), seconds, offsets.front(), offsets.back(), worst);
    EXPECT_LE(worst, 0.040);
}

TEST_F(SoundSync, StayInStepAfterATimeSearchAPauseAndTrickPlay)
{
    ASSERT_EQ(S_OK, dvd->PlayTitle(1, DVD_CMD_FLAG_Flush, nullptr));
    pumpMessages(2000);
    DVD_HMSF_TIMECODE tenSeconds{0, 0, 10, 0};
    std::vector<Step> steps{
        {"time search", [&] { EXPECT_EQ(S_OK, dvd->PlayAtTime(&tenSeconds, DVD_CMD_FLAG_Flush, nullptr)); }},
        {"chapter 1 again", [&] { EXPECT_EQ(S_OK, dvd->PlayChapter(1, DVD_CMD_FLAG_Flush, nullptr)); }}};
    for (Step& step : pauseAndTrickPlay()) steps.push_back(std::move(step));
    for (const auto& [what, command, before] : steps) {
        SCOPED_TRACE(what);
        before();
        pictures->clear();
        command();
        pumpMessages(4500);
        const std::vector<TappedSample> shown = pictures->samples();
        ASSERT_FALSE(shown.empty());
        const std::vector<double> offsets = inStep(shown, audio->samples(), normalSpeedFrom(shown));
        ASSERT_GE(offsets.size(), 2u);
        std::printf("[ figures  ] after %s: %zu flashes, sound minus picture first %+.3f s, worst %.3f s\n", what,
                    offsets.size(), offsets.front(), worstOf(offsets));
        EXPECT_LE(worstOf(offsets), 0.040);
    }
}

// The sync disc from a drive at single speed with a scratch of a second and a half from 5 s
// into its title (slow-drive-tests.sh presents it): past the scratch, the beeps keep to the
// flashes as before it.
class ScratchedSoundSync : public OnSlowDrive<SoundSync> {};

TEST_F(ScratchedSoundSync, FlashesAndBeepsStayInStepAfterTheScratch)
{
    ASSERT_EQ(S_OK, dvd->PlayTitle(1, DVD_CMD_FLAG_Flush, nullptr));
    audio->clear();
    pictures->clear();
    ASSERT_TRUE(playback->waitFor(EC_DVD_CURRENT_HMSF_TIME, [](const GraphEvent& e) { return secondsOf(e) >= 11; }, 40000));

    // The flashes of the title's first four seconds, and of its last three played.
    const std::vector<double> offsets = inStep(pictures->samples(), audio->samples());
    ASSERT_GE(offsets.size(), 7u);
    const std::vector<double> before(offsets.begin(), offsets.begin() + 4), after(offsets.end() - 3, offsets.end());
    std::printf("[ figures  ] sound minus picture before the scratch %+.3f s at worst, after it %+.3f s at worst "
                "(%zu flashes)\n",
                worstOf(before), worstOf(after), offsets.size());
    EXPECT_LE(worstOf(before), 0.040);
    EXPECT_LE(worstOf(after), 0.040);
}

// The sample disc: title 1 a 440 Hz tone over four chapters, each a cell of its own.
class SoundAcrossJumps : public Sound {
protected:
    SoundAcrossJumps() { discName = L"sample"; }
};

constexpr int audible = 1000;

// The sample disc's menus are navy where the titles' pictures are not: the bottom-left pixel
// (BGRA) blue alone.
bool ofTheMenu(const TappedSample& picture)
{
    const std::vector<std::uint8_t>& p = picture.bytes;
    return p.size() >= 3 && p[0] > 96 && p[1] < 32 && p[2] < 32;
}

// The first instant from `from` on with the left channel audible.
std::optional<REFERENCE_TIME> firstAudible(const std::vector<TappedSample>& sound, REFERENCE_TIME from)
{
    std::optional<REFERENCE_TIME> first;
    for (const TappedSample& s : sound) {
        for (std::size_t i = 0; i < framesOf(s); ++i) {
            std::int16_t left = 0;
            std::memcpy(&left, &s.bytes[i * 4], 2);
            const REFERENCE_TIME at = s.start + static_cast<REFERENCE_TIME>(i) * second / soundRate;
            if (at >= from && std::abs(left) >= audible && (!first || at < *first)) first = at;
        }
    }
    return first;
}

// Over a stretch of a steady tone: the longest run of inaudible frames (a hole) and the largest
// step between neighbours (a click).
std::pair<REFERENCE_TIME, int> holeAndClick(const std::vector<std::int16_t>& left)
{
    std::size_t run = 0, longest = 0;
    int step = 0;
    for (std::size_t i = 0; i < left.size(); ++i) {
        run = std::abs(left[i]) < audible ? run + 1 : 0;
        longest = std::max(longest, run);
        if (i > 0) step = std::max(step, std::abs(left[i] - left[i - 1]));
    }
    return {static_cast<REFERENCE_TIME>(longest) * second / soundRate, step};
}

TEST_F(SoundAcrossJumps, SoundResumesWithThePicturesAndCellsJoinWithoutAHoleOrAClick)
{
    ASSERT_TRUE(playback->waitFor(EC_DVD_DOMAIN_CHANGE, [](const GraphEvent& e) { return e.param1 == DVD_DOMAIN_VideoManagerMenu; }));
    pumpMessages(1000);
    DVD_HMSF_TIMECODE fiveSeconds{0, 0, 5, 0};
    // Sound from the first picture on and no hole after it.
    std::vector<Step> steps{
        {"menu button into title 1", [&] { EXPECT_EQ(S_OK, dvd->SelectAndActivateButton(1)); }},
        {"chapter jump", [&] { EXPECT_EQ(S_OK, dvd->PlayChapter(3, DVD_CMD_FLAG_Flush, nullptr)); }},
        {"time search", [&] { EXPECT_EQ(S_OK, dvd->PlayAtTime(&fiveSeconds, DVD_CMD_FLAG_Flush, nullptr)); }}};
    for (Step& step : pauseAndTrickPlay()) steps.push_back(std::move(step));
    for (const auto& [what, command, before] : steps) {
        SCOPED_TRACE(what);
        before();
        audio->clear();
        pictures->clear();
        command();
        pumpMessages(1500);
        // Stream time from the first picture of where the command led, at normal speed: none
        // before the last one sent after a flush, nor the menu's own. A button first shows its
        // action colours, and when the clock has not moved by the time the title is read, the
        // title's first picture follows that one a frame later, as at normal speed.
        const std::vector<TappedSample> shown = pictures->samples();
        ASSERT_FALSE(shown.empty()) << "no picture after it";
        const auto fresh = std::find_if(shown.rbegin(), shown.rend(), [](const TappedSample& p) { return p.discontinuity; });
        const REFERENCE_TIME after = std::max(fresh != shown.rend() ? fresh->start : shown.front().start, normalSpeedFrom(shown));
        const auto led = std::find_if(shown.begin(), shown.end(), [&](const TappedSample& p) { return p.start >= after && !ofTheMenu(p); });
        ASSERT_NE(led, shown.end()) << "no picture of where it led";
        const REFERENCE_TIME from = led->start;
        const std::vector<TappedSample> got = audio->samples();
        const std::optional<REFERENCE_TIME> heard = firstAudible(got, from);
        ASSERT_TRUE(heard) << "no sound after it";
        const REFERENCE_TIME hole = holeAndClick(leftChannel(got, *heard, got.back().stop)).first;
        std::printf("[ figures  ] after %s: sound %.3f s after the first picture, then %.2f s of it with its longest "
                    "hole %.4f s\n",
                    what, streamSeconds(*heard - from), streamSeconds(got.back().stop - *heard), streamSeconds(hole));
        EXPECT_LT(*heard - from, second / 50);  // where the coding's frames fall, and a little
        EXPECT_LT(hole, second / 1000);
    }
    // Across the cell boundary at 8 s of title 1: played from chapter 1 on, heard whole.
    ASSERT_EQ(S_OK, dvd->PlayChapter(1, DVD_CMD_FLAG_Flush, nullptr));
    pumpMessages(500);
    audio->clear();
    pumpMessages(9000);
    const std::vector<TappedSample> got = audio->samples();
    ASSERT_FALSE(got.empty());
    const auto [hole, click] = holeAndClick(leftChannel(got, got.front().start, got.back().stop));
    // A 440 Hz tone at this level moves at most this much from one frame to the next.
    const int steepest = static_cast<int>(2897 * 2 * 3.1416 * 440 / soundRate) + 1;
    std::printf("[ figures  ] title 1 played across its first cell boundary: %.2f s, longest hole %.4f s, "
                "largest step %d (the tone's own %d)\n",
                streamSeconds(got.back().stop - got.front().start), streamSeconds(hole), click, steepest);
    EXPECT_LT(hole, second / 1000);
    EXPECT_LE(click, steepest * 5 / 4);
}

// The audio pin's producer alone, over the sample disc's navigator, as its thread drives it.
TEST(SoundSent, AJumpsSoundOutlivesAFlushSeenLateAndWhatWentAheadGoesAgainAfterAFlushOrAPause)
{
    const std::wstring folder = disc(L"sample");
    ASSERT_FALSE(folder.empty());
    lumanav::DiscSession session;
    session.open(nav::Navigator::open(lumanav::toUtf8(folder)).navigator, folder);
    session.start();
    ASSERT_TRUE(session.playing());
    const WAVEFORMATEX format{WAVE_FORMAT_PCM, 2, soundRate, soundRate * 4, 4, 16, 0};
    ComPtr<IMemAllocator> allocator;
    ASSERT_EQ(S_OK, CoCreateInstance(CLSID_MemoryAllocator, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&allocator)));
    ALLOCATOR_PROPERTIES wanted{1, lumanav::audioBufferBytes(format), 1, 0}, actual{};
    ASSERT_EQ(S_OK, allocator->SetProperties(&wanted, &actual));
    ASSERT_EQ(S_OK, allocator->Commit());
    lumanav::Transport transport;
    lumanav::SoundQueue queue;
    lumanav::AudioProducer producer(session, transport, queue, format);

    constexpr REFERENCE_TIME ms = second / 1000;
    // 32 ms of sound from `at` on, read at the place playing now.
    const auto decoded = [&](REFERENCE_TIME at) {
        queue.push({at / ms * 90, std::vector<std::int16_t>(2 * soundRate * 32 / 1000, 5000)}, session.generation());
    };
    struct Sent {
        REFERENCE_TIME start = 0, stop = 0;
        bool sound = false;
    };
    const auto send = [&](REFERENCE_TIME now) {
        Sent sent;
        ComPtr<IMediaSample> sample;
        BYTE* bytes = nullptr;
        EXPECT_EQ(lumanav::SampleProducer::Ready::Sample, producer.prepare(now, sent.start, sent.stop));
        EXPECT_EQ(S_OK, allocator->GetBuffer(&sample, nullptr, nullptr, 0));
        EXPECT_TRUE(producer.fill(*sample.Get()));
        sample->GetPointer(&bytes);
        sent.sound = bytes[0] != 0;
        producer.consumed();
        return sent;
    };
    // Sent until the sound from `from` on is out: where it first went out.
    const auto soundFrom = [&](REFERENCE_TIME now, REFERENCE_TIME from) {
        std::optional<REFERENCE_TIME> first;
        for (Sent s = send(now); s.start < from + 100 * ms; s = send(now)) {
            if (s.sound && !first) first = s.start;
            if (s.stop >= from + 32 * ms) break;
        }
        return first;
    };

    for (REFERENCE_TIME at = 0; at < 320 * ms; at += 32 * ms) decoded(at);
    while (send(0).stop < 200 * ms) {
    }
    // A chapter jump whose new place sounds from 100 ms on, read while the clock is at 60 ms;
    // the thread readies a sample before it sees the flush, and after.
    ASSERT_TRUE(session.withCore([](nav::Navigator& core) { return core.playChapterInTitle(1, 2) == nav::Status::Ok; }, false));
    for (REFERENCE_TIME at = 100 * ms; at < 420 * ms; at += 32 * ms) decoded(at);
    Sent readied;
    producer.prepare(60 * ms, readied.start, readied.stop);
    producer.flush();
    EXPECT_EQ(100 * ms, soundFrom(61 * ms, 100 * ms)) << "the new place's first sound was dropped as gone by";

    // The sound sent 100 ms ahead, then a flush without a jump with the clock at 150 ms.
    while (send(61 * ms).stop < 250 * ms) {
    }
    producer.flush();
    const Sent again = send(150 * ms);
    EXPECT_TRUE(again.sound) << "what went ahead of the clock is not sent again";
    EXPECT_EQ(150 * ms, again.start);

    // The navigator's pause with the clock at 170 ms: nothing goes, and what went downstream is
    // taken back there; afterwards the sound goes on from where it stood.
    while (send(150 * ms).stop < 250 * ms) {
    }
    transport.hold(true);
    REFERENCE_TIME start = 0, stop = 0;
    EXPECT_EQ(lumanav::SampleProducer::Ready::Hold, producer.prepare(170 * ms, start, stop));
    transport.hold(false);
    producer.flush();
    const Sent resumed = send(170 * ms);
    EXPECT_TRUE(resumed.sound);
    EXPECT_EQ(170 * ms, resumed.start);
}

}  // namespace
}  // namespace navtest
