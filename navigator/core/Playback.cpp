#include "core/Playback.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace nav {
namespace {

// Links that follow one another without anything playing in between: a disc whose commands
// only send playback round in circles stops instead of hanging the player.
constexpr int MaxHops = 256;
// Cells one time step may cross; every cell lasts at least a frame, so this is never reached
// by real playback.
constexpr int MaxCellsPerStep = 64;
// How long an activated button's command waits for a picture showing the action colours
// before it runs anyway: a picture normally comes within a frame.
constexpr double MaxActionWait = 0.5;

std::uint16_t languageCode(const std::string& language)
{
    return language.size() == 2 ? static_cast<std::uint16_t>(language[0] << 8 | language[1]) : 0;
}

// The logical stream a title plays when the current one is not on offer: the first available,
// or the first in the preferred language.
template <class Control, class Attributes>
int preferredStream(
    const Control& control, const std::vector<Attributes>& attributes, std::uint16_t language)
{
    int pick = -1;
    for (std::size_t s = 0; s < control.size() && s < attributes.size(); ++s) {
        if (!control[s].available) continue;
        if (pick < 0) pick = static_cast<int>(s);
        if (languageCode(attributes[s].language) == language) return static_cast<int>(s);
    }
    return pick;
}

}  // namespace

Playback::Playback(Disc disc, SectorReader reader)
    : disc_(std::move(disc))
    , reader_(std::move(reader))
    , random_(std::random_device{}())
{
}

// ---- the disc's tables

const PgcTable* Playback::table(Domain domain, int titleSet) const
{
    auto unit = [this](const std::vector<MenuLanguageUnit>& units) -> const PgcTable* {
        if (units.empty()) return nullptr;
        for (const MenuLanguageUnit& u : units) {
            if (languageCode(u.language) == vm_.sprm(sprm::MenuLanguage)) return &u.pgcs;
        }
        return &units.front().pgcs;
    };
    bool validSet = titleSet >= 1 && titleSet <= static_cast<int>(disc_.titleSets.size());
    switch (domain) {
    case Domain::VideoManagerMenu: return unit(disc_.videoManager.menus);
    case Domain::VideoTitleSetMenu:
        return validSet ? unit(disc_.titleSets[titleSet - 1].menus) : nullptr;
    case Domain::Title: return validSet ? &disc_.titleSets[titleSet - 1].pgcs : nullptr;
    default: return nullptr;
    }
}

int Playback::menuPgc(Domain domain, int titleSet, int menu) const
{
    const PgcTable* t = table(domain, titleSet);
    if (!t) return 0;
    for (std::size_t i = 0; i < t->pgcs.size(); ++i) {
        if (t->pgcs[i].entryPgc && t->pgcs[i].menuType == menu) return static_cast<int>(i + 1);
    }
    return 0;
}

int Playback::titleNumber(int titleSet, int vtsTitle) const
{
    const auto& titles = disc_.videoManager.titles;
    for (std::size_t i = 0; i < titles.size(); ++i) {
        if (titles[i].titleSet == titleSet && titles[i].titleSetTitle == vtsTitle)
            return static_cast<int>(i + 1);
    }
    return 0;
}

int Playback::title() const
{
    return domain_ == Domain::Title ? vm_.sprm(sprm::TitleNumber) : 0;
}

int Playback::chapter() const
{
    return domain_ == Domain::Title ? vm_.sprm(sprm::ChapterNumber) : 0;
}

const TitleInfo* Playback::titleInfo() const
{
    int t = title();
    const auto& titles = disc_.videoManager.titles;
    return t >= 1 && t <= static_cast<int>(titles.size()) ? &titles[t - 1] : nullptr;
}

// The chains of the title playing, in the order its chapters reach them; empty outside a
// title or when the chain playing is not one of them.
std::vector<int> Playback::titleChains() const
{
    std::vector<int> chains;
    if (domain_ != Domain::Title) return chains;
    const TitleSet& set = disc_.titleSets[titleSet_ - 1];
    int vtsTitle = vm_.sprm(sprm::VtsTitleNumber);
    if (vtsTitle < 1 || vtsTitle > static_cast<int>(set.titles.size())) return chains;
    for (const PartOfTitle& part : set.titles[vtsTitle - 1]) {
        if (std::find(chains.begin(), chains.end(), part.pgcNumber) == chains.end())
            chains.push_back(part.pgcNumber);
    }
    if (std::find(chains.begin(), chains.end(), pgcNumber_) == chains.end()) chains.clear();
    return chains;
}

double Playback::chainLength(int pgcNumber) const
{
    const PgcTable* t = table(domain_, titleSet_);
    if (!t || pgcNumber < 1 || pgcNumber > static_cast<int>(t->pgcs.size())) return 0;
    return Timeline(*t->pgcs[pgcNumber - 1].pgc, vm_.sprm(sprm::AngleNumber)).length();
}

double Playback::titleOffset() const
{
    double offset = 0;
    for (int n : titleChains()) {
        if (n == pgcNumber_) break;
        offset += chainLength(n);
    }
    return offset;
}

double Playback::titleTime() const
{
    if (!pgc_ || !cell_) return 0;
    return titleOffset() + timeline().start(cell_) + offset_;
}

double Playback::titleLength() const
{
    if (!pgc_) return 0;
    std::vector<int> chains = titleChains();
    if (chains.empty()) return timeline().length();
    double length = 0;
    for (int n : chains) length += chainLength(n);
    return length;
}

int Playback::button() const
{
    int count = static_cast<int>(buttons().size());
    if (count == 0) return 0;
    int b = vm_.highlightedButton();
    return b >= 1 && b <= count ? b : 1;
}

bool Playback::inAngleBlock() const
{
    return pgc_ && cell_ && timeline().inAngleBlock(cell_);
}

std::uint32_t Playback::prohibitedUops() const
{
    if (!pgc_) return 0;
    std::uint32_t u = pgc_->prohibitedUops | navPack_.prohibitedUops;
    if (const TitleInfo* t = titleInfo()) {
        if (t->playbackType & titletype::TimeSearchProhibited) u |= uop::TimePlay;
        if (t->playbackType & titletype::ChapterSearchProhibited) u |= uop::ChapterPlay;
    }
    return u;
}

// ---- starting, stopping and time

void Playback::start()
{
    if (domain_ != Domain::Stop) stopHere();
    vm_ = Vm();
    vm_.seed(random_());
    resume_.reset();
    shown_ = {};
    setDomain(Domain::FirstPlay);
    follow(disc_.videoManager.firstPlay ? playPgc(Domain::FirstPlay, 0, 0)
                                        : Link{LinkKind::JumpTitle, 1});
}

void Playback::stop()
{
    if (domain_ != Domain::Stop) stopHere();
}

void Playback::stopHere()
{
    ++generation_;
    presented_.reset();
    pictured_ = false;
    next_.reset();
    passed_.reset();
    leaveStill();
    pgc_.reset();
    cell_ = 0;
    offset_ = 0;
    navPack_ = {};
    activated_ = 0;
    action_.reset();
    setDomain(Domain::Stop);
    report();
}

// True when the time went to a still or the navigation timer: the picture does not move.
bool Playback::elapseTimers(double seconds)
{
    if (vm_.tick(seconds) && domain_ == Domain::Title && vm_.sprm(sprm::NavTimerPgc)) {
        follow({LinkKind::Pgc, vm_.sprm(sprm::NavTimerPgc)});
        return true;
    }
    if (!still()) return false;
    if (stillLeft_ >= 0 && (stillLeft_ -= seconds) <= 0) endStill();
    report();
    return true;
}

void Playback::elapse(double seconds)
{
    if (domain_ == Domain::Stop || !pgc_ || seconds <= 0) return;
    if (action_ && (actionLeft_ -= seconds) <= 0) return act();
    if (!elapseTimers(seconds)) report();
}

void Playback::advance(double seconds)
{
    if (domain_ == Domain::Stop || !pgc_ || seconds <= 0) return;
    if (elapseTimers(seconds)) return;
    double delta = seconds * rate_;
    // Time alone moves playback here: no picture tells otherwise.
    if (delta < 0) {
        stepBack(delta);
        presented_.reset();
        pictured_ = false;
        report();
        return;
    }
    offset_ += delta;
    for (int n = 0; n < MaxCellsPerStep && domain_ != Domain::Stop && cell_ && !still(); ++n) {
        double length = timeline().duration(cell_);
        if (offset_ < length) break;
        double over = offset_ - length;
        unsigned before = entries_;
        follow(finishCell());
        if (entries_ == before) {
            // Nothing took playback anywhere: it rests at the end of the cell.
            if (pgc_ && cell_ && !still()) offset_ = timeline().duration(cell_);
            break;
        }
        if (domain_ != Domain::Stop && !still()) offset_ += over;
    }
    presented_.reset();
    pictured_ = false;
    report();
}

std::optional<Vobu> Playback::read()
{
    const std::size_t from = events_.size();
    handedOut_ = from;
    inRead_ = true;
    std::optional<Vobu> vobu = readOn();
    inRead_ = false;
    hold(from, vobu ? std::optional(vobu->serial) : std::nullopt);
    return vobu;
}

std::optional<Vobu> Playback::readOn()
{
    if (std::optional<double> to = std::exchange(back_, std::nullopt); to && rate_ < 0) {
        // At the start of the title backward scan settles into normal play, as a player does.
        reading_ = true;
        if (*to <= 0) setRate(1.0);
        playAt(std::max(0.0, *to));
        reading_ = false;
    }
    for (int n = 0; n < MaxCellsPerStep; ++n) {
        if (domain_ == Domain::Stop || !pgc_ || !cell_ || still()) return std::nullopt;
        if (std::optional<Vobu> vobu = readVobu()) return vobu;
        // The cell has been read: on to whatever the disc plays after it, without a jump.
        unsigned before = entries_;
        reading_ = true;
        follow(finishCell());
        reading_ = false;
        if (entries_ == before) return std::nullopt;
    }
    return std::nullopt;
}

std::optional<Vobu> Playback::readVobu()
{
    const CellPlayback& c = pgc_->cells[cell_ - 1];
    const VobuReader sectors = vobuReader();
    while (next_) {
        auto found = sectors.findNavPack(*next_, c.lastSector);
        if (!found) found = navPackPastDamage(sectors);
        if (!found) break;
        auto& [at, pack] = *found;
        passed_.emplace(at, pack.search);
        next_ = followingVobu(at, pack, c);
        std::uint32_t count = std::min({pack.search.lastSector, c.lastSector - at, MaxVobuSectors - 1}) + 1;
        Vobu vobu;
        vobu.sectors.resize(std::size_t{count} * SectorBytes);
        if (!sectors.read(at, vobu.sectors)) continue;  // a damaged VOBU: on to the next
        vobu.generation = generation_;
        vobu.sector = at;
        vobu.startPtm = pack.startPtm;
        vobu.endPtm = pack.endPtm;
        vobu.scrambled = scrambled(vobu.sectors);
        vobu.rate = rate_;
        vobu.serial = ++served_;
        offset_ = std::clamp(pack.cellTime.totalSeconds(), 0.0, timeline().duration(cell_));
        vobu.time = titleOffset() + timeline().start(cell_) + offset_;
        if (rate_ < 0) {
            double length = std::clamp((pack.endPtm - pack.startPtm) / 90000.0, 0.1, 1.0);
            back_ = vobu.time + rate_ * length;
        }
        takeNavPack(std::move(pack));
        report();
        handedOut_ = events_.size();
        // The cursor holds after the VOBU; its pictures show and the last stays.
        if (c.vobuStill) enterStill(InfiniteStill, Phase::VobuStill);
        return vobu;
    }
    next_.reset();
    return std::nullopt;
}

// A VOBU whose NAV pack cannot be read: rather than scanning on sector by sector, each read
// paying the drive's retries, the cursor tries the VOBUs the last pack read points to, nearest
// first, until one reads; a scratch costs a handful of failed reads and skips only its own time.
std::optional<std::pair<std::uint32_t, NavPack>> Playback::navPackPastDamage(const VobuReader& sectors) const
{
    if (!passed_) return std::nullopt;
    const CellPlayback& c = pgc_->cells[cell_ - 1];
    const auto& [from, search] = *passed_;
    for (auto step = search.forward.rbegin(); step != search.forward.rend(); ++step) {
        const std::uint64_t at = std::uint64_t{from} + *step;
        if (!*step || at <= *next_ || at > c.lastSector) continue;
        if (auto found = sectors.findNavPack(static_cast<std::uint32_t>(at), c.lastSector)) return found;
    }
    return std::nullopt;
}

void Playback::presented(unsigned generation, double seconds)
{
    if (generation != generation_ || domain_ == Domain::Stop) return;
    presented_ = seconds;
    pictured_ = true;
    reportTime();
}

// Backward scan runs commands of no cell; at the start of the title it settles into normal
// play, as a player does.
void Playback::stepBack(double seconds)
{
    double target = titleTime() + seconds;
    if (target <= 0) {
        target = 0;
        setRate(1.0);
    }
    double start = titleOffset();
    if (target < start) return playAt(target);
    Timeline::Point p = timeline().at(target - start);
    if (p.cell == cell_) {
        offset_ = p.offset;
    } else {
        follow(enterCell(p.cell, p.offset));
    }
}

void Playback::playAt(double seconds)
{
    if (!pgc_) return;
    double start = 0;
    std::vector<int> chains = titleChains();
    for (int n : chains) {
        double length = chainLength(n);
        if (seconds < start + length || n == chains.back()) {
            if (n != pgcNumber_) return follow(seekPgc(n, seconds - start));
            break;
        }
        start += length;
    }
    Timeline::Point p = timeline().at(seconds - start);
    if (p.cell) follow(enterCell(p.cell, p.offset));
}

void Playback::playChapter(int title, int chapter)
{
    const auto& titles = disc_.videoManager.titles;
    if (title < 1 || title > static_cast<int>(titles.size())) return;
    const TitleInfo& t = titles[title - 1];
    follow(jumpTitle(t.titleSet, t.titleSetTitle, chapter));
}

void Playback::setRate(double rate)
{
    if (rate == rate_) return;
    rate_ = rate;
    tell({event::PlaybackRateChange, std::llround(rate * 10000), 0});
}

// ---- links

void Playback::follow(Link link)
{
    for (int hops = 0;; ++hops) {
        if (link.kind == LinkKind::None && (domain_ == Domain::Stop || !pgc_ || cell_ || still()))
            break;
        if (hops == MaxHops) {
            stopHere();
            break;
        }
        // Pre-commands whose link led nowhere: the chain plays its cells after all.
        link = link.kind == LinkKind::None ? startCells(0) : carry(link);
    }
    report();
}

Link Playback::carry(const Link& link)
{
    static const Pgc none;
    bool here = pgc_ && cell_;
    Timeline tl(pgc_ ? *pgc_ : none, vm_.sprm(sprm::AngleNumber));
    auto linkPgc = [this](int n) { return pgc_ && n ? playPgc(domain_, titleSet_, n) : Link{}; };
    switch (link.kind) {
    case LinkKind::None: return {};
    case LinkKind::TopCell: return here ? enterCell(cell_, 0) : Link{};
    case LinkKind::NextCell: {
        int c = tl.next(cell_);
        return c ? enterCell(c, 0) : tail();
    }
    case LinkKind::PrevCell: {
        int c = tl.previous(cell_);
        return here ? enterCell(c ? c : cell_, 0) : Link{};
    }
    case LinkKind::TopProgram: {
        int c = tl.programEntry(tl.program(cell_));
        return here && c ? enterCell(c, 0) : Link{};
    }
    case LinkKind::NextProgram: {
        int c = tl.programEntry(tl.program(cell_) + 1);
        return c ? enterCell(c, 0) : tail();
    }
    case LinkKind::PrevProgram: {
        int c = tl.programEntry(std::max(1, tl.program(cell_) - 1));
        return c ? enterCell(c, 0) : Link{};
    }
    case LinkKind::TopPgc: return pgc_ ? playPgc(domain_, titleSet_, pgcNumber_) : Link{};
    case LinkKind::NextPgc: return linkPgc(pgc_ ? pgc_->nextPgc : 0);
    case LinkKind::PrevPgc: return linkPgc(pgc_ ? pgc_->prevPgc : 0);
    case LinkKind::GoUpPgc:
        // Some menus name no chain to go up to but 0xFFFF: back to where the menu was called.
        if (pgc_ && pgc_->goUpPgc == 0xFFFF) return resumeAt();
        return linkPgc(pgc_ ? pgc_->goUpPgc : 0);
    case LinkKind::TailPgc: return pgc_ ? tail() : Link{};
    case LinkKind::Resume: return resumeAt();
    case LinkKind::Pgc: return linkPgc(link.number);
    case LinkKind::Chapter:
        if (domain_ != Domain::Title) return {};
        return jumpTitle(titleSet_, vm_.sprm(sprm::VtsTitleNumber), link.number);
    case LinkKind::Program: {
        int c = tl.programEntry(link.number);
        return c ? enterCell(c, 0) : Link{};
    }
    case LinkKind::Cell: {
        int c = tl.resolve(link.number);
        return c ? enterCell(c, 0) : Link{};
    }
    case LinkKind::Exit: stopHere(); return {};
    case LinkKind::JumpTitle: {
        const auto& titles = disc_.videoManager.titles;
        if (link.number < 1 || link.number > static_cast<int>(titles.size())) {
            if (domain_ == Domain::FirstPlay) stopHere();  // nothing on the disc to start
            return {};
        }
        const TitleInfo& t = titles[link.number - 1];
        return jumpTitle(t.titleSet, t.titleSetTitle, 1);
    }
    case LinkKind::JumpVtsTitle: return jumpTitle(titleSet_, link.number, 1);
    case LinkKind::JumpVtsChapter: return jumpTitle(titleSet_, link.number, link.chapter);
    case LinkKind::JumpFirstPlay: return playPgc(Domain::FirstPlay, 0, 0);
    case LinkKind::JumpVmgMenu: {
        int n = menuPgc(Domain::VideoManagerMenu, 0, link.number);
        return n ? playPgc(Domain::VideoManagerMenu, 0, n) : Link{};
    }
    case LinkKind::JumpVtsMenu: {
        int n = menuPgc(Domain::VideoTitleSetMenu, link.titleSet, link.number);
        if (!n) return {};
        vm_.setSprm(sprm::VtsTitleNumber, static_cast<std::uint16_t>(link.vtsTitle));
        if (int t = titleNumber(link.titleSet, link.vtsTitle))
            vm_.setSprm(sprm::TitleNumber, static_cast<std::uint16_t>(t));
        return playPgc(Domain::VideoTitleSetMenu, link.titleSet, n);
    }
    case LinkKind::JumpVmgPgc: return playPgc(Domain::VideoManagerMenu, 0, link.number);
    case LinkKind::CallFirstPlay:
    case LinkKind::CallVmgMenu:
    case LinkKind::CallVtsMenu:
    case LinkKind::CallVmgPgc: return callMenu(link);
    }
    return {};
}

Link Playback::jumpTitle(int titleSet, int vtsTitle, int chapter)
{
    if (titleSet < 1 || titleSet > static_cast<int>(disc_.titleSets.size())) return {};
    const TitleSet& set = disc_.titleSets[titleSet - 1];
    if (vtsTitle < 1 || vtsTitle > static_cast<int>(set.titles.size())) return {};
    const std::vector<PartOfTitle>& chapters = set.titles[vtsTitle - 1];
    if (chapter < 1 || chapter > static_cast<int>(chapters.size())) return {};
    // A title reached any way but Resume makes the menu call's resume point stale.
    if (domain_ != Domain::Title) resume_.reset();
    vm_.setSprm(sprm::VtsTitleNumber, static_cast<std::uint16_t>(vtsTitle));
    const PartOfTitle& part = chapters[chapter - 1];
    // Inside the chain already playing a chapter is just a program: no pre-commands again.
    if (domain_ == Domain::Title && titleSet == titleSet_ && part.pgcNumber == pgcNumber_) {
        if (int c = timeline().programEntry(part.programNumber)) return enterCell(c, 0);
    }
    return playPgc(Domain::Title, titleSet, part.pgcNumber, part.programNumber);
}

Link Playback::callMenu(const Link& link)
{
    Domain target = Domain::VideoManagerMenu;
    int titleSet = 0;
    int n = link.number;
    switch (link.kind) {
    case LinkKind::CallFirstPlay: target = Domain::FirstPlay; break;
    case LinkKind::CallVmgMenu: n = menuPgc(target, 0, link.number); break;
    case LinkKind::CallVtsMenu:
        target = Domain::VideoTitleSetMenu;
        titleSet = titleSet_;
        n = menuPgc(target, titleSet, link.number);
        break;
    default: break;
    }
    if (target != Domain::FirstPlay && !n) return {};
    if (domain_ == Domain::Title && pgc_) {
        ResumePoint r{titleSet_, pgcNumber_, link.resumeCell ? link.resumeCell : cell_,
            link.resumeCell ? 0.0 : offset_};
        for (int i = 0; i < 5; ++i) r.registers[i] = vm_.sprm(sprm::TitleNumber + i);
        resume_ = r;
    }
    return playPgc(target, titleSet, n);
}

Link Playback::resumeAt()
{
    if (!resume_) return {};
    ResumePoint r = *resume_;
    for (int i = 0; i < 5; ++i) vm_.setSprm(sprm::TitleNumber + i, r.registers[i]);
    if (!setPgc(Domain::Title, r.titleSet, r.pgcNumber)) return {};
    int c = timeline().resolve(r.cell);
    return c ? enterCell(c, std::min(r.offset, timeline().duration(c))) : startCells(0);
}

// ---- program chains and cells

bool Playback::setPgc(Domain domain, int titleSet, int pgcNumber)
{
    std::shared_ptr<const Pgc> pgc;
    const PgcEntry* entry = nullptr;
    if (domain == Domain::FirstPlay) {
        pgc = disc_.videoManager.firstPlay;
    } else if (const PgcTable* t = table(domain, titleSet)) {
        if (pgcNumber >= 1 && pgcNumber <= static_cast<int>(t->pgcs.size())) {
            entry = &t->pgcs[pgcNumber - 1];
            pgc = entry->pgc;
        }
    }
    if (!pgc) return false;

    leaveStill();
    setDomain(domain);
    if (domain == Domain::VideoTitleSetMenu || domain == Domain::Title) titleSet_ = titleSet;
    pgcNumber_ = pgcNumber;
    pgc_ = std::move(pgc);
    cell_ = 0;
    offset_ = 0;
    programsPlayed_ = 0;
    shuffled_.clear();
    navPack_ = {};
    activated_ = 0;
    action_.reset();
    shown_.second = -1;
    if (domain == Domain::Title) {
        if (entry->titleNumber) vm_.setSprm(sprm::VtsTitleNumber, entry->titleNumber);
        int vtsTitle = vm_.sprm(sprm::VtsTitleNumber);
        if (int t = titleNumber(titleSet, vtsTitle))
            vm_.setSprm(sprm::TitleNumber, static_cast<std::uint16_t>(t));
        vm_.setSprm(sprm::TitlePgcNumber, static_cast<std::uint16_t>(pgcNumber));
        chooseStreams(disc_.titleSets[titleSet - 1]);
        if (title() != shown_.title) {
            shown_.title = title();
            shown_.chapter = 0;
            tell({event::TitleChange, shown_.title, 0});
        }
    }
    return true;
}

Link Playback::playPgc(Domain domain, int titleSet, int pgcNumber, int program)
{
    if (!setPgc(domain, titleSet, pgcNumber)) return {};
    Link l = vm_.run(pgc_->preCommands);
    if (l.kind != LinkKind::None) return l;
    return startCells(program);
}

// Enters another chain of the title at a time: its pre-commands run, but it starts where asked.
Link Playback::seekPgc(int pgcNumber, double seconds)
{
    if (!setPgc(Domain::Title, titleSet_, pgcNumber)) return {};
    Link l = vm_.run(pgc_->preCommands);
    if (l.kind != LinkKind::None) return l;
    Timeline::Point p = timeline().at(seconds);
    return p.cell ? enterCell(p.cell, p.offset) : startCells(0);
}

Link Playback::startCells(int program)
{
    Timeline tl = timeline();
    // Random and shuffled chains choose their own first program, whatever chapter was asked.
    if (!pgc_->sequential()) program = randomProgram();
    int c = program ? tl.programEntry(program) : tl.first();
    if (!c) c = tl.first();
    return c ? enterCell(c, 0) : tail();
}

Link Playback::enterCell(int cell, double offset)
{
    leaveStill();
    if (!reading_) {
        ++generation_;
        back_.reset();
    }
    cell_ = cell;
    offset_ = offset;
    // Until a picture of the new place shows, the time told is where playback moved to: the
    // cursor reads ahead of the pictures (for the sound) and a time search lands on the VOBU
    // before the time asked, and neither is a time anyone has seen.
    if (!reading_) {
        presented_ = titleTime();
        pictured_ = false;
    }
    ++entries_;
    loadNavPack();
    const CellPlayback& c = pgc_->cells[cell - 1];
    next_ = offset > 0 ? vobuReader().seek(c, offset) : c.firstSector;
    passed_.reset();
    Timeline tl = timeline();
    reportChapter(offset == 0 && tl.programEntry(tl.program(cell)) == cell);
    if (navPack_.forcedActivate) {
        int b = navPack_.forcedActivate;
        vm_.setHighlightedButton(b);
        activated_ = b;
        tell({event::ButtonAutoActivated, b, 0});
        return vm_.run(navPack_.buttons[b - 1].command);
    }
    return {};
}

VobuReader Playback::vobuReader() const
{
    bool menus = domain_ != Domain::Title;
    unsigned titleSet =
        domain_ == Domain::VideoTitleSetMenu || domain_ == Domain::Title ? titleSet_ : 0;
    // The pictures are shown in their own shape: a 16:9 set's buttons are those of the wide
    // picture, whatever the display would prefer.
    const VideoAttributes* video = &disc_.videoManager.menuVideo;
    if (titleSet >= 1 && titleSet <= disc_.titleSets.size()) {
        const TitleSet& set = disc_.titleSets[titleSet - 1];
        video = menus ? &set.menuVideo : &set.video;
    }
    return VobuReader(reader_, titleSet, menus ? VobSet::Menu : VobSet::Title, video->wide);
}

void Playback::loadNavPack()
{
    navPack_ = {};
    takeNavPack(vobuReader().navPack(pgc_->cells[cell_ - 1].firstSector).value_or(NavPack{}));
}

// Buttons last from the VOBU that brings them until one brings others.
void Playback::takeNavPack(NavPack pack)
{
    if (pack.highlight == Highlight::None || pack.highlight == Highlight::Same) {
        pack.buttons = std::move(navPack_.buttons);
        pack.forcedSelect = 0;
        pack.forcedActivate = 0;
    }
    bool fresh = pack.highlight == Highlight::New || pack.highlight == Highlight::NewCommands;
    navPack_ = std::move(pack);
    int count = static_cast<int>(navPack_.buttons.size());
    if (count == 0 || !fresh) return;
    int b = navPack_.forcedSelect ? navPack_.forcedSelect : vm_.highlightedButton();
    vm_.setHighlightedButton(b >= 1 && b <= count ? b : 1);
}

Link Playback::finishCell()
{
    const CellPlayback& c = pgc_->cells[cell_ - 1];
    if (c.stillTime) {
        enterStill(c.stillTime, Phase::CellStill);
        return {};
    }
    return afterCellStill();
}

Link Playback::afterCellStill()
{
    const CellPlayback& c = pgc_->cells[cell_ - 1];
    if (c.commandNumber && c.commandNumber <= pgc_->cellCommands.size()) {
        Link l = vm_.run(pgc_->cellCommands[c.commandNumber - 1]);
        if (l.kind != LinkKind::None) return l;
    }
    int next = followingCell(cell_);
    return next ? enterCell(next, 0) : tail();
}

int Playback::followingCell(int cell)
{
    Timeline tl = timeline();
    int next = tl.next(cell);
    if (pgc_->sequential() || (next && tl.program(next) == tl.program(cell))) return next;
    if (++programsPlayed_ >= pgc_->randomProgramCount()) return 0;
    int program = randomProgram();
    return program ? tl.programEntry(program) : 0;
}

// Random chains may repeat a program; shuffled ones play each at most once.
int Playback::randomProgram()
{
    int count = timeline().programCount();
    if (count == 0) return 0;
    if (!pgc_->shuffle()) return std::uniform_int_distribution<int>(1, count)(random_);
    std::vector<int> left;
    for (int p = 1; p <= count; ++p) {
        if (std::find(shuffled_.begin(), shuffled_.end(), p) == shuffled_.end()) left.push_back(p);
    }
    if (left.empty()) return 0;
    int p = left[std::uniform_int_distribution<std::size_t>(0, left.size() - 1)(random_)];
    shuffled_.push_back(p);
    return p;
}

Link Playback::tail()
{
    if (cell_) offset_ = timeline().duration(cell_);
    if (pgc_->stillTime) {
        enterStill(pgc_->stillTime, Phase::PgcStill);
        return {};
    }
    return post();
}

Link Playback::post()
{
    Link l = vm_.run(pgc_->postCommands);
    if (l.kind != LinkKind::None) return l;
    if (pgc_->nextPgc) return {LinkKind::Pgc, pgc_->nextPgc};
    return chainEnded();
}

Link Playback::chainEnded()
{
    switch (domain_) {
    case Domain::FirstPlay: return {LinkKind::JumpTitle, 1};
    case Domain::Title: stopHere(); return {};
    default:
        // A menu that runs out without a link keeps its last picture and its buttons.
        enterStill(InfiniteStill, Phase::PgcStill);
        return {};
    }
}

// ---- stills

void Playback::enterStill(int seconds, Phase phase)
{
    phase_ = phase;
    stillLeft_ = seconds == InfiniteStill ? -1.0 : seconds;
    if (cell_ && phase != Phase::VobuStill) offset_ = timeline().duration(cell_);
    tell({event::StillOn, buttons().empty() ? 1 : 0,
        seconds == InfiniteStill ? InfiniteStillSeconds : seconds});
}

void Playback::leaveStill()
{
    if (phase_ == Phase::Cell) return;
    phase_ = Phase::Cell;
    tell({event::StillOff, 0, 0});
}

void Playback::endStill()
{
    if (phase_ == Phase::Cell) return;
    Phase was = phase_;
    leaveStill();
    // After a VOBU the cursor simply reads on.
    follow(was == Phase::VobuStill ? Link{} : was == Phase::CellStill ? afterCellStill() : post());
}

// ---- streams, angles and buttons

void Playback::chooseStreams(const TitleSet& set)
{
    int audio = vm_.sprm(sprm::AudioStream);
    if (audio >= 8 || !pgc_->audioControl[audio].available) {
        int s = preferredStream(pgc_->audioControl, set.audio, vm_.sprm(sprm::AudioLanguage));
        vm_.setSprm(sprm::AudioStream, s < 0 ? NoAudioStream : static_cast<std::uint16_t>(s));
    }
    int sub = vm_.sprm(sprm::SubpictureStream) & 0x3F;
    if (sub >= 32 || !pgc_->subpictureControl[sub].available) {
        int s = preferredStream(
            pgc_->subpictureControl, set.subpicture, vm_.sprm(sprm::SubpictureLanguage));
        std::uint16_t shown = vm_.sprm(sprm::SubpictureStream) & SubpictureShown;
        vm_.setSprm(sprm::SubpictureStream,
            s < 0 ? NoSubpictureStream : static_cast<std::uint16_t>(s | shown));
    }
    const TitleInfo* t = titleInfo();
    int angles = t ? std::max<int>(1, t->angleCount) : 1;
    if (vm_.sprm(sprm::AngleNumber) < 1 || vm_.sprm(sprm::AngleNumber) > angles)
        vm_.setSprm(sprm::AngleNumber, 1);
}

void Playback::selectAudio(int stream)
{
    vm_.setSprm(sprm::AudioStream, static_cast<std::uint16_t>(stream));
    report();
}

void Playback::selectSubpicture(int stream, bool shown)
{
    vm_.setSprm(
        sprm::SubpictureStream, static_cast<std::uint16_t>(stream | (shown ? SubpictureShown : 0)));
    report();
}

// Inside an angle block the change is seamless: the other angle's cell at the same offset.
void Playback::selectAngle(int angle)
{
    vm_.setSprm(sprm::AngleNumber, static_cast<std::uint16_t>(angle));
    if (inAngleBlock() && !still()) {
        int c = timeline().resolve(cell_);
        if (c != cell_) return follow(enterCell(c, std::min(offset_, timeline().duration(c))));
    }
    report();
}

void Playback::selectButton(int button)
{
    vm_.setHighlightedButton(button);
    activated_ = 0;
    if (navPack_.buttons[button - 1].autoAction) {
        tell({event::ButtonAutoActivated, button, 0});
        return activateButton();
    }
    report();
}

void Playback::activateButton()
{
    int b = button();
    if (!b) return;
    activated_ = b;
    Command command = navPack_.buttons[b - 1].command;
    if (!actionsShown_) return runButton(command);
    action_ = command;
    actionGeneration_ = generation_;
    actionLeft_ = MaxActionWait;
    report();
}

void Playback::act()
{
    if (!action_) return;
    Command command = *action_;
    action_.reset();
    // A jump since the activation has taken playback away from the menu it belonged to.
    if (actionGeneration_ == generation_) runButton(command);
}

void Playback::runButton(const Command& command)
{
    Link link = vm_.run(command);
    // A button that leads nowhere releases a still after a VOBU: the menu plays on.
    if (link.kind == LinkKind::None && phase_ == Phase::VobuStill) return endStill();
    follow(link);
}

// ---- events

std::vector<Event> Playback::takeEvents()
{
    return std::exchange(events_, {});
}

void Playback::tell(const Event& e)
{
    // Told outside reading, it happens now: after everything read before it. The time told
    // is a picture's already.
    if (!inRead_ && e.code != event::CurrentHmsfTime) release(held_.size());
    events_.push_back(e);
}

// What reading told from `from` on waits for the pictures: until the VOBU handed out shows,
// or what came after handing it out until everything read has shown.
void Playback::hold(std::size_t from, std::optional<std::uint32_t> vobu)
{
    std::size_t kept = from;
    for (std::size_t i = from; i < events_.size(); ++i) {
        if (events_[i].code == event::CurrentHmsfTime) {
            events_[kept++] = events_[i];
        } else {
            held_.push_back({events_[i], i < handedOut_ ? vobu : std::nullopt});
        }
    }
    events_.resize(kept);
}

void Playback::release(std::size_t count)
{
    for (; count > 0 && !held_.empty(); --count) {
        events_.push_back(held_.front().event);
        held_.pop_front();
    }
}

void Playback::shown(std::uint32_t vobu)
{
    std::size_t due = 0;
    while (due < held_.size() && held_[due].vobu && *held_[due].vobu <= vobu) ++due;
    release(due);
}

void Playback::caughtUp()
{
    release(held_.size());
}

void Playback::setDomain(Domain domain)
{
    if (domain == domain_) return;
    domain_ = domain;
    tell({event::DomainChange, static_cast<int>(domain), 0});
    setRate(1.0);  // scanning does not carry over into another domain
    if (domain != Domain::Title) {
        shown_.title = 0;
        shown_.chapter = 0;
    }
    if (domain == Domain::Stop) tell({event::PlaybackStopped, 0, 0});
}

// The last chapter that starts at or before this program of the chain playing, and the
// program it starts at; 0 for none.
std::pair<int, int> Playback::chapterOfProgram(int program) const
{
    const TitleSet& set = disc_.titleSets[titleSet_ - 1];
    int vtsTitle = vm_.sprm(sprm::VtsTitleNumber);
    if (vtsTitle < 1 || vtsTitle > static_cast<int>(set.titles.size())) return {0, 0};
    int found = 0;
    int foundProgram = 0;
    const std::vector<PartOfTitle>& chapters = set.titles[vtsTitle - 1];
    for (std::size_t i = 0; i < chapters.size(); ++i) {
        const PartOfTitle& part = chapters[i];
        if (part.pgcNumber == pgcNumber_ && part.programNumber <= program &&
            part.programNumber > foundProgram) {
            found = static_cast<int>(i + 1);
            foundProgram = part.programNumber;
        }
    }
    return {found, foundProgram};
}

int Playback::shownChapter() const
{
    if (domain_ != Domain::Title || !pgc_ || !pictured_) return chapter();
    // A picture of another chain than the cursor's: only the cursor's chapter is known.
    double into = *presented_ - titleOffset();
    if (into < 0 || into >= timeline().length()) return chapter();
    int found = chapterOfProgram(timeline().program(timeline().at(into).cell)).first;
    return found ? found : chapter();
}

void Playback::reportChapter(bool starting)
{
    if (domain_ != Domain::Title) return;
    int program = timeline().program(cell_);
    auto [found, foundProgram] = chapterOfProgram(program);
    if (!found) return;
    vm_.setSprm(sprm::ChapterNumber, static_cast<std::uint16_t>(found));
    if (found != shown_.chapter || (starting && foundProgram == program)) {
        shown_.chapter = found;
        tell({event::ChapterStart, found, 0});
    }
}

void Playback::report()
{
    std::uint32_t uops = prohibitedUops();
    if (uops != shown_.uops) {
        shown_.uops = uops;
        tell({event::ValidUopsChange, uops, 0});
    }
    // Stream numbers go out only when they name a stream, because the player asks for the
    // language of every stream it is told about.
    if (domain_ == Domain::Title) {
        const TitleSet& set = disc_.titleSets[titleSet_ - 1];
        std::uint16_t audio = vm_.sprm(sprm::AudioStream);
        if (audio != shown_.audio) {
            shown_.audio = audio;
            if (audio < set.audio.size()) tell({event::AudioStreamChange, audio, 0});
        }
        std::uint16_t sub = vm_.sprm(sprm::SubpictureStream);
        if (sub != shown_.subpicture) {
            shown_.subpicture = sub;
            if ((sub & 0x3F) < set.subpicture.size())
                tell(
                    {event::SubpictureStreamChange, sub & 0x3F, (sub & SubpictureShown) ? 1 : 0});
        }
        const TitleInfo* t = titleInfo();
        int angles = t ? std::max<int>(1, t->angleCount) : 1;
        int angle = vm_.sprm(sprm::AngleNumber);
        if (angles != shown_.angles || angle != shown_.angle) {
            shown_.angles = angles;
            shown_.angle = angle;
            tell({event::AngleChange, angles, angle});
        }
    }
    bool block = inAngleBlock();
    if (block != shown_.angleBlock) {
        shown_.angleBlock = block;
        tell({event::AnglesAvailable, block ? 1 : 0, 0});
    }
    int count = static_cast<int>(buttons().size());
    if (count != shown_.buttons || button() != shown_.button) {
        shown_.buttons = count;
        shown_.button = button();
        tell({event::ButtonChange, count, shown_.button});
    }
    reportTime();
}

void Playback::reportTime()
{
    if (!timeEvents_ || domain_ != Domain::Title || !pgc_) return;
    Timecode t = timecodeOf(presentedTime(), timeline().frameRate());
    std::int64_t second = (t.time.hours * 60 + t.time.minutes) * 60 + t.time.seconds;
    if (second == shown_.second) return;
    shown_.second = second;
    std::int64_t packed =
        t.time.hours | t.time.minutes << 8 | t.time.seconds << 16 | t.time.frames << 24;
    tell({event::CurrentHmsfTime, packed, t.flags});
}

}  // namespace nav
