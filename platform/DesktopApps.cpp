#include "platform/DesktopApps.h"

#include <QDir>
#include <QMimeDatabase>
#include <QStandardPaths>
#include <QStringList>
#include <map>
#include <optional>
#include <set>
#include <string_view>

#include "platform/core/Files.h"
#include "platform/core/TextLines.h"

namespace platform {
namespace {
using KeyFile = std::map<std::string, std::vector<std::pair<std::string, std::string>>>;

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

QStringList DataDirectories() {
    const QString home = QDir::homePath();
    return BaseDirectories("XDG_DATA_HOME", home + "/.local/share") +
           BaseDirectories("XDG_DATA_DIRS", QStringLiteral("/usr/local/share:/usr/share"));
}

// A key file's sections with their keys in order; a missing or unreadable file has none.
KeyFile ReadKeyFile(const QString& path) {
    KeyFile file;
    std::string text;
    try {
        text = ReadFileBytes(path.toStdString());
    } catch (const EFileError&) {
        return file;
    }
    std::vector<std::pair<std::string, std::string>>* section = nullptr;
    for (const std::string& raw : SplitTextLines(text)) {
        const std::string_view line = TrimControls(raw);
        if (line.empty() || line.front() == '#')
            continue;
        if (line.front() == '[') {
            section = &file[std::string(line)];
            continue;
        }
        const auto equals = line.find('=');
        if (section != nullptr && equals != std::string_view::npos)
            section->emplace_back(std::string(TrimControls(line.substr(0, equals))),
                                  std::string(TrimControls(line.substr(equals + 1))));
    }
    return file;
}

// The value of a key in a section, with the key file's escapes undone (\s, \n, \t, \r, \\).
std::string Value(const KeyFile& file, const std::string& section, const std::string& key) {
    const auto found = file.find(section);
    if (found == file.end())
        return {};
    for (const auto& [k, raw] : found->second) {
        if (k != key)
            continue;
        std::string value;
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] != '\\' || i + 1 == raw.size()) {
                value += raw[i];
                continue;
            }
            const char c = raw[++i];
            value += c == 's' ? ' ' : c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c;
        }
        return value;
    }
    return {};
}

// The desktop entries a list names for one type in one section, in order.
std::vector<std::string> Entries(const KeyFile& file, const std::string& section, const std::string& type) {
    std::vector<std::string> ids;
    const QString value = QString::fromStdString(Value(file, section, type));
    for (const QString& id : value.split(';', Qt::SkipEmptyParts)) {
        if (!id.trimmed().isEmpty())
            ids.push_back(id.trimmed().toStdString());
    }
    return ids;
}

// The file of a desktop entry id: "kde-foo.desktop" may also lie at applications/kde/foo.desktop.
QString EntryFile(const std::string& id) {
    const QString name = QString::fromStdString(id);
    for (const QString& dir : DataDirectories()) {
        const QString direct = dir + "/applications/" + name;
        if (QFileInfo(direct).isFile())
            return direct;
        QString nested = name;
        for (qsizetype dash = nested.indexOf('-'); dash > 0; dash = nested.indexOf('-', dash + 1)) {
            nested[dash] = '/';
            if (QFileInfo(dir + "/applications/" + nested).isFile())
                return dir + "/applications/" + nested;
        }
    }
    return {};
}

std::optional<DesktopApplication> LoadApplication(const std::string& id) {
    const QString path = EntryFile(id);
    if (path.isEmpty())
        return std::nullopt;
    const KeyFile entry = ReadKeyFile(path);
    const std::string section = "[Desktop Entry]";
    DesktopApplication app{id, Value(entry, section, "Name"), Value(entry, section, "Exec")};
    const std::string tryExec = Value(entry, section, "TryExec");
    if (app.exec.empty() || Value(entry, section, "Hidden") == "true" ||
        (!tryExec.empty() && QStandardPaths::findExecutable(QString::fromStdString(tryExec)).isEmpty() &&
         !QFileInfo(QString::fromStdString(tryExec)).isExecutable()))
        return std::nullopt;
    return app;
}
}  // namespace

std::string MimeTypeOfFile(const std::string& path) {
    return QMimeDatabase().mimeTypeForFile(QString::fromStdString(path)).name().toStdString();
}

std::vector<DesktopApplication> DesktopApplicationsForType(const std::string& mimeType) {
    const QMimeDatabase database;
    const QMimeType mime = database.mimeTypeForName(QString::fromStdString(mimeType));
    std::vector<std::string> types{mimeType};
    if (mime.isValid()) {
        for (const QString& alias : mime.aliases())
            types.push_back(alias.toStdString());
        for (const QString& parent : mime.allAncestors()) {
            if (parent != QLatin1String("application/octet-stream"))
                types.push_back(parent.toStdString());
        }
    }

    QStringList desktops;  // the current desktop's own lists come first
    for (const QString& desktop : qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(':', Qt::SkipEmptyParts))
        desktops << desktop.toLower();
    const QString home = QDir::homePath();
    std::vector<KeyFile> lists;
    std::vector<KeyFile> caches;
    auto addLists = [&](const QString& dir) {
        for (const QString& desktop : desktops)
            lists.push_back(ReadKeyFile(dir + "/" + desktop + "-mimeapps.list"));
        lists.push_back(ReadKeyFile(dir + "/mimeapps.list"));
    };
    for (const QString& dir : BaseDirectories("XDG_CONFIG_HOME", home + "/.config") +
                                  BaseDirectories("XDG_CONFIG_DIRS", QStringLiteral("/etc/xdg")))
        addLists(dir);
    for (const QString& dir : DataDirectories()) {
        addLists(dir + "/applications");
        caches.push_back(ReadKeyFile(dir + "/applications/mimeinfo.cache"));
    }

    std::vector<std::string> ids;
    std::set<std::string> removed{OwnDesktopEntry};
    // Each section of every file in turn, so that the order of the files decides within a section.
    auto take = [](const std::vector<KeyFile>& files, const std::string& section, const std::string& type,
                   auto add) {
        for (const KeyFile& file : files) {
            for (const std::string& id : Entries(file, section, type))
                add(id);
        }
    };
    for (const std::string& type : types) {
        auto append = [&](const std::string& id) { ids.push_back(id); };
        take(lists, "[Removed Associations]", type, [&](const std::string& id) { removed.insert(id); });
        take(lists, "[Default Applications]", type, append);
        take(lists, "[Added Associations]", type, append);
        take(caches, "[MIME Cache]", type, append);
    }

    std::vector<DesktopApplication> applications;
    std::set<std::string> seen;
    for (const std::string& id : ids) {
        if (removed.count(id) != 0 || !seen.insert(id).second)
            continue;
        if (auto app = LoadApplication(id)) {
            // A copy of this program under another entry would open the file in a second window.
            const std::vector<std::string> command = DesktopExecArguments(app->exec, "");
            if (!command.empty() &&
                QFileInfo(QString::fromStdString(command.front())).fileName() == "quenzor")
                continue;
            applications.push_back(std::move(*app));
        }
    }
    return applications;
}

bool DesktopHasApplicationFor(const std::string& path) {
    return !DesktopApplicationsForType(MimeTypeOfFile(path)).empty();
}

std::vector<std::string> DesktopExecArguments(const std::string& exec, const std::string& target) {
    std::vector<std::string> arguments;
    std::string current;
    bool inWord = false;
    bool quoted = false;
    bool tookTarget = false;
    for (std::size_t i = 0; i < exec.size(); ++i) {
        const char c = exec[i];
        if (quoted) {
            if (c == '"') {
                quoted = false;
            } else if (c == '\\' && i + 1 < exec.size()) {
                current += exec[++i];
            } else {
                current += c;
            }
            continue;
        }
        if (c == ' ' || c == '\t') {
            if (inWord)
                arguments.push_back(std::move(current));
            current.clear();
            inWord = false;
            continue;
        }
        inWord = true;
        if (c == '"') {
            quoted = true;
        } else if (c == '%' && i + 1 < exec.size()) {
            const char code = exec[++i];
            if (code == '%') {
                current += '%';
            } else if (code == 'f' || code == 'F' || code == 'u' || code == 'U') {
                current += target;
                tookTarget = true;
            }
            // %i, %c, %k and the deprecated codes add nothing here; a word made only of one is dropped.
            if (current.empty() && code != '%')
                inWord = false;
        } else {
            current += c;
        }
    }
    if (quoted)
        return {};
    if (inWord)
        arguments.push_back(std::move(current));
    if (!tookTarget && !arguments.empty() && !target.empty())
        arguments.push_back(target);
    return arguments;
}

}  // namespace platform
