#include "app/TimeText.h"

#include <gtest/gtest.h>

namespace {

using app::FillZero;
using app::HmsAt;
using app::TimeText;

TEST(TimeText, FillZeroPadsShortTextAndNeverCuts)
{
    EXPECT_EQ(FillZero(L"7", 2), L"07");
    EXPECT_EQ(FillZero(L"", 2), L"00");
    EXPECT_EQ(FillZero(L"42", 2), L"42");
    EXPECT_EQ(FillZero(L"123", 2), L"123");
    EXPECT_EQ(FillZero(L"5", 0), L"5");
    EXPECT_EQ(FillZero(L"5", 255), std::wstring(254, L'0') + L"5");
}

TEST(TimeText, ShowsElapsedAndTotalWithTwoDigitFields)
{
    EXPECT_EQ(TimeText({0, 5, 7}, {1, 52, 33}), L"00:05:07/01:52:33");
    EXPECT_EQ(TimeText({0, 0, 0}, {0, 0, 0}), L"00:00:00/00:00:00");
    EXPECT_EQ(TimeText({123, 4, 5}, {255, 59, 59}), L"123:04:05/255:59:59");
}

TEST(TimeText, SeekPositionsSplitIntoHoursMinutesSeconds)
{
    const auto t = HmsAt(3 * 3600 + 25 * 60 + 9);
    EXPECT_EQ(t.hours, 3u);
    EXPECT_EQ(t.minutes, 25u);
    EXPECT_EQ(t.seconds, 9u);
    const auto edge = HmsAt(3599);
    EXPECT_EQ(edge.hours, 0u);
    EXPECT_EQ(edge.minutes, 59u);
    EXPECT_EQ(edge.seconds, 59u);
    EXPECT_EQ(app::SecondsOf({255, 59, 59}), 255 * 3600 + 59 * 60 + 59);
    const auto back = HmsAt(app::SecondsOf({255, 59, 59}));
    EXPECT_EQ(back.hours, 255u);
}

} // namespace
