#pragma once
// Wine's mount manager, asked for unix drives the way winecfg asks: a drive set or taken away
// here changes for every process of the prefix at once, with the device-change broadcast a
// real drive arrival or removal sends.

#include <windows.h>

#include <string>

class WineMountManager {
public:
    WineMountManager();
    ~WineMountManager();
    WineMountManager(const WineMountManager&) = delete;
    WineMountManager& operator=(const WineMountManager&) = delete;

    // False when not running under Wine (the mount manager does not know the requests).
    bool Available() const;
    // Drive `letter` of `type` (DRIVE_CDROM, ...) on the unix folder `mountPoint`; an empty
    // mount point with DRIVE_UNKNOWN takes the drive away. False when the manager refuses.
    bool Set(wchar_t letter, UINT type, const std::string& mountPoint) const;

private:
    HANDLE handle_;
};
