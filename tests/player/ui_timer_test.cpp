#include "ui/Timer.h"
#include <gtest/gtest.h>

namespace {

// True when a WM_TIMER of this timer waits in the queue.
bool TickWaiting(const ui::Timer& timer)
{
    MSG message;
    return PeekMessageW(&message, timer.Handle(), WM_TIMER, WM_TIMER, PM_NOREMOVE) != FALSE;
}

void WaitForTick(const ui::Timer& timer)
{
    for (int attempt = 0; attempt < 500 && !TickWaiting(timer); ++attempt) Sleep(10);
}

TEST(Timer, FiresOnlyWhileEnabled)
{
    ui::Timer timer(1, false);
    int ticks = 0;
    timer.OnTimer = [&] { ++ticks; };

    SendMessageW(timer.Handle(), WM_TIMER, 1, 0); // a late tick of a disabled timer
    EXPECT_EQ(ticks, 0);

    timer.SetEnabled(true);
    WaitForTick(timer);
    MSG message;
    while (PeekMessageW(&message, timer.Handle(), WM_TIMER, WM_TIMER, PM_REMOVE))
        DispatchMessageW(&message);
    EXPECT_GE(ticks, 1);
}

TEST(Timer, DisablingDropsATickAlreadyDue)
{
    ui::Timer timer(1, true);
    WaitForTick(timer);
    ASSERT_TRUE(TickWaiting(timer));
    timer.SetEnabled(false);
    EXPECT_FALSE(TickWaiting(timer));
    EXPECT_FALSE(KillTimer(timer.Handle(), 1)) << "no platform timer left running";
}

TEST(Timer, EnablingAgainStartsTheCountdownAfresh)
{
    ui::Timer timer(1, true);
    WaitForTick(timer);
    ASSERT_TRUE(TickWaiting(timer));

    timer.SetEnabled(false);
    timer.SetInterval(60000); // only stored while disabled
    timer.SetEnabled(true);

    EXPECT_FALSE(TickWaiting(timer)) << "the tick due before the restart is gone";
    EXPECT_TRUE(timer.Enabled());
    EXPECT_EQ(timer.Interval(), 60000u);
}

TEST(Timer, ChangingTheIntervalOfARunningTimerRestartsIt)
{
    ui::Timer timer(1, true);
    WaitForTick(timer);
    ASSERT_TRUE(TickWaiting(timer));
    timer.SetInterval(60000);
    EXPECT_FALSE(TickWaiting(timer));
}

} // namespace
