#include "app/MainForm.h"

#include "app/Forms.h"
#include "app/Shared.h"
#include "settings/SettingsStore.h"
#include "ui/Application.h"

#include <utility>

namespace {

ui::FormDesign MainFormDesign()
{
    ui::FormDesign design;
    design.caption = L"Lumadisc";
    design.style = {ui::BorderStyle::Single, true, false, true};
    design.left = 191;
    design.top = 646;
    design.clientWidth = 816;
    design.clientHeight = 62;
    design.largeIconLater = true;
    return design;
}

using ui::ToolButtonStyle;
namespace glyph = ui::glyph;

constexpr int kWideButton = 36;
constexpr int kSeparatorWidth = 8;

} // namespace

TMainForm::TMainForm()
    : ui::Form(MainFormDesign()),
      ImageList(ui::ImageList::PlayerGlyphs()),
      ToolBar(*this, {7, 4, 522, 22}, &ImageList),
      PlayButton(ToolBar, ToolButtonStyle::DropDown, glyph::Play, kWideButton),
      PauseButton(ToolBar, ToolButtonStyle::Button, glyph::Pause),
      StopButton(ToolBar, ToolButtonStyle::Button, glyph::Stop),
      Separator1(ToolBar, ToolButtonStyle::Separator, -1, kSeparatorWidth),
      PrevChapterButton(ToolBar, ToolButtonStyle::Button, glyph::PreviousChapter),
      NextChapterButton(ToolBar, ToolButtonStyle::Button, glyph::NextChapter),
      Separator2(ToolBar, ToolButtonStyle::Separator, -1, kSeparatorWidth),
      RootMenuButton(ToolBar, ToolButtonStyle::Button, glyph::RootMenu),
      TitleMenuButton(ToolBar, ToolButtonStyle::Button, glyph::TitleMenu),
      Separator3(ToolBar, ToolButtonStyle::Separator, -1, kSeparatorWidth),
      AudioButton(ToolBar, ToolButtonStyle::Button, glyph::Audio),
      SubpictureButton(ToolBar, ToolButtonStyle::Button, glyph::Subtitle),
      ChapterButton(ToolBar, ToolButtonStyle::Button, glyph::ChapterList),
      Separator4(ToolBar, ToolButtonStyle::Separator, -1, kSeparatorWidth),
      FullScreenButton(ToolBar, ToolButtonStyle::Button, glyph::FullScreen),
      Separator5(ToolBar, ToolButtonStyle::Separator, -1, kSeparatorWidth),
      OpenButton(ToolBar, ToolButtonStyle::Button, glyph::Open),
      Separator6(ToolBar, ToolButtonStyle::Separator, -1, kSeparatorWidth),
      EjectButton(ToolBar, ToolButtonStyle::DropDown, glyph::Eject, kWideButton),
      Separator7(ToolBar, ToolButtonStyle::Separator, -1, kSeparatorWidth),
      SettingsButton(ToolBar, ToolButtonStyle::Button, glyph::Settings),
      Separator8(ToolBar, ToolButtonStyle::Separator, -1, kSeparatorWidth),
      InfoButton(ToolBar, ToolButtonStyle::Button, glyph::Information),
      Separator9(ToolBar, ToolButtonStyle::Separator, -1, kSeparatorWidth),
      MuteButton(ToolBar, ToolButtonStyle::Button, glyph::Loudspeaker),
      Separator10(ToolBar, ToolButtonStyle::Separator, -1, kSeparatorWidth),
      ToolButton7(ToolBar, ToolButtonStyle::Button, glyph::Question),
      dsTrackbar(*this, {3, 35, 342, 20}, false),
      SpeedTrackBar(*this, {352, 28, 94, 17}, false),
      VolumeTrackBar(*this, {352, 45, 94, 15}, false),
      SpeedLabel(*this, 445, 30, L"Speed:  0"),
      VolumeLabel(*this, 446, 46, L"Volume: 100%"),
      GroupBox1(*this, {544, 0, 121, 60}),
      TitleLabel(GroupBox1, 3, 8, L"Title: "),
      ChapterLabel(GroupBox1, 4, 24, L"Chapter:"),
      TimeLabel(GroupBox1, 4, 40, L"TimeLabel")
{
    FilterGraph.SetMode(graph::gmDVD);
    FilterGraph.SetGraphEdit(true);
    FilterGraph.Loaded();
    BuildPopupMenu();
    ConfigureControls();
    WireEvents();
}

// The controls are members and go with the window; the graph component goes after them,
// which ends any playback still running.
TMainForm::~TMainForm() = default;

void TMainForm::BuildPopupMenu()
{
    ui::MenuItem& items = PopupMenu.Items();
    Audiostreams = &items.Add(L"Audio streams", {}, L"Audiostreams");
    Subtitlestreams1 = &items.Add(L"Subtitle streams", {}, L"Subtitlestreams1");
    Angle1 = &items.Add(L"Angle", {}, L"Angle1");
    Chapter1 = &items.Add(L"Chapter", {}, L"Chapter1");
    Menu1 = &items.Add(L"Menu", {}, L"Menu1");
    Root = &Menu1->Add(L"Root", [this](ui::MenuItem&) { RootMenuButtonClick(); }, L"Root");
    itle1 = &Menu1->Add(L"Title", [this](ui::MenuItem&) { TitleMenuButtonClick(); }, L"itle1");
    Subtitles1 = &Menu1->Add(L"Subtitles", [this](ui::MenuItem& s) { Subtitles1Click(s); }, L"Subtitles1");
    Audio1 = &Menu1->Add(L"Audio", [this](ui::MenuItem& s) { Audio1Click(s); }, L"Audio1");
    Chapters1 = &Menu1->Add(L"Chapters", [this](ui::MenuItem& s) { Chapters1Click(s); }, L"Chapters1");
    Information1 = &items.Add(L"Information...", [this](ui::MenuItem&) { InfoButtonClick(); }, L"Information1");
    ogglefullscreen1 =
        &items.Add(L"Toggle fullscreen", [this](ui::MenuItem&) { FullScreenButtonClick(); }, L"ogglefullscreen1");
}

void TMainForm::ConfigureControls()
{
    KeyPreview = true;
    ContextMenu = &PopupMenu;

    ui::OpenFileRequest& options = OpenDialog.Options();
    options.hideReadOnly = true;
    options.pathMustExist = true;
    options.fileMustExist = true;
    options.resizable = true;

    PlayButton.DropdownMenu = &DrivesMenu;
    EjectButton.DropdownMenu = &EjectDriveMenu;
    EjectButton.SetHint(L"Eject");
    PrevChapterButton.SetHint(L"Previous chapter");
    NextChapterButton.SetHint(L"Next chapter");
    RootMenuButton.SetHint(L"Show root menu");
    TitleMenuButton.SetHint(L"Show title menu");
    AudioButton.SetHint(L"Choose audio stream");
    AudioButton.ContextMenu = &AudioButtonMenu;
    SubpictureButton.SetHint(L"Choose subtitle stream");
    SubpictureButton.ContextMenu = &SubpicButtonMenu;
    ChapterButton.SetHint(L"Choose chapter");
    ChapterButton.ContextMenu = &ChapterButtonMenu;
    MuteButton.SetHint(L"Mute");

    dsTrackbar.SetRange(0, 0);
    dsTrackbar.SetPageSize(100);
    dsTrackbar.SetThumbLength(15);

    SpeedTrackBar.SetRange(0, 8);
    SpeedTrackBar.SetPosition(4);
    SpeedTrackBar.SetPageSize(1);
    SpeedTrackBar.SetLineSize(1);
    SpeedTrackBar.SetThumbLength(13);
    SpeedTrackBar.SetHint(L"Speed");

    VolumeTrackBar.SetRange(0, 10000);
    VolumeTrackBar.SetPosition(10000);
    VolumeTrackBar.SetPageSize(1000);
    VolumeTrackBar.SetLineSize(1);
    VolumeTrackBar.SetFrequency(1000);
    VolumeTrackBar.SetThumbLength(13);
    VolumeTrackBar.SetHint(L"Volume");
}

void TMainForm::WireEvents()
{
    OnShow = [this] { FormShow(); };
    OnClose = [this] { FormClose(); };
    OnKeyDown = [this](WORD& key, ui::ShiftState shift) { FormKeyDown(key, shift); };
    OnMouseWheel = [this](ui::ShiftState shift, int delta, POINT at, bool& handled) {
        FormMouseWheel(shift, delta, at, handled);
    };
    OnMouseDown = [this](ui::MouseButton b, ui::ShiftState s, int x, int y) { FormMouseDown(b, s, x, y); };
    OnMouseUp = [this](ui::MouseButton b, ui::ShiftState s, int x, int y) { FormMouseUp(b, s, x, y); };

    FilterGraph.OnDVDTitleChange = [this](graph::TFilterGraph&, int title) { FilterGraphDVDTitleChange(title); };
    FilterGraph.OnDVDChapterStart = [this](graph::TFilterGraph&, int chapter) {
        FilterGraphDVDChapterStart(chapter);
    };
    FilterGraph.OnDVDDomainVideoManagerMenu = [this](graph::TFilterGraph&) { FilterGraphDVDMenuDomain(); };
    FilterGraph.OnDVDDomainVideoTitleSetMenu = [this](graph::TFilterGraph&) { FilterGraphDVDMenuDomain(); };
    FilterGraph.OnDVDDomainTitle = [this](graph::TFilterGraph&) { FilterGraphDVDTitleDomain(); };
    FilterGraph.OnGraphUserAbort = [this](graph::TFilterGraph&) { FilterGraphUserAbort(); };
    FilterGraph.OnDVDPlaybackRateChange = [this](graph::TFilterGraph&, float rate) {
        FilterGraphDVDPlaybackRateChange(rate);
    };
    const std::pair<graph::TNotifyEvent*, const wchar_t*> discErrors[] = {
        {&FilterGraph.OnDVDErrorCopyProtectFail, L"This disc is copy protected and cannot be played here."},
        {&FilterGraph.OnDVDErrorMacrovisionFail, L"The display does not support the disc's analogue copy protection."},
        {&FilterGraph.OnDVDErrorInvalidDVD1_0Disc, L"This disc is not a valid DVD-Video disc."},
        {&FilterGraph.OnDVDErrorInvalidDiscRegion, L"This disc cannot be played in this region."},
        {&FilterGraph.OnDVDErrorIncompatibleDiscAndDecoderRegions, L"The disc's region does not match the decoder's region."},
        {&FilterGraph.OnDVDErrorIncompatibleSystemAndDecoderRegions,
         L"The system's region does not match the decoder's region."},
        {&FilterGraph.OnDVDErrorLowParentalLevel, L"The parental level is too low to play this disc."},
        {&FilterGraph.OnDVDErrorUnexpected, L"The DVD navigator met an unexpected error; playback has stopped."},
    };
    for (const auto& [event, message] : discErrors)
        *event = [this, text = message](graph::TFilterGraph&) { FilterGraphDVDError(text); };
    FilterGraph.OnDVDCurrentHMSFTime = [this](graph::TFilterGraph&, graph::tagDVD_HMSF_TIMECODE time,
                                              const graph::tagDVD_TIMECODE& code) {
        FilterGraphDVDCurrentHMSFTime(time, code);
    };

    PlayButton.OnClick = [this] { PlayButtonClick(); };
    PauseButton.OnClick = [this] { PauseButtonClick(); };
    StopButton.OnClick = [this] { StopButtonClick(); };
    PrevChapterButton.OnClick = [this] { PrevChapterButtonClick(); };
    NextChapterButton.OnClick = [this] { NextChapterButtonClick(); };
    RootMenuButton.OnClick = [this] { RootMenuButtonClick(); };
    TitleMenuButton.OnClick = [this] { TitleMenuButtonClick(); };
    AudioButton.OnClick = [this] { AudioButtonClick(); };
    SubpictureButton.OnClick = [this] { SubpictureButtonClick(); };
    ChapterButton.OnClick = [this] { ChapterButtonClick(); };
    FullScreenButton.OnClick = [this] { FullScreenButtonClick(); };
    OpenButton.OnClick = [this] { OpenButtonClick(); };
    SettingsButton.OnClick = [this] { SettingsButtonClick(); };
    InfoButton.OnClick = [this] { InfoButtonClick(); };
    MuteButton.OnClick = [this] { MuteButtonClick(); };
    ToolButton7.OnClick = [this] { ToolButton7Click(); };

    dsTrackbar.OnChange = [this] { DSTrackBarChange(); };
    dsTrackbar.OnMouseDown = [this](ui::MouseButton b, ui::ShiftState s, int x, int y) {
        dsTrackbarMouseDown(b, s, x, y);
    };
    dsTrackbar.OnMouseUp = [this](ui::MouseButton b, ui::ShiftState s, int x, int y) {
        dsTrackbarMouseUp(b, s, x, y);
    };
    SpeedTrackBar.OnChange = [this] { SpeedTrackBarChange(); };
    VolumeTrackBar.OnChange = [this] { VolumeTrackBarChange(); };
    VolumeTrackBar.OnKeyDown = [this](WORD& key, ui::ShiftState shift) { VolumeTrackBarKeyDown(key, shift); };
}

void TMainForm::FormShow()
{
    SetClientWidth(670);
    SetCaption(L"Lumadisc");
    auto& application = ui::Application::Instance();
    application.SetTitle(L"Lumadisc");
    application.SetHintHidePause(7000);
    if (SettingsForm)
        ShowSettingsAndDrives();
    else
        ReadMainWindowPosition(*this); // the rest once the other windows exist
}

void TMainForm::ShowSettingsAndDrives()
{
    ReadSettings();
    GetDrives();
}

void TMainForm::FormClose()
{
    FilterGraph.ClearGraph();
    FilterGraph.SetActive(false);
    if (SettingsPresent)
        WriteSettings();
}

LRESULT TMainForm::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    const LRESULT result = ui::Form::HandleMessage(message, wParam, lParam);
    if (message == WM_DEVICECHANGE)
        ui::Application::Instance().Guard([this] { WMDeviceChange(); });
    return result;
}

ComPtr<IDvdControl2> TMainForm::Navigator()
{
    return FilterGraph.Get<IDvdControl2>();
}
