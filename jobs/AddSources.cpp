#include "jobs/AddSources.h"

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QSettings>
#include <QStandardPaths>
#include <QTreeWidget>
#include <QUrl>
#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>

#include "jobs/JobList.h"
#include "platform/ProgramDir.h"
#include "platform/core/FileNames.h"
#include "platform/core/Paths.h"

namespace jobs {
namespace {
constexpr std::array<const char*, 10> kMediaExtensions = {"avi", "mov", "qt",  "mpg", "mpeg",
                                                          "mpa", "mp2", "mp3", "wav", "au"};

QSettings UserPreferences() {
    return QSettings(QString::fromStdString(platform::UserConfigDirectory() + "quenzor.conf"),
                     QSettings::IniFormat);
}

const QString kAddFolderKey = QStringLiteral("AddFile/LastFolder");

std::vector<std::string> LocalFiles(const QMimeData* data) {
    std::vector<std::string> paths;
    if (data == nullptr)
        return paths;
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile())
            paths.push_back(platform::NativePath(QDir::cleanPath(url.toLocalFile()).toStdString()));
    }
    return paths;
}
}  // namespace

bool IsMediaFileName(const std::string& path) {
    const std::string name = platform::ExtractFileName(path);
    const auto dot = name.rfind('.');
    if (dot == std::string::npos)
        return false;
    std::string extension = name.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return std::find(kMediaExtensions.begin(), kMediaExtensions.end(), extension) != kMediaExtensions.end();
}

std::vector<std::string> MediaFilesAmong(const std::vector<std::string>& paths) {
    std::vector<std::string> found;
    for (const std::string& path : paths) {
        if (!platform::DirectoryExists(path)) {
            if (IsMediaFileName(path))
                found.push_back(path);
            continue;
        }
        // Linked folders are not followed, so a link back up the tree cannot make the search endless.
        // Hidden files and folders are left out. Names are read as bytes: Qt's listing leaves out names
        // that are not UTF-8.
        namespace fs = std::filesystem;
        std::vector<std::string> inFolder;
        std::error_code ec;
        fs::recursive_directory_iterator it(path, fs::directory_options::skip_permission_denied, ec), end;
        for (; !ec && it != end; it.increment(ec)) {
            const std::string name = it->path().filename().string();
            if (name.starts_with('.')) {
                if (it->is_directory(ec))
                    it.disable_recursion_pending();
                continue;
            }
            std::string file = it->path().string();
            if (it->is_regular_file(ec) && IsMediaFileName(file))
                inFolder.push_back(std::move(file));
        }
        std::sort(inFolder.begin(), inFolder.end());
        found.insert(found.end(), inFolder.begin(), inFolder.end());
    }
    return found;
}

std::string AddFileStartFolder() {
    const std::string remembered = UserPreferences().value(kAddFolderKey).toString().toStdString();
    if (platform::DirectoryExists(remembered))
        return remembered;
    const QString videos = QStandardPaths::writableLocation(QStandardPaths::MoviesLocation);
    if (!videos.isEmpty() && platform::DirectoryExists(videos.toStdString()))
        return videos.toStdString();
    return QDir::homePath().toStdString();
}

void RememberAddFileFolder(const std::string& folder) {
    if (folder.empty())
        return;
    QSettings preferences = UserPreferences();
    preferences.setValue(kAddFolderKey, QString::fromStdString(platform::RemoveTrailingDelimiter(folder)));
}

JobListDropTarget::JobListDropTarget(JobListView& jobs, const settings::TSettings& settings,
                                     std::function<bool()> mayAdd, QObject* parent)
    : QObject(parent), jobs_(jobs), settings_(settings), mayAdd_(std::move(mayAdd)) {
    QTreeWidget& view = jobs_.View();
    view.setAcceptDrops(true);
    view.viewport()->setAcceptDrops(true);
    view.setDropIndicatorShown(false);
    view.viewport()->installEventFilter(this);
}

bool JobListDropTarget::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            // The list's own drag handling (moving rows) is never wanted: the filter answers every drag.
            auto* drag = static_cast<QDragMoveEvent*>(event);
            if (mayAdd_() && !LocalFiles(drag->mimeData()).empty()) {
                drag->setDropAction(Qt::CopyAction);
                drag->accept();
            } else {
                drag->ignore();
            }
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            if (!mayAdd_()) {
                drop->ignore();
                return true;
            }
            const std::vector<std::string> files = MediaFilesAmong(LocalFiles(drop->mimeData()));
            if (!files.empty())
                jobs_.AddChosenFiles(files, settings_);
            drop->setDropAction(Qt::CopyAction);
            drop->accept();
            return true;
        }
        default:
            return QObject::eventFilter(watched, event);
    }
}

}  // namespace jobs
