#pragma once
// Presents empty folders as CD-ROM drives of the running Wine prefix while the object lives,
// through Wine's mount manager (tools/drive): the drives appear to every process of the prefix
// at once, with the device-change broadcast a real drive arrival sends.

#include <windows.h>

#include <string>
#include <vector>

class WineDrives {
public:
    WineDrives() = default;
    ~WineDrives();
    WineDrives(const WineDrives&) = delete;
    WineDrives& operator=(const WineDrives&) = delete;

    // False when not running under Wine (the mount manager does not know the request).
    static bool Available();

    // Drive `letter` becomes a CD-ROM drive holding an empty folder; `label` (may be empty)
    // becomes its volume label. Throws std::runtime_error when the mount manager refuses.
    void PresentCdRom(wchar_t letter, const std::string& label = {});
    // Takes a drive presented here away again.
    void Remove(wchar_t letter);

private:
    std::vector<wchar_t> letters_;
};
