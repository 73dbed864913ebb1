#include "jobs/Playback.h"

#include "platform/Dialogs.h"
#include "platform/Shell.h"
#include "platform/core/FileNames.h"
#include "platform/core/Paths.h"

namespace jobs {
namespace {
// The path is read from the row itself: that is what the user sees and means.
void PlayColumn(const JobListView& jobs, JobColumn column) {
    const int row = jobs.FirstSelectedRow();
    if (row < 0) {
        platform::MessageBox::ShowMessage("Don't play! You must choose a real file in file list.");
        return;
    }
    // A name that is not UTF-8 shows U+FFFD in the row; the file's own bytes are looked up.
    const std::string path = platform::NativePath(jobs.RowText(row, column));
    if (platform::FileExists(path)) {
        platform::ShellOpen(path);
    } else {
        platform::MessageBox::ShowMessage("Don't find " + path);
    }
}
}  // namespace

void PlaySourceFile(const JobListView& jobs) {
    PlayColumn(jobs, colSource);
}

void PlayDestinationFile(const JobListView& jobs) {
    PlayColumn(jobs, colDest);
}

void OpenOutputFolder(const JobListView& jobs) {
    int row = jobs.FirstSelectedRow();
    if (row < 0) {
        if (jobs.Jobs().empty()) {
            platform::MessageBox::ShowMessage("You must choose a item.");
            return;
        }
        row = 0;
    }
    platform::ShellOpen(platform::ExtractFilePath(jobs.Jobs()[static_cast<std::size_t>(row)].DestFile));
}

}  // namespace jobs
