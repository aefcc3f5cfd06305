#pragma once
// Translations between the navigator core and the platform's DVD interfaces.

#include "DirectShow.h"
#include "core/Navigator.h"

namespace lumanav {

// The platform's result for a core status. `notAvailable` depends on the command: a missing
// menu, missing resume information, ...
HRESULT toResult(nav::Status status, HRESULT notAvailable = VFW_E_DVD_CMD_CANCELLED);

DVD_HMSF_TIMECODE toPlatform(const nav::Hmsf& time);
nav::Hmsf fromPlatform(const DVD_HMSF_TIMECODE& time);
DVD_VideoAttributes toPlatform(const nav::VideoInfo& video);
DVD_AudioAttributes toPlatform(const nav::AudioInfo& audio);
DVD_SubpictureAttributes toPlatform(const nav::SubpictureInfo& subpicture);

// A point in the video window's client area to the picture's source coordinates, given
// where the renderer draws (`destination`, in the client area) and which part of the
// source it draws (`source`).
POINT toSourcePoint(POINT client, const RECT& destination, const RECT& source);

// Length of one frame in 100 ns units, for the field rate the platform reports (50 or 60).
REFERENCE_TIME frameDuration(int fieldRate);

}  // namespace lumanav
