#include <gtest/gtest.h>

#include <algorithm>
#include <regex>

#include "graph/FilterGraph.h"
#include "support/MessagePump.h"
#include "support/RecordingMember.h"
#include "support/ScriptedDvd.h"
#include "support/ScriptedFilter.h"

using namespace graph;
using testsupport::FilterScript;
using testsupport::MakeScriptedFilter;
using testsupport::RecordingMember;
using testsupport::ScriptedDvd;
using Log = std::vector<std::string>;

namespace {

class GraphComponent : public ::testing::Test {
protected:
    GraphComponent() { graph.SetMode(gmDVD); }

    // Filters of the current graph by name, in enumeration order.
    std::vector<std::wstring> FilterNames()
    {
        std::vector<std::wstring> names;
        ComPtr<IEnumFilters> filters;
        if (!dvd.Graph() || FAILED(dvd.Graph()->EnumFilters(&filters))) return names;
        ComPtr<IBaseFilter> filter;
        while (filters->Next(1, filter.ReleaseAndGetAddressOf(), nullptr) == S_OK) {
            FILTER_INFO info{};
            filter->QueryFilterInfo(&info);
            if (info.pGraph) info.pGraph->Release();
            names.push_back(info.achName);
        }
        return names;
    }

    ScriptedDvd dvd;
    std::shared_ptr<FilterScript> memberScript = std::make_shared<FilterScript>();
    Log& log = memberScript->log;
    RecordingMember member{log, MakeScriptedFilter(memberScript)};
    TFilterGraph graph;
};

}  // namespace

TEST_F(GraphComponent, ActivationAndDeactivationReachMembersInOrder)
{
    graph.InsertFilterComponent(&member);
    graph.InsertEventNotifier(&member);
    graph.OnActivate = [&](TFilterGraph&) { log.push_back("OnActivate"); };
    EXPECT_TRUE(log.empty()) << "an inactive graph adds nothing";

    graph.SetActive(true);
    EXPECT_EQ(log, (Log{"NotifyFilter(0,0)", "GetName", "GetFilter", "Joined(Recorder)", "NotifyFilter(1,0)",
                        "OnActivate", "ControlEvent(7,1)"}));

    log.clear();
    graph.SetActive(false);
    EXPECT_EQ(log, (Log{"ControlEvent(7,0)", "NotifyFilter(2,0)", "GetFilter", "Left", "NotifyFilter(3,0)"}));
    EXPECT_FALSE(graph.Active());
}

TEST_F(GraphComponent, MembersJoinAndLeaveAnActiveGraph)
{
    graph.SetActive(true);
    graph.InsertFilterComponent(&member);
    EXPECT_EQ(log, (Log{"NotifyFilter(0,0)", "GetName", "GetFilter", "Joined(Recorder)", "NotifyFilter(1,0)"}));

    log.clear();
    graph.RemoveFilterComponent(&member);
    EXPECT_EQ(log, (Log{"NotifyFilter(2,0)", "GetFilter", "Left", "NotifyFilter(3,0)"}));

    log.clear();
    graph.SetActive(false);
    graph.SetActive(true);
    EXPECT_TRUE(log.empty()) << "a removed component stays out of later graphs";
}

TEST_F(GraphComponent, SettingTheCurrentValueDoesNothing)
{
    graph.InsertEventNotifier(&member);
    graph.SetActive(false);
    graph.SetMode(gmDVD);
    EXPECT_EQ(dvd.BuildersCreated(), 0);

    graph.SetActive(true);
    graph.SetActive(true);
    graph.SetMode(gmDVD);
    EXPECT_EQ(dvd.BuildersCreated(), 1);
    EXPECT_EQ(std::count(log.begin(), log.end(), "ControlEvent(7,1)"), 1);
}

TEST_F(GraphComponent, ModeChangeWhileActiveRebuildsAnEmptyGraph)
{
    graph.SetActive(true);
    graph.SetMode(gmNormal);
    EXPECT_TRUE(graph.Active());
    EXPECT_EQ(dvd.LiveObjects(), 0) << "the DVD builder is gone";
    EXPECT_TRUE(graph.Query<IMediaControl>());
    EXPECT_FALSE(graph.Query<IDvdControl2>());

    graph.SetMode(gmDVD);
    EXPECT_TRUE(graph.Active());
    EXPECT_EQ(dvd.BuildersCreated(), 2);
    EXPECT_TRUE(graph.Query<IDvdControl2>());
}

TEST_F(GraphComponent, CaptureModeBuildsAGraphWithItsBuilder)
{
    graph.SetMode(gmCapture);
    graph.SetActive(true);
    ComPtr<ICaptureGraphBuilder2> builder = graph.Query<ICaptureGraphBuilder2>();
    ASSERT_TRUE(builder);
    ComPtr<IGraphBuilder> attached;
    EXPECT_EQ(builder->GetFiltergraph(&attached), S_OK);
    EXPECT_EQ(attached.Get(), graph.Query<IGraphBuilder>().Get()) << "the builder works on the component's graph";
    EXPECT_TRUE(graph.Query<IMediaControl>());
    AM_DVD_RENDERSTATUS status{};
    EXPECT_EQ(graph.RenderDVD(status, L"", 0), VFW_E_DVD_RENDERFAIL) << "no DVD builder in this mode";
}

TEST_F(GraphComponent, LoadedActivatesOnlyWithAutoCreate)
{
    graph.Loaded();
    EXPECT_FALSE(graph.Active());
    graph.SetAutoCreate(true);
    graph.Loaded();
    EXPECT_TRUE(graph.Active());
}

TEST(GraphComponentLifetime, DestroyingAnActiveGraphReleasesEverything)
{
    ScriptedDvd dvd;
    {
        TFilterGraph graph;
        graph.SetMode(gmDVD);
        graph.SetGraphEdit(true);
        graph.SetActive(true);
        AM_DVD_RENDERSTATUS status{};
        graph.RenderDVD(status, L"", AM_DVD_HWDEC_PREFER);
        graph.PlayGraph();
    }
    EXPECT_EQ(dvd.LiveObjects(), 0);
}

TEST_F(GraphComponent, TypedRequestWhileInactiveFails)
{
    void* object = &object;
    EXPECT_EQ(graph.QueryInterface(__uuidof(IMediaControl), &object), E_NOINTERFACE);
    EXPECT_EQ(object, nullptr);
    try {
        graph.Get<IDvdControl2>();
        FAIL() << "no exception";
    } catch (const EInterfaceNotSupported& error) {
        EXPECT_STREQ(error.what(), "Interface not supported");
    }
    EXPECT_TRUE(dvd.QueryLog().empty());
}

TEST_F(GraphComponent, InterfacesAreSoughtOnBuilderThenNavigatorThenGraph)
{
    graph.SetActive(true);
    dvd.ClearLog();

    EXPECT_TRUE(graph.Get<IDvdGraphBuilder>());
    EXPECT_EQ(dvd.QueryLog(), (Log{"QueryInterface(IDvdGraphBuilder)"}));

    dvd.ClearLog();
    EXPECT_TRUE(graph.Get<IDvdControl2>());
    EXPECT_EQ(dvd.QueryLog(), (Log{"QueryInterface(IDvdControl2)", "GetDvdInterface(IDvdControl2)"}));

    dvd.ClearLog();
    const ComPtr<IMediaControl> control = graph.Get<IMediaControl>();
    EXPECT_EQ(dvd.QueryLog(), (Log{"QueryInterface(IMediaControl)", "GetDvdInterface(IMediaControl)"}));
    ComPtr<IMediaControl> graphsOwn;
    ASSERT_TRUE(SUCCEEDED(dvd.Graph().As(&graphsOwn)));
    EXPECT_EQ(control.Get(), graphsOwn.Get()) << "answered by the platform's graph";

    EXPECT_THROW(graph.Get<IVMRFilterConfig9>(), EInterfaceNotSupported);
}

TEST_F(GraphComponent, FailedCreationIsRaisedAndLeavesTheGraphInactive)
{
    graph.InsertEventNotifier(&member);
    dvd.script.createResult = REGDB_E_CLASSNOTREG;
    try {
        graph.SetActive(true);
        FAIL() << "no exception";
    } catch (const EDirectShowException& error) {
        EXPECT_EQ(error.Code(), REGDB_E_CLASSNOTREG);
    }
    EXPECT_FALSE(graph.Active());

    dvd.script.createResult = S_OK;
    dvd.script.filtergraphResult = E_OUTOFMEMORY;
    EXPECT_THROW(graph.SetActive(true), EDirectShowException);
    EXPECT_FALSE(graph.Active());
    EXPECT_EQ(dvd.LiveObjects(), 0) << "the builder that gave no graph was let go";
    EXPECT_TRUE(log.empty()) << "nobody heard of an activation";

    dvd.script.filtergraphResult = S_OK;
    graph.SetActive(true);
    EXPECT_TRUE(graph.Active());
}

TEST_F(GraphComponent, RenderWhileInactiveFailsWithoutTouchingAnything)
{
    graph.InsertEventNotifier(&member);
    AM_DVD_RENDERSTATUS status{};
    status.iNumStreamsFailed = 42;
    EXPECT_EQ(graph.RenderDVD(status, L"D:\\VIDEO_TS\\VIDEO_TS.IFO", AM_DVD_HWDEC_PREFER), VFW_E_DVD_RENDERFAIL);
    EXPECT_EQ(status.iNumStreamsFailed, 42);
    EXPECT_TRUE(log.empty());
}

TEST_F(GraphComponent, RenderTellsNotifiersBeforeAndAfterASuccessfulBuild)
{
    graph.InsertEventNotifier(&member);
    graph.SetActive(true);
    log.clear();
    dvd.ClearLog();

    dvd.script.renderResult = S_FALSE;
    dvd.script.renderStatus.bDvdVolUnknown = TRUE;
    AM_DVD_RENDERSTATUS status{};
    EXPECT_EQ(graph.RenderDVD(status, L"D:\\VIDEO_TS\\VIDEO_TS.IFO", AM_DVD_HWDEC_PREFER), S_FALSE);
    EXPECT_TRUE(status.bDvdVolUnknown);
    EXPECT_EQ(log, (Log{"ControlEvent(5,1)", "ControlEvent(6,1)"}));
    EXPECT_EQ(dvd.Log(), (Log{"RenderDvdVideoVolume(D:\\VIDEO_TS\\VIDEO_TS.IFO,1)"}));

    dvd.script.renderResult = S_OK;
    graph.RenderDVD(status, L"", AM_DVD_SWDEC_PREFER);
    EXPECT_EQ(dvd.Log().back(), "RenderDvdVideoVolume(null,4)") << "an empty path passes no volume";
}

TEST_F(GraphComponent, RenderFailureIsReturnedWithoutRenderedEvent)
{
    graph.InsertEventNotifier(&member);
    graph.SetActive(true);
    log.clear();
    for (const HRESULT failure : {VFW_E_DVD_DECNOTENOUGH, VFW_E_DVD_RENDERFAIL, E_INVALIDARG}) {
        dvd.script.renderResult = failure;
        AM_DVD_RENDERSTATUS status{};
        EXPECT_EQ(graph.RenderDVD(status, L"x", AM_DVD_HWDEC_PREFER), failure);
    }
    EXPECT_EQ(log, (Log{"ControlEvent(5,1)", "ControlEvent(5,1)", "ControlEvent(5,1)"}));
}

TEST_F(GraphComponent, TransportNotifiesFirstAndReportsSettledStates)
{
    Log& navigator = dvd.script.navigatorFilter.log;
    RecordingMember listener{navigator, nullptr};
    graph.InsertEventNotifier(&listener);
    graph.SetActive(true);
    AM_DVD_RENDERSTATUS status{};
    ASSERT_EQ(graph.RenderDVD(status, L"", AM_DVD_HWDEC_PREFER), S_OK);
    navigator.clear();

    EXPECT_TRUE(graph.PlayGraph());
    ASSERT_FALSE(navigator.empty());
    EXPECT_EQ(navigator.front(), "ControlEvent(0,0)");
    EXPECT_EQ(navigator.back(), "Run");

    navigator.clear();
    EXPECT_TRUE(graph.PauseGraph());
    EXPECT_EQ(navigator, (Log{"ControlEvent(1,0)", "Pause"}));

    graph.PlayGraph();
    dvd.script.navigatorFilter.pauseResult = S_FALSE;
    EXPECT_FALSE(graph.PauseGraph()) << "a pause still settling";

    dvd.script.navigatorFilter.pauseResult = S_OK;
    navigator.clear();
    EXPECT_TRUE(graph.StopGraph());
    EXPECT_EQ(navigator, (Log{"ControlEvent(2,0)", "Stop"}));
    graph.RemoveEventNotifier(&listener);
}

TEST_F(GraphComponent, TransportFailureRaisesAndKeepsTheGraphActive)
{
    graph.SetActive(true);
    AM_DVD_RENDERSTATUS status{};
    graph.RenderDVD(status, L"", AM_DVD_HWDEC_PREFER);
    // The platform's graph pauses on its way from stopped to running.
    dvd.script.navigatorFilter.pauseResult = E_ACCESSDENIED;
    try {
        graph.PlayGraph();
        FAIL() << "no exception";
    } catch (const EDirectShowException& error) {
        EXPECT_EQ(error.Code(), E_ACCESSDENIED);
    }
    EXPECT_THROW(graph.PauseGraph(), EDirectShowException);
    EXPECT_TRUE(graph.Active());

    dvd.script.navigatorFilter.pauseResult = S_FALSE;
    EXPECT_TRUE(graph.PlayGraph()) << "any success code counts for running";
}

// A listener that fails as a renderer whose window has gone does.
class FailingListener : public IGraphEventNotifier {
public:
    void GraphEvent(long, LONG_PTR, LONG_PTR) override {}
    void ControlEvent(TControlEvent, DWORD) override { throw EDirectShowException(E_FAIL); }
};

TEST_F(GraphComponent, AListenersFailureIsRaisedAfterTheGraphHasChanged)
{
    graph.SetActive(true);
    AM_DVD_RENDERSTATUS status{};
    graph.RenderDVD(status, L"", AM_DVD_HWDEC_PREFER);
    FailingListener listener;
    graph.InsertEventNotifier(&listener);
    Log& navigator = dvd.script.navigatorFilter.log;
    navigator.clear();
    EXPECT_THROW(graph.PlayGraph(), EDirectShowException);
    EXPECT_THROW(graph.PauseGraph(), EDirectShowException);
    EXPECT_THROW(graph.StopGraph(), EDirectShowException);
    EXPECT_EQ(navigator, (Log{"Pause", "Run", "Pause", "Stop"}));
    graph.RemoveEventNotifier(&listener);
}

TEST_F(GraphComponent, TransportWhileInactiveDoesNothing)
{
    graph.InsertEventNotifier(&member);
    EXPECT_FALSE(graph.PlayGraph());
    EXPECT_FALSE(graph.PauseGraph());
    EXPECT_FALSE(graph.StopGraph());
    graph.ClearGraph();
    EXPECT_TRUE(log.empty());
}

TEST_F(GraphComponent, ClearGraphKeepsOnlyComponentFilters)
{
    // A real platform renderer, as the video display control brings.
    ComPtr<IBaseFilter> renderer;
    ASSERT_EQ(CoCreateInstance(CLSID_VideoRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&renderer)), S_OK)
        << "the video renderer needs a display";
    Log rendererLog;
    RecordingMember video{rendererLog, renderer, L"VideoWindow"};
    graph.InsertFilterComponent(&video);
    graph.SetActive(true);
    dvd.script.videoRenderers = 1;
    AM_DVD_RENDERSTATUS status{};
    ASSERT_EQ(graph.RenderDVD(status, L"", AM_DVD_HWDEC_PREFER), S_OK);
    EXPECT_EQ(FilterNames().size(), 3u);
    dvd.script.navigatorFilter.log.clear();

    graph.ClearGraph();
    EXPECT_EQ(FilterNames(), (std::vector<std::wstring>{L"VideoWindow"}));
    EXPECT_EQ(dvd.script.navigatorFilter.log, (Log{"Left"}));
    EXPECT_TRUE(graph.Active());

    graph.SetActive(false);
    graph.RemoveFilterComponent(&video);
}

TEST_F(GraphComponent, VolumeMapsOntoHundredthsOfADecibel)
{
    EXPECT_EQ(graph.Volume(), 0) << "inactive";
    graph.SetVolume(5000);

    graph.SetActive(true);
    EXPECT_EQ(graph.Volume(), 0) << "no audio renderer";
    dvd.script.audioRenderer = true;
    AM_DVD_RENDERSTATUS status{};
    ASSERT_EQ(graph.RenderDVD(status, L"", AM_DVD_HWDEC_PREFER), S_OK);

    graph.SetVolume(7500);
    EXPECT_EQ(graph.Volume(), 7500);
    long level = 0;
    graph.Get<IBasicAudio>()->get_Volume(&level);
    EXPECT_EQ(level, -2500);
    graph.SetVolume(0);
    EXPECT_EQ(graph.Volume(), 0);
}

TEST_F(GraphComponent, EverythingTakenIsReleasedAfterDeactivation)
{
    graph.InsertFilterComponent(&member);
    graph.InsertEventNotifier(&member);
    graph.SetGraphEdit(true);
    graph.SetActive(true);
    AM_DVD_RENDERSTATUS status{};
    graph.RenderDVD(status, L"", AM_DVD_HWDEC_PREFER);
    graph.PlayGraph();
    ComPtr<IDvdCmd> command;
    graph.Get<IDvdControl2>()->PlayForwards(1.0, DVD_CMD_FLAG_None, &command);
    graph.Get<IDvdInfo2>();
    command.Reset();
    graph.ClearGraph();
    EXPECT_EQ(dvd.LiveCommands(), 0);

    graph.SetActive(false);
    EXPECT_EQ(dvd.LiveObjects(), 0);
    EXPECT_EQ(dvd.LiveGraphs(), 0);
    EXPECT_EQ(memberScript->liveFilters, 1) << "only the member's own reference remains";
}

namespace {

std::vector<std::wstring> RunningNames()
{
    std::vector<std::wstring> names;
    ComPtr<IRunningObjectTable> table;
    ComPtr<IEnumMoniker> monikers;
    ComPtr<IBindCtx> context;
    if (FAILED(GetRunningObjectTable(0, &table)) || FAILED(table->EnumRunning(&monikers)) ||
        FAILED(CreateBindCtx(0, &context)))
        return names;
    ComPtr<IMoniker> moniker;
    while (monikers->Next(1, moniker.ReleaseAndGetAddressOf(), nullptr) == S_OK) {
        LPOLESTR name = nullptr;
        if (SUCCEEDED(moniker->GetDisplayName(context.Get(), nullptr, &name))) {
            if (std::wstring(name).find(L"FilterGraph") != std::wstring::npos) names.push_back(name);
            CoTaskMemFree(name);
        }
    }
    return names;
}

std::wstring ExpectedEntry(IUnknown* graph)
{
    wchar_t name[80];
    std::swprintf(name, 80, L"!FilterGraph %016llX pid %lX",
                  static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(graph)),
                  static_cast<unsigned long>(GetCurrentProcessId()));
    return name;
}

}  // namespace

TEST_F(GraphComponent, RegisteredForInspectionWhileActive)
{
    graph.SetGraphEdit(true);
    EXPECT_TRUE(RunningNames().empty()) << "nothing to register while inactive";

    graph.SetActive(true);
    const std::wstring first = ExpectedEntry(dvd.Graph().Get());
    EXPECT_EQ(RunningNames(), (std::vector<std::wstring>{first}));
    EXPECT_TRUE(std::regex_match(first, std::wregex(L"!FilterGraph [0-9A-F]{16} pid [1-9A-F][0-9A-F]*")));

    graph.SetActive(false);
    EXPECT_TRUE(RunningNames().empty());

    graph.SetActive(true);
    EXPECT_EQ(RunningNames(), (std::vector<std::wstring>{ExpectedEntry(dvd.Graph().Get())}));
    graph.SetGraphEdit(false);
    EXPECT_TRUE(RunningNames().empty());
    graph.SetGraphEdit(true);
    EXPECT_EQ(RunningNames().size(), 1u);
}

TEST_F(GraphComponent, LogFileThatCannotBeCreatedKeepsThePreviousName)
{
    wchar_t folder[MAX_PATH];
    GetTempPathW(MAX_PATH, folder);
    const std::wstring good = std::wstring(folder) + L"lumadisc-graph-test.log";
    const std::wstring bad = std::wstring(folder) + L"no-such-folder\\graph.log";

    graph.SetLogFile(bad);
    EXPECT_EQ(graph.LogFile(), bad) << "only stored while inactive";
    graph.SetActive(true);
    EXPECT_EQ(graph.LogFile(), bad) << "activation applies it without reporting";

    graph.SetLogFile(good);
    EXPECT_EQ(graph.LogFile(), good);
    EXPECT_NE(GetFileAttributesW(good.c_str()), INVALID_FILE_ATTRIBUTES);

    graph.SetLogFile(bad);
    EXPECT_EQ(graph.LogFile(), good);
    graph.SetActive(false);
    EXPECT_EQ(graph.LogFile(), good);
    EXPECT_TRUE(DeleteFileW(good.c_str())) << "the log is closed on deactivation";
}

namespace {

// A member whose renderer cannot be let go of: its removal raises.
class FailingMember : public RecordingMember {
public:
    using RecordingMember::RecordingMember;
    void NotifyFilter(graph::TFilterOperation operation, int param) override
    {
        RecordingMember::NotifyFilter(operation, param);
        if (operation == graph::foRemoving) throw EDirectShowException(E_FAIL);
    }
};

}  // namespace

TEST_F(GraphComponent, DeactivationThatMeetsAnErrorStillLetsTheWholeGraphGo)
{
    FailingMember failing{log, nullptr, L"Failing"};
    graph.InsertFilterComponent(&failing);
    graph.InsertFilterComponent(&member);
    graph.SetGraphEdit(true);
    graph.SetActive(true);
    log.clear();

    EXPECT_THROW(graph.SetActive(false), EDirectShowException);
    EXPECT_FALSE(graph.Active());
    EXPECT_NE(std::find(log.begin(), log.end(), "NotifyFilter(3,0)"), log.end()) << "the other member still left";
    EXPECT_TRUE(RunningNames().empty());
    EXPECT_EQ(dvd.LiveGraphs(), 0) << "neither the event queue nor the registration keeps it";
    graph.RemoveFilterComponent(&failing);
}

// An error box shown by a handler runs a modal loop that lets the next notification in: the
// drain under way must take those events after the box, one box at a time.
TEST_F(GraphComponent, AHandlerWithAModalLoopDoesNotNestTheDrain)
{
    graph.SetActive(true);
    int depth = 0, deepest = 0;
    std::vector<int> titles;
    graph.OnDVDTitleChange = [&](TFilterGraph&, int title) {
        deepest = std::max(deepest, ++depth);
        titles.push_back(title);
        if (title == 1) dvd.PostEvent(EC_DVD_TITLE_CHANGE, 3, 0);
        testsupport::PumpMessages();  // the box's own loop
        --depth;
    };
    dvd.PostEvent(EC_DVD_TITLE_CHANGE, 1, 0);
    dvd.PostEvent(EC_DVD_TITLE_CHANGE, 2, 0);
    testsupport::PumpMessages();

    EXPECT_EQ(deepest, 1);
    EXPECT_EQ(titles, (std::vector<int>{1, 2, 3}));
}
