#pragma once
// The five windows of the player, created for each test with the scripted DVD navigator in
// place and every modal dialog, pop-up and shell call recorded instead of shown.
//
//   TEST_F(PlayerFixture, Something) {
//       dvd.script.audioStreams = 2;
//       StartPlayback();                       // Play with no default drive: S_OK build
//       Deliver(EC_DVD_TITLE_CHANGE, 1, 0);     // through the real notification path
//       EXPECT_EQ(MainForm->TitleLabel.Caption(), L"Title:  1");
//   }

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "app/Forms.h"
#include "app/ShellService.h"
#include "support/ScriptedDvd.h"
#include "ui/Dialogs.h"

namespace testsupport {

// Records every modal request and answers what the test set.
class FakeDialogs : public ui::DialogService {
public:
    struct Box {
        HWND owner;
        std::wstring text;
        std::wstring caption;
        UINT type;
    };
    struct Popup {
        HMENU menu;
        POINT screen;
        std::vector<std::wstring> captions;  // the top-level items shown
    };

    std::vector<Box> boxes;
    std::vector<ui::OpenFileRequest> openRequests;
    std::vector<Popup> popups;
    std::vector<ui::Form*> modals;

    bool openConfirms = false;
    std::wstring openChoice;  // the full path "chosen" when the open dialog confirms
    int modalAnswer = ui::mrOk;
    // Runs while a pop-up menu is up; answers the command id the user picks (0: none).
    std::function<UINT(HMENU)> popupPick;

    int MessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) override;
    bool OpenFile(HWND owner, ui::OpenFileRequest& request) override;
    UINT TrackPopupMenu(HMENU menu, POINT screen, HWND owner) override;
    int ShowModal(ui::Form& form) override;

    std::vector<std::wstring> BoxTexts() const;
};

class RecordingShell : public app::ShellService {
public:
    struct Opened {
        HWND owner;
        std::wstring text;
    };
    std::vector<Opened> opened;
    void Open(HWND owner, const std::wstring& text) override { opened.push_back({owner, text}); }
};

class PlayerFixture : public ::testing::Test {
protected:
    PlayerFixture();
    ~PlayerFixture() override;

    void SetUp() override;
    void TearDown() override;

    // Play with no default drive: the scripted navigator builds with renderResult.
    void StartPlayback();
    // Runs `start`, a command that opens a disc, on a disc that is not ready: `during` runs on
    // this thread while the build waits, as the toolkit raises a handler, and the disc becomes
    // ready soon after. False when nothing ran meanwhile.
    bool DuringOpening(const std::function<void()>& start, std::function<void()> during);
    // Queues a graph event and lets it reach the player through the notification window.
    void Deliver(long code, LONG_PTR param1, LONG_PTR param2);
    // The navigator log entries from `first` on.
    std::vector<std::string> LogFrom(size_t first) const;
    // Navigator calls of that name, whatever their arguments.
    int CallsNamed(const std::string& name) const;

    ScriptedDvd dvd;
    FakeDialogs dialogs;
    RecordingShell shell;
};

}  // namespace testsupport
