#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

// Reads a fuzz input as a sequence of choices. Past its end every read gives zeros, so any input, even an
// empty one, decodes to something.
class FuzzInput {
  public:
    FuzzInput(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}

    bool Empty() const { return at_ >= size_; }

    std::uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    std::uint16_t U16() { return static_cast<std::uint16_t>(Byte() | Byte() << 8); }
    std::uint32_t U32() { return U16() | static_cast<std::uint32_t>(U16()) << 16; }
    std::uint64_t U64() { return U32() | static_cast<std::uint64_t>(U32()) << 32; }

    // Up to `count` bytes as they stand in the input.
    std::string Bytes(std::size_t count) {
        const std::size_t left = at_ < size_ ? size_ - at_ : 0;
        const std::size_t taken = std::min(count, left);
        std::string bytes(reinterpret_cast<const char*>(data_) + (size_ - left), taken);
        at_ += taken;
        return bytes;
    }

    // `count` bytes that vary with the input without using it up: long frames from short inputs.
    template <typename Out>
    void Fill(Out& out, std::size_t count) {
        out.resize(count);
        for (std::size_t i = 0; i < count; ++i)
            out[i] = static_cast<typename Out::value_type>(size_ ? data_[(at_ + i) % size_] ^ (i >> 8) : i);
    }

  private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};
