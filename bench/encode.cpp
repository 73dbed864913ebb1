// Encoding benchmark (run by hand: bench_encode [seconds] [rounds]).
//
// 1. A 60 s 640x480 clip with sound, encoded for the 512K audience by the built-in encoder, against the
//    ffmpeg command line making the same codecs, frame size, frame rate and bit rates with its own rm
//    muxer. Reports the wall-time ratio and each side's peak memory.
// 2. A SureStream encode for all eight audiences against eight single-rate encodes of the same clip.
// 3. Damaged sources whose times leap a day ahead, encoded single-rate: their peak memory and time.
// Every encode runs in a child process of its own, so that wall time and peak memory are its alone. The
// comparisons run in rounds (7 unless told), each side once per round, and report the median of the
// rounds' ratios, so that a burst of other work on the machine moves one round, not the result.
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "encoder/Audiences.h"
#include "encoder/BuiltinEncoder.h"
#include "encoder/EncodeSettings.h"

extern char** environ;

namespace {

using encoder::DispId;

constexpr int kAudioContent = 2;  // music

// What the encoder aims at.
constexpr double kSingleRateGoal = 0.85;  // of the ffmpeg command line's wall time
constexpr double kPeakMiBGoal = 64;       // a single-rate encode of the clip
constexpr double kSureStreamGoal = 0.40;  // of eight single-rate encodes' wall time
constexpr double kDamagedPeakMiBGoal = 200;

struct Run {
    double seconds = 0;
    double cpuSeconds = 0;  // user and system, every thread
    long peakKiB = 0;
    int status = -1;
};

// Runs a program as a child and measures it.
Run Measure(const std::vector<std::string>& args) {
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    Run run;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return run;
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                     static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    run.peakKiB = usage.ru_maxrss;
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

// Child mode: one encode through the control, as the program drives it.
int EncodeChild(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    encoder::QuietLibavLogging();  // as the program does: a damaged source's complaints are no result
    auto control = encoder::CreateBuiltinEncoder();
    struct Sink : encoder::EventSink {
        int failed = 0;
        void OnEncodingStarted() override {}
        void OnErrorOccurred(std::int32_t, const std::u16string& text) override {
            std::fprintf(stderr, "%s\n", QString::fromStdU16String(text).toUtf8().constData());
            failed = 1;
        }
        void OnEncodingProgressChanged(std::int32_t, std::int32_t, std::int32_t, std::int32_t) override {}
    } sink;
    control->Advise(&sink);
    auto text = [](const char* s) { return encoder::DispValue(QString::fromUtf8(s).toStdU16String()); };
    control->PutProperty(DispId::InputFilename, text(argv[2]));
    control->PutProperty(DispId::OutputFilename, text(argv[3]));
    control->PutProperty(DispId::SureStream,
                         std::atoi(argv[4]) ? encoder::kVariantTrue : encoder::kVariantFalse);
    control->PutProperty(DispId::AudioContent, std::int32_t{kAudioContent});
    for (int i = 5; i < argc; ++i)
        control->PutProperty(
            encoder::kTargetAudiences.at(static_cast<std::size_t>(std::atoi(argv[i]))).property,
            encoder::kVariantTrue);
    control->StartEncoding();
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (std::get<encoder::VariantBool>(control->GetProperty(DispId::IsEncoding)) ==
            encoder::kVariantFalse)
            app.quit();
    });
    poll.start(5);
    app.exec();
    control->Advise(nullptr);
    return sink.failed;
}

// Duration and size of an output, as ffprobe reads it, so that a quick run is seen to be a whole one.
std::string Describe(const std::string& path) {
    const std::string command =
        "ffprobe -v error -show_entries format=duration,size -of csv=p=0 '" + path + "'";
    std::string text;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, pipe))
            text += line;
        pclose(pipe);
    }
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    return "duration,bytes: " + text;
}

void Report(const char* what, const Run& run) {
    std::printf("%-44s %8.2f s  CPU %6.2f s  peak %7.1f MiB  %s\n", what, run.seconds, run.cpuSeconds,
                run.peakKiB / 1024.0, run.status == 0 ? "ok" : "FAILED");
}

// How far the rounds' ratios spread: on a busy machine a round's ratio moves by more than the goals'
// margins, and the reader of a result should see it.
void ReportSpread(const std::vector<double>& ratios) {
    const auto [low, high] = std::minmax_element(ratios.begin(), ratios.end());
    std::printf("    rounds' ratios from %.2f to %.2f\n", *low, *high);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// The median run of several (by wall time), with the highest peak memory of them all.
struct Runs {
    std::vector<Run> all;
    Run Typical() const {
        std::vector<Run> sorted = all;
        std::sort(sorted.begin(), sorted.end(),
                  [](const Run& a, const Run& b) { return a.seconds < b.seconds; });
        Run r = sorted[sorted.size() / 2];
        for (const Run& run : all) {
            r.peakKiB = std::max(r.peakKiB, run.peakKiB);
            r.status |= run.status;
        }
        return r;
    }
};

const char* Verdict(bool met) {
    return met ? "goal met" : "GOAL MISSED";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 5 && std::string(argv[1]) == "--encode")
        return EncodeChild(argc, argv);
    const std::string seconds = argc > 1 ? argv[1] : "60";
    const int rounds = std::max(1, argc > 2 ? std::atoi(argv[2]) : 7);
    const std::string self = std::filesystem::canonical("/proc/self/exe").string();
    QTemporaryDir dir;
    const std::string source = dir.path().toStdString() + "/source.avi";
    std::printf("Making a %s s 640x480 clip with sound...\n", seconds.c_str());
    const Run made =
        Measure({"ffmpeg", "-v",    "error", "-y",
                 "-f",     "lavfi", "-i",    "testsrc2=size=640x480:rate=25:duration=" + seconds,
                 "-f",     "lavfi", "-i",    "aevalsrc=sin(2*PI*(300+200*sin(t))*t)*0.5:s=44100:d=" + seconds,
                 "-ac",    "2",     "-c:v",  "mpeg4",
                 "-q:v",   "3",     "-c:a",  "libmp3lame",
                 "-b:a",   "192k",  source});
    if (made.status != 0)
        return 1;

    // The 512K audience's plan, so that the command line makes the same streams.
    encoder::EncodeChoice choice;
    choice.targets[static_cast<size_t>(encoder::Audience::DSL512K)] = true;
    choice.audioContent = kAudioContent;
    encoder::SourceShape shape;
    shape.hasAudio = shape.hasVideo = true;
    shape.width = 640;
    shape.height = 480;
    shape.framesPerSecond = 25;
    const encoder::StreamPlan plan = encoder::PlanEncode(choice, shape, source).front();
    std::printf("512K plan: rv20 %dx%d at %d fps, %d bit/s; ac3 %d Hz, %d channel(s), %d bit/s\n\n",
                plan.video.width, plan.video.height, plan.video.framesPerSecond, plan.video.bitRate,
                plan.audio.sampleRate, plan.audio.channels, plan.audio.bitRate);

    const std::string out = dir.path().toStdString() + "/";
    const std::vector<std::string> builtinArgs = {self, "--encode", source, out + "builtin.rm", "0", "7"};
    const std::vector<std::string> commandArgs = {
        "ffmpeg",
        "-v",
        "error",
        "-y",
        "-i",
        source,
        "-c:v",
        "rv20",
        "-s",
        std::to_string(plan.video.width) + "x" + std::to_string(plan.video.height),
        "-r",
        std::to_string(plan.video.framesPerSecond),
        "-b:v",
        std::to_string(plan.video.bitRate),
        "-g",
        std::to_string(plan.video.keyFrameInterval),
        "-c:a",
        "ac3",
        "-ar",
        std::to_string(plan.audio.sampleRate),
        "-ac",
        std::to_string(plan.audio.channels),
        "-b:a",
        std::to_string(plan.audio.bitRate),
        out + "ffmpeg.rm"};
    Runs builtin, command;
    std::vector<double> singleRatios, cpuRatios;
    for (int round = 0; round < rounds; ++round) {
        builtin.all.push_back(Measure(builtinArgs));
        command.all.push_back(Measure(commandArgs));
        singleRatios.push_back(builtin.all.back().seconds / command.all.back().seconds);
        cpuRatios.push_back(builtin.all.back().cpuSeconds / command.all.back().cpuSeconds);
    }
    const Run typicalBuiltin = builtin.Typical();
    Report("built-in encoder, 512K single-rate", typicalBuiltin);
    std::printf("    %s\n", Describe(out + "builtin.rm").c_str());
    Report("ffmpeg command line, same streams", command.Typical());
    std::printf("    %s\n", Describe(out + "ffmpeg.rm").c_str());
    const double singleRatio = Median(singleRatios);
    const double peakMiB = typicalBuiltin.peakKiB / 1024.0;
    std::printf("wall-time ratio built-in / ffmpeg: %.2f (median of %d rounds; goal %.2f at most): %s\n",
                singleRatio, rounds, kSingleRateGoal, Verdict(singleRatio <= kSingleRateGoal));
    ReportSpread(singleRatios);
    std::printf("CPU-time ratio built-in / ffmpeg: %.2f (median)\n", Median(cpuRatios));
    std::printf("peak memory of the built-in encoder: %.1f MiB (goal %.0f MiB at most): %s\n\n", peakMiB,
                kPeakMiBGoal, Verdict(peakMiB <= kPeakMiBGoal));

    Runs multi, separate;
    std::vector<double> sureStreamRatios;
    for (int round = 0; round < rounds; ++round) {
        multi.all.push_back(Measure(
            {self, "--encode", source, out + "multi.rm", "1", "0", "1", "2", "3", "4", "5", "6", "7"}));
        Run eight;
        eight.status = 0;
        for (int a = 0; a < 8; ++a) {
            const Run one = Measure({self, "--encode", source, out + "single" + std::to_string(a) + ".rm",
                                     "0", std::to_string(a)});
            eight.seconds += one.seconds;
            eight.cpuSeconds += one.cpuSeconds;
            eight.peakKiB = std::max(eight.peakKiB, one.peakKiB);
            eight.status |= one.status;
        }
        separate.all.push_back(eight);
        sureStreamRatios.push_back(multi.all.back().seconds / eight.seconds);
    }
    Report("built-in, SureStream for all eight audiences", multi.Typical());
    Report("built-in, eight single-rate encodes", separate.Typical());
    const double sureStreamRatio = Median(sureStreamRatios);
    std::printf(
        "wall-time ratio SureStream / eight single-rate: %.2f (median of %d rounds; goal %.2f at most): "
        "%s\n",
        sureStreamRatio, rounds, kSureStreamGoal, Verdict(sureStreamRatio <= kSureStreamGoal));
    ReportSpread(sureStreamRatios);
    std::printf("\n");

    // Damaged sources: after a second, the picture's times leap 93,952 s ahead (the sound's stay), and
    // a picture-only source leaps four hours. Neither may be filled picture by picture.
    int damagedStatus = 0;
    const struct {
        const char* name;
        const char* leap;
        bool sound;
    } damaged[] = {{"leap-day.mpg", "setts=ts=if(gte(N\\,25)\\,TS+93952*90000\\,TS)", true},
                   {"leap-hours.mpg", "setts=ts=if(gte(N\\,25)\\,TS+4*3600*90000\\,TS)", false}};
    for (const auto& d : damaged) {
        const std::string path = out + d.name;
        std::vector<std::string> make = {
            "ffmpeg", "-v", "fatal", "-y", "-f", "lavfi", "-i", "testsrc2=size=640x480:rate=25:duration=4"};
        if (d.sound)
            make.insert(make.end(),
                        {"-f", "lavfi", "-i", "sine=sample_rate=44100:duration=4", "-c:a", "mp2"});
        make.insert(make.end(), {"-c:v", "mpeg1video", "-b:v", "200k", "-bsf:v", d.leap, "-f", "mpeg", path});
        if (Measure(make).status != 0)
            return 1;
        const Run run = Measure({self, "--encode", path, out + "damaged.rm", "0", "7"});
        const std::string what = std::string("damaged source ") + d.name + ", 512K";
        Report(what.c_str(), run);
        std::printf("    %s; peak goal below %.0f MiB: %s\n", Describe(out + "damaged.rm").c_str(),
                    kDamagedPeakMiBGoal, Verdict(run.peakKiB / 1024.0 < kDamagedPeakMiBGoal));
        damagedStatus |= run.status;
    }
    return typicalBuiltin.status | command.Typical().status | multi.Typical().status |
           separate.Typical().status | damagedStatus;
}
