#include "platform/DesktopApps.h"

#include <QDir>
#include <QMimeDatabase>
#include <QStringList>
#include <cstdlib>
#include <set>
#include <string_view>

#include "platform/core/Files.h"
#include "platform/core/TextLines.h"

namespace platform {
namespace {
// One base directory variable of the XDG base directories: its value's absolute entries, or the default.
QStringList BaseDirectories(const char* variable, const QString& fallback) {
    QStringList directories;
    const QString value = qEnvironmentVariable(variable);
    for (const QString& entry : value.split(':', Qt::SkipEmptyParts)) {
        if (QDir::isAbsolutePath(entry))
            directories << entry;
    }
    return directories.isEmpty() ? fallback.split(':') : directories;
}

// Whether a key file's `sections` name an application for one of `types`.
bool NamesAnApplication(const std::string& path, const std::set<std::string>& sections,
                        const std::set<std::string>& types) {
    std::string text;
    try {
        text = ReadFileBytes(path);
    } catch (const EFileError&) {
        return false;  // a missing list names nothing
    }
    bool inSection = false;
    for (const std::string& raw : SplitTextLines(text)) {
        const std::string_view line = TrimControls(raw);
        if (!line.empty() && line.front() == '[') {
            inSection = sections.count(std::string(line)) != 0;
            continue;
        }
        const auto equals = line.find('=');
        if (!inSection || equals == std::string_view::npos)
            continue;
        const std::string_view applications = line.substr(equals + 1);
        if (types.count(std::string(line.substr(0, equals))) != 0 &&
            applications.find_first_not_of("; \t") != std::string_view::npos)
            return true;
    }
    return false;
}
}  // namespace

bool DesktopHasApplicationFor(const std::string& path) {
    const QMimeType type = QMimeDatabase().mimeTypeForFile(QString::fromStdString(path));
    std::set<std::string> types{type.name().toStdString()};
    for (const QString& alias : type.aliases())
        types.insert(alias.toStdString());

    const QString home = QDir::homePath();
    QStringList lists;  // mimeapps.list in the order the desktop reads them
    QStringList caches;
    for (const QString& dir : BaseDirectories("XDG_CONFIG_HOME", home + "/.config") +
                                  BaseDirectories("XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg")))
        lists << dir + "/mimeapps.list";
    for (const QString& dir :
         BaseDirectories("XDG_DATA_HOME", home + "/.local/share") +
             BaseDirectories("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share"))) {
        lists << dir + "/applications/mimeapps.list";
        caches << dir + "/applications/mimeinfo.cache";
    }
    for (const QString& list : lists) {
        if (NamesAnApplication(list.toStdString(), {"[Default Applications]", "[Added Associations]"}, types))
            return true;
    }
    for (const QString& cache : caches) {
        if (NamesAnApplication(cache.toStdString(), {"[MIME Cache]"}, types))
            return true;
    }
    return false;
}

}  // namespace platform
