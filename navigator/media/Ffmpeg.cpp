#include "media/Ffmpeg.h"

#include <mutex>

namespace media {

std::string errorText(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

int check(int code, const char* what)
{
    if (code < 0)
        throw MediaError(std::string(what) + ": " + errorText(code));
    return code;
}

CodecContextPtr openDecoder(AVCodecID id, AVDictionary** options)
{
    // Damaged input is expected and handled; FFmpeg's complaints about it would only be noise.
    static std::once_flag quiet;
    std::call_once(quiet, [] { av_log_set_level(AV_LOG_FATAL); });
    const AVCodec* codec = avcodec_find_decoder(id);
    if (!codec)
        throw MediaError(std::string("no decoder for ") + avcodec_get_name(id));
    CodecContextPtr context(avcodec_alloc_context3(codec));
    if (!context)
        throw MediaError("avcodec_alloc_context3: out of memory");
    check(avcodec_open2(context.get(), codec, options), "avcodec_open2");
    return context;
}

FramePtr makeFrame()
{
    FramePtr frame(av_frame_alloc());
    if (!frame)
        throw MediaError("av_frame_alloc: out of memory");
    return frame;
}

PacketPtr makePacket()
{
    PacketPtr packet(av_packet_alloc());
    if (!packet)
        throw MediaError("av_packet_alloc: out of memory");
    return packet;
}

ParserPtr makeParser(AVCodecID id)
{
    ParserPtr parser(av_parser_init(id));
    if (!parser)
        throw MediaError(std::string("no parser for ") + avcodec_get_name(id));
    return parser;
}

}  // namespace media
