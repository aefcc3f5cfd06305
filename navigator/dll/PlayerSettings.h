#pragma once
// The player's preferences the navigator keeps for it and reports back.

#include "DirectShow.h"

namespace lumanav {

struct PlayerSettings {
    ULONG parentalLevel = 8;  // no restriction
    BYTE country[2] = {};
    LCID menuLanguage = 0;
    LCID audioLanguage = 0;
    DVD_AUDIO_LANG_EXT audioExtension = DVD_AUD_EXT_NotSpecified;
    LCID subpictureLanguage = 0;
    DVD_SUBPICTURE_LANG_EXT subpictureExtension = DVD_SP_EXT_NotSpecified;
};

}  // namespace lumanav
