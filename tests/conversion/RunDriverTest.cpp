#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <filesystem>
#include <memory>

#include "conversion/CompletionActions.h"
#include "conversion/RunDriver.h"
#include "encoder/SafeOutput.h"
#include "platform/Completion.h"
#include "platform/Dialogs.h"
#include "platform/ProgramDir.h"
#include "platform/core/Claim.h"
#include "support/FakeProducer.h"

namespace {
using encoder::DispId;
using platform::MsgButton;
using Calls = std::vector<std::string>;

// The window as the driver sees it, with every change recorded.
class RecordingHost : public conversion::RunHost {
  public:
    jobs::TJobList jobs;
    bool running = false;  // command states
    bool toggleDown = false;
    bool panelVisible = false;
    bool namesVisible = false;
    std::string status = "(form text)";
    int fileBar = -1;
    int runBar = -1;
    std::string source, destination;
    std::vector<int> runBars;  // every value the run bar was given
    int repaints = 0;
    bool sound = false, turnOff = false;
    int failed = 0, skipped = 0;  // jobs whose encode ended without their file
    // Hook run when the window repaints, i.e. after the names are shown and before the encoder is told.
    std::function<void()> onRepaint;

    int RowCount() const override { return static_cast<int>(jobs.size()); }
    const jobs::tListType& Job(int row) const override { return jobs.at(static_cast<size_t>(row)); }
    void EnterRunningState() override { running = toggleDown = true; }
    void EnterIdleState() override { running = toggleDown = false; }
    void SetConvertToggleDown(bool down) override { toggleDown = down; }
    void ShowProgressPanel(bool visible) override { panelVisible = visible; }
    void SetStatusText(const std::string& text) override { status = text; }
    void SetFileProgress(int percent) override { fileBar = percent; }
    void SetRunProgress(int percent) override {
        runBar = percent;
        runBars.push_back(percent);
    }
    void ShowFileNames(bool visible) override { namesVisible = visible; }
    void SetFileNames(const std::string& s, const std::string& d) override {
        source = s;
        destination = d;
    }
    void RepaintNow() override {
        ++repaints;
        if (onRepaint)
            onRepaint();
    }
    void JobFailed() override { ++failed; }
    void JobSkipped() override { ++skipped; }
    bool SoundToggleDown() const override { return sound; }
    bool TurnOffToggleDown() const override { return turnOff; }
};

class RunDriverTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        auto fake = std::make_unique<testsupport::FakeProducer>();
        producer = fake.get();
        control = std::make_unique<conversion::TProducerControl>(std::move(fake));
        settings.filetype = 1;
        driver = std::make_unique<conversion::RunDriver>(host, *control, settings);
        platform::MessageBox::TakeShown();
        platform::SetSoundHandler([this](const std::string& path) { completion.push_back("sound " + path); });
        platform::SetPowerOffHandler([this] { completion.push_back("power off"); });
    }
    void TearDown() override {
        platform::SetSoundHandler([](const std::string&) {});
        platform::SetPowerOffHandler([] {});
        platform::MessageBox::TakeShown();
    }

    std::string Path(const std::string& name) const {
        return QDir(dir.path()).filePath(name.c_str()).toStdString();
    }
    void AddJobs(int n) {
        for (int i = 1; i <= n; ++i) {
            std::string k = std::to_string(i);
            host.jobs.push_back({Path("in" + k + ".avi"), Path("out" + k + ".rm"), "T" + k, "A" + k, "C" + k,
                                 "K" + k, "D" + k});
        }
    }
    static void Touch(const std::string& path) {
        QFile f(QString::fromStdString(path));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old");
    }
    static QByteArray Contents(const std::string& path) {
        QFile f(QString::fromStdString(path));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    // Start, then after the first tick forget the settings writes.
    void StartRun() {
        driver->Start();
        producer->ClearLog();
    }
    // The encoder confirms the start and later finishes; the next tick finds it idle.
    void EncodeCurrent() {
        producer->RaiseStarted();
        producer->FinishEncode();
    }
    // The writes that prepare job k (1-based) followed by the start call.
    Calls JobCalls(int k, bool started = true) const {
        const jobs::tListType& j = host.jobs.at(static_cast<size_t>(k - 1));
        Calls c{"InputFilename=" + j.SourceFile,
                "OutputFilename=" + j.DestFile,
                "Title=" + j.Title,
                "Author=" + j.Author,
                "Copyright=" + j.Copyright,
                "Description=" + j.Description,
                "Keywords=" + j.Keywords};
        if (started)
            c.push_back("StartEncoding()");
        return c;
    }
    static Calls Join(std::initializer_list<Calls> parts) {
        Calls all;
        for (const Calls& p : parts)
            all.insert(all.end(), p.begin(), p.end());
        return all;
    }
    std::vector<platform::MessageRequest> Boxes() { return platform::MessageBox::TakeShown(); }
    bool Armed() { return driver->Timer1().isActive(); }

    QTemporaryDir dir;
    RecordingHost host;
    settings::TSettings settings;
    testsupport::FakeProducer* producer = nullptr;
    std::unique_ptr<conversion::TProducerControl> control;
    std::unique_ptr<conversion::RunDriver> driver;
    Calls completion;
};

TEST_F(RunDriverTest, ConvertsEveryJobInListOrderThenRunsTheCompletionActions) {
    AddJobs(3);
    host.sound = host.turnOff = true;
    driver->Start();
    EXPECT_EQ(producer->Calls().size(), 15u) << "the settings are applied at Start";
    EXPECT_TRUE(host.running);
    EXPECT_TRUE(host.panelVisible);
    EXPECT_EQ(host.status, "(form text)") << "the status line keeps its text until the first step";
    EXPECT_EQ(host.fileBar, 0);
    EXPECT_EQ(host.runBar, 0);
    EXPECT_EQ(driver->Timer1().interval(), 1000);
    EXPECT_TRUE(Armed());
    producer->ClearLog();

    for (int k = 1; k <= 3; ++k) {
        driver->Timer1Timer();
        EXPECT_EQ(host.status, "Converting...");
        EXPECT_TRUE(host.namesVisible);
        EXPECT_EQ(host.source, host.jobs[k - 1].SourceFile);
        EXPECT_EQ(host.destination, host.jobs[k - 1].DestFile);
        EXPECT_TRUE(Armed());
        // Ticks while the encoder works change nothing.
        driver->Timer1Timer();
        producer->RaiseStarted();
        EXPECT_EQ(driver->NextJob(), k);
        driver->Timer1Timer();
        producer->FinishEncode();
    }
    EXPECT_EQ(producer->Calls(), Join({JobCalls(1), JobCalls(2), JobCalls(3)}));
    EXPECT_EQ(host.runBars, (std::vector<int>{0, 0, 33, 66}));
    EXPECT_TRUE(completion.empty());

    driver->Timer1Timer();
    EXPECT_FALSE(Armed());
    EXPECT_FALSE(host.running);
    EXPECT_FALSE(host.panelVisible);
    EXPECT_FALSE(host.namesVisible);
    EXPECT_FALSE(driver->Running());
    EXPECT_EQ(producer->StopCount(), 0) << "the encoder was idle";
    EXPECT_EQ(completion, (Calls{"sound " + platform::ProgramDirectory() + "Tada.wav", "power off"}));
    EXPECT_TRUE(Boxes().empty());
    EXPECT_TRUE(host.sound && host.turnOff) << "a run leaves the toggles as they were";
}

TEST_F(RunDriverTest, TheEncodersStoppedEventStepsAtOnceAndNeverTwice) {
    AddJobs(2);
    StartRun();
    driver->Timer1Timer();
    producer->RaiseStopped();  // before the start is confirmed: not this job's end
    EXPECT_EQ(producer->StartCount(), 1);
    producer->RaiseStarted();
    producer->RaiseStopped();  // still encoding: nothing
    EXPECT_EQ(producer->StartCount(), 1);
    producer->FinishEncode();
    producer->RaiseStopped();
    EXPECT_EQ(producer->Calls(), Join({JobCalls(1), JobCalls(2)})) << "no tick needed";
    EXPECT_TRUE(Armed()) << "the tick stays as a fallback";
    producer->RaiseStarted();
    producer->FinishEncode();
    producer->RaiseStopped();
    EXPECT_FALSE(driver->Running());
    EXPECT_EQ(completion.size(), 0u);

    // After an error the run is over; the stopped event that follows it starts nothing.
    StartRun();
    driver->Timer1Timer();
    producer->RaiseStarted();
    producer->FinishEncode();
    producer->RaiseError(5, u"broken");
    producer->RaiseStopped();
    EXPECT_EQ(producer->StartCount(), 3);
    EXPECT_FALSE(driver->Running());
    EXPECT_EQ(Boxes().size(), 1u);
}

TEST_F(RunDriverTest, PanelShowsTheJobBeforeTheEncoderIsToldAndFollowsProgress) {
    AddJobs(4);
    StartRun();
    Calls seenAtRepaint;
    host.onRepaint = [&] { seenAtRepaint = producer->Calls(); };
    for (int k = 1; k <= 4; ++k) {
        host.fileBar = -1;
        driver->Timer1Timer();
        EXPECT_EQ(host.fileBar, 0);
        EXPECT_EQ(host.runBar, (k - 1) * 25);
        EXPECT_EQ(seenAtRepaint.size(), static_cast<size_t>((k - 1) * 8)) << "repaint comes before job " << k;
        producer->RaiseStarted();
        producer->RaiseProgress(42, 9000, 3000, 17);
        EXPECT_EQ(host.status, "Converting... (42%)");
        EXPECT_EQ(host.fileBar, 42);
        producer->RaiseProgress(100);
        EXPECT_EQ(host.status, "Converting... (100%)");
        producer->FinishEncode();
    }
    EXPECT_EQ(host.repaints, 4);
    driver->Timer1Timer();
    EXPECT_EQ(host.runBars, (std::vector<int>{0, 0, 25, 50, 75})) << "the run bar never shows 100";
}

TEST_F(RunDriverTest, StartWithAnEmptyListOnlyLetsTheToggleUp) {
    host.toggleDown = true;
    driver->Start();
    EXPECT_FALSE(host.toggleDown);
    EXPECT_FALSE(host.running);
    EXPECT_FALSE(host.panelVisible);
    EXPECT_FALSE(Armed());
    EXPECT_TRUE(producer->Calls().empty()) << "not even the settings are applied";
}

TEST_F(RunDriverTest, StopWhileEncodingStopsTheEncoderOnceAndLaterEventsChangeNothing) {
    AddJobs(3);
    host.sound = host.turnOff = true;
    StartRun();
    driver->Timer1Timer();
    producer->RaiseStarted();
    driver->Timer1Timer();
    producer->RaiseStarted();  // a second confirmation for the same start is not a new job
    EXPECT_EQ(driver->NextJob(), 1);
    producer->ClearLog();

    driver->Stop();
    EXPECT_EQ(producer->Calls(), Calls{"StopEncoding()"});
    EXPECT_FALSE(host.running);
    EXPECT_FALSE(host.panelVisible);
    EXPECT_FALSE(host.namesVisible);
    EXPECT_FALSE(Armed());

    // The stopped encode still reports: a stopped run stays stopped and nothing is shown.
    producer->RaiseStarted();
    producer->RaiseProgress(50);
    producer->RaiseError(7, u"Encoding was stopped");
    EXPECT_FALSE(Armed());
    EXPECT_EQ(driver->NextJob(), 1);
    EXPECT_NE(host.status, "Converting... (50%)");
    EXPECT_TRUE(Boxes().empty());
    driver->Stop();
    EXPECT_EQ(producer->StopCount(), 1) << "Stop when idle does not call the encoder";
    EXPECT_TRUE(completion.empty());

    // The next run begins with the first job again. What the stopped encode reports once it has begun is
    // not this run's: it neither ends the run nor steps it.
    StartRun();
    producer->RaiseProgress(60);
    producer->RaiseError(7, u"Encoding was stopped");
    producer->RaiseStopped();
    EXPECT_TRUE(driver->Running());
    EXPECT_TRUE(Boxes().empty());
    EXPECT_NE(host.status, "Converting... (60%)");
    EXPECT_TRUE(producer->Calls().empty()) << "the first job waits for the stepper";
    driver->Timer1Timer();
    EXPECT_EQ(producer->Calls(), JobCalls(1));
}

TEST_F(RunDriverTest, RestartDuringARunBeginsAgainWithTheFirstJobOnceTheEncoderIsIdle) {
    AddJobs(3);
    StartRun();
    driver->Timer1Timer();
    EncodeCurrent();
    driver->Timer1Timer();  // job 2 is handed over, its confirmation not yet in
    producer->ClearLog();

    driver->Start();
    EXPECT_EQ(producer->Calls().size(), 15u) << "settings applied again";
    EXPECT_EQ(driver->NextJob(), 0);
    producer->RaiseStarted();  // belongs to the old run's job 2
    EXPECT_EQ(driver->NextJob(), 0);
    producer->ClearLog();
    driver->Timer1Timer();  // still encoding
    EXPECT_TRUE(producer->Calls().empty());
    producer->FinishEncode();
    driver->Timer1Timer();
    EXPECT_EQ(producer->Calls(), JobCalls(1));
}

// ---- existing destinations

TEST_F(RunDriverTest, OverwriteQuestionTextsAndNoSkipsEveryJobButStillCompletes) {
    AddJobs(3);
    for (const auto& j : host.jobs)
        Touch(j.DestFile);
    host.sound = true;
    StartRun();
    for (int k = 1; k <= 3; ++k)
        platform::MessageBox::SetNextAnswer(MsgButton::No);
    driver->Timer1Timer();  // a declined job costs no wait: one step asks all three and ends the run
    EXPECT_FALSE(driver->Running());
    EXPECT_FALSE(Armed());
    EXPECT_EQ(producer->Calls(), Join({JobCalls(1, false), JobCalls(2, false), JobCalls(3, false)}));
    std::vector<platform::MessageRequest> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 3u);
    const platform::MessageRequest& q = boxes[0];
    EXPECT_EQ(q.title, "Confirm");
    EXPECT_EQ(q.text, "Are you sure overwrite " + host.jobs[0].DestFile);
    EXPECT_EQ(q.icon, platform::MsgIcon::Question);
    EXPECT_EQ(q.buttons, (std::vector<MsgButton>{MsgButton::Yes, MsgButton::No, MsgButton::All}));
    EXPECT_EQ(q.defaultButton, MsgButton::Yes);
    EXPECT_EQ(q.escapeButton, MsgButton::No);
    EXPECT_EQ(host.runBars, (std::vector<int>{0, 0, 33, 66}));
    EXPECT_EQ(completion.size(), 1u) << "a run of skipped jobs is complete";
    for (const auto& j : host.jobs)
        EXPECT_EQ(Contents(j.DestFile), "old");
}

TEST_F(RunDriverTest, ClosingTheQuestionWithoutAnAnswerKeepsTheFile) {
    AddJobs(2);
    Touch(host.jobs[0].DestFile);
    StartRun();
    platform::MessageBox::SetNextAnswer(MsgButton::None);
    driver->Timer1Timer();
    EXPECT_EQ(producer->Calls(), Join({JobCalls(1, false), JobCalls(2)})) << "job 2 follows at once";
    EXPECT_EQ(Contents(host.jobs[0].DestFile), "old");
}

TEST_F(RunDriverTest, YesOverwritesOneAndAllSilencesTheQuestionForTheRestOfTheRunOnly) {
    AddJobs(4);
    for (const auto& j : host.jobs)
        Touch(j.DestFile);
    StartRun();
    platform::MessageBox::SetNextAnswer(MsgButton::Yes);
    driver->Timer1Timer();
    EXPECT_FALSE(driver->OverwriteAll());
    EncodeCurrent();
    platform::MessageBox::SetNextAnswer(MsgButton::All);
    driver->Timer1Timer();
    EXPECT_TRUE(driver->OverwriteAll());
    for (int k = 3; k <= 4; ++k) {
        EncodeCurrent();
        driver->Timer1Timer();
    }
    EncodeCurrent();
    driver->Timer1Timer();
    EXPECT_EQ(producer->Calls(), Join({JobCalls(1), JobCalls(2), JobCalls(3), JobCalls(4)}));
    EXPECT_EQ(Boxes().size(), 2u);
    EXPECT_FALSE(driver->Running());

    StartRun();
    EXPECT_FALSE(driver->OverwriteAll());
    platform::MessageBox::SetNextAnswer(MsgButton::No);
    driver->Timer1Timer();
    const std::vector<platform::MessageRequest> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 2u) << "the next run asks again, and after a No at once about the next job";
    EXPECT_EQ(boxes[1].text, "Are you sure overwrite " + host.jobs[1].DestFile);
}

TEST_F(RunDriverTest, AllAtTheFirstQuestionAsksNoMore) {
    AddJobs(3);
    for (const auto& j : host.jobs)
        Touch(j.DestFile);
    StartRun();
    platform::MessageBox::SetNextAnswer(MsgButton::All);
    for (int k = 1; k <= 3; ++k) {
        driver->Timer1Timer();
        EncodeCurrent();
    }
    EXPECT_EQ(producer->StartCount(), 3);
    EXPECT_EQ(Boxes().size(), 1u);
}

TEST_F(RunDriverTest, TwoJobsWithOneDestinationEndTheRunBeforeTheSecondReplacesTheFirst) {
    AddJobs(3);
    host.jobs[1].DestFile = host.jobs[0].DestFile;
    StartRun();
    producer->onStart = [&] { Touch(host.jobs[0].DestFile); };  // the encoder writes its output
    driver->Timer1Timer();
    EncodeCurrent();
    EXPECT_TRUE(Boxes().empty());
    driver->Timer1Timer();
    std::vector<platform::MessageRequest> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u) << "no overwrite question";
    EXPECT_EQ(boxes[0].icon, platform::MsgIcon::Error);
    EXPECT_EQ(boxes[0].text,
              host.jobs[1].SourceFile + " and " + host.jobs[0].SourceFile + " would both become " +
                  host.jobs[0].DestFile + "; " + host.jobs[0].SourceFile +
                  " has it. Rename one of them, or choose another output folder for one of them.");
    EXPECT_EQ(producer->StartCount(), 1);
    EXPECT_FALSE(driver->Running());
    EXPECT_EQ(Contents(host.jobs[0].DestFile), "old");
}

TEST_F(RunDriverTest, ADestinationThatIsASourceOfTheRunIsRefusedBeforeAnythingIsAskedOrWritten) {
    AddJobs(2);
    Touch(host.jobs[1].SourceFile);
    // The first job's destination is a link to the second job's source.
    ASSERT_TRUE(QFile::link(QString::fromStdString(host.jobs[1].SourceFile),
                            QString::fromStdString(host.jobs[0].DestFile)));
    StartRun();
    driver->Timer1Timer();
    std::vector<platform::MessageRequest> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u) << "no overwrite question";
    EXPECT_EQ(boxes[0].title, "Error");
    EXPECT_EQ(boxes[0].text, host.jobs[0].DestFile + " is the source file " + host.jobs[1].SourceFile +
                                 " of this run; it was left as it was. Choose another output folder.");
    EXPECT_EQ(producer->StartCount(), 0);
    EXPECT_FALSE(driver->Running());
    EXPECT_EQ(Contents(host.jobs[1].SourceFile), "old");
}

TEST_F(RunDriverTest, AFolderAtTheDestinationIsNoExistingFileAndTheEncoderReportsIt) {
    AddJobs(2);
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(host.jobs[0].DestFile)));
    StartRun();
    producer->onStart = [&] {
        producer->isEncoding = false;
        producer->RaiseError(3, u"Cannot write the destination file: Is a directory");
    };
    driver->Timer1Timer();
    std::vector<platform::MessageRequest> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u) << "no overwrite question for a folder, one error";
    EXPECT_EQ(boxes[0].title, "Error");
    EXPECT_EQ(boxes[0].text, "Cannot write the destination file: Is a directory");
    EXPECT_TRUE(QDir(QString::fromStdString(host.jobs[0].DestFile)).exists());
}

// ---- failures

TEST_F(RunDriverTest, ClaimsAndSkipsAsTheCommandLineDoesWithoutEverWaiting) {
    AddJobs(3);
    // quenzor-convert is writing the first destination; the third's claim name is a link to a user's file.
    const platform::Claim other(host.jobs[0].DestFile);
    ASSERT_EQ(other.GetState(), platform::Claim::State::Held);
    const std::string third = platform::ClaimPath(host.jobs[2].DestFile);
    ASSERT_EQ(::symlink(Path("notes.txt").c_str(), third.c_str()), 0);
    StartRun();

    driver->Timer1Timer();
    EXPECT_EQ(driver->NextJob(), 1) << "left to the other conversion, without a question";
    EXPECT_TRUE(Armed());
    driver->Timer1Timer();
    const std::string second = platform::ClaimPath(host.jobs[1].DestFile);
    EXPECT_TRUE(std::filesystem::is_regular_file(second)) << "claimed while it is encoded";
    // Another program writes the second destination while it is encoded: the encoder keeps that file, and
    // the job is skipped without a word while the run goes on with the next job.
    producer->RaiseStarted();
    Touch(host.jobs[1].DestFile);
    producer->FinishEncode();
    producer->RaiseError(
        -1,
        QString::fromStdString(encoder::DestinationAppearedError(host.jobs[1].DestFile)).toStdU16String());
    EXPECT_TRUE(driver->Running());
    EXPECT_TRUE(Boxes().empty());
    EXPECT_EQ(host.skipped, 1);
    EXPECT_EQ(host.failed, 0);
    producer->RaiseStopped();
    EXPECT_FALSE(std::filesystem::exists(second)) << "given up when its encode ended";
    EXPECT_EQ(Contents(host.jobs[1].DestFile), "old");

    EXPECT_FALSE(driver->Running()) << "a claim name that is not a plain file ends the run";
    std::vector<platform::MessageRequest> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, platform::MsgIcon::Error);
    EXPECT_NE(boxes[0].text.find(third), std::string::npos) << boxes[0].text;
    EXPECT_FALSE(std::filesystem::exists(Path("notes.txt"))) << "nothing written through the link";
    EXPECT_EQ(producer->Calls(), Join({JobCalls(1, false), JobCalls(2), JobCalls(3, false)}));
}

TEST_F(RunDriverTest, EncoderErrorOnTheSecondOfFiveEndsTheRunWithItsSentence) {
    AddJobs(5);
    host.sound = host.turnOff = true;
    StartRun();
    driver->Timer1Timer();
    EncodeCurrent();
    driver->Timer1Timer();
    producer->RaiseStarted();
    producer->RaiseProgress(10);
    producer->isEncoding = false;  // the control has given up on this file
    producer->RaiseError(-5,
                         u"Cannot read the source file in2.avi: Invalid data found when processing input");

    EXPECT_FALSE(driver->Running());
    EXPECT_FALSE(host.running);
    EXPECT_FALSE(host.panelVisible);
    EXPECT_FALSE(Armed());
    std::vector<platform::MessageRequest> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Error");
    EXPECT_EQ(boxes[0].icon, platform::MsgIcon::Error);
    EXPECT_EQ(boxes[0].buttons, std::vector<MsgButton>{MsgButton::Ok});
    EXPECT_EQ(boxes[0].text, "Cannot read the source file in2.avi: Invalid data found when processing input");
    EXPECT_EQ(host.failed, 1);
    EXPECT_EQ(host.skipped, 0);
    for (int i = 0; i < 3; ++i)
        driver->Timer1Timer();
    EXPECT_EQ(producer->Calls(), Join({JobCalls(1), JobCalls(2)})) << "jobs 3 to 5 untouched";
    EXPECT_TRUE(completion.empty());
}

TEST_F(RunDriverTest, AnErrorRaisedInsideTheStartCallEndsTheRunInsteadOfRetrying) {
    AddJobs(2);
    StartRun();
    producer->onStart = [&] {
        producer->isEncoding = false;
        producer->RaiseError(1, u"Cannot read the source file");
    };
    driver->Timer1Timer();
    EXPECT_FALSE(Armed());
    EXPECT_FALSE(driver->Running());
    for (int i = 0; i < 3; ++i)
        driver->Timer1Timer();
    EXPECT_EQ(producer->StartCount(), 1);
    EXPECT_EQ(Boxes().size(), 1u);
}

TEST_F(RunDriverTest, AStartConfirmedInsideTheStartCallCountsOnce) {
    AddJobs(2);
    StartRun();
    producer->onStart = [&] { producer->RaiseStarted(); };
    driver->Timer1Timer();
    EXPECT_EQ(driver->NextJob(), 1);
    EXPECT_TRUE(Armed());
    producer->FinishEncode();
    driver->Timer1Timer();
    EXPECT_EQ(producer->Calls(), Join({JobCalls(1), JobCalls(2)}));
}

TEST_F(RunDriverTest, ARefusedWriteShowsTheControlsMessageAndWaitsForStop) {
    AddJobs(3);
    StartRun();
    producer->RefuseProperty(DispId::Title, "The control refused the title");
    driver->Timer1Timer();
    EXPECT_EQ(producer->Calls(), (Calls{"InputFilename=" + host.jobs[0].SourceFile,
                                        "OutputFilename=" + host.jobs[0].DestFile, "Title=T1"}));
    std::vector<platform::MessageRequest> boxes = Boxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].title, "Error");
    EXPECT_EQ(boxes[0].text, "The control refused the title");
    EXPECT_FALSE(Armed()) << "the stepper stays disarmed";
    EXPECT_TRUE(host.running) << "the window stays running until Stop";
    EXPECT_TRUE(host.panelVisible);

    driver->Stop();
    EXPECT_FALSE(host.running);
    EXPECT_FALSE(host.panelVisible);
    EXPECT_EQ(producer->StopCount(), 0);
}

TEST_F(RunDriverTest, ARefusedStartCallIsReportedTheSameWay) {
    AddJobs(1);
    StartRun();
    producer->RefuseStart("Encoding is already in progress");
    driver->Timer1Timer();
    EXPECT_EQ(Boxes().at(0).text, "Encoding is already in progress");
    EXPECT_FALSE(Armed());
    EXPECT_TRUE(host.running);
    producer->RaiseStarted();  // no start was made, so nothing is confirmed
    EXPECT_EQ(driver->NextJob(), 0);
    EXPECT_FALSE(Armed());
}

TEST_F(RunDriverTest, ARefusedSettingAtStartLeavesTheWindowIdle) {
    AddJobs(2);
    host.toggleDown = true;  // the toggle gave Start and stays down
    producer->RefuseProperty(DispId::SureStream, "Bad value");
    driver->Start();
    EXPECT_EQ(Boxes().at(0).text, "Bad value");
    EXPECT_FALSE(host.running);
    EXPECT_TRUE(host.toggleDown);
    EXPECT_FALSE(host.panelVisible);
    EXPECT_FALSE(Armed());
    EXPECT_FALSE(driver->Running());
}

TEST(CompletionActions, SoundFromTheProgramDirectoryThenPowerOffEachOnlyWhenDown) {
    Calls done;
    platform::SetSoundHandler([&](const std::string& path) { done.push_back("sound " + path); });
    platform::SetPowerOffHandler([&] { done.push_back("power off"); });
    const std::string saved = platform::ProgramDirectory();
    platform::SetProgramDirectory("/opt/Quenzor/");
    conversion::PerformCompletionActions(true, true);
    conversion::PerformCompletionActions(false, true);
    conversion::PerformCompletionActions(true, false);
    conversion::PerformCompletionActions(false, false);
    platform::SetProgramDirectory(saved);
    platform::SetSoundHandler([](const std::string&) {});
    platform::SetPowerOffHandler([] {});
    EXPECT_EQ(done, (Calls{"sound /opt/Quenzor/Tada.wav", "power off", "power off",
                           "sound /opt/Quenzor/Tada.wav"}));
}

}  // namespace
