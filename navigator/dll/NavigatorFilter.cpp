#include "NavigatorFilter.h"

#include "DvdCodes.h"
#include "Enumerators.h"
#include "SampleProducers.h"
#include "StreamWorker.h"
#include "VideoProducer.h"
#include "VolumeLocator.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <utility>

namespace lumanav {
namespace {

const wchar_t videoPinName[] = L"Video";
const wchar_t audioPinName[] = L"Audio";
constexpr size_t keptCommands = 64;
// Read ahead of playback: at the highest rate a disc may carry (10 Mbit/s) some 6 s, enough to
// ride out a spin-up or the retries of a scratch; at single speed the drive refills it in 6 s.
constexpr size_t readAheadBytes = size_t{8} << 20;
// The most of a screen a picture is scaled to: beyond it, the renderer stretches what is left.
constexpr std::pair<int, int> largestScreen{2560, 1600};
// How often a standing picture looks whether its window changed size, in milliseconds.
constexpr DWORD watchPeriod = 100;

// The frame layout of a connected video pin.
struct FrameFormat {
    int width = 0;
    int height = 0;
    REFERENCE_TIME duration = 0;
};

std::optional<FrameFormat> frameFormat(OutputPin& pin)
{
    AM_MEDIA_TYPE type{};
    if (FAILED(pin.ConnectionMediaType(&type))) return std::nullopt;
    std::optional<FrameFormat> format;
    if (IsEqualGUID(type.formattype, FORMAT_VideoInfo) && type.cbFormat >= sizeof(VIDEOINFOHEADER)) {
        const auto* info = reinterpret_cast<const VIDEOINFOHEADER*>(type.pbFormat);
        format = FrameFormat{info->bmiHeader.biWidth, std::abs(info->bmiHeader.biHeight), info->AvgTimePerFrame};
    }
    MediaType::freeFormat(type);
    return format;
}

std::optional<WAVEFORMATEX> waveFormat(OutputPin& pin)
{
    AM_MEDIA_TYPE type{};
    if (FAILED(pin.ConnectionMediaType(&type))) return std::nullopt;
    std::optional<WAVEFORMATEX> format;
    if (IsEqualGUID(type.formattype, FORMAT_WaveFormatEx) && type.cbFormat >= sizeof(WAVEFORMATEX))
        format = *reinterpret_cast<const WAVEFORMATEX*>(type.pbFormat);
    MediaType::freeFormat(type);
    return format;
}

}  // namespace

HRESULT NavigatorFilter::create(REFIID iid, void** result)
{
    auto filter = makeObject<NavigatorFilter>();
    if (!filter) return E_OUTOFMEMORY;
    return filter->QueryInterface(iid, result);
}

NavigatorFilter::NavigatorFilter()
    : video_(*this, videoPinName, 3), audio_(*this, audioPinName, 8), control_(*this), info_(*this)
{
    // Until a disc says otherwise: 525/60 video.
    offerFormats(shownWidth(720, 480, 4, 3), 480, 60);
}

NavigatorFilter::~NavigatorFilter()
{
    if (streaming()) stopStreaming();
}

HRESULT NavigatorFilter::openVolume(const std::wstring& path)
{
    std::lock_guard lock(mutex_);
    if (streaming()) return VFW_E_DVD_INVALIDDOMAIN;
    const std::wstring location = volumeLocation(path);
    if (location.empty()) return VFW_E_DVD_INVALID_DISC;
    nav::OpenResult opened = nav::Navigator::open(toUtf8(path), readAheadBytes,
                                                  [this](bool waiting) { session_.driveWait(waiting); });
    if (!opened.navigator) return VFW_E_DVD_INVALID_DISC;
    // Pins already connected keep their format; frames are then drawn at that size. A picture
    // scaled down to it would lose lines for good.
    const nav::VideoInfo video = opened.navigator->largestVideo();
    offerFormats(shownWidth(video.sourceWidth, video.sourceHeight, video.aspectX, video.aspectY), video.sourceHeight,
                 video.frameRate);
    session_.open(std::move(opened.navigator), location);
    return S_OK;
}

void NavigatorFilter::offerFormats(int width, int height, int fieldRate)
{
    // Buffers for the largest picture a disc shows, so that one can follow a smaller one.
    video_.setMediaType(rgb32VideoType(width, height, frameDuration(fieldRate)), widestShown * 576 * 4);
    // A renderer told where to take the picture from gets room for it at the size of the screen,
    // so that full screen too shows a smoothly scaled picture, not one stretched crudely.
    const int screenWidth = std::clamp(GetSystemMetrics(SM_CXSCREEN), width, largestScreen.first);
    const int screenHeight = std::clamp(GetSystemMetrics(SM_CYSCREEN), height, largestScreen.second);
    video_.setRendererType(rgb32VideoType(screenWidth, screenHeight, frameDuration(fieldRate)),
                           screenWidth * screenHeight * 4);
    const MediaType sound = pcmAudioType(media::PcmRate, media::PcmChannels);
    audio_.setMediaType(sound, audioBufferBytes(*reinterpret_cast<const WAVEFORMATEX*>(sound.get().pbFormat)));
}

HRESULT NavigatorFilter::command(const std::function<nav::Status(nav::Navigator&)>& action, HRESULT notAvailable)
{
    // Until the graph first runs, and after a stop that resets, the navigator rests in the
    // stop domain: a command now would be overtaken by first play.
    if (!session_.started()) return VFW_E_DVD_INVALIDDOMAIN;
    // The flush starts with the jump, under the core's lock: a streaming thread reads either
    // the old place under the old generation or the new place under the new one.
    bool jumped = false, redraw = false;
    const nav::Status status = session_.withCore(
        [&](nav::Navigator& core) {
            const unsigned before = core.generation();
            const nav::Overlay shown = core.overlay();
            const nav::Status result = action(core);
            jumped = core.generation() != before && streaming();
            if (jumped) transport_.beginFlush();
            // A still, or the navigator's own pause, sends no picture that would carry the change.
            redraw = (session_.frozen() || core.frame().still) && !(core.overlay() == shown);
            return result;
        },
        nav::Status::InvalidDomain);
    if (jumped) {
        std::lock_guard lock(mutex_);
        finishFlush();
    } else if (status == nav::Status::Ok) {
        // Where the picture stands, it shows a new highlight or subpicture at once.
        std::lock_guard lock(mutex_);
        if (state_ == State_Paused || (state_ == State_Running && redraw)) {
            transport_.beginFlush();
            finishFlush();
        }
    }
    session_.publishEvents();
    return toResult(status, notAvailable);
}

void NavigatorFilter::freeze(bool on)
{
    // Stream time moves again before the pictures do, so none is stamped in the pause.
    if (on) session_.setFrozen(true);
    transport_.hold(on);
    if (!on) session_.setFrozen(false);
    std::lock_guard lock(mutex_);
    watchStanding(standing());
}

// The renderer's destination shows the whole picture, whatever size the frames carrying it
// have: buttons are placed in the picture's own pixels.
POINT NavigatorFilter::toSourcePoint(POINT client)
{
    const std::optional<RECT> shown = destination();
    if (!shown) return client;
    const nav::VideoInfo picture =
        session_.query([](const nav::Navigator& core) { return core.videoAttributes(); }, nav::VideoInfo{});
    return lumanav::toSourcePoint(client, *shown, {0, 0, picture.sourceWidth, picture.sourceHeight});
}

std::optional<RECT> NavigatorFilter::destination() const
{
    ComPtr<IBaseFilter> renderer = videoRenderer();
    ComPtr<IBasicVideo> video;
    if (!renderer || FAILED(renderer.As(&video))) return std::nullopt;
    long left = 0, top = 0, width = 0, height = 0;
    if (FAILED(video->GetDestinationPosition(&left, &top, &width, &height))) return std::nullopt;
    return RECT{left, top, left + width, top + height};
}

PlayerSettings NavigatorFilter::settings() const
{
    std::lock_guard lock(settingsMutex_);
    return settings_;
}

void NavigatorFilter::updateSettings(const std::function<void(PlayerSettings&)>& change)
{
    std::lock_guard lock(settingsMutex_);
    change(settings_);
}

ULONG NavigatorFilter::recordCommand(HRESULT result)
{
    std::lock_guard lock(settingsMutex_);
    commands_.emplace_back(++lastCommand_, result);
    if (commands_.size() > keptCommands) commands_.pop_front();
    return lastCommand_;
}

std::optional<HRESULT> NavigatorFilter::commandResult(ULONG id) const
{
    std::lock_guard lock(settingsMutex_);
    const auto found = std::find_if(commands_.begin(), commands_.end(), [&](const auto& entry) { return entry.first == id; });
    if (found == commands_.end()) return std::nullopt;
    return found->second;
}

HRESULT NavigatorFilter::QueryInterface(REFIID iid, void** result)
{
    if (!result) return E_POINTER;
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IPersist) || IsEqualIID(iid, IID_IMediaFilter) ||
        IsEqualIID(iid, IID_IBaseFilter))
        return answerInterface<IBaseFilter>(this, result);
    if (IsEqualIID(iid, IID_IDvdControl2)) return answerInterface<IDvdControl2>(&control_, result);
    if (IsEqualIID(iid, IID_IDvdInfo2)) return answerInterface<IDvdInfo2>(&info_, result);
    *result = nullptr;
    return E_NOINTERFACE;
}

HRESULT NavigatorFilter::GetClassID(CLSID* clsid)
{
    if (!clsid) return E_POINTER;
    *clsid = CLSID_DVDNavigator;
    return S_OK;
}

HRESULT NavigatorFilter::Stop()
{
    std::lock_guard lock(mutex_);
    if (streaming()) stopStreaming();
    return S_OK;
}

HRESULT NavigatorFilter::Pause()
{
    std::lock_guard lock(mutex_);
    if (state_ == State_Paused) return S_OK;
    if (state_ == State_Stopped) return pauseFromStopped();
    transport_.pause();
    state_ = State_Paused;
    watchStanding(standing());
    // A running stream settles on the picture it last handed down; until then the state
    // is intermediate.
    return S_FALSE;
}

HRESULT NavigatorFilter::Run(REFERENCE_TIME start)
{
    std::lock_guard lock(mutex_);
    if (state_ == State_Running) return S_OK;
    if (state_ == State_Stopped) {
        const HRESULT hr = pauseFromStopped();
        if (FAILED(hr)) return hr;
    }
    transport_.run(start);
    state_ = State_Running;
    watchStanding(standing());
    return S_OK;
}

HRESULT NavigatorFilter::pauseFromStopped()
{
    session_.start();
    session_.setPublishing(true);
    transport_.pause();

    // Streams follow the connections' formats, fixed until the next stop.
    const auto sound = waveFormat(audio_);
    if (const auto format = frameFormat(video_)) {
        videoProducer_ = std::make_unique<VideoProducer>(session_, sound_, sound.has_value(), video_, format->width,
                                                         format->height, format->duration);
        videoWorker_ = std::make_unique<StreamWorker>(transport_, video_, *videoProducer_);
    }
    // Without pictures nobody would see a button act: its command runs at once.
    session_.withCore(
        [pictures = videoWorker_ != nullptr](nav::Navigator& core) {
            core.setActionsShown(pictures);
            return true;
        },
        false);
    if (sound) {
        audioProducer_ = std::make_unique<AudioProducer>(session_, transport_, sound_, *sound);
        audioWorker_ = std::make_unique<StreamWorker>(transport_, audio_, *audioProducer_);
    }
    HRESULT hr = S_OK;
    if (videoWorker_) hr = video_.activate();
    if (SUCCEEDED(hr) && audioWorker_) hr = audio_.activate();
    if (SUCCEEDED(hr) && videoWorker_ && !videoWorker_->start()) hr = E_OUTOFMEMORY;
    if (SUCCEEDED(hr) && audioWorker_ && !audioWorker_->start()) hr = E_OUTOFMEMORY;
    state_ = State_Paused;
    if (FAILED(hr)) {
        stopStreaming();
        return hr;
    }
    session_.publishEvents();
    watchStanding(standing());
    // Cueing: the state settles once the first samples are downstream.
    return videoWorker_ || audioWorker_ ? S_FALSE : S_OK;
}

void NavigatorFilter::stopStreaming()
{
    // Nothing is told after a stop; the streaming threads may be telling something right
    // now, and this waits for them to finish.
    session_.setPublishing(false);
    watchStanding(false);
    transport_.stop();
    // Decommitting frees threads waiting for a buffer.
    video_.deactivate();
    audio_.deactivate();
    videoWorker_.reset();
    audioWorker_.reset();
    videoProducer_.reset();
    audioProducer_.reset();
    sound_.clear();
    session_.stop();
    state_ = State_Stopped;
}

// After the transport's flush began: downstream drops what it queued, and the streaming
// threads go on once deliveries under way are done.
void NavigatorFilter::finishFlush()
{
    if (!streaming()) return transport_.endFlush();
    video_.deliverBeginFlush();
    audio_.deliverBeginFlush();
    transport_.waitDeliveriesDone();
    video_.deliverEndFlush();
    audio_.deliverEndFlush();
    transport_.endFlush();
}

bool NavigatorFilter::standing() const
{
    return state_ == State_Paused || (state_ == State_Running && session_.frozen());
}

void NavigatorFilter::watchStanding(bool on)
{
    if (on && watch_) return;
    // Waits for a look under way; a look never waits for the filter's lock, which this holds.
    if (watch_) DeleteTimerQueueTimer(nullptr, std::exchange(watch_, nullptr), INVALID_HANDLE_VALUE);
    const std::optional<RECT> shown = on && video_.placedRenderer() ? destination() : std::nullopt;
    if (!shown) return;
    watched_ = *shown;
    if (!CreateTimerQueueTimer(&watch_, nullptr, &NavigatorFilter::onWatch, this, watchPeriod, watchPeriod,
                               WT_EXECUTEDEFAULT))
        watch_ = nullptr;
}

void CALLBACK NavigatorFilter::onWatch(void* self, BOOLEAN)
{
    static_cast<NavigatorFilter*>(self)->followStandingSize();
}

// A flush wakes the video thread, and lets go of it where a paused renderer holds it: the
// picture standing goes again, scaled to where the renderer now draws.
void NavigatorFilter::followStandingSize()
{
    std::unique_lock lock(mutex_, std::try_to_lock);
    if (!lock || !streaming()) return;  // what holds the lock ends or renews the watch
    const std::optional<RECT> shown = destination();
    if (!shown || EqualRect(&*shown, &watched_)) return;
    watched_ = *shown;
    transport_.beginFlush();
    finishFlush();
}

HRESULT NavigatorFilter::GetState(DWORD milliseconds, FILTER_STATE* state)
{
    if (!state) return E_POINTER;
    *state = state_;
    if (*state != State_Paused || !transport_.cueing()) return S_OK;
    return transport_.waitCued(milliseconds) ? S_OK : VFW_S_STATE_INTERMEDIATE;
}

HRESULT NavigatorFilter::SetSyncSource(IReferenceClock* clock)
{
    std::lock_guard lock(mutex_);
    clock_ = clock;
    transport_.setClock(clock);
    return S_OK;
}

HRESULT NavigatorFilter::GetSyncSource(IReferenceClock** clock)
{
    if (!clock) return E_POINTER;
    std::lock_guard lock(mutex_);
    *clock = clock_.Get();
    if (*clock) (*clock)->AddRef();
    return S_OK;
}

HRESULT NavigatorFilter::EnumPins(IEnumPins** pins)
{
    if (!pins) return E_POINTER;
    *pins = makeObject<PinEnumerator>(std::vector<ComPtr<IPin>>{&video_, &audio_}).Detach();
    return *pins ? S_OK : E_OUTOFMEMORY;
}

HRESULT NavigatorFilter::FindPin(LPCWSTR id, IPin** pin)
{
    if (!id || !pin) return E_POINTER;
    *pin = nullptr;
    if (std::wcscmp(id, videoPinName) == 0) *pin = &video_;
    else if (std::wcscmp(id, audioPinName) == 0) *pin = &audio_;
    else return VFW_E_NOT_FOUND;
    (*pin)->AddRef();
    return S_OK;
}

HRESULT NavigatorFilter::QueryFilterInfo(FILTER_INFO* info)
{
    if (!info) return E_POINTER;
    std::lock_guard lock(mutex_);
    const size_t length = std::min(name_.size(), std::size(info->achName) - 1);
    std::memcpy(info->achName, name_.c_str(), length * sizeof(wchar_t));
    info->achName[length] = L'\0';
    info->pGraph = graph_;
    if (graph_) graph_->AddRef();
    return S_OK;
}

HRESULT NavigatorFilter::JoinFilterGraph(IFilterGraph* graph, LPCWSTR name)
{
    std::lock_guard lock(mutex_);
    if (!graph && streaming()) stopStreaming();
    graph_ = graph;
    name_ = name ? name : L"";
    // The sink is the graph itself: holding it counted would keep the graph alive forever.
    ComPtr<IMediaEventSink> sink;
    if (graph) graph->QueryInterface(IID_PPV_ARGS(&sink));
    session_.setEventSink(sink.Get());
    if (!graph) {
        clock_.Reset();
        transport_.setClock(nullptr);
    }
    return S_OK;
}

HRESULT NavigatorFilter::QueryVendorInfo(LPWSTR* info)
{
    if (!info) return E_POINTER;
    return E_NOTIMPL;
}

}  // namespace lumanav
