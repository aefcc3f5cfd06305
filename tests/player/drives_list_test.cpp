#include <gtest/gtest.h>

#include <map>

#include "drives/Drives.h"
#include "support/WineDrives.h"

namespace {

// A machine described by a table; remembers every root it was asked about.
class TableProbe final : public DriveProbe {
public:
    DWORD mask = 0;
    std::map<std::wstring, UINT> types;
    std::map<std::wstring, std::wstring> labels;
    std::vector<std::wstring> typeQueries;
    std::vector<std::wstring> labelQueries;

    DWORD LogicalDrives() override { return mask; }
    UINT DriveType(const std::wstring& root) override
    {
        typeQueries.push_back(root);
        const auto found = types.find(root);
        return found == types.end() ? DRIVE_NO_ROOT_DIR : found->second;
    }
    std::wstring VolumeName(const std::wstring& root) override
    {
        labelQueries.push_back(root);
        return labels[root];
    }
};

constexpr DWORD Bit(wchar_t letter) { return 1u << (letter - L'A'); }

}  // namespace

TEST(DriveEntry, ShowsTheLabelInBracketsOnlyWhenThereIsOne)
{
    EXPECT_EQ(DriveEntry(L'D', L"MOVIE_DISC"), L"D:\\  [MOVIE_DISC]");
    EXPECT_EQ(DriveEntry(L'E', L""), L"E:\\  ");
}

TEST(OpticalDriveList, ListsOnlyCdRomDrivesInLetterOrder)
{
    TableProbe probe;
    probe.mask = Bit(L'C') | Bit(L'D') | Bit(L'F') | Bit(L'Z');
    probe.types = {{L"C:\\", DRIVE_FIXED}, {L"D:\\", DRIVE_CDROM}, {L"F:\\", DRIVE_CDROM}, {L"Z:\\", DRIVE_REMOTE}};
    probe.labels = {{L"D:\\", L"MOVIE_DISC"}};

    EXPECT_EQ(OpticalDriveList(probe), (std::vector<std::wstring>{L"D:\\  [MOVIE_DISC]", L"F:\\  "}));
    // Labels are read for optical drives only: other drives may be slow network shares.
    EXPECT_EQ(probe.labelQueries, (std::vector<std::wstring>{L"D:\\", L"F:\\"}));
}

TEST(OpticalDriveList, NeverAsksALetterWhoseMaskBitIsClear)
{
    TableProbe probe;
    probe.mask = Bit(L'A') | Bit(L'E');
    probe.types = {{L"D:\\", DRIVE_CDROM}, {L"E:\\", DRIVE_CDROM}};

    EXPECT_EQ(OpticalDriveList(probe), std::vector<std::wstring>{L"E:\\  "});
    EXPECT_EQ(probe.typeQueries, (std::vector<std::wstring>{L"A:\\", L"E:\\"}));
}

TEST(OpticalDriveList, CoversTheWholeAlphabet)
{
    TableProbe probe;
    probe.mask = Bit(L'A') | Bit(L'Z');
    probe.types = {{L"A:\\", DRIVE_CDROM}, {L"Z:\\", DRIVE_CDROM}};

    EXPECT_EQ(OpticalDriveList(probe), (std::vector<std::wstring>{L"A:\\  ", L"Z:\\  "}));
}

class WineOpticalDrives : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!WineDrives::Available()) GTEST_SKIP() << "needs Wine's mount manager";
    }
    WineDrives drives;
};

TEST_F(WineOpticalDrives, ListsPresentedDrivesWithTheirLabels)
{
    drives.PresentCdRom(L'D', "MOVIE_DISC");
    drives.PresentCdRom(L'F');

    EXPECT_EQ(OpticalDriveList(), (std::vector<std::wstring>{L"D:\\  [MOVIE_DISC]", L"F:\\  "}));
    EXPECT_EQ(GetVolumeName(L"D:\\"), L"MOVIE_DISC");
}

TEST_F(WineOpticalDrives, MachineWithoutOpticalDrivesGivesAnEmptyList)
{
    EXPECT_TRUE(OpticalDriveList().empty());
}

TEST_F(WineOpticalDrives, RemovedDriveLeavesTheList)
{
    drives.PresentCdRom(L'E', "OLD");
    drives.Remove(L'E');

    EXPECT_TRUE(OpticalDriveList().empty());
    EXPECT_EQ(GetVolumeName(L"Q:\\"), L"");
}
