#include "platform/ProgramDir.h"

#include <QCoreApplication>

#include "platform/core/Paths.h"

namespace platform {
namespace {
std::string& Storage() {
    static std::string directory;
    return directory;
}
}  // namespace

const std::string& ProgramDirectory() {
    if (Storage().empty()) {
        Storage() = ExecutableDirectory();
    }
    return Storage();
}

void SetProgramDirectory(std::string directory) {
    if (!directory.empty() && !IsPathDelimiter(directory.back())) {
        directory += PathDelimiter;
    }
    Storage() = std::move(directory);
}

std::string ExecutableDirectory() {
    std::string path = QCoreApplication::applicationFilePath().toStdString();
    return ExtractFilePath(path);
}

}  // namespace platform
