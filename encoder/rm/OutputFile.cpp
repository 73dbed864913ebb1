#include "encoder/rm/OutputFile.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>

#include "encoder/rm/RmWriter.h"
#include "platform/core/TempFiles.h"

namespace encoder::rm {

namespace {

constexpr std::size_t kOutputBuffer = 256u << 10;

}  // namespace

std::string FileErrorReason(int err) {
    std::string reason;
    switch (err) {
        case ENOSPC:
        case EDQUOT:
            reason = "the disk is full";
            break;
        case EFBIG:
            reason = "the file has grown larger than the system allows";
            break;
        case EACCES:
        case EPERM:
            reason = "access is denied";
            break;
        case ENOENT:
            reason = "the folder does not exist";
            break;
        case EISDIR:
            reason = "a folder of that name is in the way";
            break;
        case EROFS:
            reason = "the disk is read-only";
            break;
        default:
            reason = std::strerror(err);
            if (!reason.empty())
                reason[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(reason[0])));
            break;
    }
    return reason;
}

std::string DescribeFileError(const std::string& action, const std::string& path, int err) {
    return "Cannot " + action + " \"" + path + "\": " + FileErrorReason(err) + ".";
}

OutputFile::OutputFile(const std::string& path) : path_(path) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        throw WriteError(DescribeFileError("create the file", path, errno));
    fd_ = platform::UniqueFd(fd);
    buffer_.reserve(kOutputBuffer);
}

void OutputFile::CheckStop() const {
    if (stop_ && stop_->load(std::memory_order_relaxed))
        throw WriteStopped();
}

void OutputFile::Write(std::span<const std::uint8_t> data) {
    if (!fd_.Valid())
        throw WriteError(DescribeFileError("write the file", path_, EBADF));
    CheckStop();
    if (buffer_.size() + data.size() > kOutputBuffer)
        Flush();
    if (data.size() >= kOutputBuffer) {
        if (!platform::WriteAll(fd_.Get(), data.data(), data.size())) {
            const int err = errno;
            fd_.Reset();
            throw WriteError(DescribeFileError("write the file", path_, err));
        }
        return;
    }
    buffer_.insert(buffer_.end(), data.begin(), data.end());
}

void OutputFile::Flush() {
    if (buffer_.empty())
        return;
    if (!platform::WriteAll(fd_.Get(), buffer_.data(), buffer_.size())) {
        const int err = errno;
        fd_.Reset();
        buffer_.clear();
        throw WriteError(DescribeFileError("write the file", path_, err));
    }
    buffer_.clear();
}

void OutputFile::Close() {
    if (!fd_.Valid())
        return;
    Flush();
    // Syncing a large file can take seconds on a slow disk; a stopped file is not worth it.
    CheckStop();
    if (::fsync(fd_.Get()) != 0 && errno != EINVAL && errno != EROFS) {
        const int err = errno;
        fd_.Reset();
        throw WriteError(DescribeFileError("write the file", path_, err));
    }
    const int fd = fd_.Release();
    if (::close(fd) != 0 && errno != EINTR)
        throw WriteError(DescribeFileError("write the file", path_, errno));
}

Spool::Spool(std::string directory, std::string outputPath, std::size_t memoryLimit)
    : directory_(std::move(directory)), outputPath_(std::move(outputPath)), memoryLimit_(memoryLimit) {}

void Spool::Append(std::span<const std::uint8_t> data) {
    memory_.insert(memory_.end(), data.begin(), data.end());
    if (memory_.size() >= memoryLimit_)
        SpillToFile();
}

void Spool::SpillToFile() {
    if (!file_.Valid()) {
        file_ = platform::UniqueFd(::open(directory_.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600));
        if (!file_.Valid()) {
            // Not every file system has unnamed files: fall back to a named one, unlinked at once.
            platform::UniqueFile named = platform::CreateUniqueFile(directory_ + "/.rmspool-", "");
            if (named.fd.Valid())
                ::unlink(named.path.c_str());
            file_ = std::move(named.fd);
        }
        if (!file_.Valid())
            throw WriteError(DescribeFileError("write the file", outputPath_, errno));
    }
    if (!platform::WriteAll(file_.Get(), memory_.data(), memory_.size()))
        throw WriteError(DescribeFileError("write the file", outputPath_, errno));
    fileBytes_ += memory_.size();
    memory_.clear();
}

std::span<const std::uint8_t> Spool::Reader::Next(std::size_t count) {
    const std::uint64_t start = position_;
    position_ += count;
    if (start >= spool_.fileBytes_) {
        const std::size_t offset = static_cast<std::size_t>(start - spool_.fileBytes_);
        return {spool_.memory_.data() + offset, count};
    }
    // Part or all of it lies in the temporary file.
    scratch_.resize(count);
    std::size_t done = 0;
    while (done < count && start + done < spool_.fileBytes_) {
        const std::size_t want =
            static_cast<std::size_t>(std::min<std::uint64_t>(count - done, spool_.fileBytes_ - start - done));
        const ssize_t n =
            ::pread(spool_.file_.Get(), scratch_.data() + done, want, static_cast<off_t>(start + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            throw WriteError(DescribeFileError("write the file", spool_.outputPath_, n < 0 ? errno : EIO));
        done += static_cast<std::size_t>(n);
    }
    if (done < count)
        std::memcpy(scratch_.data() + done, spool_.memory_.data(), count - done);
    return scratch_;
}

}  // namespace encoder::rm
