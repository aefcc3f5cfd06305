#pragma once
// The machine's optical drives and the one text by which a drive is shown everywhere.

#include <windows.h>

#include <string>
#include <vector>

// The platform's answers about drives. Replaceable so a caller can see which drives get asked.
class DriveProbe {
public:
    virtual DWORD LogicalDrives() = 0;
    virtual UINT DriveType(const std::wstring& root) = 0;
    virtual std::wstring VolumeName(const std::wstring& root) = 0;

protected:
    ~DriveProbe() = default;
};

// GetLogicalDrives, GetDriveTypeA and GetVolumeInformationA.
class PlatformDriveProbe final : public DriveProbe {
public:
    DWORD LogicalDrives() override;
    UINT DriveType(const std::wstring& root) override;
    std::wstring VolumeName(const std::wstring& root) override;
};

// The volume label of a root path such as "D:\"; empty when there is no disc or the query fails.
std::wstring GetVolumeName(const std::wstring& root);

// "D:\  [LABEL]", or "D:\  " for an empty label.
std::wstring DriveEntry(wchar_t letter, const std::wstring& label);

// The entries of every CD-ROM drive, in letter order. Only letters present in the logical-drive
// mask are asked anything.
std::vector<std::wstring> OpticalDriveList(DriveProbe& probe);
std::vector<std::wstring> OpticalDriveList();
