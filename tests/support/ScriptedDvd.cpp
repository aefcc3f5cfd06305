#include "support/ScriptedDvd.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cwchar>
#include <mutex>
#include <thread>

#include "support/ComObject.h"

namespace testsupport {

struct ScriptedDvd::State {
    DvdScript script;
    std::vector<std::string> log;
    std::vector<std::string> queryLog;
    int buildersCreated = 0;
    int liveBuilders = 0;
    int liveNavigators = 0;
    int liveCommands = 0;
    int liveGraphs = 0;

    std::mutex graphMutex;
    IGraphBuilder* currentGraph = nullptr;  // the newest live builder's graph

    HRESULT ResultOf(const std::string& name, HRESULT unscripted = S_OK) const
    {
        const auto found = script.results.find(name);
        return found == script.results.end() ? unscripted : found->second;
    }
};

namespace {

using State = ScriptedDvd::State;

std::string InterfaceName(REFIID iid)
{
    static const std::pair<IID, const char*> known[] = {
        {__uuidof(IUnknown), "IUnknown"},
        {__uuidof(IDvdGraphBuilder), "IDvdGraphBuilder"},
        {__uuidof(IDvdControl2), "IDvdControl2"},
        {__uuidof(IDvdInfo2), "IDvdInfo2"},
        {__uuidof(IMediaControl), "IMediaControl"},
        {__uuidof(IMediaEventEx), "IMediaEventEx"},
        {__uuidof(IMediaEvent), "IMediaEvent"},
        {__uuidof(IBasicAudio), "IBasicAudio"},
        {__uuidof(IVideoWindow), "IVideoWindow"},
        {__uuidof(IBasicVideo), "IBasicVideo"},
        {__uuidof(IGraphBuilder), "IGraphBuilder"},
        {__uuidof(IFilterGraph), "IFilterGraph"},
        {__uuidof(IFilterGraph2), "IFilterGraph2"},
        {__uuidof(IMediaSeeking), "IMediaSeeking"},
        {__uuidof(IMediaPosition), "IMediaPosition"},
    };
    for (const auto& [id, name] : known)
        if (IsEqualIID(iid, id)) return name;
    wchar_t text[40] = {};
    StringFromGUID2(iid, text, 40);
    return std::string(text, text + lstrlenW(text));
}

std::string Narrow(const wchar_t* text)
{
    if (!text) return "null";
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string result(size > 0 ? size - 1 : 0, '\0');
    if (size > 1) WideCharToMultiByte(CP_UTF8, 0, text, -1, result.data(), size, nullptr, nullptr);
    return result;
}

std::string Rate(double speed)
{
    char text[32];
    std::snprintf(text, sizeof text, speed == std::floor(speed) ? "%.1f" : "%g", speed);
    return text;
}

std::string Time(const DVD_HMSF_TIMECODE* time)
{
    if (!time) return "null";
    return std::to_string(time->bHours) + ":" + std::to_string(time->bMinutes) + ":" + std::to_string(time->bSeconds) +
           "." + std::to_string(time->bFrames);
}

std::string Call(const char* name, const std::string& args)
{
    return args.empty() ? std::string(name) : std::string(name) + "(" + args + ")";
}

class DvdCommand : public ComObject<IDvdCmd> {
public:
    explicit DvdCommand(std::shared_ptr<State> state) : state_(std::move(state)) { ++state_->liveCommands; }
    HRESULT STDMETHODCALLTYPE WaitForStart() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE WaitForEnd() override { return S_OK; }

protected:
    ~DvdCommand() override { --state_->liveCommands; }

private:
    std::shared_ptr<State> state_;
};

class Navigator : public ComObject<IDvdControl2, IDvdInfo2> {
public:
    explicit Navigator(std::shared_ptr<State> state) : state_(std::move(state)), s_(state_->script)
    {
        ++state_->liveNavigators;
    }

    // IDvdControl2
    HRESULT STDMETHODCALLTYPE PlayTitle(ULONG title, DWORD flags, IDvdCmd** cmd) override
    {
        return Command("PlayTitle", std::to_string(title), flags, cmd);
    }
    HRESULT STDMETHODCALLTYPE PlayChapterInTitle(ULONG title, ULONG chapter, DWORD flags, IDvdCmd** cmd) override
    {
        return Command("PlayChapterInTitle", std::to_string(title) + "," + std::to_string(chapter), flags, cmd);
    }
    HRESULT STDMETHODCALLTYPE PlayAtTimeInTitle(ULONG title, DVD_HMSF_TIMECODE* start, DWORD flags,
                                                IDvdCmd** cmd) override
    {
        return Command("PlayAtTimeInTitle", std::to_string(title) + "," + Time(start), flags, cmd);
    }
    HRESULT STDMETHODCALLTYPE Stop() override { return Simple("Stop", ""); }
    HRESULT STDMETHODCALLTYPE ReturnFromSubmenu(DWORD flags, IDvdCmd** cmd) override
    {
        return Command("ReturnFromSubmenu", "", flags, cmd);
    }
    HRESULT STDMETHODCALLTYPE PlayAtTime(DVD_HMSF_TIMECODE* time, DWORD flags, IDvdCmd** cmd) override
    {
        return Command("PlayAtTime", Time(time), flags, cmd);
    }
    HRESULT STDMETHODCALLTYPE PlayChapter(ULONG chapter, DWORD flags, IDvdCmd** cmd) override
    {
        return Command("PlayChapter", std::to_string(chapter), flags, cmd);
    }
    HRESULT STDMETHODCALLTYPE PlayPrevChapter(DWORD flags, IDvdCmd** cmd) override
    {
        return Command("PlayPrevChapter", "", flags, cmd);
    }
    HRESULT STDMETHODCALLTYPE ReplayChapter(DWORD flags, IDvdCmd** cmd) override
    {
        return Command("ReplayChapter", "", flags, cmd);
    }
    HRESULT STDMETHODCALLTYPE PlayNextChapter(DWORD flags, IDvdCmd** cmd) override
    {
        return Command("PlayNextChapter", "", flags, cmd);
    }
    HRESULT STDMETHODCALLTYPE PlayForwards(double speed, DWORD flags, IDvdCmd** cmd) override
    {
        if (s_.inhibitDoubleSpeed && speed == 2.0) {
            if (cmd) *cmd = nullptr;
            state_->log.push_back(Call("PlayForwards", WithFlags(Rate(speed), flags)));
            return VFW_E_DVD_OPERATION_INHIBITED;
        }
        return Command("PlayForwards", Rate(speed), flags, cmd);
    }
    HRESULT STDMETHODCALLTYPE PlayBackwards(double speed, DWORD flags, IDvdCmd** cmd) override
    {
        return Command("PlayBackwards", Rate(speed), flags, cmd);
    }
    HRESULT STDMETHODCALLTYPE ShowMenu(DVD_MENU_ID menu, DWORD flags, IDvdCmd** cmd) override
    {
        return Command("ShowMenu", std::to_string(menu), flags, cmd);
    }
    HRESULT STDMETHODCALLTYPE Resume(DWORD flags, IDvdCmd** cmd) override { return Command("Resume", "", flags, cmd); }
    HRESULT STDMETHODCALLTYPE SelectRelativeButton(DVD_RELATIVE_BUTTON direction) override
    {
        return Simple("SelectRelativeButton", std::to_string(direction));
    }
    HRESULT STDMETHODCALLTYPE ActivateButton() override { return Simple("ActivateButton", ""); }
    HRESULT STDMETHODCALLTYPE SelectButton(ULONG button) override
    {
        return Simple("SelectButton", std::to_string(button));
    }
    HRESULT STDMETHODCALLTYPE SelectAndActivateButton(ULONG button) override
    {
        return Simple("SelectAndActivateButton", std::to_string(button));
    }
    HRESULT STDMETHODCALLTYPE StillOff() override { return Simple("StillOff", ""); }
    HRESULT STDMETHODCALLTYPE Pause(WINBOOL state) override { return Simple("Pause", std::to_string(state)); }
    HRESULT STDMETHODCALLTYPE SelectAudioStream(ULONG stream, DWORD flags, IDvdCmd** cmd) override
    {
        return Command("SelectAudioStream", std::to_string(stream), flags, cmd);
    }
    HRESULT STDMETHODCALLTYPE SelectSubpictureStream(ULONG stream, DWORD flags, IDvdCmd** cmd) override
    {
        return Command("SelectSubpictureStream", std::to_string(stream), flags, cmd);
    }
    HRESULT STDMETHODCALLTYPE SetSubpictureState(WINBOOL state, DWORD flags, IDvdCmd** cmd) override
    {
        return Command("SetSubpictureState", std::to_string(state), flags, cmd);
    }
    HRESULT STDMETHODCALLTYPE SelectAngle(ULONG angle, DWORD flags, IDvdCmd** cmd) override
    {
        return Command("SelectAngle", std::to_string(angle), flags, cmd);
    }
    HRESULT STDMETHODCALLTYPE SelectParentalLevel(ULONG level) override
    {
        return Simple("SelectParentalLevel", std::to_string(level));
    }
    HRESULT STDMETHODCALLTYPE SelectParentalCountry(BYTE country[2]) override
    {
        return Simple("SelectParentalCountry", country ? std::string{char(country[0]), char(country[1])} : "null");
    }
    HRESULT STDMETHODCALLTYPE SelectKaraokeAudioPresentationMode(ULONG mode) override
    {
        return Simple("SelectKaraokeAudioPresentationMode", std::to_string(mode));
    }
    HRESULT STDMETHODCALLTYPE SelectVideoModePreference(ULONG mode) override
    {
        return Simple("SelectVideoModePreference", std::to_string(mode));
    }
    HRESULT STDMETHODCALLTYPE SetDVDDirectory(LPCWSTR path) override { return Simple("SetDVDDirectory", Narrow(path)); }
    HRESULT STDMETHODCALLTYPE ActivateAtPosition(POINT point) override
    {
        return Simple("ActivateAtPosition", std::to_string(point.x) + "," + std::to_string(point.y));
    }
    HRESULT STDMETHODCALLTYPE SelectAtPosition(POINT point) override
    {
        return Simple("SelectAtPosition", std::to_string(point.x) + "," + std::to_string(point.y));
    }
    HRESULT STDMETHODCALLTYPE PlayChaptersAutoStop(ULONG title, ULONG chapter, ULONG count, DWORD flags,
                                                   IDvdCmd** cmd) override
    {
        return Command("PlayChaptersAutoStop",
                       std::to_string(title) + "," + std::to_string(chapter) + "," + std::to_string(count), flags, cmd);
    }
    HRESULT STDMETHODCALLTYPE AcceptParentalLevelChange(WINBOOL accept) override
    {
        return Simple("AcceptParentalLevelChange", std::to_string(accept));
    }
    HRESULT STDMETHODCALLTYPE SetOption(DVD_OPTION_FLAG flag, WINBOOL state) override
    {
        return Simple("SetOption", std::to_string(flag) + "," + std::to_string(state));
    }
    HRESULT STDMETHODCALLTYPE SetState(IDvdState*, DWORD flags, IDvdCmd** cmd) override
    {
        if (cmd) *cmd = nullptr;
        state_->log.push_back(Call("SetState", WithFlags("", flags)));
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE PlayPeriodInTitleAutoStop(ULONG title, DVD_HMSF_TIMECODE* start, DVD_HMSF_TIMECODE* end,
                                                        DWORD flags, IDvdCmd** cmd) override
    {
        return Command("PlayPeriodInTitleAutoStop", std::to_string(title) + "," + Time(start) + "," + Time(end), flags,
                       cmd);
    }
    HRESULT STDMETHODCALLTYPE SetGPRM(ULONG index, WORD value, DWORD flags, IDvdCmd** cmd) override
    {
        return Command("SetGPRM", std::to_string(index) + "," + std::to_string(value), flags, cmd);
    }
    HRESULT STDMETHODCALLTYPE SelectDefaultMenuLanguage(LCID language) override
    {
        return Simple("SelectDefaultMenuLanguage", std::to_string(language));
    }
    HRESULT STDMETHODCALLTYPE SelectDefaultAudioLanguage(LCID language, DVD_AUDIO_LANG_EXT extension) override
    {
        return Simple("SelectDefaultAudioLanguage", std::to_string(language) + "," + std::to_string(extension));
    }
    HRESULT STDMETHODCALLTYPE SelectDefaultSubpictureLanguage(LCID language, DVD_SUBPICTURE_LANG_EXT extension) override
    {
        return Simple("SelectDefaultSubpictureLanguage", std::to_string(language) + "," + std::to_string(extension));
    }

    // IDvdInfo2
    HRESULT STDMETHODCALLTYPE GetCurrentDomain(DVD_DOMAIN* domain) override
    {
        return Answer(
            "GetCurrentDomain", "", [&] { *domain = s_.domain; }, domain);
    }
    HRESULT STDMETHODCALLTYPE GetCurrentLocation(DVD_PLAYBACK_LOCATION2* location) override
    {
        return Answer(
            "GetCurrentLocation", "", [&] { *location = s_.location; }, location);
    }
    HRESULT STDMETHODCALLTYPE GetTotalTitleTime(DVD_HMSF_TIMECODE* time, ULONG* flags) override
    {
        return Answer(
            "GetTotalTitleTime", "",
            [&] {
                *time = s_.totalTitleTime;
                if (flags) *flags = s_.totalTitleTimeFlags;
            },
            time);
    }
    HRESULT STDMETHODCALLTYPE GetCurrentButton(ULONG* available, ULONG* current) override
    {
        return Answer(
            "GetCurrentButton", "",
            [&] {
                *available = s_.buttons;
                *current = s_.currentButton;
            },
            available, current);
    }
    HRESULT STDMETHODCALLTYPE GetCurrentAngle(ULONG* available, ULONG* current) override
    {
        return Answer(
            "GetCurrentAngle", "",
            [&] {
                *available = s_.angles;
                *current = s_.currentAngle;
            },
            available, current);
    }
    HRESULT STDMETHODCALLTYPE GetCurrentAudio(ULONG* available, ULONG* current) override
    {
        return Answer(
            "GetCurrentAudio", "",
            [&] {
                *available = s_.audioStreams;
                *current = s_.currentAudio;
            },
            available, current);
    }
    HRESULT STDMETHODCALLTYPE GetCurrentSubpicture(ULONG* available, ULONG* current, WINBOOL* disabled) override
    {
        return Answer(
            "GetCurrentSubpicture", "",
            [&] {
                *available = s_.subpictureStreams;
                *current = s_.currentSubpicture;
                *disabled = s_.subpictureDisabled;
            },
            available, current, disabled);
    }
    HRESULT STDMETHODCALLTYPE GetCurrentUOPS(ULONG* uops) override
    {
        return Answer(
            "GetCurrentUOPS", "", [&] { *uops = s_.uops; }, uops);
    }
    HRESULT STDMETHODCALLTYPE GetAllSPRMs(SPRMARRAY*) override { return Unscripted("GetAllSPRMs", ""); }
    HRESULT STDMETHODCALLTYPE GetAllGPRMs(GPRMARRAY*) override { return Unscripted("GetAllGPRMs", ""); }
    HRESULT STDMETHODCALLTYPE GetAudioLanguage(ULONG stream, LCID* language) override
    {
        return Lookup("GetAudioLanguage", stream, s_.audioLanguages, language);
    }
    HRESULT STDMETHODCALLTYPE GetSubpictureLanguage(ULONG stream, LCID* language) override
    {
        return Lookup("GetSubpictureLanguage", stream, s_.subpictureLanguages, language);
    }
    HRESULT STDMETHODCALLTYPE GetTitleAttributes(ULONG title, DVD_MenuAttributes*, DVD_TitleAttributes*) override
    {
        return Unscripted("GetTitleAttributes", std::to_string(title));
    }
    HRESULT STDMETHODCALLTYPE GetVMGAttributes(DVD_MenuAttributes*) override
    {
        return Unscripted("GetVMGAttributes", "");
    }
    HRESULT STDMETHODCALLTYPE GetCurrentVideoAttributes(DVD_VideoAttributes* attributes) override
    {
        return Answer(
            "GetCurrentVideoAttributes", "", [&] { *attributes = s_.videoAttributes; }, attributes);
    }
    HRESULT STDMETHODCALLTYPE GetAudioAttributes(ULONG stream, DVD_AudioAttributes* attributes) override
    {
        return Lookup("GetAudioAttributes", stream, s_.audioAttributes, attributes);
    }
    HRESULT STDMETHODCALLTYPE GetKaraokeAttributes(ULONG stream, DVD_KaraokeAttributes*) override
    {
        return Unscripted("GetKaraokeAttributes", std::to_string(stream));
    }
    HRESULT STDMETHODCALLTYPE GetSubpictureAttributes(ULONG stream, DVD_SubpictureAttributes*) override
    {
        return Unscripted("GetSubpictureAttributes", std::to_string(stream));
    }
    HRESULT STDMETHODCALLTYPE GetDVDVolumeInfo(ULONG*, ULONG*, DVD_DISC_SIDE*, ULONG*) override
    {
        return Unscripted("GetDVDVolumeInfo", "");
    }
    HRESULT STDMETHODCALLTYPE GetDVDTextNumberOfLanguages(ULONG*) override
    {
        return Unscripted("GetDVDTextNumberOfLanguages", "");
    }
    HRESULT STDMETHODCALLTYPE GetDVDTextLanguageInfo(ULONG index, ULONG*, LCID*, enum DVD_TextCharSet*) override
    {
        return Unscripted("GetDVDTextLanguageInfo", std::to_string(index));
    }
    HRESULT STDMETHODCALLTYPE GetDVDTextStringAsNative(ULONG language, ULONG index, BYTE*, ULONG, ULONG*,
                                                       enum DVD_TextStringType*) override
    {
        return Unscripted("GetDVDTextStringAsNative", std::to_string(language) + "," + std::to_string(index));
    }
    HRESULT STDMETHODCALLTYPE GetDVDTextStringAsUnicode(ULONG language, ULONG index, WCHAR*, ULONG, ULONG*,
                                                        enum DVD_TextStringType*) override
    {
        return Unscripted("GetDVDTextStringAsUnicode", std::to_string(language) + "," + std::to_string(index));
    }
    HRESULT STDMETHODCALLTYPE GetPlayerParentalLevel(ULONG*, BYTE[2]) override
    {
        return Unscripted("GetPlayerParentalLevel", "");
    }
    HRESULT STDMETHODCALLTYPE GetNumberOfChapters(ULONG title, ULONG* count) override
    {
        return Lookup("GetNumberOfChapters", title, s_.chapters, count);
    }
    HRESULT STDMETHODCALLTYPE GetTitleParentalLevels(ULONG title, ULONG*) override
    {
        return Unscripted("GetTitleParentalLevels", std::to_string(title));
    }
    HRESULT STDMETHODCALLTYPE GetDVDDirectory(LPWSTR path, ULONG size, ULONG* actualSize) override
    {
        if (s_.directory.empty()) return Unscripted("GetDVDDirectory", "");
        return Answer(
            "GetDVDDirectory", "",
            [&] {
                *actualSize = static_cast<ULONG>(s_.directory.size() + 1);
                if (path && size >= *actualSize) std::wcscpy(path, s_.directory.c_str());
            },
            actualSize);
    }
    HRESULT STDMETHODCALLTYPE IsAudioStreamEnabled(ULONG stream, WINBOOL* enabled) override
    {
        return Answer(
            "IsAudioStreamEnabled", std::to_string(stream), [&] { *enabled = stream < s_.audioStreams; }, enabled);
    }
    HRESULT STDMETHODCALLTYPE GetDiscID(LPCWSTR path, ULONGLONG*) override
    {
        return Unscripted("GetDiscID", Narrow(path));
    }
    HRESULT STDMETHODCALLTYPE GetState(IDvdState** state) override
    {
        if (state) *state = nullptr;
        return Unscripted("GetState", "");
    }
    HRESULT STDMETHODCALLTYPE GetMenuLanguages(LCID*, ULONG, ULONG*) override
    {
        return Unscripted("GetMenuLanguages", "");
    }
    HRESULT STDMETHODCALLTYPE GetButtonAtPosition(POINT point, ULONG*) override
    {
        return Unscripted("GetButtonAtPosition", std::to_string(point.x) + "," + std::to_string(point.y));
    }
    HRESULT STDMETHODCALLTYPE GetCmdFromEvent(LONG_PTR, IDvdCmd** cmd) override
    {
        if (cmd) *cmd = nullptr;
        return Unscripted("GetCmdFromEvent", "");
    }
    HRESULT STDMETHODCALLTYPE GetDefaultMenuLanguage(LCID*) override
    {
        return Unscripted("GetDefaultMenuLanguage", "");
    }
    HRESULT STDMETHODCALLTYPE GetDefaultAudioLanguage(LCID*, DVD_AUDIO_LANG_EXT*) override
    {
        return Unscripted("GetDefaultAudioLanguage", "");
    }
    HRESULT STDMETHODCALLTYPE GetDefaultSubpictureLanguage(LCID*, DVD_SUBPICTURE_LANG_EXT*) override
    {
        return Unscripted("GetDefaultSubpictureLanguage", "");
    }
    HRESULT STDMETHODCALLTYPE GetDecoderCaps(DVD_DECODER_CAPS*) override { return Unscripted("GetDecoderCaps", ""); }
    HRESULT STDMETHODCALLTYPE GetButtonRect(ULONG button, RECT*) override
    {
        return Unscripted("GetButtonRect", std::to_string(button));
    }
    HRESULT STDMETHODCALLTYPE IsSubpictureStreamEnabled(ULONG stream, WINBOOL* enabled) override
    {
        return Answer(
            "IsSubpictureStreamEnabled", std::to_string(stream), [&] { *enabled = stream < s_.subpictureStreams; },
            enabled);
    }

protected:
    ~Navigator() override { --state_->liveNavigators; }

private:
    static std::string WithFlags(const std::string& args, DWORD flags)
    {
        if (flags == 0) return args;
        return args + (args.empty() ? "" : ",") + "flags=" + std::to_string(flags);
    }

    // A command: logged, answered from the results table, and given a command object on
    // success when the caller asks for one.
    HRESULT Command(const char* name, const std::string& args, DWORD flags, IDvdCmd** cmd)
    {
        if (cmd) *cmd = nullptr;
        state_->log.push_back(Call(name, WithFlags(args, flags)));
        const HRESULT result = state_->ResultOf(name);
        if (SUCCEEDED(result) && cmd) (*cmd = new DvdCommand(state_))->AddRef();
        return result;
    }

    HRESULT Simple(const char* name, const std::string& args)
    {
        state_->log.push_back(Call(name, args));
        return state_->ResultOf(name);
    }

    HRESULT Unscripted(const char* name, const std::string& args)
    {
        state_->log.push_back(Call(name, args));
        return state_->ResultOf(name, E_NOTIMPL);
    }

    template <class Fill, class... Outputs>
    HRESULT Answer(const char* name, const std::string& args, Fill fill, Outputs*... outputs)
    {
        state_->log.push_back(Call(name, args));
        if (((outputs == nullptr) || ...)) return E_POINTER;
        const HRESULT result = state_->ResultOf(name);
        if (SUCCEEDED(result)) fill();
        return result;
    }

    template <class Value>
    HRESULT Lookup(const char* name, ULONG key, const std::map<ULONG, Value>& table, Value* value)
    {
        state_->log.push_back(Call(name, std::to_string(key)));
        if (!value) return E_POINTER;
        const auto found = table.find(key);
        const HRESULT result = state_->ResultOf(name, found == table.end() ? E_INVALIDARG : S_OK);
        if (SUCCEEDED(result) && found != table.end()) *value = found->second;
        return result;
    }

    std::shared_ptr<State> state_;
    const DvdScript& s_;
};

// The platform's filter graph, aggregated so that every reference anyone takes on it is
// counted here and its end is seen.
class PlatformGraph : public ComObject<IUnknown> {
public:
    explicit PlatformGraph(std::shared_ptr<State> state) : state_(std::move(state)) { ++state_->liveGraphs; }

    HRESULT Create() { return CoCreateInstance(CLSID_FilterGraph, this, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&inner_)); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        if (IsEqualIID(iid, __uuidof(IUnknown)) || !inner_) return ComObject::QueryInterface(iid, object);
        return inner_->QueryInterface(iid, object);
    }

protected:
    ~PlatformGraph() override
    {
        // The inner graph may take and drop references on us while it goes away.
        AddRef();
        inner_.Reset();
        --state_->liveGraphs;
    }

private:
    std::shared_ptr<State> state_;
    ComPtr<IUnknown> inner_;
};

class Builder : public ComObject<IDvdGraphBuilder> {
public:
    explicit Builder(std::shared_ptr<State> state) : state_(std::move(state))
    {
        ++state_->buildersCreated;
        ++state_->liveBuilders;
        const ComPtr<PlatformGraph> graph(new PlatformGraph(state_));
        graphResult_ = graph->Create();
        if (SUCCEEDED(graphResult_)) graphResult_ = graph.As(&graph_);
        // A renderer's window ends with the thread that made it, and the player builds on a
        // thread of its own: the renderers scripted by now are made here, on the player's.
        for (int i = 0; i < state_->script.videoRenderers; ++i) {
            ComPtr<IBaseFilter> renderer;
            const HRESULT made =
                CoCreateInstance(CLSID_VideoRenderer, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&renderer));
            if (SUCCEEDED(made)) videoRenderers_.push_back(renderer);
        }
        const std::lock_guard lock(state_->graphMutex);
        if (graph_) state_->currentGraph = graph_.Get();
    }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override
    {
        state_->queryLog.push_back("QueryInterface(" + InterfaceName(iid) + ")");
        return ComObject::QueryInterface(iid, object);
    }

    HRESULT STDMETHODCALLTYPE GetFiltergraph(IGraphBuilder** graph) override
    {
        state_->log.push_back("GetFiltergraph");
        if (!graph) return E_POINTER;
        *graph = nullptr;
        if (FAILED(state_->script.filtergraphResult)) return state_->script.filtergraphResult;
        if (!graph_) return graphResult_;
        (*graph = graph_.Get())->AddRef();
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetDvdInterface(REFIID iid, void** object) override
    {
        state_->queryLog.push_back("GetDvdInterface(" + InterfaceName(iid) + ")");
        if (!object) return E_POINTER;
        *object = nullptr;
        if (!IsEqualIID(iid, __uuidof(IDvdControl2)) && !IsEqualIID(iid, __uuidof(IDvdInfo2))) return E_NOINTERFACE;
        return NavigatorObject()->QueryInterface(iid, object);
    }

    HRESULT STDMETHODCALLTYPE RenderDvdVideoVolume(LPCWSTR path, DWORD flags, AM_DVD_RENDERSTATUS* status) override
    {
        state_->log.push_back("RenderDvdVideoVolume(" + Narrow(path) + "," + std::to_string(flags) + ")");
        const DvdScript& script = state_->script;
        // Bounded: a player that builds on its GUI thread fails the test instead of hanging it.
        if (script.renderGate) WaitForSingleObject(script.renderGate, 10000);
        if (status) *status = script.renderStatus;
        if (script.renderResult != S_OK && script.renderResult != S_FALSE) return script.renderResult;
        if (!graph_) return graphResult_;

        NavigatorObject();
        const std::shared_ptr<FilterScript> filterScript(state_, &state_->script.navigatorFilter);
        graph_->AddFilter(MakeScriptedFilter(filterScript).Get(), L"DVD Navigator");
        for (int i = 0; i < script.videoRenderers; ++i) {
            const std::wstring name = i == 0 ? L"Video Renderer" : L"Video Renderer " + std::to_wstring(i + 1);
            const HRESULT added = i < static_cast<int>(videoRenderers_.size())
                                      ? graph_->AddFilter(videoRenderers_[i].Get(), name.c_str())
                                      : AddPlatformFilter(CLSID_VideoRenderer, name);
            if (FAILED(added)) return added;
        }
        if (script.audioRenderer) {
            if (const HRESULT added = AddPlatformFilter(CLSID_DSoundRender, L"Audio Renderer"); FAILED(added))
                return added;
        }
        return script.renderResult;
    }

protected:
    ~Builder() override
    {
        {
            const std::lock_guard lock(state_->graphMutex);
            if (state_->currentGraph == graph_.Get()) state_->currentGraph = nullptr;
        }
        --state_->liveBuilders;
    }

private:
    Navigator* NavigatorObject()
    {
        if (!navigator_) navigator_ = new Navigator(state_);
        return navigator_.Get();
    }

    HRESULT AddPlatformFilter(REFCLSID clsid, const std::wstring& name)
    {
        ComPtr<IBaseFilter> filter;
        HRESULT result = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&filter));
        if (SUCCEEDED(result)) result = graph_->AddFilter(filter.Get(), name.c_str());
        return result;
    }

    std::shared_ptr<State> state_;
    ComPtr<IGraphBuilder> graph_;
    HRESULT graphResult_ = S_OK;
    ComPtr<Navigator> navigator_;
    std::vector<ComPtr<IBaseFilter>> videoRenderers_;
};

class BuilderFactory : public ComObject<IClassFactory> {
public:
    explicit BuilderFactory(std::shared_ptr<State> state) : state_(std::move(state)) {}

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override
    {
        if (!object) return E_POINTER;
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        if (FAILED(state_->script.createResult)) return state_->script.createResult;
        const ComPtr<Builder> builder(new Builder(state_));
        // Answered directly so creation does not show in the builder's query log.
        if (!IsEqualIID(iid, __uuidof(IUnknown)) && !IsEqualIID(iid, __uuidof(IDvdGraphBuilder))) return E_NOINTERFACE;
        IDvdGraphBuilder* answer = builder.Get();
        answer->AddRef();
        *object = answer;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    std::shared_ptr<State> state_;
};

}  // namespace

ScriptedDvd::ScriptedDvd()
    : state_(std::make_shared<State>()), script(state_->script), factory_(new BuilderFactory(state_))
{
    CoRegisterClassObject(CLSID_DvdGraphBuilder, factory_.Get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie_);
}

ScriptedDvd::~ScriptedDvd()
{
    if (cookie_) CoRevokeClassObject(cookie_);
}

const std::vector<std::string>& ScriptedDvd::Log() const { return state_->log; }
const std::vector<std::string>& ScriptedDvd::QueryLog() const { return state_->queryLog; }

bool ScriptedDvd::Called(const std::string& call) const { return Count(call) > 0; }

int ScriptedDvd::Count(const std::string& call) const
{
    return static_cast<int>(std::count(state_->log.begin(), state_->log.end(), call));
}

void ScriptedDvd::ClearLog()
{
    state_->log.clear();
    state_->queryLog.clear();
}

ComPtr<IGraphBuilder> ScriptedDvd::Graph() const
{
    const std::lock_guard lock(state_->graphMutex);
    return state_->currentGraph;
}

HRESULT ScriptedDvd::PostEvent(long code, LONG_PTR param1, LONG_PTR param2)
{
    ComPtr<IMediaEventSink> sink;
    if (const ComPtr<IGraphBuilder> graph = Graph(); !graph || FAILED(graph.As(&sink))) return E_UNEXPECTED;
    return sink->Notify(code, param1, param2);
}

HRESULT ScriptedDvd::PostEventsFromThread(const std::vector<GraphEventRecord>& events)
{
    ComPtr<IMediaEventSink> sink;
    if (const ComPtr<IGraphBuilder> graph = Graph(); !graph || FAILED(graph.As(&sink))) return E_UNEXPECTED;
    // The graph is free-threaded, as the platform's own navigator relies on when it posts
    // from its worker threads.
    HRESULT result = S_OK;
    std::thread poster([&] {
        for (const GraphEventRecord& event : events)
            if (const HRESULT posted = sink->Notify(event.code, event.param1, event.param2); FAILED(posted))
                result = posted;
    });
    poster.join();
    return result;
}

int ScriptedDvd::BuildersCreated() const { return state_->buildersCreated; }

int ScriptedDvd::LiveObjects() const
{
    return state_->liveBuilders + state_->liveNavigators + state_->liveCommands + state_->liveGraphs +
           state_->script.navigatorFilter.liveFilters;
}

int ScriptedDvd::LiveCommands() const { return state_->liveCommands; }

int ScriptedDvd::LiveGraphs() const { return state_->liveGraphs; }

}  // namespace testsupport
