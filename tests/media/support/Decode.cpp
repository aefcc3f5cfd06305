#include "support/Decode.h"

#include "media/Demux.h"

namespace mediatest {

void decodeVideo(std::span<const uint8_t> sectors, media::VideoDecoder& decoder,
                 const std::function<void(const media::Picture&)>& onPicture)
{
    std::vector<media::Packet> packets;
    media::demux(sectors, {}, packets);
    for (const media::Packet& packet : packets)
        while (!decoder.send(packet.payload, packet.pts))
            while (auto picture = decoder.receive())
                onPicture(*picture);
    decoder.drain();
    while (auto picture = decoder.receive())
        onPicture(*picture);
}

}  // namespace mediatest
