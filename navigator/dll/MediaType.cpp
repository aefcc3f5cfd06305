#include "MediaType.h"

#include <cstdint>
#include <cstring>

namespace lumanav {
namespace {

HRESULT copyType(const AM_MEDIA_TYPE& source, AM_MEDIA_TYPE* target)
{
    *target = source;
    target->pUnk = nullptr;
    target->pbFormat = nullptr;
    if (source.cbFormat) {
        target->pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(source.cbFormat));
        if (!target->pbFormat) {
            target->cbFormat = 0;
            return E_OUTOFMEMORY;
        }
        std::memcpy(target->pbFormat, source.pbFormat, source.cbFormat);
    }
    return S_OK;
}

}  // namespace

MediaType::MediaType() : type_{} {}

MediaType::MediaType(const AM_MEDIA_TYPE& type) : type_{}
{
    copyType(type, &type_);
}

MediaType::MediaType(const MediaType& other) : type_{}
{
    other.copyTo(&type_);
}

MediaType& MediaType::operator=(const MediaType& other)
{
    if (this != &other) {
        freeFormat(type_);
        other.copyTo(&type_);
    }
    return *this;
}

MediaType::~MediaType() { freeFormat(type_); }

bool MediaType::acceptsPartial(const AM_MEDIA_TYPE& other) const
{
    const auto matches = [](const GUID& wanted, const GUID& ours) {
        return IsEqualGUID(wanted, GUID_NULL) || IsEqualGUID(wanted, ours);
    };
    return matches(other.majortype, type_.majortype) && matches(other.subtype, type_.subtype) &&
           matches(other.formattype, type_.formattype);
}

bool MediaType::equals(const AM_MEDIA_TYPE& other) const
{
    return IsEqualGUID(other.majortype, type_.majortype) && IsEqualGUID(other.subtype, type_.subtype) &&
           IsEqualGUID(other.formattype, type_.formattype) && other.cbFormat == type_.cbFormat &&
           (type_.cbFormat == 0 || (other.pbFormat && std::memcmp(other.pbFormat, type_.pbFormat, type_.cbFormat) == 0));
}

HRESULT MediaType::copyTo(AM_MEDIA_TYPE* target) const
{
    return copyType(type_, target);
}

AM_MEDIA_TYPE* MediaType::allocateCopy() const
{
    auto* copy = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    if (copy && FAILED(copyTo(copy))) {
        CoTaskMemFree(copy);
        copy = nullptr;
    }
    return copy;
}

void MediaType::freeFormat(AM_MEDIA_TYPE& type)
{
    CoTaskMemFree(type.pbFormat);
    type.pbFormat = nullptr;
    type.cbFormat = 0;
    if (type.pUnk) {
        type.pUnk->Release();
        type.pUnk = nullptr;
    }
}

namespace {

MediaType withFormat(AM_MEDIA_TYPE type, const void* format, ULONG size)
{
    type.cbFormat = size;
    type.pbFormat = static_cast<BYTE*>(const_cast<void*>(format));
    return MediaType(type);  // copies the format into task memory
}

}  // namespace

namespace {

BITMAPINFOHEADER rgb32Bitmap(int width, int height)
{
    BITMAPINFOHEADER bitmap{};
    bitmap.biSize = sizeof(BITMAPINFOHEADER);
    bitmap.biWidth = width;
    bitmap.biHeight = height;  // positive: bottom-up, like a GDI DIB section
    bitmap.biPlanes = 1;
    bitmap.biBitCount = 32;
    bitmap.biCompression = BI_RGB;
    bitmap.biSizeImage = static_cast<DWORD>(width * height * 4);
    return bitmap;
}

DWORD bitRate(const BITMAPINFOHEADER& bitmap, REFERENCE_TIME frameDuration)
{
    return static_cast<DWORD>(static_cast<LONGLONG>(bitmap.biSizeImage) * 8 * 10000000 / frameDuration);
}

AM_MEDIA_TYPE rgb32Type(const BITMAPINFOHEADER& bitmap, const GUID& formatType)
{
    AM_MEDIA_TYPE type{};
    type.majortype = MEDIATYPE_Video;
    type.subtype = MEDIASUBTYPE_RGB32;
    type.bFixedSizeSamples = TRUE;
    type.lSampleSize = bitmap.biSizeImage;
    type.formattype = formatType;
    return type;
}

}  // namespace

int shownWidth(int width, int height, int aspectX, int aspectY)
{
    if (aspectX <= 0 || aspectY <= 0 || height <= 0) return width;
    return static_cast<int>((std::int64_t{height} * aspectX + aspectY / 2) / aspectY);
}

MediaType rgb32VideoType(int width, int height, REFERENCE_TIME frameDuration)
{
    VIDEOINFOHEADER info{};
    info.AvgTimePerFrame = frameDuration;
    info.bmiHeader = rgb32Bitmap(width, height);
    info.dwBitRate = bitRate(info.bmiHeader, frameDuration);
    return withFormat(rgb32Type(info.bmiHeader, FORMAT_VideoInfo), &info, sizeof info);
}

MediaType rgb32VideoType2(int width, int height, REFERENCE_TIME frameDuration, int aspectX, int aspectY)
{
    VIDEOINFOHEADER2 info{};
    info.AvgTimePerFrame = frameDuration;
    info.bmiHeader = rgb32Bitmap(width, height);
    info.dwBitRate = bitRate(info.bmiHeader, frameDuration);
    info.dwPictAspectRatioX = static_cast<DWORD>(aspectX);
    info.dwPictAspectRatioY = static_cast<DWORD>(aspectY);
    return withFormat(rgb32Type(info.bmiHeader, FORMAT_VideoInfo2), &info, sizeof info);
}

MediaType pcmAudioType(int frequency, int channels)
{
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = static_cast<WORD>(channels);
    format.nSamplesPerSec = static_cast<DWORD>(frequency);
    format.wBitsPerSample = 16;
    format.nBlockAlign = static_cast<WORD>(channels * 2);
    format.nAvgBytesPerSec = format.nSamplesPerSec * format.nBlockAlign;

    AM_MEDIA_TYPE type{};
    type.majortype = MEDIATYPE_Audio;
    type.subtype = MEDIASUBTYPE_PCM;
    type.bFixedSizeSamples = TRUE;
    type.lSampleSize = format.nBlockAlign;
    type.formattype = FORMAT_WaveFormatEx;
    return withFormat(type, &format, sizeof format);
}

}  // namespace lumanav
