#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace encoder::rm {

// The RealMedia container writer. It knows nothing of codecs beyond how their frames are packed into
// RealMedia packets; the encoding pipeline hands it whole encoded frames.
//
// Usage: construct on an output path, AddStream for every stream, Begin, WriteFrame as frames come
// (any interleaving, timestamps rising per stream), Finish. Any failure (open, write, full disk) throws
// WriteError with a sentence fit for the user; the caller then deletes the file. Calls out of order
// throw std::logic_error. Packets are kept aside (memory, then an unnamed temporary file beside the
// output) and the whole file is written in Finish, so every header figure is the true one.
//
// Single-rate files have at most one audio and one video stream. When streams of one kind carry
// different `audienceBitRate`s the file is multi-rate (SureStream): the writer groups the streams of each
// kind into one logical stream (logical stream headers, written before the physical ones, with data
// offsets, rule map and an ASM rule book choosing by bandwidth) and numbers the physical streams top
// audience first. Every stream's packets share one data chunk, interleaved by time, after every physical
// stream's own index, so that FFmpeg, GStreamer, MPlayer and VLC each play one whole audience
// (docs/realmedia-layout.md says which, and why the layout is so).

class WriteError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

enum class StreamKind { Audio, Video };

// The codecs the writer knows how to pack: RealVideo 2.0 and 4, RealAudio 14.4, RealAudio's AC-3 and the
// cook music codec (RealAudio G2).
enum class Codec { RealVideo20, RealAudio144, RealAudioAc3, RealAudioCook, RealVideo40 };

struct VideoFormat {
    std::uint16_t width = 0;
    std::uint16_t height = 0;
    double framesPerSecond = 0;  // constant frame rate of the frames handed in
};

struct AudioFormat {
    std::uint32_t sampleRate = 0;  // of the encoded audio
    std::uint16_t channels = 0;
    std::uint16_t bitsPerSample = 16;
    std::uint32_t frameBytes = 0;       // bytes of one encoded codec frame (20 for 14.4; varies for AC-3)
    std::uint32_t samplesPerFrame = 0;  // per channel: 160 for 14.4, 1536 for AC-3, 256 to 1024 for cook
    std::uint16_t flavor = 0;           // cook: the number of its rate and layout among the codec's flavors
};

struct StreamDesc {
    StreamKind kind = StreamKind::Audio;
    Codec codec = Codec::RealAudio144;
    std::uint32_t avgBitRate = 0;  // bits per second; the true figures are patched in by Finish
    std::uint32_t maxBitRate = 0;
    VideoFormat video;                    // for video streams
    AudioFormat audio;                    // for audio streams
    std::vector<std::uint8_t> extradata;  // codec private data, when the codec gave any (cook needs it)
    // Cook: a frame that plays silence, which fills up the stream's last interleave block.
    std::vector<std::uint8_t> silentFrame;
    // Total budget of the target audience this stream was made for (bits per second); tells streams of
    // one kind in a multi-rate file apart. 0 for single-rate files.
    std::uint32_t audienceBitRate = 0;
    // Largest packet payload in bytes for video; a larger picture is cut into several packets.
    // 0 lets the writer choose (whole pictures up to the packet limit of about 64 KB).
    std::uint32_t maxPacketBytes = 0;
};

struct ClipInfo {
    std::string title;      // CONT
    std::string author;     // CONT
    std::string copyright;  // CONT
    std::string comment;    // CONT (the description)
    // String properties of the logical-fileinfo header, in order (Description, Keywords, ...).
    std::vector<std::pair<std::string, std::string>> fileInfo;
};

class Writer {
  public:
    explicit Writer(const std::string& path);
    ~Writer();
    Writer(const Writer&) = delete;
    Writer& operator=(const Writer&) = delete;

    // Returns the stream's index, used by WriteFrame.
    int AddStream(const StreamDesc& desc);
    void Begin(const ClipInfo& info);
    // One whole encoded frame (a video picture, or one audio codec frame); timestamps in milliseconds.
    // Cook frames are interleaved in blocks; Finish fills the last one up with the stream's silent frame,
    // which its length does not count.
    void WriteFrame(int stream, std::int64_t timestampMs, bool keyFrame, std::span<const std::uint8_t> frame);
    // A video stream's frame rate once its encoder has chosen a lower one than it was added with, before
    // its first frame: the header tells the rate the stream holds.
    void SetFramesPerSecond(int stream, double framesPerSecond);
    // Writes what is still buffered, the index, and the final header figures; closes the file.
    void Finish();
    // Finish throws WriteStopped, within one buffer's write, once `stop` is raised.
    void StopWhen(const std::atomic<bool>& stop);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace encoder::rm
