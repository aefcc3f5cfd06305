// Cross-checks against libdvdread: every disc the tests use reads the same through it.
#include "core/Disc.h"

#include <gtest/gtest.h>

#include <cstdarg>
#include <memory>

#include "support/DiscWriter.h"
#include "support/TestDiscs.h"

#include <dvdread/dvd_reader.h>
#include <dvdread/ifo_read.h>

namespace {

using namespace nav;

void quiet(void*, dvd_logger_level_t, const char*, va_list) {}
const dvd_logger_cb QuietLogger{quiet};

struct CloseDvd {
    void operator()(dvd_reader_t* d) const { DVDClose(d); }
};
struct CloseIfo {
    void operator()(ifo_handle_t* i) const { ifoClose(i); }
};
using Ifo = std::unique_ptr<ifo_handle_t, CloseIfo>;

std::string languageOf(uint16_t code)
{
    if (code == 0 || code == 0xFFFF) return {};
    return {static_cast<char>(code >> 8), static_cast<char>(code & 0xFF)};
}

void expectSameTime(const dvd_time_t& theirs, const DvdTime& ours)
{
    auto bcd = [](uint8_t b) { return (b >> 4) * 10 + (b & 0x0F); };
    EXPECT_EQ(ours.hours, bcd(theirs.hour));
    EXPECT_EQ(ours.minutes, bcd(theirs.minute));
    EXPECT_EQ(ours.seconds, bcd(theirs.second));
    EXPECT_EQ(ours.frames, bcd(theirs.frame_u & 0x3F));
    const int rate = theirs.frame_u >> 6;
    EXPECT_EQ(ours.frameRate, rate == 1 ? 25 : rate == 3 ? 30 : 0);
}

void expectSameCommands(const vm_cmd_t* theirs, size_t count, const std::vector<Command>& ours)
{
    ASSERT_EQ(ours.size(), count);
    for (size_t i = 0; i < count; ++i)
        EXPECT_TRUE(std::equal(ours[i].begin(), ours[i].end(), theirs[i].bytes)) << "command " << i + 1;
}

void expectSamePgc(const pgc_t& theirs, const Pgc& ours)
{
    expectSameTime(theirs.playback_time, ours.playbackTime);
    EXPECT_EQ(ours.nextPgc, theirs.next_pgc_nr);
    EXPECT_EQ(ours.prevPgc, theirs.prev_pgc_nr);
    EXPECT_EQ(ours.goUpPgc, theirs.goup_pgc_nr);
    EXPECT_EQ(ours.playbackMode, theirs.pg_playback_mode);
    EXPECT_EQ(ours.stillTime, theirs.still_time);
    for (size_t i = 0; i < 16; ++i) EXPECT_EQ(ours.palette[i], theirs.palette[i]);
    for (size_t i = 0; i < 8; ++i) {
        EXPECT_EQ(ours.audioControl[i].available, (theirs.audio_control[i] & 0x8000) != 0);
        EXPECT_EQ(ours.audioControl[i].physicalStream, (theirs.audio_control[i] >> 8) & 7);
    }
    for (size_t i = 0; i < 32; ++i) {
        const uint32_t c = theirs.subp_control[i];
        EXPECT_EQ(ours.subpictureControl[i].available, (c & 0x80000000u) != 0);
        EXPECT_EQ(ours.subpictureControl[i].stream4x3, (c >> 24) & 0x1F);
        EXPECT_EQ(ours.subpictureControl[i].streamWide, (c >> 16) & 0x1F);
        EXPECT_EQ(ours.subpictureControl[i].streamLetterbox, (c >> 8) & 0x1F);
        EXPECT_EQ(ours.subpictureControl[i].streamPanScan, c & 0x1F);
    }
    if (theirs.command_tbl) {
        const pgc_command_tbl_t& t = *theirs.command_tbl;
        expectSameCommands(t.pre_cmds, t.nr_of_pre, ours.preCommands);
        expectSameCommands(t.post_cmds, t.nr_of_post, ours.postCommands);
        expectSameCommands(t.cell_cmds, t.nr_of_cell, ours.cellCommands);
    } else {
        EXPECT_TRUE(ours.preCommands.empty() && ours.postCommands.empty() && ours.cellCommands.empty());
    }
    ASSERT_EQ(ours.programs.size(), theirs.nr_of_programs);
    for (size_t p = 0; p < ours.programs.size(); ++p) EXPECT_EQ(ours.programs[p], theirs.program_map[p]);
    ASSERT_EQ(ours.cells.size(), theirs.nr_of_cells);
    for (size_t c = 0; c < ours.cells.size(); ++c) {
        SCOPED_TRACE("cell " + std::to_string(c + 1));
        const cell_playback_t& t = theirs.cell_playback[c];
        const CellPlayback& o = ours.cells[c];
        EXPECT_EQ(static_cast<unsigned>(o.blockMode), t.block_mode);
        EXPECT_EQ(static_cast<unsigned>(o.blockType), t.block_type);
        EXPECT_EQ(o.interleaved, t.interleaved != 0);
        EXPECT_EQ(o.seamlessAngle, t.seamless_angle != 0);
        EXPECT_EQ(o.stillTime, t.still_time);
        EXPECT_EQ(o.commandNumber, t.cell_cmd_nr);
        expectSameTime(t.playback_time, o.playbackTime);
        EXPECT_EQ(o.firstSector, t.first_sector);
        EXPECT_EQ(o.lastVobuStartSector, t.last_vobu_start_sector);
        EXPECT_EQ(o.lastSector, t.last_sector);
        EXPECT_EQ(ours.cellPositions[c].vobId, theirs.cell_position[c].vob_id_nr);
        EXPECT_EQ(ours.cellPositions[c].cellId, theirs.cell_position[c].cell_nr);
    }
}

void expectSameTable(const pgcit_t& theirs, const PgcTable& ours, bool menu)
{
    ASSERT_EQ(ours.pgcs.size(), theirs.nr_of_pgci_srp);
    for (size_t i = 0; i < ours.pgcs.size(); ++i) {
        SCOPED_TRACE("PGC " + std::to_string(i + 1));
        const pgci_srp_t& t = theirs.pgci_srp[i];
        const PgcEntry& o = ours.pgcs[i];
        EXPECT_EQ(o.entryPgc, (t.entry_id & 0x80) != 0);
        if (menu && o.entryPgc) {
            EXPECT_EQ(o.menuType, t.entry_id & 0x0F);
        } else if (!menu) {
            EXPECT_EQ(o.titleNumber, t.entry_id & 0x7F);
        }
        EXPECT_EQ(o.parentalMask, t.ptl_id_mask);
        expectSamePgc(*t.pgc, *o.pgc);
    }
}

void expectSameMenus(const pgci_ut_t* theirs, const std::vector<MenuLanguageUnit>& ours)
{
    if (!theirs) {
        EXPECT_TRUE(ours.empty());
        return;
    }
    ASSERT_EQ(ours.size(), theirs->nr_of_lus);
    for (size_t i = 0; i < ours.size(); ++i) {
        SCOPED_TRACE("language unit " + std::to_string(i + 1));
        EXPECT_EQ(ours[i].language, languageOf(theirs->lu[i].lang_code));
        EXPECT_EQ(ours[i].menuExistence, theirs->lu[i].exists);
        expectSameTable(*theirs->lu[i].pgcit, ours[i].pgcs, true);
    }
}

void expectSameCells(const c_adt_t* theirs, const std::vector<CellAddress>& ours)
{
    const size_t count = theirs ? (theirs->last_byte + 1 - C_ADT_SIZE) / sizeof(cell_adr_t) : 0;
    ASSERT_EQ(ours.size(), count);
    for (size_t i = 0; i < count; ++i) {
        const cell_adr_t& t = theirs->cell_adr_table[i];
        EXPECT_EQ(ours[i], (CellAddress{t.vob_id, t.cell_id, t.start_sector, t.last_sector}));
    }
}

void expectSameAudio(const audio_attr_t& t, const AudioAttributes& o)
{
    EXPECT_EQ(o.codingMode, t.audio_format);
    EXPECT_EQ(o.languageType, t.lang_type);
    if (t.lang_type == 1) {
        EXPECT_EQ(o.language, languageOf(t.lang_code));
    }
    EXPECT_EQ(o.channels, t.channels + 1);
    EXPECT_EQ(o.sampleRate, t.sample_frequency == 0 ? 48000u : 96000u);
    EXPECT_EQ(o.quantization, t.quantization);
    EXPECT_EQ(o.codeExtension, t.code_extension);
}

void expectSameSubpicture(const subp_attr_t& t, const SubpictureAttributes& o)
{
    EXPECT_EQ(o.languageType, t.type);
    if (t.type == 1) {
        EXPECT_EQ(o.language, languageOf(t.lang_code));
    }
    EXPECT_EQ(o.codeExtension, t.code_extension);
}

// The fields of the first attribute byte, and the closed-caption and film bits of the second:
// libdvdread reads the picture size and letterbox bits one position lower than the format's
// own layout (the authored 352x240 discs prove ours), so those are checked elsewhere.
void expectSameVideo(const video_attr_t& t, const VideoAttributes& o)
{
    EXPECT_EQ(o.mpegVersion, t.mpeg_version + 1);
    EXPECT_EQ(o.pal, t.video_format == 1);
    EXPECT_EQ(o.aspectCode, t.display_aspect_ratio);
    EXPECT_EQ(o.line21Field1, t.line21_cc_1 != 0);
    EXPECT_EQ(o.line21Field2, t.line21_cc_2 != 0);
    EXPECT_EQ(o.film, t.film_mode != 0);
}

void crossCheck(const std::filesystem::path& folder)
{
    auto opened = openDisc(utf8FromPath(folder));
    ASSERT_TRUE(opened) << opened.error();
    const Disc& disc = opened->disc;

    std::unique_ptr<dvd_reader_t, CloseDvd> dvd(DVDOpen2(nullptr, &QuietLogger, folder.string().c_str()));
    ASSERT_TRUE(dvd);
    Ifo vmg(ifoOpen(dvd.get(), 0));
    ASSERT_TRUE(vmg);

    const VideoManager& ours = disc.videoManager;
    EXPECT_EQ(ours.titleSetCount, vmg->vmgi_mat->vmg_nr_of_title_sets);
    ASSERT_EQ(ours.titles.size(), vmg->tt_srpt->nr_of_srpts);
    for (size_t t = 0; t < ours.titles.size(); ++t) {
        SCOPED_TRACE("title " + std::to_string(t + 1));
        const title_info_t& theirs = vmg->tt_srpt->title[t];
        EXPECT_EQ(ours.titles[t].chapterCount, theirs.nr_of_ptts);
        EXPECT_EQ(ours.titles[t].angleCount, theirs.nr_of_angles);
        EXPECT_EQ(ours.titles[t].titleSet, theirs.title_set_nr);
        EXPECT_EQ(ours.titles[t].titleSetTitle, theirs.vts_ttn);
        EXPECT_EQ((ours.titles[t].playbackType & titletype::NotOneSequentialPgc) != 0,
                  theirs.pb_ty.multi_or_random_pgc_title != 0);
    }
    ASSERT_EQ(!ours.firstPlay, !vmg->first_play_pgc);
    if (ours.firstPlay) expectSamePgc(*vmg->first_play_pgc, *ours.firstPlay);
    expectSameMenus(vmg->pgci_ut, ours.menus);
    expectSameCells(vmg->menu_c_adt, ours.menuCells);
    expectSameVideo(vmg->vmgi_mat->vmgm_video_attr, ours.menuVideo);
    ASSERT_EQ(ours.menuAudio.size(), vmg->vmgi_mat->nr_of_vmgm_audio_streams);
    if (!ours.menuAudio.empty()) expectSameAudio(vmg->vmgi_mat->vmgm_audio_attr, ours.menuAudio[0]);
    ASSERT_EQ(ours.menuSubpicture.size(), vmg->vmgi_mat->nr_of_vmgm_subp_streams);
    if (!ours.menuSubpicture.empty()) expectSameSubpicture(vmg->vmgi_mat->vmgm_subp_attr, ours.menuSubpicture[0]);

    for (const TitleSet& vts : disc.titleSets) {
        SCOPED_TRACE("title set " + std::to_string(vts.number));
        Ifo theirs(ifoOpen(dvd.get(), vts.number));
        ASSERT_TRUE(theirs);
        const vtsi_mat_t& mat = *theirs->vtsi_mat;
        expectSameVideo(mat.vts_video_attr, vts.video);
        expectSameVideo(mat.vtsm_video_attr, vts.menuVideo);
        ASSERT_EQ(vts.audio.size(), mat.nr_of_vts_audio_streams);
        for (size_t i = 0; i < vts.audio.size(); ++i) expectSameAudio(mat.vts_audio_attr[i], vts.audio[i]);
        ASSERT_EQ(vts.subpicture.size(), mat.nr_of_vts_subp_streams);
        for (size_t i = 0; i < vts.subpicture.size(); ++i) expectSameSubpicture(mat.vts_subp_attr[i], vts.subpicture[i]);
        ASSERT_EQ(vts.menuAudio.size(), mat.nr_of_vtsm_audio_streams);
        if (!vts.menuAudio.empty()) expectSameAudio(mat.vtsm_audio_attr, vts.menuAudio[0]);

        ASSERT_EQ(vts.titles.size(), theirs->vts_ptt_srpt->nr_of_srpts);
        for (size_t t = 0; t < vts.titles.size(); ++t) {
            const ttu_t& title = theirs->vts_ptt_srpt->title[t];
            ASSERT_EQ(vts.titles[t].size(), title.nr_of_ptts);
            for (size_t c = 0; c < vts.titles[t].size(); ++c) {
                EXPECT_EQ(vts.titles[t][c].pgcNumber, title.ptt[c].pgcn);
                EXPECT_EQ(vts.titles[t][c].programNumber, title.ptt[c].pgn);
            }
        }
        expectSameTable(*theirs->vts_pgcit, vts.pgcs, false);
        expectSameMenus(theirs->pgci_ut, vts.menus);
        expectSameCells(theirs->vts_c_adt, vts.cells);
        expectSameCells(theirs->menu_c_adt, vts.menuCells);
    }
}

TEST(Libdvdread, ReadsTheAuthoredDiscsAlike)
{
    for (const char* name : {"sample", "chapters300"}) {
        SCOPED_TRACE(name);
        crossCheck(navtest::testDiscs() / name);
    }
}

TEST(Libdvdread, ReadsTheWrittenDiscsAlike)
{
    for (const Disc& disc : {navtest::featureDisc(), navtest::largeDisc()}) {
        navtest::TempFolder folder;
        navtest::writeDisc(disc, folder.path());
        crossCheck(folder.path());
    }
}

}  // namespace
