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

#include "jobs/JobList.h"
#include "platform/ProgramDir.h"
#include "platform/core/FileNames.h"
#include "platform/core/Paths.h"

namespace jobs {
namespace {
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
