#include "support/TestDiscs.h"

#include <atomic>
#include <cstdlib>
#include <random>
#include <string>

namespace navtest {

std::filesystem::path testDiscs()
{
    const char* env = std::getenv("LUMADISC_DISCS");
    return env && *env ? std::filesystem::path(env) : std::filesystem::path(LUMADISC_DISCS);
}

TempFolder::TempFolder()
{
    static std::atomic<unsigned> counter{0};
    const std::string name = "navcore-" + std::to_string(std::random_device{}()) + "-" + std::to_string(++counter);
    path_ = std::filesystem::temp_directory_path() / name;
    std::filesystem::create_directories(path_);
}

TempFolder::~TempFolder()
{
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

}  // namespace navtest
