#pragma once
// The navigator filter: a source with a video and an audio pin whose streaming threads play
// the disc through the navigator core, and the DVD control and information interfaces the
// player drives it with.

#include "ComObject.h"
#include "DirectShow.h"
#include "DiscSession.h"
#include "DvdControl.h"
#include "DvdInfo.h"
#include "OutputPin.h"
#include "PlayerSettings.h"
#include "SoundQueue.h"
#include "Transport.h"

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <utility>

namespace lumanav {

class StreamWorker;
class VideoProducer;
class AudioProducer;

class NavigatorFilter final : public ComObject<IBaseFilter> {
public:
    static HRESULT create(REFIID iid, void** result);
    NavigatorFilter();

    // Opens the volume at `path` (a folder holding VIDEO_TS, the VIDEO_TS folder, a file in it
    // or a disc image); VFW_E_DVD_INVALID_DISC when it is none. Only while stopped.
    HRESULT openVolume(const std::wstring& path);
    OutputPin& videoPin() { return video_; }
    OutputPin& audioPin() { return audio_; }

    // Runs a command on the core and tells its events; where it moved playback, what is
    // queued from the old place is dropped.
    HRESULT command(const std::function<nav::Status(nav::Navigator&)>& action,
                    HRESULT notAvailable = VFW_E_DVD_CMD_CANCELLED);
    DiscSession& session() { return session_; }
    // The navigator's own pause, which the graph does not see.
    void freeze(bool on);
    // A point in the video window's client area in the picture's source coordinates.
    POINT toSourcePoint(POINT client);
    ComPtr<IBaseFilter> videoRenderer() const { return video_.connectedFilter(); }
    ComPtr<IBaseFilter> audioRenderer() const { return audio_.connectedFilter(); }

    PlayerSettings settings() const;
    void updateSettings(const std::function<void(PlayerSettings&)>& change);
    // Commands issued with events keep their results for GetCmdFromEvent.
    ULONG recordCommand(HRESULT result);
    std::optional<HRESULT> commandResult(ULONG id) const;

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override;

    // IPersist
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* clsid) override;

    // IMediaFilter
    HRESULT STDMETHODCALLTYPE Stop() override;
    HRESULT STDMETHODCALLTYPE Pause() override;
    HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME start) override;
    HRESULT STDMETHODCALLTYPE GetState(DWORD milliseconds, FILTER_STATE* state) override;
    HRESULT STDMETHODCALLTYPE SetSyncSource(IReferenceClock* clock) override;
    HRESULT STDMETHODCALLTYPE GetSyncSource(IReferenceClock** clock) override;

    // IBaseFilter
    HRESULT STDMETHODCALLTYPE EnumPins(IEnumPins** pins) override;
    HRESULT STDMETHODCALLTYPE FindPin(LPCWSTR id, IPin** pin) override;
    HRESULT STDMETHODCALLTYPE QueryFilterInfo(FILTER_INFO* info) override;
    HRESULT STDMETHODCALLTYPE JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override;
    HRESULT STDMETHODCALLTYPE QueryVendorInfo(LPWSTR* info) override;

private:
    ~NavigatorFilter() override;

    // The pins' formats for the next connection: RGB32 frames and 16-bit stereo PCM at
    // 48 kHz, whatever the streams, so that changing them needs no new connection.
    void offerFormats(int width, int height, int fieldRate);
    HRESULT pauseFromStopped();
    void stopStreaming();
    void finishFlush();
    bool streaming() const { return state_ != State_Stopped; }
    // Where the video renderer draws the picture in its window.
    std::optional<RECT> destination() const;
    // The picture stands: the graph paused, or the navigator while the graph runs.
    bool standing() const;
    // While the picture stands nothing is sent that would follow the window: a watch on where
    // the renderer draws sends the picture again at the size the window takes meanwhile. Under
    // the filter's lock; a watch already on goes on.
    void watchStanding(bool on);
    void followStandingSize();
    static void CALLBACK onWatch(void* self, BOOLEAN);

    std::mutex mutex_;  // state changes, flushes and graph membership
    std::atomic<FILTER_STATE> state_{State_Stopped};
    IFilterGraph* graph_ = nullptr;  // not counted: the graph owns the filter
    std::wstring name_;
    ComPtr<IReferenceClock> clock_;

    Transport transport_;
    DiscSession session_;
    OutputPin video_;
    OutputPin audio_;
    DvdControl control_;
    DvdInfo info_;

    SoundQueue sound_;
    std::unique_ptr<VideoProducer> videoProducer_;
    std::unique_ptr<AudioProducer> audioProducer_;
    std::unique_ptr<StreamWorker> videoWorker_;
    std::unique_ptr<StreamWorker> audioWorker_;
    HANDLE watch_ = nullptr;  // a timer, while the picture stands
    RECT watched_{};

    mutable std::mutex settingsMutex_;
    PlayerSettings settings_;
    std::deque<std::pair<ULONG, HRESULT>> commands_;
    ULONG lastCommand_ = 0;
};

}  // namespace lumanav
