#pragma once
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
    // Moves the finished file over the destination; throws EncodeError.
    void Commit();

  private:
    std::string destination_;
    std::string path_;
    bool inTemporaryDirectory_ = false;
    bool committed_ = false;
};

}  // namespace encoder
