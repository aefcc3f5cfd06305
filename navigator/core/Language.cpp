#include "core/Language.h"

#include <algorithm>
#include <array>
#include <iterator>

namespace nav {

namespace {

struct Row {
    char code[3];
    uint16_t locale;
};

constexpr uint16_t Default(uint16_t primary) { return static_cast<uint16_t>(1 << 10 | primary); }

// Sorted by code. Where the default sublanguage of a shared primary id names another language
// (Serbian and Bosnian share Croatian's; Irish and Scottish Gaelic were split differently in
// older tables) the language's own sublanguage is used.
constexpr Row Rows[] = {
    {"af", Default(0x36)}, {"am", Default(0x5E)}, {"ar", Default(0x01)}, {"as", Default(0x4D)},
    {"az", Default(0x2C)}, {"ba", Default(0x6D)}, {"be", Default(0x23)}, {"bg", Default(0x02)},
    {"bn", Default(0x45)}, {"bo", Default(0x51)}, {"br", Default(0x7E)}, {"bs", 0x141A},
    {"ca", Default(0x03)}, {"co", Default(0x83)}, {"cs", Default(0x05)}, {"cy", Default(0x52)},
    {"da", Default(0x06)}, {"de", Default(0x07)}, {"dv", Default(0x65)}, {"el", Default(0x08)},
    {"en", Default(0x09)}, {"es", Default(0x0A)}, {"et", Default(0x25)}, {"eu", Default(0x2D)},
    {"fa", Default(0x29)}, {"ff", Default(0x67)}, {"fi", Default(0x0B)}, {"fo", Default(0x38)},
    {"fr", Default(0x0C)}, {"fy", Default(0x62)}, {"ga", 0x083C},         {"gd", 0x043C},
    {"gl", Default(0x56)}, {"gn", Default(0x74)}, {"gu", Default(0x47)}, {"ha", Default(0x68)},
    {"he", Default(0x0D)}, {"hi", Default(0x39)}, {"hr", Default(0x1A)}, {"hu", Default(0x0E)},
    {"hy", Default(0x2B)}, {"id", Default(0x21)}, {"ig", Default(0x70)}, {"ii", Default(0x78)},
    {"in", Default(0x21)}, {"is", Default(0x0F)}, {"it", Default(0x10)}, {"iu", Default(0x5D)},
    {"iw", Default(0x0D)}, {"ja", Default(0x11)}, {"ka", Default(0x37)}, {"kk", Default(0x3F)},
    {"kl", Default(0x6F)}, {"km", Default(0x53)}, {"kn", Default(0x4B)}, {"ko", Default(0x12)},
    {"ks", Default(0x60)}, {"ky", Default(0x40)}, {"la", Default(0x76)}, {"lb", Default(0x6E)},
    {"lo", Default(0x54)}, {"lt", Default(0x27)}, {"lv", Default(0x26)}, {"mi", Default(0x81)},
    {"mk", Default(0x2F)}, {"ml", Default(0x4C)}, {"mn", Default(0x50)}, {"mr", Default(0x4E)},
    {"ms", Default(0x3E)}, {"mt", Default(0x3A)}, {"my", Default(0x55)}, {"nb", Default(0x14)},
    {"ne", Default(0x61)}, {"nl", Default(0x13)}, {"nn", Default(0x14)}, {"no", Default(0x14)},
    {"oc", Default(0x82)}, {"om", Default(0x72)}, {"or", Default(0x48)}, {"pa", Default(0x46)},
    {"pl", Default(0x15)}, {"ps", Default(0x63)}, {"pt", Default(0x16)}, {"qu", Default(0x6B)},
    {"rm", Default(0x17)}, {"ro", Default(0x18)}, {"ru", Default(0x19)}, {"rw", Default(0x87)},
    {"sa", Default(0x4F)}, {"sd", Default(0x59)}, {"se", Default(0x3B)}, {"si", Default(0x5B)},
    {"sk", Default(0x1B)}, {"sl", Default(0x24)}, {"so", Default(0x77)}, {"sq", Default(0x1C)},
    {"sr", 0x081A},         {"st", Default(0x30)}, {"sv", Default(0x1D)}, {"sw", Default(0x41)},
    {"ta", Default(0x49)}, {"te", Default(0x4A)}, {"tg", Default(0x28)}, {"th", Default(0x1E)},
    {"ti", Default(0x73)}, {"tk", Default(0x42)}, {"tl", Default(0x64)}, {"tn", Default(0x32)},
    {"tr", Default(0x1F)}, {"ts", Default(0x31)}, {"tt", Default(0x44)}, {"ug", Default(0x80)},
    {"uk", Default(0x22)}, {"ur", Default(0x20)}, {"uz", Default(0x43)}, {"ve", Default(0x33)},
    {"vi", Default(0x2A)}, {"wo", Default(0x88)}, {"xh", Default(0x34)}, {"yi", Default(0x3D)},
    {"yo", Default(0x6A)}, {"zh", Default(0x04)}, {"zu", Default(0x35)},
};

constexpr bool sorted()
{
    for (size_t i = 1; i < std::size(Rows); ++i) {
        const Row &a = Rows[i - 1], &b = Rows[i];
        if (a.code[0] > b.code[0] || (a.code[0] == b.code[0] && a.code[1] >= b.code[1])) return false;
    }
    return true;
}
static_assert(sorted(), "rows must stay sorted by code");

char lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

uint16_t localeIdFromLanguage(std::string_view iso639)
{
    if (iso639.size() != 2) return 0;
    const std::array<char, 2> letters{lower(iso639[0]), lower(iso639[1])};
    const std::string_view code(letters.data(), letters.size());
    const auto it = std::lower_bound(std::begin(Rows), std::end(Rows), code,
                                     [](const Row& r, std::string_view c) { return std::string_view(r.code, 2) < c; });
    return it != std::end(Rows) && std::string_view(it->code, 2) == code ? it->locale : 0;
}

}  // namespace nav
