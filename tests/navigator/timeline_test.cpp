// Cells of a program chain in playing order, with angle blocks.
#include "core/Timeline.h"

#include <gtest/gtest.h>

#include "support/DiscWriter.h"

namespace {

using nav::BlockMode;
using nav::BlockType;
using nav::Timeline;

// Cells: 1 (4 s), angle block 2-4 (6 s each), 5 (2 s); programs at cells 1, 2 and 5.
nav::Pgc angleChain()
{
    nav::Pgc p = navtest::sequentialPgc({4, 6, 6, 6, 2});
    p.cells[1].blockMode = BlockMode::First;
    p.cells[2].blockMode = BlockMode::Inside;
    p.cells[3].blockMode = BlockMode::Last;
    for (int c = 1; c <= 3; ++c) p.cells[c].blockType = BlockType::Angle;
    p.programs = {1, 2, 5};
    return p;
}

TEST(Timeline, DisagreeingBlockMarksStillMoveOn)
{
    // The first cell ends a block that the second claims to continue.
    nav::Pgc p = navtest::sequentialPgc({1, 1, 1});
    p.cells[0].blockType = p.cells[1].blockType = BlockType::Angle;
    p.cells[0].blockMode = BlockMode::Last;
    p.cells[1].blockMode = BlockMode::Inside;
    for (int angle = 1; angle <= 2; ++angle) {
        Timeline t(p, angle);
        for (int c = 1; c <= 3; ++c) {
            EXPECT_TRUE(t.next(c) == 0 || t.next(c) > c) << c;
            EXPECT_LT(t.previous(c), c) << c;
        }
        EXPECT_GT(t.length(), 0);
        EXPECT_LE(t.length(), 3.0);
    }
}

TEST(Timeline, AnAngleBlockPlaysOneCellForTheAngle)
{
    nav::Pgc p = angleChain();
    Timeline second(p, 2);
    EXPECT_EQ(second.first(), 1);
    EXPECT_EQ(second.next(1), 3);
    EXPECT_EQ(second.next(3), 5);
    EXPECT_EQ(second.next(5), 0);
    EXPECT_EQ(second.previous(5), 3);
    EXPECT_EQ(second.previous(3), 1);
    EXPECT_EQ(second.previous(1), 0);
    EXPECT_EQ(second.programEntry(2), 3);
    EXPECT_EQ(second.program(3), 2);
    EXPECT_TRUE(second.inAngleBlock(3));
    EXPECT_FALSE(second.inAngleBlock(5));
    EXPECT_DOUBLE_EQ(second.length(), 12);
    EXPECT_DOUBLE_EQ(second.start(5), 10);

    EXPECT_EQ(Timeline(p, 9).resolve(2), 4) << "an angle beyond the block plays its last";
    EXPECT_EQ(Timeline(p, 1).resolve(4), 2);
}

TEST(Timeline, FindsTheCellAtATime)
{
    nav::Pgc p = angleChain();
    Timeline t(p, 3);
    EXPECT_EQ(t.at(0).cell, 1);
    Timeline::Point inBlock = t.at(7.5);
    EXPECT_EQ(inBlock.cell, 4);
    EXPECT_DOUBLE_EQ(inBlock.offset, 3.5);
    EXPECT_EQ(t.at(10).cell, 5);
    Timeline::Point past = t.at(99);
    EXPECT_EQ(past.cell, 5);
    EXPECT_DOUBLE_EQ(past.offset, 2) << "held at the end";
}

TEST(Timeline, TwoBlocksInARowStaySeparate)
{
    nav::Pgc p = navtest::sequentialPgc({1, 1, 2, 2});
    for (int c = 0; c < 4; ++c) p.cells[c].blockType = BlockType::Angle;
    p.cells[0].blockMode = BlockMode::First;
    p.cells[1].blockMode = BlockMode::Last;
    p.cells[2].blockMode = BlockMode::First;
    p.cells[3].blockMode = BlockMode::Last;
    Timeline t(p, 2);
    EXPECT_EQ(t.first(), 2);
    EXPECT_EQ(t.next(2), 4);
    EXPECT_EQ(t.previous(4), 2);
    EXPECT_DOUBLE_EQ(t.length(), 3);
}

TEST(Timeline, EveryCellLastsAtLeastAFrame)
{
    nav::Pgc p = navtest::sequentialPgc({0, 1}, 25);
    Timeline t(p, 1);
    EXPECT_DOUBLE_EQ(t.duration(1), 1.0 / 25);
    EXPECT_EQ(t.frameRate(), 25);
    EXPECT_EQ(Timeline(p, 1).programEntry(3), 0);
}

}  // namespace
