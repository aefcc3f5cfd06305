#include "settings/RegistryKey.h"

#include <utility>

namespace {

// Key and value names here are plain ASCII; exceptions carry ANSI text.
std::string Narrow(const std::wstring& text)
{
    const int length = WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, nullptr, 0, nullptr, nullptr);
    std::string result(static_cast<size_t>(length > 0 ? length : 1), '\0');
    WideCharToMultiByte(CP_ACP, 0, text.c_str(), -1, result.data(), length, nullptr, nullptr);
    result.resize(result.size() - 1);
    return result;
}

}  // namespace

std::optional<RegistryKey> RegistryKey::OpenForReading(HKEY root, const std::wstring& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
    return RegistryKey(key);
}

RegistryKey RegistryKey::Create(HKEY root, const std::wstring& path)
{
    HKEY key = nullptr;
    if (RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_READ | KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        throw ERegistryException("The registry key \"" + Narrow(path) + "\" could not be opened for writing");
    return RegistryKey(key);
}

bool RegistryKey::Exists(HKEY root, const std::wstring& path) { return OpenForReading(root, path).has_value(); }

bool RegistryKey::DeleteTree(HKEY root, const std::wstring& path)
{
    return RegDeleteTreeW(root, path.c_str()) == ERROR_SUCCESS;
}

RegistryKey::RegistryKey(RegistryKey&& other) noexcept : key_(std::exchange(other.key_, nullptr)) {}

RegistryKey& RegistryKey::operator=(RegistryKey&& other) noexcept
{
    if (this != &other) {
        if (key_) RegCloseKey(key_);
        key_ = std::exchange(other.key_, nullptr);
    }
    return *this;
}

RegistryKey::~RegistryKey()
{
    if (key_) RegCloseKey(key_);
}

std::optional<DWORD> RegistryKey::ReadDword(const std::wstring& name) const
{
    DWORD type = 0;
    DWORD value = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExW(key_, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value)
        return std::nullopt;
    return value;
}

void RegistryKey::WriteDword(const std::wstring& name, DWORD value)
{
    if (RegSetValueExW(key_, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value) !=
        ERROR_SUCCESS)
        throw ERegistryException("The registry value \"" + Narrow(name) + "\" could not be written");
}
