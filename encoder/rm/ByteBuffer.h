#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace encoder::rm {

// Big-endian byte builder for RealMedia structures. Chunks are written with a size placeholder that
// EndChunk patches, so every size field matches the bytes that really follow.
class ByteBuffer {
  public:
    void U8(std::uint8_t v) { bytes_.push_back(v); }
    void U16(std::uint16_t v) {
        U8(static_cast<std::uint8_t>(v >> 8));
        U8(static_cast<std::uint8_t>(v));
    }
    void U32(std::uint32_t v) {
        U16(static_cast<std::uint16_t>(v >> 16));
        U16(static_cast<std::uint16_t>(v));
    }
    void Bytes(std::span<const std::uint8_t> data) { bytes_.insert(bytes_.end(), data.begin(), data.end()); }
    void Text(std::string_view text) { bytes_.insert(bytes_.end(), text.begin(), text.end()); }
    // A four-character code exactly as spelled.
    void Tag(std::string_view fourcc) { Text(fourcc.substr(0, 4)); }
    // Length-prefixed strings; the caller has already cut them to what the prefix can hold.
    void Str8(std::string_view text) {
        U8(static_cast<std::uint8_t>(text.size()));
        Text(text);
    }
    void Str16(std::string_view text) {
        U16(static_cast<std::uint16_t>(text.size()));
        Text(text);
    }

    // Chunk header: tag, size (patched by EndChunk), object version.
    std::size_t BeginChunk(std::string_view tag, std::uint16_t version = 0) {
        const std::size_t start = bytes_.size();
        Tag(tag);
        U32(0);
        U16(version);
        return start;
    }
    void EndChunk(std::size_t start) {
        PatchU32(start + 4, static_cast<std::uint32_t>(bytes_.size() - start));
    }

    void PatchU16(std::size_t at, std::uint16_t v) {
        bytes_[at] = static_cast<std::uint8_t>(v >> 8);
        bytes_[at + 1] = static_cast<std::uint8_t>(v);
    }
    void PatchU32(std::size_t at, std::uint32_t v) {
        bytes_[at] = static_cast<std::uint8_t>(v >> 24);
        bytes_[at + 1] = static_cast<std::uint8_t>(v >> 16);
        bytes_[at + 2] = static_cast<std::uint8_t>(v >> 8);
        bytes_[at + 3] = static_cast<std::uint8_t>(v);
    }

    std::size_t Size() const { return bytes_.size(); }
    const std::vector<std::uint8_t>& Data() const { return bytes_; }
    std::vector<std::uint8_t> Take() { return std::move(bytes_); }

  private:
    std::vector<std::uint8_t> bytes_;
};

}  // namespace encoder::rm
