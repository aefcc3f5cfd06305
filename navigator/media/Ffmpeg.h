#pragma once
// FFmpeg's C headers and an owner for each of its objects the media layer keeps, so every
// exit path frees them.
#include <memory>
#include <stdexcept>
#include <string>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace media {

// A decoder that cannot be set up at all; bad input data never throws.
class MediaError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Throws MediaError naming the call and FFmpeg's reason when code is negative.
int check(int code, const char* what);
std::string errorText(int code);

struct CodecContextFree {
    void operator()(AVCodecContext* p) const { avcodec_free_context(&p); }
};
struct FrameFree {
    void operator()(AVFrame* p) const { av_frame_free(&p); }
};
struct PacketFree {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct ParserFree {
    void operator()(AVCodecParserContext* p) const { av_parser_close(p); }
};
struct SwsFree {
    void operator()(SwsContext* p) const { sws_freeContext(p); }
};
struct SwrFree {
    void operator()(SwrContext* p) const { swr_free(&p); }
};

using CodecContextPtr = std::unique_ptr<AVCodecContext, CodecContextFree>;
using FramePtr = std::unique_ptr<AVFrame, FrameFree>;
using PacketPtr = std::unique_ptr<AVPacket, PacketFree>;
using ParserPtr = std::unique_ptr<AVCodecParserContext, ParserFree>;
using SwsPtr = std::unique_ptr<SwsContext, SwsFree>;
using SwrPtr = std::unique_ptr<SwrContext, SwrFree>;

// Each throws MediaError when FFmpeg has no memory or lacks the codec.
CodecContextPtr openDecoder(AVCodecID id, AVDictionary** options = nullptr);
FramePtr makeFrame();
PacketPtr makePacket();
ParserPtr makeParser(AVCodecID id);

}  // namespace media
