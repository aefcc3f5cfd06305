#include "support/WineDrives.h"

#include <winioctl.h>

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <filesystem>
#include <fstream>
#include <stdexcept>

namespace {

// Wine's unix-drive request of the mount manager; not part of any Windows SDK.
constexpr DWORD MountManagerType = 'm';
constexpr DWORD SetUnixDrive = CTL_CODE(MountManagerType, 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);
constexpr DWORD QueryUnixDrive = CTL_CODE(MountManagerType, 33, METHOD_BUFFERED, FILE_READ_ACCESS);

struct UnixDrive {
    ULONG size;
    ULONG type;
    ULONG fsType;
    DWORD serial;
    ULONGLONG unixDevice;
    WCHAR letter;
    USHORT mountPointOffset;  // a zero-terminated unix path, in bytes from the start
    USHORT deviceOffset;
    USHORT labelOffset;
};

class MountManager {
public:
    MountManager()
        : handle_(CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr))
    {
    }
    ~MountManager()
    {
        if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    }
    MountManager(const MountManager&) = delete;
    MountManager& operator=(const MountManager&) = delete;

    bool Open() const { return handle_ != INVALID_HANDLE_VALUE; }

    bool Query(wchar_t letter) const
    {
        UnixDrive request = {};
        request.size = sizeof request;
        request.letter = static_cast<WCHAR>(towlower(letter));
        char answer[1024];
        DWORD returned = 0;
        return DeviceIoControl(handle_, QueryUnixDrive, &request, sizeof request, answer, sizeof answer, &returned,
                               nullptr) ||
               GetLastError() == ERROR_MORE_DATA;
    }

    // An empty mount point takes the drive away.
    bool Set(wchar_t letter, UINT type, const std::string& mountPoint) const
    {
        std::vector<char> buffer(sizeof(UnixDrive) + mountPoint.size() + 1, '\0');
        UnixDrive request = {};
        request.size = static_cast<ULONG>(buffer.size());
        request.type = type;
        request.letter = static_cast<WCHAR>(towlower(letter));
        if (!mountPoint.empty()) {
            request.mountPointOffset = sizeof(UnixDrive);
            std::memcpy(buffer.data() + sizeof(UnixDrive), mountPoint.c_str(), mountPoint.size() + 1);
        }
        std::memcpy(buffer.data(), &request, sizeof request);
        DWORD returned = 0;
        return DeviceIoControl(handle_, SetUnixDrive, buffer.data(), static_cast<DWORD>(buffer.size()), nullptr, 0,
                               &returned, nullptr) != FALSE;
    }

private:
    HANDLE handle_;
};

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
    MountManager manager;
    return manager.Open() && manager.Query(L'c');
}

void WineDrives::PresentCdRom(wchar_t letter, const std::string& label)
{
    const std::wstring folder = DriveFolder(letter);
    CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring labelFile = folder + L"\\.windows-label";
    DeleteFileW(labelFile.c_str());
    if (!label.empty()) std::ofstream(std::filesystem::path(labelFile)) << label << '\n';

    MountManager manager;
    if (!manager.Set(letter, DRIVE_CDROM, UnixPath(folder)))
        throw std::runtime_error("the mount manager refused a drive");
    if (std::find(letters_.begin(), letters_.end(), letter) == letters_.end()) letters_.push_back(letter);
}

void WineDrives::Remove(wchar_t letter)
{
    MountManager manager;
    manager.Set(letter, DRIVE_UNKNOWN, {});
    const std::wstring folder = DriveFolder(letter);
    DeleteFileW((folder + L"\\.windows-label").c_str());
    RemoveDirectoryW(folder.c_str());
    letters_.erase(std::remove(letters_.begin(), letters_.end(), letter), letters_.end());
}
