// Run, pause and stop of a graph the navigator plays in, and the pace of its time events
// measured in stream time.

#include "PlaybackTest.h"

#include <algorithm>
#include <cstdio>

using namespace navtest;

namespace {

using Transport = Playback;

OAFilterState settledState(IMediaControl& control)
{
    OAFilterState state = -1;
    return control.GetState(10000, &state) == S_OK ? state : -1;
}

// Time events per second of stream time over a stretch of playback.
double timeEventRate(DvdPlayback& playback, DWORD milliseconds, double* titleSecondsPerStreamSecond = nullptr)
{
    playback.seen.clear();
    playback.collect(milliseconds);
    std::vector<GraphEvent> times;
    std::copy_if(playback.seen.begin(), playback.seen.end(), std::back_inserter(times),
                 [](const GraphEvent& event) { return event.code == EC_DVD_CURRENT_HMSF_TIME; });
    if (times.size() < 3) return 0;
    const double span = streamSeconds(times.back().clockTime - times.front().clockTime);
    if (titleSecondsPerStreamSecond) *titleSecondsPerStreamSecond = (secondsOf(times.back()) - secondsOf(times.front())) / span;
    return static_cast<double>(times.size() - 1) / span;
}

}  // namespace

TEST_F(Transport, PauseAnswersAsTheStateSettlesAndRunResumes)
{
    playTitleOneTo(1);
    // From running the pause is a transition; once paused it is settled at once.
    EXPECT_EQ(S_FALSE, playback->control->Pause());
    EXPECT_EQ(S_OK, playback->control->Pause());
    EXPECT_EQ(State_Paused, settledState(*playback->control.Get()));

    DVD_PLAYBACK_LOCATION2 paused{}, later{};
    ASSERT_EQ(S_OK, info->GetCurrentLocation(&paused));
    pumpMessages(600);
    ASSERT_EQ(S_OK, info->GetCurrentLocation(&later));
    EXPECT_EQ(paused.TimeCode.bSeconds, later.TimeCode.bSeconds) << "time stands still while paused";

    ASSERT_TRUE(SUCCEEDED(playback->control->Run()));
    EXPECT_EQ(State_Running, settledState(*playback->control.Get()));
    EXPECT_TRUE(playback->waitFor(EC_DVD_CURRENT_HMSF_TIME, [&](const GraphEvent& event) {
        return secondsOf(event) > paused.TimeCode.bSeconds;
    }));
}

TEST_F(Transport, StopEndsTheEventsAndRunStartsTheDiscAfresh)
{
    for (int cycle = 0; cycle < 3; ++cycle) {
        SCOPED_TRACE(cycle);
        playback->seen.clear();
        ASSERT_TRUE(SUCCEEDED(playback->control->Run()));
        ASSERT_TRUE(playback->waitFor(EC_DVD_DOMAIN_CHANGE, [](const GraphEvent& event) { return event.param1 == DVD_DOMAIN_FirstPlay; }))
            << "every run after a stop begins with first play";
        ASSERT_TRUE(playback->waitFor(EC_DVD_DOMAIN_CHANGE, [](const GraphEvent& event) {
            return event.param1 == DVD_DOMAIN_VideoManagerMenu;
        }));
        if (cycle == 1) {
            ASSERT_EQ(State_Running, settledState(*playback->control.Get()));
            ASSERT_EQ(S_FALSE, playback->control->Pause());
            EXPECT_EQ(State_Paused, settledState(*playback->control.Get()));
        }
        // The graph pauses a running graph on the way to stopped: that pause is a transition.
        ASSERT_TRUE(SUCCEEDED(playback->control->Stop()));
        playback->collect(0);
        playback->seen.clear();
        playback->collect(800);
        EXPECT_TRUE(std::none_of(playback->seen.begin(), playback->seen.end(), [](const GraphEvent& event) { return isNavigatorEvent(event.code); }))
            << "nothing is told after a stop";

        DVD_DOMAIN domain{};
        ASSERT_EQ(S_OK, info->GetCurrentDomain(&domain));
        EXPECT_EQ(DVD_DOMAIN_Stop, domain);
        EXPECT_EQ(VFW_E_DVD_INVALIDDOMAIN, dvd->PlayTitle(1, DVD_CMD_FLAG_None, nullptr));
    }
}

TEST_F(Transport, WithoutResetOnStopPlaybackGoesOnWhereItStopped)
{
    ASSERT_EQ(S_OK, dvd->SetOption(DVD_ResetOnStop, FALSE));
    playTitleOneTo(2);
    ASSERT_TRUE(SUCCEEDED(playback->control->Stop()));
    DVD_PLAYBACK_LOCATION2 stopped{};
    ASSERT_EQ(S_OK, info->GetCurrentLocation(&stopped));
    EXPECT_EQ(1u, stopped.TitleNum);
    playback->seen.clear();
    ASSERT_TRUE(SUCCEEDED(playback->control->Run()));
    const auto time = playback->waitFor(EC_DVD_CURRENT_HMSF_TIME);
    ASSERT_TRUE(time);
    EXPECT_GE(secondsOf(*time), stopped.TimeCode.bSeconds);
    EXPECT_TRUE(std::none_of(playback->seen.begin(), playback->seen.end(), [](const GraphEvent& event) {
        return event.code == EC_DVD_DOMAIN_CHANGE && event.param1 == DVD_DOMAIN_FirstPlay;
    }));
}

TEST_F(Transport, TimeEventsComeOncePerSecondAtNormalSpeedAndFasterAtFourTimes)
{
    playTitleOneTo(1);
    double titlePace = 0;
    const double normal = timeEventRate(*playback, 3200, &titlePace);
    std::printf("normal speed: %.2f time events and %.2f title seconds per stream second\n", normal, titlePace);
    EXPECT_GT(normal, 0.7);
    EXPECT_LT(normal, 1.4);
    EXPECT_GT(titlePace, 0.7);
    EXPECT_LT(titlePace, 1.4);

    ASSERT_EQ(S_OK, dvd->PlayForwards(4.0, DVD_CMD_FLAG_None, nullptr));
    ASSERT_TRUE(playback->waitFor(EC_DVD_PLAYBACK_RATE_CHANGE, [](const GraphEvent& event) { return event.param1 == 40000; }));
    const double fast = timeEventRate(*playback, 2400, &titlePace);
    std::printf("four times: %.2f time events and %.2f title seconds per stream second\n", fast, titlePace);
    EXPECT_GT(fast, 2.5);
    EXPECT_LT(fast, 5.5);
    EXPECT_GT(titlePace, 2.5);
    EXPECT_LT(titlePace, 5.5);
}

TEST_F(Transport, EachRendererSeesTheEndOfPlaybackOnceAndOnlyThen)
{
    // Each renderer's own end-of-stream notice, instead of the graph's summary.
    ASSERT_EQ(S_OK, playback->events->CancelDefaultHandling(EC_COMPLETE));
    playTitleOneTo(2);
    EXPECT_TRUE(std::none_of(playback->seen.begin(), playback->seen.end(), [](const GraphEvent& event) { return event.code == EC_COMPLETE; }))
        << "both streams run while the title plays";

    // Stopping the navigator itself ends both streams.
    playback->seen.clear();
    ASSERT_EQ(S_OK, dvd->Stop());
    ASSERT_TRUE(playback->waitFor(EC_COMPLETE));
    playback->collect(1500);
    std::vector<LONG_PTR> ended;
    for (const GraphEvent& event : playback->seen)
        if (event.code == EC_COMPLETE) ended.push_back(event.param2);
    ASSERT_EQ(2u, ended.size());
    EXPECT_NE(ended[0], ended[1]);

    // A new run plays again from first play.
    playback->seen.clear();
    ASSERT_TRUE(SUCCEEDED(playback->control->Stop()));
    ASSERT_TRUE(SUCCEEDED(playback->control->Run()));
    EXPECT_TRUE(playback->waitFor(EC_DVD_DOMAIN_CHANGE, [](const GraphEvent& event) { return event.param1 == DVD_DOMAIN_VideoManagerMenu; }));
}

TEST_F(Transport, TimeEventsComeOnlyWhileAskedFor)
{
    playTitleOneTo(1);
    ASSERT_EQ(S_OK, dvd->SetOption(DVD_HMSF_TimeCodeEvents, FALSE));
    playback->collect(0);
    playback->seen.clear();
    playback->collect(1500);
    EXPECT_TRUE(std::none_of(playback->seen.begin(), playback->seen.end(), [](const GraphEvent& event) {
        return event.code == EC_DVD_CURRENT_HMSF_TIME;
    }));
    ASSERT_EQ(S_OK, dvd->SetOption(DVD_HMSF_TimeCodeEvents, TRUE));
    EXPECT_TRUE(playback->waitFor(EC_DVD_CURRENT_HMSF_TIME));
}

TEST_F(Transport, TheNavigatorsOwnPauseHoldsTheTitleWhileTheGraphRuns)
{
    playTitleOneTo(1);
    ASSERT_EQ(S_OK, dvd->Pause(TRUE));
    DVD_PLAYBACK_LOCATION2 held{}, later{};
    ASSERT_EQ(S_OK, info->GetCurrentLocation(&held));
    pumpMessages(1200);
    ASSERT_EQ(S_OK, info->GetCurrentLocation(&later));
    EXPECT_EQ(held.TimeCode.bSeconds, later.TimeCode.bSeconds);
    EXPECT_EQ(held.TimeCode.bFrames, later.TimeCode.bFrames);
    ASSERT_EQ(S_OK, dvd->Pause(FALSE));
    EXPECT_TRUE(playback->waitFor(EC_DVD_CURRENT_HMSF_TIME, [&](const GraphEvent& event) {
        return secondsOf(event) > held.TimeCode.bSeconds;
    }));
}
