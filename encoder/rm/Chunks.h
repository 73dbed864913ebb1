#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "encoder/rm/ByteBuffer.h"
#include "encoder/rm/Packetizer.h"
#include "encoder/rm/RmWriter.h"

namespace encoder::rm {

// Figures of the PROP header and of each MDPR header.
struct Figures {
    std::uint32_t maxBitRate = 0;
    std::uint32_t avgBitRate = 0;
    std::uint32_t maxPacketSize = 0;
    std::uint32_t avgPacketSize = 0;
    std::uint32_t startTime = 0;
    std::uint32_t preroll = 0;
    std::uint32_t duration = 0;
};

struct FileProperties {
    Figures figures;
    std::uint32_t packetCount = 0;
    std::uint32_t indexOffset = 0;
    std::uint32_t dataOffset = 0;
    std::uint16_t streamCount = 0;
    std::uint16_t flags = 0;
};

// PROP flags.
constexpr std::uint16_t kFlagSaveAllowed = 0x0001;
constexpr std::uint16_t kFlagPerfectPlay = 0x0002;
constexpr std::uint16_t kFlagDownloadAllowed = 0x0008;

// One name/value property of a logical stream: a number or a string.
struct Property {
    std::string name;
    bool isText = true;
    std::uint32_t number = 0;
    std::string text;
};

void PutFileHeader(ByteBuffer& out, std::uint32_t headerCount);
void PutProperties(ByteBuffer& out, const FileProperties& properties);
void PutContent(ByteBuffer& out, const ClipInfo& info);
void PutMediaProperties(ByteBuffer& out, std::uint16_t streamNumber, const Figures& figures,
                        const std::string& name, const std::string& mimeType,
                        const std::vector<std::uint8_t>& typeSpecific);
// The header of the file's one data chunk. Its packet count is left at 0, "not given" (the file
// properties carry the true count): GStreamer counts packets against it without starting again after a
// seek, and then takes the rest of the chunk for headers; with 0 every reader reads to the index.
void PutDataHeader(ByteBuffer& out, std::uint32_t chunkSize);
constexpr std::uint32_t kDataHeaderSize = 18;

struct IndexRecord {
    std::uint32_t timestamp = 0;
    std::uint32_t offset = 0;        // of the packet, from the start of the file
    std::uint32_t packetNumber = 0;  // of the packet within its data chunk
};
void PutIndex(ByteBuffer& out, std::uint16_t streamNumber, const std::vector<IndexRecord>& records,
              std::uint32_t nextIndexHeader);
constexpr std::uint32_t IndexChunkSize(std::size_t records) {
    return static_cast<std::uint32_t>(20 + 14 * records);
}

// Type-specific data of the stream headers.
std::vector<std::uint8_t> AudioTypeSpecific(const StreamDesc& desc, std::uint32_t bytesPerMinute,
                                            std::uint32_t dataSize);
// Cook's version 5 header, with its interleaving and codec data.
std::vector<std::uint8_t> CookTypeSpecific(const StreamDesc& desc, const CookInterleave& interleave,
                                           std::uint32_t bytesPerMinute, std::uint32_t dataSize);
std::vector<std::uint8_t> VideoTypeSpecific(const StreamDesc& desc);
std::vector<std::uint8_t> LogicalStreamData(const std::vector<std::uint16_t>& physicalStreams,
                                            const std::vector<std::uint32_t>& dataOffsets,
                                            const std::vector<std::uint16_t>& ruleToStream,
                                            const std::vector<Property>& properties);

// The four-character code a reader looks up the codec by.
std::string_view FourCc(Codec codec);

}  // namespace encoder::rm
