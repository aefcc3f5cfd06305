// The core against libdvdnav on the same discs: both follow a script (runs along the disc's
// own path, button presses in menus, menu calls, chapter jumps, time searches) and the
// places each reaches — domain, title, chapter, program chain, cell, audio stream,
// highlighted button — and the VOBUs each reads must be the same, in the same order. A place
// is noted when a cell is entered and where a menu waits for a choice; stills are skipped at
// once on both sides.
#include "core/Navigator.h"
#include "core/Vobu.h"
#include "core/Volume.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <ostream>
#include <string>
#include <vector>

#include <dvdnav/dvdnav.h>

#include "support/TestDiscs.h"

namespace {

using namespace nav;

struct Place {
    Domain domain = Domain::Stop;
    int title = 0, chapter = 0;
    int pgc = 0, cell = 0;
    int audio = 0;   // the audio stream, in titles
    int button = 0;  // the highlighted button, in menus
    bool operator==(const Place&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Place& p)
{
    static const char* const names[] = {"", "first play", "VMG menu", "VTS menu", "title", "stop"};
    out << names[static_cast<int>(p.domain)];
    if (p.domain == Domain::Stop) return out;
    if (p.domain == Domain::Title) out << ' ' << p.title << '.' << p.chapter;
    out << " PGC " << p.pgc << " cell " << p.cell;
    if (p.domain == Domain::Title) out << " audio " << p.audio;
    else if (p.button) out << " button " << p.button;
    return out;
}

enum class Op { Run, Press, Activate, Menu, Chapter, Time, Angle };
struct Action {
    Op op;
    int a = 0, b = 0;  // button; menu id; title and chapter; seconds; angle
};
const Action Run{Op::Run};
const Action Activate{Op::Activate};
Action press(int button) { return {Op::Press, button}; }
Action menu(MenuId id) { return {Op::Menu, static_cast<int>(id)}; }
Action chapter(int title, int chapter) { return {Op::Chapter, title, chapter}; }
Action time(int seconds) { return {Op::Time, seconds}; }
Action angle(int n) { return {Op::Angle, n}; }

// libdvdnav names no program chain until it has opened a title set, so not in the video
// manager's menus before any title has played.
constexpr int UnknownPgc = -1;

// Far more than any test disc holds: the bounds only end a disc that loops forever.
constexpr int MaxVobus = 100000;
constexpr int MaxBlocks = 4000000;

void note(std::vector<Place>& path, Place place)
{
    if (place.domain == Domain::FirstPlay) return;  // passes without a cell to show on both sides
    if (path.empty() || !(path.back() == place)) path.push_back(place);
}

class Core {
public:
    explicit Core(const std::string& disc)
    {
        OpenResult opened = Navigator::open(disc);
        if (!opened.navigator) throw std::runtime_error(opened.error);
        nav_ = std::move(opened.navigator);
        nav_->start();
        nav_->takeEvents();
    }

    const std::vector<Place>& path() const { return path_; }
    const std::vector<uint32_t>& vobus() const { return vobus_; }

    void apply(const Action& a)
    {
        switch (a.op) {
        case Op::Run: run(); break;
        case Op::Press:
            nav_->selectButton(a.a);
            nav_->activateButton();
            break;
        case Op::Activate: nav_->activateButton(); break;
        case Op::Menu: nav_->showMenu(static_cast<MenuId>(a.a)); break;
        case Op::Chapter: nav_->playChapterInTitle(a.a, a.b); break;
        case Op::Time: nav_->playAtTime({0, static_cast<uint8_t>(a.a / 60), static_cast<uint8_t>(a.a % 60), 0}); break;
        case Op::Angle: nav_->selectAngle(a.a); break;
        }
        nav_->takeEvents();
    }

private:
    bool inMenu() const
    {
        const Domain d = nav_->domain();
        return (d == Domain::VideoManagerMenu || d == Domain::VideoTitleSetMenu) && !nav_->buttons().empty();
    }

    Place place() const
    {
        const Domain d = nav_->domain();
        const Location l = nav_->location();
        if (d == Domain::Title) return {d, l.title, l.chapter, l.programChain, l.cell, nav_->currentAudio().current};
        if (d == Domain::Stop) return {d};
        return {d, 0, 0, l.programChain, l.cell};
    }

    // Where a command left playback counts once playing resumes, as a cell entered does.
    void run()
    {
        note(path_, place());
        // Up to the first VOBU of a menu that offers buttons: there a viewer chooses.
        for (int n = 0; n < MaxVobus && nav_->domain() != Domain::Stop; ++n) {
            const std::optional<Vobu> v = nav_->read();
            note(path_, place());
            if (v) vobus_.push_back(v->sector);
            if (v && inMenu()) break;
            if (!v && nav_->frame().still) nav_->stillOff();
            else if (!v) nav_->elapse(0.1);
            note(path_, place());
        }
        nav_->takeEvents();
        if (inMenu()) {
            Place p = place();
            p.button = nav_->currentButton();
            note(path_, p);
        }
    }

    std::unique_ptr<Navigator> nav_;
    std::vector<Place> path_;
    std::vector<uint32_t> vobus_;
};

class Reference {
public:
    explicit Reference(const std::string& disc)
    {
        static const dvdnav_logger_cb quiet{[](void*, dvdnav_logger_level_t, const char*, va_list) {}};
        if (dvdnav_open2(&nav_, nullptr, &quiet, disc.c_str()) != DVDNAV_STATUS_OK) throw std::runtime_error("libdvdnav cannot open " + disc);
        dvdnav_set_readahead_flag(nav_, 0);
        dvdnav_set_PGC_positioning_flag(nav_, 1);
    }
    ~Reference() { dvdnav_close(nav_); }
    Reference(const Reference&) = delete;
    Reference& operator=(const Reference&) = delete;

    const std::vector<Place>& path() const { return path_; }
    const std::vector<uint32_t>& vobus() const { return vobus_; }

    void apply(const Action& a)
    {
        switch (a.op) {
        case Op::Run: run(); break;
        case Op::Press: dvdnav_button_select_and_activate(nav_, dvdnav_get_current_nav_pci(nav_), a.a); break;
        case Op::Activate: dvdnav_button_activate(nav_, dvdnav_get_current_nav_pci(nav_)); break;
        case Op::Menu: dvdnav_menu_call(nav_, static_cast<DVDMenuID_t>(a.a)); break;
        case Op::Chapter: dvdnav_part_play(nav_, a.a, a.b); break;
        case Op::Time: dvdnav_time_search(nav_, static_cast<uint64_t>(a.a) * 90000); break;
        case Op::Angle: dvdnav_angle_change(nav_, a.a); break;
        }
    }

private:
    Place place() const
    {
        int32_t title = 0, part = 0, unused = 0, pgc = 0, program = 0;
        dvdnav_current_title_info(nav_, &title, &part);
        if (dvdnav_current_title_program(nav_, &unused, &pgc, &program) != DVDNAV_STATUS_OK) pgc = UnknownPgc;
        if (dvdnav_is_domain_vts(nav_))
            return {Domain::Title, title, part, pgc, cell_, dvdnav_get_active_audio_stream(nav_)};
        if (dvdnav_is_domain_vtsm(nav_)) return {Domain::VideoTitleSetMenu, 0, 0, pgc, cell_};
        if (dvdnav_is_domain_vmgm(nav_)) return {Domain::VideoManagerMenu, 0, 0, pgc, cell_};
        return {Domain::FirstPlay};
    }

    void run()
    {
        std::vector<uint8_t> block(2048);
        for (int n = 0; n < MaxBlocks; ++n) {
            int32_t event = 0, length = 0;
            if (dvdnav_get_next_block(nav_, block.data(), &event, &length) != DVDNAV_STATUS_OK) {
                ADD_FAILURE() << "libdvdnav: " << dvdnav_err_to_string(nav_);
                return;
            }
            switch (event) {
            case DVDNAV_CELL_CHANGE:
                cell_ = reinterpret_cast<const dvdnav_cell_change_event_t*>(block.data())->cellN;
                note(path_, place());
                break;
            case DVDNAV_NAV_PACKET: {
                vobus_.push_back(dvdnav_get_current_nav_pci(nav_)->pci_gi.nv_pck_lbn);
                const Domain d = place().domain;
                const bool menu = d == Domain::VideoManagerMenu || d == Domain::VideoTitleSetMenu;
                if (menu && dvdnav_get_current_nav_pci(nav_)->hli.hl_gi.btn_ns > 0) {
                    int32_t button = 0;
                    dvdnav_get_current_highlight(nav_, &button);
                    Place p = place();
                    p.button = button;
                    note(path_, p);
                    return;
                }
                break;
            }
            case DVDNAV_STILL_FRAME: dvdnav_still_skip(nav_); break;
            case DVDNAV_WAIT: dvdnav_wait_skip(nav_); break;
            case DVDNAV_STOP: note(path_, {Domain::Stop}); return;
            }
        }
    }

    dvdnav_t* nav_ = nullptr;
    int cell_ = 0;  // told only as a cell starts
    std::vector<Place> path_;
    std::vector<uint32_t> vobus_;
};

struct Script {
    const char* disc;
    const char* name;
    std::vector<Action> actions;
    // Where the core is right to differ, for this reason: it skips the reference's first
    // places (and what it reads there), or it reads VOBUs the reference does not, and the
    // reference others, or it is first in a cell where the reference is in another.
    const char* reason = nullptr;
    size_t skipped = 0;
    std::vector<uint32_t> ownVobus = {};
    std::vector<uint32_t> theirVobus = {};
    int ownCell = 0, theirCell = 0;
};

class Oracle : public testing::TestWithParam<Script> {
public:
    static void TearDownTestSuite()
    {
        std::printf("\n%-20s %-30s %6s %6s %12s %13s\n", "disc", "path", "places", "VOBUs", "unnamed PGCs",
                    "disagreements");
        Row total{"", "all", 0, 0, 0, 0};
        for (const Row& r : rows_) {
            std::printf("%-20s %-30s %6zu %6zu %12zu %13zu\n", r.disc.c_str(), r.path.c_str(), r.places, r.vobus,
                        r.unnamed, r.disagreements);
            total.places += r.places;
            total.vobus += r.vobus;
            total.unnamed += r.unnamed;
            total.disagreements += r.disagreements;
        }
        std::printf("%-20zu %-30s %6zu %6zu %12zu %13zu (each justified)\n", rows_.size(), "paths", total.places,
                    total.vobus, total.unnamed, total.disagreements);
    }

protected:
    struct Row {
        std::string disc, path;
        size_t places, vobus, unnamed, disagreements;
    };
    static inline std::vector<Row> rows_;
};

TEST_P(Oracle, BothNavigatorsReachTheSamePlaces)
{
    const Script& script = GetParam();
    const std::string disc = utf8FromPath(navtest::testDiscs() / script.disc);
    Core core(disc);
    Reference reference(disc);
    for (const Action& a : script.actions) {
        core.apply(a);
        reference.apply(a);
    }
    const std::vector<Place>& theirs = reference.path();
    ASSERT_LE(script.skipped, theirs.size());
    std::vector<Place> expected(theirs.begin() + static_cast<long>(script.skipped), theirs.end());
    size_t unnamed = 0;
    for (size_t i = 0; i < expected.size() && i < core.path().size(); ++i) {
        if (expected[i].pgc != UnknownPgc) continue;
        expected[i].pgc = core.path()[i].pgc;
        ++unnamed;
    }
    if (script.theirCell) {
        const auto at = std::find_if(expected.begin(), expected.end(),
                                     [&](const Place& p) { return p.cell == script.theirCell; });
        ASSERT_NE(at, expected.end()) << "libdvdnav is no longer in cell " << script.theirCell << ": "
                                      << script.reason;
        at->cell = script.ownCell;
    }
    EXPECT_EQ(core.path(), expected) << (script.reason ? script.reason : "");
    std::vector<uint32_t> read = reference.vobus(), ours = core.vobus();
    for (uint32_t own : script.ownVobus) {
        const auto at = std::find(ours.begin(), ours.end(), own);
        ASSERT_NE(at, ours.end()) << "the core no longer reads VOBU " << own << ": " << script.reason;
        ours.erase(at);
    }
    for (uint32_t theirs : script.theirVobus) {
        const auto at = std::find(read.begin(), read.end(), theirs);
        ASSERT_NE(at, read.end()) << "libdvdnav no longer reads VOBU " << theirs << ": " << script.reason;
        read.erase(at);
    }
    const size_t vobus = script.skipped ? std::min(ours.size(), read.size()) : read.size();
    EXPECT_EQ(ours, std::vector<uint32_t>(read.end() - static_cast<long>(vobus), read.end()));
    rows_.push_back(
        {script.disc, script.name, theirs.size(), reference.vobus().size(), unnamed, script.reason ? 1u : 0u});
}

const Script scripts[] = {
    {"sample", "menus", {Run, press(1), Run, press(2), Run}},
    {"sample", "root menu", {Run, chapter(1, 2), menu(MenuId::Root), Run, press(1), Run, press(2), Run}},
    {"sample", "chapter jumps", {Run, chapter(1, 4), Run, chapter(2, 1), Run}},
    {"sample", "time search", {Run, chapter(1, 1), time(17), Run}},
    {"sample", "title menu", {Run, chapter(2, 1), menu(MenuId::Title), Run, press(1), Run}},
    {"images/sample.iso", "menus", {Run, press(1), Run, press(2), Run}},
    {"slideshow", "menus", {Run, press(1), Run, press(2), Run}},
    {"slideshow", "chapters", {Run, chapter(1, 2), Run, chapter(2, 1), Run}},
    {"slideshow", "cell-less root menu", {Run, press(1), menu(MenuId::Root), Run, press(2), Run}},
    {"slideshow", "time search", {Run, chapter(1, 1), time(4), Run},
     "4 s falls 1.08 s into cell 2 (cell 1 lasts 2.92 s), in the VOBU at sector 201 that shows 0.6 s to "
     "1.2 s of the cell by its own time; libdvdnav estimates the sector in proportion to the cell's length "
     "and lands on the VOBU that starts at 1.2 s, past the time asked for",
     0, {201}},
    {"commands", "streams by menu", {Run, press(1), Run, press(1), Run}},
    {"commands", "preselected button", {Run, press(1), Run, Activate, Run}},
    {"commands", "register, chain", {Run, press(3), Run, press(2), Run, press(2), Run}},
    {"commands", "menu calls", {Run, press(2), menu(MenuId::Root), Run, press(1), Run, menu(MenuId::Title), Run}},
    {"commands", "time search", {Run, press(3), time(5), Run}},
    {"images/commands.iso", "streams by menu", {Run, press(1), Run, press(1), Run}},
    {"chapters300", "to the end", {Run}},
    {"chapters300", "chapter jump", {Run, chapter(1, 150), Run}},
    {"chapters300", "time search", {chapter(1, 1), time(20), Run}},
    {"chapters300", "time past a PGC", {chapter(1, 1), time(100), Run},
     "a time names a place in the whole title, not in one of its program chains; libdvdnav searches only the "
     "program chain playing, finds no 100 s in its 38 s and stays at the start of the title",
     198},
    {"angles", "first angle", {Run}},
    {"angles", "angle chosen before the block", {chapter(1, 1), angle(3), Run}},
    {"angles", "angle changed in the block", {chapter(1, 2), angle(2), Run},
     "libdvdnav changes angle seamlessly at the end of the interleaved unit playing (angle 1's VOBUs 202 "
     "and 222, in its cell 2); the core changes at once, to angle 2's cell 3 and its VOBUs of the same time "
     "(241 and 261)",
     0, {241, 261}, {202, 222}, 3, 2},
    {"images/angles.iso", "angle chosen", {chapter(1, 1), angle(3), Run}},
    {"sizes", "menu into title", {Run}},
    {"codings", "to the end", {Run}},
    {"codings", "every title", {chapter(2, 1), Run, chapter(3, 1), Run, chapter(4, 1), Run, chapter(5, 1), Run}},
};

INSTANTIATE_TEST_SUITE_P(Discs, Oracle, testing::ValuesIn(scripts), [](const auto& info) {
    std::string name = std::string(info.param.disc) + "_" + info.param.name;
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
});

}  // namespace
