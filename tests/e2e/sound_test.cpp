// What the player sends to the sound device, measured from the file the end-to-end runs' ALSA
// device writes (alsa-capture.conf): volume and mute as the control bar sets them.
#include "ControlBar.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

using namespace e2e;

namespace {

constexpr long headerBytes = 44;  // the file plugin's WAV header
constexpr long frameBytes = 4;    // 16-bit stereo

class SoundDevice {
public:
    // The left channel of what the player plays over the next `ms`, once what it had mixed
    // before has passed.
    std::vector<std::int16_t> Next(DWORD ms) const
    {
        Sleep(1000);
        long from = Size();
        Sleep(ms);
        std::vector<std::int16_t> left;
        FILE* file = _wfopen(path_.c_str(), L"rb");
        if (!file) return left;
        // A new graph opens the device afresh, which starts the file again.
        if (fseek(file, 0, SEEK_END) == 0 && ftell(file) < from) from = headerBytes;
        from = headerBytes + (std::max(from, headerBytes) - headerBytes) / frameBytes * frameBytes;
        fseek(file, from, SEEK_SET);
        for (std::int16_t frame[2]; fread(frame, sizeof frame, 1, file) == 1;) left.push_back(frame[0]);
        fclose(file);
        return left;
    }

    // The loudest sample of the next second.
    int Peak() const
    {
        int peak = 0;
        for (std::int16_t v : Next(1000)) peak = std::max(peak, std::abs(int(v)));
        return peak;
    }

private:
    long Size() const
    {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        return GetFileAttributesExW(path_.c_str(), GetFileExInfoStandard, &data) ? long(data.nFileSizeLow) : 0;
    }

    std::wstring path_ = EnvPath("LUMADISC_SOUND_FILE");
};

// The level the slider's position asks for, relative to full: linear in decibels, 0 at -100 dB.
double Gain(int position) { return std::pow(10.0, (position - 10000) / 2000.0); }

} // namespace

TEST(Sound, VolumeAndMuteActOnWhatThePlayerPlays)
{
    Player player;
    ASSERT_TRUE(WaitFor([&] { return player.MainWindow() != nullptr; }));
    ControlBar bar(player);
    const SoundDevice device;
    PlayFirstTitle(player, bar);

    const int full = device.Peak();
    ASSERT_GT(full, 1000) << "title 1's tone is not played";

    // Three pages down: 70 %, -30 dB.
    for (int i = 0; i < 3; ++i) StepSlider(bar.VolumeSlider(), false);
    ASSERT_TRUE(WaitFor([&] { return bar.VolumeText() == L"Volume: 70%"; }));
    const int softer = device.Peak();

    bar.Press(tbMute);
    ASSERT_TRUE(WaitFor([&] { return bar.VolumeText() == L"Volume: 0%"; }));
    const int muted = device.Peak();

    // A new graph starts at the level the slider shows: still muted.
    bar.Press(tbStop);
    PlayFirstTitle(player, bar);
    const int mutedAgain = device.Peak();

    bar.Press(tbMute);
    ASSERT_TRUE(WaitFor([&] { return bar.VolumeText() == L"Volume: 70%"; }));
    const int unmuted = device.Peak();

    std::printf("[ figures  ] peak level at 100%%: %d, at 70%%: %d, muted: %d, muted after a new start: %d, "
                "unmuted: %d\n", full, softer, muted, mutedAgain, unmuted);
    EXPECT_NEAR(softer, full * Gain(7000), full * Gain(7000) * 0.2);
    EXPECT_LE(muted, 1);
    EXPECT_LE(mutedAgain, 1);
    EXPECT_NEAR(unmuted, softer, softer * 0.1);
    EXPECT_TRUE(player.Close());
}
