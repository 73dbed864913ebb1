#pragma once
#include <QObject>
#include <functional>
#include <string>
#include <vector>

#include "platform/core/MediaFiles.h"
#include "settings/Settings.h"

namespace jobs {

class JobListView;

// The ten source types, and the media files among dropped files and folders: the same for the command line.
using platform::IsMediaFileName;
using platform::MediaFilesAmong;

// The folder the Add File dialog opens in: the one files were last added from while it still exists,
// otherwise the user's videos folder, otherwise the home folder. Kept per user in the configuration
// folder, apart from data.ini, whose bytes are the settings' alone.
std::string AddFileStartFolder();
void RememberAddFileFolder(const std::string& folder);

// Files and folders dropped onto the job list's view join the list as Add File's do: the media files
// among them, under the same limit and message. Refused while `mayAdd` says no, as Add File is during a
// run.
class JobListDropTarget : public QObject {
  public:
    JobListDropTarget(JobListView& jobs, const settings::TSettings& settings, std::function<bool()> mayAdd,
                      QObject* parent);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    JobListView& jobs_;
    const settings::TSettings& settings_;
    std::function<bool()> mayAdd_;
};

}  // namespace jobs
