#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace encoder::rm {

// Largest payload one RealMedia packet can carry: the 16-bit packet length includes its 12-byte header.
constexpr std::size_t kMaxPacketPayload = 0xFFFF - 12;
// A picture may be cut into at most this many packets (the count travels in seven bits).
constexpr std::size_t kMaxFragments = 127;

// Cuts one encoded RealVideo picture into packet payloads, each starting with the video packet header
// that tells a demuxer how to put the picture together again. A picture that fits in `maxPayload`
// bytes travels whole; a larger one is cut into as few, evenly sized fragments as the limit allows.
// `pictureNumber` counts pictures (it wraps at 256) so a reader can tell fragments of neighbours apart.
// Throws std::length_error when the picture cannot be carried at all.
std::vector<std::vector<std::uint8_t>> PacketizeVideoFrame(std::span<const std::uint8_t> frame,
                                                           std::uint8_t pictureNumber,
                                                           std::size_t maxPayload);

// AC-3 travels with the bytes of every 16-bit word swapped.
void AppendSwappedWords(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> frame);

// Cook frames travel interleaved: a block of `height` packets of `framesPerPacket` frames each, the first
// packet holding the block's even frames and the second its odd ones, so that a packet lost in streaming
// costs every other frame, which the decoder hides, rather than a gap. Readers rebuild a block once all
// its packets have come; the first packet of a block is its keyframe.
struct CookInterleave {
    std::uint32_t framesPerPacket = 1;
    std::uint16_t height = 2;
    std::uint32_t FramesPerBlock() const { return framesPerPacket * height; }
};
// Packets of about a tenth of a second, two to a block: a block, which a stream's end fills up with
// silence, lasts at most a fifth of a second.
// `frameBytes` bounds the packet to what a packet can carry.
CookInterleave CookInterleaveFor(std::uint32_t samplesPerFrame, std::uint32_t sampleRate,
                                 std::uint32_t frameBytes);
// The payloads of one block: `block` holds FramesPerBlock() frames of `frameBytes` in playing order.
std::vector<std::vector<std::uint8_t>> InterleaveCookBlock(std::span<const std::uint8_t> block,
                                                           std::size_t frameBytes,
                                                           const CookInterleave& shape);

}  // namespace encoder::rm
