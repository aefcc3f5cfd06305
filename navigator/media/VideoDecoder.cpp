#include "media/VideoDecoder.h"

#include <algorithm>

extern "C" {
#include <libavutil/rational.h>
}

namespace media {
namespace {

CodecContextPtr openVideo()
{
    AVDictionary* options = nullptr;
    av_dict_set(&options, "threads", "1", 0);
    // DVD pictures are at most 720 x 576 (the decoder checks its padded size): a header that
    // claims far more is damage, not a reason to allocate.
    av_dict_set(&options, "max_pixels", "2097152", 0);
    try {
        auto codec = openDecoder(AV_CODEC_ID_MPEG2VIDEO, &options);  // decodes MPEG-1 as well
        av_dict_free(&options);
        return codec;
    } catch (...) {
        av_dict_free(&options);
        throw;
    }
}

PictureType pictureType(AVPictureType type)
{
    switch (type) {
    case AV_PICTURE_TYPE_I:
        return PictureType::I;
    case AV_PICTURE_TYPE_P:
        return PictureType::P;
    case AV_PICTURE_TYPE_B:
        return PictureType::B;
    default:
        return PictureType::Other;
    }
}

}  // namespace

VideoDecoder::VideoDecoder()
    : codec_(openVideo()), packet_(makePacket()), frame_(makeFrame()), made_(makeFrame()), kept_(makeFrame()),
      shown_(makeFrame())
{
    resetParser();
}

void VideoDecoder::resetParser()
{
    parser_ = makeParser(AV_CODEC_ID_MPEG2VIDEO);
    parserDrained_ = false;
    times_.reset();
}

bool VideoDecoder::send(std::span<const uint8_t> data, std::optional<int64_t> pts)
{
    if (inputUsed_ < inputSize_ || packetWaiting_ || draining_)
        return false;
    // The parser may read a little past the end of what it is given.
    input_.resize(data.size() + AV_INPUT_BUFFER_PADDING_SIZE);
    std::copy(data.begin(), data.end(), input_.begin());
    std::fill(input_.begin() + data.size(), input_.end(), 0);
    inputSize_ = data.size();
    inputUsed_ = 0;
    inputPts_ = pts.value_or(AV_NOPTS_VALUE);
    return true;
}

void VideoDecoder::drain() { draining_ = true; }

// Gives the codec one more parsed packet; false when there is no input left to give.
bool VideoDecoder::feed()
{
    while (!packetWaiting_) {
        const bool haveInput = inputUsed_ < inputSize_;
        if (!haveInput && (!draining_ || parserDrained_))
            return false;
        uint8_t* out = nullptr;
        int outSize = 0;
        const int used = av_parser_parse2(parser_.get(), codec_.get(), &out, &outSize,
                                          haveInput ? input_.data() + inputUsed_ : nullptr,
                                          static_cast<int>(inputSize_ - inputUsed_), inputPts_,
                                          AV_NOPTS_VALUE, 0);
        if (haveInput) {
            // A parser that takes nothing and gives nothing would be asked forever.
            inputUsed_ = used > 0 || outSize > 0 ? inputUsed_ + static_cast<size_t>(std::max(used, 0)) : inputSize_;
            inputPts_ = AV_NOPTS_VALUE;  // the parser carries it to the picture starting here
        } else {
            parserDrained_ = true;
        }
        if (outSize > 0) {
            av_packet_unref(packet_.get());
            packet_->data = out;
            packet_->size = outSize;
            // The codec carries the key through its reordering; the time is looked up after.
            // The parser counts fields beyond the first, and nothing for MPEG-1.
            packet_->pts = times_.add(parser_->pict_type != AV_PICTURE_TYPE_B,
                                      parser_->pts == AV_NOPTS_VALUE ? PictureTimes::Unknown : parser_->pts,
                                      duration(std::max(2, 1 + parser_->repeat_pict)));
            packetWaiting_ = true;
        } else if (!haveInput) {
            times_.finish();
        }
    }
    // Damaged pictures are the codec's to conceal or drop; only a full codec keeps the packet.
    if (avcodec_send_packet(codec_.get(), packet_.get()) != AVERROR(EAGAIN))
        packetWaiting_ = false;
    return true;
}

std::optional<Picture> VideoDecoder::receive()
{
    for (;;) {
        if (std::optional<Picture> picture = deinterlaced()) return picture;
        av_frame_unref(frame_.get());
        const int result = avcodec_receive_frame(codec_.get(), frame_.get());
        if (result == 0) {
            Picture picture = describe(*frame_);
            const int64_t pts = times_.lookup(frame_->pts);
            if (pts != PictureTimes::Unknown)
                picture.pts = pts;
            else if (nextPts_)
                picture.pts = *nextPts_;
            nextPts_ = picture.pts + picture.duration;
            if (deinterlace_ != Deinterlace::Off && deinterlacer_.push(*frame_, picture.pts, picture.duration))
                continue;
            keep(*frame_);
            return picture;
        }
        if (result == AVERROR_EOF) {
            avcodec_flush_buffers(codec_.get());
            resetParser();
            draining_ = false;
            // The picture the deinterlacer holds back for the next one comes out: none follows.
            deinterlacer_.drain();
            return deinterlaced();
        }
        // The codec wants more input, or dropped a damaged picture and goes on with the next.
        if (feed())
            continue;
        if (!draining_)
            return std::nullopt;
        avcodec_send_packet(codec_.get(), nullptr);
    }
}

std::optional<Picture> VideoDecoder::deinterlaced()
{
    int64_t pts = 0, length = 0;
    if (!deinterlacer_.pull(*made_, pts, length)) return std::nullopt;
    Picture picture = describe(*made_);
    picture.pts = pts;
    picture.duration = length;
    keep(*made_);
    return picture;
}

// A reference, not a copy: the codec and the deinterlacer go on with buffers of their own.
void VideoDecoder::keep(const AVFrame& f)
{
    av_frame_unref(kept_.get());
    av_frame_ref(kept_.get(), &f);
}

int64_t VideoDecoder::duration(int fields) const
{
    const AVRational rate = codec_->framerate;
    return rate.num > 0 && rate.den > 0 ? av_rescale(90000LL * fields, rate.den, 2LL * rate.num) : 0;
}

// All but the picture's place on the line, which the caller knows.
Picture VideoDecoder::describe(const AVFrame& f) const
{
    Picture picture;
    picture.width = f.width;
    picture.height = f.height;
    picture.type = pictureType(f.pict_type);
    picture.frameRate = {codec_->framerate.num, codec_->framerate.den};
    picture.duration = duration(2 + f.repeat_pict);
    AVRational sar = f.sample_aspect_ratio;
    if (sar.num <= 0 || sar.den <= 0)
        sar = {1, 1};
    av_reduce(&picture.aspect.num, &picture.aspect.den, int64_t{sar.num} * f.width,
              int64_t{sar.den} * f.height, 1 << 16);
    return picture;
}

bool VideoDecoder::convert(uint8_t* pixels, ptrdiff_t stride, int width, int height)
{
    if (!kept_->buf[0])
        return false;
    av_frame_unref(shown_.get());
    av_frame_ref(shown_.get(), kept_.get());
    return scaler_.scale(*shown_, pixels, stride, width, height);
}

bool VideoDecoder::convertShown(uint8_t* pixels, ptrdiff_t stride, int width, int height)
{
    return shown_->buf[0] && scaler_.scale(*shown_, pixels, stride, width, height);
}

void VideoDecoder::flush()
{
    avcodec_flush_buffers(codec_.get());
    resetParser();
    av_frame_unref(frame_.get());
    av_frame_unref(made_.get());
    av_frame_unref(kept_.get());
    av_frame_unref(shown_.get());
    deinterlacer_.reset();
    packetWaiting_ = draining_ = false;
    inputSize_ = inputUsed_ = 0;
    nextPts_.reset();
}

void VideoDecoder::setSkip(VideoSkip skip)
{
    codec_->skip_frame = skip == VideoSkip::NonIntra      ? AVDISCARD_NONKEY
                         : skip == VideoSkip::NonReference ? AVDISCARD_NONREF
                                                           : AVDISCARD_DEFAULT;
}

void VideoDecoder::setDeinterlace(Deinterlace mode)
{
    deinterlace_ = mode;
    deinterlacer_.setFieldRate(mode == Deinterlace::Fields);
}

}  // namespace media
