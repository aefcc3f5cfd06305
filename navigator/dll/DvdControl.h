#pragma once
// The navigator's control interface: each command runs on the core; the filter brings the
// picture up to date and tells the command's events.

#include "DirectShow.h"
#include "core/Navigator.h"

#include <functional>

namespace lumanav {

class NavigatorFilter;

class DvdControl final : public IDvdControl2 {
public:
    explicit DvdControl(NavigatorFilter& filter) : filter_(filter) {}
    DvdControl(const DvdControl&) = delete;
    DvdControl& operator=(const DvdControl&) = delete;

    // IUnknown: part of the filter.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE PlayTitle(ULONG title, DWORD flags, IDvdCmd** command) override;
    HRESULT STDMETHODCALLTYPE PlayChapterInTitle(ULONG title, ULONG chapter, DWORD flags, IDvdCmd** command) override;
    HRESULT STDMETHODCALLTYPE PlayAtTimeInTitle(ULONG title, DVD_HMSF_TIMECODE* time, DWORD flags, IDvdCmd** command) override;
    HRESULT STDMETHODCALLTYPE Stop() override;
    HRESULT STDMETHODCALLTYPE ReturnFromSubmenu(DWORD flags, IDvdCmd** command) override;
    HRESULT STDMETHODCALLTYPE PlayAtTime(DVD_HMSF_TIMECODE* time, DWORD flags, IDvdCmd** command) override;
    HRESULT STDMETHODCALLTYPE PlayChapter(ULONG chapter, DWORD flags, IDvdCmd** command) override;
    HRESULT STDMETHODCALLTYPE PlayPrevChapter(DWORD flags, IDvdCmd** command) override;
    HRESULT STDMETHODCALLTYPE ReplayChapter(DWORD flags, IDvdCmd** command) override;
    HRESULT STDMETHODCALLTYPE PlayNextChapter(DWORD flags, IDvdCmd** command) override;
    HRESULT STDMETHODCALLTYPE PlayForwards(double speed, DWORD flags, IDvdCmd** command) override;
    HRESULT STDMETHODCALLTYPE PlayBackwards(double speed, DWORD flags, IDvdCmd** command) override;
    HRESULT STDMETHODCALLTYPE ShowMenu(DVD_MENU_ID menu, DWORD flags, IDvdCmd** command) override;
    HRESULT STDMETHODCALLTYPE Resume(DWORD flags, IDvdCmd** command) override;
    HRESULT STDMETHODCALLTYPE SelectRelativeButton(DVD_RELATIVE_BUTTON direction) override;
    HRESULT STDMETHODCALLTYPE ActivateButton() override;
    HRESULT STDMETHODCALLTYPE SelectButton(ULONG button) override;
    HRESULT STDMETHODCALLTYPE SelectAndActivateButton(ULONG button) override;
    HRESULT STDMETHODCALLTYPE StillOff() override;
    HRESULT STDMETHODCALLTYPE Pause(BOOL on) override;
    HRESULT STDMETHODCALLTYPE SelectAudioStream(ULONG stream, DWORD flags, IDvdCmd** command) override;
    HRESULT STDMETHODCALLTYPE SelectSubpictureStream(ULONG stream, DWORD flags, IDvdCmd** command) override;
    HRESULT STDMETHODCALLTYPE SetSubpictureState(BOOL on, DWORD flags, IDvdCmd** command) override;
    HRESULT STDMETHODCALLTYPE SelectAngle(ULONG angle, DWORD flags, IDvdCmd** command) override;
    HRESULT STDMETHODCALLTYPE SelectParentalLevel(ULONG level) override;
    HRESULT STDMETHODCALLTYPE SelectParentalCountry(BYTE country[2]) override;
    HRESULT STDMETHODCALLTYPE SelectKaraokeAudioPresentationMode(ULONG mode) override;
    HRESULT STDMETHODCALLTYPE SelectVideoModePreference(ULONG mode) override;
    HRESULT STDMETHODCALLTYPE SetDVDDirectory(LPCWSTR path) override;
    HRESULT STDMETHODCALLTYPE ActivateAtPosition(POINT point) override;
    HRESULT STDMETHODCALLTYPE SelectAtPosition(POINT point) override;
    HRESULT STDMETHODCALLTYPE PlayChaptersAutoStop(ULONG title, ULONG chapter, ULONG count, DWORD flags, IDvdCmd** command) override;
    HRESULT STDMETHODCALLTYPE AcceptParentalLevelChange(BOOL accept) override;
    HRESULT STDMETHODCALLTYPE SetOption(DVD_OPTION_FLAG option, BOOL on) override;
    HRESULT STDMETHODCALLTYPE SetState(IDvdState* state, DWORD flags, IDvdCmd** command) override;
    HRESULT STDMETHODCALLTYPE PlayPeriodInTitleAutoStop(ULONG title, DVD_HMSF_TIMECODE* start, DVD_HMSF_TIMECODE* end,
                                                        DWORD flags, IDvdCmd** command) override;
    HRESULT STDMETHODCALLTYPE SetGPRM(ULONG index, WORD value, DWORD flags, IDvdCmd** command) override;
    HRESULT STDMETHODCALLTYPE SelectDefaultMenuLanguage(LCID language) override;
    HRESULT STDMETHODCALLTYPE SelectDefaultAudioLanguage(LCID language, DVD_AUDIO_LANG_EXT extension) override;
    HRESULT STDMETHODCALLTYPE SelectDefaultSubpictureLanguage(LCID language, DVD_SUBPICTURE_LANG_EXT extension) override;

private:
    using Action = std::function<nav::Status(nav::Navigator&)>;
    // A command that may hand back a command object and announce its start and end.
    HRESULT issue(DWORD flags, IDvdCmd** command, const Action& action,
                  HRESULT notAvailable = VFW_E_DVD_CMD_CANCELLED);
    HRESULT act(const Action& action);

    NavigatorFilter& filter_;
};

}  // namespace lumanav
