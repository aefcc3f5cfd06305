// The disc's own sound under Wine, in the platform's graph with its DirectSound renderer:
// what the audio pin delivers, seen through a sample grabber in front of the renderer.
#include "PinTap.h"
#include "PlaybackTest.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
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

        // One unbroken run of sound, as long as the clock ran.
        REFERENCE_TIME covered = 0;
        for (std::size_t i = 0; i < got.size(); ++i) {
            const REFERENCE_TIME length = static_cast<REFERENCE_TIME>(framesOf(got[i])) * second / soundRate;
            EXPECT_LE(std::llabs(length - (got[i].stop - got[i].start)), second / soundRate) << "sample " << i;
            if (i > 0) {
                EXPECT_LE(std::llabs(got[i].start - got[i - 1].stop), second / 1000) << "gap before sample " << i;
            }
            covered += length;
        }
        EXPECT_NEAR(static_cast<double>(covered), static_cast<double>(clockTo - clockFrom), 0.1 * second);

        const double hertz = toneBefore(got.back().stop);
        std::printf("[ figures  ] title %d stream %d: %.1f Hz, %.2f s of sound in %.2f s of clock\n", s.title, s.stream,
                    hertz, streamSeconds(covered), streamSeconds(clockTo - clockFrom));
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
    const int seconds = std::stoi(setting(L"LUMANAV_SYNC_SECONDS", L"8"));
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
            if (!lastLoud || at - *lastLoud > second / 2) starts.push_back(at);
            lastLoud = at;
        }
    }
    return starts;
}

TEST_F(SoundSync, FlashesAndBeepsStayInStep)
{
    ASSERT_EQ(S_OK, dvd->PlayTitle(1, DVD_CMD_FLAG_Flush, nullptr));
    audio->clear();
    pictures->clear();
    ASSERT_TRUE(playback->waitFor(EC_DVD_CURRENT_HMSF_TIME, [&](const GraphEvent& e) { return secondsOf(e) + 60 * ((e.param1 >> 8) & 0xFF) >= seconds - 1; },
                                  static_cast<DWORD>(seconds + 20) * 1000));

    const std::vector<REFERENCE_TIME> light = flashes(pictures->samples());
    const std::vector<REFERENCE_TIME> sound = beeps(audio->samples());
    std::vector<double> offsets;  // beep minus flash, seconds
    for (REFERENCE_TIME flash : light) {
        const auto closest = std::min_element(sound.begin(), sound.end(), [&](REFERENCE_TIME a, REFERENCE_TIME b) {
            return std::llabs(a - flash) < std::llabs(b - flash);
        });
        if (closest != sound.end() && std::llabs(*closest - flash) < second / 2) offsets.push_back(streamSeconds(*closest - flash));
    }
    ASSERT_GE(offsets.size(), static_cast<std::size_t>(seconds) * 3 / 4) << light.size() << " flashes, " << sound.size() << " beeps";
    double worst = 0;
    for (double offset : offsets) worst = std::max(worst, std::fabs(offset));
    std::printf("[ figures  ] %zu flashes with their beeps over %d s: sound minus picture first %+.3f s, last %+.3f s, "
                "worst %.3f s\n",
                offsets.size(), seconds, offsets.front(), offsets.back(), worst);
    EXPECT_LE(worst, 0.040);
}

}  // namespace
}  // namespace navtest
