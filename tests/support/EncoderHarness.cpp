#include "support/EncoderHarness.h"

#include <QTest>
#include <algorithm>
#include <filesystem>
#include <thread>

#include "encoder/BuiltinEncoder.h"
#include "support/MediaFixtures.h"

using conversion::TProducerControl;

EncoderHarness::EncoderHarness()
    : control_(std::make_unique<TProducerControl>(encoder::CreateBuiltinEncoder())),
      started_(control_.get(), &TProducerControl::EncodingStarted),
      errors_(control_.get(), &TProducerControl::ErrorOccurred),
      progress_(control_.get(), &TProducerControl::EncodingProgressChanged),
      stopped_(control_.get(), &TProducerControl::EncodingStopped) {
    encoder::QuietLibavLogging();  // as the program does at start
    auto note = [this] {
        if (QThread::currentThread() != owner_)
            offThread_ = true;
    };
    QObject::connect(control_.get(), &TProducerControl::EncodingStarted, note);
    QObject::connect(control_.get(), &TProducerControl::ErrorOccurred, note);
    QObject::connect(control_.get(), &TProducerControl::EncodingProgressChanged, note);
    QObject::connect(control_.get(), &TProducerControl::EncodingStopped, note);
}

void EncoderHarness::Set(const std::string& source, const std::string& destination,
                         encoder::DispId audience) {
    control_->setInputFilename(source);
    control_->setOutputFilename(destination);
    control_->SetBool(audience, true);
}

bool EncoderHarness::WaitIdle(int timeoutMs) {
    return QTest::qWaitFor([this] { return !control_->IsEncoding(); }, timeoutMs);
}

bool EncoderHarness::Encode(int timeoutMs) {
    control_->StartEncoding();
    return WaitIdle(timeoutMs);
}

std::string EncoderHarness::LastError() const {
    if (errors_.isEmpty())
        return "";
    return errors_.last().at(1).toString().toStdString();
}

std::vector<int> EncoderHarness::Percents() const {
    std::vector<int> percents;
    for (const QList<QVariant>& args : progress_)
        percents.push_back(args.at(2).toInt());
    return percents;
}

void EncoderHarness::ClearEvents() {
    started_.clear();
    errors_.clear();
    progress_.clear();
    stopped_.clear();
}

std::vector<std::string> LeftoverTempFiles(const std::string& folder) {
    std::vector<std::string> found;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(folder, ec))
        if (entry.path().extension() == ".tmp")
            found.push_back(entry.path().string());
    return found;
}

int ThreadCount() {
#if defined(__SANITIZE_THREAD__)
    // ThreadSanitizer starts a thread of its own with the program's first: made to exist before the first
    // count, so that every count includes it.
    static const bool runtimeThreadStarted = [] {
        std::thread([] {}).join();
        return true;
    }();
    static_cast<void>(runtimeThreadStarted);
#endif
    std::error_code ec;
    int count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/task", ec))
        ++count;
    return count;
}

std::string TenSecondMovie() {
    testsupport::ClipRecipe recipe;
    recipe.name = "ten-seconds.avi";
    recipe.seconds = 10;
    recipe.width = 320;
    recipe.height = 240;
    recipe.fps = 25;
    recipe.sampleRate = 44100;
    recipe.channels = 2;
    recipe.codecArgs = {"-c:v", "mpeg4", "-q:v", "4", "-c:a", "pcm_s16le"};
    return testsupport::MakeClip(recipe);
}

std::string BusyMovie() {
    testsupport::ClipRecipe recipe;
    recipe.name = "busy.avi";
    recipe.seconds = 8;
    recipe.width = 320;
    recipe.height = 240;
    recipe.fps = 25;
    recipe.codecArgs = {"-c:v", "mpeg4", "-c:a", "pcm_s16le"};
    return testsupport::MakeClip(recipe);
}

int StreamCount(const testsupport::ProbeInfo& info, const std::string& type) {
    return static_cast<int>(std::count_if(info.streams.begin(), info.streams.end(),
                                          [&](const testsupport::ProbeStream& s) { return s.type == type; }));
}

const testsupport::ProbeStream* FirstStream(const testsupport::ProbeInfo& info, const std::string& type) {
    for (const auto& s : info.streams)
        if (s.type == type)
            return &s;
    return nullptr;
}
