#include "Driver.h"

#include <gtest/gtest.h>

using namespace e2e;

TEST(ControlBar, ShowsItsDesignAndClosesCleanly)
{
    Player player;
    ASSERT_TRUE(WaitFor([&] { return player.MainWindow() != nullptr; }));
    HWND main = player.MainWindow();
    EXPECT_EQ(Text(main).rfind(L"Lumadisc", 0), 0u);

    RECT client{};
    GetClientRect(main, &client);
    EXPECT_EQ(client.right, 670);
    EXPECT_EQ(client.bottom, 62);

    HWND toolbar = Children(main, L"ToolbarWindow32").at(0);
    EXPECT_GE(ToolButtonCount(toolbar), 17);
    auto sliders = Children(main, L"msctls_trackbar32");
    ASSERT_EQ(sliders.size(), 3u);
    EXPECT_NE(ChildWithText(main, L"Static", L"Speed:  0"), nullptr);
    EXPECT_NE(ChildWithText(main, L"Static", L"Volume: 100%"), nullptr);
    EXPECT_NE(ChildWithText(main, L"Static", L"TimeLabel"), nullptr);
    Screenshot("control-bar");

    EXPECT_TRUE(player.Close());
}
