#include "graph/FilterGraph.h"

#include "graph/ClassContext.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <exception>

namespace graph {

namespace {

template <class I> HRESULT CreateInProcess(REFCLSID clsid, ComPtr<I>& object)
{
    return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(object.ReleaseAndGetAddressOf()));
}

// Walks a DirectShow enumerator one item at a time until it stops answering S_OK.
template <class Enumerator, class Item, class Visit> void ForEach(Enumerator& enumerator, Visit visit)
{
    ComPtr<Item> item;
    while (enumerator.Next(1, item.ReleaseAndGetAddressOf(), nullptr) == S_OK) visit(item);
}

// Waits for `thread` to end while the calling thread's windows go on answering. A quit request
// met on the way is left for the loop it was meant for; until the end only messages other
// threads send are answered then.
void WaitDispatching(HANDLE thread)
{
    bool quit = false;
    WPARAM exitCode = 0;
    while (MsgWaitForMultipleObjectsEx(1, &thread, INFINITE, quit ? QS_SENDMESSAGE : QS_ALLINPUT,
                                       quit ? 0 : MWMO_INPUTAVAILABLE) == WAIT_OBJECT_0 + 1) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, quit ? PM_REMOVE | PM_QS_SENDMESSAGE : PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                quit = true;
                exitCode = message.wParam;
                break;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    if (quit) PostQuitMessage(static_cast<int>(exitCode));
}

}  // namespace

// One opening of a volume, shared by the thread that runs it and the component that waits.
struct TFilterGraph::Build {
    ComPtr<IDvdGraphBuilder> builder;
    std::wstring path;
    DWORD flags = 0;
    AM_DVD_RENDERSTATUS status{};
    HRESULT result = E_UNEXPECTED;
    std::atomic<bool> done{false};
    HANDLE thread = nullptr;

    ~Build()
    {
        if (thread) CloseHandle(thread);
    }

    void Run()
    {
        // Its own apartment: what the builder creates here is free-threaded, like the builder.
        const HRESULT com = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        result = builder->RenderDvdVideoVolume(path.empty() ? nullptr : path.c_str(), flags, &status);
        builder.Reset();
        if (SUCCEEDED(com)) CoUninitialize();
        done = true;
    }

    static DWORD WINAPI Thread(void* parameter)
    {
        const std::unique_ptr<std::shared_ptr<Build>> build(static_cast<std::shared_ptr<Build>*>(parameter));
        (*build)->Run();
        return 0;
    }
};

TFilterGraph::TFilterGraph() : notifyWindow_([this] { ProcessPendingEvents(); }) {}

TFilterGraph::~TFilterGraph()
{
    // A destructor cannot report; the platform objects are released either way.
    try {
        SetActive(false);
    } catch (...) {}
}

void TFilterGraph::Loaded()
{
    if (autoCreate_) SetActive(true);
}

void TFilterGraph::SetMode(TGraphMode mode)
{
    Settle();
    if (mode == mode_) return;
    const bool wasActive = active_;
    SetActive(false);
    mode_ = mode;
    SetActive(wasActive);
}

void TFilterGraph::SetActive(bool active)
{
    Settle();
    if (active == active_) return;
    if (active)
        Activate();
    else
        Deactivate();
}

void TFilterGraph::CreateGraphObjects()
{
    // Nothing is called through an object that could not be made: the creation's code is
    // raised instead and whatever was made is let go.
    auto require = [this](HRESULT code) {
        if (FAILED(code)) {
            graphBuilder_.Reset();
            captureGraphBuilder_.Reset();
            dvdGraphBuilder_.Reset();
            throw EDirectShowException(code);
        }
    };
    switch (mode_) {
    case gmNormal: {
        ComPtr<IFilterGraph2> graph;
        require(CreateInProcess(CLSID_FilterGraph, graph));
        require(graph.As(&graphBuilder_));
        break;
    }
    case gmCapture: {
        ComPtr<IFilterGraph2> graph;
        require(CreateInProcess(CLSID_CaptureGraphBuilder2, captureGraphBuilder_));
        require(CreateInProcess(CLSID_FilterGraph, graph));
        require(graph.As(&graphBuilder_));
        captureGraphBuilder_->SetFiltergraph(graphBuilder_.Get());
        break;
    }
    case gmDVD: {
        // The navigator beside the program comes ahead of the system's, which has no decoders
        // on today's Windows; without it the system's is created.
        const TClassActivation navigator(NavigatorClasses());
        require(CreateInProcess(CLSID_DvdGraphBuilder, dvdGraphBuilder_));
        require(dvdGraphBuilder_->GetFiltergraph(graphBuilder_.ReleaseAndGetAddressOf()));
        if (!graphBuilder_) require(E_POINTER);
        break;
    }
    }
}

void TFilterGraph::Activate()
{
    CreateGraphObjects();
    active_ = true;

    if (SUCCEEDED(QueryInterface(__uuidof(IMediaEventEx), reinterpret_cast<void**>(mediaEvent_.GetAddressOf())))) {
        mediaEvent_->SetNotifyFlags(0);
        mediaEvent_->SetNotifyWindow(reinterpret_cast<OAHWND>(notifyWindow_.Handle()), GraphNotifyMessage,
                                     reinterpret_cast<LONG_PTR>(mediaEvent_.Get()));
    }
    SetGraphEdit(graphEdit_);
    ApplyLogFile(logFile_);

    for (IFilterComponent* component : std::vector(filterComponents_)) AddComponentFilter(*component);
    if (OnActivate) OnActivate(*this);
    BroadcastControlEvent(ceActive, 1);
}

void TFilterGraph::Deactivate()
{
    // Whatever a component raises, the graph is still let go of entirely: no notification may
    // arrive for it and no registration may keep it alive. The first error is reported after.
    std::exception_ptr failure;
    const auto attempt = [&failure](const auto& step) {
        try {
            step();
        } catch (...) {
            if (!failure) failure = std::current_exception();
        }
    };
    attempt([this] { BroadcastControlEvent(ceActive, 0); });
    for (IFilterComponent* component : std::vector(filterComponents_))
        attempt([this, component] { RemoveComponentFilter(*component); });

    if (mediaEvent_) {
        mediaEvent_->SetNotifyFlags(AM_MEDIAEVENT_NONOTIFY);
        mediaEvent_.Reset();
    }
    if (rotCookie_ != 0) Revoke();
    graphBuilder_->SetLogFile(0);
    logStream_.reset();

    graphBuilder_.Reset();
    captureGraphBuilder_.Reset();
    dvdGraphBuilder_.Reset();
    active_ = false;
    ++emptied_;
    if (failure) std::rethrow_exception(failure);
}

HRESULT TFilterGraph::QueryInterface(REFIID iid, void** object)
{
    if (!object) return E_POINTER;
    *object = nullptr;
    // The builder keeps its objects to itself while it builds; asking could wait on the drive.
    if (!active_ || Building()) return E_NOINTERFACE;

    HRESULT result = E_NOINTERFACE;
    switch (mode_) {
    case gmNormal: break;
    case gmCapture: result = captureGraphBuilder_->QueryInterface(iid, object); break;
    case gmDVD:
        result = dvdGraphBuilder_->QueryInterface(iid, object);
        if (FAILED(result)) result = dvdGraphBuilder_->GetDvdInterface(iid, object);
        break;
    }
    if (FAILED(result) || !*object) {
        *object = nullptr;
        result = graphBuilder_->QueryInterface(iid, object);
    }
    return result;
}

// The listeners hear of a change first (the picture is placed before it runs), but one that
// fails does not keep the graph from changing: its error is raised after.
HRESULT TFilterGraph::AfterTelling(TControlEvent kind, const std::function<HRESULT()>& change)
{
    std::exception_ptr failure;
    try {
        BroadcastControlEvent(kind, 0);
    } catch (...) {
        failure = std::current_exception();
    }
    const HRESULT result = change();
    if (failure) std::rethrow_exception(failure);
    return result;
}

bool TFilterGraph::PlayGraph()
{
    const ComPtr<IMediaControl> control = Query<IMediaControl>();
    if (!control) return false;
    AfterTelling(ceControlPlay, [&control] { return Check(control->Run()); });
    return true;
}

bool TFilterGraph::PauseGraph()
{
    const ComPtr<IMediaControl> control = Query<IMediaControl>();
    if (!control) return false;
    return AfterTelling(ceControlPause, [&control] { return Check(control->Pause()); }) == S_OK;
}

bool TFilterGraph::StopGraph()
{
    const ComPtr<IMediaControl> control = Query<IMediaControl>();
    if (!control) return false;
    return AfterTelling(ceControlStop, [&control] { return Check(control->Stop()); }) == S_OK;
}

std::vector<ComPtr<IBaseFilter>> TFilterGraph::ListFilters()
{
    std::vector<ComPtr<IBaseFilter>> filters;
    ComPtr<IEnumFilters> enumerator;
    Check(graphBuilder_->EnumFilters(&enumerator));
    ForEach<IEnumFilters, IBaseFilter>(*enumerator.Get(), [&](const ComPtr<IBaseFilter>& f) { filters.push_back(f); });
    return filters;
}

void TFilterGraph::ClearGraph()
{
    Settle();
    if (!graphBuilder_) return;
    ++emptied_;
    StopGraph();

    for (const ComPtr<IBaseFilter>& filter : ListFilters()) {
        ComPtr<IEnumPins> pins;
        Check(filter->EnumPins(&pins));
        ForEach<IEnumPins, IPin>(*pins.Get(), [](const ComPtr<IPin>& pin) { Check(pin->Disconnect()); });
    }

    std::vector<ComPtr<IBaseFilter>> filters = ListFilters();
    for (IFilterComponent* component : filterComponents_) {
        const ComPtr<IBaseFilter> own = component->GetFilter();
        std::erase_if(filters, [&](const ComPtr<IBaseFilter>& filter) { return filter.Get() == own.Get(); });
    }
    for (const ComPtr<IBaseFilter>& filter : filters) Check(graphBuilder_->RemoveFilter(filter.Get()));
}

HRESULT TFilterGraph::RenderDVD(AM_DVD_RENDERSTATUS& status, const std::wstring& path, DWORD flags)
{
    Settle();
    if (!dvdGraphBuilder_) return VFW_E_DVD_RENDERFAIL;
    BroadcastControlEvent(ceDVDRendering, flags);

    const auto build = std::make_shared<Build>();
    build->builder = dvdGraphBuilder_;
    build->path = path;
    build->flags = flags;
    auto* shared = new std::shared_ptr<Build>(build);
    build->thread = CreateThread(nullptr, 0, Build::Thread, shared, 0, nullptr);
    if (build->thread) {
        const unsigned emptied = emptied_;
        build_ = build;
        WaitDispatching(build->thread);
        if (build_ == build) build_.reset();
        // Events the graph queued meanwhile waited for it to be built.
        PostMessageW(notifyWindow_.Handle(), GraphNotifyMessage, 0, 0);
        if (emptied != emptied_) return E_ABORT;
    } else {
        delete shared;
        build->Run();
    }
    status = build->status;
    if (build->result == S_OK || build->result == S_FALSE) BroadcastControlEvent(ceDVDRendered, flags);
    return build->result;
}

bool TFilterGraph::Building() const { return build_ && !build_->done; }

void TFilterGraph::Settle()
{
    // A copy: the build may be let go of by the frame that started it once this wait ends.
    if (const std::shared_ptr<Build> build = build_; build && !build->done) WaitDispatching(build->thread);
}

int TFilterGraph::Volume()
{
    const ComPtr<IBasicAudio> audio = Query<IBasicAudio>();
    if (!audio) return 0;
    // A renderer that refuses to tell leaves the level at silence.
    long level = -10000;
    audio->get_Volume(&level);
    return level + 10000;
}

void TFilterGraph::SetVolume(int volume)
{
    if (const ComPtr<IBasicAudio> audio = Query<IBasicAudio>()) audio->put_Volume(volume - 10000);
}

void TFilterGraph::InsertFilterComponent(IFilterComponent* component)
{
    Settle();
    if (!component) return;
    filterComponents_.push_back(component);
    if (active_) AddComponentFilter(*component);
}

void TFilterGraph::RemoveFilterComponent(IFilterComponent* component)
{
    Settle();
    const auto found = std::find(filterComponents_.begin(), filterComponents_.end(), component);
    if (found != filterComponents_.end()) filterComponents_.erase(found);
    if (active_ && component) RemoveComponentFilter(*component);
}

void TFilterGraph::InsertEventNotifier(IGraphEventNotifier* notifier)
{
    if (notifier) eventNotifiers_.push_back(notifier);
}

void TFilterGraph::RemoveEventNotifier(IGraphEventNotifier* notifier)
{
    const auto found = std::find(eventNotifiers_.begin(), eventNotifiers_.end(), notifier);
    if (found != eventNotifiers_.end()) eventNotifiers_.erase(found);
}

void TFilterGraph::AddComponentFilter(IFilterComponent& component)
{
    component.NotifyFilter(foAdding, 0);
    // Name first, then filter: members may rely on the order of these calls.
    const std::wstring name = component.GetName();
    const ComPtr<IBaseFilter> filter = component.GetFilter();
    graphBuilder_->AddFilter(filter.Get(), name.c_str());
    component.NotifyFilter(foAdded, 0);
}

void TFilterGraph::RemoveComponentFilter(IFilterComponent& component)
{
    component.NotifyFilter(foRemoving, 0);
    graphBuilder_->RemoveFilter(component.GetFilter().Get());
    component.NotifyFilter(foRemoved, 0);
}

void TFilterGraph::BroadcastControlEvent(TControlEvent kind, DWORD param)
{
    // A copy: a notifier may unregister itself while it hears the event.
    for (IGraphEventNotifier* notifier : std::vector(eventNotifiers_)) notifier->ControlEvent(kind, param);
}

void TFilterGraph::SetGraphEdit(bool graphEdit)
{
    Settle();
    graphEdit_ = graphEdit;
    if (graphEdit && active_ && rotCookie_ == 0) Register();
    if (!graphEdit && rotCookie_ != 0) Revoke();
}

void TFilterGraph::Register()
{
    ComPtr<IRunningObjectTable> table;
    if (FAILED(GetRunningObjectTable(0, &table))) return;
    // Inspection tools look for this name. The graph reference takes the full width of a
    // pointer: 16 digits in this 64-bit build where a 32-bit one prints 8. The process number
    // has no leading zeros.
    wchar_t name[64];
    std::swprintf(name, 64, L"FilterGraph %016llX pid %lX",
                  static_cast<unsigned long long>(reinterpret_cast<UINT_PTR>(graphBuilder_.Get())),
                  static_cast<unsigned long>(GetCurrentProcessId()));
    ComPtr<IMoniker> moniker;
    if (FAILED(CreateItemMoniker(L"!", name, &moniker))) return;
    DWORD cookie = 0;
    if (SUCCEEDED(table->Register(0, graphBuilder_.Get(), moniker.Get(), &cookie))) rotCookie_ = cookie;
}

void TFilterGraph::Revoke()
{
    ComPtr<IRunningObjectTable> table;
    if (SUCCEEDED(GetRunningObjectTable(0, &table))) table->Revoke(rotCookie_);
    rotCookie_ = 0;
}

void TFilterGraph::SetLogFile(const std::wstring& name)
{
    Settle();
    if (active_)
        ApplyLogFile(name);
    else
        logFile_ = name;
}

void TFilterGraph::ApplyLogFile(const std::wstring& name)
{
    graphBuilder_->SetLogFile(0);
    logStream_.reset();
    if (name.empty()) {
        logFile_ = name;
        return;
    }
    const HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    logStream_.reset(file);
    if (FAILED(graphBuilder_->SetLogFile(reinterpret_cast<DWORD_PTR>(file)))) {
        graphBuilder_->SetLogFile(0);
        logStream_.reset();
        return;
    }
    logFile_ = name;
}

}  // namespace graph
