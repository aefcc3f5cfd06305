#include "core/Disc.h"

#include <cstdio>

namespace nav {

namespace {

// Parses base.IFO, or base.BUP when the IFO cannot be read or decoded.
template <class Parse>
auto loadWithBackup(const Volume& volume, const std::string& base, Parse parse)
    -> Result<decltype(parse(std::span<const uint8_t>()))>
{
    using R = Result<decltype(parse(std::span<const uint8_t>()))>;
    std::string errors;
    for (const char* extension : {".IFO", ".BUP"}) {
        auto bytes = volume.readFile(base + extension);
        try {
            if (bytes) return parse(std::span<const uint8_t>(*bytes));
            errors += (errors.empty() ? "" : "; ") + bytes.error();
        } catch (const FormatError& e) {
            errors += (errors.empty() ? "" : "; ") + std::string(e.what());
        }
    }
    return R::failure(errors);
}

}  // namespace

Result<Disc> loadDisc(const Volume& volume)
{
    auto vmg = loadWithBackup(volume, "VIDEO_TS", [](auto bytes) { return parseVideoManager(bytes); });
    if (!vmg) return Result<Disc>::failure(vmg.error());

    Disc disc;
    disc.videoManager = std::move(*vmg);
    for (unsigned n = 1; n <= disc.videoManager.titleSetCount; ++n) {
        char base[16];
        std::snprintf(base, sizeof base, "VTS_%02u_0", n);
        auto vts = loadWithBackup(volume, base,
                                  [n](auto bytes) { return parseTitleSet(bytes, static_cast<uint8_t>(n)); });
        if (!vts) return Result<Disc>::failure(vts.error());
        disc.titleSets.push_back(std::move(*vts));
    }

    const auto& titles = disc.videoManager.titles;
    for (size_t t = 0; t < titles.size(); ++t) {
        const TitleSet& vts = disc.titleSets[titles[t].titleSet - 1];
        if (titles[t].titleSetTitle > vts.titles.size())
            return Result<Disc>::failure("VIDEO_TS.IFO: title " + std::to_string(t + 1) + " names missing title " +
                                         std::to_string(titles[t].titleSetTitle) + " of title set " +
                                         std::to_string(vts.number));
    }
    return disc;
}

Result<OpenedDisc> openDisc(const std::string& path)
{
    auto volume = Volume::open(path);
    if (!volume) return Result<OpenedDisc>::failure(volume.error());
    auto disc = loadDisc(*volume);
    if (!disc) return Result<OpenedDisc>::failure(disc.error());
    return OpenedDisc{std::move(*volume), std::move(*disc)};
}

}  // namespace nav
