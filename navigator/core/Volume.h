#pragma once
// A DVD-Video volume: the VIDEO_TS folder and its files, found without regard to the case of
// their names, in a folder (or a drive's root) or inside a disc image.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "core/DiscImage.h"
#include "core/Result.h"

namespace nav {

inline constexpr size_t SectorBytes = 2048;

// The video object sets a domain plays from: a title set's menus (VTS_nn_0.VOB, or
// VIDEO_TS.VOB for title set 0, the video manager) or its titles (VTS_nn_1..9.VOB as one).
enum class VobSet { Menu, Title };

class Volume {
public:
    // path: a folder holding VIDEO_TS, the VIDEO_TS folder, any file inside it, or a disc image
    // (UTF-8).
    static Result<Volume> open(const std::string& path);

    // The VIDEO_TS folder, or the image file.
    const std::filesystem::path& location() const { return location_; }
    bool hasFile(const std::string& name) const;
    struct FileInfo {
        std::string name;
        uint64_t size = 0;
    };
    std::vector<FileInfo> files() const;
    // The whole of a file of the folder, named in upper case (e.g. "VTS_01_0.IFO"). Files larger
    // than any IFO can be are refused.
    Result<std::vector<uint8_t>> readFile(const std::string& name) const;

    // Sectors in a VOB set (0 when absent), and a read of whole sectors from it. The read fails
    // when it reaches past the end or the files cannot be read.
    uint32_t sectorCount(unsigned titleSet, VobSet set) const;
    bool readSectors(unsigned titleSet, VobSet set, uint32_t firstSector, std::span<uint8_t> out) const;

private:
    struct File {
        std::filesystem::path path;
        std::vector<Extent> extents;  // where its bytes lie in `path`, in order
        uint64_t size = 0;
    };
    std::vector<const File*> vobFiles(unsigned titleSet, VobSet set) const;
    bool read(const File& file, uint64_t offset, std::span<uint8_t> out) const;

    // The file read last stays open: on a drive every opening costs a look at the file, and
    // with it a seek away from where playback reads.
    struct OpenFile {
        std::mutex mutex;
        std::filesystem::path path;
        std::ifstream stream;
    };

    std::filesystem::path location_;
    std::map<std::string, File> files_; // by upper-case name
    std::shared_ptr<OpenFile> open_ = std::make_shared<OpenFile>();
};

// Converts between UTF-8 text and paths the same way on every platform.
std::filesystem::path pathFromUtf8(const std::string& text);
std::string utf8FromPath(const std::filesystem::path& path);

}  // namespace nav
