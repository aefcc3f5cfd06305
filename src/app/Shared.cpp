#include "app/Shared.h"

std::uint16_t VideoWidth = 0;
std::uint16_t VideoHeight = 0;
std::uint16_t VideoAspectX = 0;
std::uint16_t VideoAspectY = 0;
graph::tagDVD_HMSF_TIMECODE TitleLength = {};
bool SettingsPresent = false;
bool Seeking = false;
std::uint16_t SavedVolume = 0;

void ResetShared()
{
    VideoWidth = 0;
    VideoHeight = 0;
    VideoAspectX = 0;
    VideoAspectY = 0;
    TitleLength = {};
    SettingsPresent = false;
    Seeking = false;
    SavedVolume = 0;
}
