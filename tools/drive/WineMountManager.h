#pragma once
// Wine's mount manager, asked for unix drives the way winecfg asks: a drive set or taken away
// here changes for every process of the prefix at once, followed by the volume broadcast
// Windows sends when a drive or a disc comes or goes (the manager sends none for these drives).

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
    // Drive `letter` becomes a CD-ROM drive holding the unix folder `mountPoint`: a new drive,
    // or a new disc in a CD-ROM drive that was there. False when the manager refuses.
    bool PresentCdRom(wchar_t letter, const std::string& mountPoint) const;
    // The drive and its letter go, as a drive unplugged. False when the manager refuses.
    bool Remove(wchar_t letter) const;

private:
    bool Define(wchar_t letter, UINT type, const std::string& mountPoint) const;

    HANDLE handle_;
};
