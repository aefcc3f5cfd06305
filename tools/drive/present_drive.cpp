// Presents a unix folder as a CD-ROM drive of the running Wine prefix, or takes a drive away,
// without ending the prefix's programs: they see the change as a disc inserted or removed.
// Usage: present_drive LETTER UNIX-FOLDER | present_drive LETTER --remove
#include "WineMountManager.h"

#include <cstdio>
#include <cwctype>
#include <string>

int wmain(int argc, wchar_t** argv)
{
    if (argc != 3 || !iswalpha(argv[1][0]) || argv[1][1] != L'\0') {
        std::fwprintf(stderr, L"usage: present_drive LETTER UNIX-FOLDER | present_drive LETTER --remove\n");
        return 2;
    }
    const wchar_t letter = argv[1][0];
    const std::wstring target = argv[2];
    WineMountManager manager;
    if (!manager.Available()) {
        std::fwprintf(stderr, L"present_drive: no Wine mount manager here\n");
        return 1;
    }
    // Wine read the unix argument as UTF-8; the manager wants those bytes back.
    std::string folder(static_cast<size_t>(WideCharToMultiByte(CP_UTF8, 0, target.c_str(), -1, nullptr, 0,
                                                                nullptr, nullptr)),
                       '\0');
    WideCharToMultiByte(CP_UTF8, 0, target.c_str(), -1, folder.data(), static_cast<int>(folder.size()), nullptr,
                        nullptr);
    folder.pop_back();
    const bool done = target == L"--remove" ? manager.Remove(letter) : manager.PresentCdRom(letter, folder);
    if (!done) {
        std::fwprintf(stderr, L"present_drive: the mount manager refused drive %lc:\n", letter);
        return 1;
    }
    return 0;
}
