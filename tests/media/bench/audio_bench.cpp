// Cost of decoding a second of each disc audio coding to the playback format, next to bare
// libavcodec decoding of the same packets (parser and decoder, no conversion); and of drawing
// a menu's subpicture with a lit button over a PAL picture, next to copying that picture.
#include <benchmark/benchmark.h>

#include <cstring>
#include <map>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
}

#include "media/AudioDecoder.h"
#include "media/Overlay.h"
#include "support/Files.h"
#include "support/Streams.h"

namespace {

struct Stream {
    int titleSet;
    media::StreamId id;
    AVCodecID codec;
};

const std::vector<mediatest::Payload>& payloads(const Stream& s)
{
    static std::map<int, std::vector<mediatest::Payload>> cache;
    auto& found = cache[s.titleSet << 8 | s.id.number];
    if (found.empty())
        found = mediatest::streamPackets(
            mediatest::vob("codings", "VTS_0" + std::to_string(s.titleSet) + "_1.VOB"), s.id);
    return found;
}

constexpr double StreamSeconds = 3.0;

// Seconds of audio decoded per second: the inverse of the share of a core playback takes.
void perAudioSecond(benchmark::State& state)
{
    state.counters["x_realtime"] =
        benchmark::Counter(StreamSeconds * double(state.iterations()), benchmark::Counter::kIsRate);
}

void Lumadisc(benchmark::State& state, Stream s)
{
    const auto& in = payloads(s);
    std::vector<media::PcmBlock> out;
    for (auto _ : state) {
        media::AudioDecoder decoder(s.id.kind);
        out.clear();
        for (const auto& p : in) decoder.decode(p.data, p.pts, out);
        decoder.drain(out);
        benchmark::DoNotOptimize(out.data());
    }
    perAudioSecond(state);
}

void BareLibavcodec(benchmark::State& state, Stream s)
{
    const auto& in = payloads(s);
    const AVCodec* codec = avcodec_find_decoder(s.codec);
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    for (auto _ : state) {
        AVCodecContext* context = avcodec_alloc_context3(codec);
        avcodec_open2(context, codec, nullptr);
        AVCodecParserContext* parser = s.codec == AV_CODEC_ID_PCM_DVD ? nullptr : av_parser_init(s.codec);
        auto decode = [&](const std::uint8_t* data, int size) {
            packet->data = const_cast<std::uint8_t*>(data);
            packet->size = size;
            if (avcodec_send_packet(context, packet) < 0) return;
            while (avcodec_receive_frame(context, frame) == 0) av_frame_unref(frame);
        };
        for (const auto& p : in) {
            const std::uint8_t* data = p.data.data();
            int size = static_cast<int>(p.data.size());
            if (!parser) {
                decode(data, size);
                continue;
            }
            while (size > 0) {
                std::uint8_t* out = nullptr;
                int outSize = 0;
                int used = av_parser_parse2(parser, context, &out, &outSize, data, size,
                    AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
                data += used;
                size -= used;
                if (outSize > 0) decode(out, outSize);
            }
        }
        if (parser) av_parser_close(parser);
        avcodec_free_context(&context);
    }
    av_frame_free(&frame);
    av_packet_free(&packet);
    perAudioSecond(state);
}

#define AUDIO_BENCH(name, ...)                                                     \
    BENCHMARK_CAPTURE(Lumadisc, name, Stream{__VA_ARGS__})->Unit(benchmark::kMillisecond); \
    BENCHMARK_CAPTURE(BareLibavcodec, name, Stream{__VA_ARGS__})->Unit(benchmark::kMillisecond)

AUDIO_BENCH(Ac3FiveOne, 1, {media::StreamKind::Ac3, 0}, AV_CODEC_ID_AC3);
AUDIO_BENCH(MpegLayer2, 2, {media::StreamKind::MpegAudio, 0}, AV_CODEC_ID_MP2);
AUDIO_BENCH(Lpcm24Bit96k, 3, {media::StreamKind::Lpcm, 1}, AV_CODEC_ID_PCM_DVD);
AUDIO_BENCH(Dts, 4, {media::StreamKind::Dts, 0}, AV_CODEC_ID_DTS);

media::SubpicturePhase menuPhase()
{
    media::SubpictureAssembler assembler;
    for (const auto& p : mediatest::streamPackets(mediatest::vob("sample", "VIDEO_TS.VOB"),
             {media::StreamKind::Subpicture, 0})) {
        std::int64_t pts = 0;
        if (auto unit = assembler.push(p.data, p.pts, pts))
            if (auto decoded = media::decodeSubpicture(*unit, pts)) return decoded->phases.front();
    }
    return {};
}

constexpr int Width = 720, Height = 576;

void SubpictureWithHighlight(benchmark::State& state)
{
    const media::SubpicturePhase phase = menuPhase();
    if (!phase.bitmap) state.SkipWithError("no menu subpicture");
    std::vector<std::uint8_t> picture(Width * Height * 4, 0x40);
    media::Palette palette{};
    palette.fill(0x80F080);
    const media::Highlight lit{{116, 196, 605, 265}, media::colourSet(0xFFFF9999)};
    for (auto _ : state) {
        media::blend({picture.data(), Width, Height, Width * 4}, phase, palette, &lit);
        benchmark::DoNotOptimize(picture.data());
    }
}
BENCHMARK(SubpictureWithHighlight)->Unit(benchmark::kMicrosecond);

void PictureCopy(benchmark::State& state)
{
    std::vector<std::uint8_t> from(Width * Height * 4, 0x40), to(from.size());
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size());
        benchmark::DoNotOptimize(to.data());
    }
}
BENCHMARK(PictureCopy)->Unit(benchmark::kMicrosecond);

}  // namespace

