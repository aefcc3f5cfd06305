// Playback that follows the data: the reading cursor through the test discs and through
// sectors made to order.
#include "core/Navigator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "core/Disc.h"
#include "core/Vobu.h"
#include "support/DiscWriter.h"
#include "support/NavPackWriter.h"
#include "support/TestDiscs.h"

namespace {

using namespace nav;
namespace fs = std::filesystem;

std::unique_ptr<Navigator> openSample(const fs::path& folder = navtest::testDiscs() / "sample")
{
    OpenResult opened = Navigator::open(utf8FromPath(folder));
    if (!opened.navigator) throw std::runtime_error(opened.error);
    opened.navigator->start();
    return std::move(opened.navigator);
}

bool has(const std::vector<Event>& events, std::uint32_t code, std::int64_t param1)
{
    return std::any_of(events.begin(), events.end(),
        [&](const Event& e) { return e.code == code && e.param1 == param1; });
}

double seconds(const Location& l)
{
    return l.time.time.minutes * 60 + l.time.time.seconds + l.time.time.frames / 25.0;
}

struct Reading {
    std::vector<double> times;
    std::vector<unsigned> generations;
    std::vector<std::pair<int, double>> chapterStarts;  // chapter, time of the VOBU it came with

    // The longest step in time from one VOBU read to the next.
    double largestGap() const
    {
        double gap = 0;
        for (std::size_t i = 1; i < times.size(); ++i) gap = std::max(gap, times[i] - times[i - 1]);
        return gap;
    }
};

// Reads while the title plays, each VOBU's pictures shown as it is read.
Reading readTitle(Navigator& n, int limit = 1000)
{
    Reading r;
    for (int i = 0; i < limit; ++i) {
        std::optional<Vobu> v = n.read();
        if (!v || n.domain() != Domain::Title) break;
        r.times.push_back(v->time);
        r.generations.push_back(v->generation);
        n.shown(v->serial);
        for (const Event& e : n.takeEvents()) {
            if (e.code == event::ChapterStart) r.chapterStarts.emplace_back(static_cast<int>(e.param1), v->time);
        }
    }
    return r;
}

TEST(Cursor, ReadsATitleInPlayOrderAndItsChaptersAsTheyPass)
{
    auto n = openSample();
    // First play leads to the title menu: it is read, then holds its still with its buttons.
    std::optional<Vobu> menu = n->read();
    ASSERT_TRUE(menu);
    EXPECT_EQ(n->domain(), Domain::VideoManagerMenu);
    EXPECT_EQ(n->buttons().size(), 2u);
    EXPECT_EQ(menu->sectors.size() % SectorBytes, 0u);
    EXPECT_EQ((std::vector<uint8_t>(menu->sectors.begin(), menu->sectors.begin() + 4)),
        (std::vector<uint8_t>{0, 0, 1, 0xBA}));
    for (int i = 0; i < 20 && n->read(); ++i) {}
    EXPECT_FALSE(n->read());

    const unsigned before = n->generation();
    ASSERT_EQ(n->playTitle(1), Status::Ok);
    EXPECT_NE(n->generation(), before);
    n->takeEvents();
    Reading r = readTitle(*n);
    ASSERT_GT(r.times.size(), 40u);
    EXPECT_EQ(r.times.front(), 0.0);
    EXPECT_TRUE(std::is_sorted(r.times.begin(), r.times.end()));
    EXPECT_GT(r.times.back(), 31.0);
    // Crossing cells is no jump.
    EXPECT_TRUE(std::all_of(r.generations.begin(), r.generations.end(), [&](unsigned g) { return g == r.generations[0]; }));
    ASSERT_EQ(r.chapterStarts.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(r.chapterStarts[i].first, i + 2);
        EXPECT_NEAR(r.chapterStarts[i].second, 8.0 * (i + 1), 0.05);
    }
    // The title's post command calls the menu: the cursor reads on into it without a jump.
    EXPECT_EQ(n->domain(), Domain::VideoManagerMenu);
    std::optional<Vobu> after = n->read();
    ASSERT_TRUE(after);
    EXPECT_EQ(after->generation, r.generations[0]);
}

TEST(Cursor, JumpsLandOnTheVobuOfTheirTimeAndTheToldTimeIsThePictures)
{
    auto n = openSample();
    ASSERT_EQ(n->playAtTimeInTitle(1, {0, 0, 21, 0}), Status::Ok);
    const unsigned jumped = n->generation();
    EXPECT_NEAR(seconds(n->location()), 21.0, 0.01);
    std::optional<Vobu> v = n->read();
    ASSERT_TRUE(v);
    EXPECT_EQ(v->generation, jumped);
    EXPECT_LE(v->time, 21.0);
    EXPECT_GT(v->time, 20.5);
    EXPECT_EQ(n->location().chapter, 3);

    // What the player is told is what is on screen, not how far reading has got: until the
    // first picture, the time asked for (a seek bar held down follows every time told).
    n->setHmsfTimeEvents(true);
    for (int i = 0; i < 5; ++i) n->read();
    EXPECT_NEAR(seconds(n->location()), 21.0, 0.01);
    for (const Event& e : n->takeEvents()) {
        if (e.code == event::CurrentHmsfTime) {
            EXPECT_EQ(e.param1 >> 16 & 0xFF, 21);
        }
    }
    n->presented(jumped, 21.5);
    EXPECT_NEAR(seconds(n->location()), 21.5, 0.05);
    n->takeEvents();
    n->presented(jumped - 1, 3.0);  // a picture from before the jump
    EXPECT_NEAR(seconds(n->location()), 21.5, 0.05);
    n->presented(jumped, 22.1);
    EXPECT_TRUE(has(n->takeEvents(), event::CurrentHmsfTime, 22 << 16 | 2 << 24));
    // So is the chapter: reading has entered chapter 4 (from 24 s), the screen not yet.
    while ((v = n->read()) && v->time < 24.5) {}
    n->presented(jumped, 23.8);
    EXPECT_EQ(n->location().chapter, 3);
    n->presented(jumped, 24.1);
    EXPECT_EQ(n->location().chapter, 4);

    // Chapter jumps land on the chapter's first VOBU.
    ASSERT_EQ(n->playChapterInTitle(1, 4), Status::Ok);
    EXPECT_GT(n->generation(), jumped);
    v = n->read();
    ASSERT_TRUE(v);
    EXPECT_NEAR(v->time, 24.0, 0.01);
    EXPECT_EQ(v->generation, n->generation());
}

TEST(Cursor, WhereReadingGoesIsToldAsItsPictureShowsWithNothingLostOrReordered)
{
    auto n = openSample();
    ASSERT_EQ(n->playAtTimeInTitle(1, {0, 0, 7, 0}), Status::Ok);
    n->takeEvents();
    std::optional<Vobu> v;
    std::uint32_t before = 0;
    while ((v = n->read()) && v->time < 8.0) before = v->serial;
    ASSERT_TRUE(v);
    EXPECT_FALSE(has(n->takeEvents(), event::ChapterStart, 2)) << "read, not yet shown";
    n->shown(before);
    EXPECT_TRUE(n->takeEvents().empty());
    n->shown(v->serial);
    EXPECT_TRUE(has(n->takeEvents(), event::ChapterStart, 2));

    // Told now, a command's events come after what was read before them, shown or not.
    while ((v = n->read()) && v->time < 16.5) {}
    ASSERT_EQ(n->selectAudioStream(1), Status::Ok);
    std::vector<Event> events = n->takeEvents();
    ASSERT_GE(events.size(), 2u);
    EXPECT_EQ(events.front(), (Event{event::ChapterStart, 3, 0}));
    EXPECT_EQ(events.back(), (Event{event::AudioStreamChange, 1, 0}));

    // Reading on into the menu the title's end calls: told with the menu's first picture.
    std::uint32_t last = 0;
    while ((v = n->read()) && n->domain() == Domain::Title) last = v->serial;
    ASSERT_TRUE(v);
    n->shown(last);
    EXPECT_FALSE(has(n->takeEvents(), event::DomainChange, static_cast<int>(Domain::VideoManagerMenu)));
    n->shown(v->serial);
    EXPECT_TRUE(has(n->takeEvents(), event::DomainChange, static_cast<int>(Domain::VideoManagerMenu)));
}

TEST(Cursor, BackwardTheCursorStepsBackThroughChaptersToTheStartThenPlaysOn)
{
    auto n = openSample();
    ASSERT_EQ(n->playAtTimeInTitle(1, {0, 0, 18, 0}), Status::Ok);
    ASSERT_EQ(n->playBackwards(4.0), Status::Ok);
    n->takeEvents();
    std::vector<double> times;
    bool chapterTwo = false;
    while (times.size() < 40) {
        std::optional<Vobu> v = n->read();
        ASSERT_TRUE(v);
        times.push_back(v->time);
        n->shown(v->serial);
        chapterTwo = chapterTwo || has(n->takeEvents(), event::ChapterStart, 2);
        if (v->rate > 0) break;
    }
    ASSERT_GE(times.size(), 8u);
    EXPECT_LE(times[0], 18.0);
    for (std::size_t i = 1; i + 1 < times.size(); ++i) EXPECT_NEAR(times[i - 1] - times[i], 1.6, 0.45);
    EXPECT_TRUE(chapterTwo);
    EXPECT_EQ(times.back(), 0.0);
    EXPECT_EQ(n->rate(), 1.0);
}

// A copy of the sample disc whose first title's VOB the test may damage.
struct DamagedSample {
    DamagedSample()
    {
        fs::copy(navtest::testDiscs() / "sample", folder.path(), fs::copy_options::recursive);
        vob = folder.path() / "VIDEO_TS" / "VTS_01_1.VOB";
    }

    void overwrite(std::uintmax_t sector, std::uintmax_t count, std::uint8_t seed)
    {
        std::fstream f(vob, std::ios::in | std::ios::out | std::ios::binary);
        f.seekp(static_cast<std::streamoff>(sector * SectorBytes));
        std::minstd_rand random(seed);
        for (std::uintmax_t i = 0; i < count * SectorBytes; ++i) f.put(static_cast<char>(random()));
    }

    navtest::TempFolder folder;
    fs::path vob;
};

TEST(Cursor, DamagedSectorsAreSkippedAndAMissingFileEndsTheTitle)
{
    {
        DamagedSample d;
        const std::uintmax_t sectors = fs::file_size(d.vob) / SectorBytes;
        d.overwrite(sectors / 3, sectors / 10, 1);  // several VOBUs of random bytes
        auto n = openSample(d.folder.path());
        ASSERT_EQ(n->playTitle(1), Status::Ok);
        Reading r = readTitle(*n);
        EXPECT_TRUE(std::is_sorted(r.times.begin(), r.times.end()));
        EXPECT_GT(r.times.back(), 31.0);
        const double gap = r.largestGap();
        EXPECT_GT(gap, 1.0);
        EXPECT_LT(gap, 10.0);
    }
    {
        DamagedSample d;
        fs::resize_file(d.vob, fs::file_size(d.vob) / 2 + 1000);  // cut short inside a sector
        auto n = openSample(d.folder.path());
        ASSERT_EQ(n->playTitle(1), Status::Ok);
        Reading r = readTitle(*n);
        EXPECT_GT(r.times.back(), 10.0);
        EXPECT_LT(r.times.back(), 20.0);
        EXPECT_EQ(n->domain(), Domain::VideoManagerMenu);  // the title ended as the disc says
    }
    {
        DamagedSample d;
        fs::remove(d.vob);
        auto n = openSample(d.folder.path());
        ASSERT_EQ(n->playTitle(1), Status::Ok);
        EXPECT_TRUE(readTitle(*n).times.empty());
        EXPECT_NE(n->domain(), Domain::Title);
    }
}

// A scratch as a drive has it: its sectors fail to read, each failure after seconds of retries.
TEST(Cursor, AnUnreadableRunIsSkippedWithinItsOwnTimeAfterAFewFailedReads)
{
    Result<OpenedDisc> opened = openDisc(utf8FromPath(navtest::testDiscs() / "sample"));
    ASSERT_TRUE(opened);
    auto volume = std::make_shared<Volume>(std::move(opened->volume));
    const std::uint32_t first = volume->sectorCount(1, VobSet::Title) / 3;
    const std::uint32_t last = first + volume->sectorCount(1, VobSet::Title) / 20;  // some 1.6 s
    int failed = 0;
    auto n = Navigator::create(std::move(opened->disc),
        [&](unsigned titleSet, VobSet set, std::uint32_t sector, std::span<std::uint8_t> out) {
            if (titleSet == 1 && set == VobSet::Title && sector <= last && sector + out.size() / SectorBytes > first) {
                ++failed;
                return false;
            }
            return volume->readSectors(titleSet, set, sector, out);
        });
    n->start();
    ASSERT_EQ(n->playTitle(1), Status::Ok);
    Reading r = readTitle(*n);
    EXPECT_TRUE(std::is_sorted(r.times.begin(), r.times.end()));
    EXPECT_GT(r.times.back(), 31.0);
    const double gap = r.largestGap();
    EXPECT_GT(gap, 1.6);
    EXPECT_LT(gap, 3.0);  // the scratch and the VOBUs it cuts into, no more
    EXPECT_GE(failed, 1);
    EXPECT_LE(failed, 6);
}

TEST(Cursor, ScrambledPacksAreTold)
{
    std::vector<std::uint8_t> sectors = navtest::vobuSectors(2, 0);
    std::uint8_t* video = sectors.data() + SectorBytes;
    const std::uint8_t pack[] = {0, 0, 1, 0xBA, 0x44, 0, 4, 0, 4, 1, 1, 0x89, 0xC3, 0xF8,
        0, 0, 1, 0xE0, 0x07, 0xEC, 0x81, 0x80, 0x05};
    std::copy(std::begin(pack), std::end(pack), video);
    EXPECT_FALSE(scrambled(sectors));
    video[20] |= 0x10;
    EXPECT_TRUE(scrambled(sectors));
}

// Angle 1 plays units at sectors 0 and 4, angle 2 those at 2 and 6; each unit is one VOBU.
TEST(Cursor, AnAngleBlockPlaysTheChosenAnglesInterleavedUnits)
{
    Pgc pgc = navtest::sequentialPgc({0.8, 0.8});
    pgc.programs = {1};
    Disc disc = navtest::discOf({navtest::titleSetOf(1, {pgc})});
    disc.videoManager.titles[0].angleCount = 2;
    pgc = *disc.titleSets[0].pgcs.pgcs[0].pgc;
    for (int a = 0; a < 2; ++a) {
        CellPlayback& c = pgc.cells[a];
        c.blockType = BlockType::Angle;
        c.blockMode = a == 0 ? BlockMode::First : BlockMode::Last;
        c.interleaved = true;
        c.firstSector = 2 * a;
        c.lastSector = 5 + 2 * a;
    }
    disc.titleSets[0].pgcs.pgcs[0].pgc = std::make_shared<const Pgc>(pgc);
    navtest::SectorStore store;
    for (std::uint32_t unit = 0; unit < 4; ++unit) {
        bool last = unit >= 2;
        store.put(1, VobSet::Title, 2 * unit, navtest::vobuSectors(2, last ? 0.4 : 0, last ? 0xFFFFFFFF : 4));
    }
    for (int angle = 1; angle <= 2; ++angle) {
        SCOPED_TRACE(angle);
        auto n = Navigator::create(disc, store.reader());
        n->start();
        ASSERT_EQ(n->selectAngle(angle), Status::Ok);
        std::vector<std::uint32_t> read;
        std::vector<double> times;
        while (std::optional<Vobu> v = n->read()) {
            read.push_back(v->sector);
            times.push_back(v->time);
            EXPECT_EQ(v->sectors.size(), 2 * SectorBytes);
        }
        EXPECT_EQ(read, (std::vector<std::uint32_t>{2u * angle - 2, 2u * angle + 2}));
        EXPECT_EQ(times, (std::vector<double>{0, 0.4}));
    }
}

// The angles disc: VOB 1 the lead-in, VOBs 2-4 the three angles of the interleaved block (4 s
// to 8 s of the title), VOB 5 the closing cell. A VOBU's NAV pack names its VOB.
int vobOf(const Vobu& v) { return v.sectors[0x407 + 0x18] << 8 | v.sectors[0x407 + 0x19]; }

TEST(Cursor, TimeSearchesAndAngleChangesInAnInterleavedBlockKeepToTheChosenAngle)
{
    auto n = openSample(navtest::testDiscs() / "angles");
    ASSERT_TRUE(n->read());
    ASSERT_EQ(n->selectAngle(3), Status::Ok);
    ASSERT_EQ(n->playAtTimeInTitle(1, {0, 0, 6, 0}), Status::Ok);
    std::optional<Vobu> v = n->read();
    ASSERT_TRUE(v);
    EXPECT_EQ(vobOf(*v), 4);
    EXPECT_GT(v->time, 5.4);
    EXPECT_LE(v->time, 6.0);
    std::vector<int> vobs;
    for (double last = v->time; (v = n->read()) && n->domain() == Domain::Title; last = v->time) {
        vobs.push_back(vobOf(*v));
        EXPECT_GT(v->time, last);
    }
    ASSERT_FALSE(vobs.empty());
    EXPECT_EQ(vobs.front(), 4);
    EXPECT_EQ(vobs.back(), 5) << "the closing cell follows the block";
    EXPECT_TRUE(std::is_sorted(vobs.begin(), vobs.end()));
    EXPECT_TRUE(std::all_of(vobs.begin(), vobs.end(), [](int vob) { return vob == 4 || vob == 5; }))
        << "only angle 3's units, then the closing cell";

    // A change of angle goes on in the other angle's units from the same time.
    ASSERT_EQ(n->playAtTimeInTitle(1, {0, 0, 5, 0}), Status::Ok);
    v = n->read();
    ASSERT_TRUE(v);
    ASSERT_EQ(n->selectAngle(2), Status::Ok);
    std::optional<Vobu> changed = n->read();
    ASSERT_TRUE(changed);
    EXPECT_EQ(vobOf(*changed), 3);
    EXPECT_GE(changed->time, v->time);
    EXPECT_LT(changed->time, v->time + 1.0);
}

TEST(Cursor, AStillAfterEachVobuHoldsItsPictureUntilStillOffOrAButtonReleasesIt)
{
    auto n = openSample(navtest::testDiscs() / "stills");
    auto readHeld = [&n] {
        std::optional<Vobu> v = n->read();
        EXPECT_FALSE(n->read()) << "the cursor holds after each VOBU";
        n->caughtUp();
        return v;
    };
    std::optional<Vobu> v = readHeld();
    ASSERT_TRUE(v);
    EXPECT_EQ(n->domain(), Domain::VideoManagerMenu);
    EXPECT_TRUE(n->frame().still);
    std::vector<Event> events = n->takeEvents();
    auto still = std::find_if(events.begin(), events.end(), [](const Event& e) { return e.code == event::StillOn; });
    ASSERT_NE(still, events.end());
    EXPECT_EQ(*still, (Event{event::StillOn, 0, InfiniteStillSeconds})) << "buttons answer";
    n->elapse(120);
    EXPECT_FALSE(n->read());

    ASSERT_EQ(n->stillOff(), Status::Ok);
    EXPECT_TRUE(has(n->takeEvents(), event::StillOff, 0));
    double last = v->time;
    v = readHeld();
    ASSERT_TRUE(v);
    EXPECT_GT(v->time, last);
    // The held menu answers the mouse; a button that jumps nowhere lets the menu play on.
    ASSERT_EQ(n->selectAtPosition(300, 350), Status::Ok);
    EXPECT_EQ(n->currentButton(), 2);
    ASSERT_EQ(n->activateButton(), Status::Ok);
    last = v->time;
    v = readHeld();
    ASSERT_TRUE(v);
    EXPECT_GT(v->time, last);
    int menuVobus = 3;
    while (n->domain() == Domain::VideoManagerMenu && n->stillOff() == Status::Ok && (v = readHeld())) {
        if (n->domain() == Domain::VideoManagerMenu) ++menuVobus;
    }
    EXPECT_EQ(menuVobus, 5) << "every VOBU of the menu, then its post-command";

    // The title's stills have no buttons; after its last the title ends.
    ASSERT_EQ(n->domain(), Domain::Title);
    EXPECT_TRUE(has(n->takeEvents(), event::StillOn, 1));
    int titleVobus = 1;
    while (n->stillOff() == Status::Ok && readHeld()) ++titleVobus;
    EXPECT_EQ(titleVobus, 3);
    EXPECT_EQ(n->domain(), Domain::Stop);
}

}  // namespace
