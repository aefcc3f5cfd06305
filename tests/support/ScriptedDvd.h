#pragma once
// A scripted DVD graph builder and navigator at the platform boundary.
//
// While a ScriptedDvd object lives, CoCreateInstance(CLSID_DvdGraphBuilder) in this process
// returns a builder of its own, so the player's graph component gets it unchanged. Each
// builder hands out a real platform filter graph (CLSID_FilterGraph); events queued with
// PostEvent travel through that graph's IMediaEventSink::Notify and reach the player
// through the real notification message (pump messages to see them).
//
//   testsupport::ScriptedDvd dvd;                // installed; uninstalled at destruction
//   dvd.script.audioStreams = 2;                 // what the navigator answers
//   dvd.script.audioLanguages = {{0, 0x409}, {1, 0x407}};
//   graph.SetActive(true); ...
//   EXPECT_TRUE(dvd.Called("PlayForwards(1.0)"));
//   dvd.PostEvent(EC_DVD_TITLE_CHANGE, 2, 0);   // then PumpMessages()
//   graph.SetActive(false);
//   EXPECT_EQ(dvd.LiveObjects(), 0);             // the player let go of everything
//
// The graph is aggregated by the double, so every reference taken on it is counted. Under
// Wine, a standard video renderer that has been run takes about two seconds to be destroyed.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "graph/DirectShow.h"
#include "support/ScriptedFilter.h"

namespace testsupport {

// What the builder and the navigator answer. Change it at any time; it is read per call.
struct DvdScript {
    // Builder. createResult fails CoCreateInstance itself; filtergraphResult GetFiltergraph.
    HRESULT createResult = S_OK;
    HRESULT filtergraphResult = S_OK;
    HRESULT renderResult = S_OK;
    AM_DVD_RENDERSTATUS renderStatus{};
    // When set, a build waits for this event (10 s at most) before it answers, like a drive
    // spinning up.
    HANDLE renderGate = nullptr;
    // Filters a build (S_OK or S_FALSE) adds to the graph besides the navigator filter:
    // standard video renderers ("Video Renderer", "Video Renderer 2", ...) and a DirectSound
    // renderer (which makes the graph answer IBasicAudio).
    int videoRenderers = 0;
    bool audioRenderer = false;

    // The navigator's filter, added to the graph by a build as "DVD Navigator": the graph's
    // transport answers follow its runResult, pauseResult and stopResult.
    FilterScript navigatorFilter;

    // Answers of IDvdControl2 commands and IDvdInfo2 queries by method name (default S_OK;
    // unscripted info queries answer E_NOTIMPL). A failing query leaves its outputs alone.
    std::map<std::string, HRESULT> results;
    // PlayForwards(2.0) answers VFW_E_DVD_OPERATION_INHIBITED.
    bool inhibitDoubleSpeed = false;

    DVD_DOMAIN domain = DVD_DOMAIN_Title;
    std::wstring directory;  // the volume's VIDEO_TS folder; empty leaves the query unscripted
    DVD_PLAYBACK_LOCATION2 location{1, 1, {0, 0, 0, 0}, DVD_TC_FLAG_25fps};
    DVD_HMSF_TIMECODE totalTitleTime{0, 0, 0, 0};
    ULONG totalTitleTimeFlags = DVD_TC_FLAG_25fps;
    ULONG audioStreams = 0, currentAudio = 0;
    ULONG subpictureStreams = 0, currentSubpicture = 0;
    BOOL subpictureDisabled = FALSE;
    ULONG angles = 1, currentAngle = 1;
    ULONG buttons = 0, currentButton = 0;
    ULONG uops = 0;
    std::map<ULONG, LCID> audioLanguages;                  // stream -> locale; a missing stream fails
    std::map<ULONG, LCID> subpictureLanguages;             // the same for subpicture streams
    std::map<ULONG, DVD_AudioAttributes> audioAttributes;  // stream -> record; missing fails
    std::map<ULONG, ULONG> chapters;                       // title -> number of chapters; a missing title fails
    DVD_VideoAttributes videoAttributes{};
};

struct GraphEventRecord {
    long code;
    LONG_PTR param1;
    LONG_PTR param2;
};

class ScriptedDvd {
public:
    struct State;

private:
    std::shared_ptr<State> state_;

public:
    ScriptedDvd();
    ~ScriptedDvd();
    ScriptedDvd(const ScriptedDvd&) = delete;
    ScriptedDvd& operator=(const ScriptedDvd&) = delete;

    DvdScript& script;

    // Navigator and builder calls in order, e.g. "GetFiltergraph",
    // "RenderDvdVideoVolume(D:\VIDEO_TS\VIDEO_TS.IFO,1)" (a null path reads "null"),
    // "SetOption(3,1)", "PlayForwards(2.0)", "ShowMenu(3)", "SelectAudioStream(1)",
    // "PlayAtTimeInTitle(0,1:2:3.0)", "SelectAtPosition(10,20)", "GetAudioLanguage(1)".
    // Command flags other than 0 are appended: "PlayChapter(2,flags=1)".
    const std::vector<std::string>& Log() const;
    // Interface look-ups on the builder, in order: "QueryInterface(IMediaControl)",
    // "GetDvdInterface(IDvdControl2)".
    const std::vector<std::string>& QueryLog() const;
    bool Called(const std::string& call) const;
    int Count(const std::string& call) const;
    void ClearLog();

    // Queues an event in the current builder's graph (from the calling thread). Fails when
    // no builder is alive.
    HRESULT PostEvent(long code, LONG_PTR param1, LONG_PTR param2);
    // Queues the events in order from a thread of their own; returns once all are queued.
    HRESULT PostEventsFromThread(const std::vector<GraphEventRecord>& events);

    // The current builder's real graph (null when none): the caller holds a reference
    // until it lets go of the result.
    ComPtr<IGraphBuilder> Graph() const;

    int BuildersCreated() const;
    // Builders, navigators, command objects, graphs and navigator filters still alive.
    int LiveObjects() const;
    // Command objects handed out with navigator commands and not yet released.
    int LiveCommands() const;
    // Platform graphs handed out by builders and still referenced by anyone.
    int LiveGraphs() const;

private:
    ComPtr<IClassFactory> factory_;
    DWORD cookie_ = 0;
};

}  // namespace testsupport
