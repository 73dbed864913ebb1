#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <QTemporaryDir>

namespace testsupport {

// A scratch folder for one test, removed afterwards; open to every user so that work run under another
// user id (see RunUnprivileged) can reach it.
class ScratchDir {
  public:
    ScratchDir();
    ~ScratchDir();
    // The folder with a trailing "/".
    std::string Path() const;
    std::string File(const std::string& name) const { return Path() + name; }

  private:
    QTemporaryDir dir_;
};

// Sets an environment variable (unsets it for nullptr) for its lifetime, then puts back what was there.
class ScopedEnv {
  public:
    ScopedEnv(const char* name, const char* value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

  private:
    std::string name_;
    std::optional<std::string> old_;
};

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
// Names in the folder, "." and ".." left out, sorted.
std::vector<std::string> FolderEntries(const std::string& folder);

// Runs `work` without the right to bypass file permissions: under the root user it runs in a child
// process with an unprivileged user id, so that permission failures happen as they would for a user.
// Returns what `work` returned, or "exception: <text>" when it threw.
std::string RunUnprivileged(const std::function<std::string()>& work);

}  // namespace testsupport
