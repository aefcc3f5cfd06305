#pragma once
#include <cstdint>
#include <string_view>

namespace nav {

// The Windows locale identifier for an ISO 639-1 language code, as DVD navigators report stream
// languages: the language's primary id with the default sublanguage (e.g. "en" -> 0x0409).
// Upper or lower case; 0 for an empty, unknown or malformed code.
uint16_t localeIdFromLanguage(std::string_view iso639);

}  // namespace nav
