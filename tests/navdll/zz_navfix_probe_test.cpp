// TEMP probe (navfix): menu still -> title jump stall
#include "PlaybackTest.h"
#include <cstdio>
using namespace navtest;
using NavfixProbe = Playback;

TEST_F(NavfixProbe, RootMenuButtonIntoTitleKeepsPlaying)
{
    ComPtr<IVideoWindow> window = playback->videoWindow();
    ASSERT_EQ(S_OK, window->SetWindowPosition(0, 0, 720, 576));
    runToMenu();
    ASSERT_EQ(S_OK, dvd->SelectAndActivateButton(1));
    ASSERT_TRUE(playback->waitFor(EC_DVD_CURRENT_HMSF_TIME, [&](const GraphEvent& e) { return secondsOf(e) >= 1; }));
    int failures = 0;
    for (int round = 0; round < 30; ++round) {
        ASSERT_EQ(S_OK, dvd->ShowMenu(DVD_MENU_Root, DVD_CMD_FLAG_None, nullptr));
        const DWORD delay = (round * 137) % 2000;
        const ULONGLONG end = GetTickCount64() + delay;
        int y = 150;
        while (GetTickCount64() < end) {
            dvd->SelectAtPosition(POINT{360, y});
            y = y >= 250 ? 150 : y + 7;
            playback->collect(15);
        }
        playback->seen.clear();
        ASSERT_EQ(S_OK, dvd->ActivateAtPosition(POINT{360, 230}));
        auto title = playback->waitFor(EC_DVD_TITLE_CHANGE, {}, 3000);
        if (title) { playback->control->Run(); window->SetWindowPosition(0, 0, 720, 576); }
        auto t = playback->waitFor(EC_DVD_CURRENT_HMSF_TIME, [&](const GraphEvent& e) { return secondsOf(e) >= 21; }, 10000);
        std::printf("round %d delay %lu title %d time %s\n", round, delay, title ? 1 : 0, t ? "ok" : "STALL");
        std::fflush(stdout);
        if (!t) { ++failures; break; }
    }
    EXPECT_EQ(0, failures);
}
