// The RealMedia writer's calls and its packet intake: pictures cut, sound grouped, packets kept aside.
#include "encoder/rm/RmWriter.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <functional>
#include <stdexcept>

#include "encoder/rm/Packetizer.h"
#include "encoder/rm/RmWriterImpl.h"

namespace encoder::rm {

namespace {

std::string DirectoryOf(const std::string& path) {
    const std::filesystem::path parent = std::filesystem::path(path).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

}  // namespace

void Writer::Impl::AppendPacket(StreamState& s, std::int64_t timestamp, bool key, bool startsFrame,
                                std::span<const std::uint8_t> payload) {
    ByteBuffer header;
    header.U16(0);
    header.U16(static_cast<std::uint16_t>(payload.size() + kPacketHeaderSize));
    header.U16(s.number);
    header.U32(static_cast<std::uint32_t>(timestamp));
    header.U8(0);
    header.U8(key ? kKeyFrameFlag : 0);
    s.spool->Append(header.Data());
    s.spool->Append(payload);
    s.packets.push_back({static_cast<std::uint32_t>(timestamp),
                         static_cast<std::uint32_t>(payload.size() + kPacketHeaderSize), key, startsFrame});
}

void Writer::Impl::FlushAudio(StreamState& s) {
    if (s.pending.empty())
        return;
    if (s.desc.codec == Codec::RealAudioCook) {
        // Readers drop a block they cannot complete.
        const double frameMs = s.FrameDurationMs();
        while (!s.blockTimes.empty())
            WriteCook(s, static_cast<std::int64_t>(std::llround(s.blockTimes.back() + frameMs)),
                      s.desc.silentFrame);
        return;
    }
    // 14.4 and AC-3 packets are all marked as keyframes: both codecs can start decoding at any of them.
    AppendPacket(s, s.pendingTimestamp, true, true, s.pending);
    s.pending.clear();
}

void Writer::Impl::WriteAudio(StreamState& s, std::int64_t timestamp, std::span<const std::uint8_t> frame) {
    const double duration = s.FrameDurationMs();
    // A gap or overlap in the timestamps starts a new packet so every packet's time stays exact;
    // a millisecond or two is only the rounding of the caller's times.
    const bool continuous = std::fabs(static_cast<double>(timestamp) - s.pendingEnd) <= 2.0;
    if (frame.size() > kMaxPacketPayload)
        throw WriteError("An audio frame of " + std::to_string(frame.size()) +
                         " bytes is too large for a RealMedia file.");
    if (!s.pending.empty() && (!continuous || s.pending.size() + frame.size() > s.audioPacketTarget))
        FlushAudio(s);
    if (s.pending.empty()) {
        s.pendingTimestamp = timestamp;
        s.pendingEnd = static_cast<double>(timestamp);
    }
    if (s.desc.codec == Codec::RealAudioAc3)
        AppendSwappedWords(s.pending, frame);
    else
        s.pending.insert(s.pending.end(), frame.begin(), frame.end());
    s.pendingEnd += duration;
    if (s.pending.size() >= s.audioPacketTarget ||
        s.pendingEnd - s.pendingTimestamp >= kAudioPacketMaxMs - 0.5)
        FlushAudio(s);
}

void Writer::Impl::WriteCook(StreamState& s, std::int64_t timestamp, std::span<const std::uint8_t> frame) {
    if (frame.size() != s.desc.audio.frameBytes)
        throw std::invalid_argument("RealMedia writer: a cook frame of another size than the stream's");
    s.pending.insert(s.pending.end(), frame.begin(), frame.end());
    s.blockTimes.push_back(timestamp);
    if (s.blockTimes.size() < s.cook.FramesPerBlock())
        return;
    const std::vector<std::vector<std::uint8_t>> packets =
        InterleaveCookBlock(s.pending, s.desc.audio.frameBytes, s.cook);
    // Each packet takes the time of the frame its place in the block starts with (MPlayer stamps that
    // frame with it; the others read the first packet's time only). Only the first starts a block.
    for (std::size_t y = 0; y < packets.size(); ++y)
        AppendPacket(s, s.blockTimes[y * s.cook.framesPerPacket], y == 0, true, packets[y]);
    s.pending.clear();
    s.blockTimes.clear();
}

void Writer::Impl::WriteVideo(StreamState& s, std::int64_t timestamp, bool key,
                              std::span<const std::uint8_t> frame) {
    std::vector<std::vector<std::uint8_t>> packets;
    try {
        const std::size_t limit = s.desc.maxPacketBytes ? s.desc.maxPacketBytes : kMaxPacketPayload;
        packets = PacketizeVideoFrame(frame, static_cast<std::uint8_t>(s.pictureNumber), limit);
    } catch (const std::length_error&) {
        throw WriteError("A video frame of " + std::to_string(frame.size()) +
                         " bytes is too large for a RealMedia file.");
    }
    ++s.pictureNumber;
    for (std::size_t i = 0; i < packets.size(); ++i)
        AppendPacket(s, timestamp, key, i == 0, packets[i]);
}

bool Writer::Impl::MultiRate() const {
    for (const StreamKind kind : {StreamKind::Audio, StreamKind::Video}) {
        std::vector<std::uint32_t> audiences;
        for (const StreamState& s : streams)
            if (s.desc.kind == kind)
                audiences.push_back(s.desc.audienceBitRate);
        std::sort(audiences.begin(), audiences.end());
        if (std::adjacent_find(audiences.begin(), audiences.end(), std::not_equal_to<>()) != audiences.end())
            return true;
    }
    return false;
}

void Writer::Impl::PrepareStreams() {
    // All streams together keep a bounded amount in memory, however many audiences there are.
    const std::size_t share = std::max<std::size_t>(1u << 20, (32u << 20) / streams.size());
    for (StreamState& s : streams)
        s.spool->SetMemoryLimit(share);
    multiRate = MultiRate();
    if (!multiRate)
        return;
    // Top audience first, audio before video: VLC and GStreamer's players play the first stream of
    // each kind, so a local viewer sees the best the file holds.
    std::vector<std::size_t> order(streams.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const StreamState& x = streams[a];
        const StreamState& y = streams[b];
        if (x.desc.audienceBitRate != y.desc.audienceBitRate)
            return x.desc.audienceBitRate > y.desc.audienceBitRate;
        return x.desc.kind == StreamKind::Audio && y.desc.kind == StreamKind::Video;
    });
    for (std::size_t n = 0; n < order.size(); ++n)
        streams[order[n]].number = static_cast<std::uint16_t>(kFirstStreamNumber + n);
    // GStreamer hands a whole 14.4 packet (of cook, a whole packet's share of a block) to the decoder of
    // a stream it does not play; that decoder takes the first frame and reports the rest as an error, and
    // a few such errors end playback. A 14.4 or cook stream after the first audio stream therefore carries
    // one frame per packet (for cook a block of two frames, which divides the encoder's longer blocks).
    bool firstAudio = true;
    for (const std::size_t i : order) {
        StreamState& s = streams[i];
        if (s.desc.kind != StreamKind::Audio)
            continue;
        if (!firstAudio && s.desc.codec == Codec::RealAudio144 && s.desc.audio.frameBytes > 0)
            s.audioPacketTarget = s.desc.audio.frameBytes;
        if (!firstAudio && s.desc.codec == Codec::RealAudioCook)
            s.cook.framesPerPacket = 1;
        firstAudio = false;
    }
}

void Writer::Impl::Finish() {
    // Whatever happens, no file stays open once Finish has returned or thrown.
    struct Release {
        Impl& impl;
        ~Release() {
            impl.finished = true;
            impl.file.reset();
            for (StreamState& s : impl.streams)
                s.spool.reset();
        }
    } release{*this};
    for (StreamState& s : streams)
        FlushAudio(s);
    LayOut();
    file->Close();
}

Writer::Writer(const std::string& path) : impl_(std::make_unique<Impl>()) {
    impl_->path = path;
    impl_->directory = DirectoryOf(path);
    impl_->file = std::make_unique<OutputFile>(path);
}

Writer::~Writer() = default;

int Writer::AddStream(const StreamDesc& desc) {
    impl_->CheckOpen("AddStream");
    if (impl_->begun)
        throw std::logic_error("RealMedia writer: AddStream after Begin");
    const bool videoCodec = desc.codec == Codec::RealVideo20 || desc.codec == Codec::RealVideo40;
    const bool audioCodec = desc.codec == Codec::RealAudio144 || desc.codec == Codec::RealAudioAc3 ||
                            desc.codec == Codec::RealAudioCook;
    if (desc.kind == StreamKind::Video ? !videoCodec : !audioCodec)
        throw std::invalid_argument("RealMedia writer: the codec does not fit the stream's kind");
    if (desc.kind == StreamKind::Audio && (desc.audio.sampleRate == 0 || desc.audio.channels == 0))
        throw std::invalid_argument("RealMedia writer: audio stream without sample rate or channels");
    // The sound's header holds its sample rate and frame size in 16 bits (readers take a larger coded
    // frame size for a negative one and refuse the file).
    if (desc.kind == StreamKind::Audio && (desc.audio.sampleRate > 0xFFFF || desc.audio.frameBytes > 0xFFFF))
        throw std::invalid_argument(
            "RealMedia writer: audio sample rate or frame size too large for its header");
    // Readers rebuild cook's interleave blocks from these figures and set up its decoder from the codec data;
    // the silent frame completes the last block.
    if (desc.codec == Codec::RealAudioCook &&
        (desc.audio.frameBytes == 0 || desc.audio.samplesPerFrame == 0 || desc.extradata.empty() ||
         desc.silentFrame.size() != desc.audio.frameBytes))
        throw std::invalid_argument(
            "RealMedia writer: cook stream without frame size, codec data or silent frame");
    if (desc.kind == StreamKind::Video && (desc.video.width == 0 || desc.video.height == 0))
        throw std::invalid_argument("RealMedia writer: video stream without a picture size");
    if (impl_->streams.size() >= 0xFFF0)
        throw std::invalid_argument("RealMedia writer: too many streams");
    StreamState s;
    s.desc = desc;
    s.number = static_cast<std::uint16_t>(kFirstStreamNumber + impl_->streams.size());
    s.spool = std::make_unique<Spool>(impl_->directory, impl_->path);
    if (desc.codec == Codec::RealAudioCook)
        s.cook = CookInterleaveFor(desc.audio.samplesPerFrame, desc.audio.sampleRate, desc.audio.frameBytes);
    impl_->streams.push_back(std::move(s));
    return static_cast<int>(impl_->streams.size() - 1);
}

void Writer::Begin(const ClipInfo& info) {
    impl_->CheckOpen("Begin");
    if (impl_->begun)
        throw std::logic_error("RealMedia writer: Begin called twice");
    if (impl_->streams.empty())
        throw std::logic_error("RealMedia writer: Begin without streams");
    impl_->clip = info;
    impl_->PrepareStreams();
    impl_->begun = true;
}

void Writer::WriteFrame(int stream, std::int64_t timestampMs, bool keyFrame,
                        std::span<const std::uint8_t> frame) {
    impl_->CheckOpen("WriteFrame");
    if (!impl_->begun)
        throw std::logic_error("RealMedia writer: WriteFrame before Begin");
    if (stream < 0 || static_cast<std::size_t>(stream) >= impl_->streams.size())
        throw std::out_of_range("RealMedia writer: no such stream");
    StreamState& s = impl_->streams[static_cast<std::size_t>(stream)];
    if (timestampMs < 0 || timestampMs > 0xFFFFFFFFll)
        throw std::out_of_range("RealMedia writer: timestamp out of range");
    if (frame.empty())
        return;
    // A frame stamped earlier than its predecessor (rounding in the source's times) takes the
    // predecessor's time: packet times within a stream must never go back.
    timestampMs = std::max(timestampMs, s.lastTimestamp);
    s.lastTimestamp = timestampMs;
    s.codecBytes += frame.size();
    if (s.desc.codec == Codec::RealAudioCook)
        impl_->WriteCook(s, timestampMs, frame);
    else if (s.desc.kind == StreamKind::Audio)
        impl_->WriteAudio(s, timestampMs, frame);
    else
        impl_->WriteVideo(s, timestampMs, keyFrame, frame);
    s.endTime = std::max(s.endTime, static_cast<double>(timestampMs) + s.FrameDurationMs());
}

void Writer::SetFramesPerSecond(int stream, double framesPerSecond) {
    impl_->CheckOpen("SetFramesPerSecond");
    if (stream < 0 || static_cast<std::size_t>(stream) >= impl_->streams.size())
        throw std::out_of_range("RealMedia writer: no such stream");
    StreamState& s = impl_->streams[static_cast<std::size_t>(stream)];
    if (s.desc.kind != StreamKind::Video || s.lastTimestamp >= 0)
        throw std::logic_error("RealMedia writer: frame rate changed after the stream's first frame");
    s.desc.video.framesPerSecond = framesPerSecond;
}

void Writer::StopWhen(const std::atomic<bool>& stop) {
    impl_->CheckOpen("StopWhen");
    impl_->file->StopWhen(&stop);
}

void Writer::Finish() {
    impl_->CheckOpen("Finish");
    if (!impl_->begun)
        throw std::logic_error("RealMedia writer: Finish before Begin");
    impl_->Finish();
}

}  // namespace encoder::rm
