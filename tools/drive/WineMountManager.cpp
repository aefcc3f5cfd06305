#include "WineMountManager.h"

#include <dbt.h>
#include <winioctl.h>

#include <cstring>
#include <cwctype>
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

// Wine delivers a broadcast that carries a structure only when it is sent synchronously, which
// the query flag asks for; top-level windows of every desktop get it, as on Windows.
void BroadcastVolumeChange(WPARAM event, wchar_t letter, DWORD flags)
{
    DEV_BROADCAST_VOLUME volume = {};
    volume.dbcv_size = sizeof volume;
    volume.dbcv_devicetype = DBT_DEVTYP_VOLUME;
    volume.dbcv_unitmask = 1u << (towlower(letter) - L'a');
    volume.dbcv_flags = static_cast<WORD>(flags);
    DWORD recipients = BSM_ALLDESKTOPS | BSM_APPLICATIONS;
    BroadcastSystemMessageW(BSF_QUERY | BSF_FORCEIFHUNG, &recipients, WM_DEVICECHANGE, event,
                            reinterpret_cast<LPARAM>(&volume));
}

bool IsCdRom(wchar_t letter)
{
    const wchar_t root[] = {letter, L':', L'\\', L'\0'};
    return GetDriveTypeW(root) == DRIVE_CDROM;
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

bool WineMountManager::PresentCdRom(wchar_t letter, const std::string& mountPoint) const
{
    // Into a CD-ROM drive that is there, this is a new disc: the old one leaves first.
    const bool discChange = IsCdRom(letter);
    if (!Define(letter, DRIVE_CDROM, mountPoint)) return false;
    if (discChange) BroadcastVolumeChange(DBT_DEVICEREMOVECOMPLETE, letter, DBTF_MEDIA);
    BroadcastVolumeChange(DBT_DEVICEARRIVAL, letter, discChange ? DBTF_MEDIA : 0);
    return true;
}

bool WineMountManager::Remove(wchar_t letter) const
{
    const bool present = GetLogicalDrives() & (1u << (towlower(letter) - L'a'));
    // DRIVE_UNKNOWN would leave the letter behind as a drive of unknown type.
    if (!Define(letter, DRIVE_NO_ROOT_DIR, {})) return false;
    if (present) BroadcastVolumeChange(DBT_DEVICEREMOVECOMPLETE, letter, 0);
    return true;
}

bool WineMountManager::Define(wchar_t letter, UINT type, const std::string& mountPoint) const
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
                           &returned, nullptr);
}
