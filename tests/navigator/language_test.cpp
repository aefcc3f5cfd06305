#include "core/Language.h"

#include <gtest/gtest.h>

namespace {

using nav::localeIdFromLanguage;

TEST(Language, GivesThePrimaryLanguageWithTheDefaultSublanguage)
{
    EXPECT_EQ(localeIdFromLanguage("en"), 0x0409);
    EXPECT_EQ(localeIdFromLanguage("fr"), 0x040C);
    EXPECT_EQ(localeIdFromLanguage("de"), 0x0407);
    EXPECT_EQ(localeIdFromLanguage("es"), 0x040A);
    EXPECT_EQ(localeIdFromLanguage("it"), 0x0410);
    EXPECT_EQ(localeIdFromLanguage("ja"), 0x0411);
    EXPECT_EQ(localeIdFromLanguage("nl"), 0x0413);
    EXPECT_EQ(localeIdFromLanguage("zh"), 0x0404);
    EXPECT_EQ(localeIdFromLanguage("af"), 0x0436);
    EXPECT_EQ(localeIdFromLanguage("zu"), 0x0435);
}

TEST(Language, KeepsLanguagesThatShareAPrimaryIdApart)
{
    EXPECT_EQ(localeIdFromLanguage("hr"), 0x041A);
    EXPECT_EQ(localeIdFromLanguage("sr"), 0x081A);
    EXPECT_EQ(localeIdFromLanguage("bs"), 0x141A);
    EXPECT_EQ(localeIdFromLanguage("ga"), 0x083C);
    EXPECT_EQ(localeIdFromLanguage("gd"), 0x043C);
    // Codes withdrawn from ISO 639-1 that older discs still carry.
    EXPECT_EQ(localeIdFromLanguage("iw"), localeIdFromLanguage("he"));
    EXPECT_EQ(localeIdFromLanguage("in"), localeIdFromLanguage("id"));
}

TEST(Language, IgnoresCaseAndRejectsWhatIsNoCode)
{
    EXPECT_EQ(localeIdFromLanguage("EN"), 0x0409);
    EXPECT_EQ(localeIdFromLanguage("Fr"), 0x040C);
    for (const char* code : {"", "e", "eng", "xx", "zz", "aa", "  ", "e\xff"}) EXPECT_EQ(localeIdFromLanguage(code), 0) << code;
}

}  // namespace
