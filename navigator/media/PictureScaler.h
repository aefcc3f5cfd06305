#pragma once
// Scales one BGRA picture into another of a different size, bicubic as the ffmpeg program
// scales, keeping its set-up while the sizes stay.
#include "media/Ffmpeg.h"
#include "media/Overlay.h"

namespace media {

class PictureScaler {
public:
    // False, writing nothing, when either picture is empty or FFmpeg cannot scale between them.
    bool scale(const PictureView& from, const PictureView& to);

private:
    SwsPtr context_;
};

}  // namespace media
