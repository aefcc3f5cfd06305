#pragma once
// Where playback is and how it moves on: domains, program chains, cells and stills, the
// links the virtual machine takes, the resume point of menu calls, and the events a player
// sees on the way. It carries out what it is told; whether the user may ask is the
// Navigator's business.

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <random>
#include <span>
#include <utility>
#include <vector>

#include "core/Ifo.h"
#include "core/NavPack.h"
#include "core/Navigator.h"
#include "core/Timeline.h"
#include "core/Vm.h"
#include "core/Vobu.h"
#include "core/Volume.h"

namespace nav {

class Playback {
public:
    Playback(Disc disc, SectorReader reader);

    const Disc& disc() const { return disc_; }
    Vm& vm() { return vm_; }
    const Vm& vm() const { return vm_; }

    void start();
    void stop();
    // Moves playback on by presentation time alone, for players without pictures.
    void advance(double seconds);
    // The reading cursor: the next VOBU in play order, moving playback through the disc as
    // it goes. Nothing while a still holds, when nothing is left to read here, or stopped.
    std::optional<Vobu> read();
    // Jumps change it; VOBUs read under an older one show the past.
    unsigned generation() const { return generation_; }
    // The picture of this title time is on screen.
    void presented(unsigned generation, double seconds);
    // Clock time passes for stills and the navigation timer, whatever the pictures do.
    void elapse(double seconds);
    // What reading tells waits for the pictures: the first picture of the VOBU with this
    // serial is on screen.
    void shown(std::uint32_t vobu);
    // Every picture of what was read has been shown.
    void caughtUp();
    std::vector<Event> takeEvents();
    void setTimeEvents(bool on) { timeEvents_ = on; }

    // Carries out a link, jump or call and whatever the commands it reaches lead to.
    void follow(Link link);
    void playChapter(int title, int chapter);
    // Jumps to a time of the title playing (of the program chain, in menus).
    void playAt(double seconds);
    void setRate(double rate);
    void endStill();
    void selectAudio(int stream);
    void selectSubpicture(int stream, bool shown);
    void selectAngle(int angle);
    void selectButton(int button);
    void activateButton();
    // With pictures, an activated button shows in its action colours before its command runs:
    // the command waits for act(), or for a moment of clock time when no picture comes.
    void setActionsShown(bool on) { actionsShown_ = on; }
    bool acting() const { return action_.has_value(); }
    // Runs the command of the button activated, if it still waits.
    void act();

    Domain domain() const { return domain_; }
    int titleSet() const { return titleSet_; }
    int title() const;    // 0 outside the title domain
    int chapter() const;  // 0 outside the title domain
    // The chapter of the picture on screen: the cursor reads ahead of it (behind it, scanning
    // backward).
    int shownChapter() const;
    const Pgc* pgc() const { return pgc_.get(); }
    int pgcNumber() const { return pgc_ ? pgcNumber_ : 0; }
    int cell() const { return pgc_ ? cell_ : 0; }
    const TitleInfo* titleInfo() const;
    Timeline timeline() const { return Timeline(*pgc_, vm_.sprm(sprm::AngleNumber)); }
    // A title may run through several chains one after another; its time runs on across them.
    double titleTime() const;
    // The time of the picture on screen, or of the place playback moved to since.
    double presentedTime() const { return presented_.value_or(titleTime()); }
    double titleLength() const;
    double rate() const { return rate_; }
    bool still() const { return phase_ != Phase::Cell; }
    bool hasResumePoint() const { return resume_.has_value(); }
    bool inAngleBlock() const;
    const std::vector<MenuButton>& buttons() const { return navPack_.buttons; }
    const NavPack& navPack() const { return navPack_; }
    // The highlighted button; a register naming none of the buttons highlights the first.
    int button() const;
    int activatedButton() const { return activated_; }
    std::uint32_t prohibitedUops() const;
    // The menu PGC of a kind in the domain's menus; 0 when the disc has none.
    int menuPgc(Domain domain, int titleSet, int menu) const;

private:
    enum class Phase { Cell, VobuStill, CellStill, PgcStill };

    struct ResumePoint {
        int titleSet = 0;
        int pgcNumber = 0;
        int cell = 0;
        double offset = 0;
        std::array<std::uint16_t, 5> registers{};  // system registers 4 to 8
    };

    const PgcTable* table(Domain domain, int titleSet) const;
    int titleNumber(int titleSet, int vtsTitle) const;

    Link carry(const Link& link);
    Link jumpTitle(int titleSet, int vtsTitle, int chapter);
    Link callMenu(const Link& link);
    Link resumeAt();
    // Makes a program chain current without running anything; false when there is none.
    bool setPgc(Domain domain, int titleSet, int pgcNumber);
    // Plays a program chain from its pre-commands, then from the program (0 = its start).
    Link playPgc(Domain domain, int titleSet, int pgcNumber, int program = 0);
    Link startCells(int program);
    Link seekPgc(int pgcNumber, double seconds);
    Link enterCell(int cell, double offset);
    Link finishCell();
    Link afterCellStill();
    Link tail();
    Link post();
    Link chainEnded();
    int followingCell(int cell);
    int randomProgram();

    std::vector<int> titleChains() const;
    double chainLength(int pgcNumber) const;
    double titleOffset() const;
    void chooseStreams(const TitleSet& set);
    void stepBack(double seconds);
    void setDomain(Domain domain);
    void runButton(const Command& command);
    void enterStill(int seconds, Phase phase);
    void leaveStill();
    bool elapseTimers(double seconds);
    VobuReader vobuReader() const;
    std::optional<Vobu> readOn();
    std::optional<Vobu> readVobu();
    std::optional<std::pair<std::uint32_t, NavPack>> navPackPastDamage(const VobuReader& sectors) const;
    void loadNavPack();
    void takeNavPack(NavPack pack);
    void stopHere();
    void tell(const Event& e);
    void hold(std::size_t from, std::optional<std::uint32_t> vobu);
    void release(std::size_t count);
    void report();
    std::pair<int, int> chapterOfProgram(int program) const;
    void reportChapter(bool starting);
    void reportTime();

    Disc disc_;
    SectorReader reader_;
    Vm vm_;
    std::minstd_rand random_;
    std::vector<Event> events_;  // to tell now
    // Told while reading, waiting for the pictures: until the VOBU of this serial shows, or
    // without one until everything read has.
    struct Held {
        Event event;
        std::optional<std::uint32_t> vobu;
    };
    std::deque<Held> held_;
    bool inRead_ = false;
    std::size_t handedOut_ = 0;  // events_ told before the VOBU read was handed out
    std::uint32_t served_ = 0;   // VOBUs handed out
    bool timeEvents_ = false;

    Domain domain_ = Domain::Stop;
    int titleSet_ = 0;  // of the title or menus playing, or last played
    int pgcNumber_ = 0;
    std::shared_ptr<const Pgc> pgc_;
    int cell_ = 0;
    double offset_ = 0;     // seconds into the cell
    std::optional<std::uint32_t> next_;  // the cursor: the cell's next VOBU, none at its end
    // The last NAV pack read in the cell and where: its search pointers lead past damage.
    std::optional<std::pair<std::uint32_t, VobuSearch>> passed_;
    unsigned generation_ = 0;
    bool reading_ = false;  // the cursor moves on by itself: no jump
    std::optional<double> presented_;
    bool pictured_ = false;  // presented_ is a picture's, not where a jump landed
    std::optional<double> back_;  // scanning backward: where the cursor reads next
    unsigned entries_ = 0;  // cells entered, to tell whether a step moved anywhere
    double rate_ = 1.0;
    Phase phase_ = Phase::Cell;
    double stillLeft_ = 0;  // negative: until released
    unsigned programsPlayed_ = 0;
    std::vector<int> shuffled_;  // programs a shuffle chain has played
    NavPack navPack_;
    int activated_ = 0;
    bool actionsShown_ = false;
    std::optional<Command> action_;  // of the button activated, until it has been seen
    unsigned actionGeneration_ = 0;
    double actionLeft_ = 0;  // clock seconds it waits for a picture at most
    std::optional<ResumePoint> resume_;

    // What the player has been told, so that only changes make events.
    struct Shown {
        int title = 0;
        int chapter = 0;
        std::int64_t second = -1;
        std::uint32_t uops = 0;
        std::uint16_t audio = NoAudioStream;
        std::uint16_t subpicture = NoSubpictureStream;
        int angles = 1;
        int angle = 1;
        bool angleBlock = false;
        int buttons = 0;
        int button = 0;
    };
    Shown shown_;
};

}  // namespace nav
