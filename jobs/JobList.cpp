#include "jobs/JobList.h"

#include <QItemSelection>
#include <QItemSelectionModel>
#include <QTreeWidget>
#include <algorithm>

#include "jobs/AddSources.h"
#include "platform/core/FileNames.h"
#include "platform/core/Paths.h"

namespace jobs {
namespace {

QString ShownName(const std::string& path) {
    return QString::fromStdString(platform::ReadableName(path));
}

}  // namespace

const std::vector<platform::FileFilter>& MediaFileFilters() {
    static const std::vector<platform::FileFilter> filters = {
        {"Media Files", "*.avi;*.mov;*.qt;*.mpg;*.mpeg;*.mpa;*.mp2;*.mp3;*.wav;*.au"},
        {"AVI Files (avi)", "*.avi"},
        {"QuickTime Files (mov,qt)", "*.mov;*.qt"},
        {"MPEG Files (mpg,mpeg,mpa,mp2,mp3)", "*.mpg;*.mpeg;*.mpa;*.mp2;*.mp3"},
        {"Audio Files Files (wav,au)", "*.wav;*.au"},
    };
    return filters;
}

tListType NewJob(const std::string& source, const settings::TSettings& s) {
    return tListType{
        source, platform::ChangeExtToRm(source), s.Title, s.Auther, s.Copyright, s.Keywords, s.Description};
}

std::string MaxFilesMessage(std::int32_t maxConverFile) {
    return "You set max conver file is " + std::to_string(maxConverFile);
}

AddPlan PlanAdd(std::size_t length, std::size_t chosen, std::int32_t maxConverFile) {
    // 64-bit arithmetic: a negative limit or a list longer than the limit must not wrap around.
    const long long len = static_cast<long long>(length);
    const long long n = static_cast<long long>(chosen);
    if (len + n <= maxConverFile)
        return {chosen, false};
    const long long room = static_cast<long long>(maxConverFile) - len;
    return {static_cast<std::size_t>(room > 0 ? room : 0), true};
}

void RemoveJob(TJobList& list, std::size_t index) {
    if (index < list.size())
        list.erase(list.begin() + static_cast<std::ptrdiff_t>(index));
}

PopupState PopupMenu1State(int rowCount, int selectedCount, bool deleteFileEnabled) {
    PopupState st;
    if (rowCount > 0) {
        st.del = deleteFileEnabled;
        st.converter = true;
        st.selectAll = true;
    }
    st.musicInfo = selectedCount == 1;
    return st;
}

JobListView::JobListView(TJobList& list, QTreeWidget& view) : list_(list), view_(view) {}

void JobListView::SetUpView(QTreeWidget& view) {
    view.setColumnCount(3);
    view.setHeaderLabels(
        {QStringLiteral("Num"), QStringLiteral("Source File"), QStringLiteral("Destination File")});
    // Row numbers up to the list's largest limit in full, whatever the font.
    view.setColumnWidth(colNum,
                        std::max(35, view.fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 16));
    view.setColumnWidth(colSource, 300);
    view.setColumnWidth(colDest, 300);
    view.setRootIsDecorated(false);
    view.setItemsExpandable(false);
    view.setUniformRowHeights(true);
    view.setSortingEnabled(false);
    view.setSelectionMode(QAbstractItemView::ExtendedSelection);
    view.setSelectionBehavior(QAbstractItemView::SelectRows);
    view.setEditTriggers(QAbstractItemView::NoEditTriggers);
    view.setAllColumnsShowFocus(true);
}

void JobListView::AddFiles(const settings::TSettings& s) {
    std::vector<std::string> files =
        platform::FileDialogs::GetOpenFileNames(MediaFileFilters(), AddFileStartFolder());
    if (files.empty())
        return;
    RememberAddFileFolder(platform::ExtractFilePath(files.front()));
    AddChosenFiles(files, s);
}

void JobListView::AddChosenFiles(const std::vector<std::string>& files, const settings::TSettings& s) {
    const AddPlan plan = PlanAdd(list_.size(), files.size(), s.MaxConverFile);
    if (plan.overLimit)
        platform::MessageBox::ShowMessage(MaxFilesMessage(s.MaxConverFile));
    list_.reserve(list_.size() + plan.count);
    QList<QTreeWidgetItem*> rows;
    rows.reserve(static_cast<qsizetype>(plan.count));
    for (std::size_t k = 0; k < plan.count; ++k) {
        list_.push_back(NewJob(files[k], s));
        const tListType& job = list_.back();
        rows.append(new QTreeWidgetItem(
            QStringList{QString::number(list_.size()), ShownName(job.SourceFile), ShownName(job.DestFile)}));
    }
    if (rows.isEmpty())
        return;
    const int first = view_.topLevelItemCount();
    view_.addTopLevelItems(rows);
    SelectJoined(first);
}

// The rows that just joined become the selection, so the commands that act on the selection act on them,
// and the first of them becomes current without changing it again.
void JobListView::SelectJoined(int first) {
    QAbstractItemModel* model = view_.model();
    const QModelIndex top = model->index(first, 0);
    const QItemSelection joined(top, model->index(view_.topLevelItemCount() - 1, model->columnCount() - 1));
    view_.selectionModel()->setCurrentIndex(top, QItemSelectionModel::NoUpdate);
    view_.selectionModel()->select(joined, QItemSelectionModel::ClearAndSelect);
}

void JobListView::DeleteSelected() {
    // Every selected row goes together with the job at its position; the others keep their order.
    // They are taken out in one step: removing rows one at a time costs a model update and a selection
    // change each, which makes deleting hundreds of rows crawl.
    const int rows = view_.topLevelItemCount();
    std::vector<bool> selected(static_cast<std::size_t>(rows));
    bool any = false;
    for (int i = 0; i < rows; ++i) {
        selected[static_cast<std::size_t>(i)] = view_.topLevelItem(i)->isSelected();
        any = any || selected[static_cast<std::size_t>(i)];
    }
    if (any) {
        const QList<QTreeWidgetItem*> items = view_.invisibleRootItem()->takeChildren();
        QList<QTreeWidgetItem*> keptRows;
        TJobList keptJobs;
        for (int i = 0; i < rows; ++i) {
            const auto k = static_cast<std::size_t>(i);
            if (selected[k]) {
                delete items[i];
            } else {
                keptRows.append(items[i]);
                if (k < list_.size())
                    keptJobs.push_back(std::move(list_[k]));
            }
        }
        list_ = std::move(keptJobs);
        view_.addTopLevelItems(keptRows);
    }
    RenumberRows();
}

void JobListView::SelectAll() {
    view_.selectAll();
}

void JobListView::InvertSelection() {
    const int rows = view_.topLevelItemCount();
    if (rows == 0)
        return;
    QAbstractItemModel* model = view_.model();
    QItemSelection all(model->index(0, 0), model->index(rows - 1, model->columnCount() - 1));
    view_.selectionModel()->select(all, QItemSelectionModel::Toggle);
}

void JobListView::RenumberRows() {
    const int rows = view_.topLevelItemCount();
    for (int i = 0; i < rows; ++i) {
        QTreeWidgetItem* row = view_.topLevelItem(i);
        const QString caption = QString::number(i + 1);
        if (row->text(colNum) != caption)
            row->setText(colNum, caption);
    }
}

void JobListView::RefreshSelectedRows() {
    const int rows = view_.topLevelItemCount();
    for (int k = 0; k < rows && k < static_cast<int>(list_.size()); ++k) {
        QTreeWidgetItem* row = view_.topLevelItem(k);
        if (!row->isSelected())
            continue;
        row->setText(colSource, ShownName(list_[k].SourceFile));
        row->setText(colDest, ShownName(list_[k].DestFile));
    }
}

int JobListView::RowCount() const {
    return view_.topLevelItemCount();
}

int JobListView::SelectedCount() const {
    return static_cast<int>(view_.selectionModel()->selectedRows(colNum).size());
}

bool JobListView::IsSelected(int row) const {
    QTreeWidgetItem* item = view_.topLevelItem(row);
    return item != nullptr && item->isSelected();
}

int JobListView::FirstSelectedRow() const {
    const int rows = view_.topLevelItemCount();
    for (int i = 0; i < rows; ++i) {
        if (view_.topLevelItem(i)->isSelected())
            return i;
    }
    return -1;
}

std::string JobListView::RowText(int row, JobColumn column) const {
    QTreeWidgetItem* item = view_.topLevelItem(row);
    return item != nullptr ? item->text(column).toStdString() : std::string();
}

}  // namespace jobs
