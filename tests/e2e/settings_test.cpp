#include "ControlBar.h"

#include <gtest/gtest.h>

using namespace e2e;

namespace {

DWORD StoredValue(const wchar_t* name)
{
    DWORD value = 0, size = sizeof value;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, L"Software\\Lumadisc", name, RRF_RT_REG_DWORD, nullptr,
                     &value, &size) != ERROR_SUCCESS)
        return 0xFFFFFFFF;
    return value;
}

// Moves a window of the player's as a person would after showing it.
void MoveWindowTo(HWND window, int x, int y)
{
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    WaitFor([&] { return ScreenRect(window).left == x; }, 3000);
}

} // namespace

TEST(Settings, ConfirmedPlacesComeBackAfterARestart)
{
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Lumadisc");
    {
        Player player;
        ASSERT_TRUE(WaitFor([&] { return player.MainWindow() != nullptr; }));
        ControlBar bar(player);
        PlayFirstTitle(player, bar);
        MoveWindowTo(player.VideoWindow(), 420, 80);
        MoveWindowTo(bar.Window(), 120, 700);

        bar.Press(tbSettings);
        HWND settings = nullptr;
        ASSERT_TRUE(WaitFor([&] {
            for (HWND window : player.TopLevelWindows())
                if (Text(window) == L"Settings") settings = window;
            return settings != nullptr;
        }));
        for (HWND box : Children(settings, L"Button"))
            if (Text(box).find(L"Save") == 0) SendMessageW(box, BM_CLICK, 0, 0);
        Screenshot("settings-dialog");
        SendMessageW(ChildWithText(settings, L"Button", L"OK"), BM_CLICK, 0, 0);
        ASSERT_TRUE(player.Close());
    }
    EXPECT_EQ(StoredValue(L"Save window positions"), 1u);
    EXPECT_EQ(StoredValue(L"Save preview window size"), 1u);
    EXPECT_EQ(StoredValue(L"Main window x position"), 120u);
    EXPECT_EQ(StoredValue(L"Preview window x position"), 420u);

    {
        Player player;
        ASSERT_TRUE(WaitFor([&] { return player.MainWindow() != nullptr; }));
        ControlBar bar(player);
        EXPECT_EQ(ScreenRect(bar.Window()).left, 120);
        EXPECT_EQ(ScreenRect(bar.Window()).top, 700);
        bar.Press(tbPlay);
        ASSERT_TRUE(WaitFor([&] { return player.VideoWindow() != nullptr; }));
        EXPECT_EQ(ScreenRect(player.VideoWindow()).left, 420);
        RECT client{};
        GetClientRect(player.VideoWindow(), &client);
        EXPECT_EQ(static_cast<DWORD>(client.right), StoredValue(L"Preview window width"));
        EXPECT_TRUE(player.Close());
    }
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"Software\\Lumadisc");
}
