#include <gtest/gtest.h>

#include "graph/DirectShowError.h"
#include "graph/TimeCodes.h"

using namespace graph;

namespace {

std::string EndOf(const std::string& text, size_t count)
{
    return text.size() < count ? text : text.substr(text.size() - count);
}

}  // namespace

TEST(DirectShowError, MessageIsPlatformTextWithUpperCaseCode)
{
    const EDirectShowException error(VFW_E_DVD_RENDERFAIL);
    const std::string text = ErrorText(VFW_E_DVD_RENDERFAIL);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(std::string(error.what()), text + " ($8004027A).");
    EXPECT_EQ(error.Code(), VFW_E_DVD_RENDERFAIL);
}

TEST(DirectShowError, FailureCodesKeepAllEightDigits)
{
    EXPECT_EQ(EndOf(EDirectShowException(static_cast<HRESULT>(0x80000001)).what(), 13), " ($80000001).");
    EXPECT_EQ(EndOf(EDirectShowException(E_INVALIDARG).what(), 13), " ($80070057).");
}

TEST(DirectShowError, ErrorTextHasNoSuffix)
{
    const std::string text = ErrorText(E_FAIL);
    EXPECT_EQ(text.find("($"), std::string::npos);
    EXPECT_LE(text.size(), 255u);
}

TEST(DirectShowError, CheckRaisesOnlyWhenTheTopBitIsSet)
{
    EXPECT_EQ(Check(S_OK), S_OK);
    EXPECT_EQ(Check(S_FALSE), S_FALSE);
    EXPECT_EQ(Check(VFW_S_STATE_INTERMEDIATE), VFW_S_STATE_INTERMEDIATE);
    try {
        Check(VFW_E_DVD_OPERATION_INHIBITED);
        FAIL() << "no exception";
    } catch (const EDirectShowException& error) {
        EXPECT_EQ(error.Code(), VFW_E_DVD_OPERATION_INHIBITED);
    }
}

TEST(DirectShowError, InterfaceRequestErrorText)
{
    EXPECT_STREQ(EInterfaceNotSupported().what(), "Interface not supported");
}

TEST(TimeCodes, HMSFIsLowestByteFirst)
{
    const graph::tagDVD_HMSF_TIMECODE time = DecodeHMSFTimeCode(0x0C221E01);
    EXPECT_EQ(time.bHours, 1);
    EXPECT_EQ(time.bMinutes, 30);
    EXPECT_EQ(time.bSeconds, 34);
    EXPECT_EQ(time.bFrames, 12);
}

TEST(TimeCodes, DigitFieldsFromTheTopNibbleDown)
{
    const graph::tagDVD_TIMECODE code = DecodeTimeCode(0x12345678);
    const int fields[] = {code.Hours1,    code.Hours10, code.Minutes1, code.Minutes10,    code.Seconds1,
                          code.Seconds10, code.Frames1, code.Frames10, code.FrameRateCode};
    const int expected[] = {1, 2, 3, 4, 5, 6, 7, 2, 0};
    for (int i = 0; i < 9; ++i) EXPECT_EQ(fields[i], expected[i]) << "field " << i;
}

TEST(TimeCodes, FlagBitsLandInFrameRateAndFrames10)
{
    // Time-code flags: 30 frames per second, drop-frame.
    const graph::tagDVD_TIMECODE code = DecodeTimeCode(DVD_TC_FLAG_30fps | DVD_TC_FLAG_DropFrame);
    EXPECT_EQ(code.FrameRateCode, 2);
    EXPECT_EQ(code.Frames10, 1);
    EXPECT_EQ(code.Hours1 + code.Minutes1 + code.Seconds1 + code.Frames1, 0);
}
