#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "drives/Eject.h"

namespace {

struct MciCall {
    MCIDEVICEID device;
    UINT message;
    DWORD_PTR flags;
    DWORD_PTR params;
    std::string deviceType;
    std::string element;
};

// Records each command; the open hands out device 7 and answers what the test says.
class RecordingMci final : public MciService {
public:
    MCIERROR openResult = 0;
    MCIERROR setResult = 0;
    std::vector<MciCall> calls;

    MCIERROR SendCommand(MCIDEVICEID device, UINT message, DWORD_PTR flags, DWORD_PTR params) override
    {
        MciCall call{device, message, flags, params, {}, {}};
        if (message == MCI_OPEN) {
            auto* open = reinterpret_cast<MCI_OPEN_PARMSA*>(params);
            call.deviceType = open->lpstrDeviceType;
            call.element = open->lpstrElementName;
            EXPECT_EQ(open->dwCallback, 0u);
            if (openResult == 0) open->wDeviceID = 7;
        }
        calls.push_back(call);
        if (message == MCI_OPEN) return openResult;
        return message == MCI_SET ? setResult : 0;
    }
};

class Eject : public ::testing::Test {
protected:
    void SetUp() override { SetMci(&mci); }
    void TearDown() override { SetMci(nullptr); }
    RecordingMci mci;
};

}  // namespace

TEST_F(Eject, OpensTheDriveAsCdAudioThenOpensTheDoorAndCloses)
{
    EjectDrive(L"E:");

    ASSERT_EQ(mci.calls.size(), 3u);
    EXPECT_EQ(mci.calls[0].message, static_cast<UINT>(MCI_OPEN));
    EXPECT_EQ(mci.calls[0].flags, 0x2200u);
    EXPECT_EQ(mci.calls[0].deviceType, "CDAudio");
    EXPECT_EQ(mci.calls[0].element, "E:");

    EXPECT_EQ(mci.calls[1].device, 7u);
    EXPECT_EQ(mci.calls[1].message, static_cast<UINT>(MCI_SET));
    EXPECT_EQ(mci.calls[1].flags, 0x100u);
    EXPECT_EQ(mci.calls[1].params, 0u);

    EXPECT_EQ(mci.calls[2].device, 7u);
    EXPECT_EQ(mci.calls[2].message, static_cast<UINT>(MCI_CLOSE));
}

TEST_F(Eject, FailedOpenSendsNothingElse)
{
    mci.openResult = 296;
    EjectDrive(L"D:");

    ASSERT_EQ(mci.calls.size(), 1u);
    EXPECT_EQ(mci.calls[0].message, static_cast<UINT>(MCI_OPEN));
}

TEST_F(Eject, ClosesTheDeviceEvenWhenTheDoorRefuses)
{
    mci.setResult = 1;
    EjectDrive(L"D:");

    ASSERT_EQ(mci.calls.size(), 3u);
    EXPECT_EQ(mci.calls[2].message, static_cast<UINT>(MCI_CLOSE));
    EXPECT_EQ(mci.calls[2].device, 7u);
}

TEST(EjectPlatform, DriveThatIsNoCdAudioDeviceIsLeftSilently)
{
    SetMci(nullptr);
    EXPECT_NO_THROW(EjectDrive(L"Q:"));
}
