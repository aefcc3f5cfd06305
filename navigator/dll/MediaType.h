#pragma once
// An owned copy of a media type, and the two formats the navigator's pins offer.

#include "DirectShow.h"

namespace lumanav {

class MediaType {
public:
    MediaType();
    explicit MediaType(const AM_MEDIA_TYPE& type);
    MediaType(const MediaType& other);
    MediaType& operator=(const MediaType& other);
    ~MediaType();

    const AM_MEDIA_TYPE& get() const { return type_; }

    // True when `other` names this type: every field it leaves as GUID_NULL matches anything.
    bool acceptsPartial(const AM_MEDIA_TYPE& other) const;
    bool equals(const AM_MEDIA_TYPE& other) const;

    HRESULT copyTo(AM_MEDIA_TYPE* target) const;
    // A task-memory copy, as media type enumerators hand them out.
    AM_MEDIA_TYPE* allocateCopy() const;

    static void freeFormat(AM_MEDIA_TYPE& type);

private:
    AM_MEDIA_TYPE type_;
};

// Bottom-up 32-bit RGB frames, the format the platform's standard video renderer takes
// without a converter.
MediaType rgb32VideoType(int width, int height, REFERENCE_TIME frameDuration);
// The width a picture of `width` x `height` at display aspect `aspectX`:`aspectY` is shown at
// in square pixels: 720 x 576 at 4:3 is 768 wide, at 16:9 1024. Its own without an aspect.
int shownWidth(int width, int height, int aspectX, int aspectY);
// The widest of them: a picture of 576 lines at 16:9.
inline constexpr int widestShown = 1024;
// The same with the picture's display aspect, for a change of format while streaming.
MediaType rgb32VideoType2(int width, int height, REFERENCE_TIME frameDuration, int aspectX, int aspectY);
// 16-bit PCM, what the platform's DirectSound renderer takes.
MediaType pcmAudioType(int frequency, int channels);

}  // namespace lumanav
