#pragma once
// The whole path from sectors to pictures, as the tests and the benchmark drive it.
#include <functional>
#include <span>

#include "media/VideoDecoder.h"

namespace mediatest {

// Demultiplexes a run of sectors, decodes its video and drains the decoder, handing each
// picture on as it comes (the decoder holds its pixels).
void decodeVideo(std::span<const uint8_t> sectors, media::VideoDecoder& decoder,
                 const std::function<void(const media::Picture&)>& onPicture);

}  // namespace mediatest
