#pragma once
// Bounds-checked big-endian reads at absolute offsets of a byte range. Every access that would
// leave the range throws FormatError naming the range, so a parser never reads past its data.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <utility>

#include "core/Ifo.h"

namespace nav {

class ByteReader {
public:
    ByteReader(std::span<const uint8_t> data, std::string name, size_t origin = 0)
        : data_(data), name_(std::move(name)), origin_(origin) {}

    size_t size() const { return data_.size(); }
    // Where this range starts in the outermost one.
    size_t origin() const { return origin_; }
    const std::string& name() const { return name_; }

    uint8_t u8(size_t offset) const { return bytes(offset, 1)[0]; }
    uint16_t u16(size_t offset) const
    {
        auto b = bytes(offset, 2);
        return static_cast<uint16_t>(b[0] << 8 | b[1]);
    }
    uint32_t u32(size_t offset) const
    {
        auto b = bytes(offset, 4);
        return uint32_t{b[0]} << 24 | uint32_t{b[1]} << 16 | uint32_t{b[2]} << 8 | b[3];
    }

    std::span<const uint8_t> bytes(size_t offset, size_t count) const
    {
        check(offset, count);
        return data_.subspan(offset, count);
    }

    // The part from offset to the end, as its own range with its own name.
    ByteReader from(size_t offset, std::string name) const
    {
        check(offset, 0);
        return ByteReader(data_.subspan(offset), std::move(name), origin_ + offset);
    }

    [[noreturn]] void fail(const std::string& what) const { throw FormatError(name_ + ": " + what); }

private:
    void check(size_t offset, size_t count) const
    {
        if (offset > data_.size() || count > data_.size() - offset)
            fail("needs " + std::to_string(count) + " byte(s) at offset " + std::to_string(offset) +
                 " but has only " + std::to_string(data_.size()));
    }

    std::span<const uint8_t> data_;
    std::string name_;
    size_t origin_;
};

}  // namespace nav
