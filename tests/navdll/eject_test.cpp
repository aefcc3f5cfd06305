// A disc that leaves while it plays, its tray opened or its drive taken away: played from a
// copy whose folder is then moved away.

#include "PlaybackTest.h"

#include <algorithm>
#include <filesystem>

using namespace navtest;
namespace fs = std::filesystem;

namespace {

bool isTold(const std::vector<GraphEvent>& events, long code, LONG_PTR param1)
{
    return std::any_of(events.begin(), events.end(),
                       [&](const GraphEvent& event) { return event.code == code && event.param1 == param1; });
}

}  // namespace

TEST(Eject, ADiscThatLeavesWhilePlayingIsClosedAndItsStreamsEnd)
{
    ASSERT_TRUE(NavigatorDll::instance().loaded());
    ASSERT_FALSE(disc(L"sample").empty());
    const fs::path copy = fs::temp_directory_path() / L"lumanav-eject";
    const fs::path gone = fs::temp_directory_path() / L"lumanav-ejected";
    fs::remove_all(copy);
    fs::remove_all(gone);
    fs::copy(fs::path(disc(L"sample")), copy, fs::copy_options::recursive);
    {
        ClassRegistration classes;
        ASSERT_TRUE(classes.active());
        DvdPlayback playback;
        ASSERT_TRUE(playback.ready());
        ASSERT_EQ(S_OK, playback.render(copy.wstring()));
        playback.embedVideo();
        ComPtr<IDvdControl2> dvd = playback.dvd();
        ComPtr<IDvdInfo2> info = playback.info();
        ASSERT_EQ(S_OK, dvd->SetOption(DVD_HMSF_TimeCodeEvents, TRUE));
        ASSERT_TRUE(SUCCEEDED(playback.control->Run()));
        ASSERT_TRUE(playback.waitFor(EC_DVD_DOMAIN_CHANGE, [](const GraphEvent& event) {
            return event.param1 == DVD_DOMAIN_VideoManagerMenu;
        }));
        ASSERT_EQ(S_OK, dvd->PlayTitle(1, DVD_CMD_FLAG_None, nullptr));
        ASSERT_TRUE(playback.waitFor(EC_DVD_CURRENT_HMSF_TIME, [](const GraphEvent& event) { return secondsOf(event) >= 1; }));

        playback.seen.clear();
        fs::rename(copy, gone);
        ASSERT_TRUE(playback.waitFor(EC_DVD_DISC_EJECTED));
        ASSERT_TRUE(playback.waitFor(EC_COMPLETE)) << "both streams end";
        const std::vector<GraphEvent> told = playback.seen;
        EXPECT_TRUE(isTold(told, EC_DVD_DOMAIN_CHANGE, DVD_DOMAIN_Stop));
        // Not a trace of the wandering a failed read of each cell would cause.
        EXPECT_FALSE(isTold(told, EC_DVD_DOMAIN_CHANGE, DVD_DOMAIN_VideoManagerMenu));
        EXPECT_TRUE(std::none_of(told.begin(), told.end(), [](const GraphEvent& event) {
            return event.code == EC_DVD_TITLE_CHANGE || event.code == EC_DVD_CHAPTER_START;
        }));
        DVD_DOMAIN domain{};
        ASSERT_EQ(S_OK, info->GetCurrentDomain(&domain));
        EXPECT_EQ(DVD_DOMAIN_Stop, domain);
        wchar_t folder[MAX_PATH] = {};
        ULONG length = 0;
        EXPECT_TRUE(FAILED(info->GetDVDDirectory(folder, MAX_PATH, &length))) << "no disc any more";

        // The disc coming back is a new disc: the old one stays closed until the player opens it.
        fs::rename(gone, copy);
        playback.seen.clear();
        EXPECT_EQ(VFW_E_DVD_INVALIDDOMAIN, dvd->PlayTitle(1, DVD_CMD_FLAG_None, nullptr));
        playback.collect(1000);
        EXPECT_TRUE(std::none_of(playback.seen.begin(), playback.seen.end(),
                                 [](const GraphEvent& event) { return isNavigatorEvent(event.code); }));
        playback.clear();
    }
    fs::remove_all(copy);
}
