#pragma once
#include <atomic>
#include <string>

namespace encoder {

// The file an encode writes until it has succeeded. It lies in the temporary directory when that names
// a writable folder, else beside the destination; Commit moves it over the destination, and unless
// committed it is removed when this object goes. An existing destination is therefore replaced whole
// or not touched at all.
class TempOutput {
  public:
    // Checks that the destination can be written and creates the temporary file; throws EncodeError.
    TempOutput(const std::string& destination, const std::string& tempDirectory);
    ~TempOutput();
    TempOutput(const TempOutput&) = delete;
    TempOutput& operator=(const TempOutput&) = delete;

    const std::string& Path() const { return path_; }
    // The file lies in the temporary directory, not beside the destination.
    bool InTemporaryDirectory() const { return inTemporaryDirectory_; }
    // Moves the finished file over the destination; throws EncodeError. A copy to another disk looks
    // at `stop` between blocks: stopped, it returns false, the destination untouched and the copy gone.
    bool Commit(const std::atomic<bool>& stop);

  private:
    bool CopyAcross(const std::atomic<bool>& stop);

    std::string destination_;
    std::string path_;
    int slot_ = -1;  // in the list of files a signal removes
    bool inTemporaryDirectory_ = false;
    bool committed_ = false;
};

// From now on SIGTERM, SIGINT and SIGHUP remove the temporary files of the encodes under way before the
// program ends as the signal says (signals already ignored stay ignored). Called once at program start.
void RemoveTemporaryFilesOnSignals();

// Removes the temporary files that encodes of processes no longer running left in `folder` (a process
// killed outright cannot clean up). Files of running processes are left alone.
void RemoveStaleTemporaryFiles(const std::string& folder);

}  // namespace encoder
