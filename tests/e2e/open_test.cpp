#include "ControlBar.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>

using namespace e2e;

namespace {

void OpenFile(const Player& player, const ControlBar& bar, const std::wstring& path)
{
    bar.Press(tbOpen);
    HWND dialog = WaitForDialog(player, L"Open");
    ASSERT_NE(dialog, nullptr);
    Screenshot("open-dialog");
    // The file name box (cmb13) takes the path; typing would race the box's completion list.
    HWND nameBox = GetDlgItem(dialog, 0x47C);
    if (!nameBox) nameBox = GetDlgItem(dialog, 0x480);
    ASSERT_NE(nameBox, nullptr);
    // The dialog fills the box with the default name as it settles: set ours after that.
    ASSERT_TRUE(WaitFor([&] { return Text(nameBox) == L"VIDEO_TS.IFO"; }));
    Sleep(500);
    SendMessageW(nameBox, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
    ASSERT_EQ(Text(nameBox), path);
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); }));
}

// Picks the last chapter from the chapter button's menu.
void PickLastChapter(const ControlBar& bar)
{
    bar.Press(tbChapter);
    ASSERT_TRUE(WaitFor([] { return OpenPopupMenu() != nullptr; }));
    // Up from no selection wraps to the last item.
    PressKey(VK_UP);
    PressKey(VK_RETURN);
}

void ExpectNoVolumeAnswer(const Player& player, const char* shot)
{
    HWND box = WaitForDialog(player, L"Error");
    Screenshot(shot);
    ASSERT_NE(box, nullptr);
    EXPECT_NE(AllStaticText(box).find(L"The specified DVD volume to be played does not exist."),
              std::wstring::npos);
    PressKey(VK_RETURN);
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(box); }));
}

} // namespace

TEST(Open, FixtureDiscAndAFileThatIsNoDisc)
{
    Player player;
    ASSERT_TRUE(WaitFor([&] { return player.MainWindow() != nullptr; }));
    ControlBar bar(player);

    OpenFile(player, bar, EnvPath("LUMADISC_DISCS") + L"\\chapters300\\VIDEO_TS\\VIDEO_TS.IFO");
    ASSERT_TRUE(WaitFor([&] { return bar.TitleText() == L"Title:  1"; }));
    PickLastChapter(bar);
    EXPECT_TRUE(WaitFor([&] { return bar.ChapterText() == L"Chapter: 300"; }));

    const std::wstring notADisc = EnvPath("LUMADISC_SHOTS") + L"\\not-a-disc.txt";
    if (FILE* file = _wfopen(notADisc.c_str(), L"w")) {
        fputs("hello\n", file);
        fclose(file);
    }
    OpenFile(player, bar, notADisc);
    // Tearing the finished playback down must not hang the control bar.
    DWORD_PTR answer = 0;
    EXPECT_NE(SendMessageTimeoutW(bar.Window(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &answer), 0);
    ExpectNoVolumeAnswer(player, "open-not-a-disc");
    EXPECT_TRUE(player.Running());
    EXPECT_TRUE(player.Close());
}

TEST(Open, DiscImageAndAnImageWithoutADisc)
{
    Player player;
    ASSERT_TRUE(WaitFor([&] { return player.MainWindow() != nullptr; }));
    ControlBar bar(player);

    OpenFile(player, bar, EnvPath("LUMADISC_DISCS") + L"\\images\\chapters300.iso");
    ASSERT_TRUE(WaitFor([&] { return bar.TitleText() == L"Title:  1"; }));
    PickLastChapter(bar);
    EXPECT_TRUE(WaitFor([&] { return bar.ChapterText() == L"Chapter: 300"; }));
    Screenshot("open-image");

    // A data CD's image, a cut one and bytes named .iso hold no DVD volume: the same answer as
    // a folder without one.
    for (const wchar_t* image : {L"datacd", L"truncated", L"random"}) {
        OpenFile(player, bar, EnvPath("LUMADISC_DISCS") + L"\\images\\" + image + L".iso");
        ExpectNoVolumeAnswer(player, "open-image-without-a-disc");
    }
    EXPECT_TRUE(player.Close());
}

namespace {

// What the player shows of a disc at the start of the first title it reaches: its labels,
// its information report and its picture, then the last chapter its chapter list offers.
struct Shown {
    std::wstring title, report, lastChapter;
    Capture picture;
};

// Opens a disc and leaves its first menu, if it has one, by the button at `button` of the
// 720 × 576 picture.
Shown Show(const Player& player, const ControlBar& bar, const std::wstring& path, POINT button)
{
    Shown shown;
    OpenFile(player, bar, path);
    if (!WaitFor([&] { return player.VideoWindow() != nullptr; })) return shown;
    // The first picture sizes the video window, over the control bar: off it, then.
    Sleep(1500);
    const HWND video = player.VideoWindow();
    SetWindowPos(video, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    WaitFor([&] { return ScreenRect(video).top == 0; }, 3000);
    if (button.x) Click(PicturePoint(video, button.x, button.y));
    if (!WaitFor([&] { return bar.TitleText().size() > 7; })) return shown;
    Sleep(1000);
    bar.Press(tbPause);
    Sleep(500);
    shown.title = bar.TitleText();
    shown.picture = CaptureClient(RendererWindow(player));
    bar.Press(tbInfo);
    HWND info = nullptr;
    WaitFor([&] {
        for (HWND window : player.TopLevelWindows())
            if (Text(window) == L"Information" && IsWindowVisible(window)) info = window;
        return info != nullptr;
    });
    if (!info) return shown;
    const HWND memo = Children(info, L"Edit").at(0);
    WaitFor([&] { return Text(memo).find(L"Chapters:") != std::wstring::npos; });
    shown.report = Text(memo);
    const RECT okay = ScreenRect(ChildWithText(info, L"Button", L"Okay"));
    Click({(okay.left + okay.right) / 2, (okay.top + okay.bottom) / 2});
    WaitFor([&] { return !IsWindowVisible(info); });
    bar.Press(tbPlay);
    PickLastChapter(bar);
    Sleep(1000);
    shown.lastChapter = bar.ChapterText();
    return shown;
}

// The report without its current chapter: where the pause lands depends on timing, and the
// short chapters of some discs pass within it.
std::wstring Steady(const std::wstring& report)
{
    const size_t line = report.find(L"Current chapter:");
    if (line == std::wstring::npos) return report;
    const size_t end = report.find(L"\r\n", line);
    return report.substr(0, line) + (end == std::wstring::npos ? L"" : report.substr(end + 2));
}

// Mean difference of the two pictures' bytes: frames a few apart differ a little, other
// pictures much.
double Difference(const Capture& a, const Capture& b)
{
    double sum = 0;
    for (size_t i = 0; i < a.bgra.size(); ++i) sum += std::abs(a.bgra[i] - b.bgra[i]);
    return sum / static_cast<double>(a.bgra.size());
}

double Brightness(const Capture& c)
{
    double sum = 0;
    for (unsigned char byte : c.bgra) sum += byte;
    return sum / static_cast<double>(c.bgra.size());
}

struct Disc {
    const wchar_t* name;
    POINT button; // of its first menu, leading to a title; none when it starts in one
};

class ImageAsFolder : public testing::TestWithParam<Disc> {};

} // namespace

TEST_P(ImageAsFolder, SameReportLabelsChaptersAndPicture)
{
    const Disc& disc = GetParam();
    Player player;
    ASSERT_TRUE(WaitFor([&] { return player.MainWindow() != nullptr; }));
    ControlBar bar(player);
    const std::wstring discs = EnvPath("LUMADISC_DISCS") + L"\\";
    const Shown folder = Show(player, bar, discs + disc.name + L"\\VIDEO_TS\\VIDEO_TS.IFO", disc.button);
    const Shown image = Show(player, bar, discs + L"images\\" + disc.name + L".iso", disc.button);
    ASSERT_FALSE(folder.report.empty());
    EXPECT_EQ(Steady(image.report), Steady(folder.report));
    EXPECT_EQ(image.title, folder.title);
    EXPECT_EQ(image.lastChapter, folder.lastChapter);
    ASSERT_EQ(image.picture.width, folder.picture.width);
    ASSERT_EQ(image.picture.height, folder.picture.height);
    EXPECT_GT(Brightness(folder.picture), 8.0);
    EXPECT_LT(Difference(image.picture, folder.picture), 12.0);
    std::printf("%ls: %ls, %ls, picture %dx%d differs by %.1f\n", disc.name, folder.title.c_str(),
                folder.lastChapter.c_str(), folder.picture.width, folder.picture.height,
                Difference(image.picture, folder.picture));
    EXPECT_TRUE(player.Close());
}

INSTANTIATE_TEST_SUITE_P(Discs, ImageAsFolder,
                         testing::Values(Disc{L"sample", {360, 230}}, Disc{L"slideshow", {570, 200}},
                                         Disc{L"commands", {360, 310}}, Disc{L"chapters300", {}},
                                         Disc{L"angles", {}}, Disc{L"sizes", {}}),
                         [](const auto& info) {
                             std::string name;
                             for (const wchar_t* c = info.param.name; *c; ++c) name += static_cast<char>(*c);
                             return name;
                         });
