#include "encoder/rm/Chunks.h"

#include <algorithm>
#include <cmath>

#include "platform/core/FileNames.h"

namespace encoder::rm {

void PutFileHeader(ByteBuffer& out, std::uint32_t headerCount) {
    const std::size_t chunk = out.BeginChunk(".RMF");
    out.U32(0);  // file version
    out.U32(headerCount);
    out.EndChunk(chunk);
}

void PutProperties(ByteBuffer& out, const FileProperties& p) {
    const std::size_t chunk = out.BeginChunk("PROP");
    out.U32(p.figures.maxBitRate);
    out.U32(p.figures.avgBitRate);
    out.U32(p.figures.maxPacketSize);
    out.U32(p.figures.avgPacketSize);
    out.U32(p.packetCount);
    out.U32(p.figures.duration);
    out.U32(p.figures.preroll);
    out.U32(p.indexOffset);
    out.U32(p.dataOffset);
    out.U16(p.streamCount);
    out.U16(p.flags);
    out.EndChunk(chunk);
}

void PutContent(ByteBuffer& out, const ClipInfo& info) {
    const std::size_t chunk = out.BeginChunk("CONT");
    for (const std::string* text : {&info.title, &info.author, &info.copyright, &info.comment})
        out.Str16(platform::CutUtf8(*text, 0xFFFF));
    out.EndChunk(chunk);
}

void PutMediaProperties(ByteBuffer& out, std::uint16_t streamNumber, const Figures& f,
                        const std::string& name, const std::string& mimeType,
                        const std::vector<std::uint8_t>& typeSpecific) {
    const std::size_t chunk = out.BeginChunk("MDPR");
    out.U16(streamNumber);
    out.U32(f.maxBitRate);
    out.U32(f.avgBitRate);
    out.U32(f.maxPacketSize);
    out.U32(f.avgPacketSize);
    out.U32(f.startTime);
    out.U32(f.preroll);
    out.U32(f.duration);
    out.Str8(platform::CutUtf8(name, 0xFF));
    out.Str8(platform::CutUtf8(mimeType, 0xFF));
    out.U32(static_cast<std::uint32_t>(typeSpecific.size()));
    out.Bytes(typeSpecific);
    out.EndChunk(chunk);
}

void PutDataHeader(ByteBuffer& out, std::uint32_t chunkSize) {
    out.Tag("DATA");
    out.U32(chunkSize);
    out.U16(0);  // version
    out.U32(0);  // packet count: not given
    out.U32(0);  // next data chunk: none
}

void PutIndex(ByteBuffer& out, std::uint16_t streamNumber, const std::vector<IndexRecord>& records,
              std::uint32_t nextIndexHeader) {
    const std::size_t chunk = out.BeginChunk("INDX");
    out.U32(static_cast<std::uint32_t>(records.size()));
    out.U16(streamNumber);
    out.U32(nextIndexHeader);
    for (const IndexRecord& r : records) {
        out.U16(0);
        out.U32(r.timestamp);
        out.U32(r.offset);
        out.U32(r.packetNumber);
    }
    out.EndChunk(chunk);
}

namespace {

// The sample-rate family code AC-3 streams carry in the flavor field.
std::uint16_t RateFamily(std::uint32_t sampleRate) {
    switch (sampleRate) {
        case 48000:
        case 24000:
        case 12000:
            return 1;
        case 32000:
        case 16000:
        case 8000:
            return 3;
        default:
            return 2;
    }
}

}  // namespace

std::string_view FourCc(Codec codec) {
    switch (codec) {
        case Codec::RealVideo20:
            return "RV20";
        case Codec::RealVideo40:
            return "RV40";
        case Codec::RealAudioAc3:
            return "dnet";
        case Codec::RealAudioCook:
            return "cook";
        case Codec::RealAudio144:
            break;
    }
    return "lpcJ";
}

namespace {

// 14.4 goes in the version 3 RealAudio header, the only form FFmpeg, GStreamer and MPlayer all map to
// the 14.4 decoder (in a version 4 header each of them knows 14.4 under another code).
std::vector<std::uint8_t> Ra144TypeSpecific(std::uint32_t bytesPerMinute, std::uint32_t dataSize) {
    ByteBuffer b;
    b.Text(".ra");
    b.U8(0xFD);
    b.U16(3);  // header version
    const std::size_t sizeAt = b.Size();
    b.U16(0);  // bytes that follow, patched below
    for (int i = 0; i < 8; ++i)
        b.U8(0);
    b.U16(static_cast<std::uint16_t>(std::min<std::uint32_t>(bytesPerMinute, 0xFFFF)));
    b.U32(dataSize);
    // Empty title, author, copyright and comment (MPlayer warns about any comment).
    for (int i = 0; i < 4; ++i)
        b.U8(0);
    b.U8(0);
    b.Str8(FourCc(Codec::RealAudio144));
    b.PatchU16(sizeAt, static_cast<std::uint16_t>(b.Size() - sizeAt - 2));
    return b.Take();
}

}  // namespace

namespace {

// The fields of the version 4 and 5 RealAudio headers, up to the sub-packet size.
struct RaFields {
    std::uint16_t version;
    std::uint16_t flavor;
    std::uint32_t codedFrameSize;
    std::uint16_t height;  // interleave height
    std::uint16_t frameSize;
    std::uint16_t subPacketSize;
};

// Puts the fields both versions share; returns where the header size is to be patched in.
std::size_t PutRaFields(ByteBuffer& b, const RaFields& f, std::uint32_t bytesPerMinute,
                        std::uint32_t dataSize) {
    b.Text(".ra");
    b.U8(0xFD);
    b.U16(f.version);  // header version
    b.U16(0);
    b.Tag(f.version == 5 ? ".ra5" : ".ra4");
    b.U32(dataSize);
    b.U16(f.version);
    const std::size_t headerSizeAt = b.Size();
    b.U32(0);  // bytes from the version field on, patched once the header is whole
    b.U16(f.flavor);
    b.U32(f.codedFrameSize);
    b.U32(0);
    b.U32(bytesPerMinute);
    b.U32(bytesPerMinute);
    b.U16(f.height);
    b.U16(f.frameSize);
    b.U16(f.subPacketSize);
    b.U16(0);
    return headerSizeAt;
}

}  // namespace

std::vector<std::uint8_t> AudioTypeSpecific(const StreamDesc& desc, std::uint32_t bytesPerMinute,
                                            std::uint32_t dataSize) {
    if (desc.codec == Codec::RealAudio144)
        return Ra144TypeSpecific(bytesPerMinute, dataSize);
    const AudioFormat& a = desc.audio;
    ByteBuffer b;
    // Flavor: the AC-3 sample-rate family; an interleave height of 1 and no sub-packets: no interleaving.
    const std::size_t headerSizeAt = PutRaFields(
        b, {4, RateFamily(a.sampleRate), a.frameBytes, 1, static_cast<std::uint16_t>(a.frameBytes), 0},
        bytesPerMinute, dataSize);
    b.U16(static_cast<std::uint16_t>(a.sampleRate));
    b.U16(0);
    b.U16(a.bitsPerSample);
    b.U16(a.channels);
    b.Str8("Int0");  // interleaver: none
    b.Str8(FourCc(desc.codec));
    // Empty title, author and copyright, then the end of the header.
    b.U16(0);
    b.U16(0);
    b.U16(0);
    b.U8(0);
    b.PatchU32(headerSizeAt, static_cast<std::uint32_t>(b.Size() - 16));
    return b.Take();
}

// Cook goes in the version 5 header: VLC reads the interleaver's name "genr", without which it hands its
// decoder frames of the coded frame size, from it alone. FFmpeg, MPlayer and VLC take the frame size as
// the bytes of one packet and the sub-packet size as those of one codec frame; GStreamer takes the
// packet's bytes from the coded frame size, so that holds the packet size too.
std::vector<std::uint8_t> CookTypeSpecific(const StreamDesc& desc, const CookInterleave& interleave,
                                           std::uint32_t bytesPerMinute, std::uint32_t dataSize) {
    const AudioFormat& a = desc.audio;
    const auto packetBytes = static_cast<std::uint16_t>(interleave.framesPerPacket * a.frameBytes);
    ByteBuffer b;
    const std::size_t headerSizeAt = PutRaFields(
        b,
        {5, a.flavor, packetBytes, interleave.height, packetBytes, static_cast<std::uint16_t>(a.frameBytes)},
        bytesPerMinute, dataSize);
    b.U16(0);
    b.U16(static_cast<std::uint16_t>(a.sampleRate));
    b.U16(0);
    b.U16(static_cast<std::uint16_t>(a.sampleRate));
    b.U16(0);
    b.U16(a.bitsPerSample);
    b.U16(a.channels);
    b.Tag("genr");  // interleaver
    b.Tag(FourCc(desc.codec));
    b.U8(0);
    b.U16(0);
    b.U8(0);
    b.U32(static_cast<std::uint32_t>(desc.extradata.size()));
    b.Bytes(desc.extradata);
    b.PatchU32(headerSizeAt, static_cast<std::uint32_t>(b.Size() - 16));
    return b.Take();
}

std::vector<std::uint8_t> VideoTypeSpecific(const StreamDesc& desc) {
    const VideoFormat& v = desc.video;
    ByteBuffer b;
    b.U32(0);  // size, patched below
    b.Tag("VIDO");
    b.Tag(FourCc(desc.codec));
    b.U16(v.width);
    b.U16(v.height);
    b.U16(12);  // bits per pixel of the decoded YUV 4:2:0 picture
    b.U16(0);   // padding width
    b.U16(0);   // padding height
    const double fps = v.framesPerSecond > 0 ? v.framesPerSecond : 0;
    b.U32(static_cast<std::uint32_t>(std::lround(std::min(fps, 65535.0) * 65536.0)));  // 16.16 fixed point
    if (desc.extradata.size() >= 8) {
        b.Bytes(desc.extradata);
    } else if (desc.codec == Codec::RealVideo40) {
        // No codec flags, and the bitstream version readers know RealVideo 4 by.
        b.U32(0x00000000);
        b.U32(0x40000000);
    } else {
        // Codec flags and bitstream version of RealVideo 2.0 as libavcodec's encoder writes it.
        b.U32(0x00000008);
        b.U32(0x20103001);
    }
    b.PatchU32(0, static_cast<std::uint32_t>(b.Size()));
    return b.Take();
}

std::vector<std::uint8_t> LogicalStreamData(const std::vector<std::uint16_t>& physicalStreams,
                                            const std::vector<std::uint32_t>& dataOffsets,
                                            const std::vector<std::uint16_t>& ruleToStream,
                                            const std::vector<Property>& properties) {
    ByteBuffer b;
    b.U32(0);  // size, patched below
    b.U16(0);  // object version
    b.U16(static_cast<std::uint16_t>(physicalStreams.size()));
    for (std::uint16_t n : physicalStreams)
        b.U16(n);
    for (std::uint32_t offset : dataOffsets)
        b.U32(offset);
    b.U16(static_cast<std::uint16_t>(ruleToStream.size()));
    for (std::uint16_t n : ruleToStream)
        b.U16(n);
    b.U16(static_cast<std::uint16_t>(properties.size()));
    for (const Property& p : properties) {
        const std::size_t start = b.Size();
        b.U32(0);
        b.U16(0);
        b.Str8(platform::CutUtf8(p.name, 0xFF));
        if (p.isText) {
            // Strings carry their terminating zero, as C-based readers expect.
            const std::string value = platform::CutUtf8(p.text, 0xFFFE);
            b.U32(2);
            b.U16(static_cast<std::uint16_t>(value.size() + 1));
            b.Text(value);
            b.U8(0);
        } else {
            b.U32(0);
            b.U16(4);
            b.U32(p.number);
        }
        b.PatchU32(start, static_cast<std::uint32_t>(b.Size() - start));
    }
    b.PatchU32(0, static_cast<std::uint32_t>(b.Size()));
    return b.Take();
}

}  // namespace encoder::rm
