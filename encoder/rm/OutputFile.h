#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/core/UniqueFd.h"

namespace encoder::rm {

// Why a file operation failed, in words for the user ("the disk is full"), from the error number.
std::string FileErrorReason(int err);
// A sentence for the user describing a failed file operation on `path` with error number `err`.
std::string DescribeFileError(const std::string& action, const std::string& path, int err);

// Thrown by a write that found the encode's stop flag raised: the file is incomplete, and the caller
// removes it without a message.
class WriteStopped : public std::exception {
  public:
    const char* what() const noexcept override { return "The file was stopped while being written."; }
};

// The output file, written strictly front to back through a buffer. Every failure throws WriteError.
class OutputFile {
  public:
    explicit OutputFile(const std::string& path);
    // From now on every write, and the closing sync, first looks at `stop` and throws WriteStopped when
    // it is raised, so that Stop is heard while a large file is written out.
    void StopWhen(const std::atomic<bool>* stop) { stop_ = stop; }
    void Write(std::span<const std::uint8_t> data);
    // Flushes, syncs and closes; a full disk that the kernel reports only now still ends in WriteError.
    void Close();
    const std::string& Path() const { return path_; }

  private:
    void Flush();
    void CheckStop() const;

    const std::atomic<bool>* stop_ = nullptr;
    std::string path_;
    platform::UniqueFd fd_;
    std::vector<std::uint8_t> buffer_;
};

// Holds one stream's packets until the file is laid out: in memory while small, then in an unnamed
// temporary file beside the output (same disk, gone by itself however the program ends).
class Spool {
  public:
    // `memoryLimit`: bytes kept in memory before they move to the temporary file.
    Spool(std::string directory, std::string outputPath, std::size_t memoryLimit = kMemoryLimit);
    void Append(std::span<const std::uint8_t> data);
    void SetMemoryLimit(std::size_t bytes) { memoryLimit_ = bytes; }
    std::uint64_t Size() const { return fileBytes_ + memory_.size(); }

    // Reads the spooled bytes back in order.
    class Reader {
      public:
        explicit Reader(const Spool& spool) : spool_(spool) {}
        // The next `count` bytes; valid until the next call.
        std::span<const std::uint8_t> Next(std::size_t count);

      private:
        const Spool& spool_;
        std::uint64_t position_ = 0;
        std::vector<std::uint8_t> scratch_;
    };

    static constexpr std::size_t kMemoryLimit = 8u << 20;

  private:
    void SpillToFile();

    std::string directory_;
    std::string outputPath_;
    std::size_t memoryLimit_;
    std::vector<std::uint8_t> memory_;
    platform::UniqueFd file_;
    std::uint64_t fileBytes_ = 0;
};

}  // namespace encoder::rm
