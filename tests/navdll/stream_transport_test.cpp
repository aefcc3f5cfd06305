// The run state the streaming threads wait on: what wakes them, and when a sample may go.

#include "Transport.h"

#include <gtest/gtest.h>

#include <future>

using namespace lumanav;

namespace {

constexpr REFERENCE_TIME second = 10000000;

}  // namespace

TEST(StreamTransport, PausedStreamTimeStandsStillAndCuesOneLeadAhead)
{
    Transport transport;
    EXPECT_EQ(0, transport.streamTime());
    transport.pause();
    transport.threadStarted();
    EXPECT_TRUE(transport.cueing());
    const unsigned generation = transport.generation();
    EXPECT_EQ(Transport::Wake::Send, transport.waitToSend(0, second / 25, generation)) << "the cue frame";

    // The next frame lies beyond the lead: the thread waits, and settles the pause.
    auto waiting = std::async(std::launch::async, [&] { return transport.waitToSend(second / 25, second / 25, generation); });
    EXPECT_TRUE(transport.waitCued(20000));
    transport.stop();
    EXPECT_EQ(Transport::Wake::Stopped, waiting.get());
    transport.threadEnded();
}

TEST(StreamTransport, RunningWithoutAClockFollowsTheSystemTime)
{
    Transport transport;
    transport.pause();
    transport.run(0);
    const REFERENCE_TIME start = transport.streamTime();
    Sleep(30);
    EXPECT_GT(transport.streamTime(), start);
    transport.pause();
    const REFERENCE_TIME paused = transport.streamTime();
    Sleep(30);
    EXPECT_EQ(paused, transport.streamTime());
}

TEST(StreamTransport, HeldStreamTimeStandsAndGoesOnFromWhereItStood)
{
    Transport transport;
    transport.pause();
    transport.run(0);
    Sleep(30);
    transport.hold(true);
    const REFERENCE_TIME held = transport.streamTime();
    Sleep(60);
    EXPECT_EQ(held, transport.streamTime());
    // Through a pause of the graph too.
    transport.pause();
    transport.run(0);
    EXPECT_EQ(held, transport.streamTime());
    transport.hold(false);
    // The time it stood goes onto the samples, not into stream time.
    EXPECT_GT(transport.heldFor(), 0);
    EXPECT_GE(transport.streamTime(), held);
    EXPECT_LT(transport.streamTime() - held, transport.heldFor());
    transport.stop();
    EXPECT_EQ(0, transport.heldFor()) << "a new run starts afresh";
}

TEST(StreamTransport, AStopSeenLateStillEndsTheWait)
{
    Transport transport;
    transport.pause();
    transport.threadStarted();
    transport.stop();
    EXPECT_EQ(Transport::Wake::Stopped, transport.waitForChange(transport.generation()));
    EXPECT_EQ(Transport::Wake::Stopped, transport.waitToSend(0, 0, transport.generation()));
    transport.threadEnded();
}

TEST(StreamTransport, AFlushDropsStaleSamplesAndWakesTheThreads)
{
    Transport transport;
    transport.pause();
    transport.run(0);
    transport.threadStarted();
    const unsigned before = transport.generation();
    ASSERT_TRUE(transport.beginDelivery(before));
    transport.endDelivery();

    auto waiting = std::async(std::launch::async, [&] { return transport.waitForChange(before); });
    transport.beginFlush();
    EXPECT_FALSE(transport.beginDelivery(before)) << "made before the flush";
    transport.waitDeliveriesDone();
    transport.endFlush();
    EXPECT_EQ(Transport::Wake::Flushed, waiting.get());
    EXPECT_FALSE(transport.beginDelivery(before));
    EXPECT_TRUE(transport.beginDelivery(transport.generation()));
    transport.endDelivery();
    transport.stop();
    transport.threadEnded();
}
