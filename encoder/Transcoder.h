#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "encoder/EncodeSettings.h"
#include "encoder/rm/RmWriter.h"

namespace encoder {

struct TranscodeProgress {
    std::int32_t durationMs = 0;      // the source's length, 0 when unknown
    std::int32_t timestampMs = 0;     // how far the encode has come in the source
    std::int32_t percentDone = 0;     // 0 to 100
    std::int32_t audioPeakLevel = 0;  // loudest sample since the last report, percent of full scale
};

struct TranscodeJob {
    std::string source;  // path of the source file
    std::string output;  // path the RealMedia file is written to
    EncodeChoice choice;
    rm::ClipInfo clip;  // the clip texts; the audiences and formats are added to its file information
};

// Decodes the source once and encodes it for every planned audience: libav decoders, libswscale to
// yuv420p at each plan's size, constant frame rate by repeating or dropping pictures, libswresample to
// each audio codec's format, RealVideo 2.0 and 14.4/AC-3 encoders, and the project's RealMedia writer.
class Transcoder {
  public:
    using ProgressFn = std::function<void(const TranscodeProgress&)>;

    // `stop` is polled between packets and during reads; progress reports come at least every percent
    // or every 200 ms, on the calling thread.
    Transcoder(TranscodeJob job, const std::atomic<bool>& stop, ProgressFn progress);
    ~Transcoder();
    Transcoder(const Transcoder&) = delete;
    Transcoder& operator=(const Transcoder&) = delete;

    // Returns true when the file was written completely, false when stopped (the output is then
    // incomplete). Throws EncodeError with a sentence for the user.
    bool Run();

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace encoder
