#pragma once
// The ffmpeg program's own decoding as the reference for the media layer's pictures.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <span>
#include <string>
#include <vector>

namespace mediatest {

// The video pictures ffmpeg decodes from a program stream file, one by one as BGRA, every
// picture the decoder gives (no frame rate conversion), through its video `filters` if any.
class OracleFrames {
public:
    explicit OracleFrames(const std::filesystem::path& file, const std::string& filters = {});
    ~OracleFrames();
    OracleFrames(const OracleFrames&) = delete;
    OracleFrames& operator=(const OracleFrames&) = delete;

    // Fills `frame` (sized by the caller to width * height * 4); false at the end.
    bool next(std::vector<uint8_t>& frame);

private:
    FILE* pipe_;
};

// Peak signal-to-noise ratio of the colour channels of two BGRA pictures, in dB; infinite
// when they are identical.
double psnr(std::span<const uint8_t> a, std::span<const uint8_t> b);

}  // namespace mediatest
