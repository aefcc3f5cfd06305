// TEMP probe (navfix): menu still -> title jump stall
#include "PlaybackTest.h"
#include <cstdio>
using namespace navtest;
using NavfixProbe = Playback;

TEST_F(NavfixProbe, RootMenuButtonIntoTitleKeepsPlaying)
{
    runToMenu();
    ASSERT_EQ(S_OK, dvd->SelectAndActivateButton(1));
    ASSERT_TRUE(playback->waitFor(EC_DVD_CURRENT_HMSF_TIME, [&](const GraphEvent& e) { return secondsOf(e) >= 1; }));
    for (int round = 0; round < 8; ++round) {
        ASSERT_EQ(S_OK, dvd->ShowMenu(DVD_MENU_Root, DVD_CMD_FLAG_None, nullptr));
        ASSERT_TRUE(playback->waitFor(EC_DVD_STILL_ON));
        pumpMessages(200 * (round % 4));
        playback->seen.clear();
        ASSERT_EQ(S_OK, dvd->SelectAndActivateButton(1));
        ASSERT_TRUE(playback->waitFor(EC_DVD_CHAPTER_START, [](const GraphEvent& e) { return e.param1 == 3; })) << round;
        auto t = playback->waitFor(EC_DVD_CURRENT_HMSF_TIME, [&](const GraphEvent& e) { return secondsOf(e) >= 19; }, 8000);
        ASSERT_TRUE(t) << round;
        std::printf("round %d ok\n", round);
    }
}
