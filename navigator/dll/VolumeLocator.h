#pragma once
// Finding DVD volumes: the VIDEO_TS folder a given path means, and a disc in one of the
// optical drives when no path is given.

#include <windows.h>

#include <optional>
#include <string>

namespace lumanav {

// The VIDEO_TS folder for a folder holding one, the folder itself, or a file inside it;
// empty when the path names nothing that exists.
std::wstring videoTsFolder(const std::wstring& path);

// The VIDEO_TS folder of the first optical drive, in letter order, holding
// VIDEO_TS\VIDEO_TS.IFO; empty when there is none.
std::wstring findDiscVolume();

// A number that tells discs apart: a hash of the VIDEO_TS folder's file names and sizes
// and of the start of VIDEO_TS.IFO.
std::optional<ULONGLONG> discId(const std::wstring& folder);

std::string toUtf8(const std::wstring& text);

}  // namespace lumanav
