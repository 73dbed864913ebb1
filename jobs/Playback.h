#pragma once
#include "jobs/JobList.h"

namespace jobs {

// Hands the first selected row's source file to the desktop's player.
void PlaySourceFile(const JobListView& jobs);
// The same for the destination file.
void PlayDestinationFile(const JobListView& jobs);
// Opens the folder of the first selected job's destination (of the first job when none is selected).
void OpenOutputFolder(const JobListView& jobs);

}  // namespace jobs
