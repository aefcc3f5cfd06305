#include "info/DiscReport.h"

#include <gtest/gtest.h>

namespace {

TEST(DiscReport, FourteenLinesWithTheirTabs)
{
    info::DiscFacts f;
    f.width = 720;
    f.height = 576;
    f.aspectX = 16;
    f.aspectY = 9;
    f.letterboxed = true;
    f.frameRate = 50;
    f.channels = 6;
    f.quantization = 16;
    f.samplingRate = 47999;
    f.audioStreams = 3;
    f.currentAudioStream = 0;
    f.angles = 1;
    f.currentAngle = 1;
    f.chapters = 12;
    const std::vector<std::wstring> expected{
        L"Video resolution:\t720x576", L"Aspect ratio:\t16:9", L"Letterboxed:\tTrue", L"Frame rate:\t50", L"",
        L"Channels:\t\t6", L"Quantization:\t16", L"Sampling rate:\t47 kHz", L"Audio streams:\t3",
        L"Current stream:\t0", L"", L"Angles:\t\t1", L"Current Angle:\t1", L"Chapters:\t\t12"};
    EXPECT_EQ(info::ReportLines(f), expected);
    EXPECT_EQ(info::CurrentChapterLine(7), L"Current chapter:\t7");
}

TEST(DiscReport, FailedQueriesReadZero)
{
    const auto lines = info::ReportLines({});
    EXPECT_EQ(lines[0], L"Video resolution:\t0x0");
    EXPECT_EQ(lines[2], L"Letterboxed:\tFalse");
    EXPECT_EQ(lines[7], L"Sampling rate:\t0 kHz");
}

} // namespace
