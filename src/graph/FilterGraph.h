#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "graph/DirectShow.h"
#include "graph/DirectShowError.h"
#include "graph/GraphContracts.h"
#include "graph/NotifyWindow.h"
#include "graph/TimeCodes.h"
#include "ui/Abort.h"

namespace graph {

enum TGraphMode : int { gmNormal = 0, gmCapture = 1, gmDVD = 2 };

class TFilterGraph;

// Event handler types. Pointer parameters are valid only during the call: the event's
// parameters are freed as soon as the handlers return.
using TNotifyEvent = std::function<void(TFilterGraph& sender)>;
using TOnDSEvent = std::function<void(TFilterGraph& sender, long Event, LONG_PTR Param1, LONG_PTR Param2)>;
using TOnDSResult = std::function<void(TFilterGraph& sender, HRESULT Result)>;
using TOnGraphBufferingData = std::function<void(TFilterGraph& sender, bool Buffering)>;
using TOnGraphComplete = std::function<void(TFilterGraph& sender, HRESULT Result, IBaseFilter* Renderer)>;
using TOnGraphDeviceLost = std::function<void(TFilterGraph& sender, IUnknown* Device, bool Removed)>;
using TOnGraphEndOfSegment = std::function<void(TFilterGraph& sender, REFERENCE_TIME StreamTime, ULONG NumSegment)>;
using TOnGraphFullscreenLost = std::function<void(TFilterGraph& sender, IBaseFilter* Renderer)>;
using TOnGraphOleEvent =
    std::function<void(TFilterGraph& sender, const std::wstring& String1, const std::wstring& String2)>;
using TOnGraphOpeningFile = std::function<void(TFilterGraph& sender, bool opening)>;
using TOnGraphSNDDevError = std::function<void(TFilterGraph& sender, SNDDEV_ERR OccurWhen, ULONG ErrorCode)>;
using TOnGraphStreamControl = std::function<void(TFilterGraph& sender, IPin* PinSender, ULONG Cookie)>;
using TOnGraphStreamError = std::function<void(TFilterGraph& sender, HRESULT Operation, ULONG Value)>;
using TOnGraphVideoSizeChanged = std::function<void(TFilterGraph& sender, WORD Width, WORD height)>;
using TOnGraphTimeCodeAvailable = std::function<void(TFilterGraph& sender, IBaseFilter* From, ULONG DeviceID)>;
using TOnGraphEXTDeviceModeChange = std::function<void(TFilterGraph& sender, ULONG NewMode, ULONG DeviceID)>;
using TOnGraphVMRRenderDevice = std::function<void(TFilterGraph& sender, int RenderDevice)>;
using TOnDVDAudioStreamChange =
    std::function<void(TFilterGraph& sender, int stream, int lcid, const std::string& Lang)>;
using TOnDVDSubpictureStreamChange =
    std::function<void(TFilterGraph& sender, int SubNum, int lcid, const std::string& Lang)>;
using TOnDVDCurrentTime =
    std::function<void(TFilterGraph& sender, int Hours, int minutes, int seconds, int frames, int frate)>;
using TOnDVDTitleChange = std::function<void(TFilterGraph& sender, int title)>;
using TOnDVDChapterStart = std::function<void(TFilterGraph& sender, int chapter)>;
using TOnDVDChange = std::function<void(TFilterGraph& sender, int total, int current)>;
using TOnDVDValidUOPSChange = std::function<void(TFilterGraph& sender, int UOPS)>;
using TOnDVDStillOn = std::function<void(TFilterGraph& sender, bool NoButtonAvailable, int seconds)>;
using TOnDVDPlaybackRateChange = std::function<void(TFilterGraph& sender, float rate)>;
using TOnDVDParentalLevelChange = std::function<void(TFilterGraph& sender, int level)>;
using TOnDVDAnglesAvailable = std::function<void(TFilterGraph& sender, bool available)>;
using TOnDVDButtonAutoActivated = std::function<void(TFilterGraph& sender, ULONG Button)>;
using TOnDVDCMD = std::function<void(TFilterGraph& sender, ULONG CmdID)>;
using TOnDVDCurrentHMSFTime =
    std::function<void(TFilterGraph& sender, tagDVD_HMSF_TIMECODE HMSFTimeCode, const tagDVD_TIMECODE& TimeCode)>;
using TOnDVDKaraokeMode = std::function<void(TFilterGraph& sender, bool Played)>;

// Owns the DirectShow filter graph while it is active. Everything that needs a DirectShow
// interface asks this component for it; filter components and event notifiers take part in
// the graph's life through the two contracts of GraphContracts.h.
class TFilterGraph {
public:
    TFilterGraph();
    virtual ~TFilterGraph();
    TFilterGraph(const TFilterGraph&) = delete;
    TFilterGraph& operator=(const TFilterGraph&) = delete;

    // Called once the owner has set the properties: activates when AutoCreate is on.
    void Loaded();

    TGraphMode Mode() const { return mode_; }
    void SetMode(TGraphMode mode);
    bool Active() const { return active_; }
    // Activation raises EDirectShowException with the creation's code when a graph object
    // cannot be created; Active then stays false.
    void SetActive(bool active);
    bool AutoCreate() const { return autoCreate_; }
    void SetAutoCreate(bool autoCreate) { autoCreate_ = autoCreate; }
    bool GraphEdit() const { return graphEdit_; }
    void SetGraphEdit(bool graphEdit);
    const std::wstring& LogFile() const { return logFile_; }
    void SetLogFile(const std::wstring& name);

    // Asks the graph objects in turn; E_NOINTERFACE while inactive.
    HRESULT QueryInterface(REFIID iid, void** object);
    // The interface, or null when nothing answers.
    template <class I> ComPtr<I> Query()
    {
        ComPtr<I> result;
        if (FAILED(QueryInterface(__uuidof(I), reinterpret_cast<void**>(result.GetAddressOf())))) result.Reset();
        return result;
    }
    // The interface, or EInterfaceNotSupported; while a volume is being opened a command has
    // nothing to act on yet, and ends quietly (ui::EAbort).
    template <class I> ComPtr<I> Get()
    {
        ComPtr<I> result = Query<I>();
        if (!result && Building()) throw ui::EAbort();
        if (!result) throw EInterfaceNotSupported();
        return result;
    }

    bool PlayGraph();
    bool PauseGraph();
    bool StopGraph();
    void ClearGraph();
    // Failure codes are returned, not raised; the status is untouched while inactive. A drive
    // may take seconds to answer: the volume is opened on a thread of its own while this
    // thread's windows go on answering. E_ABORT when a handler that ran meanwhile emptied the
    // graph or let it go: the build's outcome then concerns no one.
    HRESULT RenderDVD(AM_DVD_RENDERSTATUS& status, const std::wstring& path, DWORD flags);
    // A volume is being opened. Until it is, interface requests go unanswered, the transport
    // and volume do nothing, graph events wait, and whatever empties, changes or lets go of
    // the graph first waits for the build, answering messages meanwhile.
    bool Building() const;

    // 0 (silence) to 10000 (full).
    int Volume();
    void SetVolume(int volume);

    void InsertFilterComponent(IFilterComponent* component);
    void RemoveFilterComponent(IFilterComponent* component);
    void InsertEventNotifier(IGraphEventNotifier* notifier);
    void RemoveEventNotifier(IGraphEventNotifier* notifier);

    // Drains the graph's event queue; does nothing while no queue is held.
    void ProcessPendingEvents();
    // Handles one event: notifiers first, then OnDSEvent, then the event's own handler.
    virtual void DispatchGraphEvent(long code, LONG_PTR param1, LONG_PTR param2);

    HWND NotifyWindowHandle() const { return notifyWindow_.Handle(); }

    TNotifyEvent OnActivate;
    TOnDSEvent OnDSEvent;

    TOnGraphBufferingData OnGraphBufferingData;
    TNotifyEvent OnGraphChanged;
    TNotifyEvent OnGraphClockChanged;
    TNotifyEvent OnGraphClockUnset;
    TOnGraphComplete OnGraphComplete;
    TOnGraphDeviceLost OnGraphDeviceLost;
    TOnGraphEndOfSegment OnGraphEndOfSegment;
    TOnDSResult OnGraphErrorAbort;
    TOnDSResult OnGraphErrorStillPlaying;
    TOnGraphEXTDeviceModeChange OnGraphEXTDeviceModeChange;
    TOnGraphFullscreenLost OnGraphFullscreenLost;
    TOnGraphOleEvent OnGraphOleEvent;
    TOnGraphOpeningFile OnGraphOpeningFile;
    TNotifyEvent OnGraphPaletteChanged;
    TOnDSResult OnGraphPaused;
    TNotifyEvent OnGraphQualityChange;
    TOnGraphSNDDevError OnGraphSNDDevInError;
    TOnGraphSNDDevError OnGraphSNDDevOutError;
    TNotifyEvent OnGraphStepComplete;
    TOnGraphStreamControl OnGraphStreamControlStarted;
    TOnGraphStreamControl OnGraphStreamControlStopped;
    TOnGraphStreamError OnGraphStreamErrorStillPlaying;
    TOnGraphStreamError OnGraphStreamErrorStopped;
    TOnGraphTimeCodeAvailable OnGraphTimeCodeAvailable;
    TNotifyEvent OnGraphUserAbort;
    TOnGraphVideoSizeChanged OnGraphVideoSizeChanged;
    TOnGraphVMRRenderDevice OnGraphVMRRenderDevice;

    TOnDVDAudioStreamChange OnDVDAudioStreamChange;
    TOnDVDChapterStart OnDVDChapterStart;
    TOnDVDCurrentTime OnDVDCurrentTime;
    TNotifyEvent OnDVDDomainFirstPlay;
    TNotifyEvent OnDVDDomainVideoManagerMenu;
    TNotifyEvent OnDVDDomainVideoTitleSetMenu;
    TNotifyEvent OnDVDDomainTitle;
    TNotifyEvent OnDVDDomainStop;
    TNotifyEvent OnDVDErrorUnexpected;
    TNotifyEvent OnDVDErrorCopyProtectFail;
    TNotifyEvent OnDVDErrorInvalidDVD1_0Disc;
    TNotifyEvent OnDVDErrorInvalidDiscRegion;
    TNotifyEvent OnDVDErrorLowParentalLevel;
    TNotifyEvent OnDVDErrorMacrovisionFail;
    TNotifyEvent OnDVDErrorIncompatibleSystemAndDecoderRegions;
    TNotifyEvent OnDVDErrorIncompatibleDiscAndDecoderRegions;
    TNotifyEvent OnDVDWarningInvalidDVD1_0Disc;
    TNotifyEvent OnDVDWarningFormatNotSupported;
    TNotifyEvent OnDVDWarningIllegalNavCommand;
    TNotifyEvent OnDVDWarningOpen;
    TNotifyEvent OnDVDWarningSeek;
    TNotifyEvent OnDVDWarningRead;
    TOnDVDSubpictureStreamChange OnDVDSubpictureStreamChange;
    TOnDVDTitleChange OnDVDTitleChange;
    TOnDVDChange OnDVDAngleChange;
    TOnDVDChange OnDVDButtonChange;
    TOnDVDValidUOPSChange OnDVDValidUOPSChange;
    TOnDVDStillOn OnDVDStillOn;
    TNotifyEvent OnDVDStillOff;
    TNotifyEvent OnDVDChapterAutoStop;
    TNotifyEvent OnDVDNoFP_PGC;
    TOnDVDPlaybackRateChange OnDVDPlaybackRateChange;
    TOnDVDParentalLevelChange OnDVDParentalLevelChange;
    TNotifyEvent OnDVDPlaybackStopped;
    TOnDVDAnglesAvailable OnDVDAnglesAvailable;
    TNotifyEvent OnDVDPlayPeriodAutoStop;
    TOnDVDButtonAutoActivated OnDVDButtonAutoActivated;
    TOnDVDCMD OnDVDCMDStart;
    TOnDVDCMD OnDVDCMDEnd;
    TNotifyEvent OnDVDDiscEjected;
    TNotifyEvent OnDVDDiscInserted;
    TOnDVDCurrentHMSFTime OnDVDCurrentHMSFTime;
    TOnDVDKaraokeMode OnDVDKaraokeMode;

private:
    struct FileCloser {
        void operator()(HANDLE file) const { CloseHandle(file); }
    };

    struct Build;

    // Waits, answering messages, for a build under way to end.
    void Settle();
    void Activate();
    void Deactivate();
    void CreateGraphObjects();
    void AddComponentFilter(IFilterComponent& component);
    void RemoveComponentFilter(IFilterComponent& component);
    void BroadcastControlEvent(TControlEvent kind, DWORD param);
    HRESULT AfterTelling(TControlEvent kind, const std::function<HRESULT()>& change);
    void Register();
    void Revoke();
    void ApplyLogFile(const std::wstring& name);
    std::vector<ComPtr<IBaseFilter>> ListFilters();

    bool DispatchGraphSpecific(long code, LONG_PTR param1, LONG_PTR param2);
    bool DispatchDVDSpecific(long code, LONG_PTR param1, LONG_PTR param2);
    void DispatchStreamChange(long code, LONG_PTR param1);

    NotifyWindow notifyWindow_;
    TGraphMode mode_ = gmNormal;
    bool active_ = false;
    bool autoCreate_ = false;
    bool graphEdit_ = false;
    bool draining_ = false;
    std::wstring logFile_;

    std::vector<IFilterComponent*> filterComponents_;
    std::vector<IGraphEventNotifier*> eventNotifiers_;

    ComPtr<IGraphBuilder> graphBuilder_;
    ComPtr<ICaptureGraphBuilder2> captureGraphBuilder_;
    ComPtr<IDvdGraphBuilder> dvdGraphBuilder_;
    ComPtr<IMediaEventEx> mediaEvent_;
    DWORD rotCookie_ = 0;
    std::unique_ptr<void, FileCloser> logStream_;
    std::shared_ptr<Build> build_;  // the newest build, until it has been answered
    unsigned emptied_ = 0;          // counts the graphs emptied or let go
};

}  // namespace graph
