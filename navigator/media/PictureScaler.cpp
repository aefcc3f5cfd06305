#include "media/PictureScaler.h"

namespace media {

bool PictureScaler::scale(const PictureView& from, const PictureView& to)
{
    if (from.width <= 0 || from.height <= 0 || to.width <= 0 || to.height <= 0)
        return false;
    context_.reset(sws_getCachedContext(context_.release(), from.width, from.height, AV_PIX_FMT_BGRA, to.width,
                                        to.height, AV_PIX_FMT_BGRA, SWS_BICUBIC, nullptr, nullptr, nullptr));
    if (!context_)
        return false;
    const uint8_t* source[4] = {from.pixels, nullptr, nullptr, nullptr};
    const int sourceStrides[4] = {static_cast<int>(from.stride), 0, 0, 0};
    uint8_t* target[4] = {to.pixels, nullptr, nullptr, nullptr};
    const int targetStrides[4] = {static_cast<int>(to.stride), 0, 0, 0};
    return sws_scale(context_.get(), source, sourceStrides, 0, from.height, target, targetStrides) == to.height;
}

}  // namespace media
