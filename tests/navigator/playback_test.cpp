// Corner cases of playback on discs built in memory: stills, prohibited operations, angle
// blocks, buttons, resume points, command loops and chain order.
#include "core/Navigator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "core/Ifo.h"
#include "support/DiscWriter.h"
#include "support/NavPackWriter.h"

namespace {

using namespace nav;
using navtest::ButtonLayout;
using navtest::sequentialPgc;

constexpr double Frame = 1.0 / 25;

const Command JumpTitle2{0x30, 0x02, 0, 0, 0, 0x02, 0, 0};
const Command CallRootResumeAtCell2{0x30, 0x08, 0, 0, 0x02, 0x83, 0, 0};
const Command ResumeLink{0x20, 0x01, 0, 0, 0, 0, 0, 0x10};

int find(const std::vector<Event>& events, std::uint32_t code, std::int64_t param1)
{
    auto it = std::find_if(events.begin(), events.end(),
        [&](const Event& e) { return e.code == code && e.param1 == param1; });
    return it == events.end() ? -1 : static_cast<int>(it - events.begin());
}

std::vector<std::int64_t> params(const std::vector<Event>& events, std::uint32_t code)
{
    std::vector<std::int64_t> found;
    for (const Event& e : events) {
        if (e.code == code) found.push_back(e.param1);
    }
    return found;
}

double seconds(const Location& l)
{
    return l.time.time.minutes * 60 + l.time.time.seconds + l.time.time.frames * Frame;
}

// A disc of title sets made of the given chains; no first-play chain unless a test adds one.
struct TestDisc {
    explicit TestDisc(std::vector<Pgc> titles, std::vector<Pgc> secondSet = {})
    {
        std::vector<TitleSet> sets{navtest::titleSetOf(1, std::move(titles))};
        if (!secondSet.empty()) sets.push_back(navtest::titleSetOf(2, std::move(secondSet)));
        disc = navtest::discOf(std::move(sets));
    }

    // A root menu for title set 1: one cell with an infinite still showing these buttons.
    void addRootMenu(const std::vector<ButtonLayout>& buttons)
    {
        Pgc root = sequentialPgc({1});
        root.cells[0].stillTime = InfiniteStill;
        MenuLanguageUnit unit{"en", 0, menuflag::Root, {}};
        unit.pgcs.pgcs = {{true, 0, 3, 0, std::make_shared<const Pgc>(root)}};
        disc.titleSets[0].menus = {unit};
        sectors.put(1, VobSet::Menu, 0, navtest::navPackSector(buttons));
    }

    std::unique_ptr<Navigator> start()
    {
        auto n = Navigator::create(disc, sectors.reader());
        n->setHmsfTimeEvents(true);
        n->start();
        return n;
    }

    Disc disc;
    navtest::SectorStore sectors;
};

// A first-play chain that goes straight to title set 1's root menu.
Pgc rootMenuJump()
{
    Pgc p;
    p.preCommands = {{0x30, 0x06, 0, 0x01, 0x01, 0x83, 0, 0}};  // JumpSS VTSM root
    return p;
}

void play(Navigator& n, double seconds)
{
    for (double t = 0; t < seconds - Frame / 2; t += Frame) n.advance(Frame);
}

TEST(Playback, WithoutFirstPlayTheFirstTitleStarts)
{
    TestDisc d({sequentialPgc({5})});
    auto n = d.start();
    EXPECT_EQ(n->domain(), Domain::Title);
    EXPECT_EQ(n->location().title, 1);
    std::vector<Event> events = n->takeEvents();
    EXPECT_EQ(events.front(), (Event{event::DomainChange, 1, 0}));
    EXPECT_NE(find(events, event::TitleChange, 1), -1);
}

TEST(Playback, AFirstPlayChainThatRunsOutStartsTheFirstTitle)
{
    TestDisc d({sequentialPgc({5})});
    Pgc logo = sequentialPgc({2});
    d.disc.videoManager.firstPlay = std::make_shared<const Pgc>(logo);
    auto n = d.start();
    EXPECT_EQ(n->domain(), Domain::FirstPlay);
    play(*n, 2.2);
    EXPECT_EQ(n->domain(), Domain::Title);
    EXPECT_EQ(n->location().title, 1);
}

TEST(Playback, TheLastChainOfATitleStopsPlayback)
{
    TestDisc d({sequentialPgc({2, 2})});
    auto n = d.start();
    n->takeEvents();
    play(*n, 4.2);
    EXPECT_EQ(n->domain(), Domain::Stop);
    std::vector<Event> events = n->takeEvents();
    EXPECT_NE(find(events, event::ChapterStart, 2), -1);
    EXPECT_NE(find(events, event::PlaybackStopped, 0), -1);
}

TEST(Playback, ACellStillHoldsTheTimeThenTheCellCommandRuns)
{
    Pgc p = sequentialPgc({2, 2, 2});
    p.cells[0].stillTime = 3;
    p.cells[0].commandNumber = 1;
    p.cellCommands = {{0x20, 0x07, 0, 0, 0, 0, 0, 0x03}};  // LinkCN 3
    TestDisc d({p});
    auto n = d.start();
    n->takeEvents();

    play(*n, 2.5);
    EXPECT_TRUE(n->frame().still);
    EXPECT_EQ(n->location().time.time.seconds, 2);
    std::vector<Event> events = n->takeEvents();
    int still = find(events, event::StillOn, 1);
    ASSERT_NE(still, -1) << "a still without buttons";
    EXPECT_EQ(events[still].param2, 3);

    play(*n, 2.4);
    EXPECT_TRUE(n->frame().still);
    play(*n, 0.2);
    EXPECT_FALSE(n->frame().still);
    EXPECT_NE(find(n->takeEvents(), event::StillOff, 0), -1);
    EXPECT_EQ(n->location().chapter, 3) << "the cell command skipped cell 2";
    EXPECT_GE(seconds(n->location()), 4.0);
}

TEST(Playback, AnInfiniteChainStillWaitsForStillOff)
{
    Pgc p = sequentialPgc({1});
    p.stillTime = InfiniteStill;
    p.postCommands = {JumpTitle2};
    TestDisc d({p, sequentialPgc({3})});
    auto n = d.start();
    play(*n, 60);
    EXPECT_TRUE(n->frame().still);
    EXPECT_EQ(n->location().title, 1);
    std::vector<Event> events = n->takeEvents();
    int still = find(events, event::StillOn, 1);
    ASSERT_NE(still, -1);
    EXPECT_EQ(events[still].param2, InfiniteStillSeconds);

    EXPECT_EQ(n->stillOff(), Status::Ok);
    EXPECT_EQ(n->location().title, 2) << "the post-commands ran";
    EXPECT_NE(find(n->takeEvents(), event::StillOff, 0), -1);
    EXPECT_EQ(n->stillOff(), Status::Ok) << "nothing to release";
}

TEST(Playback, ProhibitedUserOperationsAreRefused)
{
    Pgc p = sequentialPgc({4, 4});
    p.prohibitedUops =
        uop::ForwardScan | uop::NextProgramSearch | uop::StillOff | uop::RootMenuCall;
    TestDisc d({p, sequentialPgc({4})});
    d.disc.videoManager.titles[0].playbackType = titletype::TimeSearchProhibited;
    d.addRootMenu({});
    auto n = d.start();
    std::vector<Event> events = n->takeEvents();
    std::uint32_t expected = p.prohibitedUops | uop::TimePlay;
    EXPECT_NE(find(events, event::ValidUopsChange, expected), -1);
    EXPECT_EQ(n->prohibitedUops(), expected);

    EXPECT_EQ(n->playForwards(2.0), Status::Prohibited);
    EXPECT_EQ(n->playForwards(1.0), Status::Ok) << "normal speed is no scan";
    EXPECT_EQ(n->playNextChapter(), Status::Prohibited);
    EXPECT_EQ(n->location().chapter, 1);
    EXPECT_EQ(n->playAtTimeInTitle(0, {0, 0, 5, 0}), Status::Prohibited);
    EXPECT_EQ(n->playAtTimeInTitle(1, {0, 0, 5, 0}), Status::Prohibited);
    EXPECT_EQ(n->stillOff(), Status::Prohibited);
    EXPECT_EQ(n->showMenu(MenuId::Root), Status::Prohibited);
    EXPECT_EQ(n->playBackwards(2.0), Status::Ok);
    EXPECT_EQ(n->playPrevChapter(), Status::Ok);

    // Title 2 has no prohibitions: the mask follows where playback is.
    EXPECT_EQ(n->playTitle(2), Status::Ok);
    EXPECT_EQ(n->prohibitedUops(), 0u);
    EXPECT_NE(find(n->takeEvents(), event::ValidUopsChange, 0), -1);
    EXPECT_EQ(n->playForwards(2.0), Status::Ok);
    EXPECT_EQ(n->playAtTimeInTitle(1, {0, 0, 5, 0}), Status::Prohibited)
        << "title 1 forbids time search";
}

TEST(Playback, TheNavPackOfACellAddsItsOwnProhibitions)
{
    TestDisc d({sequentialPgc({4, 4})});
    Pgc& p = const_cast<Pgc&>(*d.disc.titleSets[0].pgcs.pgcs[0].pgc);
    d.sectors.put(1, VobSet::Title, p.cells[1].firstSector,
        navtest::navPackSector({}, uop::AudioStreamChange));
    auto n = d.start();
    EXPECT_EQ(n->selectAudioStream(0), Status::Ok);
    play(*n, 4.2);
    EXPECT_EQ(n->location().chapter, 2);
    EXPECT_EQ(n->selectAudioStream(0), Status::Prohibited);
    EXPECT_NE(find(n->takeEvents(), event::ValidUopsChange, uop::AudioStreamChange), -1);
}

// Title 1: a 4 s cell, a block of three 6 s angle cells, a 2 s cell.
TestDisc angleDisc()
{
    Pgc p = sequentialPgc({4, 6, 6, 6, 2});
    p.cells[1].blockMode = BlockMode::First;
    p.cells[2].blockMode = BlockMode::Inside;
    p.cells[3].blockMode = BlockMode::Last;
    for (int c = 1; c <= 3; ++c) p.cells[c].blockType = BlockType::Angle;
    p.programs = {1, 5};
    TestDisc d({p});
    d.disc.videoManager.titles[0].angleCount = 3;
    d.disc.titleSets[0].titles[0] = {{1, 1}, {1, 2}};
    return d;
}

TEST(Playback, AnglesSwitchSeamlesslyInsideTheirBlock)
{
    TestDisc d = angleDisc();
    auto n = d.start();
    EXPECT_EQ(n->currentAngle().available, 3);
    EXPECT_NE(find(n->takeEvents(), event::AngleChange, 3), -1);
    EXPECT_EQ(n->selectAngle(4), Status::InvalidArgument);
    EXPECT_EQ(n->selectAngle(0), Status::InvalidArgument);

    play(*n, 5);
    EXPECT_NE(find(n->takeEvents(), event::AnglesAvailable, 1), -1);
    ASSERT_EQ(n->selectAngle(3), Status::Ok);
    EXPECT_EQ(n->currentAngle().current, 3);
    std::vector<Event> events = n->takeEvents();
    int change = find(events, event::AngleChange, 3);
    ASSERT_NE(change, -1);
    EXPECT_EQ(events[change].param2, 3);
    EXPECT_NEAR(seconds(n->location()), 5.0, Frame) << "the other angle at the same time";
    EXPECT_EQ(n->totalTitleTime().time.seconds, 12);

    play(*n, 6);
    EXPECT_NEAR(seconds(n->location()), 11.0, Frame);
    EXPECT_NE(find(n->takeEvents(), event::AnglesAvailable, 0), -1);
    EXPECT_EQ(n->location().chapter, 2);
}

TEST(Playback, ButtonsSelectActivateAndActByThemselves)
{
    const Command toTitle2 = JumpTitle2;
    TestDisc d({sequentialPgc({5}), sequentialPgc({5})});
    d.addRootMenu({
        {{0, 0, 100, 100}, 0, 2, 0, 0, false, {0x56, 0, 0, 0, 0x0C, 0, 0, 0}},  // SetHL_BTNN 3
        {{0, 100, 100, 200}, 1, 3, 0, 0, false, {}},
        {{0, 200, 100, 300}, 2, 0, 0, 0, true, toTitle2},
    });
    auto n = d.start();
    ASSERT_EQ(n->showMenu(MenuId::Root), Status::Ok);
    n->takeEvents();

    EXPECT_EQ(n->activateAtPosition(50, 50), Status::Ok);
    EXPECT_EQ(n->currentButton(), 3) << "the command moved the highlight";
    EXPECT_EQ(n->domain(), Domain::VideoTitleSetMenu) << "selecting by command does not act";
    EXPECT_EQ(n->frame().activatedButton, 1);

    ASSERT_EQ(n->selectButton(2), Status::Ok);
    ASSERT_EQ(n->selectRelativeButton(Direction::Down), Status::Ok);
    std::vector<Event> events = n->takeEvents();
    EXPECT_NE(find(events, event::ButtonAutoActivated, 3), -1);
    EXPECT_EQ(n->location().title, 2) << "an auto-action button acts when selected";
}

// A player with pictures sees the activated button in its action colours before the command
// takes playback elsewhere; the command still runs, once, where it was given.
TEST(Playback, WithPicturesAnActivatedButtonShowsItsActionColoursBeforeItActs)
{
    const std::vector<ButtonLayout> buttons{
        {{0, 0, 100, 100}, 0, 2, 0, 0, false, JumpTitle2},
        {{0, 100, 100, 200}, 1, 3, 0, 0, false, {}},
        {{0, 200, 100, 300}, 2, 0, 0, 0, true, JumpTitle2},
    };
    TestDisc d({sequentialPgc({5}), sequentialPgc({5})});
    d.addRootMenu(buttons);
    std::vector<std::uint8_t> sector = navtest::navPackSector(buttons);
    constexpr std::size_t ColourSet1 = 0x2D + 0x76;
    const std::uint8_t selection[4]{0x11, 0x11, 0x22, 0x22}, action[4]{0x33, 0x33, 0x44, 0x44};
    std::copy_n(selection, 4, sector.begin() + ColourSet1);
    std::copy_n(action, 4, sector.begin() + ColourSet1 + 4);
    d.sectors.put(1, VobSet::Menu, 0, sector);
    auto n = d.start();
    n->setActionsShown(true);
    auto toMenu = [&] {
        ASSERT_EQ(n->showMenu(MenuId::Root), Status::Ok);
        ASSERT_EQ(n->domain(), Domain::VideoTitleSetMenu);
        n->takeEvents();
    };

    toMenu();
    EXPECT_EQ(n->overlay().colours, 0x11112222u);
    ASSERT_EQ(n->activateButton(), Status::Ok);
    EXPECT_EQ(n->domain(), Domain::VideoTitleSetMenu) << "not before the picture";
    EXPECT_TRUE(n->overlay().acting);
    EXPECT_EQ(n->overlay().colours, 0x33334444u);
    n->actionShown();
    EXPECT_EQ(n->location().title, 2);
    EXPECT_FALSE(n->overlay().acting);

    SCOPED_TRACE("an auto-action button, and no picture coming");
    toMenu();
    ASSERT_EQ(n->selectButton(3), Status::Ok);
    EXPECT_NE(find(n->takeEvents(), event::ButtonAutoActivated, 3), -1);
    n->elapse(0.2);
    EXPECT_EQ(n->domain(), Domain::VideoTitleSetMenu);
    n->elapse(0.4);
    EXPECT_EQ(n->location().title, 2) << "a moment of clock time at most";

    SCOPED_TRACE("a button command while one waits");
    toMenu();
    ASSERT_EQ(n->activateButton(), Status::Ok);
    EXPECT_EQ(n->selectRelativeButton(Direction::Down), Status::NoSuchButton) << "the first acted first";
    EXPECT_EQ(n->location().title, 2);

    SCOPED_TRACE("a jump while one waits");
    toMenu();
    ASSERT_EQ(n->activateButton(), Status::Ok);
    ASSERT_EQ(n->playTitle(1), Status::Ok);
    n->actionShown();
    n->elapse(1);
    EXPECT_EQ(n->location().title, 1) << "the menu's command went with the menu";
}

TEST(Playback, AWideMenuShowsTheButtonsOfTheWidePicture)
{
    std::vector<ButtonLayout> slots(36, ButtonLayout{{0, 0, 10, 10}});
    slots[18].rect = {0, 100, 10, 110};
    TestDisc d({sequentialPgc({5})});
    d.addRootMenu(slots);
    std::vector<std::uint8_t> sector = navtest::navPackSector(slots);
    sector[0x2D + 0x6E] = 0x20, sector[0x2D + 0x6F] = 0x10, sector[0x2D + 0x71] = 1;  // normal, then wide
    d.sectors.put(1, VobSet::Menu, 0, sector);
    for (bool wide : {false, true}) {
        d.disc.titleSets[0].menuVideo.wide = wide;
        auto n = d.start();
        ASSERT_EQ(n->showMenu(MenuId::Root), Status::Ok);
        ASSERT_EQ(n->buttons().size(), 1u);
        EXPECT_EQ(n->buttons()[0].rect.top, wide ? 100 : 0) << (wide ? "16:9" : "4:3");
    }
}

TEST(Playback, AHighlightRegisterNamingNoButtonMeansTheFirst)
{
    TestDisc d({sequentialPgc({5}), sequentialPgc({5})});
    d.addRootMenu({
        {{0, 0, 100, 100}, 0, 0, 0, 0, false, JumpTitle2},
        {{0, 100, 100, 200}, 0, 0, 0, 0, false, {0x56, 0, 0, 0, 0xA0, 0, 0, 0}},  // SetHL_BTNN 40
    });
    auto n = d.start();
    ASSERT_EQ(n->showMenu(MenuId::Root), Status::Ok);
    ASSERT_EQ(n->activateAtPosition(10, 150), Status::Ok);
    EXPECT_EQ(n->currentButton(), 1);
    EXPECT_EQ(n->selectRelativeButton(Direction::Down), Status::Ok);
    ASSERT_EQ(n->activateButton(), Status::Ok);
    EXPECT_EQ(n->location().title, 2);
}

TEST(Playback, AMenuWhoseGoUpNamesNoChainReturnsToTheTitle)
{
    TestDisc d({sequentialPgc({5})});
    d.addRootMenu({});
    MenuLanguageUnit& unit = d.disc.titleSets[0].menus[0];
    Pgc root = *unit.pgcs.pgcs[0].pgc;
    root.goUpPgc = 0xFFFF;
    unit.pgcs.pgcs[0].pgc = std::make_shared<const Pgc>(root);
    d.disc.videoManager.firstPlay = std::make_shared<const Pgc>(rootMenuJump());
    auto n = d.start();
    EXPECT_EQ(n->returnFromSubmenu(), Status::NotAvailable) << "no title called the menu";
    ASSERT_EQ(n->playTitle(1), Status::Ok);
    play(*n, 2);
    ASSERT_EQ(n->showMenu(MenuId::Root), Status::Ok);
    ASSERT_EQ(n->returnFromSubmenu(), Status::Ok);
    EXPECT_EQ(n->domain(), Domain::Title);
    EXPECT_NEAR(seconds(n->location()), 2.0, Frame);
}

TEST(Playback, AForcedActivationRunsAtTheStartOfTheCell)
{
    TestDisc d({sequentialPgc({5}), sequentialPgc({5})});
    d.addRootMenu({});
    d.sectors.put(1, VobSet::Menu, 0,
        navtest::navPackSector({{{0, 0, 10, 10}, 0, 0, 0, 0, false, JumpTitle2}}, 0, 0, 1));
    auto n = d.start();
    ASSERT_EQ(n->showMenu(MenuId::Root), Status::Ok);
    EXPECT_EQ(n->location().title, 2);
    EXPECT_NE(find(n->takeEvents(), event::ButtonAutoActivated, 1), -1);
}

TEST(Playback, ACallResumesAtTheCellItNames)
{
    Pgc p = sequentialPgc({3, 3, 3});
    p.cells[0].commandNumber = 1;
    p.cellCommands = {CallRootResumeAtCell2};
    TestDisc d({p});
    d.addRootMenu({{{0, 0, 10, 10}, 0, 0, 0, 0, false, ResumeLink}});
    auto n = d.start();
    play(*n, 3.1);
    EXPECT_EQ(n->domain(), Domain::VideoTitleSetMenu);
    n->takeEvents();
    ASSERT_EQ(n->activateButton(), Status::Ok);
    EXPECT_EQ(n->domain(), Domain::Title);
    EXPECT_EQ(n->location().chapter, 2);
    EXPECT_NEAR(seconds(n->location()), 3.0, Frame);
    std::vector<Event> events = n->takeEvents();
    EXPECT_NE(find(events, event::TitleChange, 1), -1);
    EXPECT_NE(find(events, event::ChapterStart, 2), -1);
}

TEST(Playback, ResumeNeedsAMenuCalledFromATitle)
{
    TestDisc d({sequentialPgc({5})});
    d.addRootMenu({});
    d.disc.videoManager.firstPlay = std::make_shared<const Pgc>(rootMenuJump());
    auto n = d.start();
    ASSERT_EQ(n->domain(), Domain::VideoTitleSetMenu);
    EXPECT_EQ(n->resume(), Status::NotAvailable);
    EXPECT_EQ(n->returnFromSubmenu(), Status::NotAvailable);
    ASSERT_EQ(n->playTitle(1), Status::Ok);
    play(*n, 2);
    ASSERT_EQ(n->showMenu(MenuId::Root), Status::Ok);
    ASSERT_EQ(n->resume(), Status::Ok);
    EXPECT_NEAR(seconds(n->location()), 2.0, Frame);
}

TEST(Playback, CommandsThatLoopForeverStopPlaybackInsteadOfHanging)
{
    Pgc looping = sequentialPgc({2});
    looping.preCommands = {{0x20, 0x01, 0, 0, 0, 0, 0, 0x09}};  // LinkTopPGC, before any cell
    TestDisc d({looping});
    auto n = d.start();
    EXPECT_EQ(n->domain(), Domain::Stop);
    EXPECT_NE(find(n->takeEvents(), event::PlaybackStopped, 0), -1);

    Pgc spinning = sequentialPgc({2});
    spinning.preCommands = {{0x00, 0x01, 0, 0, 0, 0, 0, 0x01}};  // goto 1
    TestDisc e({spinning});
    auto m = e.start();
    EXPECT_EQ(m->domain(), Domain::Title) << "a goto loop only ends its list";
    play(*m, 1);
    EXPECT_EQ(m->location().time.time.seconds, 1);
}

TEST(Playback, ACellThatLoopsOnItselfKeepsTimeMoving)
{
    Pgc p = sequentialPgc({0});
    p.cells[0].commandNumber = 1;
    p.cellCommands = {{0x20, 0x01, 0, 0, 0, 0, 0, 0x01}};  // LinkTopC
    TestDisc d({p});
    auto n = d.start();
    play(*n, 3);
    EXPECT_EQ(n->domain(), Domain::Title);
}

TEST(Playback, LinksToMissingTargetsLeavePlaybackWhereItIs)
{
    Pgc p = sequentialPgc({2});
    p.postCommands = {{0x20, 0x04, 0, 0, 0, 0, 0, 0x09}, JumpTitle2};  // LinkPGCN 9
    p.cells[0].commandNumber = 7;                                      // beyond the cell commands
    TestDisc d({p});
    auto n = d.start();
    play(*n, 5);
    EXPECT_EQ(n->domain(), Domain::Title);
    EXPECT_EQ(n->location().title, 1);
    EXPECT_EQ(n->location().time.time.seconds, 2) << "resting at the end";
}

TEST(Playback, ChainsOfATitleFollowTheirNextLink)
{
    Pgc first = sequentialPgc({2});
    first.nextPgc = 2;
    Pgc second = sequentialPgc({3});
    TestDisc d({first, second});
    // One title over both chains.
    d.disc.titleSets[0].titles = {{{1, 1}, {2, 1}}};
    d.disc.titleSets[0].pgcs.pgcs[1].titleNumber = 1;
    d.disc.videoManager.titles.resize(1);
    d.disc.videoManager.titles[0].chapterCount = 2;
    auto n = d.start();
    EXPECT_EQ(n->totalTitleTime().time.seconds, 5);
    n->takeEvents();
    play(*n, 2.5);
    EXPECT_EQ(n->location().chapter, 2);
    EXPECT_NEAR(seconds(n->location()), 2.5, Frame);
    std::vector<Event> events = n->takeEvents();
    EXPECT_EQ(find(events, event::TitleChange, 1), -1);
    EXPECT_NE(find(events, event::ChapterStart, 2), -1);

    ASSERT_EQ(n->playAtTime({0, 0, 1, 0}), Status::Ok);
    EXPECT_EQ(n->location().chapter, 1);
    ASSERT_EQ(n->playBackwards(2.0), Status::Ok);
    ASSERT_EQ(n->playAtTime({0, 0, 3, 0}), Status::Ok);
    play(*n, 1);
    EXPECT_EQ(n->location().chapter, 1) << "backward scan crosses back into the first chain";
    EXPECT_NEAR(seconds(n->location()), 1.0, Frame);
}

TEST(Playback, AShuffledChainPlaysEachProgramOnce)
{
    Pgc p = sequentialPgc({1, 1, 1});
    p.playbackMode = 0x82;  // shuffle, three programs
    TestDisc d({p});
    auto n = d.start();
    play(*n, 3.5);
    std::vector<std::int64_t> chapters = params(n->takeEvents(), event::ChapterStart);
    std::sort(chapters.begin(), chapters.end());
    EXPECT_EQ(chapters, (std::vector<std::int64_t>{1, 2, 3}));
    EXPECT_EQ(n->domain(), Domain::Stop);
}

TEST(Playback, TheNavigationTimerLinksWhenItRunsOut)
{
    Pgc first = sequentialPgc({10});
    first.preCommands = {{0x52, 0, 0x00, 0x02, 0x00, 0x02, 0, 0}};  // 2 s, then chain 2
    TestDisc d({first, sequentialPgc({10})});
    d.disc.titleSets[0].titles = {{{1, 1}, {2, 1}}};
    d.disc.titleSets[0].pgcs.pgcs[1].titleNumber = 1;
    d.disc.videoManager.titles.resize(1);
    auto n = d.start();
    play(*n, 1.9);
    EXPECT_EQ(n->location().chapter, 1);
    play(*n, 0.2);
    EXPECT_EQ(n->location().chapter, 2);
}

TEST(Playback, StreamsThatATitleDoesNotOfferAreDisabled)
{
    Pgc p = sequentialPgc({5});
    p.audioControl[1] = {false, 1};
    p.subpictureControl[0] = {true, 0, 0, 0, 0};
    TestDisc d({p});
    d.disc.titleSets[0].audio.resize(2);
    d.disc.titleSets[0].audio[1].language = "fr";
    d.disc.titleSets[0].subpicture = {{0, 1, "de", 0}};
    auto n = d.start();
    EXPECT_EQ(n->currentAudio().available, 2);
    EXPECT_EQ(n->selectAudioStream(1), Status::StreamDisabled);
    EXPECT_EQ(n->audioLanguage(1), 0x040Cu);
    EXPECT_EQ(n->subpictureLanguage(0), 0x0407u);
    EXPECT_EQ(n->setSubpictureState(true), Status::Ok);
    EXPECT_FALSE(n->currentSubpicture().disabled);
    EXPECT_EQ(n->takeEvents().back(), (Event{event::SubpictureStreamChange, 0, 1}));
}

}  // namespace

// Discs of random structure and random commands: whatever they say, playback neither crashes
// nor hangs, and every answer is one of the navigator's own.
TEST(Playback, RandomDiscsAndCommandsNeverCrashOrHang)
{
    std::mt19937 random(2024);
    auto pick = [&](int low, int high) {
        return std::uniform_int_distribution<int>(low, high)(random);
    };
    auto command = [&] {
        Command c;
        for (auto& b : c) b = static_cast<std::uint8_t>(pick(0, 255));
        c[0] = static_cast<std::uint8_t>((c[0] & 0x1F) | pick(0, 6) << 5);
        c[5] = static_cast<std::uint8_t>(pick(0, 3) << 6 | pick(0, 9));  // small targets
        c[7] = static_cast<std::uint8_t>(pick(0, 5));
        return c;
    };
    auto chain = [&] {
        std::vector<double> lengths(pick(0, 4));
        for (double& l : lengths) l = pick(0, 20) / 10.0;
        Pgc p = sequentialPgc(lengths);
        for (CellPlayback& c : p.cells) {
            c.stillTime = static_cast<std::uint8_t>(pick(0, 3) == 0 ? pick(0, 255) : 0);
            c.commandNumber = static_cast<std::uint8_t>(pick(0, 3));
            c.blockType = pick(0, 2) == 0 ? BlockType::Angle : BlockType::Normal;
            c.blockMode = static_cast<BlockMode>(pick(0, 3));
        }
        if (!p.programs.empty()) p.programs.resize(pick(1, static_cast<int>(p.programs.size())));
        p.playbackMode = static_cast<std::uint8_t>(pick(0, 3) == 0 ? pick(0, 255) : 0);
        p.stillTime = static_cast<std::uint8_t>(pick(0, 4) == 0 ? pick(0, 255) : 0);
        p.nextPgc = static_cast<std::uint16_t>(pick(0, 3));
        p.prevPgc = static_cast<std::uint16_t>(pick(0, 3));
        p.goUpPgc = static_cast<std::uint16_t>(pick(0, 4) == 0 ? 0xFFFF : pick(0, 3));
        p.prohibitedUops = pick(0, 3) == 0 ? static_cast<std::uint32_t>(random()) : 0;
        for (auto* list : {&p.preCommands, &p.postCommands, &p.cellCommands}) {
            list->resize(pick(0, 3));
            for (Command& c : *list) c = command();
        }
        return p;
    };
    for (int round = 0; round < 200; ++round) {
        TestDisc d({chain(), chain()}, {chain()});
        Pgc firstPlay = chain();
        d.disc.videoManager.firstPlay = std::make_shared<const Pgc>(firstPlay);
        d.disc.videoManager.titles[0].angleCount = static_cast<std::uint8_t>(pick(1, 3));
        std::vector<ButtonLayout> buttons(pick(0, 3));
        for (ButtonLayout& b : buttons) {
            b = {{pick(0, 300), pick(0, 300), pick(301, 720), pick(301, 576)}, pick(0, 4),
                pick(0, 4), 0, 0, pick(0, 3) == 0, command()};
        }
        d.addRootMenu(buttons);
        MenuLanguageUnit vmgMenus{"en", 0, menuflag::Title, {}};
        vmgMenus.pgcs.pgcs = {{true, 0, 2, 0, std::make_shared<const Pgc>(chain())}};
        d.disc.videoManager.menus = {vmgMenus};
        d.sectors.put(
            0, VobSet::Menu, 0, navtest::navPackSector(buttons, 0, pick(0, 3), pick(0, 6) == 0));

        auto n = Navigator::create(d.disc, d.sectors.reader());
        n->setHmsfTimeEvents(true);
        n->start();
        for (int step = 0; step < 60; ++step) {
            switch (pick(0, 12)) {
            case 0: n->activateButton(); break;
            case 1: n->selectRelativeButton(static_cast<Direction>(pick(0, 3))); break;
            case 2: n->showMenu(static_cast<MenuId>(pick(2, 7))); break;
            case 3: n->resume(); break;
            case 4: n->playNextChapter(); break;
            case 5: n->playPrevChapter(); break;
            case 6: n->playBackwards(4); break;
            case 7: n->playForwards(2); break;
            case 8: n->stillOff(); break;
            case 9: n->selectAngle(pick(1, 3)); break;
            case 10: n->playAtTime({0, 0, static_cast<std::uint8_t>(pick(0, 5)), 0}); break;
            default: n->advance(pick(1, 40) / 10.0); break;
            }
            n->takeEvents();
            n->frame();
            if (n->domain() == Domain::Stop && pick(0, 3) == 0) n->start();
        }
    }
}
