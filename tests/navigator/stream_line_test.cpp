// Time stamps that start again with each cell on one continuous line of stream time.
#include "core/StreamLine.h"

#include <gtest/gtest.h>

namespace {

TEST(StreamLine, VobusFollowOneAnotherWhateverTheirStampsUnlessTheClockIsAhead)
{
    nav::StreamLine line;
    // The first VOBU starts at the clock; its pictures keep their distances.
    EXPECT_EQ(line.begin(54000, 90000, 1000), 1000);
    EXPECT_EQ(line.place(57600), 4600);
    EXPECT_EQ(line.place(50400), -2600);  // a picture shown before the VOBU's first stamp
    // Seamless: the next VOBU's stamps go on from the last.
    EXPECT_EQ(line.begin(90000, 126000, 2000), 37000);
    // A new cell whose stamps start again (and across the 33-bit wrap) still follows on.
    EXPECT_EQ(line.begin(0x1FFFFF000u & 0xFFFFFFFFu, 0x1000, 2000), 73000);
    EXPECT_EQ(line.place(0x1FFFFF000 + 0x800), 73000 + 0x800);
    EXPECT_EQ(line.place(0x400), 73000 + 0x1400);
    // A VOBU read a little late keeps the pace; after a still the clock has gone on: the line starts again there.
    EXPECT_EQ(line.begin(0, 36000, 73000 + 0x2000 + 9000), 73000 + 0x2000);
    EXPECT_EQ(line.begin(0, 36000, 500000), 500000);
    // Damaged stamps claiming a VOBU of hours do not push the line away.
    EXPECT_EQ(line.begin(0, 0x7FFFFFFF, 0), 536000);
    EXPECT_EQ(line.begin(0, 100, 0), 536000 + 2 * 90000);
    // A jump: the next VOBU starts at the clock even though the line was further on.
    line.restart();
    EXPECT_EQ(line.begin(90000, 126000, 7), 7);
    // Scanning four times as fast, a VOBU takes a quarter of its time.
    line.restart(4.0);
    EXPECT_EQ(line.begin(90000, 126000, 0), 0);
    EXPECT_EQ(line.place(99000), 2250);
    EXPECT_EQ(line.begin(126000, 162000, 0), 9000);
}

}  // namespace
