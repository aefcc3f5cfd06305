#include "support/DialogRecorder.h"
#include "ui/Application.h"
#include "ui/Form.h"
#include "ui/Menu.h"
#include <gtest/gtest.h>
#include <functional>
#include <string>
#include <vector>

namespace {

// What the platform menu showed while it was up (it is destroyed afterwards).
struct ShownItem {
    std::wstring text;
    UINT type;
    UINT state;
    UINT id;
    int children;
};

std::vector<ShownItem> Describe(HMENU menu)
{
    std::vector<ShownItem> items;
    for (int index = 0; index < GetMenuItemCount(menu); ++index) {
        wchar_t text[256] = {};
        MENUITEMINFOW info{};
        info.cbSize = sizeof(info);
        info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING | MIIM_SUBMENU;
        info.dwTypeData = text;
        info.cch = 256;
        GetMenuItemInfoW(menu, index, TRUE, &info);
        items.push_back({text, info.fType, info.fState, info.wID,
                         info.hSubMenu ? GetMenuItemCount(info.hSubMenu) : -1});
    }
    return items;
}

class MenuRecorder : public testsupport::DialogRecorder {
public:
    UINT TrackPopupMenu(HMENU menu, POINT screen, HWND owner) override
    {
        DialogRecorder::TrackPopupMenu(menu, screen, owner);
        shown = Describe(menu);
        lastOwner = owner;
        return pick ? pick(menu) : 0;
    }
    std::vector<ShownItem> shown;
    HWND lastOwner = nullptr;
    // Runs while the menu is up; answers the id picked (0: none).
    std::function<UINT(HMENU)> pick;
};

using ui::MenuItem;

MenuItem& AddPicker(MenuItem& menu, const std::wstring& caption, int tag)
{
    auto& item = menu.Add(caption);
    item.Tag = tag;
    item.RadioItem = true;
    return item;
}

TEST(MenuItem, CheckingARadioItemUnchecksItsGroupOnly)
{
    MenuItem menu;
    auto& first = AddPicker(menu, L"Angle 1", 1);
    auto& second = AddPicker(menu, L"Angle 2", 2);
    auto& otherGroup = AddPicker(menu, L"Other", 3);
    otherGroup.GroupIndex = 1;
    auto& plain = menu.Add(L"Plain");

    first.SetChecked(true);
    otherGroup.SetChecked(true);
    plain.SetChecked(true);
    second.SetChecked(true);

    EXPECT_FALSE(first.Checked());
    EXPECT_TRUE(second.Checked());
    EXPECT_TRUE(otherGroup.Checked());
    EXPECT_TRUE(plain.Checked());
}

TEST(MenuItem, ChecksOfOneSubMenuLeaveOtherSubMenusAlone)
{
    MenuItem root;
    auto& audio = root.Add(L"Audio streams");
    auto& chapters = root.Add(L"Chapter");
    auto& english = AddPicker(audio, L"English", 0);
    auto& chapterOne = AddPicker(chapters, L"Chapter 1", 1);
    english.SetChecked(true);
    chapterOne.SetChecked(true);
    EXPECT_TRUE(english.Checked());
    EXPECT_TRUE(chapterOne.Checked());
}

TEST(MenuItem, ClearDestroysTheChildrenAndFreesTheirCommands)
{
    MenuItem menu;
    const UINT command = menu.Add(L"Chapter 1").Command();
    ASSERT_NE(MenuItem::FromCommand(command), nullptr);

    menu.Clear();

    EXPECT_EQ(menu.Count(), 0);
    EXPECT_EQ(MenuItem::FromCommand(command), nullptr);
}

TEST(MenuItem, CommandsAreReusedSoRebuildsNeverRunOut)
{
    MenuItem menu;
    for (int rebuild = 0; rebuild < 300; ++rebuild) {
        menu.Clear();
        for (int chapter = 1; chapter <= 300; ++chapter) menu.Add(L"Chapter");
    }
    for (int index = 0; index < menu.Count(); ++index) {
        const UINT command = menu.Item(index).Command();
        EXPECT_LE(command, 0xFFFFu);
        EXPECT_EQ(MenuItem::FromCommand(command), &menu.Item(index));
    }
}

TEST(MenuItem, FindSearchesNamesThroughTheTree)
{
    MenuItem root;
    auto& sub = root.Add(L"Menu", {}, L"Menu1");
    auto& title = sub.Add(L"Title", {}, L"itle1");
    EXPECT_EQ(root.Find(L"itle1"), &title);
    EXPECT_EQ(root.Find(L"Menu1"), &sub);
    EXPECT_EQ(root.Find(L"Title"), nullptr); // captions are not names
    EXPECT_EQ(title.Parent(), &sub);
    EXPECT_EQ(root.IndexOf(sub), 0);
}

TEST(MenuItem, DeleteRemovesOneItem)
{
    MenuItem menu;
    menu.Add(L"a");
    menu.Add(L"b");
    menu.Add(L"c");
    menu.Delete(1);
    ASSERT_EQ(menu.Count(), 2);
    EXPECT_EQ(menu.Item(1).Caption, L"c");
}

class PopupMenuTest : public ::testing::Test {
protected:
    MenuRecorder dialogs;
    ui::PopupMenu popup;
};

TEST_F(PopupMenuTest, ShowsCaptionsExactlyAsSetWithChecksAndSubMenus)
{
    auto& audio = popup.Items().Add(L"Audio streams");
    AddPicker(audio, L"English", 0);
    AddPicker(audio, L"Deutsch", 1).SetChecked(true);
    popup.Items().Add(L"Angle"); // empty: a plain item, no sub-menu
    popup.Items().Add(L"Rock & Roll").Enabled = false;

    popup.Popup(120, 340);

    ASSERT_EQ(dialogs.popups.size(), 1u);
    EXPECT_EQ(dialogs.popups[0].screen.x, 120);
    EXPECT_EQ(dialogs.popups[0].screen.y, 340);
    ASSERT_EQ(dialogs.shown.size(), 3u);
    EXPECT_EQ(dialogs.shown[0].text, L"Audio streams");
    EXPECT_EQ(dialogs.shown[0].children, 2);
    EXPECT_EQ(dialogs.shown[1].children, -1);
    EXPECT_EQ(dialogs.shown[2].text, L"Rock && Roll"); // a literal ampersand, no access key
    EXPECT_TRUE(dialogs.shown[2].state & MFS_DISABLED);
}

TEST_F(PopupMenuTest, RadioItemsShowTheirCheckInTheSubMenu)
{
    auto& audio = popup.Items().Add(L"Audio streams");
    AddPicker(audio, L"English", 0);
    AddPicker(audio, L"Deutsch", 1).SetChecked(true);
    std::vector<ShownItem> sub;
    dialogs.pick = [&](HMENU menu) {
        sub = Describe(GetSubMenu(menu, 0));
        return 0u;
    };

    popup.Popup(0, 0);

    ASSERT_EQ(sub.size(), 2u);
    EXPECT_TRUE(sub[0].type & MFT_RADIOCHECK);
    EXPECT_FALSE(sub[0].state & MFS_CHECKED);
    EXPECT_TRUE(sub[1].state & MFS_CHECKED);
    EXPECT_EQ(sub[1].id, audio.Item(1).Command());
}

TEST_F(PopupMenuTest, APickedItemRunsItsHandlerWithTheItem)
{
    ui::Form form({L"", {}, 0, 0, 100, 100});
    const MenuItem* sender = nullptr;
    auto& chapters = popup.Items().Add(L"Chapter");
    for (int n = 1; n <= 3; ++n)
        AddPicker(chapters, L"Chapter " + std::to_wstring(n), n).OnClick = [&](MenuItem& item) {
            sender = &item;
            item.SetChecked(true);
        };
    dialogs.pick = [&](HMENU menu) { return GetMenuItemID(GetSubMenu(menu, 0), 1); };

    popup.Popup(0, 0);

    ASSERT_EQ(sender, &chapters.Item(1));
    EXPECT_EQ(sender->Tag, 2);
    EXPECT_TRUE(chapters.Item(1).Checked());
}

// Messages handled inside the pop-up's loop may rebuild its lists; the freed ids must not be
// handed to new items, and the pick means the item that was shown.
TEST_F(PopupMenuTest, APickMeansTheItemShownEvenWhenTheListWasRebuiltMeanwhile)
{
    std::vector<std::wstring> ran;
    auto& play = popup.Items().Add(L"Play");
    auto& eject = popup.Items().Add(L"Eject");
    const auto build = [&] {
        play.Clear();
        eject.Clear();
        play.Add(L"D:\\", [&](MenuItem& item) { ran.push_back(L"play " + item.Caption); }, L"D");
        eject.Add(L"D:\\", [&](MenuItem& item) { ran.push_back(L"eject " + item.Caption); }, L"D");
    };
    build();
    for (int list : {0, 1}) {
        dialogs.pick = [&](HMENU menu) {
            const UINT shown = GetMenuItemID(GetSubMenu(menu, list), 0);
            build();  // a device change arrives while the menu is up
            return shown;
        };
        popup.Popup(0, 0);
    }
    EXPECT_EQ(ran, (std::vector<std::wstring>{L"play D:\\", L"eject D:\\"}));

    // A pick whose item went for good runs nothing.
    ran.clear();
    dialogs.pick = [&](HMENU menu) {
        const UINT shown = GetMenuItemID(GetSubMenu(menu, 0), 0);
        play.Clear();
        eject.Clear();
        eject.Add(L"E:\\", [&](MenuItem&) { ran.push_back(L"eject E"); }, L"E");
        return shown;
    };
    popup.Popup(0, 0);
    EXPECT_TRUE(ran.empty());
}

TEST_F(PopupMenuTest, AnyToolkitWindowRoutesMenuCommands)
{
    ui::Form form({L"", {}, 0, 0, 100, 100});
    int clicks = 0;
    auto& item = popup.Items().Add(L"Toggle fullscreen", [&](MenuItem&) { ++clicks; });
    SendMessageW(form.Handle(), WM_COMMAND, item.Command(), 0);
    SendMessageW(ui::Application::Instance().UtilityWindow(), WM_COMMAND, item.Command(), 0);
    EXPECT_EQ(clicks, 2);
}

TEST_F(PopupMenuTest, AHandlerMayEmptyTheMenuOfItsOwnItem)
{
    auto& list = popup.Items().Add(L"Chapter");
    int clicks = 0;
    list.Add(L"Chapter 1", [&](MenuItem&) {
        ++clicks;
        list.Clear();
    });
    list.Item(0).Click();
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(list.Count(), 0);
}

TEST_F(PopupMenuTest, TheOwnerIsAToolkitWindow)
{
    popup.Items().Add(L"Information...");
    popup.Popup(0, 0);
    EXPECT_NE(ui::Window::FromHandle(dialogs.lastOwner), nullptr);
}

} // namespace
