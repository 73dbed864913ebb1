#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QTreeWidget>
#include <QUrl>
#include <algorithm>

#include "jobs/AddSources.h"
#include "jobs/JobList.h"
#include "platform/Dialogs.h"
#include "support/FileHelpers.h"

using namespace jobs;
using platform::FileDialogs;
using platform::MessageBox;

namespace {
settings::TSettings Defaults() {
    settings::TSettings s;
    s.Title = "T";
    s.Auther = "A";
    s.Copyright = "C";
    s.Keywords = "K";
    s.Description = "D";
    s.MaxConverFile = 200;
    return s;
}

std::vector<std::string> Files(int n, const std::string& stem = "/media/clip") {
    std::vector<std::string> out;
    for (int i = 0; i < n; ++i)
        out.push_back(stem + std::to_string(i) + ".avi");
    return out;
}

class JobListTest : public ::testing::Test {
  protected:
    void SetUp() override {
        JobListView::SetUpView(view);
        MessageBox::TakeShown();
    }
    // Rows and jobs agree, and the captions count from 1 without gaps.
    void ExpectInStep() {
        ASSERT_EQ(view.topLevelItemCount(), static_cast<int>(list.size()));
        for (int i = 0; i < view.topLevelItemCount(); ++i) {
            EXPECT_EQ(jobs.RowText(i, colNum), std::to_string(i + 1));
            EXPECT_EQ(jobs.RowText(i, colSource), list[i].SourceFile);
            EXPECT_EQ(jobs.RowText(i, colDest), list[i].DestFile);
        }
    }
    void Select(std::initializer_list<int> rows) {
        view.clearSelection();
        for (int r : rows)
            view.topLevelItem(r)->setSelected(true);
    }

    TJobList list;
    QTreeWidget view;
    JobListView jobs{list, view};
    settings::TSettings s = Defaults();
};
}  // namespace

TEST_F(JobListTest, ViewHasTheThreeColumnsAndWholeRowMultiSelection) {
    ASSERT_EQ(view.columnCount(), 3);
    EXPECT_EQ(view.headerItem()->text(0), "Num");
    EXPECT_EQ(view.headerItem()->text(1), "Source File");
    EXPECT_EQ(view.headerItem()->text(2), "Destination File");
    // At least the designed width, and row numbers up to the largest limit (1000) are not cut.
    EXPECT_GE(view.columnWidth(0),
              std::max(35, view.fontMetrics().horizontalAdvance(QStringLiteral("1000")) + 12));
    EXPECT_EQ(view.columnWidth(1), 300);
    EXPECT_EQ(view.columnWidth(2), 300);
    EXPECT_EQ(view.selectionMode(), QAbstractItemView::ExtendedSelection);
    EXPECT_EQ(view.selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_EQ(view.editTriggers(), QAbstractItemView::NoEditTriggers);
}

TEST_F(JobListTest, AddFilesAsksWithTheFiveFiltersAndCancelAddsNothing) {
    jobs.AddFiles(s);  // nothing queued: the dialog is cancelled
    EXPECT_TRUE(list.empty());
    EXPECT_TRUE(MessageBox::TakeShown().empty());
    const auto filters = FileDialogs::LastFilters();
    ASSERT_EQ(filters.size(), 5u);
    EXPECT_EQ(filters[0].description, "Media Files");
    EXPECT_EQ(filters[0].patterns, "*.avi;*.mov;*.qt;*.mpg;*.mpeg;*.mpa;*.mp2;*.mp3;*.wav;*.au");
    EXPECT_EQ(filters[1].description, "AVI Files (avi)");
    EXPECT_EQ(filters[2].description, "QuickTime Files (mov,qt)");
    EXPECT_EQ(filters[2].patterns, "*.mov;*.qt");
    EXPECT_EQ(filters[3].description, "MPEG Files (mpg,mpeg,mpa,mp2,mp3)");
    EXPECT_EQ(filters[3].patterns, "*.mpg;*.mpeg;*.mpa;*.mp2;*.mp3");
    EXPECT_EQ(filters[4].description, "Audio Files Files (wav,au)");
    EXPECT_EQ(filters[4].patterns, "*.wav;*.au");
}

TEST_F(JobListTest, AddedJobsGetNumberedRowsDestinationsBesideTheSourceAndCopiedClipInfo) {
    FileDialogs::SetNextOpenFiles({"/media/a.avi", "/media/My Clips/b c.mpg", "/media/v.1/clip"});
    jobs.AddFiles(s);
    ExpectInStep();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].DestFile, "/media/a.rm");
    EXPECT_EQ(list[1].DestFile, "/media/My Clips/b c.rm");
    EXPECT_EQ(list[2].DestFile, "/media/v.1/clip.rm");
    EXPECT_EQ(list[0], (tListType{"/media/a.avi", "/media/a.rm", "T", "A", "C", "K", "D"}));

    // Later changes of the defaults do not reach jobs already in the list.
    s.Title = "changed";
    jobs.AddChosenFiles({"/media/a.avi"}, s);
    EXPECT_EQ(list[0].Title, "T");
    EXPECT_EQ(list[3].Title, "changed");
    // No duplicate check: the same file twice is two jobs.
    EXPECT_EQ(list[3].SourceFile, list[0].SourceFile);
    ExpectInStep();
}

TEST_F(JobListTest, PathsWithUnusualCharactersSurviveUnchanged) {
    const std::vector<std::string> files = {"/m/it's \"quoted\".mp3", "/m/Ünïcödé ñame.wav", "/m/a;$(x).au",
                                            "/m/no_extension", "/m/.hidden"};
    jobs.AddChosenFiles(files, s);
    ExpectInStep();
    EXPECT_EQ(list[0].DestFile, "/m/it's \"quoted\".rm");
    EXPECT_EQ(list[1].DestFile, "/m/Ünïcödé ñame.rm");
    EXPECT_EQ(list[2].DestFile, "/m/a;$(x).rm");
    EXPECT_EQ(list[3].DestFile, "/m/no_extension.rm");
    EXPECT_EQ(list[4].DestFile, "/m/.rm");
}

TEST_F(JobListTest, TheLimitShowsItsMessageOnceAndAddsOnlyWhatFits) {
    jobs.AddChosenFiles(Files(199), s);
    MessageBox::TakeShown();
    jobs.AddChosenFiles(Files(5, "/new/"), s);
    auto shown = MessageBox::TakeShown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "You set max conver file is 200");
    ASSERT_EQ(list.size(), 200u);
    EXPECT_EQ(list[199].SourceFile, "/new/0.avi");
    ExpectInStep();

    // Exactly at the limit: message, nothing added.
    jobs.AddChosenFiles(Files(1), s);
    EXPECT_EQ(MessageBox::TakeShown().size(), 1u);
    EXPECT_EQ(list.size(), 200u);

    // A limit lowered below the current length: message, the list stays exactly as it was.
    const TJobList before = list;
    s.MaxConverFile = 10;
    jobs.AddChosenFiles(Files(3), s);
    shown = MessageBox::TakeShown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "You set max conver file is 10");
    EXPECT_EQ(list, before);
    ExpectInStep();
}

TEST(JobListPlan, LimitArithmeticNeverGoesNegative) {
    EXPECT_EQ(PlanAdd(0, 3, 200).count, 3u);
    EXPECT_FALSE(PlanAdd(0, 3, 200).overLimit);
    EXPECT_FALSE(PlanAdd(197, 3, 200).overLimit);
    EXPECT_EQ(PlanAdd(199, 5, 200).count, 1u);
    EXPECT_TRUE(PlanAdd(199, 5, 200).overLimit);
    EXPECT_EQ(PlanAdd(300, 1, 200).count, 0u);
    EXPECT_EQ(PlanAdd(0, 1, -5).count, 0u);
    EXPECT_TRUE(PlanAdd(0, 1, -5).overLimit);
    EXPECT_EQ(PlanAdd(0, 0, 0).count, 0u);
    EXPECT_FALSE(PlanAdd(0, 0, 0).overLimit);
}

TEST_F(JobListTest, DeletingSelectedRowsKeepsTheRestInOrderAndRenumbers) {
    jobs.AddChosenFiles(Files(5), s);
    for (std::size_t i = 0; i < list.size(); ++i)
        list[i].Title = "title" + std::to_string(i);
    Select({1, 3});
    jobs.DeleteSelected();
    ExpectInStep();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].Title, "title0");
    EXPECT_EQ(list[1].Title, "title2");
    EXPECT_EQ(list[2].Title, "title4");

    // Adjacent selected rows, including the last one.
    Select({1, 2});
    jobs.DeleteSelected();
    ExpectInStep();
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0].Title, "title0");

    // Nothing selected: nothing changes.
    view.clearSelection();
    jobs.DeleteSelected();
    EXPECT_EQ(list.size(), 1u);
    ExpectInStep();
}

TEST_F(JobListTest, SelectAllInvertAndFirstSelectedRow) {
    // Rows that join the list become the selection, in place of the one before.
    jobs.AddChosenFiles(Files(2), s);
    jobs.AddChosenFiles(Files(2), s);
    EXPECT_EQ(jobs.SelectedCount(), 2);
    EXPECT_EQ(jobs.FirstSelectedRow(), 2);
    EXPECT_TRUE(jobs.IsSelected(3));
    EXPECT_EQ(view.currentIndex().row(), 2);
    jobs.AddChosenFiles({}, s);
    EXPECT_EQ(jobs.SelectedCount(), 2) << "adding nothing keeps the selection";
    Select({1, 3});
    EXPECT_EQ(jobs.SelectedCount(), 2);
    EXPECT_EQ(jobs.FirstSelectedRow(), 1);
    jobs.InvertSelection();
    EXPECT_TRUE(jobs.IsSelected(0));
    EXPECT_FALSE(jobs.IsSelected(1));
    EXPECT_TRUE(jobs.IsSelected(2));
    EXPECT_FALSE(jobs.IsSelected(3));
    EXPECT_EQ(jobs.SelectedCount(), 2);
    jobs.SelectAll();
    EXPECT_EQ(jobs.SelectedCount(), 4);
    jobs.InvertSelection();
    EXPECT_EQ(jobs.SelectedCount(), 0);
}

TEST_F(JobListTest, RefreshTouchesOnlySelectedRows) {
    jobs.AddChosenFiles(Files(3), s);
    list[0].DestFile = "/out/0.rm";
    list[1].DestFile = "/out/1.rm";
    Select({1});
    jobs.RefreshSelectedRows();
    EXPECT_EQ(jobs.RowText(0, colDest), "/media/clip0.rm");
    EXPECT_EQ(jobs.RowText(1, colDest), "/out/1.rm");
}

TEST(JobListPopup, EnabledStatesFollowRowsSelectionAndTheDeleteCommand) {
    PopupState empty = PopupMenu1State(0, 0, true);
    EXPECT_FALSE(empty.del);
    EXPECT_FALSE(empty.converter);
    EXPECT_FALSE(empty.selectAll);
    EXPECT_FALSE(empty.musicInfo);
    PopupState one = PopupMenu1State(3, 1, true);
    EXPECT_TRUE(one.del && one.converter && one.selectAll && one.musicInfo);
    PopupState two = PopupMenu1State(3, 2, true);
    EXPECT_FALSE(two.musicInfo);
    PopupState running = PopupMenu1State(3, 1, false);
    EXPECT_FALSE(running.del);
    EXPECT_TRUE(running.converter);
}

namespace {
// Delivers a drag of `paths` onto the list and, when the list takes it, the drop; returns whether the
// list took the drag.
bool DropOnto(QTreeWidget& view, const std::vector<std::string>& paths) {
    QMimeData data;
    QList<QUrl> urls;
    for (const std::string& path : paths)
        urls << QUrl::fromLocalFile(QString::fromStdString(path));
    data.setUrls(urls);
    const QPoint at = view.viewport()->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view.viewport(), &enter);
    if (!enter.isAccepted())
        return false;
    QDragMoveEvent move(at, Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view.viewport(), &move);
    QDropEvent drop(QPointF(at), Qt::CopyAction | Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view.viewport(), &drop);
    EXPECT_EQ(drop.dropAction(), Qt::CopyAction) << "the files stay where they are";
    return drop.isAccepted();
}
}  // namespace

TEST_F(JobListTest, DroppedFilesAndFoldersAddTheirMediaFilesUnderTheLimitAndNeverDuringARun) {
    testsupport::ScratchDir media;
    QDir().mkpath(QString::fromStdString(media.File("sub/deeper")));
    for (const char* name : {"a.avi", "b.MP3", "notes.txt", "sub/c.wav", "sub/deeper/d.mpeg", "sub/e.jpg"})
        testsupport::WriteBytes(media.File(name), "x");
    bool running = false;
    JobListDropTarget target(
        jobs, s, [&] { return !running; }, nullptr);

    ASSERT_TRUE(DropOnto(view, {media.File("notes.txt"), media.File("b.MP3"), media.File("sub")}));
    ExpectInStep();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0].SourceFile, media.File("b.MP3"));
    EXPECT_EQ(list[1].SourceFile, media.File("sub/c.wav"));
    EXPECT_EQ(list[2], (tListType{media.File("sub/deeper/d.mpeg"), media.File("sub/deeper/d.rm"), "T", "A",
                                  "C", "K", "D"}));
    EXPECT_TRUE(MessageBox::TakeShown().empty());

    // The limit and its message are Add File's: of the folder's four files only the first fits.
    s.MaxConverFile = 4;
    ASSERT_TRUE(DropOnto(view, {media.Path()}));
    auto shown = MessageBox::TakeShown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "You set max conver file is 4");
    ASSERT_EQ(list.size(), 4u);
    EXPECT_EQ(list[3].SourceFile, media.File("a.avi"));
    ExpectInStep();

    // During a run the list refuses the drag, and a drop that comes anyway adds nothing.
    s.MaxConverFile = 200;
    running = true;
    EXPECT_FALSE(DropOnto(view, {media.File("a.avi")}));
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(media.File("a.avi")))});
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view.viewport(), &drop);
    EXPECT_EQ(list.size(), 4u);
    // A drag of no local files is refused too.
    running = false;
    QMimeData text;
    text.setText(QStringLiteral("/m/a.avi"));
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(view.viewport(), &enter);
    EXPECT_FALSE(enter.isAccepted());

    // A name that is not UTF-8 keeps its bytes, found in a folder or dropped as Qt gives it (U+FFFD for
    // the byte), and is shown readably.
    testsupport::ScratchDir archive;
    testsupport::WriteBytes(archive.File("M\xfcller.wav"), "x");
    const std::string readable = archive.File("M\xEF\xBF\xBDller.wav");
    ASSERT_TRUE(DropOnto(view, {archive.Path(), readable}));
    ASSERT_EQ(list.size(), 6u);
    for (std::size_t i : {4u, 5u}) {
        EXPECT_EQ(list[i].SourceFile, archive.File("M\xfcller.wav"));
        EXPECT_EQ(list[i].DestFile, archive.File("M\xfcller.rm"));
        EXPECT_EQ(jobs.RowText(static_cast<int>(i), colSource), readable);
    }
}

TEST_F(JobListTest, AddFileOpensWhereFilesWereLastAddedFromKeptOutsideDataIni) {
    testsupport::ScratchDir user;
    QDir().mkpath(QString::fromStdString(user.File("home")));
    QDir().mkpath(QString::fromStdString(user.File("media")));
    const testsupport::ScopedEnv home("HOME", user.File("home").c_str());
    const testsupport::ScopedEnv config("XDG_CONFIG_HOME", user.File("config").c_str());

    // The first time: the home folder, or the videos folder once there is one.
    jobs.AddFiles(s);
    EXPECT_EQ(FileDialogs::LastOpenFilesFolder(), user.File("home"));
    QDir().mkpath(QString::fromStdString(user.File("home/Videos")));
    jobs.AddFiles(s);
    EXPECT_EQ(FileDialogs::LastOpenFilesFolder(), user.File("home/Videos"));

    FileDialogs::SetNextOpenFiles({user.File("media/a.avi"), user.File("media/b.wav")});
    jobs.AddFiles(s);
    jobs.AddFiles(s);
    EXPECT_EQ(FileDialogs::LastOpenFilesFolder(), user.File("media"));
    EXPECT_EQ(testsupport::FolderEntries(user.File("config/quenzor")),
              std::vector<std::string>{"quenzor.conf"});
    // Cancelling keeps the folder; one that has gone since is not offered.
    QDir(QString::fromStdString(user.File("media"))).removeRecursively();
    jobs.AddFiles(s);
    EXPECT_EQ(FileDialogs::LastOpenFilesFolder(), user.File("home/Videos"));
}
