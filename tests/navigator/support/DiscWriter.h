#pragma once
// Writes IFO files from the navigation structures, laid out the way authoring tools do (every
// table on a sector of its own), so tests can make discs no authoring tool makes: angle blocks,
// random PGCs, hostile values. Title chapter counts and cell addresses are written as given.
#include <cstdint>
#include <filesystem>
#include <vector>

#include "core/Ifo.h"

namespace navtest {

// The video manager of the disc (it carries a copy of every title set's attributes).
std::vector<uint8_t> encodeVideoManager(const nav::Disc& disc);
std::vector<uint8_t> encodeTitleSet(const nav::TitleSet& vts);

// root/VIDEO_TS/VIDEO_TS.IFO, VTS_nn_0.IFO and their .BUP copies.
void writeDisc(const nav::Disc& disc, const std::filesystem::path& root);
void writeFile(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);

// Building blocks.
nav::DvdTime seconds(double s, uint8_t frameRate = 25);
// A PGC of one program per cell, cells of the given lengths laid end to end from sector 0.
nav::Pgc sequentialPgc(const std::vector<double>& cellSeconds, uint8_t frameRate = 25);
// A title set whose titles are the given PGCs, one chapter per program.
nav::TitleSet titleSetOf(uint8_t number, std::vector<nav::Pgc> titles);
// A disc whose title table lists every title of every title set in order.
nav::Disc discOf(std::vector<nav::TitleSet> titleSets);
// A small disc using what authoring tools here cannot make: a 3-angle block, a shuffle PGC
// with stills and cell commands, menus in two languages, varied stream attributes.
nav::Disc featureDisc();
// The largest structure a disc holds: 99 titles in 9 title sets, title 1 with 999 chapters
// over eleven linked PGCs.
nav::Disc largeDisc();

}  // namespace navtest
