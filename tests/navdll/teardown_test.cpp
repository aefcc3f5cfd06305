// Taking the graph down the way the player does when it opens another volume, after the disc
// has run out: the streams have ended, yet the stop still ends their threads, tells nothing
// more and leaves nothing of the navigator behind.

#include "PlaybackTest.h"

#include <algorithm>

using namespace navtest;

TEST(Teardown, ADiscThatRanOutComesDownWithoutALaterEventOrAReferenceLeft)
{
    ASSERT_TRUE(NavigatorDll::instance().loaded());
    ASSERT_FALSE(disc(L"chapters300").empty());
    {
        ClassRegistration classes;
        ASSERT_TRUE(classes.active());
        IGraphBuilder* graph = nullptr;
        {
            DvdPlayback playback;
            ASSERT_TRUE(playback.ready());
            ASSERT_EQ(S_OK, playback.render(disc(L"chapters300")));
            playback.embedVideo();
            ComPtr<IDvdControl2> dvd = playback.dvd();
            ASSERT_TRUE(dvd);
            ASSERT_EQ(S_OK, dvd->SetOption(DVD_HMSF_TimeCodeEvents, TRUE));
            ASSERT_TRUE(SUCCEEDED(playback.control->Run()));
            ASSERT_TRUE(playback.waitFor(EC_DVD_TITLE_CHANGE));

            // The last chapter lasts half a second; the disc then ends.
            ASSERT_EQ(S_OK, dvd->PlayChapterInTitle(1, 300, DVD_CMD_FLAG_None, nullptr));
            ASSERT_TRUE(playback.waitFor(EC_DVD_PLAYBACK_STOPPED));
            playback.collect(500);

            playback.clear();
            playback.seen.clear();
            playback.collect(800);
            EXPECT_TRUE(std::none_of(playback.seen.begin(), playback.seen.end(),
                                     [](const GraphEvent& event) { return isNavigatorEvent(event.code); }))
                << "nothing is told after the stop";
            // The player turns notifications off and lets go of everything it asked for.
            playback.events->SetNotifyFlags(AM_MEDIAEVENT_NONOTIFY);
            graph = playback.graph.Get();
            graph->AddRef();
        }
        EXPECT_EQ(0u, graph->Release()) << "only the test still held the graph";
    }
    EXPECT_EQ(S_OK, NavigatorDll::instance().canUnloadNow()) << "every object of the DLL is released";
}
