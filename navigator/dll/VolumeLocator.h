#pragma once
// Finding DVD volumes: the VIDEO_TS folder or disc image a given path means, and a disc in one
// of the optical drives when no path is given.

#include <windows.h>

#include <optional>
#include <string>

namespace lumanav {

// Where the volume a path means is read from: the VIDEO_TS folder for a folder holding one, the
// folder itself, or a file inside it; a disc image file itself. Empty when the path names
// nothing that exists.
std::wstring volumeLocation(const std::wstring& path);

// The machine's drives as the volume search sees them.
class Drives {
public:
    virtual ~Drives() = default;
    // Bit n stands for drive letter 'A' + n.
    virtual DWORD present() const = 0;
    virtual UINT type(const std::wstring& root) const = 0;
    virtual bool fileExists(const std::wstring& path) const = 0;
};

class SystemDrives final : public Drives {
public:
    DWORD present() const override;
    UINT type(const std::wstring& root) const override;
    bool fileExists(const std::wstring& path) const override;
};

// The VIDEO_TS folder of the first optical drive, in letter order, holding
// VIDEO_TS\VIDEO_TS.IFO; empty when there is none.
std::wstring findDiscVolume(const Drives& drives);

// A number that tells discs apart: a hash of the VIDEO_TS folder's file names and sizes
// and of the start of VIDEO_TS.IFO. `volume` is what volumeLocation gives.
std::optional<ULONGLONG> discId(const std::wstring& volume);

std::string toUtf8(const std::wstring& text);

}  // namespace lumanav
