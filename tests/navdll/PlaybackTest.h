#pragma once
// A fixture for tests that play a test disc (the sample disc unless a test names another) in
// the platform's graph.

#include "Harness.h"

#include <gtest/gtest.h>

namespace navtest {

inline bool isNavigatorEvent(long code) { return code >= EC_DVD_DOMAIN_CHANGE && code <= EC_DVD_KARAOKE_MODE; }
inline int secondsOf(const GraphEvent& time) { return static_cast<int>((time.param1 >> 16) & 0xFF); }
inline double streamSeconds(REFERENCE_TIME time) { return static_cast<double>(time) / 10000000.0; }

class Playback : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(NavigatorDll::instance().loaded());
        ASSERT_TRUE(classes.active());
        ASSERT_FALSE(discPath().empty());
        playback = std::make_unique<DvdPlayback>();
        ASSERT_TRUE(playback->ready());
        ASSERT_EQ(S_OK, playback->render(discPath()));
        playback->embedVideo();
        dvd = playback->dvd();
        info = playback->info();
        ASSERT_TRUE(dvd && info);
        ASSERT_EQ(S_OK, dvd->SetOption(DVD_HMSF_TimeCodeEvents, TRUE));
    }

    void TearDown() override
    {
        dvd.Reset();
        info.Reset();
        playback.reset();
    }

    // Runs the graph until the disc's title menu shows (first play leads there).
    void runToMenu()
    {
        ASSERT_TRUE(SUCCEEDED(playback->control->Run()));
        ASSERT_TRUE(playback->waitFor(EC_DVD_DOMAIN_CHANGE, [](const GraphEvent& event) {
            return event.param1 == DVD_DOMAIN_VideoManagerMenu;
        }));
    }

    // Plays title 1 until its running time reaches `seconds`.
    void playTitleOneTo(int seconds)
    {
        runToMenu();
        ASSERT_EQ(S_OK, dvd->PlayTitle(1, DVD_CMD_FLAG_None, nullptr));
        ASSERT_TRUE(playback->waitFor(EC_DVD_CURRENT_HMSF_TIME, [&](const GraphEvent& event) { return secondsOf(event) >= seconds; }));
    }

    virtual std::wstring discPath() const { return disc(discName); }

    const wchar_t* discName = L"sample";
    ClassRegistration classes;
    std::unique_ptr<DvdPlayback> playback;
    ComPtr<IDvdControl2> dvd;
    ComPtr<IDvdInfo2> info;
};

// The same test with the disc in the drive slow-drive-tests.sh presents; skipped without it.
template <class Base>
class OnSlowDrive : public Base {
protected:
    void SetUp() override
    {
        if (slowDrive().empty()) GTEST_SKIP() << "needs the drive slow-drive-tests.sh presents";
        Base::SetUp();
    }
    std::wstring discPath() const override { return slowDrive(); }
};

}  // namespace navtest
