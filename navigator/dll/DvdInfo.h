#pragma once
// The navigator's information interface: answers from the core, in the platform's records.

#include "DirectShow.h"

namespace lumanav {

class NavigatorFilter;

class DvdInfo final : public IDvdInfo2 {
public:
    explicit DvdInfo(NavigatorFilter& filter) : filter_(filter) {}
    DvdInfo(const DvdInfo&) = delete;
    DvdInfo& operator=(const DvdInfo&) = delete;

    // IUnknown: part of the filter.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override;
    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;

    HRESULT STDMETHODCALLTYPE GetCurrentDomain(DVD_DOMAIN* domain) override;
    HRESULT STDMETHODCALLTYPE GetCurrentLocation(DVD_PLAYBACK_LOCATION2* location) override;
    HRESULT STDMETHODCALLTYPE GetTotalTitleTime(DVD_HMSF_TIMECODE* total, ULONG* flags) override;
    HRESULT STDMETHODCALLTYPE GetCurrentButton(ULONG* available, ULONG* current) override;
    HRESULT STDMETHODCALLTYPE GetCurrentAngle(ULONG* available, ULONG* current) override;
    HRESULT STDMETHODCALLTYPE GetCurrentAudio(ULONG* available, ULONG* current) override;
    HRESULT STDMETHODCALLTYPE GetCurrentSubpicture(ULONG* available, ULONG* current, BOOL* disabled) override;
    HRESULT STDMETHODCALLTYPE GetCurrentUOPS(ULONG* uops) override;
    HRESULT STDMETHODCALLTYPE GetAllSPRMs(SPRMARRAY* registers) override;
    HRESULT STDMETHODCALLTYPE GetAllGPRMs(GPRMARRAY* registers) override;
    HRESULT STDMETHODCALLTYPE GetAudioLanguage(ULONG stream, LCID* language) override;
    HRESULT STDMETHODCALLTYPE GetSubpictureLanguage(ULONG stream, LCID* language) override;
    HRESULT STDMETHODCALLTYPE GetTitleAttributes(ULONG title, DVD_MenuAttributes* menu, DVD_TitleAttributes* attributes) override;
    HRESULT STDMETHODCALLTYPE GetVMGAttributes(DVD_MenuAttributes* attributes) override;
    HRESULT STDMETHODCALLTYPE GetCurrentVideoAttributes(DVD_VideoAttributes* attributes) override;
    HRESULT STDMETHODCALLTYPE GetAudioAttributes(ULONG stream, DVD_AudioAttributes* attributes) override;
    HRESULT STDMETHODCALLTYPE GetKaraokeAttributes(ULONG stream, DVD_KaraokeAttributes* attributes) override;
    HRESULT STDMETHODCALLTYPE GetSubpictureAttributes(ULONG stream, DVD_SubpictureAttributes* attributes) override;
    HRESULT STDMETHODCALLTYPE GetDVDVolumeInfo(ULONG* volumes, ULONG* volume, DVD_DISC_SIDE* side, ULONG* titles) override;
    HRESULT STDMETHODCALLTYPE GetDVDTextNumberOfLanguages(ULONG* languages) override;
    HRESULT STDMETHODCALLTYPE GetDVDTextLanguageInfo(ULONG index, ULONG* strings, LCID* language,
                                                     enum DVD_TextCharSet* characterSet) override;
    HRESULT STDMETHODCALLTYPE GetDVDTextStringAsNative(ULONG languageIndex, ULONG stringIndex, BYTE* buffer, ULONG size,
                                                       ULONG* actualSize, enum DVD_TextStringType* type) override;
    HRESULT STDMETHODCALLTYPE GetDVDTextStringAsUnicode(ULONG languageIndex, ULONG stringIndex, WCHAR* buffer, ULONG size,
                                                        ULONG* actualSize, enum DVD_TextStringType* type) override;
    HRESULT STDMETHODCALLTYPE GetPlayerParentalLevel(ULONG* level, BYTE country[2]) override;
    HRESULT STDMETHODCALLTYPE GetNumberOfChapters(ULONG title, ULONG* chapters) override;
    HRESULT STDMETHODCALLTYPE GetTitleParentalLevels(ULONG title, ULONG* levels) override;
    HRESULT STDMETHODCALLTYPE GetDVDDirectory(LPWSTR path, ULONG size, ULONG* actualSize) override;
    HRESULT STDMETHODCALLTYPE IsAudioStreamEnabled(ULONG stream, BOOL* enabled) override;
    HRESULT STDMETHODCALLTYPE GetDiscID(LPCWSTR path, ULONGLONG* id) override;
    HRESULT STDMETHODCALLTYPE GetState(IDvdState** state) override;
    HRESULT STDMETHODCALLTYPE GetMenuLanguages(LCID* languages, ULONG size, ULONG* actual) override;
    HRESULT STDMETHODCALLTYPE GetButtonAtPosition(POINT point, ULONG* button) override;
    HRESULT STDMETHODCALLTYPE GetCmdFromEvent(LONG_PTR param1, IDvdCmd** command) override;
    HRESULT STDMETHODCALLTYPE GetDefaultMenuLanguage(LCID* language) override;
    HRESULT STDMETHODCALLTYPE GetDefaultAudioLanguage(LCID* language, DVD_AUDIO_LANG_EXT* extension) override;
    HRESULT STDMETHODCALLTYPE GetDefaultSubpictureLanguage(LCID* language, DVD_SUBPICTURE_LANG_EXT* extension) override;
    HRESULT STDMETHODCALLTYPE GetDecoderCaps(DVD_DECODER_CAPS* caps) override;
    HRESULT STDMETHODCALLTYPE GetButtonRect(ULONG button, RECT* rect) override;
    HRESULT STDMETHODCALLTYPE IsSubpictureStreamEnabled(ULONG stream, BOOL* enabled) override;

private:
    NavigatorFilter& filter_;
};

}  // namespace lumanav
