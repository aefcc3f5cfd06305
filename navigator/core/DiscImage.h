#pragma once
// The VIDEO_TS folder of a disc image, found through its UDF file system or, failing that,
// the ISO 9660 one a bridge image also carries.
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "core/Result.h"

namespace nav {

// A run of bytes of the image that holds part of a file.
struct Extent {
    uint64_t offset = 0;
    uint64_t bytes = 0;
};

// The files of VIDEO_TS by upper-case name, each as its extents in file order.
using ImageFiles = std::map<std::string, std::vector<Extent>>;

// Whether a file is to be read as a disc image rather than as a file of a VIDEO_TS folder:
// it is named *.iso or carries the volume descriptors of either file system.
bool isDiscImage(const std::filesystem::path& path);

// Fails when the image holds neither file system, or no VIDEO_TS folder on them, or names
// file data past its own end.
Result<ImageFiles> readImageVideoTs(const std::filesystem::path& image);

}  // namespace nav
