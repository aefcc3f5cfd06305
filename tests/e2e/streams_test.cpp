#include "ControlBar.h"

#include <gtest/gtest.h>

using namespace e2e;

namespace {

// Menus of another process cannot be read here, so the captions are left to the screenshots.
bool OpenToolMenu(const ControlBar& bar, ToolIndex button)
{
    bar.Press(button);
    return WaitFor([] { return OpenPopupMenu() != nullptr; });
}

} // namespace

TEST(Streams, PickersListTheDiscsLanguagesAndSwitch)
{
    Player player;
    ASSERT_TRUE(WaitFor([&] { return player.MainWindow() != nullptr; }));
    ControlBar bar(player);
    PlayFirstTitle(player, bar);

    ASSERT_TRUE(OpenToolMenu(bar, tbAudio));
    Screenshot("streams-audio-menu");
    ChoosePopupItem(1);

    ASSERT_TRUE(OpenToolMenu(bar, tbSubpicture));
    Screenshot("streams-subtitle-menu");
    ChoosePopupItem(0);

    // Play while playing refreshes the report, which names the stream now playing.
    bar.Press(tbPlay);
    bar.Press(tbInfo);
    HWND info = WaitForDialog(player, L"Information");
    if (!info) {
        for (HWND window : player.TopLevelWindows())
            if (Text(window) == L"Information") info = window;
    }
    ASSERT_NE(info, nullptr);
    HWND memo = Children(info, L"Edit").at(0);
    EXPECT_TRUE(WaitFor([&] { return Text(memo).find(L"Current stream:\t1") != std::wstring::npos; }));
    EXPECT_NE(Text(memo).find(L"Audio streams:\t2"), std::wstring::npos);
    EXPECT_NE(Text(memo).find(L"Video resolution:\t720x576"), std::wstring::npos);
    Screenshot("streams-information");
    EXPECT_TRUE(player.Close());
}
