#include "VolumeLocator.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "core/DiscImage.h"
#include "core/Volume.h"

namespace lumanav {
namespace {

DWORD attributesOf(const std::wstring& path) { return GetFileAttributesW(path.c_str()); }

bool isFolder(DWORD attributes)
{
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring withoutTrailingSeparator(std::wstring path)
{
    while (path.size() > 3 && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
    return path;
}

std::wstring parentOf(const std::wstring& path)
{
    const size_t separator = path.find_last_of(L"\\/");
    return separator == std::wstring::npos ? std::wstring() : path.substr(0, separator);
}

// Empty drives must not make the system ask for a disc.
class QuietDriveErrors {
public:
    QuietDriveErrors() { SetThreadErrorMode(SEM_FAILCRITICALERRORS, &previous_); }
    ~QuietDriveErrors() { SetThreadErrorMode(previous_, nullptr); }
    QuietDriveErrors(const QuietDriveErrors&) = delete;
    QuietDriveErrors& operator=(const QuietDriveErrors&) = delete;

private:
    DWORD previous_ = 0;
};

struct FindCloser {
    void operator()(HANDLE find) const { FindClose(find); }
};
struct FileCloser {
    void operator()(HANDLE file) const { CloseHandle(file); }
};

constexpr ULONGLONG fnvOffset = 14695981039346656037ull;
constexpr ULONGLONG fnvPrime = 1099511628211ull;

void hashBytes(ULONGLONG& hash, const void* data, size_t size)
{
    const auto* bytes = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * fnvPrime;
}

bool isImage(const std::wstring& path) { return nav::isDiscImage(nav::pathFromUtf8(toUtf8(path))); }

// Hashed as a folder holding the image's files would be.
std::optional<ULONGLONG> imageId(const std::wstring& image)
{
    const auto volume = nav::Volume::open(toUtf8(image));
    if (!volume) return std::nullopt;
    ULONGLONG hash = fnvOffset;
    for (const nav::Volume::FileInfo& file : volume->files()) {
        const std::wstring name(file.name.begin(), file.name.end());
        const DWORD sizes[] = {static_cast<DWORD>(file.size), static_cast<DWORD>(file.size >> 32)};
        hashBytes(hash, name.data(), name.size() * sizeof(wchar_t));
        hashBytes(hash, sizes, sizeof sizes);
    }
    auto ifo = volume->readFile("VIDEO_TS.IFO");
    if (!ifo) return std::nullopt;
    hashBytes(hash, ifo->data(), std::min<size_t>(ifo->size(), 65536));
    return hash;
}

}  // namespace

std::wstring volumeLocation(const std::wstring& given)
{
    const std::wstring path = withoutTrailingSeparator(given);
    const DWORD attributes = attributesOf(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return {};
    if (!isFolder(attributes)) return isImage(path) ? path : parentOf(path);
    const std::wstring inner = path + (path.back() == L'\\' ? L"" : L"\\") + L"VIDEO_TS";
    return isFolder(attributesOf(inner)) ? inner : path;
}

DWORD SystemDrives::present() const { return GetLogicalDrives(); }

UINT SystemDrives::type(const std::wstring& root) const { return GetDriveTypeW(root.c_str()); }

bool SystemDrives::fileExists(const std::wstring& path) const
{
    QuietDriveErrors quiet;
    const DWORD attributes = attributesOf(path);
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::wstring findDiscVolume(const Drives& drives)
{
    const DWORD present = drives.present();
    for (int letter = 0; letter < 26; ++letter) {
        if (!(present & (1u << letter))) continue;
        const std::wstring root = std::wstring(1, static_cast<wchar_t>(L'A' + letter)) + L":\\";
        if (drives.type(root) != DRIVE_CDROM) continue;
        const std::wstring folder = root + L"VIDEO_TS";
        if (drives.fileExists(folder + L"\\VIDEO_TS.IFO")) return folder;
    }
    return {};
}

std::optional<ULONGLONG> discId(const std::wstring& folder)
{
    if (!isFolder(attributesOf(folder))) return imageId(folder);
    ULONGLONG hash = fnvOffset;
    WIN32_FIND_DATAW entry{};
    std::unique_ptr<void, FindCloser> find(FindFirstFileW((folder + L"\\*").c_str(), &entry));
    if (find.get() == INVALID_HANDLE_VALUE) {
        find.release();
        return std::nullopt;
    }
    do {
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        hashBytes(hash, entry.cFileName, wcslen(entry.cFileName) * sizeof(wchar_t));
        hashBytes(hash, &entry.nFileSizeLow, sizeof entry.nFileSizeLow);
        hashBytes(hash, &entry.nFileSizeHigh, sizeof entry.nFileSizeHigh);
    } while (FindNextFileW(find.get(), &entry));

    std::unique_ptr<void, FileCloser> ifo(CreateFileW((folder + L"\\VIDEO_TS.IFO").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                                      nullptr, OPEN_EXISTING, 0, nullptr));
    if (ifo.get() == INVALID_HANDLE_VALUE) {
        ifo.release();
        return std::nullopt;
    }
    std::vector<unsigned char> start(65536);
    DWORD read = 0;
    if (!ReadFile(ifo.get(), start.data(), static_cast<DWORD>(start.size()), &read, nullptr)) return std::nullopt;
    hashBytes(hash, start.data(), read);
    return hash;
}

std::string toUtf8(const std::wstring& text)
{
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), result.data(), size, nullptr, nullptr);
    return result;
}

}  // namespace lumanav
