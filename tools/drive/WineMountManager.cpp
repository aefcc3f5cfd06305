#include "WineMountManager.h"

#include <dbt.h>
#include <winioctl.h>

#include <cstring>
#include <cwctype>
#include <utility>
#include <vector>

namespace {

// Wine's unix-drive requests of the mount manager; not part of any Windows SDK.
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
    USHORT mountPointOffset; // a zero-terminated unix path, in bytes from the start
    USHORT deviceOffset;
    USHORT labelOffset;
};

BOOL CALLBACK TellWindow(HWND window, LPARAM change)
{
    const auto& [code, volume] = *reinterpret_cast<std::pair<WPARAM, DEV_BROADCAST_VOLUME>*>(change);
    SendMessageTimeoutW(window, WM_DEVICECHANGE, code, reinterpret_cast<LPARAM>(&volume), SMTO_ABORTIFHUNG, 5000,
                        nullptr);
    return TRUE;
}

// The mount manager runs among Wine's services, whose broadcasts stay on their own desktop:
// the programs of the user's desktop are told here, as the platform tells them of a disc that
// comes or goes.
void BroadcastVolumeChange(wchar_t letter, bool arrived)
{
    const WPARAM code = arrived ? DBT_DEVICEARRIVAL : DBT_DEVICEREMOVECOMPLETE;
    std::pair<WPARAM, DEV_BROADCAST_VOLUME> change{code, {}};
    change.second.dbcv_size = sizeof change.second;
    change.second.dbcv_devicetype = DBT_DEVTYP_VOLUME;
    change.second.dbcv_unitmask = 1u << (towlower(letter) - L'a');
    change.second.dbcv_flags = DBTF_MEDIA;
    EnumWindows(TellWindow, reinterpret_cast<LPARAM>(&change));
}

} // namespace

WineMountManager::WineMountManager()
    : handle_(CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr))
{
}

WineMountManager::~WineMountManager()
{
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
}

bool WineMountManager::Available() const
{
    if (handle_ == INVALID_HANDLE_VALUE) return false;
    UnixDrive request = {};
    request.size = sizeof request;
    request.letter = L'c';
    char answer[1024];
    DWORD returned = 0;
    return DeviceIoControl(handle_, QueryUnixDrive, &request, sizeof request, answer, sizeof answer, &returned,
                           nullptr) ||
           GetLastError() == ERROR_MORE_DATA;
}

bool WineMountManager::Set(wchar_t letter, UINT type, const std::string& mountPoint) const
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
    if (!DeviceIoControl(handle_, SetUnixDrive, buffer.data(), static_cast<DWORD>(buffer.size()), nullptr, 0,
                         &returned, nullptr))
        return false;
    BroadcastVolumeChange(letter, !mountPoint.empty());
    return true;
}
