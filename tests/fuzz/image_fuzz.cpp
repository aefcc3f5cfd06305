// libFuzzer target over opening disc images: UDF and ISO 9660 reading, then the disc's IFOs
// and VOB sectors through them. Images are mostly empty, so an input lists only the sectors
// that hold something, each as a little-endian 16-bit sector number, a 16-bit length and that
// many bytes (at most one sector); the image ends after the last sector named.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

#include "core/Disc.h"

namespace {

namespace fs = std::filesystem;

// A file of this process's own in memory-backed storage where there is one, gone at exit.
class ImageFile {
public:
    ImageFile()
    {
        std::error_code ec;
        const fs::path base = fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
        path_ = base / ("navimage-fuzz-" + std::to_string(getpid()) + ".iso");
    }
    ~ImageFile()
    {
        std::error_code ec;
        fs::remove(path_, ec);
    }
    const fs::path& path() const { return path_; }

    void write(const uint8_t* data, size_t size) const
    {
        const int fd = open(path_.c_str(), O_RDWR | O_CREAT | O_TRUNC, 0600);
        if (fd < 0) std::abort();
        off_t end = 0;
        for (size_t at = 0; at + 4 <= size;) {
            const off_t sector = data[at] | data[at + 1] << 8;
            const size_t length = std::min<size_t>({size_t(data[at + 2] | data[at + 3] << 8), 2048, size - at - 4});
            if (pwrite(fd, data + at + 4, length, sector * 2048) != static_cast<ssize_t>(length)) std::abort();
            end = std::max(end, (sector + 1) * 2048);
            at += 4 + length;
        }
        if (ftruncate(fd, end) != 0) std::abort();
        close(fd);
    }

private:
    fs::path path_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const ImageFile image;
    image.write(data, size);
    auto opened = nav::openDisc(image.path().string());
    if (!opened) {
        if (opened.error().empty()) std::abort();  // every failure must say why
        return 0;
    }
    std::vector<uint8_t> sector(2048);
    for (unsigned titleSet = 0; titleSet <= opened->disc.titleSets.size(); ++titleSet)
        for (nav::VobSet set : {nav::VobSet::Menu, nav::VobSet::Title}) {
            const uint32_t count = opened->volume.sectorCount(titleSet, set);
            if (count == 0) continue;
            if (!opened->volume.readSectors(titleSet, set, 0, sector)) std::abort();
            if (!opened->volume.readSectors(titleSet, set, count - 1, sector)) std::abort();
        }
    return 0;
}
