// libFuzzer target over the virtual machine on random command streams. The input's first byte
// counts the user operations that follow it; the rest is commands of eight bytes. They run on
// a machine of their own, then as the pre, post, cell and button commands of a small disc
// that a navigator plays while those operations are applied.
#include <cstdint>
#include <memory>
#include <vector>

#include "core/Disc.h"
#include "core/Navigator.h"
#include "core/Vm.h"
#include "core/Vobu.h"
#include "support/DiscWriter.h"
#include "support/NavPackWriter.h"

namespace {

using namespace nav;

class Commands {
public:
    Commands(const uint8_t* data, size_t size)
    {
        for (size_t i = 0; i + 8 <= size; i += 8) {
            Command c;
            std::copy(data + i, data + i + 8, c.begin());
            all_.push_back(c);
        }
    }
    const std::vector<Command>& all() const { return all_; }
    std::vector<Command> take(size_t n)
    {
        std::vector<Command> out;
        while (out.size() < n && next_ < all_.size()) out.push_back(all_[next_++]);
        return out;
    }

private:
    std::vector<Command> all_;
    size_t next_ = 0;
};

void program(PgcEntry& entry, Commands& commands)
{
    auto pgc = std::make_shared<Pgc>(*entry.pgc);
    pgc->preCommands = commands.take(2);
    pgc->postCommands = commands.take(2);
    pgc->cellCommands = commands.take(2);
    for (size_t c = 0; c < pgc->cells.size(); ++c)
        pgc->cells[c].commandNumber = static_cast<uint8_t>(c < pgc->cellCommands.size() ? c + 1 : 0);
    entry.pgc = pgc;
}

void operate(Navigator& n, uint8_t op)
{
    const int arg = op >> 4;
    switch (op & 15) {
    case 0: n.advance(0.5 + arg); break;
    case 1: n.activateButton(); break;
    case 2: n.selectRelativeButton(static_cast<Direction>(arg & 3)); break;
    case 3: n.showMenu(arg & 1 ? MenuId::Root : MenuId::Title); break;
    case 4: n.playTitle(arg % 4); break;
    case 5: n.playChapterInTitle(1 + arg % 3, 1 + arg / 3); break;
    case 6: n.resume(); break;
    case 7: n.returnFromSubmenu(); break;
    case 8: n.stillOff(); break;
    case 9: n.playAtTime({0, 0, static_cast<uint8_t>(arg * 3), 0}); break;
    case 10: n.playNextChapter(); break;
    case 11: n.playPrevChapter(); break;
    case 12: n.selectButton(arg); break;
    case 13: n.selectAudioStream(arg % 9); break;
    case 14: arg & 1 ? n.playBackwards(1 + arg) : n.playForwards(1 + arg); break;
    default:  // as playback with pictures goes on
        n.read();
        n.elapse(0.5 + arg);
        break;
    }
    n.takeEvents();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0) return 0;
    const size_t ops = std::min<size_t>(data[0] % 32, size - 1);
    const uint8_t* operations = data + 1;
    Commands commands(data + 1 + ops, size - 1 - ops);

    Vm vm;
    vm.seed(1);
    vm.run(commands.all());
    for (const Command& c : commands.all()) {
        vm.run(c);
        vm.tick(1.5);
    }

    // Built once: each execution copies it and replaces only the PGCs it programs.
    static const Disc feature = navtest::featureDisc();
    static const std::vector<uint8_t> titlePack = navtest::navPackSector({});
    Disc disc = feature;
    VideoManager& vmg = disc.videoManager;
    auto firstPlay = std::make_shared<Pgc>(*vmg.firstPlay);
    firstPlay->preCommands = commands.take(2);
    vmg.firstPlay = firstPlay;
    navtest::SectorStore sectors;
    std::vector<navtest::ButtonLayout> buttons(2);
    buttons[0].rect = {100, 100, 300, 150};
    buttons[1].rect = {100, 200, 300, 250};
    for (auto& b : buttons) {
        const auto c = commands.take(1);
        if (!c.empty()) b.command = c[0];
    }
    buttons[0].down = buttons[1].up = 2;
    buttons[1].up = 1;
    const std::vector<uint8_t> menuPack = navtest::navPackSector(buttons);
    auto menus = [&](unsigned titleSet, std::vector<MenuLanguageUnit>& units) {
        for (MenuLanguageUnit& unit : units)
            for (PgcEntry& entry : unit.pgcs.pgcs) {
                program(entry, commands);
                for (const CellPlayback& cell : entry.pgc->cells)
                    sectors.put(titleSet, VobSet::Menu, cell.firstSector, menuPack);
            }
    };
    menus(0, vmg.menus);
    for (TitleSet& vts : disc.titleSets) {
        menus(vts.number, vts.menus);
        for (PgcEntry& entry : vts.pgcs.pgcs) {
            program(entry, commands);
            for (const CellPlayback& cell : entry.pgc->cells)
                sectors.put(vts.number, VobSet::Title, cell.firstSector, titlePack);
        }
    }

    auto navigator = Navigator::create(std::move(disc), sectors.reader());
    navigator->start();
    for (size_t i = 0; i < ops; ++i) operate(*navigator, operations[i]);
    for (int i = 0; i < 4; ++i) operate(*navigator, 0x30);
    return 0;
}
