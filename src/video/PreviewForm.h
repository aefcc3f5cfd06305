#pragma once
// The video window: the picture, with the player's interaction on it. DVD menu buttons follow
// the mouse and are activated by a press, a double-click or Alt+Enter switches full screen,
// the space bar pauses or resumes, and the pointer hides itself in full screen.

#include "ui/Form.h"
#include "ui/Timer.h"
#include "video/VideoWindow.h"

class TPreviewForm : public ui::Form {
public:
    TPreviewForm();

    TVideoWindow VideoWindow;
    ui::Timer MouseCursorTimer;

    void FormShow();
    void FormCloseQuery(bool& canClose);
    void FormMouseDown(ui::MouseButton button, ui::ShiftState shift, int x, int y);
    void VideoWindowDblClick();
    void VideoWindowMouseMove(ui::ShiftState shift, int x, int y);
    void VideoWindowMouseDown(ui::MouseButton button, ui::ShiftState shift, int x, int y);
    void VideoWindowKeyPress(wchar_t& key);
    void VideoWindowKeyDown(WORD& key, ui::ShiftState shift);
    void MouseCursorTimerTimer();

private:
    bool MenuKey(WORD key);
};
