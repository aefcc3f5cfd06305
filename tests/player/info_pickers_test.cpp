#include "app/MainForm.h"
#include "support/PlayerFixture.h"

#include <gmock/gmock.h>

namespace {

using ::testing::ElementsAre;
using testsupport::PlayerFixture;

struct ItemView {
    std::wstring caption;
    std::wstring name;
    int tag;
    bool operator==(const ItemView&) const = default;
};

std::vector<ItemView> View(const ui::MenuItem& menu)
{
    std::vector<ItemView> items;
    for (int i = 0; i < menu.Count(); ++i) {
        const ui::MenuItem& item = menu.Item(i);
        items.push_back({item.Caption, item.Name, item.Tag});
    }
    return items;
}

std::vector<bool> Checks(const ui::MenuItem& menu)
{
    std::vector<bool> checks;
    for (int i = 0; i < menu.Count(); ++i)
        checks.push_back(menu.Item(i).Checked());
    return checks;
}

class Pickers : public PlayerFixture {
protected:
    ui::MenuItem& Context(int position) { return MainForm->PopupMenu.Items().Item(position); }

    void Refresh()
    {
        StartPlayback();
        MainForm->GetInfo();
    }
};

TEST_F(Pickers, ContextMenuHasItsSevenItemsInOrder)
{
    std::vector<std::wstring> captions;
    for (const auto& item : View(MainForm->PopupMenu.Items()))
        captions.push_back(item.caption);
    EXPECT_THAT(captions, ElementsAre(L"Audio streams", L"Subtitle streams", L"Angle", L"Chapter", L"Menu",
                                      L"Information...", L"Toggle fullscreen"));
    std::vector<std::wstring> menu;
    for (const auto& item : View(*MainForm->Menu1))
        menu.push_back(item.name);
    EXPECT_THAT(menu, ElementsAre(L"Root", L"itle1", L"Subtitles1", L"Audio1", L"Chapters1"));
    EXPECT_EQ(Context(0).Count() + Context(1).Count() + Context(2).Count() + Context(3).Count(), 0);
}

TEST_F(Pickers, AudioStreamsAreListedByLanguageInBothMenus)
{
    dvd.script.audioStreams = 4;
    dvd.script.audioLanguages = {{0, 0x0409}, {1, 0x0409}, {2, 0}, {3, 0x0463}};
    Refresh();
    const std::vector<ItemView> expected{{L"English (United States)", L"Audio0", 0},
                                         {L"English (United States)", L"Audio1", 1},
                                         {L"None", L"Audio2", 2},
                                         {L"Unknown (1123)", L"Audio3", 3}};
    EXPECT_EQ(View(Context(0)), expected);
    EXPECT_EQ(View(MainForm->AudioButtonMenu.Items()), expected);
    const ui::MenuItem& first = Context(0).Item(0);
    EXPECT_TRUE(first.RadioItem);
    EXPECT_EQ(first.GroupIndex, 0);
    EXPECT_FALSE(first.Checked());
    EXPECT_TRUE(first.Enabled);
}

TEST_F(Pickers, SubtitlesWithoutLanguageAreSkippedAndTheRestKeepTheirNumbers)
{
    dvd.script.subpictureStreams = 4;
    dvd.script.subpictureLanguages = {{0, 0}, {1, 0x0407}, {2, 0}, {3, 0x040C}};
    Refresh();
    const std::vector<ItemView> expected{{L"German (Germany)", L"Subpicture1", 1},
                                         {L"French (France)", L"Subpicture3", 3}};
    EXPECT_EQ(View(Context(1)), expected);
    EXPECT_EQ(View(MainForm->SubpicButtonMenu.Items()), expected);

    MainForm->SubpicButtonMenu.Items().Item(1).Click();
    EXPECT_TRUE(dvd.Called("SelectSubpictureStream(3)"));
    EXPECT_THAT(Checks(Context(1)), ElementsAre(false, true));
    EXPECT_THAT(Checks(MainForm->SubpicButtonMenu.Items()), ElementsAre(false, false));
}

TEST_F(Pickers, AnglesAreOfferedInTheContextMenuOnly)
{
    dvd.script.angles = 2;
    Refresh();
    EXPECT_EQ(View(Context(2)), (std::vector<ItemView>{{L"Angle 1", L"Angle1", 1}, {L"Angle 2", L"Angle2", 2}}));
    Context(2).Item(1).Click();
    EXPECT_TRUE(dvd.Called("SelectAngle(2)"));
    EXPECT_THAT(Checks(Context(2)), ElementsAre(false, true));
}

TEST_F(Pickers, EveryChapterGetsAnItem)
{
    dvd.script.chapters = {{1, 300}};
    Refresh();
    ASSERT_EQ(Context(3).Count(), 300);
    ASSERT_EQ(MainForm->ChapterButtonMenu.Items().Count(), 300);
    EXPECT_EQ(View(Context(3)).back(), (ItemView{L"Chapter 300", L"Chapter300", 300}));

    MainForm->ChapterButtonMenu.Items().Item(0).Click();
    EXPECT_TRUE(dvd.Called("PlayChapter(1)"));
    EXPECT_TRUE(Context(3).Item(0).Checked());
    EXPECT_FALSE(MainForm->ChapterButtonMenu.Items().Item(0).Checked());
    EXPECT_EQ(dvd.LiveCommands(), 0);
}

TEST_F(Pickers, AToolbarChoiceMovesTheCheckInTheContextMenu)
{
    dvd.script.audioStreams = 3;
    dvd.script.audioLanguages = {{0, 0x0409}, {1, 0x0407}, {2, 0x040C}};
    Refresh();
    Context(0).Item(0).Click();
    MainForm->AudioButtonMenu.Items().Item(2).Click();
    EXPECT_TRUE(dvd.Called("SelectAudioStream(0)"));
    EXPECT_TRUE(dvd.Called("SelectAudioStream(2)"));
    EXPECT_THAT(Checks(Context(0)), ElementsAre(false, false, true));
    EXPECT_THAT(Checks(MainForm->AudioButtonMenu.Items()), ElementsAre(false, false, false));

    MainForm->GetInfo();  // a refresh takes every check away
    EXPECT_THAT(Checks(Context(0)), ElementsAre(false, false, false));
}

TEST_F(Pickers, AfterStopTheListsStayButChoosingReportsInterfaceNotSupported)
{
    dvd.script.audioStreams = 1;
    dvd.script.audioLanguages = {{0, 0x0409}};
    Refresh();
    MainForm->StopButtonClick();
    ASSERT_EQ(Context(0).Count(), 1);
    const size_t mark = dvd.Log().size();
    Context(0).Item(0).Click();
    MainForm->Subtitles1->Click();
    MainForm->Root->Click();
    EXPECT_TRUE(LogFrom(mark).empty());
    EXPECT_FALSE(Context(0).Item(0).Checked());
    EXPECT_THAT(dialogs.BoxTexts(), ElementsAre(L"Interface not supported.", L"Interface not supported."));
}

TEST_F(Pickers, DiscMenuCommandsShowTheirMenus)
{
    StartPlayback();
    MainForm->Subtitles1->Click();
    MainForm->Audio1->Click();
    MainForm->Chapters1->Click();
    MainForm->itle1->Click();
    EXPECT_TRUE(dvd.Called("ShowMenu(4)"));
    EXPECT_TRUE(dvd.Called("ShowMenu(5)"));
    EXPECT_TRUE(dvd.Called("ShowMenu(7)"));
    EXPECT_TRUE(dvd.Called("ShowMenu(2)"));
}

TEST_F(Pickers, ToolbarButtonsPopTheirMenuAtThePointer)
{
    dvd.script.chapters = {{1, 2}};
    Refresh();
    SetCursorPos(1100, 90);
    POINT pointer;
    GetCursorPos(&pointer);
    MainForm->ChapterButton.Click();
    MainForm->AudioButtonClick();
    MainForm->SubpictureButtonClick();
    ASSERT_EQ(dialogs.popups.size(), 3u);
    EXPECT_EQ(dialogs.popups[0].screen.x, pointer.x);
    EXPECT_EQ(dialogs.popups[0].screen.y, pointer.y);
    EXPECT_THAT(dialogs.popups[0].captions, ElementsAre(L"Chapter 1", L"Chapter 2"));
    EXPECT_TRUE(dialogs.popups[1].captions.empty());
}

}  // namespace
