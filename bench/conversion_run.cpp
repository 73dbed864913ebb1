// Measures what the run driver adds to a batch: first each of N short files is encoded on its own with
// the built-in encoder (the encode time), then the same files go through the run driver, which steps on
// the encoder's "encoding stopped" event with its one-second tick as a fallback (the run time). The
// overhead per job should stay at 50 ms or below.
//
//     bench_conversion_run [files=20] [seconds per file=2]
//
// Needs the ffmpeg tool to make the sources. Prints the totals and the overhead per job.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <string>

#include "BenchSupport.h"
#include "conversion/ApplyEncoderSettings.h"
#include "conversion/RunDriver.h"
#include "encoder/BuiltinEncoder.h"
#include "platform/Completion.h"
#include "platform/Dialogs.h"

namespace {

// A window-less host: the driver only needs the jobs and somewhere to put its texts.
class BenchHost : public conversion::RunHost {
  public:
    jobs::TJobList jobs;
    int RowCount() const override { return static_cast<int>(jobs.size()); }
    const jobs::tListType& Job(int row) const override { return jobs.at(static_cast<size_t>(row)); }
    void EnterRunningState() override {}
    void EnterIdleState() override {}
    void SetConvertToggleDown(bool) override {}
    void ShowProgressPanel(bool) override {}
    void SetStatusText(const std::string&) override {}
    void SetFileProgress(int) override {}
    void SetRunProgress(int) override {}
    void ShowFileNames(bool) override {}
    void SetFileNames(const std::string&, const std::string&) override {}
    void RepaintNow() override {}
    void JobFailed() override {}
    void JobSkipped() override {}
    bool SoundToggleDown() const override { return false; }
    bool TurnOffToggleDown() const override { return false; }
};

bool MakeSource(const QString& path, int seconds, int index) {
    const QString duration = QString::number(seconds);
    QStringList args{"-v",
                     "error",
                     "-y",
                     "-f",
                     "lavfi",
                     "-i",
                     QString("testsrc2=size=176x144:rate=15:duration=%1").arg(duration),
                     "-f",
                     "lavfi",
                     "-i",
                     QString("sine=frequency=%1:duration=%2").arg(300 + 20 * index).arg(duration),
                     "-c:v",
                     "mpeg4",
                     "-q:v",
                     "5",
                     "-c:a",
                     "pcm_s16le",
                     "-ar",
                     "22050",
                     "-shortest",
                     path};
    return QProcess::execute("ffmpeg", args) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 20;
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 2;
    platform::MessageBox::SetScripted(true);
    platform::SetSoundHandler([](const std::string&) {});
    platform::SetPowerOffHandler([] {});

    QTemporaryDir dir;
    QDir(dir.path()).mkdir("direct");
    QDir(dir.path()).mkdir("run");
    BenchHost host;
    for (int i = 0; i < count; ++i) {
        const QString source = dir.filePath(QString("clip%1.avi").arg(i));
        if (!MakeSource(source, seconds, i)) {
            std::fprintf(stderr, "ffmpeg could not make %s\n", qPrintable(source));
            return 1;
        }
        const std::string name = "clip" + std::to_string(i) + ".rm";
        host.jobs.push_back({source.toStdString(),
                             dir.filePath("run/" + QString::fromStdString(name)).toStdString(),
                             "Clip " + std::to_string(i), "Bench", "(c) Bench", "bench", "A bench clip"});
    }

    const settings::TSettings s = UsualAudiences(dir.path().toStdString());
    conversion::TProducerControl control(encoder::CreateBuiltinEncoder());

    // Each file on its own, timed from the start call to the encoder going idle.
    int failures = 0;
    QObject::connect(&control, &conversion::TProducerControl::ErrorOccurred, [&](int, const QString& text) {
        ++failures;
        std::fprintf(stderr, "encoder error: %s\n", qPrintable(text));
    });
    qint64 encodeMs = 0;
    conversion::ApplyEncoderSettings(control, s);
    for (const jobs::tListType& job : host.jobs) {
        control.setInputFilename(job.SourceFile);
        control.setOutputFilename(dir.filePath("direct/x.rm").toStdString());
        QElapsedTimer clock;
        clock.start();
        control.StartEncoding();
        WaitUntil([&] { return !control.IsEncoding(); });
        encodeMs += clock.elapsed();
    }

    // The same files as one run.
    conversion::RunDriver driver(host, control, s);
    QElapsedTimer clock;
    clock.start();
    driver.Start();
    WaitUntil([&] { return !driver.Running(); });
    const qint64 runMs = clock.elapsed();

    int written = 0;
    for (const jobs::tListType& job : host.jobs)
        written += QFile::exists(QString::fromStdString(job.DestFile));
    std::printf("files %d of %d s each, written %d, encoder errors %d\n", count, seconds, written, failures);
    std::printf("encode time %.2f s, run time %.2f s, overhead %.2f s = %.0f ms per job (goal: 50 ms)\n",
                encodeMs / 1000.0, runMs / 1000.0, (runMs - encodeMs) / 1000.0,
                static_cast<double>(runMs - encodeMs) / count);
    return written == count && failures == 0 ? 0 : 1;
}
