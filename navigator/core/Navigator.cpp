#include "core/Navigator.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "core/Disc.h"
#include "core/Language.h"
#include "core/Playback.h"
#include "core/ReadAhead.h"

namespace nav {
namespace {

bool valid(Hmsf t, int frameRate)
{
    return t.minutes < 60 && t.seconds < 60 && t.frames < frameRate;
}

double secondsOf(Hmsf t, int frameRate)
{
    return t.hours * 3600.0 + t.minutes * 60.0 + t.seconds +
        static_cast<double>(t.frames) / frameRate;
}

std::uint32_t menuUop(MenuId menu)
{
    switch (menu) {
    case MenuId::Title: return uop::TitleMenuCall;
    case MenuId::Root: return uop::RootMenuCall;
    case MenuId::Subpicture: return uop::SubpictureMenuCall;
    case MenuId::Audio: return uop::AudioMenuCall;
    case MenuId::Angle: return uop::AngleMenuCall;
    case MenuId::Chapter: return uop::ChapterMenuCall;
    }
    return 0;
}

AudioCoding codingOf(AudioFormat format)
{
    switch (format) {
    case AudioFormat::Ac3: return AudioCoding::Ac3;
    case AudioFormat::Mpeg1: return AudioCoding::Mpeg1;
    case AudioFormat::Mpeg2Extended: return AudioCoding::Mpeg2;
    case AudioFormat::Lpcm: return AudioCoding::Lpcm;
    case AudioFormat::Dts: return AudioCoding::Dts;
    case AudioFormat::Sdds: return AudioCoding::Sdds;
    }
    return AudioCoding::Other;
}

}  // namespace

OpenResult Navigator::open(const std::string& path, std::size_t readAhead, DriveWait driveWait)
{
    Result<OpenedDisc> opened = openDisc(path);
    if (!opened) return {nullptr, opened.error()};
    auto volume = std::make_shared<Volume>(std::move(opened->volume));
    SectorReader reader = [volume](unsigned titleSet, VobSet set, std::uint32_t sector,
                              std::span<std::uint8_t> out) {
        return volume->readSectors(titleSet, set, sector, out);
    };
    if (readAhead) {
        auto ahead = std::make_shared<ReadAhead>(
            std::move(reader), [volume](unsigned titleSet, VobSet set) { return volume->sectorCount(titleSet, set); },
            readAhead, std::move(driveWait));
        reader = [ahead](unsigned titleSet, VobSet set, std::uint32_t sector, std::span<std::uint8_t> out) {
            return ahead->read(titleSet, set, sector, out);
        };
    }
    return {create(std::move(opened->disc), std::move(reader)), {}};
}

std::unique_ptr<Navigator> Navigator::create(Disc disc, SectorReader reader)
{
    return std::unique_ptr<Navigator>(
        new Navigator(std::make_unique<Playback>(std::move(disc), std::move(reader))));
}

Navigator::Navigator(std::unique_ptr<Playback> playback)
    : playback_(std::move(playback))
{
}

Navigator::~Navigator() = default;

// ---- transport and time

void Navigator::start()
{
    playback_->start();
}

void Navigator::stop()
{
    playback_->stop();
}

void Navigator::advance(double seconds)
{
    playback_->advance(seconds);
}

std::optional<Vobu> Navigator::read()
{
    return playback_->read();
}

unsigned Navigator::generation() const
{
    return playback_->generation();
}

void Navigator::presented(unsigned generation, double seconds)
{
    playback_->presented(generation, seconds);
}

void Navigator::shown(std::uint32_t vobu)
{
    playback_->shown(vobu);
}

void Navigator::caughtUp()
{
    playback_->caughtUp();
}

void Navigator::elapse(double seconds)
{
    playback_->elapse(seconds);
}

std::vector<Event> Navigator::takeEvents()
{
    return playback_->takeEvents();
}

void Navigator::setHmsfTimeEvents(bool on)
{
    playback_->setTimeEvents(on);
}

void Navigator::setActionsShown(bool on)
{
    playback_->setActionsShown(on);
}

void Navigator::actionShown()
{
    playback_->act();
}

// ---- titles, chapters and times

namespace {
bool forbids(const Playback& p, std::uint32_t operations)
{
    return (p.prohibitedUops() & operations) != 0;
}
}  // namespace

Status Navigator::playTitle(int title)
{
    if (title < 1 || title > numberOfTitles()) return Status::InvalidArgument;
    if (forbids(*playback_, uop::TitlePlay)) return Status::Prohibited;
    playback_->playChapter(title, 1);
    return Status::Ok;
}

Status Navigator::playChapterInTitle(int title, int chapter)
{
    if (title < 1 || title > numberOfTitles()) return Status::InvalidArgument;
    if (chapter < 1 || chapter > numberOfChapters(title)) return Status::InvalidArgument;
    const TitleInfo& target = playback_->disc().videoManager.titles[title - 1];
    if (forbids(*playback_, uop::ChapterPlay) ||
        (target.playbackType & titletype::ChapterSearchProhibited))
        return Status::Prohibited;
    playback_->playChapter(title, chapter);
    return Status::Ok;
}

Status Navigator::playChapter(int chapter)
{
    if (playback_->domain() != Domain::Title) return Status::InvalidDomain;
    if (chapter < 1 || chapter > numberOfChapters(playback_->title()))
        return Status::InvalidArgument;
    if (forbids(*playback_, uop::TimeOrChapterSearch | uop::ChapterPlay)) return Status::Prohibited;
    playback_->playChapter(playback_->title(), chapter);
    return Status::Ok;
}

Status Navigator::playAtTimeInTitle(int title, Hmsf time)
{
    if (title == 0) {
        if (playback_->domain() != Domain::Title) return Status::InvalidDomain;
        title = playback_->title();
    }
    if (title < 1 || title > numberOfTitles()) return Status::InvalidArgument;
    const TitleInfo& target = playback_->disc().videoManager.titles[title - 1];
    if (forbids(*playback_, uop::TimePlay) ||
        (target.playbackType & titletype::TimeSearchProhibited))
        return Status::Prohibited;
    if (!valid(time, 30)) return Status::InvalidArgument;
    if (title != playback_->title()) {
        playback_->playChapter(title, 1);
        if (playback_->title() != title) return Status::Ok;  // the title's commands went elsewhere
    }
    int rate = playback_->timeline().frameRate();
    double at = secondsOf(time, rate);
    if (!valid(time, rate) || at >= playback_->titleLength()) return Status::InvalidArgument;
    playback_->playAt(at);
    return Status::Ok;
}

Status Navigator::playAtTime(Hmsf time)
{
    if (playback_->domain() != Domain::Title) return Status::InvalidDomain;
    if (forbids(*playback_, uop::TimeOrChapterSearch | uop::TimePlay)) return Status::Prohibited;
    int rate = playback_->timeline().frameRate();
    double at = secondsOf(time, rate);
    if (!valid(time, rate) || at >= playback_->titleLength()) return Status::InvalidArgument;
    playback_->playAt(at);
    return Status::Ok;
}

// Chapter steps run on across titles, as a remote's skip keys do: past the last chapter to
// the next title's first, before the first to the previous title's last.
Status Navigator::playNextChapter()
{
    if (playback_->domain() != Domain::Title) return Status::InvalidDomain;
    if (forbids(*playback_, uop::NextProgramSearch)) return Status::Prohibited;
    int title = playback_->title();
    int chapter = playback_->chapter();
    if (chapter < numberOfChapters(title)) {
        playback_->playChapter(title, chapter + 1);
    } else if (title < numberOfTitles()) {
        playback_->playChapter(title + 1, 1);
    } else {
        return Status::NotAvailable;
    }
    return Status::Ok;
}

Status Navigator::playPrevChapter()
{
    if (playback_->domain() != Domain::Title) return Status::InvalidDomain;
    if (forbids(*playback_, uop::PrevOrTopProgramSearch)) return Status::Prohibited;
    int title = playback_->title();
    int chapter = playback_->chapter();
    if (chapter > 1) {
        playback_->playChapter(title, chapter - 1);
    } else if (title > 1) {
        playback_->playChapter(title - 1, std::max(1, numberOfChapters(title - 1)));
    } else {
        playback_->playChapter(title, 1);
    }
    return Status::Ok;
}

Status Navigator::replayChapter()
{
    if (playback_->domain() != Domain::Title) return Status::InvalidDomain;
    if (forbids(*playback_, uop::PrevOrTopProgramSearch)) return Status::Prohibited;
    playback_->playChapter(playback_->title(), playback_->chapter());
    return Status::Ok;
}

Status Navigator::playForwards(double speed)
{
    if (!(speed > 0) || speed > 64) return Status::InvalidArgument;
    if (playback_->domain() == Domain::Stop) return Status::InvalidDomain;
    if (speed != 1.0 && forbids(*playback_, uop::ForwardScan)) return Status::Prohibited;
    playback_->setRate(speed);
    return Status::Ok;
}

Status Navigator::playBackwards(double speed)
{
    if (!(speed > 0) || speed > 64) return Status::InvalidArgument;
    if (playback_->domain() != Domain::Title) return Status::InvalidDomain;
    if (forbids(*playback_, uop::BackwardScan)) return Status::Prohibited;
    playback_->setRate(-speed);
    return Status::Ok;
}

// ---- menus

Status Navigator::showMenu(MenuId menu)
{
    Domain domain = playback_->domain();
    if (domain == Domain::Stop) return Status::InvalidDomain;
    if (forbids(*playback_, menuUop(menu))) return Status::Prohibited;
    int id = static_cast<int>(menu);
    bool call = domain == Domain::Title;
    if (menu == MenuId::Title) {
        if (!playback_->menuPgc(Domain::VideoManagerMenu, 0, id)) return Status::NotAvailable;
        playback_->follow({call ? LinkKind::CallVmgMenu : LinkKind::JumpVmgMenu, id});
        return Status::Ok;
    }
    int titleSet = playback_->titleSet();
    if (!playback_->menuPgc(Domain::VideoTitleSetMenu, titleSet, id)) return Status::NotAvailable;
    if (call) {
        playback_->follow({LinkKind::CallVtsMenu, id});
    } else {
        int vtsTitle = playback_->vm().sprm(sprm::VtsTitleNumber);
        playback_->follow({LinkKind::JumpVtsMenu, id, 0, titleSet, vtsTitle});
    }
    return Status::Ok;
}

Status Navigator::resume()
{
    Domain domain = playback_->domain();
    if (domain == Domain::Title || domain == Domain::Stop) return Status::InvalidDomain;
    if (forbids(*playback_, uop::Resume)) return Status::Prohibited;
    if (!playback_->hasResumePoint()) return Status::NotAvailable;
    playback_->follow({LinkKind::Resume});
    return Status::Ok;
}

Status Navigator::returnFromSubmenu()
{
    Domain domain = playback_->domain();
    if (domain != Domain::VideoManagerMenu && domain != Domain::VideoTitleSetMenu)
        return Status::InvalidDomain;
    if (forbids(*playback_, uop::GoUp)) return Status::Prohibited;
    std::uint16_t up = playback_->pgc()->goUpPgc;
    if (!up || (up == 0xFFFF && !playback_->hasResumePoint())) return Status::NotAvailable;
    playback_->follow({LinkKind::GoUpPgc});
    return Status::Ok;
}

// ---- streams and angles

Status Navigator::selectAudioStream(int stream)
{
    if (playback_->domain() != Domain::Title) return Status::InvalidDomain;
    if (forbids(*playback_, uop::AudioStreamChange)) return Status::Prohibited;
    if (stream < 0 || stream >= currentAudio().available) return Status::InvalidArgument;
    if (!playback_->pgc()->audioControl[stream].available) return Status::StreamDisabled;
    playback_->selectAudio(stream);
    return Status::Ok;
}

// A player's subtitle choice is meant to be seen, so choosing a stream also shows it.
Status Navigator::selectSubpictureStream(int stream)
{
    if (playback_->domain() != Domain::Title) return Status::InvalidDomain;
    if (forbids(*playback_, uop::SubpictureStreamChange)) return Status::Prohibited;
    if (stream < 0 || stream >= currentSubpicture().available) return Status::InvalidArgument;
    if (!playback_->pgc()->subpictureControl[stream].available) return Status::StreamDisabled;
    playback_->selectSubpicture(stream, true);
    return Status::Ok;
}

Status Navigator::setSubpictureState(bool on)
{
    if (playback_->domain() != Domain::Title) return Status::InvalidDomain;
    if (forbids(*playback_, uop::SubpictureStreamChange)) return Status::Prohibited;
    SubpictureState state = currentSubpicture();
    if (state.current >= state.available) return Status::StreamDisabled;
    playback_->selectSubpicture(state.current, on);
    return Status::Ok;
}

Status Navigator::selectAngle(int angle)
{
    if (playback_->domain() != Domain::Title) return Status::InvalidDomain;
    if (forbids(*playback_, uop::AngleChange)) return Status::Prohibited;
    if (angle < 1 || angle > currentAngle().available) return Status::InvalidArgument;
    playback_->selectAngle(angle);
    return Status::Ok;
}

// ---- buttons
// A button activated before and still waiting to be seen acts first, in its own menu.

Status Navigator::selectButton(int button)
{
    playback_->act();
    if (playback_->buttons().empty()) return Status::NoSuchButton;
    if (forbids(*playback_, uop::ButtonSelectOrActivate)) return Status::Prohibited;
    if (button < 1 || button > static_cast<int>(playback_->buttons().size()))
        return Status::InvalidArgument;
    playback_->selectButton(button);
    return Status::Ok;
}

Status Navigator::activateButton()
{
    playback_->act();
    if (playback_->buttons().empty()) return Status::NoSuchButton;
    if (forbids(*playback_, uop::ButtonSelectOrActivate)) return Status::Prohibited;
    playback_->activateButton();
    return Status::Ok;
}

Status Navigator::selectRelativeButton(Direction direction)
{
    playback_->act();
    if (playback_->buttons().empty()) return Status::NoSuchButton;
    if (forbids(*playback_, uop::ButtonSelectOrActivate)) return Status::Prohibited;
    const MenuButton& current = playback_->buttons()[playback_->button() - 1];
    int target = 0;
    switch (direction) {
    case Direction::Up: target = current.up; break;
    case Direction::Down: target = current.down; break;
    case Direction::Left: target = current.left; break;
    case Direction::Right: target = current.right; break;
    }
    if (target && target != current.number) playback_->selectButton(target);
    return Status::Ok;
}

Status Navigator::selectAtPosition(int x, int y)
{
    playback_->act();
    if (playback_->buttons().empty()) return Status::NoSuchButton;
    if (forbids(*playback_, uop::ButtonSelectOrActivate)) return Status::Prohibited;
    for (const MenuButton& b : playback_->buttons()) {
        if (b.rect.contains(x, y)) {
            if (b.number != playback_->button()) playback_->selectButton(b.number);
            return Status::Ok;
        }
    }
    return Status::NoSuchButton;
}

Status Navigator::activateAtPosition(int x, int y)
{
    playback_->act();
    if (playback_->buttons().empty()) return Status::NoSuchButton;
    if (forbids(*playback_, uop::ButtonSelectOrActivate)) return Status::Prohibited;
    for (const MenuButton& b : playback_->buttons()) {
        if (!b.rect.contains(x, y)) continue;
        if (b.autoAction && b.number != playback_->button()) {
            playback_->selectButton(b.number);  // selecting it already activates it
        } else {
            if (b.number != playback_->button()) playback_->selectButton(b.number);
            playback_->activateButton();
        }
        return Status::Ok;
    }
    return Status::NoSuchButton;
}

Status Navigator::stillOff()
{
    if (forbids(*playback_, uop::StillOff)) return Status::Prohibited;
    playback_->endStill();
    return Status::Ok;
}

Status Navigator::setParentalLevel(int level)
{
    if (level < 1 || level > 8) return Status::InvalidArgument;
    playback_->vm().setSprm(sprm::ParentalLevel, static_cast<std::uint16_t>(level));
    return Status::Ok;
}

// ---- queries

Domain Navigator::domain() const
{
    return playback_->domain();
}

Location Navigator::location() const
{
    Location l;
    l.title = playback_->title();
    l.chapter = playback_->shownChapter();
    l.programChain = playback_->pgcNumber();
    l.cell = playback_->cell();
    if (playback_->pgc())
        l.time = timecodeOf(playback_->presentedTime(), playback_->timeline().frameRate());
    return l;
}

Timecode Navigator::totalTitleTime() const
{
    if (!playback_->pgc()) return {};
    return timecodeOf(playback_->titleLength(), playback_->timeline().frameRate());
}

int Navigator::numberOfTitles() const
{
    return static_cast<int>(playback_->disc().videoManager.titles.size());
}

int Navigator::numberOfChapters(int title) const
{
    const Disc& disc = playback_->disc();
    if (title < 1 || title > numberOfTitles()) return 0;
    const TitleInfo& t = disc.videoManager.titles[title - 1];
    if (t.titleSet < 1 || t.titleSet > disc.titleSets.size()) return 0;
    const TitleSet& set = disc.titleSets[t.titleSet - 1];
    if (t.titleSetTitle < 1 || t.titleSetTitle > set.titles.size()) return 0;
    return static_cast<int>(set.titles[t.titleSetTitle - 1].size());
}

namespace {

// The attributes of what plays in the current domain.
struct DomainStreams {
    const VideoAttributes* video;
    const std::vector<AudioAttributes>* audio;
    const std::vector<SubpictureAttributes>* subpicture;
};

DomainStreams streamsOf(const Playback& p)
{
    const Disc& disc = p.disc();
    const VideoManager& vmg = disc.videoManager;
    int set = p.titleSet();
    const TitleSet* vts = set >= 1 && set <= static_cast<int>(disc.titleSets.size())
        ? &disc.titleSets[set - 1]
        : nullptr;
    switch (p.domain()) {
    case Domain::Title: return {&vts->video, &vts->audio, &vts->subpicture};
    case Domain::VideoTitleSetMenu: return {&vts->menuVideo, &vts->menuAudio, &vts->menuSubpicture};
    case Domain::VideoManagerMenu: return {&vmg.menuVideo, &vmg.menuAudio, &vmg.menuSubpicture};
    default:
        if (vts) return {&vts->video, &vts->audio, &vts->subpicture};
        return {&vmg.menuVideo, &vmg.menuAudio, &vmg.menuSubpicture};
    }
}

}  // namespace

AudioState Navigator::currentAudio() const
{
    DomainStreams s = streamsOf(*playback_);
    int available = static_cast<int>(s.audio->size());
    int current = playback_->vm().sprm(sprm::AudioStream);
    return {available, current < available ? current : 0};
}

SubpictureState Navigator::currentSubpicture() const
{
    DomainStreams s = streamsOf(*playback_);
    int available = static_cast<int>(s.subpicture->size());
    std::uint16_t value = playback_->vm().sprm(sprm::SubpictureStream);
    int current = value & 0x3F;
    return {available, current < available ? current : 0,
        !(value & SubpictureShown) || current >= available};
}

AngleState Navigator::currentAngle() const
{
    const TitleInfo* t = playback_->titleInfo();
    if (!t) return {};
    return {std::max<int>(1, t->angleCount), playback_->vm().sprm(sprm::AngleNumber)};
}

std::uint32_t Navigator::audioLanguage(int stream) const
{
    return audioAttributes(stream).language;
}

std::uint32_t Navigator::subpictureLanguage(int stream) const
{
    return subpictureAttributes(stream).language;
}

namespace {

VideoInfo infoOf(const VideoAttributes& v)
{
    VideoInfo info;
    info.sourceWidth = v.width;
    info.sourceHeight = v.height;
    info.aspectX = v.wide ? 16 : 4;
    info.aspectY = v.wide ? 9 : 3;
    info.frameRate = v.pal ? 50 : 60;
    info.mpeg2 = v.mpegVersion == 2;
    info.letterboxed = v.letterboxed;
    info.panScanPermitted = !v.panScanDisallowed;
    info.letterboxPermitted = !v.letterboxDisallowed;
    info.line21Field1 = v.line21Field1;
    info.line21Field2 = v.line21Field2;
    info.film = v.film;
    return info;
}

}  // namespace

VideoInfo Navigator::videoAttributes() const { return infoOf(*streamsOf(*playback_).video); }

// Menus count only where the disc has them: authoring tools leave a manager without menus
// with attributes of zero, which read as NTSC.
VideoInfo Navigator::largestVideo() const
{
    const Disc& disc = playback_->disc();
    const VideoAttributes* largest = nullptr;
    const auto consider = [&](const VideoAttributes& v) {
        if (!largest || std::pair{v.height, v.width} > std::pair{largest->height, largest->width}) largest = &v;
    };
    if (disc.videoManager.hasMenuVobs) consider(disc.videoManager.menuVideo);
    for (const TitleSet& set : disc.titleSets) {
        consider(set.video);
        if (set.hasMenuVobs) consider(set.menuVideo);
    }
    return infoOf(largest ? *largest : disc.videoManager.menuVideo);
}

AudioInfo Navigator::audioAttributes(int stream) const
{
    const std::vector<AudioAttributes>& audio = *streamsOf(*playback_).audio;
    if (stream < 0 || stream >= static_cast<int>(audio.size())) return {};
    const AudioAttributes& a = audio[stream];
    AudioInfo info;
    info.coding = codingOf(a.format());
    info.frequency = static_cast<int>(a.sampleRate);
    info.quantization = a.bitsPerSample() ? a.bitsPerSample() : 16;
    info.channels = a.channels;
    info.language = localeIdFromLanguage(a.language);
    info.languageExtension = a.codeExtension;
    info.multichannelExtension = a.multichannelExtension;
    info.applicationMode = a.applicationMode;
    return info;
}

SubpictureInfo Navigator::subpictureAttributes(int stream) const
{
    const std::vector<SubpictureAttributes>& subpicture = *streamsOf(*playback_).subpicture;
    if (stream < 0 || stream >= static_cast<int>(subpicture.size())) return {};
    const SubpictureAttributes& s = subpicture[stream];
    SubpictureInfo info;
    info.language = localeIdFromLanguage(s.language);
    info.hasLanguage = info.language != 0;
    info.languageExtension = s.codeExtension;
    return info;
}

std::vector<Button> Navigator::buttons() const
{
    std::vector<Button> list;
    for (const MenuButton& b : playback_->buttons())
        list.push_back({b.number, b.rect, b.autoAction});
    return list;
}

int Navigator::currentButton() const
{
    return playback_->button();
}

int Navigator::audioStream() const
{
    const Pgc* pgc = playback_->pgc();
    AudioState audio = currentAudio();
    if (!pgc || audio.available == 0 || playback_->vm().sprm(sprm::AudioStream) >= 8) return -1;
    const AudioStreamControl& control = pgc->audioControl[audio.current];
    return control.available ? control.physicalStream & 7 : -1;
}

Overlay Navigator::overlay() const
{
    Overlay o;
    const Pgc* pgc = playback_->pgc();
    if (!pgc) return o;
    o.palette = pgc->palette;
    // Menus show their own stream, forced; titles the one chosen, for the title's shape.
    int logical = 0;
    if (playback_->domain() == Domain::Title) {
        SubpictureState chosen = currentSubpicture();
        logical = chosen.current;
        o.shown = !chosen.disabled;
    }
    const SubpictureStreamControl& control = pgc->subpictureControl[logical];
    if (control.available) o.stream = videoAttributes().aspectX == 16 ? control.streamWide : control.stream4x3;
    else if (playback_->domain() != Domain::Title) o.stream = 0;
    int b = playback_->button();
    if (b == 0) return o;
    const MenuButton& button = playback_->buttons()[b - 1];
    const NavPack& pack = playback_->navPack();
    o.button = true;
    o.rect = button.rect;
    o.acting = playback_->acting();
    if (button.colours >= 1 && button.colours <= 3) {
        const ButtonColours& c = pack.buttonColours[button.colours - 1];
        o.colours = playback_->activatedButton() == b ? c.action : c.selection;
    }
    return o;
}

std::uint32_t Navigator::prohibitedUops() const
{
    return playback_->prohibitedUops();
}

double Navigator::rate() const
{
    return playback_->rate();
}

FrameInfo Navigator::frame() const
{
    FrameInfo f;
    Location l = location();
    f.domain = domain();
    f.title = l.title;
    f.chapter = l.chapter;
    f.time = l.time;
    f.audio = currentAudio().current;
    SubpictureState sub = currentSubpicture();
    f.subpicture = sub.current;
    f.subpictureShown = !sub.disabled;
    f.angle = currentAngle().current;
    f.rate = rate();
    f.still = playback_->still();
    f.buttons = buttons();
    f.selectedButton = currentButton();
    f.activatedButton = playback_->activatedButton();
    VideoInfo video = videoAttributes();
    f.width = video.sourceWidth;
    f.height = video.sourceHeight;
    return f;
}

}  // namespace nav
