#include <gtest/gtest.h>

#include "graph/ErrorDisplay.h"
#include "graph/FilterGraph.h"
#include "support/MessagePump.h"
#include "support/RecordingMember.h"
#include "support/ScriptedDvd.h"

using namespace graph;
using testsupport::PumpMessages;
using testsupport::RecordingMember;
using testsupport::ScriptedDvd;
using Log = std::vector<std::string>;

namespace {

class GraphEvents : public ::testing::Test {
protected:
    GraphEvents()
    {
        SetErrorDisplay([this](const std::exception& error) { log.push_back(std::string("Error: ") + error.what()); });
        graph.SetMode(gmDVD);
        graph.InsertEventNotifier(&notifier);
        graph.SetActive(true);
        log.clear();
    }
    ~GraphEvents() override { SetErrorDisplay(nullptr); }

    void Record(const std::string& entry) { log.push_back(entry); }

    ScriptedDvd dvd;
    Log log;
    RecordingMember notifier{log, nullptr};
    TFilterGraph graph;
};

}  // namespace

TEST_F(GraphEvents, NotifiersFirstThenGeneralThenSpecificHandler)
{
    graph.OnDSEvent = [&](TFilterGraph&, long code, LONG_PTR p1, LONG_PTR p2) {
        Record("OnDSEvent(" + std::to_string(code) + "," + std::to_string(p1) + "," + std::to_string(p2) + ")");
    };
    graph.OnDVDTitleChange = [&](TFilterGraph& sender, int title) {
        EXPECT_EQ(&sender, &graph);
        Record("Title " + std::to_string(title));
    };
    graph.DispatchGraphEvent(EC_DVD_TITLE_CHANGE, 3, 0);
    EXPECT_EQ(log, (Log{"GraphEvent(258,3,0)", "OnDSEvent(258,3,0)", "Title 3"}));
}

TEST_F(GraphEvents, VideoSizeSplitsLowAndHighWords)
{
    graph.OnGraphVideoSizeChanged = [&](TFilterGraph&, WORD width, WORD height) {
        Record(std::to_string(width) + "x" + std::to_string(height));
    };
    graph.DispatchGraphEvent(EC_VIDEO_SIZE_CHANGED, 0x024002D0, 0);
    EXPECT_EQ(log.back(), "720x576");
}

TEST_F(GraphEvents, PlaybackRateKeepsItsSign)
{
    std::vector<float> rates;
    graph.OnDVDPlaybackRateChange = [&](TFilterGraph&, float rate) { rates.push_back(rate); };
    graph.DispatchGraphEvent(EC_DVD_PLAYBACK_RATE_CHANGE, 20000, 0);
    graph.DispatchGraphEvent(EC_DVD_PLAYBACK_RATE_CHANGE, -10000, 0);
    // A 32-bit value that reached the pointer-sized slot without sign extension.
    graph.DispatchGraphEvent(EC_DVD_PLAYBACK_RATE_CHANGE, static_cast<LONG_PTR>(0xFFFFD8F0u), 0);
    EXPECT_EQ(rates, (std::vector<float>{2.0f, -1.0f, -1.0f}));
}

TEST_F(GraphEvents, HMSFTimeAndItsFlags)
{
    graph.OnDVDCurrentHMSFTime = [&](TFilterGraph&, graph::tagDVD_HMSF_TIMECODE time,
                                     const graph::tagDVD_TIMECODE& flags) {
        Record(std::to_string(time.bHours) + ":" + std::to_string(time.bMinutes) + ":" + std::to_string(time.bSeconds) +
               "." + std::to_string(time.bFrames) + " rate " + std::to_string(flags.FrameRateCode) + " kind " +
               std::to_string(flags.Frames10));
    };
    graph.DispatchGraphEvent(EC_DVD_CURRENT_HMSF_TIME, 0x0C221E01, DVD_TC_FLAG_25fps | DVD_TC_FLAG_Interpolated);
    EXPECT_EQ(log.back(), "1:30:34.12 rate 1 kind 2");
}

TEST_F(GraphEvents, CurrentTimeDigitsAndFrameRate)
{
    graph.OnDVDCurrentTime = [&](TFilterGraph&, int h, int m, int s, int f, int rate) {
        Record(std::to_string(h) + ":" + std::to_string(m) + ":" + std::to_string(s) + "." + std::to_string(f) + "@" +
               std::to_string(rate));
    };
    // Digits 1,0 | 3,2 | 5,4 | 6,1 with frame-rate codes 1, 3 and 2.
    graph.DispatchGraphEvent(EC_DVD_CURRENT_TIME, 0x10325465, 0);
    graph.DispatchGraphEvent(EC_DVD_CURRENT_TIME, 0x10325467, 0);
    graph.DispatchGraphEvent(EC_DVD_CURRENT_TIME, 0x10325466, 0);
    EXPECT_EQ(log, (Log{"GraphEvent(267,271733861,0)", "1:23:45.16@25", "GraphEvent(267,271733863,0)", "1:23:45.16@30",
                        "GraphEvent(267,271733862,0)", "1:23:45.16@0"}));
}

TEST_F(GraphEvents, BooleansAreTrueOnlyForOneExceptKaraoke)
{
    graph.OnDVDAnglesAvailable = [&](TFilterGraph&, bool available) { Record(available ? "angles" : "no angles"); };
    graph.OnDVDKaraokeMode = [&](TFilterGraph&, bool played) { Record(played ? "karaoke" : "no karaoke"); };
    graph.OnDVDStillOn = [&](TFilterGraph&, bool noButton, int seconds) {
        Record(std::string(noButton ? "still without buttons " : "still ") + std::to_string(seconds));
    };
    graph.OnGraphBufferingData = [&](TFilterGraph&, bool buffering) {
        Record(buffering ? "buffering" : "not buffering");
    };
    graph.OnGraphDeviceLost = [&](TFilterGraph&, IUnknown*, bool removed) { Record(removed ? "removed" : "arrived"); };

    graph.RemoveEventNotifier(&notifier);
    graph.DispatchGraphEvent(EC_DVD_ANGLES_AVAILABLE, 2, 0);
    graph.DispatchGraphEvent(EC_DVD_ANGLES_AVAILABLE, 1, 0);
    graph.DispatchGraphEvent(EC_DVD_KARAOKE_MODE, 2, 0);
    graph.DispatchGraphEvent(EC_DVD_KARAOKE_MODE, 0, 0);
    graph.DispatchGraphEvent(EC_DVD_STILL_ON, 2, 5);
    graph.DispatchGraphEvent(EC_DVD_STILL_ON, 1, -1);
    graph.DispatchGraphEvent(EC_BUFFERING_DATA, 3, 0);
    graph.DispatchGraphEvent(EC_DEVICE_LOST, 0, 1);
    EXPECT_EQ(log, (Log{"no angles", "angles", "karaoke", "no karaoke", "still 5", "still without buttons -1",
                        "not buffering", "removed"}));
}

TEST_F(GraphEvents, SubCodesOutsideTheTablesReachOnlyNotifiersAndGeneralHandler)
{
    int specific = 0;
    auto count = [&](TFilterGraph&) { ++specific; };
    for (TNotifyEvent* handler : {&graph.OnDVDDomainFirstPlay, &graph.OnDVDDomainVideoManagerMenu,
                                  &graph.OnDVDDomainVideoTitleSetMenu, &graph.OnDVDDomainTitle, &graph.OnDVDDomainStop,
                                  &graph.OnDVDErrorUnexpected, &graph.OnDVDErrorIncompatibleDiscAndDecoderRegions,
                                  &graph.OnDVDWarningInvalidDVD1_0Disc, &graph.OnDVDWarningRead})
        *handler = count;
    int general = 0;
    graph.OnDSEvent = [&](TFilterGraph&, long, LONG_PTR, LONG_PTR) { ++general; };

    for (const auto& [code, sub] : std::vector<std::pair<long, LONG_PTR>>{{EC_DVD_DOMAIN_CHANGE, 0},
                                                                          {EC_DVD_DOMAIN_CHANGE, 6},
                                                                          {EC_DVD_ERROR, 0},
                                                                          {EC_DVD_ERROR, 9},
                                                                          {EC_DVD_WARNING, 7},
                                                                          {EC_DVD_WARNING, -1},
                                                                          {0x04, 1},
                                                                          {0x13, 1},
                                                                          {0x1D, 1}})
        graph.DispatchGraphEvent(code, sub, 0);
    EXPECT_EQ(specific, 0);
    EXPECT_EQ(general, 9);
    EXPECT_EQ(log.size(), 9u) << "every one reached the notifier";

    graph.DispatchGraphEvent(EC_DVD_DOMAIN_CHANGE, 1, 0);
    graph.DispatchGraphEvent(EC_DVD_DOMAIN_CHANGE, 5, 0);
    graph.DispatchGraphEvent(EC_DVD_ERROR, 1, 0);
    graph.DispatchGraphEvent(EC_DVD_ERROR, 8, 0);
    graph.DispatchGraphEvent(EC_DVD_WARNING, 1, 0);
    graph.DispatchGraphEvent(EC_DVD_WARNING, 6, 0);
    EXPECT_EQ(specific, 6);
}

TEST_F(GraphEvents, DomainSubCodesChooseTheirOwnHandler)
{
    graph.OnDVDDomainFirstPlay = [&](TFilterGraph&) { Record("first play"); };
    graph.OnDVDDomainVideoManagerMenu = [&](TFilterGraph&) { Record("manager menu"); };
    graph.OnDVDDomainVideoTitleSetMenu = [&](TFilterGraph&) { Record("title set menu"); };
    graph.OnDVDDomainTitle = [&](TFilterGraph&) { Record("title"); };
    graph.OnDVDDomainStop = [&](TFilterGraph&) { Record("stop"); };
    graph.RemoveEventNotifier(&notifier);
    for (LONG_PTR domain = 5; domain >= 1; --domain) graph.DispatchGraphEvent(EC_DVD_DOMAIN_CHANGE, domain, 0);
    EXPECT_EQ(log, (Log{"stop", "title", "title set menu", "manager menu", "first play"}));
}

TEST_F(GraphEvents, PostedEventsArriveThroughTheNotificationMessageInQueueOrder)
{
    graph.OnDVDTitleChange = [&](TFilterGraph&, int title) { Record("Title " + std::to_string(title)); };
    graph.OnDVDChapterStart = [&](TFilterGraph&, int chapter) { Record("Chapter " + std::to_string(chapter)); };
    graph.RemoveEventNotifier(&notifier);
    ASSERT_EQ(dvd.PostEvent(EC_DVD_TITLE_CHANGE, 2, 0), S_OK);
    ASSERT_EQ(dvd.PostEvent(EC_DVD_CHAPTER_START, 7, 0), S_OK);
    ASSERT_EQ(dvd.PostEvent(EC_DVD_TITLE_CHANGE, 3, 0), S_OK);
    EXPECT_TRUE(log.empty()) << "nothing happens before the message loop runs";

    PumpMessages();
    EXPECT_EQ(log, (Log{"Title 2", "Chapter 7", "Title 3"}));
}

TEST_F(GraphEvents, EventsFromAnotherThreadAreHandledOnTheGuiThread)
{
    const DWORD guiThread = GetCurrentThreadId();
    std::vector<int> seconds;
    graph.OnDVDCurrentHMSFTime = [&](TFilterGraph&, graph::tagDVD_HMSF_TIMECODE time, const graph::tagDVD_TIMECODE&) {
        EXPECT_EQ(GetCurrentThreadId(), guiThread);
        seconds.push_back(time.bSeconds);
    };
    std::vector<testsupport::GraphEventRecord> events;
    for (int second = 0; second < 40; ++second)
        events.push_back({EC_DVD_CURRENT_HMSF_TIME, static_cast<LONG_PTR>(second) << 16, DVD_TC_FLAG_25fps});
    ASSERT_EQ(dvd.PostEventsFromThread(events), S_OK);

    PumpMessages();
    ASSERT_EQ(seconds.size(), 40u);
    for (int second = 0; second < 40; ++second) EXPECT_EQ(seconds[second], second);
}

TEST_F(GraphEvents, StreamChangesCarryTheLanguageName)
{
    dvd.script.audioLanguages = {{1, 0x0409}};
    dvd.script.subpictureLanguages = {{0, 0x0407}};
    graph.OnDVDAudioStreamChange = [&](TFilterGraph&, int stream, int lcid, const std::string& language) {
        Record("audio " + std::to_string(stream) + " " + std::to_string(lcid) + " " + language);
    };
    graph.OnDVDSubpictureStreamChange = [&](TFilterGraph&, int stream, int lcid, const std::string& language) {
        Record("subpicture " + std::to_string(stream) + " " + std::to_string(lcid) + " " + language);
    };
    graph.RemoveEventNotifier(&notifier);
    graph.DispatchGraphEvent(EC_DVD_AUDIO_STREAM_CHANGE, 1, 0);
    graph.DispatchGraphEvent(EC_DVD_SUBPICTURE_STREAM_CHANGE, 0, 0);
    EXPECT_EQ(log, (Log{"audio 1 1033 English", "subpicture 0 1031 German"}));
    EXPECT_EQ(dvd.Log(), (Log{"GetFiltergraph", "GetAudioLanguage(1)", "GetSubpictureLanguage(0)"}));
}

TEST_F(GraphEvents, LanguageIsAskedOnlyWhenTheEventIsAssigned)
{
    graph.DispatchGraphEvent(EC_DVD_AUDIO_STREAM_CHANGE, 1, 0);
    graph.DispatchGraphEvent(EC_DVD_SUBPICTURE_STREAM_CHANGE, 1, 0);
    EXPECT_EQ(dvd.Log(), (Log{"GetFiltergraph"}));
    EXPECT_EQ(log.size(), 2u) << "the notifiers still hear them";
}

TEST_F(GraphEvents, RefusedLanguageShowsTheErrorAndLeavesLaterEventsQueued)
{
    graph.OnDVDAudioStreamChange = [&](TFilterGraph&, int, int, const std::string&) { Record("audio"); };
    graph.OnDVDTitleChange = [&](TFilterGraph&, int title) { Record("Title " + std::to_string(title)); };
    graph.RemoveEventNotifier(&notifier);
    dvd.PostEvent(EC_DVD_AUDIO_STREAM_CHANGE, 3, 0);  // no language scripted for stream 3
    dvd.PostEvent(EC_DVD_TITLE_CHANGE, 4, 0);

    // One notification at a time: the failing one ends its drain at the refused query.
    MSG message;
    ASSERT_TRUE(PeekMessageW(&message, graph.NotifyWindowHandle(), 0, 0, PM_REMOVE));
    DispatchMessageW(&message);
    ASSERT_EQ(log.size(), 1u);
    EXPECT_EQ(log[0], "Error: " + std::string(EDirectShowException(E_INVALIDARG).what()));

    PumpMessages();
    EXPECT_EQ(log, (Log{log[0], "Title 4"}));
}

TEST_F(GraphEvents, HandlerErrorsGoToTheErrorDisplay)
{
    graph.OnDVDChapterStart = [&](TFilterGraph&, int) -> void { throw std::runtime_error("chapter failed"); };
    graph.OnDVDTitleChange = [&](TFilterGraph&, int title) { Record("Title " + std::to_string(title)); };
    graph.RemoveEventNotifier(&notifier);
    dvd.PostEvent(EC_DVD_CHAPTER_START, 1, 0);
    dvd.PostEvent(EC_DVD_TITLE_CHANGE, 2, 0);
    PumpMessages();
    EXPECT_EQ(log, (Log{"Error: chapter failed", "Title 2"}));
}

TEST_F(GraphEvents, EventsQueuedBeforeDeactivationDoNothing)
{
    graph.OnDVDTitleChange = [&](TFilterGraph&, int) { Record("title"); };
    dvd.PostEvent(EC_DVD_TITLE_CHANGE, 1, 0);
    dvd.PostEvent(EC_DVD_TITLE_CHANGE, 2, 0);
    graph.SetActive(false);
    log.clear();

    PumpMessages();
    PostMessageW(graph.NotifyWindowHandle(), GraphNotifyMessage, 0, 0);
    PumpMessages();
    graph.ProcessPendingEvents();
    EXPECT_TRUE(log.empty());
    EXPECT_EQ(dvd.LiveObjects(), 0);
}

TEST_F(GraphEvents, HandlerThatDeactivatesEndsTheDrain)
{
    graph.OnDVDTitleChange = [&](TFilterGraph& sender, int title) {
        Record("Title " + std::to_string(title));
        sender.SetActive(false);
    };
    graph.RemoveEventNotifier(&notifier);
    dvd.PostEvent(EC_DVD_TITLE_CHANGE, 1, 0);
    dvd.PostEvent(EC_DVD_TITLE_CHANGE, 2, 0);
    PumpMessages();
    EXPECT_EQ(log, (Log{"Title 1"}));
    EXPECT_EQ(dvd.LiveObjects(), 0);
}

TEST_F(GraphEvents, PointerParametersAreDecoded)
{
    REFERENCE_TIME time = 123456789;
    graph.OnGraphEndOfSegment = [&](TFilterGraph&, REFERENCE_TIME at, ULONG segment) {
        Record(std::to_string(at) + " #" + std::to_string(segment));
    };
    graph.OnGraphComplete = [&](TFilterGraph&, HRESULT result, IBaseFilter* renderer) {
        Record(std::to_string(result) + (renderer ? " renderer" : " none"));
    };
    const BSTR first = SysAllocString(L"one");
    graph.OnGraphOleEvent = [&](TFilterGraph&, const std::wstring& a, const std::wstring& b) {
        Record(std::string(a.begin(), a.end()) + "|" + std::string(b.begin(), b.end()));
    };
    graph.RemoveEventNotifier(&notifier);
    graph.DispatchGraphEvent(EC_END_OF_SEGMENT, reinterpret_cast<LONG_PTR>(&time), 3);
    graph.DispatchGraphEvent(EC_END_OF_SEGMENT, 0, 4);
    graph.DispatchGraphEvent(EC_COMPLETE, E_FAIL, 0);
    graph.DispatchGraphEvent(EC_OLE_EVENT, reinterpret_cast<LONG_PTR>(first), 0);
    SysFreeString(first);
    EXPECT_EQ(log, (Log{"123456789 #3", "0 #4", std::to_string(E_FAIL) + " none", "one|"}));
}
