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

}  // namespace encoder::rm
