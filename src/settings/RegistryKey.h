#pragma once
// An open registry key, closed with the object.

#include <windows.h>

#include <optional>
#include <stdexcept>
#include <string>

// A registry operation that had to succeed failed; the text names the key or the value.
class ERegistryException : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class RegistryKey {
public:
    // The existing key opened for reading, or nothing when it is absent (or unreadable).
    static std::optional<RegistryKey> OpenForReading(HKEY root, const std::wstring& path);
    // The key opened for writing, created when missing; raises when neither works.
    static RegistryKey Create(HKEY root, const std::wstring& path);
    static bool Exists(HKEY root, const std::wstring& path);
    // Deletes the key with all its subkeys and values; false when the platform refused.
    static bool DeleteTree(HKEY root, const std::wstring& path);

    RegistryKey(RegistryKey&& other) noexcept;
    RegistryKey& operator=(RegistryKey&& other) noexcept;
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    ~RegistryKey();

    // The value when it exists and is a 32-bit integer; nothing otherwise.
    std::optional<DWORD> ReadDword(const std::wstring& name) const;
    // Raises ERegistryException naming the value when it cannot be written.
    void WriteDword(const std::wstring& name, DWORD value);

private:
    explicit RegistryKey(HKEY key) : key_(key) {}

    HKEY key_;
};
