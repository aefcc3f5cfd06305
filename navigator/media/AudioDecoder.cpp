#include "media/AudioDecoder.h"

#include <algorithm>
#include <cstdlib>

extern "C" {
#include <libavutil/channel_layout.h>
}

#include "media/Ffmpeg.h"

namespace media {
namespace {

constexpr std::int64_t Ticks = 90000;
// A PTS names the first frame that starts in its packet, and FFmpeg's parsers now and then
// give it to the frame beside that one: a single stamp off by up to this much is such a slip.
constexpr std::int64_t Slip = Ticks * 40 / 1000;
// Resampling and the frame a PTS names leave this much play between the stamps and the line.
constexpr std::int64_t Play = Ticks * 4 / 1000;

AVCodecID codecId(StreamKind coding)
{
    switch (coding) {
    case StreamKind::Ac3: return AV_CODEC_ID_AC3;
    case StreamKind::MpegAudio: return AV_CODEC_ID_MP2;  // its decoder takes layers 1 and 2 alike
    case StreamKind::Lpcm: return AV_CODEC_ID_PCM_DVD;
    case StreamKind::Dts: return AV_CODEC_ID_DTS;
    default: throw MediaError("not an audio stream");
    }
}

constexpr std::size_t LpcmHeader = 3;

// The LPCM packet, or nothing when its header names what no disc may carry (the reserved
// sample size, rates other than 48 and 96 kHz). A 16-bit packet loses a trailing partial
// sample: left in, the remainder of a cut packet would shift every later sample of the
// stream. 20- and 24-bit packets may end inside a sample group that the next one completes.
std::span<const std::uint8_t> checkedLpcm(std::span<const std::uint8_t> data)
{
    if (data.size() <= LpcmHeader) return {};
    int quantisation = data[1] >> 6;
    if (quantisation == 3 || (data[1] >> 4 & 3) > 1) return {};
    if (quantisation > 0) return data;
    std::size_t sample = 2 * ((data[1] & 7) + 1);
    std::size_t size = LpcmHeader + (data.size() - LpcmHeader) / sample * sample;
    return size > LpcmHeader ? data.first(size) : std::span<const std::uint8_t>{};
}

// The bytes of one block of samples, which 20- and 24-bit packets may split between them.
std::size_t lpcmBlockBytes(std::span<const std::uint8_t> data)
{
    const std::size_t channels = (data[1] & 7) + 1;
    const std::size_t bits = 16 + 4 * static_cast<std::size_t>(data[1] >> 6);
    if (bits == 16) return 2 * channels;
    if (channels == 8) return bits;
    return (channels == 1 || channels == 2 || channels == 4 ? 4 : 4 * channels) * bits / 8;
}

}  // namespace

struct AudioDecoder::State {
    AVCodecID codec = AV_CODEC_ID_NONE;
    CodecContextPtr context;
    ParserPtr parser;  // none for LPCM: each packet is whole
    SwrPtr resampler;
    int inFormat = -1, inRate = 0;
    AVChannelLayout inLayout{};
    FramePtr frame = makeFrame();
    PacketPtr packet = makePacket();
    // The time line: PTS of a sample given out, and the count given out since it, kept
    // apart so that rounding does not accumulate.
    std::optional<std::int64_t> origin;
    std::int64_t sinceOrigin = 0;
    std::optional<std::int64_t> lastOffset;  // of the last stamp that left the line
    // LPCM: the block size of the packets and the bytes of a block the last one left open.
    std::size_t lpcmBlock = 0;
    std::size_t lpcmOpen = 0;
    std::vector<std::uint8_t> realigned;

    std::optional<std::int64_t> next() const
    {
        if (!origin) return std::nullopt;
        return *origin + sinceOrigin * Ticks / PcmRate;
    }

    // Where the next output starts: on the time line, unless the stream's own PTS leaves it
    // for good (far, or twice alike: data was lost or the stream jumped).
    std::optional<std::int64_t> place(std::int64_t pts)
    {
        std::optional<std::int64_t> line = next();
        if (pts == AV_NOPTS_VALUE) return line;
        if (line) {
            std::int64_t offset = pts - *line;
            if (std::llabs(offset) <= Play) {
                lastOffset.reset();
                return line;
            }
            bool confirmed = lastOffset && std::llabs(offset - *lastOffset) <= Play;
            if (std::llabs(offset) <= Slip && !confirmed) {
                lastOffset = offset;
                return line;
            }
        }
        lastOffset.reset();
        origin = pts;
        sinceOrigin = 0;
        return pts;
    }

    void openContext()
    {
        context = openDecoder(codec);
        context->pkt_timebase = {1, static_cast<int>(Ticks)};
        // A frame whose checksum fails is refused rather than played as noise.
        context->err_recognition = AV_EF_CRCCHECK | AV_EF_EXPLODE;
        lpcmBlock = 0;
        lpcmOpen = 0;
    }

    void open()
    {
        openContext();
        if (codec != AV_CODEC_ID_PCM_DVD) parser = makeParser(codec);
        resampler.reset();
        inFormat = -1;
        origin.reset();
        sinceOrigin = 0;
        lastOffset.reset();
    }

    bool resamplerFits(const AVFrame& f) const
    {
        return resampler && f.format == inFormat && f.sample_rate == inRate &&
            av_channel_layout_compare(&f.ch_layout, &inLayout) == 0;
    }

    bool prepareResampler(const AVFrame& f)
    {
        if (resamplerFits(f)) return true;
        resampler.reset();
        av_channel_layout_uninit(&inLayout);
        if (av_channel_layout_copy(&inLayout, &f.ch_layout) < 0) return false;
        AVChannelLayout in{};
        // Decoders that know only a channel count get the usual layout for it, as FFmpeg's
        // own tools assume.
        if (f.ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
            av_channel_layout_default(&in, f.ch_layout.nb_channels);
        else
            av_channel_layout_copy(&in, &f.ch_layout);
        AVChannelLayout stereo = AV_CHANNEL_LAYOUT_STEREO;
        SwrContext* s = nullptr;
        int result = swr_alloc_set_opts2(&s, &stereo, AV_SAMPLE_FMT_S16, PcmRate, &in,
            static_cast<AVSampleFormat>(f.format), f.sample_rate, 0, nullptr);
        av_channel_layout_uninit(&in);
        SwrPtr owned(s);
        if (result < 0 || swr_init(s) < 0) return false;
        resampler = std::move(owned);
        inFormat = f.format;
        inRate = f.sample_rate;
        return true;
    }

    // Room for `frames` more at `pts`: sound that carries straight on from the last block of
    // `out` joins it, so that the audio pin sends fewer, larger buffers and nothing is
    // allocated per frame.
    std::int16_t* extend(std::int64_t pts, std::size_t frames, std::vector<PcmBlock>& out)
    {
        if (out.empty() || std::llabs(endOf(out.back()) - pts) > 1) out.push_back({pts, {}});
        std::vector<std::int16_t>& samples = out.back().samples;
        samples.resize(samples.size() + frames * PcmChannels);
        return samples.data() + samples.size() - frames * PcmChannels;
    }

    // Gives back what extend() made room for and was not used.
    void shrink(std::size_t unused, std::vector<PcmBlock>& out)
    {
        std::vector<std::int16_t>& samples = out.back().samples;
        samples.resize(samples.size() - unused * PcmChannels);
        if (samples.empty()) out.pop_back();
    }

    static std::int64_t endOf(const PcmBlock& block)
    {
        return block.pts + static_cast<std::int64_t>(block.frames()) * Ticks / PcmRate;
    }

    // Converts a frame, or with none gives out what the resampler holds.
    void convert(const AVFrame* f, std::vector<PcmBlock>& out)
    {
        int count = f ? f->nb_samples : 0;
        if (f && !prepareResampler(*f)) return;
        if (!resampler) return;
        // Samples the resampler still holds belong before this frame's first.
        std::int64_t held = swr_get_delay(resampler.get(), PcmRate);
        std::optional<std::int64_t> pts =
            place(f && f->pts != AV_NOPTS_VALUE ? f->pts - held * Ticks / PcmRate : AV_NOPTS_VALUE);
        int capacity = swr_get_out_samples(resampler.get(), count);
        if (!pts || capacity <= 0) return;
        auto* target = reinterpret_cast<std::uint8_t*>(extend(*pts, static_cast<std::size_t>(capacity), out));
        int got = std::max(0, swr_convert(resampler.get(), &target, capacity,
            f ? const_cast<const std::uint8_t**>(f->extended_data) : nullptr, count));
        shrink(static_cast<std::size_t>(capacity - got), out);
        sinceOrigin += got;
    }

    // A frame lost to bad data keeps its place on the time line as silence.
    void silence(std::int64_t pts, int duration, std::vector<PcmBlock>& out)
    {
        std::optional<std::int64_t> at = place(pts);
        if (!at || duration <= 0 || context->sample_rate <= 0) return;
        std::int64_t frames = std::int64_t{duration} * PcmRate / context->sample_rate;
        if (frames <= 0) return;
        std::fill_n(extend(*at, static_cast<std::size_t>(frames), out), frames * PcmChannels, 0);
        sinceOrigin += frames;
    }

    void receive(std::vector<PcmBlock>& out)
    {
        while (avcodec_receive_frame(context.get(), frame.get()) == 0) {
            convert(frame.get(), out);
            av_frame_unref(frame.get());
        }
    }

    void decodeLpcm(std::span<const std::uint8_t> data, std::int64_t pts,
        std::optional<std::size_t> firstAccessUnit, std::vector<PcmBlock>& out)
    {
        const std::size_t block = lpcmBlockBytes(data);
        if (block != lpcmBlock) lpcmOpen = 0;  // the decoder drops what was open, too
        lpcmBlock = block;
        const std::size_t leading =
            firstAccessUnit && *firstAccessUnit > LpcmHeader && *firstAccessUnit <= data.size()
            ? *firstAccessUnit - LpcmHeader : 0;
        // Packets that tell nothing, or claim a frame right after the header, are taken as
        // they come: FFmpeg's muxer claims that of every packet, however it cut the samples.
        if (leading > 0 && (lpcmOpen + leading) % block != 0) {
            if (lpcmOpen > 0) {
                openContext();  // the only way to make the decoder drop what it holds
                lpcmBlock = block;
            }
            realigned.assign(data.begin(), data.begin() + LpcmHeader);
            realigned.insert(realigned.end(), data.begin() + static_cast<std::ptrdiff_t>(*firstAccessUnit), data.end());
            data = realigned;
        }
        lpcmOpen = (lpcmOpen + data.size() - LpcmHeader) % block;
        decodeFrame(data, pts, 0, out);
    }

    void decodeFrame(std::span<const std::uint8_t> data, std::int64_t pts, int duration,
        std::vector<PcmBlock>& out)
    {
        // Not reference-counted: the decoder takes its own padded copy.
        packet->data = const_cast<std::uint8_t*>(data.data());
        packet->size = static_cast<int>(data.size());
        packet->pts = pts;
        int sent = avcodec_send_packet(context.get(), packet.get());
        packet->data = nullptr;
        packet->size = 0;
        if (sent < 0) {
            silence(pts, duration, out);
            return;
        }
        receive(out);
    }
};

AudioDecoder::AudioDecoder(StreamKind coding) : s_(std::make_unique<State>())
{
    s_->codec = codecId(coding);
    s_->open();
}

AudioDecoder::~AudioDecoder()
{
    av_channel_layout_uninit(&s_->inLayout);
}

void AudioDecoder::decode(std::span<const std::uint8_t> data, std::optional<std::int64_t> pts,
    std::vector<PcmBlock>& out, std::optional<std::size_t> firstAccessUnit)
{
    std::int64_t stamp = pts ? *pts : AV_NOPTS_VALUE;
    if (!s_->parser) {
        data = checkedLpcm(data);
        if (!data.empty()) s_->decodeLpcm(data, stamp, firstAccessUnit, out);
        return;
    }
    // The parser cuts frames that span packets; each takes the PTS of the packet it starts in.
    while (!data.empty()) {
        std::uint8_t* frame = nullptr;
        int size = 0;
        int used = av_parser_parse2(s_->parser.get(), s_->context.get(), &frame, &size,
            data.data(), static_cast<int>(data.size()), stamp, AV_NOPTS_VALUE, 0);
        if (used < 0) return;
        data = data.subspan(static_cast<std::size_t>(used));
        stamp = AV_NOPTS_VALUE;
        if (size > 0)
            s_->decodeFrame({frame, static_cast<std::size_t>(size)}, s_->parser->pts,
                s_->parser->duration, out);
        if (used == 0 && size == 0) return;
    }
}

void AudioDecoder::drain(std::vector<PcmBlock>& out)
{
    if (s_->parser) {
        std::uint8_t* frame = nullptr;
        int size = 0;
        av_parser_parse2(s_->parser.get(), s_->context.get(), &frame, &size, nullptr, 0,
            AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
        if (size > 0)
            s_->decodeFrame({frame, static_cast<std::size_t>(size)}, s_->parser->pts,
                s_->parser->duration, out);
    }
    if (avcodec_send_packet(s_->context.get(), nullptr) == 0) s_->receive(out);
    s_->convert(nullptr, out);
    flush();
}

void AudioDecoder::flush()
{
    av_channel_layout_uninit(&s_->inLayout);
    s_->open();
}

}  // namespace media
