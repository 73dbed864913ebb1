// The encoder's input path: whatever bytes a source file holds, an encode ends in a RealMedia file or in
// an error sentence for the user, within its time, and never crashes or hangs.
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

#include "FuzzCheck.h"
#include "encoder/EncodeError.h"
#include "encoder/Transcoder.h"

extern "C" {
#include <libavutil/log.h>
}

namespace {

// An encode of a damaged source may take long (it is stopped then); a hang is one that does not stop.
constexpr auto kEncodeTime = std::chrono::seconds(4);
constexpr auto kStopTime = std::chrono::seconds(4);

std::string ScratchFolder() {
    static const std::string folder = [] {
        // Damaged inputs make the decoders chatter; the program quiets them too.
        av_log_set_level(AV_LOG_QUIET);
        const std::filesystem::path path =
            std::filesystem::temp_directory_path() / ("quenzor-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
        return path.string();
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string source = ScratchFolder() + "/source";
    const std::string output = ScratchFolder() + "/out.rm";
    {
        std::ofstream out(source, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    std::filesystem::remove(output);

    encoder::TranscodeJob job;
    job.source = source;
    job.output = output;
    // The last byte picks the settings (a format's signature sits at the start), so the same inputs
    // reach single-rate and SureStream layouts.
    const unsigned pick = size > 0 ? data[size - 1] : 0;
    job.choice.targets[pick % 8] = true;
    job.choice.targets[(pick / 8) % 8] = true;
    job.choice.sureStream = (pick & 0x40) != 0;
    job.choice.audioContent = static_cast<int>(pick % 4);
    job.choice.videoQuality = static_cast<int>((pick / 4) % 4);

    std::atomic<bool> stop{false};
    std::atomic<bool> done{false};
    std::thread watchdog([&] {
        const auto start = std::chrono::steady_clock::now();
        while (!done && std::chrono::steady_clock::now() - start < kEncodeTime)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        stop = true;
        while (!done) {
            FuzzCheck(std::chrono::steady_clock::now() - start < kEncodeTime + kStopTime,
                      "a stopped encode ends soon");
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });
    try {
        encoder::Transcoder transcoder(job, stop, [](const encoder::TranscodeProgress& p) {
            FuzzCheck(p.percentDone >= 0 && p.percentDone <= 100, "progress is a percentage");
        });
        if (transcoder.Run()) {
            std::ifstream in(output, std::ios::binary);
            char magic[4] = {};
            in.read(magic, 4);
            FuzzCheck(std::string(magic, 4) == ".RMF", "a finished encode is a RealMedia file");
        }
    } catch (const encoder::EncodeError& e) {
        const std::string text = e.what();
        FuzzCheck(!text.empty() && text.back() == '.', "an error is a sentence");
    }
    done = true;
    watchdog.join();
    return 0;
}
