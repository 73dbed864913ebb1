#include "jobs/Playback.h"

#include "platform/Dialogs.h"
#include "platform/Shell.h"
#include "platform/core/Paths.h"

namespace jobs {
namespace {
// The row is the one the user chose; the name is its job's own bytes, not the row's text, which shows U+FFFD
// for each byte of a name that is not UTF-8 and so may stand for several files or none.
void PlayColumn(const JobListView& jobs, std::string tListType::*file) {
    const int row = jobs.FirstSelectedRow();
    if (row < 0 || static_cast<std::size_t>(row) >= jobs.Jobs().size()) {
        platform::MessageBox::ShowMessage("Don't play! You must choose a real file in file list.");
        return;
    }
    const std::string& path = jobs.Jobs()[static_cast<std::size_t>(row)].*file;
    if (platform::FileExists(path)) {
        platform::ShellOpen(path);
    } else {
        platform::MessageBox::ShowMessage("Don't find " + path);
    }
}
}  // namespace

void PlaySourceFile(const JobListView& jobs) {
    PlayColumn(jobs, &tListType::SourceFile);
}

void PlayDestinationFile(const JobListView& jobs) {
    PlayColumn(jobs, &tListType::DestFile);
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
