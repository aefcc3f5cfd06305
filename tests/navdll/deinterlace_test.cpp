// The interlaced disc as the screen shows it, against FFmpeg's own bwdif of the same frame
// made here from the disc's bytes with libavcodec and libavfilter, not through the navigator.
#include "PlaybackTest.h"

#include "Comb.h"
#include "FrameMarks.h"
#include "PinTap.h"
#include "media/Demux.h"

#include "media/Ffmpeg.h"
#include "media/PictureScaler.h"

extern "C" {
#include <libavfilter/avfilter.h>
#include <libavfilter/buffersink.h>
#include <libavfilter/buffersrc.h>
}

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

namespace navtest {
namespace {

using mediatest::comb;

// As the disc is shown in a window: 720 x 576 at 4:3 in square pixels; and half as large again,
// as a screen shows it whole.
constexpr int windowWidth = 768, windowHeight = 576;
constexpr int largeWidth = windowWidth * 3 / 2, largeHeight = windowHeight * 3 / 2;
using Bgra = std::vector<std::uint8_t>;

struct GraphFree {
    void operator()(AVFilterGraph* graph) const { avfilter_graph_free(&graph); }
};

Bgra toBgra(const AVFrame& f, int width, int height)
{
    Bgra out(std::size_t{1} * width * height * 4);
    media::PictureScaler().scale(f, out.data(), std::ptrdiff_t{width} * 4, width, height);
    return out;
}

// FFmpeg's pictures of frame `number` (in display order) of a title's VOB at a size: the frame
// as decoded, woven, and each of its fields made whole by bwdif at field rate.
struct Reference {
    Bgra woven;
    std::vector<Bgra> fields;
};

Reference reference(const std::wstring& vob, int number, int width, int height)
{
    std::ifstream file(std::filesystem::path(vob), std::ios::binary);
    const std::vector<std::uint8_t> sectors{std::istreambuf_iterator<char>(file), {}};
    std::vector<media::Packet> packets;
    media::demux(sectors, {}, packets);

    const media::CodecContextPtr codec = media::openDecoder(AV_CODEC_ID_MPEG2VIDEO);
    const media::ParserPtr parser = media::makeParser(AV_CODEC_ID_MPEG2VIDEO);
    const media::PacketPtr packet = media::makePacket();
    const media::FramePtr decoded = media::makeFrame(), made = media::makeFrame();
    const std::unique_ptr<AVFilterGraph, GraphFree> graph(avfilter_graph_alloc());
    AVFilterContext *source = nullptr, *sink = nullptr;
    Reference result;
    int frames = 0;
    const auto deinterlace = [&](AVFrame* frame) {
        if (!source) {
            const std::string arguments = "video_size=" + std::to_string(frame->width) + "x" +
                                          std::to_string(frame->height) + ":pix_fmt=" + std::to_string(frame->format) +
                                          ":time_base=1/25:pixel_aspect=1/1";
            avfilter_graph_create_filter(&source, avfilter_get_by_name("buffer"), "in", arguments.c_str(), nullptr,
                                         graph.get());
            avfilter_graph_create_filter(&sink, avfilter_get_by_name("buffersink"), "out", nullptr, nullptr,
                                         graph.get());
            AVFilterInOut* outputs = avfilter_inout_alloc();
            AVFilterInOut* inputs = avfilter_inout_alloc();
            *outputs = {av_strdup("in"), source, 0, nullptr};
            *inputs = {av_strdup("out"), sink, 0, nullptr};
            avfilter_graph_parse_ptr(graph.get(), "bwdif=mode=send_field:parity=auto:deint=interlaced", &inputs,
                                     &outputs, nullptr);
            avfilter_inout_free(&inputs);
            avfilter_inout_free(&outputs);
            avfilter_graph_config(graph.get(), nullptr);
        }
        if (av_buffersrc_add_frame(source, frame) < 0) return;
        // Each field comes out at twice the frame's time, the first then the second.
        while (av_buffersink_get_frame(sink, made.get()) >= 0) {
            if (made->pts / 2 == number) result.fields.push_back(toBgra(*made, width, height));
            av_frame_unref(made.get());
        }
    };
    const auto receive = [&] {
        while (avcodec_receive_frame(codec.get(), decoded.get()) >= 0) {
            if (frames == number) result.woven = toBgra(*decoded, width, height);
            decoded->pts = frames++;
            deinterlace(decoded.get());
            av_frame_unref(decoded.get());
        }
    };
    for (const media::Packet& p : packets) {
        if (p.stream.kind != media::StreamKind::Video) continue;
        for (std::size_t used = 0; used < p.payload.size() && frames <= number + 2;) {
            std::uint8_t* data = nullptr;
            int size = 0;
            used += av_parser_parse2(parser.get(), codec.get(), &data, &size, p.payload.data() + used,
                                     static_cast<int>(p.payload.size() - used), AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
            if (!size) continue;
            packet->data = data;
            packet->size = size;
            avcodec_send_packet(codec.get(), packet.get());
            receive();
        }
    }
    return result;
}

// Root mean square of the colour channels' differences, in grey levels.
double rmse(const Bgra& a, const Bgra& b)
{
    double sum = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (i % 4 == 3) continue;
        const double d = static_cast<double>(a[i]) - b[i];
        sum += d * d;
    }
    return std::sqrt(sum / (static_cast<double>(a.size()) * 3 / 4));
}

class InterlacedPictures : public Playback {
protected:
    InterlacedPictures() { discName = L"interlaced"; }

    void SetUp() override
    {
        Playback::SetUp();
        host = playback->showVideo(windowWidth, windowHeight);
        ASSERT_TRUE(host);
    }

    // The picture on screen against FFmpeg's: how far it is from the nearer of the frame's two
    // deinterlaced fields, and how much it combs against the woven frame.
    void expectBwdifsPicture(const char* when, int width = windowWidth, int height = windowHeight)
    {
        RECT area{};
        GetWindowRect(host, &area);
        const Bgra shown = captureScreen({area.left, area.top, area.left + width, area.top + height});
        ASSERT_FALSE(shown.empty());
        const auto marks = mediatest::readFrameMarks(shown.data(), width * 4, width, height);
        ASSERT_TRUE(marks) << when;
        const Reference made = reference(disc(discName) + L"\\VIDEO_TS\\VTS_01_1.VOB", marks->frame, width, height);
        ASSERT_EQ(2u, made.fields.size()) << when << ": frame " << marks->frame;
        const double nearest = std::min(rmse(shown, made.fields[0]), rmse(shown, made.fields[1]));
        std::printf("%s, frame %d: RMSE %.2f against FFmpeg's bwdif (%.2f against the woven frame); comb on "
                    "screen %.1f, woven %.1f\n",
                    when, marks->frame, nearest, rmse(shown, made.woven), comb(shown, width, height), comb(made.woven, width, height));
        EXPECT_LT(nearest, 1.0) << when;
        EXPECT_LT(comb(shown, width, height), comb(made.woven, width, height) / 4) << when;
    }

    HWND host = nullptr;
};

TEST_F(InterlacedPictures, MovingAndPausedTheScreenShowsFfmpegsBwdifWithoutCombing)
{
    ASSERT_TRUE(SUCCEEDED(playback->control->Run()));
    ASSERT_TRUE(playback->waitFor(EC_DVD_CURRENT_HMSF_TIME, [](const GraphEvent& e) { return secondsOf(e) >= 2; }));
    expectBwdifsPicture("moving");
    // The renderer stretches what it is given crudely: the picture must come at the new size.
    playback->showVideo(largeWidth, largeHeight);
    pumpMessages(500);
    expectBwdifsPicture("moving, half as large again", largeWidth, largeHeight);
    playback->showVideo(windowWidth, windowHeight);
    pumpMessages(500);
    ASSERT_TRUE(SUCCEEDED(playback->control->Pause()));
    pumpMessages(500);
    expectBwdifsPicture("paused");
}

// A renderer too slow for a picture a field gets a picture a frame, which it keeps up with.
TEST_F(InterlacedPictures, ARendererTooSlowForAPictureAFieldGetsAPictureAFrame)
{
    PinTap tap(*playback, L"Video", 0);
    ASSERT_TRUE(tap.ready());
    tap.delay(30);
    ASSERT_TRUE(SUCCEEDED(playback->control->Run()));
    const auto length = [](const TappedSample& s) { return s.stop - s.start; };
    std::vector<TappedSample> samples;
    for (const ULONGLONG start = GetTickCount64(); GetTickCount64() - start < 20000; pumpMessages(100)) {
        samples = tap.samples();
        if (samples.size() > 20 && length(samples.back()) == 2 * length(samples[10])) break;
    }
    ASSERT_GT(samples.size(), 20u);
    const auto framed = std::find_if(samples.begin() + 10, samples.end(),
                                     [&](const TappedSample& s) { return length(s) != length(samples[10]); });
    std::printf("a picture a field (%lld ms) until picture %zd, then a picture a frame (%lld ms)\n",
                length(samples[10]) / 10000, framed - samples.begin(), length(samples.back()) / 10000);
    EXPECT_EQ(200000, length(samples[10]));
    EXPECT_EQ(400000, length(samples.back()));
}

}  // namespace
}  // namespace navtest
