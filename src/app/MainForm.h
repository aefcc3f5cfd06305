#pragma once
// The control bar: the application's main window. It owns the graph component and every
// pop-up menu; the handlers are named after the control and event that raise them.

#include <cstdint>
#include <string>

#include "graph/FilterGraph.h"
#include "ui/Form.h"
#include "ui/ImageList.h"
#include "ui/Menu.h"
#include "ui/OpenDialog.h"
#include "ui/StdControls.h"
#include "ui/ToolBar.h"
#include "ui/TrackBar.h"

class TMainForm : public ui::Form {
public:
    TMainForm();
    ~TMainForm() override;

    // Non-visual members, declared first: the controls below refer to them.
    graph::TFilterGraph FilterGraph;
    ui::ImageList ImageList;
    ui::OpenDialog OpenDialog;
    ui::PopupMenu PopupMenu;
    ui::PopupMenu DrivesMenu;
    ui::PopupMenu AudioButtonMenu;
    ui::PopupMenu SubpicButtonMenu;
    ui::PopupMenu EjectDriveMenu;
    ui::PopupMenu ChapterButtonMenu;

    // PopupMenu's items, owned by the menu. The first four positions hold the pickers.
    ui::MenuItem* Audiostreams;
    ui::MenuItem* Subtitlestreams1;
    ui::MenuItem* Angle1;
    ui::MenuItem* Chapter1;
    ui::MenuItem* Menu1;
    ui::MenuItem* Root;
    ui::MenuItem* itle1;
    ui::MenuItem* Subtitles1;
    ui::MenuItem* Audio1;
    ui::MenuItem* Chapters1;
    ui::MenuItem* Information1;
    ui::MenuItem* ogglefullscreen1;

    // Tool-bar buttons in their order, left to right.
    ui::ToolBar ToolBar;
    ui::ToolButton PlayButton;
    ui::ToolButton PauseButton;
    ui::ToolButton StopButton;
    ui::ToolButton Separator1;
    ui::ToolButton PrevChapterButton;
    ui::ToolButton NextChapterButton;
    ui::ToolButton Separator2;
    ui::ToolButton RootMenuButton;
    ui::ToolButton TitleMenuButton;
    ui::ToolButton Separator3;
    ui::ToolButton AudioButton;
    ui::ToolButton SubpictureButton;
    ui::ToolButton ChapterButton;
    ui::ToolButton Separator4;
    ui::ToolButton FullScreenButton;
    ui::ToolButton Separator5;
    ui::ToolButton OpenButton;
    ui::ToolButton Separator6;
    ui::ToolButton EjectButton;
    ui::ToolButton Separator7;
    ui::ToolButton SettingsButton;
    ui::ToolButton Separator8;
    ui::ToolButton InfoButton;
    ui::ToolButton Separator9;
    ui::ToolButton MuteButton;
    ui::ToolButton Separator10;
    ui::ToolButton ToolButton7;

    ui::MouseBar dsTrackbar;
    ui::TrackBar SpeedTrackBar;
    ui::TrackBar VolumeTrackBar;
    ui::Label SpeedLabel;
    ui::Label VolumeLabel;
    ui::GroupBox GroupBox1;
    ui::Label TitleLabel;
    ui::Label ChapterLabel;
    ui::Label TimeLabel;

    // Start-up, playback and the transport buttons.
    void FormShow();
    // The part of showing that fills the other windows: the stored settings and drive lists.
    void ShowSettingsAndDrives();
    void FormClose();
    // False when Stop, Open, a drive choice or closing took over while the disc opened.
    bool PlayDVD(const std::wstring& path);
    void Initialize();
    void PlayButtonClick();
    void PauseButtonClick();
    void StopButtonClick();
    void OpenButtonClick();
    void FullScreenButtonClick();
    void FilterGraphUserAbort();
    void RootMenuButtonClick();
    void TitleMenuButtonClick();
    void InfoButtonClick();
    void SettingsButtonClick();

    // Titles and chapters.
    void FilterGraphDVDTitleChange(int title);
    void FilterGraphDVDChapterStart(int chapter);
    void FilterGraphDVDMenuDomain();
    void FilterGraphDVDTitleDomain();
    void PrevChapterButtonClick();
    void NextChapterButtonClick();
    int GetCurrentTitle();
    int GetCurrentChapter();

    // Time display and seek bar.
    void FilterGraphDVDCurrentHMSFTime(graph::tagDVD_HMSF_TIMECODE HMSFTimeCode,
                                       const graph::tagDVD_TIMECODE& TimeCode);
    void DSTrackBarChange();
    void dsTrackbarMouseDown(ui::MouseButton button, ui::ShiftState shift, int x, int y);
    void dsTrackbarMouseUp(ui::MouseButton button, ui::ShiftState shift, int x, int y);

    // Speed, volume and mute.
    void SpeedTrackBarChange();
    void FilterGraphDVDPlaybackRateChange(float rate);
    void VolumeTrackBarChange();
    void VolumeTrackBarKeyDown(WORD& key, ui::ShiftState shift);
    void MuteButtonClick();

    // Keyboard, wheel and the window background.
    void FormKeyDown(WORD& key, ui::ShiftState shift);
    void FormMouseWheel(ui::ShiftState shift, int wheelDelta, POINT mousePos, bool& handled);
    void FormMouseDown(ui::MouseButton button, ui::ShiftState shift, int x, int y);
    void FormMouseUp(ui::MouseButton button, ui::ShiftState shift, int x, int y);
    void ToolButton7Click();

    // Drives.
    void GetDrives();
    void ChooseDrive(ui::MenuItem& Sender);
    void ChooseDriveToEject(ui::MenuItem& Sender);
    void WMDeviceChange();

    // Stream, angle and chapter pickers; the disc's own menus.
    void AudioButtonClick();
    void SubpictureButtonClick();
    void ChapterButtonClick();
    void ChooseAudioStream(ui::MenuItem& Sender);
    void ChooseSubpictureStream(ui::MenuItem& Sender);
    void ChooseAngle(ui::MenuItem& Sender);
    void ChooseChapter(ui::MenuItem& Sender);
    void Subtitles1Click(ui::MenuItem& Sender);
    void Audio1Click(ui::MenuItem& Sender);
    void Chapters1Click(ui::MenuItem& Sender);

    // The disc information refresh.
    void GetInfo();

    // The navigator's refusals: a message for each.
    void FilterGraphDVDError(const wchar_t* message);

protected:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void BuildPopupMenu();
    void ConfigureControls();
    void WireEvents();

    // The navigator's command interface; "Interface not supported" while idle.
    ComPtr<IDvdControl2> Navigator();
    void ShowPlayError(const std::wstring& message);
    // The navigator's VIDEO_TS folder; empty when it has none.
    std::wstring VolumeFolder();
    // The VIDEO_TS folder of a volume whose navigation has reached its end; empty otherwise.
    std::wstring EndedVolume();
    void ShowVolume(const std::wstring& folder);
    // Title, chapter and time back to what they show before any title plays.
    void ClearTitleDisplay();
    // The picture's size and shape from the navigator's video attributes.
    void StorePictureShape(const DVD_VideoAttributes& video);
    void RebuildPickers(IDvdInfo2& info, ULONG audioStreams, ULONG subpictureStreams, ULONG angles,
                        ULONG chapters);
    // Checks the item carrying `number` in the context menu's picker list at `position`.
    void CheckPicker(int position, int number);

    // The slider follows a rate the navigator chose itself; nothing is asked of it again.
    bool followingNavigatorRate_ = false;
};
