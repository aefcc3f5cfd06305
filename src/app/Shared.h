#pragma once
// The few values the windows share at module level.

#include <cstdint>

#include "graph/TimeCodes.h"

// Source picture size of the current title, written by the disc information refresh.
extern std::uint16_t VideoWidth;
extern std::uint16_t VideoHeight;
// Its display shape from the video attributes (e.g. 16:9); 0 when unknown.
extern std::uint16_t VideoAspectX;
extern std::uint16_t VideoAspectY;
// The current title's total time, as the last refresh read it.
extern graph::tagDVD_HMSF_TIMECODE TitleLength;
// The settings are written when the player closes.
extern bool SettingsPresent;
// The left button is held on the seek bar (or a button on the main window's background):
// only then does the user's move of the seek bar jump. Any end of the press clears it.
extern bool Seeking;
// The level restored when unmuting.
extern std::uint16_t SavedVolume;

// Back to the values of a fresh start.
void ResetShared();
