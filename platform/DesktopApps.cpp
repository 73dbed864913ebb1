#include "platform/DesktopApps.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QMimeDatabase>
#include <QStringList>
#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <deque>
#include <optional>
#include <set>

#include "platform/Spawn.h"
#include "platform/core/FileNames.h"
#include "platform/core/Paths.h"

namespace platform {
namespace {
// Key files past this size are read only this far (whole lines): a real mimeinfo.cache is a few hundred
// kilobytes, a desktop entry with all its translations less, and a huge one must not stall Play.
constexpr std::size_t kKeyFileLimit = 4 << 20;
// Applications looked at for one type; the first usable one is taken, the rest only listed.
constexpr std::size_t kMaxApplicationIds = 256;
// Types looked at for one type: the type, its aliases and ancestors. Real chains are a few levels deep.
constexpr std::size_t kMaxTypes = 64;
constexpr int kMaxTypeDepth = 16;

// The start of a regular file, at most `limit` bytes; when the file is longer, cut after its last whole line
// (or at the limit when `wholeLines` is false). Empty for what cannot be read or is no regular file: a pipe
// or a device would block or never end.
std::string ReadFileHead(const std::string& path, std::size_t limit, bool wholeLines) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return {};
    std::string text;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) {
        // Sized by the file, grown should it grow meanwhile: most files are small.
        text.resize(std::min(limit + 1, static_cast<std::size_t>(info.st_size) + 1));
        std::size_t got = 0;
        for (;;) {
            if (got == text.size() && got <= limit)
                text.resize(std::min(limit + 1, got * 2));
            if (got == text.size())
                break;
            const ssize_t n = ::read(fd, text.data() + got, text.size() - got);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            got += static_cast<std::size_t>(n);
        }
        text.resize(got);
        if (got > limit) {
            text.resize(limit);
            if (wholeLines)
                text.resize(text.find_last_of("\r\n") + 1);  // no line end at all: nothing
        }
    }
    ::close(fd);
    return text;
}

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
    return ParseKeyFile(ReadFileHead(QFile::encodeName(path).toStdString(), kKeyFileLimit, true));
}

// The file of a desktop entry id: "kde-foo.desktop" may also lie at applications/kde/foo.desktop. An id is a
// file name: one that leads elsewhere ("../x.desktop") or is too long for a file names no entry.
QString EntryFile(const std::string& id) {
    if (id.size() > 255 || id.find('/') != std::string::npos || !id.ends_with(".desktop"))
        return {};
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

// Whether a program word, as a command would run it, is this program: by its name, or the file it leads to
// through the search path and links, symbolic (by the name it leads to) or hard (the running file itself).
bool IsThisProgram(const std::string& word) {
    auto ours = [](const std::string& name) { return name == "quenzor" || name == "quenzor-convert"; };
    if (ours(ExtractFileName(word)))
        return true;
    const std::string found = FindProgram(word);
    if (found.empty())
        return false;
    if (SameFile(found, "/proc/self/exe"))
        return true;
    char* real = ::realpath(found.c_str(), nullptr);
    const bool named = real != nullptr && ours(ExtractFileName(real));
    std::free(real);
    return named;
}

std::optional<DesktopApplication> LoadApplication(const std::string& id) {
    const QString path = EntryFile(id);
    if (path.isEmpty())
        return std::nullopt;
    const KeyFile entry = ReadKeyFile(path);
    const std::string section = "[Desktop Entry]";
    DesktopApplication app{id, KeyFileValue(entry, section, "Name"), KeyFileValue(entry, section, "Exec"),
                           KeyFileValue(entry, section, "Terminal") == "true"};
    const std::string tryExec = KeyFileValue(entry, section, "TryExec");
    if (KeyFileValue(entry, section, "Hidden") == "true" ||
        (!tryExec.empty() && FindProgram(tryExec).empty()))
        return std::nullopt;
    // Judged by the command it makes for a file: the program word does not depend on the file.
    const std::vector<std::string> command = DesktopExecArguments(app.exec, "/file");
    if (command.empty() || FindProgram(command.front()).empty())
        return std::nullopt;
    // A copy of this program under another entry would open the file in a second window.
    for (const std::string& program : ProgramsRun(command)) {
        if (IsThisProgram(program))
            return std::nullopt;
    }
    return app;
}
}  // namespace

std::string MimeTypeOfFile(const std::string& path) {
    const QMimeDatabase database;
    if (ReadableName(path) == path)
        return database.mimeTypeForFile(QString::fromStdString(path)).name().toStdString();
    // Qt's file names are text: a name that is not UTF-8 is judged by its readable name and the bytes read
    // here.
    const QString name = QString::fromStdString(ReadableName(ExtractFileName(path)));
    struct stat info {};
    if (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
        return "inode/directory";
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return database.mimeTypeForFile(name, QMimeDatabase::MatchExtension).name().toStdString();
    const std::string head = ReadFileHead(path, 16384, false);
    return database.mimeTypeForFileNameAndData(name, QByteArray::fromStdString(head)).name().toStdString();
}

std::vector<std::string> MimeTypeAndAncestors(const std::string& mimeType) {
    const QMimeDatabase database;
    std::vector<std::string> types;
    std::set<QString> walked;  // types whose parents are queued
    std::set<std::string> listed;
    auto list = [&](const QString& name) {
        if (types.size() < kMaxTypes && listed.insert(name.toStdString()).second)
            types.push_back(name.toStdString());
    };
    // Level by level, as the parents are listed; each type's aliases right after it.
    std::deque<std::pair<QString, int>> pending{{QString::fromStdString(mimeType), 0}};
    while (!pending.empty() && types.size() < kMaxTypes) {
        const auto [name, depth] = pending.front();
        pending.pop_front();
        const QMimeType mime = database.mimeTypeForName(name);
        if (!mime.isValid()) {
            list(name);
            continue;
        }
        if (!walked.insert(mime.name()).second)
            continue;
        list(name);
        list(mime.name());
        for (const QString& alias : mime.aliases())
            list(alias);
        if (depth < kMaxTypeDepth) {
            for (const QString& parent : mime.parentMimeTypes())
                pending.emplace_back(parent, depth + 1);
        }
    }
    return types;
}

std::vector<DesktopApplication> DesktopApplicationsForType(const std::string& mimeType) {
    if (mimeType.empty())
        return {};  // no type database: nothing is known to take the file
    std::vector<std::string> types;
    for (const std::string& type : MimeTypeAndAncestors(mimeType)) {
        if (type == mimeType || type != "application/octet-stream")
            types.push_back(type);
    }
    QStringList desktops;  // the current desktop's own lists come first
    for (const QString& desktop : qEnvironmentVariable("XDG_CURRENT_DESKTOP").split(':', Qt::SkipEmptyParts))
        if (!desktop.contains('/'))
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
            for (const std::string& id : KeyFileList(file, section, type))
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
        if (seen.size() > kMaxApplicationIds)
            break;
        if (auto app = LoadApplication(id))
            applications.push_back(std::move(*app));
    }
    return applications;
}

bool DesktopHasApplicationFor(const std::string& path) {
    return !DesktopApplicationsForType(MimeTypeOfFile(path)).empty();
}

}  // namespace platform
