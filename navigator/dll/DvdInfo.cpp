#include "DvdInfo.h"

#include "DvdCodes.h"
#include "DvdCommand.h"
#include "NavigatorFilter.h"
#include "VolumeLocator.h"

#include <algorithm>
#include <cstring>

namespace lumanav {

using nav::Navigator;

namespace {

constexpr ULONG currentTitle = 0xFFFFFFFF;
constexpr ULONG audioStreams = 8;
constexpr ULONG subpictureStreams = 32;

bool stopped(const Navigator& core) { return core.domain() == nav::Domain::Stop; }

}  // namespace

HRESULT DvdInfo::QueryInterface(REFIID iid, void** result) { return filter_.QueryInterface(iid, result); }
ULONG DvdInfo::AddRef() { return filter_.AddRef(); }
ULONG DvdInfo::Release() { return filter_.Release(); }

HRESULT DvdInfo::GetCurrentDomain(DVD_DOMAIN* domain)
{
    if (!domain) return E_POINTER;
    *domain = filter_.session().query([](const Navigator& core) { return static_cast<DVD_DOMAIN>(core.domain()); }, DVD_DOMAIN_Stop);
    return S_OK;
}

HRESULT DvdInfo::GetCurrentLocation(DVD_PLAYBACK_LOCATION2* location)
{
    if (!location) return E_POINTER;
    return filter_.session().query([&](const Navigator& core) {
        if (stopped(core)) return VFW_E_DVD_INVALIDDOMAIN;
        const nav::Location where = core.location();
        location->TitleNum = static_cast<ULONG>(where.title);
        location->ChapterNum = static_cast<ULONG>(where.chapter);
        location->TimeCode = toPlatform(where.time.time);
        location->TimeCodeFlags = where.time.flags;
        return S_OK;
    }, VFW_E_DVD_INVALIDDOMAIN);
}

HRESULT DvdInfo::GetTotalTitleTime(DVD_HMSF_TIMECODE* total, ULONG* flags)
{
    if (!total) return E_POINTER;
    return filter_.session().query([&](const Navigator& core) {
        if (core.domain() != nav::Domain::Title) return VFW_E_DVD_INVALIDDOMAIN;
        const nav::Timecode length = core.totalTitleTime();
        *total = toPlatform(length.time);
        if (flags) *flags = length.flags;
        return S_OK;
    }, VFW_E_DVD_INVALIDDOMAIN);
}

HRESULT DvdInfo::GetCurrentButton(ULONG* available, ULONG* current)
{
    if (!available || !current) return E_POINTER;
    return filter_.session().query([&](const Navigator& core) {
        if (stopped(core)) return VFW_E_DVD_INVALIDDOMAIN;
        *available = static_cast<ULONG>(core.buttons().size());
        *current = static_cast<ULONG>(core.currentButton());
        return S_OK;
    }, VFW_E_DVD_INVALIDDOMAIN);
}

HRESULT DvdInfo::GetCurrentAngle(ULONG* available, ULONG* current)
{
    if (!available || !current) return E_POINTER;
    return filter_.session().query([&](const Navigator& core) {
        if (stopped(core)) return VFW_E_DVD_INVALIDDOMAIN;
        const nav::AngleState angle = core.currentAngle();
        *available = static_cast<ULONG>(angle.available);
        *current = static_cast<ULONG>(angle.current);
        return S_OK;
    }, VFW_E_DVD_INVALIDDOMAIN);
}

HRESULT DvdInfo::GetCurrentAudio(ULONG* available, ULONG* current)
{
    if (!available || !current) return E_POINTER;
    return filter_.session().query([&](const Navigator& core) {
        if (stopped(core)) return VFW_E_DVD_INVALIDDOMAIN;
        const nav::AudioState audio = core.currentAudio();
        *available = static_cast<ULONG>(audio.available);
        *current = static_cast<ULONG>(audio.current);
        return S_OK;
    }, VFW_E_DVD_INVALIDDOMAIN);
}

HRESULT DvdInfo::GetCurrentSubpicture(ULONG* available, ULONG* current, BOOL* disabled)
{
    if (!available || !current || !disabled) return E_POINTER;
    return filter_.session().query([&](const Navigator& core) {
        if (stopped(core)) return VFW_E_DVD_INVALIDDOMAIN;
        const nav::SubpictureState subpicture = core.currentSubpicture();
        *available = static_cast<ULONG>(subpicture.available);
        *current = static_cast<ULONG>(subpicture.current);
        *disabled = subpicture.disabled;
        return S_OK;
    }, VFW_E_DVD_INVALIDDOMAIN);
}

HRESULT DvdInfo::GetCurrentUOPS(ULONG* uops)
{
    if (!uops) return E_POINTER;
    // The disc's prohibited-operation bits and the platform's flags share one layout.
    return filter_.session().query([&](const Navigator& core) {
        *uops = core.prohibitedUops();
        return S_OK;
    }, VFW_E_DVD_INVALIDDOMAIN);
}

// The core keeps its registers to itself.
HRESULT DvdInfo::GetAllSPRMs(SPRMARRAY*) { return E_NOTIMPL; }
HRESULT DvdInfo::GetAllGPRMs(GPRMARRAY*) { return E_NOTIMPL; }

HRESULT DvdInfo::GetAudioLanguage(ULONG stream, LCID* language)
{
    if (!language) return E_POINTER;
    return filter_.session().query([&](const Navigator& core) {
        if (stream >= static_cast<ULONG>(core.currentAudio().available)) return E_INVALIDARG;
        *language = core.audioLanguage(static_cast<int>(stream));
        return S_OK;
    }, VFW_E_DVD_INVALIDDOMAIN);
}

HRESULT DvdInfo::GetSubpictureLanguage(ULONG stream, LCID* language)
{
    if (!language) return E_POINTER;
    return filter_.session().query([&](const Navigator& core) {
        if (stream >= static_cast<ULONG>(core.currentSubpicture().available)) return E_INVALIDARG;
        *language = core.subpictureLanguage(static_cast<int>(stream));
        return S_OK;
    }, VFW_E_DVD_INVALIDDOMAIN);
}

HRESULT DvdInfo::GetTitleAttributes(ULONG title, DVD_MenuAttributes* menu, DVD_TitleAttributes* attributes)
{
    if (!attributes) return E_POINTER;
    return filter_.session().query([&](const Navigator& core) {
        const ULONG playing = static_cast<ULONG>(core.location().title);
        if (title != currentTitle && (title == 0 || title > static_cast<ULONG>(core.numberOfTitles()))) return E_INVALIDARG;
        // The core describes the title set playing; other titles' attributes are not known.
        if (title != currentTitle && title != playing) return VFW_E_DVD_NO_ATTRIBUTES;
        if (menu) return VFW_E_DVD_NO_ATTRIBUTES;
        *attributes = DVD_TitleAttributes{};
        attributes->AppMode = DVD_AppMode_Not_Specified;
        attributes->VideoAttributes = toPlatform(core.videoAttributes());
        const int audio = std::min(core.currentAudio().available, static_cast<int>(audioStreams));
        attributes->ulNumberOfAudioStreams = static_cast<ULONG>(audio);
        for (int stream = 0; stream < audio; ++stream) attributes->AudioAttributes[stream] = toPlatform(core.audioAttributes(stream));
        const int subpictures = std::min(core.currentSubpicture().available, static_cast<int>(subpictureStreams));
        attributes->ulNumberOfSubpictureStreams = static_cast<ULONG>(subpictures);
        for (int stream = 0; stream < subpictures; ++stream)
            attributes->SubpictureAttributes[stream] = toPlatform(core.subpictureAttributes(stream));
        return S_OK;
    }, VFW_E_DVD_INVALIDDOMAIN);
}

HRESULT DvdInfo::GetVMGAttributes(DVD_MenuAttributes* attributes)
{
    if (!attributes) return E_POINTER;
    return VFW_E_DVD_NO_ATTRIBUTES;  // the core does not describe the menus' streams
}

HRESULT DvdInfo::GetCurrentVideoAttributes(DVD_VideoAttributes* attributes)
{
    if (!attributes) return E_POINTER;
    return filter_.session().query([&](const Navigator& core) {
        *attributes = toPlatform(core.videoAttributes());
        return S_OK;
    }, VFW_E_DVD_INVALIDDOMAIN);
}

HRESULT DvdInfo::GetAudioAttributes(ULONG stream, DVD_AudioAttributes* attributes)
{
    if (!attributes) return E_POINTER;
    return filter_.session().query([&](const Navigator& core) {
        const nav::AudioState audio = core.currentAudio();
        if (stream == currentTitle) stream = static_cast<ULONG>(audio.current);
        if (stream >= static_cast<ULONG>(audio.available)) return E_INVALIDARG;
        *attributes = toPlatform(core.audioAttributes(static_cast<int>(stream)));
        return S_OK;
    }, VFW_E_DVD_INVALIDDOMAIN);
}

HRESULT DvdInfo::GetKaraokeAttributes(ULONG, DVD_KaraokeAttributes* attributes)
{
    if (!attributes) return E_POINTER;
    return VFW_E_DVD_NOT_IN_KARAOKE_MODE;
}

HRESULT DvdInfo::GetSubpictureAttributes(ULONG stream, DVD_SubpictureAttributes* attributes)
{
    if (!attributes) return E_POINTER;
    return filter_.session().query([&](const Navigator& core) {
        const nav::SubpictureState subpicture = core.currentSubpicture();
        if (stream == currentTitle) stream = static_cast<ULONG>(subpicture.current);
        if (stream >= static_cast<ULONG>(subpicture.available)) return E_INVALIDARG;
        *attributes = toPlatform(core.subpictureAttributes(static_cast<int>(stream)));
        return S_OK;
    }, VFW_E_DVD_INVALIDDOMAIN);
}

HRESULT DvdInfo::GetDVDVolumeInfo(ULONG* volumes, ULONG* volume, DVD_DISC_SIDE* side, ULONG* titles)
{
    if (!volumes || !volume || !side || !titles) return E_POINTER;
    return filter_.session().query([&](const Navigator& core) {
        *volumes = 1;
        *volume = 1;
        *side = DVD_SIDE_A;
        *titles = static_cast<ULONG>(core.numberOfTitles());
        return S_OK;
    }, VFW_E_DVD_INVALIDDOMAIN);
}

// Discs made for this navigator carry no text data.
HRESULT DvdInfo::GetDVDTextNumberOfLanguages(ULONG* languages)
{
    if (!languages) return E_POINTER;
    *languages = 0;
    return S_OK;
}

HRESULT DvdInfo::GetDVDTextLanguageInfo(ULONG, ULONG*, LCID*, enum DVD_TextCharSet*) { return E_INVALIDARG; }

HRESULT DvdInfo::GetDVDTextStringAsNative(ULONG, ULONG, BYTE*, ULONG, ULONG*, enum DVD_TextStringType*)
{
    return E_INVALIDARG;
}

HRESULT DvdInfo::GetDVDTextStringAsUnicode(ULONG, ULONG, WCHAR*, ULONG, ULONG*, enum DVD_TextStringType*)
{
    return E_INVALIDARG;
}

HRESULT DvdInfo::GetPlayerParentalLevel(ULONG* level, BYTE country[2])
{
    if (!level) return E_POINTER;
    const PlayerSettings settings = filter_.settings();
    *level = settings.parentalLevel;
    if (country) {
        country[0] = settings.country[0];
        country[1] = settings.country[1];
    }
    return S_OK;
}

HRESULT DvdInfo::GetNumberOfChapters(ULONG title, ULONG* chapters)
{
    if (!chapters) return E_POINTER;
    return filter_.session().query([&](const Navigator& core) {
        const int count = core.numberOfChapters(static_cast<int>(title));
        if (count == 0) return E_INVALIDARG;
        *chapters = static_cast<ULONG>(count);
        return S_OK;
    }, VFW_E_DVD_INVALIDDOMAIN);
}

HRESULT DvdInfo::GetTitleParentalLevels(ULONG, ULONG* levels)
{
    if (!levels) return E_POINTER;
    return E_NOTIMPL;  // the core does not read the parental management tables
}

HRESULT DvdInfo::GetDVDDirectory(LPWSTR path, ULONG size, ULONG* actualSize)
{
    if (!actualSize) return E_POINTER;
    const std::wstring folder = filter_.session().folder();
    *actualSize = static_cast<ULONG>(folder.size() + 1);
    if (folder.empty()) return VFW_E_DVD_INVALID_DISC;
    if (!path) return S_OK;
    if (size < *actualSize) return E_NOT_SUFFICIENT_BUFFER;
    std::memcpy(path, folder.c_str(), *actualSize * sizeof(wchar_t));
    return S_OK;
}

HRESULT DvdInfo::IsAudioStreamEnabled(ULONG stream, BOOL* enabled)
{
    if (!enabled) return E_POINTER;
    if (stream >= audioStreams) return E_INVALIDARG;
    return filter_.session().query([&](const Navigator& core) {
        *enabled = stream < static_cast<ULONG>(core.currentAudio().available);
        return S_OK;
    }, VFW_E_DVD_INVALIDDOMAIN);
}

HRESULT DvdInfo::IsSubpictureStreamEnabled(ULONG stream, BOOL* enabled)
{
    if (!enabled) return E_POINTER;
    if (stream >= subpictureStreams) return E_INVALIDARG;
    return filter_.session().query([&](const Navigator& core) {
        *enabled = stream < static_cast<ULONG>(core.currentSubpicture().available);
        return S_OK;
    }, VFW_E_DVD_INVALIDDOMAIN);
}

HRESULT DvdInfo::GetDiscID(LPCWSTR path, ULONGLONG* id)
{
    if (!id) return E_POINTER;
    const std::wstring location = path ? volumeLocation(path) : filter_.session().folder();
    if (location.empty()) return VFW_E_DVD_INVALID_DISC;
    const auto identity = discId(location);
    if (!identity) return VFW_E_DVD_INVALID_DISC;
    *id = *identity;
    return S_OK;
}

HRESULT DvdInfo::GetState(IDvdState** state)
{
    if (!state) return E_POINTER;
    *state = nullptr;
    return E_NOTIMPL;  // bookmarks need the core to save and restore its registers
}

HRESULT DvdInfo::GetMenuLanguages(LCID*, ULONG, ULONG* actual)
{
    if (!actual) return E_POINTER;
    *actual = 0;  // the core does not list the menus' languages
    return S_OK;
}

HRESULT DvdInfo::GetButtonAtPosition(POINT point, ULONG* button)
{
    if (!button) return E_POINTER;
    const POINT source = filter_.toSourcePoint(point);
    return filter_.session().query([&](const Navigator& core) {
        for (const nav::Button& candidate : core.buttons()) {
            if (candidate.rect.contains(source.x, source.y)) {
                *button = static_cast<ULONG>(candidate.number);
                return S_OK;
            }
        }
        return VFW_E_DVD_NO_BUTTON;
    }, VFW_E_DVD_INVALIDDOMAIN);
}

HRESULT DvdInfo::GetCmdFromEvent(LONG_PTR param1, IDvdCmd** command)
{
    if (!command) return E_POINTER;
    *command = nullptr;
    const auto result = filter_.commandResult(static_cast<ULONG>(param1));
    if (!result) return E_INVALIDARG;
    *command = makeObject<DvdCommand>(*result).Detach();
    return *command ? S_OK : E_OUTOFMEMORY;
}

HRESULT DvdInfo::GetDefaultMenuLanguage(LCID* language)
{
    if (!language) return E_POINTER;
    *language = filter_.settings().menuLanguage;
    return S_OK;
}

HRESULT DvdInfo::GetDefaultAudioLanguage(LCID* language, DVD_AUDIO_LANG_EXT* extension)
{
    if (!language || !extension) return E_POINTER;
    const PlayerSettings settings = filter_.settings();
    *language = settings.audioLanguage;
    *extension = settings.audioExtension;
    return S_OK;
}

HRESULT DvdInfo::GetDefaultSubpictureLanguage(LCID* language, DVD_SUBPICTURE_LANG_EXT* extension)
{
    if (!language || !extension) return E_POINTER;
    const PlayerSettings settings = filter_.settings();
    *language = settings.subpictureLanguage;
    *extension = settings.subpictureExtension;
    return S_OK;
}

HRESULT DvdInfo::GetDecoderCaps(DVD_DECODER_CAPS* caps)
{
    if (!caps) return E_POINTER;
    if (caps->dwSize != sizeof(DVD_DECODER_CAPS)) return E_INVALIDARG;
    // Pictures are drawn and sound is silence, so any speed plays; audio only at normal speed.
    *caps = DVD_DECODER_CAPS{};
    caps->dwSize = sizeof(DVD_DECODER_CAPS);
    caps->dwAudioCaps = DVD_AUDIO_CAPS_AC3 | DVD_AUDIO_CAPS_MPEG2 | DVD_AUDIO_CAPS_LPCM | DVD_AUDIO_CAPS_DTS | DVD_AUDIO_CAPS_SDDS;
    caps->dFwdMaxRateVideo = 8.0;
    caps->dFwdMaxRateAudio = 1.0;
    caps->dFwdMaxRateSP = 8.0;
    caps->dBwdMaxRateVideo = 8.0;
    caps->dBwdMaxRateAudio = 0.0;
    caps->dBwdMaxRateSP = 8.0;
    return S_OK;
}

HRESULT DvdInfo::GetButtonRect(ULONG button, RECT* rect)
{
    if (!rect) return E_POINTER;
    return filter_.session().query([&](const Navigator& core) {
        for (const nav::Button& candidate : core.buttons()) {
            if (candidate.number == static_cast<int>(button)) {
                *rect = {candidate.rect.left, candidate.rect.top, candidate.rect.right, candidate.rect.bottom};
                return S_OK;
            }
        }
        return VFW_E_DVD_NO_BUTTON;
    }, VFW_E_DVD_INVALIDDOMAIN);
}

}  // namespace lumanav
