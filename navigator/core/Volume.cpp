#include "core/Volume.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <system_error>

namespace nav {

namespace {

namespace fs = std::filesystem;

// Far above any real IFO (time maps of a long title take a few hundred KiB).
constexpr uintmax_t MaxIfoBytes = uintmax_t{16} << 20;

std::string upper(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(),
                   [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; });
    return s;
}

bool isDirectory(const fs::path& p)
{
    std::error_code ec;
    return fs::is_directory(p, ec);
}

// The folder that should hold the IFO files for what the user named: the folder itself, or the
// one a file is in, or their VIDEO_TS subfolder when they have one.
fs::path videoTsFolder(const fs::path& given)
{
    const fs::path folder = isDirectory(given) ? given : given.has_parent_path() ? given.parent_path() : fs::path(".");
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
        if (upper(utf8FromPath(it->path().filename())) == "VIDEO_TS" && isDirectory(it->path())) return it->path();
    }
    return folder;
}

bool isDvdFileName(const std::string& name)
{
    return name.rfind("VIDEO_TS.", 0) == 0 || name.rfind("VTS_", 0) == 0;
}

std::string vobName(unsigned titleSet, unsigned part)
{
    if (titleSet == 0) return "VIDEO_TS.VOB";
    char name[16];
    std::snprintf(name, sizeof name, "VTS_%02u_%u.VOB", titleSet % 100, part % 10);
    return name;
}

}  // namespace

fs::path pathFromUtf8(const std::string& text)
{
    return fs::path(std::u8string(text.begin(), text.end()));
}

std::string utf8FromPath(const fs::path& path)
{
    const std::u8string s = path.u8string();
    return std::string(s.begin(), s.end());
}

Result<Volume> Volume::open(const std::string& path)
{
    if (path.empty()) return Result<Volume>::failure("no path given");
    const fs::path given = pathFromUtf8(path);
    std::error_code ec;
    if (!fs::exists(given, ec)) return Result<Volume>::failure("cannot find " + path);

    Volume v;
    if (isDiscImage(given)) {
        auto found = readImageVideoTs(given);
        if (!found) return Result<Volume>::failure(found.error());
        v.location_ = given;
        for (auto& [name, extents] : *found) {
            if (!isDvdFileName(name)) continue;
            uint64_t size = 0;
            for (const Extent& e : extents) size += e.bytes;
            v.files_[name] = {given, std::move(extents), size};
        }
    } else {
        v.location_ = videoTsFolder(given);
        for (fs::directory_iterator it(v.location_, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string actual = utf8FromPath(it->path().filename());
            const std::string name = upper(actual);
            std::error_code fileEc;
            if (!isDvdFileName(name) || !it->is_regular_file(fileEc)) continue;
            // On a case-sensitive file system two spellings may exist; the canonical one wins.
            if (v.files_.count(name) && actual != name) continue;
            const uint64_t size = it->file_size(fileEc);
            v.files_[name] = {it->path(), {{0, size}}, size};
        }
        if (ec) return Result<Volume>::failure("cannot list " + utf8FromPath(v.location_) + ": " + ec.message());
    }
    if (!v.hasFile("VIDEO_TS.IFO") && !v.hasFile("VIDEO_TS.BUP"))
        return Result<Volume>::failure("no VIDEO_TS.IFO in " + utf8FromPath(v.location_));
    return v;
}

bool Volume::hasFile(const std::string& name) const { return files_.count(name) != 0; }

std::vector<Volume::FileInfo> Volume::files() const
{
    std::vector<FileInfo> listing;
    for (const auto& [name, file] : files_) listing.push_back({name, file.size});
    return listing;
}

bool Volume::read(const File& file, uint64_t offset, std::span<uint8_t> out) const
{
    if (offset > file.size || out.size() > file.size - offset) return false;
    std::lock_guard lock(open_->mutex);
    std::ifstream& in = open_->stream;
    if (open_->path != file.path || !in.is_open()) {
        in = std::ifstream(file.path, std::ios::binary);
        open_->path = file.path;
    }
    in.clear();  // after a failed read
    size_t done = 0;
    for (const Extent& e : file.extents) {
        if (done == out.size()) break;
        if (offset >= e.bytes) {
            offset -= e.bytes;
            continue;
        }
        const size_t bytes = static_cast<size_t>(std::min<uint64_t>(e.bytes - offset, out.size() - done));
        in.seekg(static_cast<std::streamoff>(e.offset + offset));
        if (!in.read(reinterpret_cast<char*>(out.data() + done), static_cast<std::streamsize>(bytes))) return false;
        done += bytes;
        offset = 0;
    }
    return done == out.size();
}

Result<std::vector<uint8_t>> Volume::readFile(const std::string& name) const
{
    using R = Result<std::vector<uint8_t>>;
    const auto it = files_.find(name);
    if (it == files_.end()) return R::failure(name + " is missing");
    if (it->second.size > MaxIfoBytes) return R::failure(name + " is too large");
    std::vector<uint8_t> bytes(static_cast<size_t>(it->second.size));
    if (!read(it->second, 0, bytes)) return R::failure(name + " cannot be read");
    return bytes;
}

std::vector<const Volume::File*> Volume::vobFiles(unsigned titleSet, VobSet set) const
{
    std::vector<const File*> parts;
    const unsigned first = set == VobSet::Menu ? 0 : 1, last = set == VobSet::Menu ? 0 : 9;
    for (unsigned part = first; part <= last; ++part) {
        const auto it = files_.find(vobName(titleSet, part));
        if (it == files_.end()) break;
        parts.push_back(&it->second);
    }
    return parts;
}

uint32_t Volume::sectorCount(unsigned titleSet, VobSet set) const
{
    uintmax_t sectors = 0;
    for (const File* f : vobFiles(titleSet, set)) sectors += f->size / SectorBytes;
    return static_cast<uint32_t>(std::min<uintmax_t>(sectors, UINT32_MAX));
}

bool Volume::readSectors(unsigned titleSet, VobSet set, uint32_t firstSector, std::span<uint8_t> out) const
{
    if (out.size() % SectorBytes != 0) return false;
    uintmax_t skip = firstSector;
    size_t done = 0;
    for (const File* f : vobFiles(titleSet, set)) {
        if (done == out.size()) break;
        const uintmax_t sectors = f->size / SectorBytes;
        if (skip >= sectors) {
            skip -= sectors;
            continue;
        }
        const size_t bytes = static_cast<size_t>(std::min<uintmax_t>((sectors - skip) * SectorBytes, out.size() - done));
        if (!read(*f, skip * SectorBytes, out.subspan(done, bytes))) return false;
        done += bytes;
        skip = 0;
    }
    return done == out.size();
}

}  // namespace nav
