// The main window's audio, subtitle, angle and chapter pickers and the disc's own menus.
// The context menu's lists are found by position: 0 audio, 1 subtitles, 2 angles, 3 chapters.

#include "app/MainForm.h"
#include "info/Languages.h"

#include <memory>

namespace {

enum PickerPosition { AudioList = 0, SubtitleList = 1, AngleList = 2, ChapterList = 3 };

std::unique_ptr<ui::MenuItem> PickerItem(const std::wstring& caption, const std::wstring& name, int number,
                                         ui::Event<ui::MenuItem&> onClick)
{
    auto item = std::make_unique<ui::MenuItem>(caption, std::move(onClick), name);
    item->Tag = number;
    item->RadioItem = true;
    item->GroupIndex = 0;
    return item;
}

void PopupAtPointer(ui::PopupMenu& menu)
{
    POINT pointer{};
    GetCursorPos(&pointer);
    menu.Popup(pointer.x, pointer.y);
}

} // namespace

void TMainForm::RebuildPickers(IDvdInfo2& info, ULONG audioStreams, ULONG subpictureStreams, ULONG angles,
                               ULONG chapters)
{
    ui::MenuItem& audio = PopupMenu.Items().Item(AudioList);
    audio.Clear();
    AudioButtonMenu.Items().Clear();
    const auto chooseAudio = [this](ui::MenuItem& item) { ChooseAudioStream(item); };
    for (ULONG s = 0; s < audioStreams; ++s) {
        LCID language = 0;
        info.GetAudioLanguage(s, &language);
        const std::wstring caption = info::GetLanguage(static_cast<std::int32_t>(language));
        const std::wstring name = L"Audio" + std::to_wstring(s);
        audio.Add(PickerItem(caption, name, static_cast<int>(s), chooseAudio));
        AudioButtonMenu.Items().Add(PickerItem(caption, name, static_cast<int>(s), chooseAudio));
    }

    ui::MenuItem& subtitles = PopupMenu.Items().Item(SubtitleList);
    subtitles.Clear();
    SubpicButtonMenu.Items().Clear();
    const auto chooseSubpicture = [this](ui::MenuItem& item) { ChooseSubpictureStream(item); };
    for (ULONG s = 0; s < subpictureStreams; ++s) {
        LCID language = 0;
        info.GetSubpictureLanguage(s, &language);
        // Streams without a language are not offered; the others keep their own numbers.
        if (language == 0)
            continue;
        const std::wstring caption = info::GetLanguage(static_cast<std::int32_t>(language));
        const std::wstring name = L"Subpicture" + std::to_wstring(s);
        subtitles.Add(PickerItem(caption, name, static_cast<int>(s), chooseSubpicture));
        SubpicButtonMenu.Items().Add(PickerItem(caption, name, static_cast<int>(s), chooseSubpicture));
    }

    ui::MenuItem& angleList = PopupMenu.Items().Item(AngleList);
    angleList.Clear();
    for (ULONG n = 1; n <= angles; ++n) {
        const std::wstring number = std::to_wstring(n);
        angleList.Add(PickerItem(L"Angle " + number, L"Angle" + number, static_cast<int>(n),
                                 [this](ui::MenuItem& item) { ChooseAngle(item); }));
    }

    ui::MenuItem& chapterList = PopupMenu.Items().Item(ChapterList);
    chapterList.Clear();
    ChapterButtonMenu.Items().Clear();
    const auto chooseChapter = [this](ui::MenuItem& item) { ChooseChapter(item); };
    for (ULONG n = 1; n <= chapters; ++n) {
        const std::wstring number = std::to_wstring(n);
        chapterList.Add(PickerItem(L"Chapter " + number, L"Chapter" + number, static_cast<int>(n), chooseChapter));
        ChapterButtonMenu.Items().Add(
            PickerItem(L"Chapter " + number, L"Chapter" + number, static_cast<int>(n), chooseChapter));
    }
}

void TMainForm::AudioButtonClick()
{
    PopupAtPointer(AudioButtonMenu);
}

void TMainForm::SubpictureButtonClick()
{
    PopupAtPointer(SubpicButtonMenu);
}

void TMainForm::ChapterButtonClick()
{
    PopupAtPointer(ChapterButtonMenu);
}

void TMainForm::ChooseAudioStream(ui::MenuItem& Sender)
{
    const int stream = Sender.Tag;
    ComPtr<IDvdCmd> command;
    Navigator()->SelectAudioStream(static_cast<ULONG>(stream), DVD_CMD_FLAG_None, &command);
    CheckPicker(AudioList, stream);
}

void TMainForm::ChooseSubpictureStream(ui::MenuItem& Sender)
{
    const int stream = Sender.Tag;
    ComPtr<IDvdCmd> command;
    Navigator()->SelectSubpictureStream(static_cast<ULONG>(stream), DVD_CMD_FLAG_None, &command);
    CheckPicker(SubtitleList, stream);
}

void TMainForm::ChooseAngle(ui::MenuItem& Sender)
{
    const int angle = Sender.Tag;
    ComPtr<IDvdCmd> command;
    Navigator()->SelectAngle(static_cast<ULONG>(angle), DVD_CMD_FLAG_None, &command);
    CheckPicker(AngleList, angle);
}

void TMainForm::ChooseChapter(ui::MenuItem& Sender)
{
    const int chapter = Sender.Tag;
    ComPtr<IDvdCmd> command;
    Navigator()->PlayChapter(static_cast<ULONG>(chapter), DVD_CMD_FLAG_None, &command);
    CheckPicker(ChapterList, chapter);
}

void TMainForm::CheckPicker(int position, int number)
{
    ui::MenuItem& list = PopupMenu.Items().Item(position);
    for (int i = 0; i < list.Count(); ++i) {
        if (list.Item(i).Tag == number) {
            list.Item(i).SetChecked(true);
            return;
        }
    }
}

void TMainForm::Subtitles1Click(ui::MenuItem&)
{
    ComPtr<IDvdCmd> command;
    Navigator()->ShowMenu(DVD_MENU_Subpicture, DVD_CMD_FLAG_None, &command);
}

void TMainForm::Audio1Click(ui::MenuItem&)
{
    ComPtr<IDvdCmd> command;
    Navigator()->ShowMenu(DVD_MENU_Audio, DVD_CMD_FLAG_None, &command);
}

void TMainForm::Chapters1Click(ui::MenuItem&)
{
    ComPtr<IDvdCmd> command;
    Navigator()->ShowMenu(DVD_MENU_Chapter, DVD_CMD_FLAG_None, &command);
}
