#pragma once
#include <atomic>
#include <string>

#include "platform/core/Paths.h"
#include "platform/core/UniqueFd.h"

namespace encoder {

// The file an encode writes until it has succeeded. It lies in the temporary directory when that names
// a writable folder, else beside the destination, and stays locked while this object holds it (see
// platform::CreateUniqueFile). Commit moves it over the destination, and unless committed it is removed
// when this object goes. An existing destination is therefore replaced whole or not touched at all, and
// only the file that was there when the encode began is replaced: one that appears meanwhile is kept.
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
    // Moves the finished file over the destination; throws EncodeError (DestinationAppearedError when
    // another program wrote the destination meanwhile). A copy to another disk looks at `stop` between
    // blocks: stopped, it returns false, the destination untouched and the copy gone.
    bool Commit(const std::atomic<bool>& stop);

  private:
    bool CopyAcross(const std::atomic<bool>& stop);
    int PutInPlace(const std::string& from);

    std::string destination_;
    std::string path_;
    platform::UniqueFd lock_;       // the temporary file, locked while it is written
    platform::FileIdentity found_;  // the destination when the encode began: the only file it may replace
    int slot_ = -1;                 // in the list of files a signal removes
    bool inTemporaryDirectory_ = false;
    bool committed_ = false;
};

// From now on SIGTERM, SIGINT and SIGHUP remove the temporary files of the encodes under way before the
// program ends as the signal says (signals already ignored stay ignored). Called once at program start.
void RemoveTemporaryFilesOnSignals();

// The error of an encode whose destination another program wrote while it ran: it is kept, not replaced.
std::string DestinationAppearedError(const std::string& destination);

}  // namespace encoder
