#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "jobs/Job.h"
#include "platform/Dialogs.h"
#include "settings/Settings.h"

class QTreeWidget;

namespace jobs {

// The open-file dialog's filters, in the order the user sees them.
const std::vector<platform::FileFilter>& MediaFileFilters();

// A new job for `source`: its destination beside it with the extension ".rm", and a copy of the current
// clip-information defaults.
tListType NewJob(const std::string& source, const settings::TSettings& s);

// "You set max conver file is " and the limit.
std::string MaxFilesMessage(std::int32_t maxConverFile);

// How many of `chosen` files may join a list of `length` jobs under the limit; never negative.
struct AddPlan {
    std::size_t count = 0;
    bool overLimit = false;  // the limit message is due
};
AddPlan PlanAdd(std::size_t length, std::size_t chosen, std::int32_t maxConverFile);

// Removes job `index`; later jobs move down by one and keep their order.
void RemoveJob(TJobList& list, std::size_t index);

// What the job list's context menu enables just before it opens.
struct PopupState {
    bool del = false;
    bool converter = false;
    bool selectAll = false;
    bool musicInfo = false;
};
PopupState PopupMenu1State(int rowCount, int selectedCount, bool deleteFileEnabled);

// Columns of the list view.
enum JobColumn { colNum = 0, colSource = 1, colDest = 2 };

// The job list and the list view that shows it, kept in step: row i shows job i, captioned i + 1.
class JobListView {
  public:
    JobListView(TJobList& list, QTreeWidget& view);

    // Gives a list view its three columns and the list's selection and editing behaviour.
    static void SetUpView(QTreeWidget& view);

    // Asks for files with the open-file dialog, which opens where files were last added from, and appends
    // them under the limit. Cancel adds nothing.
    void AddFiles(const settings::TSettings& s);
    // Appends the files (the dialog's answer) under the limit, showing the limit message once if due. The
    // new rows become the selection.
    void AddChosenFiles(const std::vector<std::string>& files, const settings::TSettings& s);

    // Deletes every selected row together with its job, then renumbers.
    void DeleteSelected();
    void SelectAll();
    void InvertSelection();

    void RenumberRows();
    // Writes the jobs' paths back into the selected rows; other rows are left alone.
    void RefreshSelectedRows();

    int RowCount() const;
    int SelectedCount() const;
    bool IsSelected(int row) const;
    // The selected row with the lowest index, or -1.
    int FirstSelectedRow() const;
    // The text the row shows in a column.
    std::string RowText(int row, JobColumn column) const;

    TJobList& Jobs() { return list_; }
    const TJobList& Jobs() const { return list_; }
    QTreeWidget& View() { return view_; }
    const QTreeWidget& View() const { return view_; }

  private:
    void SelectJoined(int first);

    TJobList& list_;
    QTreeWidget& view_;
};

}  // namespace jobs
