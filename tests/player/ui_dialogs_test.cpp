#include "ui/Dialogs.h"
#include <gtest/gtest.h>
#include <atomic>
#include <string>
#include <thread>

namespace {

struct ShownBox {
    std::wstring caption;
    std::wstring text;
};

BOOL CALLBACK CollectStaticText(HWND child, LPARAM param)
{
    wchar_t className[32] = {};
    GetClassNameW(child, className, 32);
    if (lstrcmpiW(className, L"Static") == 0) {
        wchar_t text[256] = {};
        GetWindowTextW(child, text, 256);
        *reinterpret_cast<std::wstring*>(param) += text;
    }
    return TRUE;
}

BOOL CALLBACK FindDialog(HWND window, LPARAM param)
{
    wchar_t className[32] = {};
    GetClassNameW(window, className, 32);
    if (lstrcmpW(className, L"#32770") != 0) return TRUE;
    *reinterpret_cast<HWND*>(param) = window;
    return FALSE;
}

// Plays the user: waits for the box the given thread shows, notes what it says and presses
// `button`. Gives up after a while, so a box that never comes cannot hold the test up; one
// that exists is answered even if it never shows.
void AnswerBox(DWORD thread, int button, ShownBox& seen, std::atomic<bool>& found)
{
    constexpr int attempts = 200;
    for (int attempt = 0; attempt < attempts; ++attempt) {
        HWND box = nullptr;
        EnumThreadWindows(thread, FindDialog, reinterpret_cast<LPARAM>(&box));
        // Its texts are in place once it shows.
        if (box && (IsWindowVisible(box) || attempt == attempts - 1)) {
            wchar_t caption[256] = {};
            GetWindowTextW(box, caption, 256);
            seen.caption = caption;
            EnumChildWindows(box, CollectStaticText, reinterpret_cast<LPARAM>(&seen.text));
            found = true;
            PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), 0);
            return;
        }
        Sleep(50);
    }
}

TEST(PlatformDialogs, MessageBoxShowsTheTextAndAnswersTheButtonPressed)
{
    ShownBox seen;
    std::atomic<bool> found{false};
    std::thread user(AnswerBox, GetCurrentThreadId(), IDNO, std::ref(seen), std::ref(found));

    ui::PlatformDialogs dialogs;
    const int answer = dialogs.MessageBox(nullptr, L"Play the disc again?", L"Lumadisc test", MB_YESNO);
    user.join();

    ASSERT_TRUE(found);
    EXPECT_EQ(answer, IDNO);
    EXPECT_EQ(seen.caption, L"Lumadisc test");
    EXPECT_NE(seen.text.find(L"Play the disc again?"), std::wstring::npos);
}

} // namespace
