// Menu buttons drawn with the colours the NAV pack gives for selection and activation.
#include <gtest/gtest.h>

#include <utility>

#include "core/Ifo.h"
#include "core/NavPack.h"
#include "media/Overlay.h"
#include "support/Picture.h"
#include "support/Files.h"
#include "support/Streams.h"

namespace {

using media::Rgb;

using mediatest::Picture;

TEST(Highlight, TheSelectedOrActivatedButtonShowsItsColoursAndNoOtherDoes)
{
    const std::vector<std::uint8_t> vob = mediatest::readFile(mediatest::vob("sample", "VIDEO_TS.VOB"));
    auto pack = nav::parseNavPack(std::span(vob).first(2048));
    ASSERT_TRUE(pack);
    ASSERT_EQ(pack->buttons.size(), 2u);
    const media::Palette palette =
        nav::parseVideoManager(mediatest::readFile(mediatest::vob("sample", "VIDEO_TS.IFO"))).menus.at(0).pgcs.pgcs.at(0).pgc->palette;

    media::SubpictureAssembler assembler;
    std::optional<media::Subpicture> menu;
    for (const auto& p : mediatest::streamPackets(mediatest::vob("sample", "VIDEO_TS.VOB"), {media::StreamKind::Subpicture, 0})) {
        std::int64_t pts = 0;
        if (auto unit = assembler.push(p.data, p.pts, pts)) menu = media::decodeSubpicture(*unit, pts);
        if (menu) break;
    }
    ASSERT_TRUE(menu);
    const media::SubpicturePhase& phase = menu->phases.front();
    EXPECT_TRUE(phase.forced) << "menus show whatever the subtitle choice";

    const nav::MenuButton& first = pack->buttons[0];
    ASSERT_GE(first.colours, 1);
    const nav::ButtonColours& colours = pack->buttonColours[first.colours - 1];
    media::Area area{first.rect.left, first.rect.top, first.rect.right, first.rect.bottom};
    auto draw = [&](std::uint32_t entry) {
        Picture picture;
        media::Highlight highlight{area, media::colourSet(entry)};
        media::blend(picture.view(), phase, palette, &highlight);
        return picture;
    };
    auto near = [](Rgb a, Rgb b) {
        return std::abs(a.r - b.r) <= 2 && std::abs(a.g - b.g) <= 2 && std::abs(a.b - b.b) <= 2;
    };
    const Rgb background{Picture::Grey, Picture::Grey, Picture::Grey}, yellow{255, 255, 0}, red{255, 0, 0};

    // The authored outlines: six pixels wide, from (116, 196) and (116, 316).
    Picture selected = draw(colours.selection);
    EXPECT_PRED2(near, selected.at(118, 198), yellow);
    EXPECT_PRED2(near, selected.at(600, 262), yellow);
    EXPECT_EQ(selected.at(300, 230), background) << "inside the outline";
    EXPECT_EQ(selected.at(118, 318), background) << "the other button";
    Picture activated = draw(colours.action);
    EXPECT_PRED2(near, activated.at(118, 198), red);
    EXPECT_EQ(activated.at(118, 318), background);

    // On the picture as it is shown in square pixels, and at half its size, the outline lands
    // where the scaled picture has it.
    for (const auto& [w, h] : {std::pair{768, 576}, std::pair{360, 288}}) {
        Picture scaled(w, h);
        media::Highlight highlight{area, media::colourSet(colours.selection)};
        media::blend(scaled.view(), phase, palette, &highlight, {Picture::Width, Picture::Height});
        EXPECT_PRED2(near, scaled.at(118 * w / 720, 198 * h / 576), yellow) << w;
        EXPECT_PRED2(near, scaled.at(600 * w / 720, 262 * h / 576), yellow) << w;
        EXPECT_EQ(scaled.at(125 * w / 720, 230 * h / 576), background) << w << ": inside the outline";
        EXPECT_EQ(scaled.at(118 * w / 720, 318 * h / 576), background) << w << ": the other button";
    }

    Picture plain;
    media::blend(plain.view(), phase, palette);
    EXPECT_EQ(plain.bytes, Picture().bytes) << "no button lit, nothing shows";
}

}  // namespace
