#pragma once
#include <string>

#include "core/Ifo.h"
#include "core/Result.h"
#include "core/Volume.h"

namespace nav {

// Reads the video manager and every title set of a volume. A damaged or unreadable IFO is
// replaced by its .BUP backup; the disc fails to load only when both copies are unusable, or
// when a title names a title set or VTS title that is not there.
Result<Disc> loadDisc(const Volume& volume);

struct OpenedDisc {
    Volume volume;
    Disc disc;
};

// Volume::open followed by loadDisc.
Result<OpenedDisc> openDisc(const std::string& path);

}  // namespace nav
