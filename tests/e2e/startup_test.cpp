#include "Driver.h"

#include <gtest/gtest.h>

#include <set>

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

    // The program's own icon, in the sizes the platform picks from.
    const std::wstring exe = EnvPath("LUMADISC_EXE");
    HMODULE image = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(image, nullptr);
    std::set<int> sizes;
    if (HRSRC group = FindResourceW(image, MAKEINTRESOURCEW(1), RT_GROUP_ICON)) {
        // A group: three 16-bit words, then a 14-byte entry per image whose first byte is its
        // width (0 for 256).
        const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(image, group)));
        const int count = data[4] | data[5] << 8;
        for (int i = 0; i < count; ++i) sizes.insert(data[6 + 14 * i] ? data[6 + 14 * i] : 256);
    }
    FreeLibrary(image);
    EXPECT_EQ(sizes, (std::set<int>{16, 24, 32, 48, 256}));

    EXPECT_TRUE(player.Close());
}
