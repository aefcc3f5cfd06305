// The main window's playback: starting, resuming, pausing and ending it, and the buttons
// that act on the playing disc as a whole.

#include "app/Forms.h"
#include "app/MainForm.h"
#include "app/RenderMessages.h"
#include "app/Shared.h"
#include "app/SpeedTable.h"
#include "settings/SettingsForm.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"
#include "info/InfoForm.h"
#include "video/PreviewForm.h"

#include <cwctype>

namespace {

constexpr wchar_t kVolumeSuffix[] = L"\\VIDEO_TS\\VIDEO_TS.IFO";

// "D:" from a drive entry such as "D:\  [LABEL]"; empty when the text starts otherwise.
std::wstring DrivePrefix(const std::wstring& text)
{
    if (text.size() < 2 || !std::iswalpha(text[0]) || text[1] != L':')
        return {};
    return text.substr(0, 2);
}

} // namespace

void TMainForm::PlayButtonClick()
{
    ToolBar.SetFocus();
    // The disc being opened starts playing when it is ready: a second Play adds nothing.
    if (FilterGraph.Building())
        return;
    if (FilterGraph.Active()) {
        // Where the disc's navigation has ended nothing plays forwards: Play starts it afresh.
        const std::wstring ended = EndedVolume();
        if (!ended.empty()) {
            FilterGraph.ClearGraph();
            FilterGraph.SetActive(false);
        }
        PlayDVD(ended);
        return;
    }
    const std::wstring drive = DrivePrefix(SettingsForm->DefaultDVDDriveComboBox.Text());
    PlayDVD(drive.empty() ? std::wstring() : drive + kVolumeSuffix);
}

bool TMainForm::PlayDVD(const std::wstring& path)
{
    Seeking = false; // whatever press was under way has ended
    PreviewForm->Show();
    if (FilterGraph.Active()) {
        FilterGraph.PlayGraph();
        ComPtr<IDvdCmd> command;
        Navigator()->PlayForwards(1.0, DVD_CMD_FLAG_None, &command);
        SpeedTrackBar.SetPosition(app::kNormalSpeedPosition);
        GetInfo();
        Initialize();
        return true;
    }

    ClearTitleDisplay();
    FilterGraph.SetActive(true);
    AM_DVD_RENDERSTATUS status{};
    const HRESULT result = FilterGraph.RenderDVD(status, path, AM_DVD_HWDEC_PREFER);
    // Stop, Open, a drive choice or closing came while the disc opened and have taken over.
    if (result == E_ABORT)
        return false;
    ShowVolume(result == S_OK ? VolumeFolder() : std::wstring());
    if (result == S_OK) {
        FilterGraph.PlayGraph();
        // The graph starts at the platform's level: make it the one the slider shows.
        VolumeTrackBarChange();
        const ComPtr<IDvdControl2> navigator = Navigator();
        navigator->SetOption(DVD_NotifyParentalLevelChange, FALSE);
        navigator->SetOption(DVD_HMSF_TimeCodeEvents, TRUE);
        return true;
    }
    for (const std::wstring& message : app::RenderMessages(result, status))
        ShowPlayError(message);
    // The component stays active with an emptied graph: Play now resumes, Stop ends it.
    FilterGraph.ClearGraph();
    return true;
}

std::wstring TMainForm::VolumeFolder()
{
    const ComPtr<IDvdInfo2> info = FilterGraph.Query<IDvdInfo2>();
    wchar_t folder[MAX_PATH] = {};
    ULONG length = 0;
    if (!info || FAILED(info->GetDVDDirectory(folder, MAX_PATH, &length)))
        return {};
    return folder;
}

std::wstring TMainForm::EndedVolume()
{
    const ComPtr<IDvdInfo2> info = FilterGraph.Query<IDvdInfo2>();
    DVD_DOMAIN domain = DVD_DOMAIN_FirstPlay;
    if (!info || FAILED(info->GetCurrentDomain(&domain)) || domain != DVD_DOMAIN_Stop)
        return {};
    return VolumeFolder();
}

// The caption and the Play list's check mark name the volume the navigator opened, whoever
// chose it: a drive by its entry, any other folder by its path; no folder, nothing plays.
void TMainForm::ShowVolume(const std::wstring& folder)
{
    ui::MenuItem& drives = DrivesMenu.Items();
    ui::MenuItem* drive = DrivePrefix(folder).empty()
                              ? nullptr
                              : drives.Find(std::wstring(1, static_cast<wchar_t>(std::towupper(folder[0]))));
    for (int i = 0; i < drives.Count(); ++i)
        drives.Item(i).SetChecked(&drives.Item(i) == drive);
    if (drive)
        SetCaption(L"Lumadisc  " + drive->Caption);
    else
        SetCaption(folder.empty() ? L"Lumadisc" : L"Lumadisc  " + folder);
}

void TMainForm::ShowPlayError(const std::wstring& message)
{
    ui::Dialogs().MessageBox(Handle(), message, L"Error", MB_OK | MB_APPLMODAL);
}

void TMainForm::FilterGraphDVDError(const wchar_t* message)
{
    ui::Application::Instance().ShowError(message);
}

void TMainForm::Initialize()
{
    PreviewForm->VideoWindow.SetPictureAspect(VideoAspectX, VideoAspectY);
    // A saved size rules over the picture's own; a graph that reports no picture (an emptied
    // one) leaves the window as it is.
    if (SettingsForm->SavePreviewWindowSizeCheckBox.Checked() || VideoWidth == 0 || VideoHeight == 0)
        return;
    // The stored lines at the shape they are shown in: 720 x 576 at 16:9 shows as 1024 x 576.
    const int width = VideoAspectX && VideoAspectY ? (VideoHeight * VideoAspectX + VideoAspectY / 2) / VideoAspectY
                                                   : VideoWidth;
    PreviewForm->SetClientWidth(width);
    PreviewForm->SetClientHeight(VideoHeight);
}

void TMainForm::PauseButtonClick()
{
    FilterGraph.PauseGraph();
}

void TMainForm::StopButtonClick()
{
    FilterGraph.ClearGraph();
    FilterGraph.SetActive(false);
}

void TMainForm::OpenButtonClick()
{
    OpenDialog.SetFilter(L"VIDEO_TS.IFO|video_ts.ifo|IFO files (*.IFO)|*.ifo|Any file (*.*)|*.*");
    OpenDialog.SetFileName(L"VIDEO_TS.IFO");
    if (!OpenDialog.Execute(Handle()))
        return;
    PreviewForm->Show();
    FilterGraph.ClearGraph();
    FilterGraph.SetActive(false);
    PlayDVD(OpenDialog.FileName());
}

void TMainForm::FullScreenButtonClick()
{
    TVideoWindow& video = PreviewForm->VideoWindow;
    const bool on = !video.FullScreen();
    video.SetFullScreen(on);
    PreviewForm->MouseCursorTimer.SetEnabled(on);
    // The pointer hidden over the full-screen picture shows again over the windowed one.
    if (!on)
        video.SetCursor(LoadCursorW(nullptr, IDC_ARROW));
    FullScreenButton.SetDown(video.FullScreen());
}

// The renderer's own window was closed (Alt+F4 on the full-screen picture): it has hidden
// itself, and rather than a black screen the user gets the windowed picture back.
void TMainForm::FilterGraphUserAbort()
{
    TVideoWindow& video = PreviewForm->VideoWindow;
    if (video.FullScreen())
        FullScreenButtonClick();
    video.SetVisible(true);
}

void TMainForm::RootMenuButtonClick()
{
    if (!FilterGraph.Active())
        return;
    ComPtr<IDvdCmd> command;
    Navigator()->ShowMenu(DVD_MENU_Root, DVD_CMD_FLAG_None, &command);
}

void TMainForm::TitleMenuButtonClick()
{
    if (!FilterGraph.Active())
        return;
    ComPtr<IDvdCmd> command;
    Navigator()->ShowMenu(DVD_MENU_Title, DVD_CMD_FLAG_None, &command);
}

void TMainForm::InfoButtonClick()
{
    InfoForm->Show();
}

void TMainForm::SettingsButtonClick()
{
    SettingsForm->Show();
}
