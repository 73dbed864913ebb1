// Encodes ended from outside: killed outright, or told to stop by SIGTERM, SIGINT or SIGHUP. The
// destination is the old file or the new one, whole; no temporary file outlives the next start.
#include <gtest/gtest.h>
#include <signal.h>

#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>
#include <chrono>
#include <random>

#include "encoder/SafeOutput.h"
#include "support/EncoderHarness.h"
#include "support/FileHelpers.h"
#include "support/MediaFixtures.h"

namespace {

const std::string kOld = "the earlier destination, which must survive whole";

// Runs only as the child the test below starts: one encode, as the program makes it.
TEST(KilledEncodes, ChildEncode) {
    const QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    if (!env.contains("QUENZOR_KILL_CHILD"))
        GTEST_SKIP() << "started by KilledEncodes.LeaveTheOldOrTheNewFileAndNoTemporaryFile";
    encoder::RemoveTemporaryFilesOnSignals();
    EncoderHarness h;
    h.Set(env.value("QUENZOR_KILL_SOURCE").toStdString(),
          env.value("QUENZOR_KILL_DESTINATION").toStdString());
    h.Control().setTempDirectory(env.value("QUENZOR_KILL_TEMP").toStdString());
    ASSERT_TRUE(h.Encode());
    EXPECT_EQ(h.Errors(), 0) << h.LastError();
}

}  // namespace

TEST(KilledEncodes, LeaveTheOldOrTheNewFileAndNoTemporaryFile) {
    testsupport::ClipRecipe recipe;
    recipe.name = "killed.avi";
    recipe.seconds = 3;
    recipe.codecArgs = {"-c:v", "mpeg4", "-c:a", "pcm_s16le"};
    const std::string source = testsupport::MakeClip(recipe);
    testsupport::ScratchDir dir;
    const std::string temp = dir.File("temp");
    std::filesystem::create_directory(temp);
    const std::string destination = dir.File("out.rm");

    auto start = [&] {
        auto* child = new QProcess;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("QUENZOR_KILL_CHILD", "1");
        env.insert("QUENZOR_KILL_SOURCE", QString::fromStdString(source));
        env.insert("QUENZOR_KILL_DESTINATION", QString::fromStdString(destination));
        env.insert("QUENZOR_KILL_TEMP", QString::fromStdString(temp));
        // Whatever else a killed child leaves (its own scratch folders) stays in this test's folder.
        env.insert("TMPDIR", QString::fromStdString(dir.Path()));
        child->setProcessEnvironment(env);
        child->start(QCoreApplication::applicationFilePath(), {"--gtest_filter=KilledEncodes.ChildEncode"});
        EXPECT_TRUE(child->waitForStarted());
        return child;
    };

    // One whole run gives the new file's size and how long a run takes.
    const auto begin = std::chrono::steady_clock::now();
    QProcess* whole = start();
    ASSERT_TRUE(whole->waitForFinished(60000));
    ASSERT_EQ(whole->exitCode(), 0) << whole->readAll().toStdString();
    delete whole;
    const auto runMs =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - begin)
            .count();
    const std::size_t newSize = testsupport::ReadBytes(destination).size();
    ASSERT_GT(newSize, 1000u);

    std::mt19937 random(7);
    const int endings[] = {SIGKILL, SIGKILL, SIGTERM, SIGINT, SIGHUP};
    int oldKept = 0, newWritten = 0;
    for (int round = 0; round < 100; ++round) {
        testsupport::WriteBytes(destination, kOld);
        QProcess* child = start();
        QThread::msleep(std::uniform_int_distribution<long>(0, runMs * 6 / 5)(random));
        const int sig = endings[round % 5];
        const qint64 pid = child->processId();
        ::kill(static_cast<pid_t>(pid), sig);
        ASSERT_TRUE(child->waitForFinished(30000));
        delete child;
        const std::string now = testsupport::ReadBytes(destination);
        if (now == kOld) {
            ++oldKept;
        } else {
            ++newWritten;
            EXPECT_EQ(now.size(), newSize) << "round " << round;
            EXPECT_EQ(now.substr(0, 4), ".RMF") << "round " << round;
        }
        // A signal that can be caught removes the child's temporary files at once (those of children
        // killed outright before it may still wait for the next start).
        if (sig != SIGKILL) {
            const std::string mark = "-" + std::to_string(pid) + "-";
            for (const std::string& folder : {temp, dir.Path()})
                for (const std::string& file : LeftoverTempFiles(folder))
                    EXPECT_EQ(file.find(mark), std::string::npos) << "round " << round << ", signal " << sig;
        }
    }
    // What the killed ones left goes when the temporary folder is next named, as at the next start.
    EncoderHarness next;
    next.Control().setTempDirectory(temp);
    EXPECT_TRUE(LeftoverTempFiles(temp).empty());
    EXPECT_TRUE(oldKept > 0 && newWritten > 0) << oldKept << " old, " << newWritten << " new";
}
