// libFuzzer target over volume opening and IFO decoding. An input is the bytes of
// VIDEO_TS.IFO followed by those of up to three title set IFOs, each introduced by "#VTS".
// The whole is laid out as a VIDEO_TS folder and opened, then each part the opening did not
// decode is decoded on its own.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include <unistd.h>

#include "core/Disc.h"

namespace {

namespace fs = std::filesystem;

constexpr std::string_view Separator = "#VTS";
constexpr size_t MaxTitleSets = 3;

// A folder of this process's own in memory-backed storage where there is one, gone at exit.
class Folder {
public:
    Folder()
    {
        std::error_code ec;
        const fs::path base = fs::is_directory("/dev/shm", ec) ? fs::path("/dev/shm") : fs::temp_directory_path();
        root_ = base / ("navcore-fuzz-" + std::to_string(getpid()));
        fs::create_directories(root_ / "VIDEO_TS");
    }
    ~Folder()
    {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    const fs::path& root() const { return root_; }

private:
    fs::path root_;
};

void write(const fs::path& path, std::string_view bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::span<const uint8_t> asBytes(std::string_view s) { return {reinterpret_cast<const uint8_t*>(s.data()), s.size()}; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const Folder folder;
    const fs::path& root = folder.root();
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    std::vector<std::string_view> parts;
    size_t at = 0;
    while (parts.size() <= MaxTitleSets) {
        const size_t next = input.find(Separator, at);
        parts.push_back(input.substr(at, next == std::string_view::npos ? std::string_view::npos : next - at));
        if (next == std::string_view::npos) break;
        at = next + Separator.size();
    }

    write(root / "VIDEO_TS" / "VIDEO_TS.IFO", parts[0]);
    for (size_t n = 1; n <= MaxTitleSets; ++n) {
        const fs::path path = root / "VIDEO_TS" / ("VTS_0" + std::to_string(n) + "_0.IFO");
        std::error_code ec;
        if (n < parts.size())
            write(path, parts[n]);
        else
            fs::remove(path, ec);
    }
    auto opened = nav::openDisc(root.string());
    if (!opened && opened.error().empty()) std::abort();  // every failure must say why

    // What the opening decoded needs no second pass: the same bytes take the same path.
    const size_t decoded = opened ? opened->disc.titleSets.size() + 1 : 0;
    for (size_t i = decoded; i < parts.size(); ++i) {
        try {
            if (i == 0)
                nav::parseVideoManager(asBytes(parts[i]));
            else
                nav::parseTitleSet(asBytes(parts[i]), static_cast<uint8_t>(i));
        } catch (const nav::FormatError&) {
        }
    }
    return 0;
}
