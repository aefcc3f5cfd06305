#include "info/Languages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

namespace {

using info::GetLanguage;
using info::LanguageTable;

TEST(Languages, TableHasEveryRowOnceInKeyOrder)
{
    const auto table = LanguageTable();
    ASSERT_EQ(table.size(), 172u);
    EXPECT_EQ(table.front().key, 0);
    EXPECT_EQ(table.back().key, 0x500A);
    EXPECT_TRUE(std::is_sorted(table.begin(), table.end(),
        [](const auto& a, const auto& b) { return a.key < b.key; }));
    std::set<std::int32_t> keys;
    for (const auto& row : table)
        keys.insert(row.key);
    EXPECT_EQ(keys.size(), table.size());
}

TEST(Languages, EveryRowIsFoundByItsOwnKey)
{
    for (const auto& row : LanguageTable())
        EXPECT_EQ(GetLanguage(row.key), row.name) << row.key;
}

TEST(Languages, SublanguageOneHasNinetyThreeRowsAndOnlyTheListedGaps)
{
    int count = 0;
    for (const auto& row : LanguageTable())
        count += (row.key >> 10) == 1;
    EXPECT_EQ(count, 93);
    for (int missing : {0x043D, 0x045B, 0x045C, 0x045D, 0x045E, 0x045F, 0x0463, 0x0464})
        EXPECT_EQ(GetLanguage(missing), L"Unknown (" + std::to_wstring(missing) + L")");
}

TEST(Languages, ExactlyThreeNamesEndInATab)
{
    std::set<std::int32_t> tabbed;
    for (const auto& row : LanguageTable()) {
        const std::wstring name = row.name;
        const auto tab = name.find(L'\t');
        if (tab == std::wstring::npos)
            continue;
        EXPECT_EQ(tab, name.size() - 1) << row.key;
        tabbed.insert(row.key);
    }
    EXPECT_EQ(tabbed, (std::set<std::int32_t>{0x0804, 0x0819, 0x2C01}));
    EXPECT_EQ(GetLanguage(0x0804), L"Chinese (PRC)\t");
    EXPECT_EQ(GetLanguage(0x0819), L"Russian Moldova\t");
    EXPECT_EQ(GetLanguage(0x2C01), L"Arabic (Jordan)\t");
}

TEST(Languages, NamesOfNoteReadAsStored)
{
    EXPECT_EQ(GetLanguage(0), L"None");
    EXPECT_EQ(GetLanguage(1033), L"English (United States)");
    EXPECT_EQ(GetLanguage(2057), L"English (United Kingdom)");
    EXPECT_EQ(GetLanguage(0x0406), L"Danish");
    EXPECT_EQ(GetLanguage(0x0818), L"Romanian (Moldova)");
    EXPECT_EQ(GetLanguage(0x040A), L"Spanish (Traditional)");
    EXPECT_EQ(GetLanguage(0x0C0A), L"Spanish (International)");
    EXPECT_EQ(GetLanguage(0x300C), L"French (Cote d'Ivoire)");
    EXPECT_EQ(GetLanguage(20490), L"Spanish (Puerto Rico)");
}

TEST(Languages, IdentifiersWithoutARowFallBackToTheirSignedNumber)
{
    EXPECT_EQ(GetLanguage(9), L"Unknown (9)");            // neutral English: no sublanguage row
    EXPECT_EQ(GetLanguage(66569), L"Unknown (66569)");    // English (US) with a sort identifier
    EXPECT_EQ(GetLanguage(20491), L"Unknown (20491)");    // just past the highest key
    EXPECT_EQ(GetLanguage(-1), L"Unknown (-1)");          // all bits set
    EXPECT_EQ(GetLanguage(INT32_MIN), L"Unknown (-2147483648)");
}

} // namespace
