#include "drives/Drives.h"

namespace {

// Root paths are plain ASCII; labels come in the ANSI code page.
std::string Narrow(const std::wstring& ascii)
{
    std::string result;
    for (wchar_t c : ascii) result += static_cast<char>(c);
    return result;
}

std::wstring FromAnsi(const char* text)
{
    const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (length <= 1) return {};
    std::wstring result(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, result.data(), length);
    result.resize(static_cast<size_t>(length) - 1);
    return result;
}

std::wstring RootPath(wchar_t letter) { return std::wstring(1, letter) + L":\\"; }

}  // namespace

DWORD PlatformDriveProbe::LogicalDrives() { return GetLogicalDrives(); }

UINT PlatformDriveProbe::DriveType(const std::wstring& root) { return GetDriveTypeA(Narrow(root).c_str()); }

std::wstring PlatformDriveProbe::VolumeName(const std::wstring& root)
{
    char name[MAX_PATH + 1] = {};
    if (!GetVolumeInformationA(Narrow(root).c_str(), name, sizeof name, nullptr, nullptr, nullptr, nullptr, 0))
        return {};
    return FromAnsi(name);
}

std::wstring GetVolumeName(const std::wstring& root)
{
    PlatformDriveProbe probe;
    return probe.VolumeName(root);
}

std::wstring DriveEntry(wchar_t letter, const std::wstring& label)
{
    std::wstring entry = RootPath(letter) + L"  ";
    if (!label.empty()) entry += L"[" + label + L"]";
    return entry;
}

std::vector<std::wstring> OpticalDriveList(DriveProbe& probe)
{
    std::vector<std::wstring> list;
    const DWORD mask = probe.LogicalDrives();
    for (int index = 0; index < 26; ++index) {
        if (!(mask & (1u << index))) continue;
        const wchar_t letter = static_cast<wchar_t>(L'A' + index);
        const std::wstring root = RootPath(letter);
        if (probe.DriveType(root) == DRIVE_CDROM) list.push_back(DriveEntry(letter, probe.VolumeName(root)));
    }
    return list;
}

std::vector<std::wstring> OpticalDriveList()
{
    PlatformDriveProbe probe;
    return OpticalDriveList(probe);
}
