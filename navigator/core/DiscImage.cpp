#include "core/DiscImage.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <optional>
#include <system_error>

namespace nav {

namespace {

namespace fs = std::filesystem;

constexpr uint64_t Sector = 2048;
// Far above any directory a DVD holds; bounds what a damaged size can make us read.
constexpr uint64_t MaxDirectoryBytes = 1 << 20;
constexpr unsigned MaxDescriptors = 64;

using Bytes = std::vector<uint8_t>;

uint16_t le16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t le32(const uint8_t* p) { return le16(p) | uint32_t{le16(p + 2)} << 16; }
uint64_t le64(const uint8_t* p) { return le32(p) | uint64_t{le32(p + 4)} << 32; }

std::string upper(std::string s)
{
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

class Image {
public:
    explicit Image(const fs::path& path) : in_(path, std::ios::binary)
    {
        std::error_code ec;
        size_ = fs::file_size(path, ec);
        if (ec) size_ = 0;
    }
    uint64_t size() const { return size_; }

    std::optional<Bytes> sector(uint64_t n)
    {
        Bytes out;
        if (n >= size_ / Sector || !append(n * Sector, Sector, out)) return std::nullopt;
        return out;
    }

    std::optional<Bytes> readAll(const std::vector<Extent>& extents, uint64_t limit)
    {
        Bytes all;
        for (const Extent& e : extents)
            if (e.bytes > limit - all.size() || !append(e.offset, e.bytes, all)) return std::nullopt;
        return all;
    }

private:
    // Read straight onto the end of `out`: directories can be large and come in several extents.
    bool append(uint64_t offset, uint64_t bytes, Bytes& out)
    {
        if (offset > size_ || bytes > size_ - offset) return false;
        const size_t at = out.size();
        out.resize(at + static_cast<size_t>(bytes));
        in_.clear();
        in_.seekg(static_cast<std::streamoff>(offset));
        return static_cast<bool>(in_.read(reinterpret_cast<char*>(out.data() + at), static_cast<std::streamsize>(bytes)));
    }

    std::ifstream in_;
    uint64_t size_ = 0;
};

struct Node {
    std::string name;  // upper case
    bool directory = false;
    uint32_t location = 0;  // UDF: the file entry's block; ISO 9660: unused
    std::vector<Extent> extents;
};

using Listing = std::vector<Node>;

const Node* find(const Listing& listing, const std::string& name, bool directory)
{
    for (const Node& n : listing)
        if (n.name == name && n.directory == directory) return &n;
    return nullptr;
}

// --- UDF ------------------------------------------------------------------------------------

namespace tag {
constexpr uint16_t Anchor = 2, Partition = 5, LogicalVolume = 6, Terminator = 8;
constexpr uint16_t FileSet = 256, FileIdentifier = 257, FileEntry = 261, ExtendedFileEntry = 266;
}  // namespace tag

// The descriptor's tag identifier when its checksum holds, 0 otherwise.
uint16_t tagId(const uint8_t* d)
{
    uint8_t sum = 0;
    for (int i = 0; i < 16; ++i)
        if (i != 4) sum = static_cast<uint8_t>(sum + d[i]);
    return sum == d[4] ? le16(d) : 0;
}

// A file identifier: 8-bit or 16-bit (big-endian) characters after a compression byte.
std::string udfName(const uint8_t* d, size_t length)
{
    if (length == 0) return {};
    const bool wide = d[0] == 16;
    std::string name;
    for (size_t i = 1; i + (wide ? 1 : 0) < length; i += wide ? 2 : 1) {
        const unsigned c = wide ? (d[i] << 8 | d[i + 1]) : d[i];
        name += c < 0x80 ? static_cast<char>(c) : '?';
    }
    return upper(name);
}

class Udf {
public:
    explicit Udf(Image& image) : image_(image) {}

    // Finds the partition and the root directory through the anchor at sector 256.
    Result<Node> root()
    {
        const auto anchor = image_.sector(256);
        if (!anchor || tagId(anchor->data()) != tag::Anchor) return Result<Node>::failure("no UDF anchor");
        const uint32_t length = le32(&(*anchor)[16]), location = le32(&(*anchor)[20]);
        std::optional<uint32_t> partitionStart, fileSet;
        for (uint32_t i = 0; i < std::min<uint32_t>(length / Sector, MaxDescriptors); ++i) {
            const auto d = image_.sector(uint64_t{location} + i);
            if (!d) break;
            const uint16_t id = tagId(d->data());
            if (id == tag::Partition) partitionStart = le32(&(*d)[188]);
            if (id == tag::LogicalVolume) {
                if (le32(&(*d)[212]) != Sector) return Result<Node>::failure("UDF blocks are not 2048 bytes");
                fileSet = le32(&(*d)[252]);
            }
            if (id == tag::Terminator) break;
        }
        if (!partitionStart || !fileSet) return Result<Node>::failure("no UDF partition");
        partition_ = *partitionStart;
        const auto fsd = image_.sector(partition_ + *fileSet);
        if (!fsd || tagId(fsd->data()) != tag::FileSet) return Result<Node>::failure("no UDF file set");
        return entry(le32(&(*fsd)[404]), {});
    }

    // The file entry at a block of the partition, with its data as extents of the image.
    Result<Node> entry(uint32_t block, std::string name)
    {
        using R = Result<Node>;
        const uint64_t at = partition_ + block;
        const auto d = image_.sector(at);
        const uint16_t id = d ? tagId(d->data()) : 0;
        if (id != tag::FileEntry && id != tag::ExtendedFileEntry) return R::failure("no UDF file entry for " + name);
        const uint8_t* e = d->data();
        Node node{std::move(name), e[27] == 4, block, {}};
        const size_t lengths = id == tag::FileEntry ? 168 : 208;
        const uint32_t attributes = le32(e + lengths), descriptors = le32(e + lengths + 4);
        if (attributes > Sector - lengths - 8 || descriptors > Sector - lengths - 8 - attributes)
            return R::failure("damaged UDF file entry for " + node.name);
        const size_t first = lengths + 8 + attributes;
        uint64_t left = le64(e + 56);
        const unsigned form = le16(e + 34) & 7;
        if (form == 3) {  // the data lies inside the entry itself
            node.extents.push_back({at * Sector + first, std::min<uint64_t>(left, descriptors)});
            return node;
        }
        if (form > 1) return R::failure("unsupported UDF allocation for " + node.name);
        const size_t step = form == 0 ? 8 : 16;
        for (size_t p = first; left > 0 && p + step <= first + descriptors; p += step) {
            const uint32_t length = le32(e + p) & 0x3FFFFFFF, kind = le32(e + p) >> 30;
            if (length == 0) break;
            if (kind != 0) return R::failure("unrecorded UDF extent in " + node.name);
            const uint64_t bytes = std::min<uint64_t>(length, left);
            node.extents.push_back({(partition_ + le32(e + p + 4)) * Sector, bytes});
            left -= bytes;
        }
        if (left > 0) return R::failure("UDF file entry for " + node.name + " does not cover its length");
        return node;
    }

    Result<Listing> list(const Node& directory)
    {
        const auto data = image_.readAll(directory.extents, MaxDirectoryBytes);
        if (!data) return Result<Listing>::failure("cannot read UDF directory " + directory.name);
        const Bytes& b = *data;
        Listing children;
        for (size_t p = 0; p + 38 <= b.size() && tagId(&b[p]) == tag::FileIdentifier;) {
            const unsigned characteristics = b[p + 18], nameLength = b[p + 19], implementationUse = le16(&b[p + 36]);
            const size_t length = 38 + implementationUse + nameLength;
            if (p + length > b.size()) break;
            // Deleted entries and the parent carry no name of their own.
            if (!(characteristics & 0x0C)) {
                auto child = entry(le32(&b[p + 24]), udfName(&b[p + 38 + implementationUse], nameLength));
                if (!child) return Result<Listing>::failure(child.error());
                children.push_back(std::move(*child));
            }
            p += (length + 3) & ~size_t{3};
        }
        return children;
    }

private:
    Image& image_;
    uint64_t partition_ = 0;
};

Result<ImageFiles> videoTsFiles(Listing root, auto list)
{
    const Node* videoTs = find(root, "VIDEO_TS", true);
    if (!videoTs) return Result<ImageFiles>::failure("no VIDEO_TS folder");
    auto files = list(*videoTs);
    if (!files) return Result<ImageFiles>::failure(files.error());
    ImageFiles result;
    for (Node& n : *files)
        if (!n.directory) {
            auto& extents = result[n.name];
            extents.insert(extents.end(), n.extents.begin(), n.extents.end());
        }
    return result;
}

Result<ImageFiles> readUdf(Image& image)
{
    Udf udf(image);
    auto root = udf.root();
    if (!root) return Result<ImageFiles>::failure(root.error());
    auto listing = udf.list(*root);
    if (!listing) return Result<ImageFiles>::failure(listing.error());
    return videoTsFiles(std::move(*listing), [&](const Node& d) { return udf.list(d); });
}

// --- ISO 9660 -------------------------------------------------------------------------------

// Directory records; a file larger than one extent comes as several records of one name.
Result<Listing> isoList(Image& image, const Node& directory)
{
    const auto data = image.readAll(directory.extents, MaxDirectoryBytes);
    if (!data) return Result<Listing>::failure("cannot read ISO 9660 directory " + directory.name);
    const Bytes& b = *data;
    Listing children;
    for (size_t p = 0; p < b.size();) {
        const size_t length = b[p];
        if (length == 0) {  // records do not cross sectors: the rest of this one is padding
            p = (p / Sector + 1) * Sector;
            continue;
        }
        if (length < 34 || p + length > b.size() || 33u + b[p + 32] > length) break;
        std::string name(reinterpret_cast<const char*>(&b[p + 33]), b[p + 32]);
        name = name.substr(0, name.find(';'));
        if (!name.empty() && name.back() == '.') name.pop_back();
        const bool self = b[p + 32] == 1 && (b[p + 33] == 0 || b[p + 33] == 1);
        if (!self) children.push_back({upper(name), (b[p + 25] & 2) != 0, 0,
                                       {{uint64_t{le32(&b[p + 2])} * Sector, le32(&b[p + 10])}}});
        p += length;
    }
    return children;
}

Result<ImageFiles> readIso(Image& image)
{
    for (uint64_t n = 16; n < 16 + MaxDescriptors; ++n) {
        const auto d = image.sector(n);
        if (!d || std::memcmp(d->data() + 1, "CD001", 5) != 0 || (*d)[0] == 255) break;
        if ((*d)[0] != 1) continue;
        const Node root{"", true, 0, {{uint64_t{le32(&(*d)[158])} * Sector, le32(&(*d)[166])}}};
        auto listing = isoList(image, root);
        if (!listing) return Result<ImageFiles>::failure(listing.error());
        return videoTsFiles(std::move(*listing), [&](const Node& dir) { return isoList(image, dir); });
    }
    return Result<ImageFiles>::failure("no ISO 9660 volume");
}

// The volume recognition area: ISO 9660 descriptors, then UDF's extended area around them.
bool hasVolumeDescriptor(const fs::path& path)
{
    Image image(path);
    for (uint64_t n = 16; n < 32; ++n) {
        const auto d = image.sector(n);
        if (!d) return false;
        for (const char* id : {"CD001", "BEA01", "NSR02", "NSR03"})
            if (std::memcmp(d->data() + 1, id, 5) == 0) return true;
    }
    return false;
}

}  // namespace

bool isDiscImage(const fs::path& path)
{
    std::error_code ec;
    if (!fs::is_regular_file(path, ec)) return false;
    const std::u8string extension = path.extension().u8string();
    return upper(std::string(extension.begin(), extension.end())) == ".ISO" || hasVolumeDescriptor(path);
}

Result<ImageFiles> readImageVideoTs(const fs::path& path)
{
    using R = Result<ImageFiles>;
    const std::u8string name8 = path.filename().u8string();
    const std::string name(name8.begin(), name8.end());
    Image image(path);
    auto files = readUdf(image);
    if (!files) {
        auto iso = readIso(image);
        if (!iso) {
            const bool noFileSystem = files.error() == "no UDF anchor" && iso.error() == "no ISO 9660 volume";
            if (noFileSystem) return R::failure(name + " is not a disc image: it holds no UDF or ISO 9660 file system");
            return R::failure("no VIDEO_TS.IFO in image " + name + " (" + files.error() + "; " + iso.error() + ")");
        }
        files = std::move(iso);
    }
    for (const auto& [file, extents] : *files)
        for (const Extent& e : extents)
            if (e.offset > image.size() || e.bytes > image.size() - e.offset)
                return R::failure("image " + name + " is cut short: " + file + " lies past its end");
    return files;
}

}  // namespace nav
