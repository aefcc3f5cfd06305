// The navigator playing the authored test discs, as the DirectShow side drives it.
#include "core/Navigator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "support/TestDiscs.h"

namespace {

using namespace nav;

constexpr double Frame = 1.0 / 25;

std::int64_t hmsf(int h, int m, int s, int f = 0)
{
    return h | m << 8 | s << 16 | static_cast<std::int64_t>(f) << 24;
}

// Where an event is in the list, or -1.
int find(const std::vector<Event>& events, std::uint32_t code, std::int64_t param1)
{
    auto it = std::find_if(events.begin(), events.end(),
        [&](const Event& e) { return e.code == code && e.param1 == param1; });
    return it == events.end() ? -1 : static_cast<int>(it - events.begin());
}

// Whether a time event names this whole second, whatever its frames.
bool hasSecond(const std::vector<Event>& events, int second)
{
    return std::any_of(events.begin(), events.end(), [&](const Event& e) {
        return e.code == event::CurrentHmsfTime &&
            (e.param1 & 0xFFFFFF) == hmsf(0, second / 60, second % 60);
    });
}

int count(const std::vector<Event>& events, std::uint32_t code)
{
    return static_cast<int>(std::count_if(
        events.begin(), events.end(), [&](const Event& e) { return e.code == code; }));
}

class SampleDisc : public ::testing::Test {
protected:
    void SetUp() override
    {
        OpenResult opened = Navigator::open((navtest::testDiscs() / "sample").string());
        ASSERT_TRUE(opened.navigator) << opened.error;
        nav = std::move(opened.navigator);
        nav->setHmsfTimeEvents(true);
    }

    // First play, then the title menu's first button: title 1 from its start.
    void playTitleOne()
    {
        nav->start();
        ASSERT_EQ(nav->activateButton(), Status::Ok);
        ASSERT_EQ(nav->location().title, 1);
        nav->takeEvents();
    }

    void play(double seconds)
    {
        for (double t = 0; t < seconds - Frame / 2; t += Frame) nav->advance(Frame);
    }

    std::unique_ptr<Navigator> nav;
};

TEST_F(SampleDisc, FirstPlayShowsTheTitleMenuAsAStillWithButtons)
{
    nav->start();
    EXPECT_EQ(nav->domain(), Domain::VideoManagerMenu);
    std::vector<Event> events = nav->takeEvents();
    ASSERT_GE(events.size(), 3u);
    EXPECT_EQ(events[0], (Event{event::DomainChange, 1, 0}));
    EXPECT_EQ(events[1], (Event{event::DomainChange, 2, 0}));
    EXPECT_NE(find(events, event::ButtonChange, 2), -1);

    std::vector<Button> buttons = nav->buttons();
    ASSERT_EQ(buttons.size(), 2u);
    EXPECT_EQ(buttons[0].rect, (Rect{116, 196, 605, 265}));
    EXPECT_EQ(buttons[1].rect, (Rect{116, 316, 605, 385}));
    EXPECT_EQ(nav->currentButton(), 1);

    play(2);
    events = nav->takeEvents();
    EXPECT_NE(find(events, event::StillOn, 0), -1) << "a still with buttons";
    EXPECT_EQ(events.back().param2, InfiniteStillSeconds);
    EXPECT_TRUE(nav->frame().still);
    EXPECT_EQ(count(events, event::CurrentHmsfTime), 0) << "no title time in a menu";

    play(30);
    EXPECT_EQ(nav->domain(), Domain::VideoManagerMenu) << "an infinite still waits for the user";
}

TEST_F(SampleDisc, ActivatingAMenuButtonPlaysTheTitleItNames)
{
    nav->start();
    play(2);
    nav->takeEvents();
    ASSERT_EQ(nav->activateAtPosition(300, 220), Status::Ok);
    std::vector<Event> events = nav->takeEvents();

    int stillOff = find(events, event::StillOff, 0);
    int domain = find(events, event::DomainChange, 4);
    int title = find(events, event::TitleChange, 1);
    int chapter = find(events, event::ChapterStart, 1);
    int time = find(events, event::CurrentHmsfTime, hmsf(0, 0, 0));
    ASSERT_NE(stillOff, -1);
    ASSERT_NE(time, -1);
    EXPECT_LT(stillOff, domain);
    EXPECT_LT(domain, title);
    EXPECT_LT(title, chapter);
    EXPECT_LT(chapter, time);
    EXPECT_EQ(events[time].param2, Fps25);
    EXPECT_NE(find(events, event::ButtonChange, 0), -1) << "the menu's buttons are gone";

    Location l = nav->location();
    EXPECT_EQ(l.title, 1);
    EXPECT_EQ(l.chapter, 1);
    EXPECT_EQ(nav->domain(), Domain::Title);
    EXPECT_FALSE(nav->frame().still);
    EXPECT_EQ(nav->activateButton(), Status::NoSuchButton);
}

TEST_F(SampleDisc, TheSecondButtonReachesTheWideTitleSet)
{
    nav->start();
    ASSERT_EQ(nav->selectRelativeButton(Direction::Down), Status::Ok);
    EXPECT_EQ(nav->currentButton(), 2);
    EXPECT_NE(find(nav->takeEvents(), event::ButtonChange, 2), -1);
    ASSERT_EQ(nav->activateButton(), Status::Ok);
    EXPECT_EQ(nav->location().title, 2);
    VideoInfo video = nav->videoAttributes();
    EXPECT_EQ(video.aspectX, 16);
    EXPECT_EQ(video.aspectY, 9);
    EXPECT_EQ(video.sourceWidth, 720);
    EXPECT_EQ(video.sourceHeight, 576);
    EXPECT_EQ(video.frameRate, 50);
    EXPECT_EQ(nav->audioLanguage(0), 0x0407u);
    EXPECT_EQ(nav->audioAttributes(0).coding, AudioCoding::Mpeg1);
}

TEST_F(SampleDisc, ButtonsAreChosenByPositionAndDirection)
{
    nav->start();
    EXPECT_EQ(nav->selectAtPosition(10, 10), Status::NoSuchButton);
    EXPECT_EQ(nav->selectAtPosition(400, 350), Status::Ok);
    EXPECT_EQ(nav->currentButton(), 2);
    EXPECT_EQ(nav->selectRelativeButton(Direction::Up), Status::Ok);
    EXPECT_EQ(nav->currentButton(), 1);
    EXPECT_EQ(nav->selectRelativeButton(Direction::Left), Status::Ok) << "no neighbour: stays";
    EXPECT_EQ(nav->currentButton(), 1);
    EXPECT_EQ(nav->selectButton(3), Status::InvalidArgument);
    EXPECT_EQ(nav->selectButton(2), Status::Ok);
    FrameInfo frame = nav->frame();
    EXPECT_EQ(frame.selectedButton, 2);
    EXPECT_EQ(frame.buttons.size(), 2u);
    EXPECT_EQ(nav->domain(), Domain::VideoManagerMenu);
}

TEST_F(SampleDisc, TimeEventsComeOncePerSecondAndChaptersAtTheirMarks)
{
    playTitleOne();
    play(9);
    std::vector<Event> events = nav->takeEvents();
    std::vector<std::int64_t> seconds;
    for (const Event& e : events) {
        if (e.code == event::CurrentHmsfTime) seconds.push_back(e.param1);
    }
    std::vector<std::int64_t> expected;
    for (int s = 1; s <= 9; ++s) expected.push_back(hmsf(0, 0, s));
    EXPECT_EQ(seconds, expected);
    int chapter = find(events, event::ChapterStart, 2);
    ASSERT_NE(chapter, -1);
    ASSERT_LT(chapter + 1, static_cast<int>(events.size()));
    EXPECT_EQ(events[chapter + 1].param1, hmsf(0, 0, 8)) << "the chapter starts at 8 s";
    EXPECT_EQ(nav->location().chapter, 2);
    Timecode total = nav->totalTitleTime();
    EXPECT_EQ(total.time, (Hmsf{0, 0, 32, 0}));
    EXPECT_EQ(total.flags, Fps25);

    nav->setHmsfTimeEvents(false);
    play(2);
    EXPECT_EQ(count(nav->takeEvents(), event::CurrentHmsfTime), 0);
}

TEST_F(SampleDisc, TheTitleEndsInItsPostCommandsAndTheMenuCanResumeIt)
{
    playTitleOne();
    play(33);
    EXPECT_EQ(nav->domain(), Domain::VideoManagerMenu);
    std::vector<Event> events = nav->takeEvents();
    EXPECT_NE(find(events, event::ChapterStart, 4), -1);
    EXPECT_NE(find(events, event::DomainChange, 2), -1);
    EXPECT_EQ(find(events, event::PlaybackStopped, 0), -1);
}

TEST_F(SampleDisc, ChapterStepsRunOnAcrossTitles)
{
    playTitleOne();
    EXPECT_EQ(nav->playPrevChapter(), Status::Ok);
    EXPECT_EQ(nav->location().chapter, 1);
    EXPECT_NE(find(nav->takeEvents(), event::ChapterStart, 1), -1) << "the chapter starts again";

    for (int c = 2; c <= 4; ++c) {
        ASSERT_EQ(nav->playNextChapter(), Status::Ok);
        EXPECT_EQ(nav->location().chapter, c);
        std::vector<Event> events = nav->takeEvents();
        EXPECT_NE(find(events, event::ChapterStart, c), -1);
        EXPECT_NE(find(events, event::CurrentHmsfTime, hmsf(0, 0, 8 * (c - 1))), -1);
    }
    ASSERT_EQ(nav->playNextChapter(), Status::Ok);
    EXPECT_EQ(nav->location().title, 2);
    EXPECT_EQ(nav->location().chapter, 1);
    std::vector<Event> events = nav->takeEvents();
    EXPECT_NE(find(events, event::TitleChange, 2), -1);
    EXPECT_NE(find(events, event::ChapterStart, 1), -1);
    EXPECT_EQ(nav->playNextChapter(), Status::NotAvailable) << "the disc's last chapter";

    ASSERT_EQ(nav->playPrevChapter(), Status::Ok);
    EXPECT_EQ(nav->location().title, 1);
    EXPECT_EQ(nav->location().chapter, 4);
    EXPECT_NE(find(nav->takeEvents(), event::TitleChange, 1), -1);

    EXPECT_EQ(nav->playChapter(2), Status::Ok);
    EXPECT_EQ(nav->location().chapter, 2);
    EXPECT_EQ(nav->playChapter(5), Status::InvalidArgument);
    EXPECT_EQ(nav->playChapterInTitle(2, 1), Status::Ok);
    EXPECT_EQ(nav->location().title, 2);
    EXPECT_EQ(nav->playChapterInTitle(3, 1), Status::InvalidArgument);
    EXPECT_EQ(nav->replayChapter(), Status::Ok);
    EXPECT_EQ(nav->playTitle(1), Status::Ok);
    EXPECT_EQ(nav->location().title, 1);
    EXPECT_EQ(nav->playTitle(0), Status::InvalidArgument);
}

TEST_F(SampleDisc, JumpsToATimeInTheTitlePlaying)
{
    playTitleOne();
    ASSERT_EQ(nav->playAtTimeInTitle(0, {0, 0, 17, 0}), Status::Ok);
    Location l = nav->location();
    EXPECT_EQ(l.chapter, 3);
    EXPECT_EQ(l.time.time, (Hmsf{0, 0, 17, 0}));
    std::vector<Event> events = nav->takeEvents();
    EXPECT_NE(find(events, event::ChapterStart, 3), -1);
    EXPECT_NE(find(events, event::CurrentHmsfTime, hmsf(0, 0, 17)), -1);

    play(1);
    EXPECT_EQ(nav->location().time.time.seconds, 18);
    EXPECT_EQ(nav->playAtTime({0, 0, 2, 12}), Status::Ok);
    EXPECT_EQ(nav->location().time.time, (Hmsf{0, 0, 2, 12}));
    EXPECT_EQ(nav->location().chapter, 1);
    EXPECT_EQ(nav->playAtTimeInTitle(0, {0, 0, 32, 0}), Status::InvalidArgument) << "past the end";
    EXPECT_EQ(nav->playAtTimeInTitle(0, {0, 0, 75, 0}), Status::InvalidArgument);
    EXPECT_EQ(nav->playAtTime({0, 0, 2, 25}), Status::InvalidArgument) << "25 frames a second";
    EXPECT_EQ(nav->playAtTimeInTitle(2, {0, 0, 3, 0}), Status::Ok);
    EXPECT_EQ(nav->location().title, 2);
    EXPECT_EQ(nav->location().time.time.seconds, 3);

    nav->start();
    EXPECT_EQ(nav->playAtTimeInTitle(0, {0, 0, 3, 0}), Status::InvalidDomain)
        << "no title plays in a menu";
}

TEST_F(SampleDisc, RatesMoveTheTimeForwardsAndBackwards)
{
    playTitleOne();
    play(10);
    nav->takeEvents();
    ASSERT_EQ(nav->playForwards(2.0), Status::Ok);
    EXPECT_EQ(nav->rate(), 2.0);
    EXPECT_NE(find(nav->takeEvents(), event::PlaybackRateChange, 20000), -1);
    play(1);
    EXPECT_EQ(nav->location().time.time.seconds, 12);

    ASSERT_EQ(nav->playBackwards(4.0), Status::Ok);
    EXPECT_NE(find(nav->takeEvents(), event::PlaybackRateChange, -40000), -1);
    play(1);
    EXPECT_EQ(nav->location().time.time.seconds, 8);
    EXPECT_EQ(nav->location().chapter, 2);
    play(1);
    EXPECT_EQ(nav->location().chapter, 1);
    std::vector<Event> events = nav->takeEvents();
    EXPECT_NE(find(events, event::ChapterStart, 1), -1);
    for (int second = 4; second <= 7; ++second) EXPECT_TRUE(hasSecond(events, second)) << second;

    play(2);
    EXPECT_EQ(nav->rate(), 1.0) << "backward scan stops at the start of the title";
    EXPECT_NE(find(nav->takeEvents(), event::PlaybackRateChange, 10000), -1);
    EXPECT_LT(nav->location().time.time.seconds, 2);

    EXPECT_EQ(nav->playForwards(0), Status::InvalidArgument);
    EXPECT_EQ(nav->playBackwards(-2), Status::InvalidArgument);
    EXPECT_EQ(nav->playForwards(6.0), Status::Ok);
    nav->takeEvents();
    ASSERT_EQ(nav->showMenu(MenuId::Root), Status::Ok);
    EXPECT_EQ(nav->rate(), 1.0) << "a menu plays at normal speed";
    EXPECT_NE(find(nav->takeEvents(), event::PlaybackRateChange, 10000), -1);
}

TEST_F(SampleDisc, StreamChoicesAreCheckedAgainstTheTitle)
{
    playTitleOne();
    AudioState audio = nav->currentAudio();
    EXPECT_EQ(audio.available, 2);
    EXPECT_EQ(audio.current, 0);
    EXPECT_EQ(nav->audioLanguage(0), 0x0409u);
    EXPECT_EQ(nav->audioLanguage(1), 0x040Cu);
    EXPECT_EQ(nav->audioLanguage(2), 0u);
    AudioInfo attributes = nav->audioAttributes(1);
    EXPECT_EQ(attributes.coding, AudioCoding::Ac3);
    EXPECT_EQ(attributes.frequency, 48000);
    EXPECT_EQ(attributes.channels, 2);
    EXPECT_EQ(attributes.language, 0x040Cu);

    ASSERT_EQ(nav->selectAudioStream(1), Status::Ok);
    EXPECT_EQ(nav->currentAudio().current, 1);
    EXPECT_NE(find(nav->takeEvents(), event::AudioStreamChange, 1), -1);
    EXPECT_EQ(nav->selectAudioStream(2), Status::InvalidArgument);
    EXPECT_EQ(nav->selectAudioStream(-1), Status::InvalidArgument);

    SubpictureState sub = nav->currentSubpicture();
    EXPECT_EQ(sub.available, 2);
    EXPECT_TRUE(sub.disabled);
    EXPECT_EQ(nav->subpictureLanguage(0), 0x0409u);
    EXPECT_EQ(nav->subpictureLanguage(1), 0u) << "a stream without language";
    EXPECT_FALSE(nav->subpictureAttributes(1).hasLanguage);
    ASSERT_EQ(nav->selectSubpictureStream(1), Status::Ok);
    sub = nav->currentSubpicture();
    EXPECT_EQ(sub.current, 1);
    EXPECT_FALSE(sub.disabled);
    EXPECT_EQ(nav->takeEvents(), (std::vector<Event>{{event::SubpictureStreamChange, 1, 1}}));
    ASSERT_EQ(nav->setSubpictureState(false), Status::Ok);
    EXPECT_TRUE(nav->currentSubpicture().disabled);
    EXPECT_EQ(nav->selectSubpictureStream(2), Status::InvalidArgument);

    AngleState angle = nav->currentAngle();
    EXPECT_EQ(angle.available, 1);
    EXPECT_EQ(angle.current, 1);
    EXPECT_EQ(nav->selectAngle(2), Status::InvalidArgument);
    EXPECT_EQ(nav->selectAngle(1), Status::Ok);

    VideoInfo video = nav->videoAttributes();
    EXPECT_EQ(video.aspectX, 4);
    EXPECT_EQ(video.aspectY, 3);
}

TEST_F(SampleDisc, StreamsCannotBeChosenInAMenu)
{
    nav->start();
    EXPECT_EQ(nav->selectAudioStream(0), Status::InvalidDomain);
    EXPECT_EQ(nav->selectSubpictureStream(0), Status::InvalidDomain);
    EXPECT_EQ(nav->selectAngle(1), Status::InvalidDomain);
    EXPECT_EQ(nav->playNextChapter(), Status::InvalidDomain);
    EXPECT_EQ(nav->playBackwards(2), Status::InvalidDomain);
}

TEST_F(SampleDisc, MenusAreCalledFromTheTitleAndResumeIt)
{
    playTitleOne();
    play(10);
    ASSERT_EQ(nav->showMenu(MenuId::Root), Status::Ok);
    EXPECT_EQ(nav->domain(), Domain::VideoTitleSetMenu);
    EXPECT_EQ(nav->buttons().size(), 2u);
    EXPECT_EQ(nav->location().title, 0);
    EXPECT_NE(find(nav->takeEvents(), event::DomainChange, 3), -1);
    EXPECT_EQ(nav->showMenu(MenuId::Audio), Status::NotAvailable) << "the disc has no audio menu";

    ASSERT_EQ(nav->resume(), Status::Ok);
    Location l = nav->location();
    EXPECT_EQ(l.title, 1);
    EXPECT_EQ(l.chapter, 2);
    EXPECT_EQ(l.time.time.seconds, 10);
    std::vector<Event> events = nav->takeEvents();
    EXPECT_NE(find(events, event::DomainChange, 4), -1);
    EXPECT_NE(find(events, event::TitleChange, 1), -1) << "the player refreshes what it shows";
    EXPECT_EQ(nav->resume(), Status::InvalidDomain) << "already in the title";

    ASSERT_EQ(nav->showMenu(MenuId::Title), Status::Ok);
    EXPECT_EQ(nav->domain(), Domain::VideoManagerMenu);
    EXPECT_EQ(nav->returnFromSubmenu(), Status::NotAvailable);
    ASSERT_EQ(nav->resume(), Status::Ok);
    EXPECT_EQ(nav->location().time.time.seconds, 10);
}

TEST_F(SampleDisc, TheRootMenuButtonJumpsToItsChapter)
{
    playTitleOne();
    ASSERT_EQ(nav->showMenu(MenuId::Root), Status::Ok);
    ASSERT_EQ(nav->activateButton(), Status::Ok);
    EXPECT_EQ(nav->location().title, 1);
    EXPECT_EQ(nav->location().chapter, 3);
    EXPECT_EQ(nav->location().time.time.seconds, 16);
    EXPECT_EQ(nav->resume(), Status::InvalidDomain);
}

TEST_F(SampleDisc, ATitleSetWithoutMenusRefusesThem)
{
    nav->start();
    ASSERT_EQ(nav->playTitle(2), Status::Ok);
    EXPECT_EQ(nav->showMenu(MenuId::Root), Status::NotAvailable);
    EXPECT_EQ(nav->showMenu(MenuId::Chapter), Status::NotAvailable);
    EXPECT_EQ(nav->domain(), Domain::Title);
}

TEST_F(SampleDisc, StopEndsPlaybackUntilTheNextStart)
{
    playTitleOne();
    nav->stop();
    EXPECT_EQ(nav->domain(), Domain::Stop);
    EXPECT_EQ(nav->takeEvents(),
        (std::vector<Event>{{event::DomainChange, 5, 0}, {event::PlaybackStopped, 0, 0}}));
    EXPECT_EQ(nav->showMenu(MenuId::Root), Status::InvalidDomain);
    EXPECT_EQ(nav->playNextChapter(), Status::InvalidDomain);
    EXPECT_EQ(nav->location().title, 0);
    nav->advance(1);
    EXPECT_TRUE(nav->takeEvents().empty());

    nav->start();
    EXPECT_EQ(nav->domain(), Domain::VideoManagerMenu);
    EXPECT_EQ(nav->numberOfTitles(), 2);
    EXPECT_EQ(nav->numberOfChapters(1), 4);
    EXPECT_EQ(nav->numberOfChapters(2), 1);
    EXPECT_EQ(nav->numberOfChapters(3), 0);
}

TEST(Navigator, OpensAVolumeByAnyOfItsPaths)
{
    std::filesystem::path root = navtest::testDiscs() / "sample";
    for (std::filesystem::path p : {root, root / "VIDEO_TS", root / "VIDEO_TS" / "VIDEO_TS.IFO"}) {
        OpenResult opened = Navigator::open(p.string());
        ASSERT_TRUE(opened.navigator) << p << ": " << opened.error;
        EXPECT_EQ(opened.navigator->numberOfTitles(), 2);
        EXPECT_EQ(opened.navigator->domain(), Domain::Stop) << "nothing plays before start";
    }
    navtest::TempFolder empty;
    OpenResult none = Navigator::open(empty.path().string());
    EXPECT_FALSE(none.navigator);
    EXPECT_FALSE(none.error.empty());
}

TEST(Navigator, StepsThroughThreeHundredChapters)
{
    OpenResult opened = Navigator::open((navtest::testDiscs() / "chapters300").string());
    ASSERT_TRUE(opened.navigator) << opened.error;
    Navigator& nav = *opened.navigator;
    nav.setHmsfTimeEvents(true);
    nav.start();
    ASSERT_EQ(nav.location().title, 1);
    ASSERT_EQ(nav.numberOfChapters(1), 300);
    Timecode total = nav.totalTitleTime();
    EXPECT_EQ(total.flags, Fps30);
    nav.takeEvents();

    int lastSecond = 0;
    for (int c = 2; c <= 300; ++c) {
        ASSERT_EQ(nav.playNextChapter(), Status::Ok) << c;
        ASSERT_EQ(nav.location().chapter, c);
        std::vector<Event> events = nav.takeEvents();
        ASSERT_EQ(events.front(), (Event{event::ChapterStart, c, 0}));
        EXPECT_EQ(count(events, event::TitleChange), 0);
        Hmsf t = nav.location().time.time;
        int second = t.minutes * 60 + t.seconds;
        EXPECT_GE(second, lastSecond) << "title time runs on across the title's program chains";
        lastSecond = second;
    }
    EXPECT_EQ(nav.totalTitleTime().time, total.time) << "one length for the whole title";
    EXPECT_EQ(nav.playNextChapter(), Status::NotAvailable);
    for (int c = 299; c >= 295; --c) {
        ASSERT_EQ(nav.playPrevChapter(), Status::Ok);
        EXPECT_EQ(nav.location().chapter, c);
    }
    ASSERT_EQ(nav.playChapter(300), Status::Ok);
    Hmsf last = nav.location().time.time;
    ASSERT_EQ(nav.playChapter(1), Status::Ok);
    ASSERT_EQ(nav.playAtTime(last), Status::Ok);
    EXPECT_EQ(nav.location().chapter, 300);
    EXPECT_EQ(nav.location().time.time, last);
}

}  // namespace
