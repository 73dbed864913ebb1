#include "encoder/rm/Packetizer.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace encoder::rm {

namespace {

// Lengths and offsets in the video packet header: two bytes with bit 14 set below 0x4000, else four.
void PutVideoNumber(std::vector<std::uint8_t>& out, std::size_t value) {
    if (value < 0x4000) {
        const auto v = static_cast<std::uint16_t>(0x4000 | value);
        out.push_back(static_cast<std::uint8_t>(v >> 8));
        out.push_back(static_cast<std::uint8_t>(v));
    } else {
        const auto v = static_cast<std::uint32_t>(value);
        out.push_back(static_cast<std::uint8_t>(v >> 24));
        out.push_back(static_cast<std::uint8_t>(v >> 16));
        out.push_back(static_cast<std::uint8_t>(v >> 8));
        out.push_back(static_cast<std::uint8_t>(v));
    }
}

constexpr std::size_t kWholeHeader = 2;
constexpr std::size_t kFragmentHeaderMax = 1 + 1 + 4 + 4 + 1;

}  // namespace

std::vector<std::vector<std::uint8_t>> PacketizeVideoFrame(std::span<const std::uint8_t> frame,
                                                           std::uint8_t pictureNumber,
                                                           std::size_t maxPayload) {
    maxPayload = std::clamp<std::size_t>(maxPayload, kFragmentHeaderMax + 1, kMaxPacketPayload);
    std::vector<std::vector<std::uint8_t>> packets;
    if (frame.size() + kWholeHeader <= maxPayload) {
        // Whole picture: type 01 in the top bits, then the packet byte as in a fragment: one packet,
        // the first.
        std::vector<std::uint8_t> p;
        p.reserve(frame.size() + kWholeHeader);
        p.push_back(0x40);
        p.push_back(0x81);
        p.insert(p.end(), frame.begin(), frame.end());
        packets.push_back(std::move(p));
        return packets;
    }
    if (frame.size() >= 0x40000000)
        throw std::length_error("video frame too large");

    std::size_t room = maxPayload - kFragmentHeaderMax;
    std::size_t count = (frame.size() + room - 1) / room;
    if (count > kMaxFragments) {
        count = kMaxFragments;
        room = (frame.size() + count - 1) / count;
        if (room + kFragmentHeaderMax > kMaxPacketPayload)
            throw std::length_error("video frame too large");
    }
    // Even fragments: the same count with no tiny last piece.
    const std::size_t base = frame.size() / count;
    const std::size_t extra = frame.size() % count;
    std::size_t offset = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t length = base + (i < extra ? 1 : 0);
        const bool last = i + 1 == count;
        std::vector<std::uint8_t> p;
        p.reserve(length + kFragmentHeaderMax);
        // Top bits: 00 a fragment, 10 the last fragment; the low six bits and the next byte's top bit
        // hold the fragment count, the next byte's low seven bits this fragment's number from 1.
        p.push_back(static_cast<std::uint8_t>((last ? 0x80 : 0x00) | ((count >> 1) & 0x3F)));
        p.push_back(static_cast<std::uint8_t>(((count & 1) << 7) | ((i + 1) & 0x7F)));
        PutVideoNumber(p, frame.size());
        // The last fragment gives its own length (its offset from the end) instead of its offset.
        PutVideoNumber(p, last ? length : offset);
        p.push_back(pictureNumber);
        p.insert(p.end(), frame.begin() + static_cast<std::ptrdiff_t>(offset),
                 frame.begin() + static_cast<std::ptrdiff_t>(offset + length));
        packets.push_back(std::move(p));
        offset += length;
    }
    return packets;
}

void AppendSwappedWords(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> frame) {
    const std::size_t pairs = frame.size() / 2;
    out.reserve(out.size() + frame.size());
    for (std::size_t i = 0; i < pairs; ++i) {
        out.push_back(frame[2 * i + 1]);
        out.push_back(frame[2 * i]);
    }
    if (frame.size() % 2)
        out.push_back(frame.back());
}

CookInterleave CookInterleaveFor(std::uint32_t samplesPerFrame, std::uint32_t sampleRate,
                                 std::uint32_t frameBytes) {
    constexpr double kPacketMs = 100;
    CookInterleave shape;
    double frames =
        samplesPerFrame > 0 && sampleRate > 0 ? kPacketMs * sampleRate / (1000.0 * samplesPerFrame) : 1;
    if (frameBytes > 0) {
        const std::uint32_t wholeFrames = kMaxPacketPayload / frameBytes;
        frames = std::min(frames, static_cast<double>(wholeFrames));
    }
    shape.framesPerPacket = static_cast<std::uint32_t>(std::max(1.0, std::floor(frames)));
    return shape;
}

std::vector<std::vector<std::uint8_t>> InterleaveCookBlock(std::span<const std::uint8_t> block,
                                                           std::size_t frameBytes,
                                                           const CookInterleave& shape) {
    const std::size_t h = shape.height;
    std::vector<std::vector<std::uint8_t>> packets(h);
    for (std::size_t y = 0; y < h; ++y) {
        packets[y].reserve(shape.framesPerPacket * frameBytes);
        // The place in the block of the x-th frame of packet y, as every reader undoes it.
        for (std::size_t x = 0; x < shape.framesPerPacket; ++x) {
            const std::size_t slot = h * x + (h + 1) / 2 * (y & 1) + (y >> 1);
            const auto from = block.begin() + static_cast<std::ptrdiff_t>(slot * frameBytes);
            packets[y].insert(packets[y].end(), from, from + static_cast<std::ptrdiff_t>(frameBytes));
        }
    }
    return packets;
}

}  // namespace encoder::rm
