#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTreeWidget>

#include "jobs/Playback.h"
#include "platform/Dialogs.h"
#include "platform/Shell.h"
#include "support/FileHelpers.h"

using namespace jobs;
using platform::MessageBox;

namespace {
class PlaybackTest : public ::testing::Test {
  protected:
    void SetUp() override {
        JobListView::SetUpView(view);
        MessageBox::TakeShown();
        platform::SetShellOpenHandler([this](const std::string& target) { opened.push_back(target); });
        root = dir.path().toStdString() + "/";
    }
    void TearDown() override {
        platform::SetShellOpenHandler([](const std::string&) {});
    }

    // Created by its bytes: the name need not be UTF-8.
    std::string Touch(const std::string& name) {
        const std::string path = root + name;
        testsupport::WriteBytes(path, "");
        return path;
    }
    std::vector<std::string> Texts() {
        std::vector<std::string> out;
        for (const auto& r : MessageBox::TakeShown())
            out.push_back(r.text);
        return out;
    }

    QTemporaryDir dir;
    std::string root;
    TJobList list;
    QTreeWidget view;
    JobListView jobs{list, view};
    settings::TSettings s;
    std::vector<std::string> opened;
};
}  // namespace

TEST_F(PlaybackTest, PlayingNeedsASelectedRow) {
    s.MaxConverFile = 10;
    jobs.AddChosenFiles({Touch("a.mp3")}, s);
    view.clearSelection();
    PlaySourceFile(jobs);
    PlayDestinationFile(jobs);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"Don't play! You must choose a real file in file list.",
                                                 "Don't play! You must choose a real file in file list."}));
    EXPECT_TRUE(opened.empty());
}

TEST_F(PlaybackTest, PlaysTheFirstSelectedRowsFileWhenItExists) {
    s.MaxConverFile = 10;
    const std::string first = Touch("first clip.mp3");
    const std::string second = Touch("second 'clip'.mp3");
    jobs.AddChosenFiles({first, second}, s);
    view.topLevelItem(1)->setSelected(true);
    view.topLevelItem(0)->setSelected(true);
    PlaySourceFile(jobs);
    EXPECT_EQ(opened, std::vector<std::string>{first});
    EXPECT_TRUE(Texts().empty());

    // The destination does not exist before a conversion.
    PlayDestinationFile(jobs);
    EXPECT_EQ(Texts(), std::vector<std::string>{"Don't find " + root + "first clip.rm"});
    Touch("first clip.rm");
    PlayDestinationFile(jobs);
    EXPECT_EQ(opened.back(), root + "first clip.rm");
}

TEST_F(PlaybackTest, NamesThatAreNotUtf8ReachThePlayerAsTheJobsOwnBytes) {
    s.MaxConverFile = 10;
    // Two names that read the same (caf\uFFFD.wav) and one alone.
    const std::string e9 = Touch("caf\xe9.wav");
    const std::string e8 = Touch("caf\xe8.wav");
    const std::string lone = Touch("lone \xff\xfe.mp3");
    jobs.AddChosenFiles({e9, e8, lone}, s);
    ASSERT_EQ(list.size(), 3u);
    for (int row : {1, 0, 2}) {
        view.clearSelection();
        view.topLevelItem(row)->setSelected(true);
        PlaySourceFile(jobs);
    }
    EXPECT_EQ(opened, (std::vector<std::string>{e8, e9, lone}));
    EXPECT_TRUE(Texts().empty());
    Touch("caf\xe8.rm");
    view.clearSelection();
    view.topLevelItem(1)->setSelected(true);
    PlayDestinationFile(jobs);
    EXPECT_EQ(opened.back(), root + "caf\xe8.rm");
    EXPECT_TRUE(Texts().empty());
}

TEST_F(PlaybackTest, ASourceDeletedAfterAddingIsReportedNotPlayed) {
    s.MaxConverFile = 10;
    const std::string path = Touch("gone.wav");
    jobs.AddChosenFiles({path}, s);
    QFile::remove(QString::fromStdString(path));
    view.topLevelItem(0)->setSelected(true);
    PlaySourceFile(jobs);
    EXPECT_EQ(Texts(), std::vector<std::string>{"Don't find " + path});
    EXPECT_TRUE(opened.empty());

    // A folder of that name is not a file to play.
    QDir().mkpath(QString::fromStdString(path));
    PlaySourceFile(jobs);
    EXPECT_EQ(Texts(), std::vector<std::string>{"Don't find " + path});
}

TEST_F(PlaybackTest, BrowsingOpensTheDestinationFolder) {
    OpenOutputFolder(jobs);
    EXPECT_EQ(Texts(), std::vector<std::string>{"You must choose a item."});
    EXPECT_TRUE(opened.empty());

    s.MaxConverFile = 10;
    jobs.AddChosenFiles({"/in/a.avi", "/in/b.avi"}, s);
    list[0].DestFile = "/out one/a.rm";
    list[1].DestFile = "/out two/b.rm";
    view.clearSelection();
    OpenOutputFolder(jobs);  // no selection: the first job's folder
    view.topLevelItem(1)->setSelected(true);
    OpenOutputFolder(jobs);
    EXPECT_EQ(opened, (std::vector<std::string>{"/out one/", "/out two/"}));
    EXPECT_TRUE(Texts().empty());
}
