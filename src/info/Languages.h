#pragma once
#include <cstdint>
#include <span>
#include <string>

namespace info {

struct LanguageRow {
    std::int32_t key;  // a whole locale identifier: sublanguage and primary language together
    const wchar_t* name;
};

// The fixed name table, in ascending key order.
std::span<const LanguageRow> LanguageTable();

// English display name of a locale identifier as the stream pickers show it:
// "None" for 0, "Unknown (<id>)" for identifiers without a row. No fallback to the
// primary language: identifiers differing only in sublanguage or sort bits are distinct.
std::wstring GetLanguage(std::int32_t language);

} // namespace info
