#include "support/WineDrives.h"

#include "WineMountManager.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace {

// The unix path of a Windows path, from Wine's own kernel32 export.
std::string UnixPath(const std::wstring& windowsPath)
{
    using Convert = char*(__cdecl*)(LPCWSTR);
    const FARPROC entry = GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name");
    const auto convert = reinterpret_cast<Convert>(reinterpret_cast<void*>(entry));
    if (!convert) throw std::runtime_error("not running under Wine");
    char* path = convert(windowsPath.c_str());
    if (!path) throw std::runtime_error("no unix path for a drive folder");
    std::string result(path);
    HeapFree(GetProcessHeap(), 0, path);
    return result;
}

std::wstring DriveFolder(wchar_t letter)
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    const std::wstring parent = std::wstring(temp) + L"lumadisc-drives";
    CreateDirectoryW(parent.c_str(), nullptr);
    return parent + L"\\" + letter;
}

}  // namespace

WineDrives::~WineDrives()
{
    while (!letters_.empty()) Remove(letters_.back());
}

bool WineDrives::Available()
{
    return WineMountManager().Available();
}

void WineDrives::PresentCdRom(wchar_t letter, const std::string& label)
{
    const std::wstring folder = DriveFolder(letter);
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring labelFile = folder + L"\\.windows-label";
    DeleteFileW(labelFile.c_str());
    if (!label.empty()) std::ofstream(std::filesystem::path(labelFile)) << label << '\n';

    WineMountManager manager;
    if (!manager.PresentCdRom(letter, UnixPath(folder)))
        throw std::runtime_error("the mount manager refused a drive");
    if (std::find(letters_.begin(), letters_.end(), letter) == letters_.end()) letters_.push_back(letter);
}

void WineDrives::Remove(wchar_t letter)
{
    WineMountManager().Remove(letter);
    const std::wstring folder = DriveFolder(letter);
    DeleteFileW((folder + L"\\.windows-label").c_str());
    RemoveDirectoryW(folder.c_str());
    letters_.erase(std::remove(letters_.begin(), letters_.end(), letter), letters_.end());
}
