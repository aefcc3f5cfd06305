#include "media/Ffmpeg.h"

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
