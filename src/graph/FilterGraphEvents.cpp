// The event side of the graph component: the queue drained on the GUI thread and each
// event turned into its published handler with decoded parameters.
#include "graph/FilterGraph.h"

namespace graph {

namespace {

// Navigator parameters are 32-bit values carried in pointer-sized slots.
DWORD Low32(LONG_PTR param) { return static_cast<DWORD>(static_cast<ULONG_PTR>(param)); }
LONG Signed32(LONG_PTR param) { return static_cast<LONG>(Low32(param)); }
int Int(LONG_PTR param) { return static_cast<int>(Signed32(param)); }
HRESULT Result(LONG_PTR param) { return static_cast<HRESULT>(Signed32(param)); }
bool IsOne(LONG_PTR param) { return param == 1; }
template <class Interface> Interface* Pointer(LONG_PTR param) { return reinterpret_cast<Interface*>(param); }

std::wstring FromBstr(LONG_PTR param)
{
    const auto text = reinterpret_cast<BSTR>(param);
    return text ? std::wstring(text, SysStringLen(text)) : std::wstring();
}

std::string EnglishLanguageName(LCID lcid)
{
    char name[260] = {};
    if (GetLocaleInfoA(lcid, LOCALE_SENGLANGUAGE, name, 260) == 0) return {};
    return name;
}

template <class Handler, class... Args> void Raise(const Handler& handler, Args&&... args)
{
    if (handler) handler(std::forward<Args>(args)...);
}

}  // namespace

void TFilterGraph::ProcessPendingEvents()
{
    // A handler may deactivate the graph: the queue is kept alive for this drain, and the
    // drain ends as soon as it is no longer the component's.
    const ComPtr<IMediaEventEx> queue = mediaEvent_;
    // A handler's modal box lets the notification through again: the drain under way takes
    // those events in turn, after the box.
    // Events of a graph being built wait until it is built: their handlers would find nothing.
    if (!queue || draining_ || Building()) return;
    draining_ = true;
    struct EndDrain {
        bool& draining;
        ~EndDrain() { draining = false; }
    } endDrain{draining_};
    long code = 0;
    LONG_PTR param1 = 0;
    LONG_PTR param2 = 0;
    while (mediaEvent_ == queue && queue->GetEvent(&code, &param1, &param2, 0) == S_OK) {
        // The parameters are released before an error leaves the drain, so a failing
        // handler leaks nothing.
        try {
            DispatchGraphEvent(code, param1, param2);
        } catch (...) {
            queue->FreeEventParams(code, param1, param2);
            throw;
        }
        queue->FreeEventParams(code, param1, param2);
    }
}

void TFilterGraph::DispatchGraphEvent(long code, LONG_PTR param1, LONG_PTR param2)
{
    for (IGraphEventNotifier* notifier : std::vector(eventNotifiers_)) notifier->GraphEvent(code, param1, param2);
    Raise(OnDSEvent, *this, code, param1, param2);
    if (!DispatchGraphSpecific(code, param1, param2)) DispatchDVDSpecific(code, param1, param2);
}

bool TFilterGraph::DispatchGraphSpecific(long code, LONG_PTR param1, LONG_PTR param2)
{
    auto& self = *this;
    switch (code) {
    case EC_COMPLETE: Raise(OnGraphComplete, self, Result(param1), Pointer<IBaseFilter>(param2)); break;
    case EC_USERABORT: Raise(OnGraphUserAbort, self); break;
    case EC_ERRORABORT: Raise(OnGraphErrorAbort, self, Result(param1)); break;
    case EC_STREAM_ERROR_STOPPED: Raise(OnGraphStreamErrorStopped, self, Result(param1), Low32(param2)); break;
    case EC_STREAM_ERROR_STILLPLAYING:
        Raise(OnGraphStreamErrorStillPlaying, self, Result(param1), Low32(param2));
        break;
    case EC_ERROR_STILLPLAYING: Raise(OnGraphErrorStillPlaying, self, Result(param1)); break;
    case EC_PALETTE_CHANGED: Raise(OnGraphPaletteChanged, self); break;
    case EC_VIDEO_SIZE_CHANGED:
        Raise(OnGraphVideoSizeChanged, self, LOWORD(Low32(param1)), HIWORD(Low32(param1)));
        break;
    case EC_QUALITY_CHANGE: Raise(OnGraphQualityChange, self); break;
    case EC_CLOCK_CHANGED: Raise(OnGraphClockChanged, self); break;
    case EC_PAUSED: Raise(OnGraphPaused, self, Result(param1)); break;
    case EC_OPENING_FILE: Raise(OnGraphOpeningFile, self, IsOne(param1)); break;
    case EC_BUFFERING_DATA: Raise(OnGraphBufferingData, self, IsOne(param1)); break;
    case EC_FULLSCREEN_LOST: Raise(OnGraphFullscreenLost, self, Pointer<IBaseFilter>(param2)); break;
    case EC_OLE_EVENT: Raise(OnGraphOleEvent, self, FromBstr(param1), FromBstr(param2)); break;
    case EC_STREAM_CONTROL_STOPPED:
        Raise(OnGraphStreamControlStopped, self, Pointer<IPin>(param1), Low32(param2));
        break;
    case EC_STREAM_CONTROL_STARTED:
        Raise(OnGraphStreamControlStarted, self, Pointer<IPin>(param1), Low32(param2));
        break;
    case EC_END_OF_SEGMENT: {
        // The stream time comes by reference; a missing one reads as zero.
        const auto* time = reinterpret_cast<const REFERENCE_TIME*>(param1);
        Raise(OnGraphEndOfSegment, self, time ? *time : REFERENCE_TIME(0), Low32(param2));
        break;
    }
    case EC_DEVICE_LOST: Raise(OnGraphDeviceLost, self, Pointer<IUnknown>(param1), IsOne(param2)); break;
    case EC_STEP_COMPLETE: Raise(OnGraphStepComplete, self); break;
    case EC_TIMECODE_AVAILABLE:
        Raise(OnGraphTimeCodeAvailable, self, Pointer<IBaseFilter>(param1), Low32(param2));
        break;
    case EC_EXTDEVICE_MODE_CHANGE: Raise(OnGraphEXTDeviceModeChange, self, Low32(param1), Low32(param2)); break;
    case EC_GRAPH_CHANGED: Raise(OnGraphChanged, self); break;
    case EC_CLOCK_UNSET: Raise(OnGraphClockUnset, self); break;
    case EC_VMR_RENDERDEVICE_SET: Raise(OnGraphVMRRenderDevice, self, Int(param1)); break;
    case EC_SNDDEV_IN_ERROR:
        Raise(OnGraphSNDDevInError, self, static_cast<SNDDEV_ERR>(Int(param1)), Low32(param2));
        break;
    case EC_SNDDEV_OUT_ERROR:
        Raise(OnGraphSNDDevOutError, self, static_cast<SNDDEV_ERR>(Int(param1)), Low32(param2));
        break;
    default: return false;
    }
    return true;
}

bool TFilterGraph::DispatchDVDSpecific(long code, LONG_PTR param1, LONG_PTR param2)
{
    auto& self = *this;
    // Sub-coded events: an entry per sub-code from 1, anything else reaches no handler.
    auto bySubCode = [&](std::initializer_list<const TNotifyEvent*> handlers) {
        const LONG_PTR index = param1 - 1;
        if (index >= 0 && index < static_cast<LONG_PTR>(handlers.size())) Raise(*handlers.begin()[index], self);
    };
    switch (code) {
    case EC_DVD_DOMAIN_CHANGE:
        bySubCode({&OnDVDDomainFirstPlay, &OnDVDDomainVideoManagerMenu, &OnDVDDomainVideoTitleSetMenu,
                   &OnDVDDomainTitle, &OnDVDDomainStop});
        break;
    case EC_DVD_TITLE_CHANGE: Raise(OnDVDTitleChange, self, Int(param1)); break;
    case EC_DVD_CHAPTER_START: Raise(OnDVDChapterStart, self, Int(param1)); break;
    case EC_DVD_AUDIO_STREAM_CHANGE:
    case EC_DVD_SUBPICTURE_STREAM_CHANGE: DispatchStreamChange(code, param1); break;
    case EC_DVD_ANGLE_CHANGE: Raise(OnDVDAngleChange, self, Int(param1), Int(param2)); break;
    case EC_DVD_BUTTON_CHANGE: Raise(OnDVDButtonChange, self, Int(param1), Int(param2)); break;
    case EC_DVD_VALID_UOPS_CHANGE: Raise(OnDVDValidUOPSChange, self, Int(param1)); break;
    case EC_DVD_STILL_ON: Raise(OnDVDStillOn, self, IsOne(param1), Int(param2)); break;
    case EC_DVD_STILL_OFF: Raise(OnDVDStillOff, self); break;
    case EC_DVD_CURRENT_TIME: {
        if (!OnDVDCurrentTime) break;
        const tagDVD_TIMECODE time = DecodeTimeCode(Low32(param1));
        const int rate = time.FrameRateCode == 1 ? 25 : time.FrameRateCode == 3 ? 30 : 0;
        OnDVDCurrentTime(self, time.Hours1 + 10 * time.Hours10, time.Minutes1 + 10 * time.Minutes10,
                         time.Seconds1 + 10 * time.Seconds10, time.Frames1 + 10 * time.Frames10, rate);
        break;
    }
    case EC_DVD_ERROR:
        bySubCode({&OnDVDErrorUnexpected, &OnDVDErrorCopyProtectFail, &OnDVDErrorInvalidDVD1_0Disc,
                   &OnDVDErrorInvalidDiscRegion, &OnDVDErrorLowParentalLevel, &OnDVDErrorMacrovisionFail,
                   &OnDVDErrorIncompatibleSystemAndDecoderRegions, &OnDVDErrorIncompatibleDiscAndDecoderRegions});
        break;
    case EC_DVD_WARNING:
        bySubCode({&OnDVDWarningInvalidDVD1_0Disc, &OnDVDWarningFormatNotSupported, &OnDVDWarningIllegalNavCommand,
                   &OnDVDWarningOpen, &OnDVDWarningSeek, &OnDVDWarningRead});
        break;
    case EC_DVD_CHAPTER_AUTOSTOP: Raise(OnDVDChapterAutoStop, self); break;
    case EC_DVD_NO_FP_PGC: Raise(OnDVDNoFP_PGC, self); break;
    case EC_DVD_PLAYBACK_RATE_CHANGE:
        Raise(OnDVDPlaybackRateChange, self, static_cast<float>(Signed32(param1)) / 10000.0f);
        break;
    case EC_DVD_PARENTAL_LEVEL_CHANGE: Raise(OnDVDParentalLevelChange, self, Int(param1)); break;
    case EC_DVD_PLAYBACK_STOPPED: Raise(OnDVDPlaybackStopped, self); break;
    case EC_DVD_ANGLES_AVAILABLE: Raise(OnDVDAnglesAvailable, self, IsOne(param1)); break;
    case EC_DVD_PLAYPERIOD_AUTOSTOP: Raise(OnDVDPlayPeriodAutoStop, self); break;
    case EC_DVD_BUTTON_AUTO_ACTIVATED: Raise(OnDVDButtonAutoActivated, self, Low32(param1)); break;
    case EC_DVD_CMD_START: Raise(OnDVDCMDStart, self, Low32(param1)); break;
    case EC_DVD_CMD_END: Raise(OnDVDCMDEnd, self, Low32(param1)); break;
    case EC_DVD_DISC_EJECTED: Raise(OnDVDDiscEjected, self); break;
    case EC_DVD_DISC_INSERTED: Raise(OnDVDDiscInserted, self); break;
    case EC_DVD_CURRENT_HMSF_TIME:
        Raise(OnDVDCurrentHMSFTime, self, DecodeHMSFTimeCode(Low32(param1)), DecodeTimeCode(Low32(param2)));
        break;
    case EC_DVD_KARAOKE_MODE: Raise(OnDVDKaraokeMode, self, param1 != 0); break;
    default: return false;
    }
    return true;
}

void TFilterGraph::DispatchStreamChange(long code, LONG_PTR param1)
{
    const bool audio = code == EC_DVD_AUDIO_STREAM_CHANGE;
    if (audio ? !OnDVDAudioStreamChange : !OnDVDSubpictureStreamChange) return;
    const ComPtr<IDvdInfo2> info = Query<IDvdInfo2>();
    if (!info) return;
    LCID lcid = 0;
    const ULONG stream = Low32(param1);
    Check(audio ? info->GetAudioLanguage(stream, &lcid) : info->GetSubpictureLanguage(stream, &lcid));
    const std::string language = EnglishLanguageName(lcid);
    if (audio)
        OnDVDAudioStreamChange(*this, Int(param1), static_cast<int>(lcid), language);
    else
        OnDVDSubpictureStreamChange(*this, Int(param1), static_cast<int>(lcid), language);
}

}  // namespace graph
