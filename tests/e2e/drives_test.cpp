#include "ControlBar.h"

#include <gtest/gtest.h>

#include <dbt.h>

using namespace e2e;

namespace {

HWND SettingsDialog(const Player& player)
{
    for (HWND window : player.TopLevelWindows())
        if (Text(window) == L"Settings") return window;
    return nullptr;
}

std::vector<std::wstring> ComboItems(HWND combo)
{
    std::vector<std::wstring> items;
    const int count = static_cast<int>(SendMessageW(combo, CB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t text[256] = {};
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        items.push_back(text);
    }
    return items;
}

} // namespace

TEST(Drives, ListsEjectDeviceChangeAndAbout)
{
    Player player;
    ASSERT_TRUE(WaitFor([&] { return player.MainWindow() != nullptr; }));
    ControlBar bar(player);

    bar.Press(tbSettings);
    ASSERT_TRUE(WaitFor([&] { return SettingsDialog(player) != nullptr; }));
    HWND combo = Children(SettingsDialog(player), L"ComboBox").at(0);
    const std::wstring entry = L"D:\\  [LUMADISC_SAMPLE]";
    EXPECT_EQ(ComboItems(combo), std::vector<std::wstring>{entry});
    // The label comes from the prefix: nothing was written into the folder presented.
    EXPECT_EQ(GetFileAttributesW((EnvPath("LUMADISC_DISCS") + L"\\sample\\.windows-label").c_str()),
              INVALID_FILE_ATTRIBUTES);
    SendMessageW(combo, CB_SETCURSEL, 0, 0);

    // The Eject list holds the same entry; ejecting a folder drive fails silently.
    bar.PressArrow(tbEject);
    ASSERT_TRUE(WaitFor([] { return OpenPopupMenu() != nullptr; }));
    ChoosePopupItem(0);
    Sleep(500);
    EXPECT_TRUE(player.Running());

    // A device-change broadcast rebuilds every list and clears the default drive.
    DWORD_PTR result = 0;
    SendMessageTimeoutW(bar.Window(), WM_DEVICECHANGE, DBT_DEVNODES_CHANGED, 0, SMTO_ABORTIFHUNG,
                        5000, &result);
    EXPECT_TRUE(WaitFor([&] { return SendMessageW(combo, CB_GETCURSEL, 0, 0) == CB_ERR; }));
    EXPECT_EQ(ComboItems(combo), std::vector<std::wstring>{entry});

    // Picking the drive from Play's list plays it and names it in the caption.
    bar.PressArrow(tbPlay);
    ASSERT_TRUE(WaitFor([] { return OpenPopupMenu() != nullptr; }));
    ChoosePopupItem(0);
    EXPECT_TRUE(WaitFor([&] { return Text(bar.Window()) == L"Lumadisc  " + entry; }));
    EXPECT_TRUE(WaitFor([&] { return player.VideoWindow() != nullptr; }));
    MoveVideoAside(player);

    bar.Press(tbAbout);
    HWND about = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        for (HWND window : player.TopLevelWindows())
            if (ChildWithText(window, L"Static", L"Lumadisc") && window != bar.Window()) about = window;
        return about != nullptr;
    }));
    Screenshot("about");
    PressKey(VK_ESCAPE);
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(about); }));
    EXPECT_TRUE(player.Close());
}
