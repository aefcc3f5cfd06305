// Disc images made by genisoimage from the test discs (tests/discs/make-foreign-discs.sh),
// read through their UDF or ISO 9660 file systems.
#include "core/Disc.h"
#include "core/Navigator.h"
#include "core/Volume.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "support/DiscWriter.h"
#include "support/TestDiscs.h"

namespace {

using namespace nav;
using testing::HasSubstr;
namespace fs = std::filesystem;

fs::path image(const std::string& name) { return navtest::testDiscs() / "images" / name; }

Volume openVolume(const fs::path& path)
{
    auto volume = Volume::open(utf8FromPath(path));
    if (!volume)
        throw std::runtime_error(volume.error() + " (make the images with tests/discs/make-foreign-discs.sh)");
    return std::move(*volume);
}

// Same files, same bytes in every IFO and every sector of every VOB set.
void expectSameVolume(const Volume& folder, const Volume& image)
{
    const auto files = folder.files();
    ASSERT_EQ(files.size(), image.files().size());
    for (size_t i = 0; i < files.size(); ++i) {
        EXPECT_EQ(files[i].name, image.files()[i].name);
        EXPECT_EQ(files[i].size, image.files()[i].size) << files[i].name;
        if (files[i].name.ends_with(".VOB")) continue;
        auto ours = image.readFile(files[i].name);
        ASSERT_TRUE(ours) << ours.error();
        EXPECT_TRUE(*ours == *folder.readFile(files[i].name)) << files[i].name;
    }
    std::vector<uint8_t> a(256 * SectorBytes), b(a.size());
    for (unsigned titleSet = 0; titleSet < 100; ++titleSet) {
        for (VobSet set : {VobSet::Menu, VobSet::Title}) {
            const uint32_t count = folder.sectorCount(titleSet, set);
            ASSERT_EQ(count, image.sectorCount(titleSet, set)) << titleSet;
            for (uint32_t at = 0; at < count; at += 256) {
                const std::span<uint8_t> sa = std::span(a).first(std::min<uint32_t>(256, count - at) * SectorBytes);
                const std::span<uint8_t> sb = std::span(b).first(sa.size());
                ASSERT_TRUE(folder.readSectors(titleSet, set, at, sa));
                ASSERT_TRUE(image.readSectors(titleSet, set, at, sb)) << titleSet << " sector " << at;
                ASSERT_TRUE(std::equal(sa.begin(), sa.end(), sb.begin())) << titleSet << " sector " << at;
            }
        }
    }
}

void overwrite(const fs::path& file, uint64_t offset, size_t bytes)
{
    std::fstream f(file, std::ios::binary | std::ios::in | std::ios::out);
    f.seekp(static_cast<std::streamoff>(offset));
    const std::vector<char> zeros(bytes, 0);
    f.write(zeros.data(), static_cast<std::streamsize>(zeros.size()));
}

TEST(Images, ReadAsTheFoldersTheyWereMadeFrom)
{
    for (const char* name : {"sample", "chapters300", "angles", "sizes", "codings", "slideshow", "commands"}) {
        SCOPED_TRACE(name);
        const Volume folder = openVolume(navtest::testDiscs() / name);
        const Volume iso = openVolume(image(std::string(name) + ".iso"));
        EXPECT_EQ(iso.location(), image(std::string(name) + ".iso"));
        expectSameVolume(folder, iso);
    }
    const OpenResult opened = Navigator::open(utf8FromPath(image("sample.iso")));
    ASSERT_TRUE(opened.navigator) << opened.error;
    EXPECT_EQ(opened.navigator->numberOfTitles(), 2);
}

// A bridge image carries both file systems; either alone finds the same files. Without the
// .iso name the volume descriptors tell an image from a file of a VIDEO_TS folder.
TEST(Images, EitherFileSystemAloneSuffices)
{
    const navtest::TempFolder temp;
    const Volume folder = openVolume(navtest::testDiscs() / "chapters300");
    const fs::path udfOnly = temp.path() / "udf-only.img", isoOnly = temp.path() / "iso-only.iso";
    fs::copy_file(image("chapters300.iso"), udfOnly);
    fs::copy_file(image("chapters300.iso"), isoOnly);
    overwrite(udfOnly, 16 * SectorBytes + 1, 5);  // "CD001" of the primary descriptor
    overwrite(isoOnly, 256 * SectorBytes, SectorBytes);  // the UDF anchor
    for (const fs::path& p : {udfOnly, isoOnly}) {
        SCOPED_TRACE(p.filename().string());
        expectSameVolume(folder, openVolume(p));
    }
}

TEST(Images, WithoutADvdVolumeAreRefusedWithAReason)
{
    const navtest::TempFolder temp;
    navtest::writeFile(temp.path() / "empty.iso", {});
    EXPECT_THAT(Volume::open(utf8FromPath(image("truncated.iso"))).error(), HasSubstr("is cut short"));
    EXPECT_THAT(Volume::open(utf8FromPath(image("datacd.iso"))).error(), HasSubstr("no VIDEO_TS.IFO in image datacd.iso"));
    EXPECT_THAT(Volume::open(utf8FromPath(image("random.iso"))).error(), HasSubstr("random.iso is not a disc image"));
    EXPECT_THAT(Volume::open(utf8FromPath(temp.path() / "empty.iso")).error(), HasSubstr("not a disc image"));
    EXPECT_THAT(Navigator::open(utf8FromPath(image("truncated.iso"))).error, HasSubstr("is cut short"));
}

}  // namespace
