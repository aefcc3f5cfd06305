#include "app/MainForm.h"
#include "drives/Eject.h"
#include "settings/SettingsForm.h"
#include "support/MessagePump.h"
#include "support/PlayerFixture.h"
#include "support/WineDrives.h"

#include <gmock/gmock.h>

namespace {

using testsupport::PlayerFixture;

// Remembers the element each open names and refuses it, so no tray moves.
class RefusingMci final : public MciService {
public:
    std::vector<std::string> opened;
    MCIERROR SendCommand(MCIDEVICEID, UINT message, DWORD_PTR, DWORD_PTR params) override
    {
        if (message == MCI_OPEN)
            opened.push_back(reinterpret_cast<MCI_OPEN_PARMSA*>(params)->lpstrElementName);
        return MCIERR_DEVICE_NOT_READY;
    }
};

class Drives : public PlayerFixture {
protected:
    void SetUp() override
    {
        if (!WineDrives::Available())
            GTEST_SKIP() << "drives are presented through Wine's mount manager";
        PlayerFixture::SetUp();
        drives.PresentCdRom(L'P', "MOVIE_DISC");
        drives.PresentCdRom(L'R');
        SetMci(&mci);
    }
    void TearDown() override
    {
        SetMci(nullptr);
        PlayerFixture::TearDown();
    }

    ui::MenuItem* PlayItem(const wchar_t* letter) { return MainForm->DrivesMenu.Items().Find(letter); }
    ui::MenuItem* EjectItem(const wchar_t* letter) { return MainForm->EjectDriveMenu.Items().Find(letter); }

    WineDrives drives;
    RefusingMci mci;
};

TEST_F(Drives, EveryListShowsTheOpticalDrivesByEntry)
{
    MainForm->GetDrives();
    ui::MenuItem* p = PlayItem(L"P");
    ui::MenuItem* r = PlayItem(L"R");
    ASSERT_TRUE(p && r);
    EXPECT_EQ(p->Caption, L"P:\\  [MOVIE_DISC]");
    EXPECT_EQ(r->Caption, L"R:\\  ");
    EXPECT_EQ(r->Tag, p->Tag + 1);  // no other letter lies between them here
    EXPECT_TRUE(p->RadioItem);
    EXPECT_FALSE(p->Checked());
    EXPECT_EQ(MainForm->DrivesMenu.Items().IndexOf(*p), p->Tag);

    ASSERT_TRUE(EjectItem(L"R"));
    EXPECT_EQ(EjectItem(L"R")->Caption, r->Caption);
    EXPECT_EQ(EjectItem(L"R")->Tag, r->Tag);
    EXPECT_EQ(MainForm->EjectDriveMenu.Items().Count(), MainForm->DrivesMenu.Items().Count());

    const ui::ComboBox& box = SettingsForm->DefaultDVDDriveComboBox;
    EXPECT_THAT(box.Items(), ::testing::Contains(L"P:\\  [MOVIE_DISC]"));
    EXPECT_EQ(box.Count(), MainForm->DrivesMenu.Items().Count());
    EXPECT_EQ(box.ItemIndex(), -1);
}

TEST_F(Drives, ChoosingADrivePlaysItChecksItAndNamesIt)
{
    MainForm->GetDrives();
    PlayItem(L"R")->Click();
    EXPECT_TRUE(dvd.Called("RenderDvdVideoVolume(R:\\VIDEO_TS\\VIDEO_TS.IFO,1)"));
    EXPECT_TRUE(PlayItem(L"R")->Checked());
    EXPECT_EQ(MainForm->Caption(), L"Lumadisc  R:\\  ");

    PlayItem(L"P")->Click();
    EXPECT_EQ(dvd.BuildersCreated(), 2);  // the first playback was torn down
    EXPECT_FALSE(PlayItem(L"R")->Checked());
    EXPECT_TRUE(PlayItem(L"P")->Checked());

    MainForm->GetDrives();  // a rebuild forgets the choice, the caption keeps it
    EXPECT_FALSE(PlayItem(L"P")->Checked());
    EXPECT_EQ(MainForm->Caption(), L"Lumadisc  P:\\  [MOVIE_DISC]");
}

TEST_F(Drives, TheCaptionAndTheCheckMarkNameTheVolumeThatPlaysWhoeverChoseIt)
{
    MainForm->GetDrives();
    PlayItem(L"P")->Click();
    MainForm->StopButtonClick();
    dvd.script.directory = L"R:\\VIDEO_TS";  // no default drive: the navigator chose R:
    MainForm->PlayButtonClick();
    EXPECT_EQ(MainForm->Caption(), L"Lumadisc  R:\\  ");
    EXPECT_TRUE(PlayItem(L"R")->Checked());
    EXPECT_FALSE(PlayItem(L"P")->Checked());

    dialogs.openConfirms = true;
    dialogs.openChoice = L"Z:\\discs\\film\\VIDEO_TS\\VIDEO_TS.IFO";
    dvd.script.directory = L"Z:\\discs\\film\\VIDEO_TS";
    MainForm->OpenButtonClick();
    EXPECT_EQ(MainForm->Caption(), L"Lumadisc  Z:\\discs\\film\\VIDEO_TS");
    EXPECT_FALSE(PlayItem(L"R")->Checked());

    dvd.script.renderResult = E_FAIL;  // nothing plays
    MainForm->OpenButtonClick();
    EXPECT_EQ(MainForm->Caption(), L"Lumadisc");
}

TEST_F(Drives, ADriveStoppedOrReplacedWhileItsDiscOpensIsNotNamed)
{
    MainForm->GetDrives();
    ASSERT_TRUE(DuringOpening([this] { PlayItem(L"P")->Click(); }, [] { MainForm->StopButtonClick(); }));
    EXPECT_FALSE(PlayItem(L"P")->Checked());
    EXPECT_EQ(MainForm->Caption(), L"Lumadisc");

    ASSERT_TRUE(DuringOpening([this] { PlayItem(L"P")->Click(); }, [this] { PlayItem(L"R")->Click(); }));
    EXPECT_FALSE(PlayItem(L"P")->Checked());
    EXPECT_TRUE(PlayItem(L"R")->Checked());
    EXPECT_EQ(MainForm->Caption(), L"Lumadisc  R:\\  ");
}

TEST_F(Drives, ChoosingAnEjectEntryOpensThatDrivesTray)
{
    MainForm->GetDrives();
    EjectItem(L"R")->Click();
    EXPECT_THAT(mci.opened, ::testing::ElementsAre("R:"));
    EXPECT_TRUE(dvd.Log().empty());
}

TEST_F(Drives, EveryDeviceChangeRebuildsTheLists)
{
    MainForm->DrivesMenu.Items().Add(L"stale");
    SettingsForm->DefaultDVDDriveComboBox.SetItems({L"stale"});
    SendMessageW(MainForm->Handle(), WM_DEVICECHANGE, 0x0018 /* configuration changed */, 0);
    const ui::MenuItem& play = MainForm->DrivesMenu.Items();
    for (int i = 0; i < play.Count(); ++i)
        EXPECT_NE(play.Item(i).Caption, L"stale");
    EXPECT_TRUE(PlayItem(L"P"));
    EXPECT_THAT(SettingsForm->DefaultDVDDriveComboBox.Items(), ::testing::Not(::testing::Contains(L"stale")));
}

// A device change handled inside the pop-up's loop rebuilds both lists: the pick still means
// the drive that was shown in Play's list, never a tray.
TEST_F(Drives, APickInAListRebuiltWhileItWasOpenPlaysTheDriveShown)
{
    MainForm->GetDrives();
    const int shown = PlayItem(L"R")->Tag;
    dialogs.popupPick = [&](HMENU menu) {
        const UINT picked = GetMenuItemID(menu, shown);
        SendMessageW(MainForm->Handle(), WM_DEVICECHANGE, 0x0018, 0);
        return picked;
    };
    MainForm->DrivesMenu.Popup(0, 0);
    EXPECT_TRUE(dvd.Called("RenderDvdVideoVolume(R:\\VIDEO_TS\\VIDEO_TS.IFO,1)"));
    EXPECT_TRUE(mci.opened.empty());
}

TEST_F(Drives, ADeviceChangeArrivingWhileTheWindowsGoFindsNoSettingsForm)
{
    delete SettingsForm;  // destroyed before the main window, as at exit
    SettingsForm = nullptr;
    SendMessageW(MainForm->Handle(), WM_DEVICECHANGE, 0x0018, 0);
    EXPECT_TRUE(dialogs.boxes.empty());
}

}  // namespace
