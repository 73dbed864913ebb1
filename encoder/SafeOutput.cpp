#include "encoder/SafeOutput.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "encoder/EncodeError.h"
#include "platform/core/UniqueFd.h"

namespace encoder {
namespace fs = std::filesystem;
namespace {

EncodeError DestinationError(const std::string& destination, const std::string& reason) {
    return EncodeError("Cannot write the destination file " + destination + ": " + reason + ".");
}

bool WritableFolder(const fs::path& folder) {
    std::error_code ec;
    return !folder.empty() && fs::is_directory(folder, ec) && access(folder.c_str(), W_OK | X_OK) == 0;
}

// Creates an empty file of a fresh name in `folder`; returns its path, or "" with errno set.
std::string CreateUnique(const fs::path& folder, const std::string& stem) {
    platform::UniqueFile file = platform::CreateUniqueFile((folder / (stem + "-")).string(), ".tmp");
    // The finished file becomes the destination: readable by others like any file the user makes.
    if (file.fd.Valid())
        fchmod(file.fd.Get(), 0644);
    return file.path;
}

}  // namespace

TempOutput::TempOutput(const std::string& destination, const std::string& tempDirectory)
    : destination_(destination) {
    std::error_code ec;
    const fs::path dest(destination);
    if (fs::is_directory(dest, ec))
        throw DestinationError(destination, "it is a folder");
    fs::path folder = dest.parent_path();
    if (folder.empty())
        folder = ".";
    if (!fs::is_directory(folder, ec))
        throw DestinationError(destination, "the folder " + folder.string() + " does not exist");
    if (access(folder.c_str(), W_OK | X_OK) != 0)
        throw DestinationError(destination, "the folder " + folder.string() + " cannot be written to (" +
                                                std::strerror(errno) + ")");
    const std::string stem = "." + dest.filename().string();
    if (WritableFolder(fs::path(tempDirectory))) {
        path_ = CreateUnique(tempDirectory, stem);
        inTemporaryDirectory_ = !path_.empty();
    }
    if (path_.empty())
        path_ = CreateUnique(folder, stem);
    if (path_.empty())
        throw DestinationError(destination, std::strerror(errno));
}

TempOutput::~TempOutput() {
    if (!committed_)
        std::remove(path_.c_str());
}

void TempOutput::Commit() {
    std::error_code ec;
    fs::rename(path_, destination_, ec);
    if (!ec) {
        committed_ = true;
        return;
    }
    if (ec != std::errc::cross_device_link)
        throw DestinationError(destination_, ec.message());
    // The temporary folder is on another file system: copy beside the destination first, so the
    // destination itself still changes in one step.
    const fs::path dest(destination_);
    const fs::path folder = dest.parent_path().empty() ? fs::path(".") : dest.parent_path();
    const std::string nearby = CreateUnique(folder, "." + dest.filename().string());
    if (nearby.empty())
        throw DestinationError(destination_, std::strerror(errno));
    fs::copy_file(path_, nearby, fs::copy_options::overwrite_existing, ec);
    if (!ec)
        fs::rename(nearby, destination_, ec);
    if (ec) {
        std::remove(nearby.c_str());
        throw DestinationError(destination_, ec.message());
    }
}

}  // namespace encoder
