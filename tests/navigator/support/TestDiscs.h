#pragma once
#include <filesystem>

namespace navtest {

// The folder of discs authored by tests/discs/make-discs.sh ($LUMADISC_DISCS, else the build
// tree's copy).
std::filesystem::path testDiscs();

// A fresh empty folder under the system's temporary folder, removed when this goes.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

}  // namespace navtest
