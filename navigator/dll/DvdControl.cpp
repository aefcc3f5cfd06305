#include "DvdControl.h"

#include "DvdCodes.h"
#include "DvdCommand.h"
#include "NavigatorFilter.h"

#include <dvdevcod.h>

namespace lumanav {

using nav::Navigator;
using nav::Status;

HRESULT DvdControl::QueryInterface(REFIID iid, void** result) { return filter_.QueryInterface(iid, result); }
ULONG DvdControl::AddRef() { return filter_.AddRef(); }
ULONG DvdControl::Release() { return filter_.Release(); }

HRESULT DvdControl::issue(DWORD flags, IDvdCmd** command, const Action& action, HRESULT notAvailable)
{
    if (command) *command = nullptr;
    const HRESULT hr = filter_.command(action, notAvailable);
    if (FAILED(hr)) return hr;
    if (flags & DVD_CMD_FLAG_SendEvents) {
        const ULONG id = filter_.recordCommand(hr);
        filter_.session().notify(EC_DVD_CMD_START, static_cast<LONG_PTR>(id), hr);
        filter_.session().notify(EC_DVD_CMD_END, static_cast<LONG_PTR>(id), hr);
    }
    if (command) *command = makeObject<DvdCommand>(hr).Detach();
    return hr;
}

HRESULT DvdControl::act(const Action& action)
{
    return filter_.command(action);
}

HRESULT DvdControl::PlayTitle(ULONG title, DWORD flags, IDvdCmd** command)
{
    return issue(flags, command, [=](Navigator& core) { return core.playTitle(static_cast<int>(title)); });
}

HRESULT DvdControl::PlayChapterInTitle(ULONG title, ULONG chapter, DWORD flags, IDvdCmd** command)
{
    return issue(flags, command, [=](Navigator& core) {
        return core.playChapterInTitle(static_cast<int>(title), static_cast<int>(chapter));
    });
}

HRESULT DvdControl::PlayAtTimeInTitle(ULONG title, DVD_HMSF_TIMECODE* time, DWORD flags, IDvdCmd** command)
{
    if (!time) return E_POINTER;
    const nav::Hmsf at = fromPlatform(*time);
    return issue(flags, command,
                 [=](Navigator& core) { return core.playAtTimeInTitle(static_cast<int>(title), at); });
}

HRESULT DvdControl::Stop()
{
    return act([](Navigator& core) {
        core.stop();
        return Status::Ok;
    });
}

HRESULT DvdControl::ReturnFromSubmenu(DWORD flags, IDvdCmd** command)
{
    return issue(flags, command, [](Navigator& core) { return core.returnFromSubmenu(); });
}

HRESULT DvdControl::PlayAtTime(DVD_HMSF_TIMECODE* time, DWORD flags, IDvdCmd** command)
{
    if (!time) return E_POINTER;
    const nav::Hmsf at = fromPlatform(*time);
    return issue(flags, command, [=](Navigator& core) { return core.playAtTime(at); });
}

HRESULT DvdControl::PlayChapter(ULONG chapter, DWORD flags, IDvdCmd** command)
{
    return issue(flags, command, [=](Navigator& core) { return core.playChapter(static_cast<int>(chapter)); });
}

HRESULT DvdControl::PlayPrevChapter(DWORD flags, IDvdCmd** command)
{
    return issue(flags, command, [](Navigator& core) { return core.playPrevChapter(); });
}

HRESULT DvdControl::ReplayChapter(DWORD flags, IDvdCmd** command)
{
    return issue(flags, command, [](Navigator& core) { return core.replayChapter(); });
}

HRESULT DvdControl::PlayNextChapter(DWORD flags, IDvdCmd** command)
{
    return issue(flags, command, [](Navigator& core) { return core.playNextChapter(); });
}

HRESULT DvdControl::PlayForwards(double speed, DWORD flags, IDvdCmd** command)
{
    if (!(speed > 0)) return E_INVALIDARG;
    return issue(flags, command, [=](Navigator& core) { return core.playForwards(speed); });
}

HRESULT DvdControl::PlayBackwards(double speed, DWORD flags, IDvdCmd** command)
{
    if (!(speed > 0)) return E_INVALIDARG;
    return issue(flags, command, [=](Navigator& core) { return core.playBackwards(speed); });
}

HRESULT DvdControl::ShowMenu(DVD_MENU_ID menu, DWORD flags, IDvdCmd** command)
{
    if (menu < DVD_MENU_Title || menu > DVD_MENU_Chapter) return E_INVALIDARG;
    return issue(flags, command,
                 [=](Navigator& core) { return core.showMenu(static_cast<nav::MenuId>(menu)); },
                 VFW_E_DVD_MENU_DOES_NOT_EXIST);
}

HRESULT DvdControl::Resume(DWORD flags, IDvdCmd** command)
{
    return issue(flags, command, [](Navigator& core) { return core.resume(); },
                 VFW_E_DVD_NO_RESUME_INFORMATION);
}

HRESULT DvdControl::SelectRelativeButton(DVD_RELATIVE_BUTTON direction)
{
    nav::Direction towards;
    switch (direction) {
    case DVD_Relative_Upper: towards = nav::Direction::Up; break;
    case DVD_Relative_Lower: towards = nav::Direction::Down; break;
    case DVD_Relative_Left: towards = nav::Direction::Left; break;
    case DVD_Relative_Right: towards = nav::Direction::Right; break;
    default: return E_INVALIDARG;
    }
    return act([=](Navigator& core) { return core.selectRelativeButton(towards); });
}

HRESULT DvdControl::ActivateButton()
{
    return act([](Navigator& core) { return core.activateButton(); });
}

HRESULT DvdControl::SelectButton(ULONG button)
{
    return act([=](Navigator& core) { return core.selectButton(static_cast<int>(button)); });
}

HRESULT DvdControl::SelectAndActivateButton(ULONG button)
{
    return act([=](Navigator& core) {
        const Status selected = core.selectButton(static_cast<int>(button));
        return selected == Status::Ok ? core.activateButton() : selected;
    });
}

HRESULT DvdControl::StillOff()
{
    return act([](Navigator& core) { return core.stillOff(); });
}

HRESULT DvdControl::Pause(BOOL on)
{
    const HRESULT hr = act([](Navigator& core) {
        return core.domain() == nav::Domain::Stop ? Status::InvalidDomain : Status::Ok;
    });
    if (SUCCEEDED(hr)) filter_.freeze(on != FALSE);
    return hr;
}

HRESULT DvdControl::SelectAudioStream(ULONG stream, DWORD flags, IDvdCmd** command)
{
    return issue(flags, command,
                 [=](Navigator& core) { return core.selectAudioStream(static_cast<int>(stream)); });
}

HRESULT DvdControl::SelectSubpictureStream(ULONG stream, DWORD flags, IDvdCmd** command)
{
    return issue(flags, command,
                 [=](Navigator& core) { return core.selectSubpictureStream(static_cast<int>(stream)); });
}

HRESULT DvdControl::SetSubpictureState(BOOL on, DWORD flags, IDvdCmd** command)
{
    return issue(flags, command, [=](Navigator& core) { return core.setSubpictureState(on != FALSE); });
}

HRESULT DvdControl::SelectAngle(ULONG angle, DWORD flags, IDvdCmd** command)
{
    return issue(flags, command, [=](Navigator& core) { return core.selectAngle(static_cast<int>(angle)); });
}

HRESULT DvdControl::SelectParentalLevel(ULONG level)
{
    constexpr ULONG unrestricted = 0xFFFFFFFF;
    if (level != unrestricted && (level < 1 || level > 8)) return E_INVALIDARG;
    const int effective = level == unrestricted ? 8 : static_cast<int>(level);
    // A preference, taken in any domain, stopped or not.
    const nav::Status status =
        filter_.session().withCore([=](Navigator& core) { return core.setParentalLevel(effective); }, Status::Ok);
    if (status == Status::Ok) filter_.updateSettings([=](PlayerSettings& settings) { settings.parentalLevel = level; });
    return toResult(status);
}

HRESULT DvdControl::SelectParentalCountry(BYTE country[2])
{
    if (!country) return E_POINTER;
    const BYTE code[2] = {country[0], country[1]};
    filter_.updateSettings([&](PlayerSettings& settings) {
        settings.country[0] = code[0];
        settings.country[1] = code[1];
    });
    return S_OK;
}

HRESULT DvdControl::SelectKaraokeAudioPresentationMode(ULONG)
{
    return VFW_E_DVD_NOT_IN_KARAOKE_MODE;  // the core plays no karaoke mixes
}

HRESULT DvdControl::SelectVideoModePreference(ULONG mode)
{
    if (mode > DISPLAY_4x3_LETTERBOX_PREFERRED) return E_INVALIDARG;
    return S_OK;  // the pictures are drawn in the source's shape whatever the display prefers
}

HRESULT DvdControl::SetDVDDirectory(LPCWSTR path)
{
    if (!path) return E_POINTER;
    return filter_.openVolume(path);
}

HRESULT DvdControl::ActivateAtPosition(POINT point)
{
    const POINT source = filter_.toSourcePoint(point);
    return act([=](Navigator& core) { return core.activateAtPosition(source.x, source.y); });
}

HRESULT DvdControl::SelectAtPosition(POINT point)
{
    const POINT source = filter_.toSourcePoint(point);
    return act([=](Navigator& core) { return core.selectAtPosition(source.x, source.y); });
}

// Playing a stretch and stopping at its end, disc registers, bookmarks and parental
// negotiation need core support that does not exist yet.
HRESULT DvdControl::PlayChaptersAutoStop(ULONG, ULONG, ULONG, DWORD, IDvdCmd** command)
{
    if (command) *command = nullptr;
    return E_NOTIMPL;
}

HRESULT DvdControl::PlayPeriodInTitleAutoStop(ULONG, DVD_HMSF_TIMECODE*, DVD_HMSF_TIMECODE*, DWORD, IDvdCmd** command)
{
    if (command) *command = nullptr;
    return E_NOTIMPL;
}

HRESULT DvdControl::SetGPRM(ULONG, WORD, DWORD, IDvdCmd** command)
{
    if (command) *command = nullptr;
    return E_NOTIMPL;
}

HRESULT DvdControl::SetState(IDvdState*, DWORD, IDvdCmd** command)
{
    if (command) *command = nullptr;
    return E_NOTIMPL;
}

HRESULT DvdControl::AcceptParentalLevelChange(BOOL)
{
    return E_UNEXPECTED;  // the core never asks for a level change, so none is pending
}

HRESULT DvdControl::SetOption(DVD_OPTION_FLAG option, BOOL on)
{
    switch (option) {
    case DVD_ResetOnStop: filter_.session().setResetOnStop(on != FALSE); return S_OK;
    case DVD_HMSF_TimeCodeEvents: filter_.session().setHmsfTimeEvents(on != FALSE); return S_OK;
    // The core never asks for a parental level change, and the sound is silence at every
    // speed: both options hold without anything to do.
    case DVD_NotifyParentalLevelChange:
    case DVD_AudioDuringFFwdRew: return S_OK;
    }
    return E_INVALIDARG;
}

HRESULT DvdControl::SelectDefaultMenuLanguage(LCID language)
{
    filter_.updateSettings([=](PlayerSettings& settings) { settings.menuLanguage = language; });
    return S_OK;
}

HRESULT DvdControl::SelectDefaultAudioLanguage(LCID language, DVD_AUDIO_LANG_EXT extension)
{
    filter_.updateSettings([=](PlayerSettings& settings) {
        settings.audioLanguage = language;
        settings.audioExtension = extension;
    });
    return S_OK;
}

HRESULT DvdControl::SelectDefaultSubpictureLanguage(LCID language, DVD_SUBPICTURE_LANG_EXT extension)
{
    filter_.updateSettings([=](PlayerSettings& settings) {
        settings.subpictureLanguage = language;
        settings.subpictureExtension = extension;
    });
    return S_OK;
}

}  // namespace lumanav
