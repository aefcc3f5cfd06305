#include "video/PreviewForm.h"

#include "app/Forms.h"
#include "app/MainForm.h"

namespace {

ui::FormDesign Design()
{
    ui::FormDesign design;
    design.style = {ui::BorderStyle::Sizeable, true, true, true};
    design.left = 191;
    design.top = 112;
    design.clientWidth = 302;
    design.clientHeight = 233;
    return design;
}

}  // namespace

TPreviewForm::TPreviewForm() : ui::Form(Design()), VideoWindow(*this), MouseCursorTimer(3000, false)
{
    SetWidth(310);
    SetHeight(260);
    VideoWindow.SetAlign(ui::Align::Client);
    VideoWindow.SetFilterGraph(&MainForm->FilterGraph);
    VideoWindow.ContextMenu = &MainForm->PopupMenu;
    VideoWindow.VMROptions().SetMode(vmrWindowed);

    OnShow = [this] { FormShow(); };
    OnCloseQuery = [this](bool& canClose) { FormCloseQuery(canClose); };
    OnMouseDown = [this](ui::MouseButton button, ui::ShiftState shift, int x, int y) {
        FormMouseDown(button, shift, x, y);
    };
    VideoWindow.OnDblClick = [this] { VideoWindowDblClick(); };
    VideoWindow.OnMouseMove = [this](ui::ShiftState shift, int x, int y) { VideoWindowMouseMove(shift, x, y); };
    VideoWindow.OnMouseDown = [this](ui::MouseButton button, ui::ShiftState shift, int x, int y) {
        VideoWindowMouseDown(button, shift, x, y);
    };
    VideoWindow.OnKeyPress = [this](wchar_t& key) { VideoWindowKeyPress(key); };
    VideoWindow.OnKeyDown = [this](WORD& key, ui::ShiftState shift) { VideoWindowKeyDown(key, shift); };
    MouseCursorTimer.OnTimer = [this] { MouseCursorTimerTimer(); };
}

void TPreviewForm::FormShow() { VideoWindow.SetFilterGraph(&MainForm->FilterGraph); }

void TPreviewForm::FormCloseQuery(bool&)
{
    // This window's close box ends the player, with the main window's closing steps.
    MainForm->Close();
}

void TPreviewForm::FormMouseDown(ui::MouseButton, ui::ShiftState, int, int) { StartDrag(); }

void TPreviewForm::VideoWindowDblClick() { MainForm->FullScreenButtonClick(); }

void TPreviewForm::VideoWindowMouseMove(ui::ShiftState, int x, int y)
{
    if (VideoWindow.FullScreen()) {
        VideoWindow.SetCursor(LoadCursorW(nullptr, IDC_ARROW));
        MouseCursorTimer.SetEnabled(false);
        MouseCursorTimer.SetEnabled(true);
    }
    graph::TFilterGraph& filterGraph = MainForm->FilterGraph;
    // Highlights the disc menu button under the pointer, if there is one.
    if (filterGraph.Active()) filterGraph.Get<IDvdControl2>()->SelectAtPosition({x, y});
}

void TPreviewForm::VideoWindowMouseDown(ui::MouseButton, ui::ShiftState shift, int x, int y)
{
    // The press that completes a double-click toggles full screen; where it lands the picture
    // may already have moved, and it was never meant for a menu button.
    if (shift & ui::ssDouble)
        return;
    graph::TFilterGraph& filterGraph = MainForm->FilterGraph;
    if (filterGraph.Active()) filterGraph.Get<IDvdControl2>()->ActivateAtPosition({x, y});
}

void TPreviewForm::VideoWindowKeyPress(wchar_t& key)
{
    if (key != L' ') return;
    // A pause that settles at once (S_OK) means the stream was already paused: resume.
    if (MainForm->FilterGraph.PauseGraph())
        MainForm->PlayButtonClick();
    else
        MainForm->PauseButtonClick();
}

void TPreviewForm::VideoWindowKeyDown(WORD& key, ui::ShiftState shift)
{
    if (key == VK_RETURN && shift == ui::ssAlt) {
        MainForm->FullScreenButtonClick();
        return;
    }
    if (shift == 0 && MenuKey(key)) key = 0;
}

// In a disc menu, the arrows move the highlight and Enter activates it.
bool TPreviewForm::MenuKey(WORD key)
{
    DVD_RELATIVE_BUTTON direction = DVD_Relative_Upper;
    switch (key) {
    case VK_UP: direction = DVD_Relative_Upper; break;
    case VK_DOWN: direction = DVD_Relative_Lower; break;
    case VK_LEFT: direction = DVD_Relative_Left; break;
    case VK_RIGHT: direction = DVD_Relative_Right; break;
    case VK_RETURN: break;
    default: return false;
    }
    graph::TFilterGraph& filterGraph = MainForm->FilterGraph;
    if (!filterGraph.Active())
        return false;
    DVD_DOMAIN domain = DVD_DOMAIN_Stop;
    if (FAILED(filterGraph.Get<IDvdInfo2>()->GetCurrentDomain(&domain)) ||
        (domain != DVD_DOMAIN_VideoManagerMenu && domain != DVD_DOMAIN_VideoTitleSetMenu))
        return false;
    const ComPtr<IDvdControl2> navigator = filterGraph.Get<IDvdControl2>();
    if (key == VK_RETURN)
        navigator->ActivateButton();
    else
        navigator->SelectRelativeButton(direction);
    return true;
}

void TPreviewForm::MouseCursorTimerTimer()
{
    VideoWindow.SetCursor(nullptr);
    MouseCursorTimer.SetEnabled(false);
}
