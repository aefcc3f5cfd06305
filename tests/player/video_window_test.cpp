#include <gtest/gtest.h>

#include <stdexcept>

#include "support/DialogRecorder.h"
#include "support/MessagePump.h"
#include "support/ScriptedDvd.h"
#include "ui/Form.h"
#include "ui/Menu.h"
#include "video/VideoWindow.h"

namespace {

// Wine's standard renderer draws into a window of this class (Windows names it "VideoRenderer").
// Searches the windows of this process, or only the children of `parent`.
HWND FindRendererWindow(HWND parent = nullptr)
{
    struct Search {
        HWND found = nullptr;
        static BOOL CALLBACK Visit(HWND window, LPARAM data)
        {
            auto& search = *reinterpret_cast<Search*>(data);
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            if (process != GetCurrentProcessId()) return TRUE;
            wchar_t name[64] = {};
            GetClassNameW(window, name, 64);
            if (std::wstring(name) == L"wine_quartz_window") search.found = window;
            if (!search.found) EnumChildWindows(window, Visit, data);
            return search.found ? FALSE : TRUE;
        }
    } search;
    if (parent)
        EnumChildWindows(parent, Search::Visit, reinterpret_cast<LPARAM>(&search));
    else
        EnumWindows(Search::Visit, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// A window rectangle in screen coordinates, comparable and printable in assertions.
struct Rect {
    LONG left, top, right, bottom;
    bool operator==(const Rect&) const = default;
    friend void PrintTo(const Rect& rect, std::ostream* out)
    {
        *out << "(" << rect.left << "," << rect.top << ")-(" << rect.right << "," << rect.bottom << ")";
    }
};

Rect ScreenRect(HWND window)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    return {rect.left, rect.top, rect.right, rect.bottom};
}

Rect PrimaryScreen() { return {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)}; }

ui::FormDesign HostDesign()
{
    ui::FormDesign design;
    design.caption = L"Host";
    design.left = 100;
    design.top = 80;
    design.clientWidth = 400;
    design.clientHeight = 300;
    return design;
}

// The control on a shown form, bound to a plain graph that holds the platform's real standard
// renderer once active (needs a display).
class VideoWindowOnRenderer : public ::testing::Test {
protected:
    void SetUp() override
    {
        host.Show();
        video.SetFilterGraph(&graph);
        savedStyle = GetWindowLongW(video.Handle(), GWL_STYLE);
    }
    void TearDown() override { video.SetFilterGraph(nullptr); }

    // Activation and play: the renderer window is placed and drained to the control.
    HWND Play()
    {
        graph.SetActive(true);
        graph.PlayGraph();
        testsupport::PumpMessages();
        return FindRendererWindow();
    }

    testsupport::DialogRecorder dialogs;
    graph::TFilterGraph graph;
    ui::Form host{HostDesign()};
    TVideoWindow video{host, {10, 20, 320, 240}};
    LONG savedStyle = 0;
};

}  // namespace

TEST_F(VideoWindowOnRenderer, WindowedRendererLiesOverTheControlAndFollowsResizes)
{
    const HWND renderer = Play();
    ASSERT_TRUE(renderer);

    EXPECT_EQ(GetParent(renderer), host.Handle());
    EXPECT_EQ(ScreenRect(renderer), ScreenRect(video.Handle()));
    EXPECT_EQ(GetWindowLongW(renderer, GWL_STYLE), savedStyle | WS_CHILD | WS_CLIPSIBLINGS);

    video.SetBounds(30, 40, 200, 150);
    EXPECT_EQ(ScreenRect(renderer), ScreenRect(video.Handle()));
}

TEST_F(VideoWindowOnRenderer, FullScreenCoversThePrimaryScreenWithStylesFromTheSavedWords)
{
    const HWND renderer = Play();
    ASSERT_TRUE(renderer);
    const Rect form = ScreenRect(host.Handle());
    // Styles the renderer window picked up meanwhile must not survive a round trip.
    SetWindowLongW(renderer, GWL_STYLE, GetWindowLongW(renderer, GWL_STYLE) | WS_CAPTION | WS_THICKFRAME);

    video.SetFullScreen(true);
    EXPECT_TRUE(video.FullScreen());
    EXPECT_EQ(ScreenRect(renderer), PrimaryScreen());
    EXPECT_EQ(GetAncestor(renderer, GA_PARENT), GetDesktopWindow());
    EXPECT_EQ(GetWindowLongW(renderer, GWL_STYLE), savedStyle & ~(WS_CAPTION | WS_THICKFRAME));
    EXPECT_EQ(GetWindowLongW(renderer, GWL_EXSTYLE) & (WS_EX_STATICEDGE | WS_EX_CLIENTEDGE | WS_EX_WINDOWEDGE), 0);
    EXPECT_EQ(ScreenRect(host.Handle()), form);  // only the renderer window leaves the form

    video.SetFullScreen(false);
    EXPECT_FALSE(video.FullScreen());
    EXPECT_EQ(GetParent(renderer), host.Handle());
    EXPECT_EQ(ScreenRect(renderer), ScreenRect(video.Handle()));
    EXPECT_EQ(GetWindowLongW(renderer, GWL_STYLE), savedStyle | WS_CHILD | WS_CLIPSIBLINGS);
}

TEST_F(VideoWindowOnRenderer, FullScreenChosenBeforePlayOnlyRecordsAndOpensThePictureFullScreen)
{
    video.SetFullScreen(true);
    EXPECT_TRUE(video.FullScreen());
    EXPECT_FALSE(FindRendererWindow());

    const HWND renderer = Play();
    ASSERT_TRUE(renderer);
    EXPECT_EQ(ScreenRect(renderer), PrimaryScreen());
}

TEST_F(VideoWindowOnRenderer, ResizeInFullScreenLeavesThePictureAndLeavingUsesTheNewBounds)
{
    const HWND renderer = Play();
    ASSERT_TRUE(renderer);
    video.SetFullScreen(true);

    video.SetBounds(50, 60, 120, 90);
    EXPECT_EQ(ScreenRect(renderer), PrimaryScreen());

    video.SetFullScreen(false);
    EXPECT_EQ(ScreenRect(renderer), ScreenRect(video.Handle()));
    EXPECT_EQ(ScreenRect(renderer).right - ScreenRect(renderer).left, 120);
}

TEST_F(VideoWindowOnRenderer, TopMostChoiceWhileWindowedIsOnlyStored)
{
    const HWND renderer = Play();
    ASSERT_TRUE(renderer);

    video.SetFullScreenTopMost(true);
    EXPECT_TRUE(video.FullScreenTopMost());
    EXPECT_FALSE(video.FullScreen());
    EXPECT_EQ(GetParent(renderer), host.Handle());

    video.SetFullScreen(true);
    video.SetFullScreenTopMost(false);
    EXPECT_TRUE(video.FullScreen());
    EXPECT_EQ(ScreenRect(renderer), PrimaryScreen());
}

TEST_F(VideoWindowOnRenderer, InputOnThePictureReachesTheControl)
{
    const HWND renderer = Play();
    ASSERT_TRUE(renderer);
    POINT down = {-1, -1};
    WORD key = 0;
    wchar_t typed = 0;
    video.OnMouseDown = [&](ui::MouseButton, ui::ShiftState, int x, int y) { down = {x, y}; };
    video.OnKeyDown = [&](WORD& pressed, ui::ShiftState) { key = pressed; };
    video.OnKeyPress = [&](wchar_t& ch) { typed = ch; };

    SendMessageW(renderer, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 6));
    SendMessageW(renderer, WM_LBUTTONUP, 0, MAKELPARAM(5, 6));
    SendMessageW(renderer, WM_KEYDOWN, VK_SPACE, 0);
    SendMessageW(renderer, WM_CHAR, L' ', 0);
    testsupport::PumpMessages();

    EXPECT_EQ(down.x, 5);  // the renderer lies over the control: client coordinates
    EXPECT_EQ(down.y, 6);
    EXPECT_EQ(key, VK_SPACE);
    EXPECT_EQ(typed, L' ');
}

TEST_F(VideoWindowOnRenderer, MouseInFullScreenReportsScreenCoordinates)
{
    const HWND renderer = Play();
    ASSERT_TRUE(renderer);
    video.SetFullScreen(true);
    POINT moved = {-1, -1};
    video.OnMouseMove = [&](ui::ShiftState, int x, int y) { moved = {x, y}; };
    SetCursorPos(300, 200);
    POINT cursor = {};
    GetCursorPos(&cursor);

    SendMessageW(renderer, WM_MOUSEMOVE, 0, MAKELPARAM(7, 8));
    testsupport::PumpMessages();

    EXPECT_EQ(moved.x, cursor.x);
    EXPECT_EQ(moved.y, cursor.y);
}

TEST_F(VideoWindowOnRenderer, ContextRequestInFullScreenPopsTheMenuUpAtTheCursor)
{
    ui::PopupMenu menu;
    menu.Items().Add(L"Toggle fullscreen");
    video.ContextMenu = &menu;
    SetCursorPos(400, 300);
    POINT cursor = {};
    GetCursorPos(&cursor);

    // Windowed: the toolkit's ordinary path, at the point the request names.
    EXPECT_EQ(SendMessageW(video.Handle(), WM_CONTEXTMENU, 0, MAKELPARAM(20, 30)), 0);
    ASSERT_EQ(dialogs.popups.size(), 1u);
    EXPECT_EQ(dialogs.popups[0].screen.x, 20);

    video.SetFullScreen(true);
    EXPECT_EQ(SendMessageW(video.Handle(), WM_CONTEXTMENU, 0, MAKELPARAM(20, 30)), 1);
    ASSERT_EQ(dialogs.popups.size(), 2u);
    EXPECT_EQ(dialogs.popups[1].screen.x, cursor.x);
    EXPECT_EQ(dialogs.popups[1].screen.y, cursor.y);

    menu.AutoPopup = false;
    SendMessageW(video.Handle(), WM_CONTEXTMENU, 0, MAKELPARAM(20, 30));
    EXPECT_EQ(dialogs.popups.size(), 2u);
    video.ContextMenu = nullptr;
}

// The pointer's look follows the renderer's window, known by its handle: a window that only
// carries the same caption is not the picture.
TEST_F(VideoWindowOnRenderer, PointerFollowsTheRendererWindowByHandle)
{
    const HWND renderer = Play();
    ASSERT_TRUE(renderer);
    video.SetCursor(nullptr);
    const HWND impostor = CreateWindowExW(0, L"STATIC", TVideoWindow::ComponentName, WS_POPUP, 0, 0, 10, 10, nullptr,
                                          nullptr, GetModuleHandleW(nullptr), nullptr);
    const auto takes = [&](HWND window) {
        return SendMessageW(video.Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(window),
                            MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)) == TRUE;
    };
    EXPECT_TRUE(takes(renderer));
    EXPECT_FALSE(takes(impostor));
    DestroyWindow(impostor);
}

TEST_F(VideoWindowOnRenderer, VisibilityReachesTheRendererWindow)
{
    const HWND renderer = Play();
    ASSERT_TRUE(renderer);

    video.SetVisible(false);
    EXPECT_FALSE(IsWindowVisible(renderer));
    video.SetVisible(true);
    EXPECT_TRUE(IsWindowVisible(renderer));
}

TEST_F(VideoWindowOnRenderer, DeactivationLetsTheRendererGoAndKeepsFullScreen)
{
    ASSERT_TRUE(Play());
    video.SetFullScreen(true);

    graph.StopGraph();
    graph.SetActive(false);

    EXPECT_FALSE(video.GetFilter());
    EXPECT_FALSE(FindRendererWindow());
    EXPECT_TRUE(video.FullScreen());
    EXPECT_NE(GetObjectType(video.VideoHandle()), 0u);  // the control's own device context
}

TEST_F(VideoWindowOnRenderer, RebindingMovesTheRendererToTheNewGraph)
{
    graph.SetActive(true);
    graph::TFilterGraph other;
    other.SetActive(true);
    ComPtr<IBaseFilter> found;

    video.SetFilterGraph(&graph);  // the same component: nothing happens
    EXPECT_EQ(graph.Get<IGraphBuilder>()->FindFilterByName(L"VideoWindow", &found), S_OK);

    video.SetFilterGraph(&other);
    EXPECT_NE(graph.Get<IGraphBuilder>()->FindFilterByName(L"VideoWindow", &found), S_OK);
    EXPECT_EQ(other.Get<IGraphBuilder>()->FindFilterByName(L"VideoWindow", &found), S_OK);

    video.SetFilterGraph(nullptr);
    EXPECT_NE(other.Get<IGraphBuilder>()->FindFilterByName(L"VideoWindow", &found), S_OK);
    EXPECT_FALSE(video.GetFilter());
}

TEST_F(VideoWindowOnRenderer, RenderlessMixingModeCannotStart)
{
    video.SetMode(vmVMR);
    ASSERT_EQ(video.Mode(), vmVMR);  // the platform has the mixing renderer
    video.VMROptions().SetMode(vmrRenderless);

    try {
        graph.SetActive(true);
        FAIL() << "activation went through";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "Allocator class not set.");
    }
    EXPECT_FALSE(video.GetFilter());
}

TEST(VMROptions, StreamCountOutsideOneToSixteenBecomesOne)
{
    ui::Form host{HostDesign()};
    TVideoWindow video{host};
    video.VMROptions().SetStreams(0);
    EXPECT_EQ(video.VMROptions().Streams(), 1u);
    video.VMROptions().SetStreams(17);
    EXPECT_EQ(video.VMROptions().Streams(), 1u);
    video.VMROptions().SetStreams(16);
    EXPECT_EQ(video.VMROptions().Streams(), 16u);
}

namespace {

// The DVD graph builder may bring standard renderers of its own; the control takes over the
// first one when its own renderer did not end up in the graph.
class VideoWindowOnDvdGraph : public ::testing::Test {
protected:
    void SetUp() override
    {
        host.Show();
        graph.SetMode(graph::gmDVD);
        video.SetFilterGraph(&graph);
        dvd.script.videoRenderers = 2;
        graph.SetActive(true);
    }
    void TearDown() override { video.SetFilterGraph(nullptr); }

    ComPtr<IBaseFilter> FirstStandardRenderer()
    {
        ComPtr<IEnumFilters> filters;
        dvd.Graph()->EnumFilters(&filters);
        ComPtr<IBaseFilter> filter;
        while (filters->Next(1, filter.ReleaseAndGetAddressOf(), nullptr) == S_OK) {
            CLSID classId = GUID_NULL;
            filter->GetClassID(&classId);
            if (classId == CLSID_VideoRenderer) return filter;
        }
        return nullptr;
    }

    void Render()
    {
        AM_DVD_RENDERSTATUS status = {};
        ASSERT_EQ(graph.RenderDVD(status, L"", AM_DVD_HWDEC_PREFER), S_OK);
    }

    testsupport::ScriptedDvd dvd;
    testsupport::DialogRecorder dialogs;
    graph::TFilterGraph graph;
    ui::Form host{HostDesign()};
    TVideoWindow video{host, {0, 0, 320, 240}};
};

}  // namespace

TEST_F(VideoWindowOnDvdGraph, OwnRendererInTheGraphIsKept)
{
    const ComPtr<IBaseFilter> own = video.GetFilter();
    ASSERT_TRUE(own);

    Render();

    EXPECT_EQ(video.GetFilter(), own);
}

TEST_F(VideoWindowOnDvdGraph, RendererLeftOutOfTheGraphIsReplacedByTheFirstStandardOne)
{
    const ComPtr<IBaseFilter> own = video.GetFilter();
    ASSERT_TRUE(own);
    dvd.Graph()->RemoveFilter(own.Get());

    Render();

    const ComPtr<IBaseFilter> first = FirstStandardRenderer();
    ASSERT_TRUE(first);
    EXPECT_EQ(video.GetFilter(), first);
    graph.PlayGraph();  // the adopted renderer's window is the one placed and drained
    testsupport::PumpMessages();
    EXPECT_EQ(ScreenRect(FindRendererWindow(host.Handle())), ScreenRect(video.Handle()));
}
