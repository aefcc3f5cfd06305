#include "DvdCodes.h"

namespace lumanav {

HRESULT toResult(nav::Status status, HRESULT notAvailable)
{
    switch (status) {
    case nav::Status::Ok: return S_OK;
    case nav::Status::InvalidDomain: return VFW_E_DVD_INVALIDDOMAIN;
    case nav::Status::InvalidArgument: return E_INVALIDARG;
    case nav::Status::Prohibited: return VFW_E_DVD_OPERATION_INHIBITED;
    case nav::Status::NoSuchButton: return VFW_E_DVD_NO_BUTTON;
    case nav::Status::StreamDisabled: return VFW_E_DVD_STREAM_DISABLED;
    case nav::Status::NotAvailable: return notAvailable;
    }
    return E_UNEXPECTED;
}

DVD_HMSF_TIMECODE toPlatform(const nav::Hmsf& time)
{
    DVD_HMSF_TIMECODE result{};
    result.bHours = time.hours;
    result.bMinutes = time.minutes;
    result.bSeconds = time.seconds;
    result.bFrames = time.frames;
    return result;
}

nav::Hmsf fromPlatform(const DVD_HMSF_TIMECODE& time)
{
    return {time.bHours, time.bMinutes, time.bSeconds, time.bFrames};
}

DVD_VideoAttributes toPlatform(const nav::VideoInfo& video)
{
    DVD_VideoAttributes result{};
    result.fPanscanPermitted = video.panScanPermitted;
    result.fLetterboxPermitted = video.letterboxPermitted;
    result.ulAspectX = static_cast<ULONG>(video.aspectX);
    result.ulAspectY = static_cast<ULONG>(video.aspectY);
    result.ulFrameRate = static_cast<ULONG>(video.frameRate);
    result.ulFrameHeight = video.frameRate == 50 ? 576 : 480;
    result.Compression = video.mpeg2 ? DVD_VideoCompression_MPEG2 : DVD_VideoCompression_MPEG1;
    result.fLine21Field1InGOP = video.line21Field1;
    result.fLine21Field2InGOP = video.line21Field2;
    result.ulSourceResolutionX = static_cast<ULONG>(video.sourceWidth);
    result.ulSourceResolutionY = static_cast<ULONG>(video.sourceHeight);
    result.fIsSourceLetterboxed = video.letterboxed;
    result.fIsFilmMode = video.film;
    return result;
}

DVD_AudioAttributes toPlatform(const nav::AudioInfo& audio)
{
    DVD_AudioAttributes result{};
    switch (audio.applicationMode) {
    case 0: result.AppMode = DVD_AudioMode_None; break;
    case 1: result.AppMode = DVD_AudioMode_Karaoke; break;
    case 2: result.AppMode = DVD_AudioMode_Surround; break;
    default: result.AppMode = DVD_AudioMode_Other; break;
    }
    switch (audio.coding) {
    case nav::AudioCoding::Ac3: result.AudioFormat = DVD_AudioFormat_AC3; break;
    case nav::AudioCoding::Mpeg1: result.AudioFormat = DVD_AudioFormat_MPEG1; break;
    case nav::AudioCoding::Mpeg2: result.AudioFormat = DVD_AudioFormat_MPEG2; break;
    case nav::AudioCoding::Lpcm: result.AudioFormat = DVD_AudioFormat_LPCM; break;
    case nav::AudioCoding::Dts: result.AudioFormat = DVD_AudioFormat_DTS; break;
    case nav::AudioCoding::Sdds: result.AudioFormat = DVD_AudioFormat_SDDS; break;
    case nav::AudioCoding::Other: result.AudioFormat = DVD_AudioFormat_Other; break;
    }
    result.Language = audio.language;
    result.LanguageExtension = static_cast<DVD_AUDIO_LANG_EXT>(audio.languageExtension);
    result.fHasMultichannelInfo = audio.multichannelExtension;
    result.dwFrequency = static_cast<DWORD>(audio.frequency);
    result.bQuantization = static_cast<BYTE>(audio.quantization);
    result.bNumberOfChannels = static_cast<BYTE>(audio.channels);
    return result;
}

DVD_SubpictureAttributes toPlatform(const nav::SubpictureInfo& subpicture)
{
    DVD_SubpictureAttributes result{};
    result.Type = subpicture.hasLanguage ? DVD_SPType_Language : DVD_SPType_NotSpecified;
    result.CodingMode = DVD_SPCoding_RunLength;
    result.Language = subpicture.language;
    result.LanguageExtension = static_cast<DVD_SUBPICTURE_LANG_EXT>(subpicture.languageExtension);
    return result;
}

POINT toSourcePoint(POINT client, const RECT& destination, const RECT& source)
{
    const LONG destinationWidth = destination.right - destination.left;
    const LONG destinationHeight = destination.bottom - destination.top;
    if (destinationWidth <= 0 || destinationHeight <= 0) return client;
    const auto scale = [](LONG value, LONG from, LONG to) {
        return static_cast<LONG>(static_cast<LONGLONG>(value) * to / from);
    };
    return {source.left + scale(client.x - destination.left, destinationWidth, source.right - source.left),
            source.top + scale(client.y - destination.top, destinationHeight, source.bottom - source.top)};
}

REFERENCE_TIME frameDuration(int fieldRate)
{
    // 525/60 video runs at 30000/1001 frames a second.
    return fieldRate == 50 ? 400000 : 333667;
}

}  // namespace lumanav
