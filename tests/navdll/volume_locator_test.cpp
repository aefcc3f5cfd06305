// Finding the DVD volume a path means, or the one in an optical drive.

#include "Harness.h"
#include "VolumeLocator.h"

#include <gtest/gtest.h>

#include <map>

using namespace lumanav;

namespace {

class FakeDrives final : public Drives {
public:
    std::map<wchar_t, UINT> types;
    std::map<std::wstring, bool> files;

    DWORD present() const override
    {
        DWORD mask = 0;
        for (const auto& [letter, type] : types) mask |= 1u << (letter - L'A');
        return mask;
    }
    UINT type(const std::wstring& root) const override
    {
        const auto found = types.find(root[0]);
        return found == types.end() ? DRIVE_NO_ROOT_DIR : found->second;
    }
    bool fileExists(const std::wstring& path) const override { return files.count(path) != 0; }
};

}  // namespace

TEST(VolumeLocator, AnyPathIntoAVolumeMeansItsVideoTsFolder)
{
    const std::wstring sample = navtest::disc(L"sample");
    ASSERT_FALSE(sample.empty());
    const std::wstring folder = sample + L"\\VIDEO_TS";
    EXPECT_EQ(folder, volumeLocation(sample));
    EXPECT_EQ(folder, volumeLocation(sample + L"\\"));
    EXPECT_EQ(folder, volumeLocation(folder));
    EXPECT_EQ(folder, volumeLocation(folder + L"\\VIDEO_TS.IFO"));
    EXPECT_EQ(folder, volumeLocation(folder + L"\\VTS_01_1.VOB"));
    EXPECT_EQ(L"", volumeLocation(sample + L"\\missing"));
    EXPECT_EQ(L"", volumeLocation(folder + L"\\MISSING.IFO"));
}

TEST(VolumeLocator, TheFirstOpticalDriveHoldingAVolumeIsChosen)
{
    FakeDrives drives;
    EXPECT_EQ(L"", findDiscVolume(drives));

    drives.types = {{L'C', DRIVE_FIXED}, {L'E', DRIVE_CDROM}, {L'F', DRIVE_CDROM}, {L'G', DRIVE_CDROM}};
    drives.files[L"C:\\VIDEO_TS\\VIDEO_TS.IFO"] = true;  // not optical
    EXPECT_EQ(L"", findDiscVolume(drives)) << "empty optical drives";

    drives.files[L"G:\\VIDEO_TS\\VIDEO_TS.IFO"] = true;
    drives.files[L"F:\\VIDEO_TS\\VIDEO_TS.IFO"] = true;
    EXPECT_EQ(L"F:\\VIDEO_TS", findDiscVolume(drives));
}

TEST(VolumeLocator, DiscIdsTellDiscsApart)
{
    const std::wstring sample = navtest::disc(L"sample") + L"\\VIDEO_TS";
    const std::wstring chapters = navtest::disc(L"chapters300") + L"\\VIDEO_TS";
    const auto first = discId(sample);
    ASSERT_TRUE(first);
    EXPECT_EQ(first, discId(sample));
    ASSERT_TRUE(discId(chapters));
    EXPECT_NE(*first, *discId(chapters));
    EXPECT_FALSE(discId(navtest::disc(L"sample") + L"\\missing"));
}

TEST(VolumeLocator, ADiscImageStandsForItself)
{
    const std::wstring sample = navtest::disc(L"images\\sample.iso");
    EXPECT_EQ(sample, volumeLocation(sample));
    const auto id = discId(sample);
    ASSERT_TRUE(id);
    EXPECT_EQ(id, discId(sample));
    EXPECT_NE(id, discId(navtest::disc(L"images\\chapters300.iso")));
    EXPECT_FALSE(discId(navtest::disc(L"images\\random.iso")));
}

TEST(VolumeLocator, WideTextBecomesUtf8)
{
    EXPECT_EQ("", toUtf8(L""));
    EXPECT_EQ("Z:\\discs\\sample", toUtf8(L"Z:\\discs\\sample"));
    EXPECT_EQ("caf\xC3\xA9", toUtf8(L"caf\u00E9"));
}
