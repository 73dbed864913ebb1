#include "cli/Batch.h"

#include <sys/stat.h>

#include <algorithm>

#include "conversion/ApplyEncoderSettings.h"
#include "conversion/DestinationRule.h"
#include "conversion/EncoderFactory.h"
#include "conversion/TProducerControl.h"
#include "encoder/SafeOutput.h"
#include "platform/core/Claim.h"
#include "platform/core/Paths.h"

namespace cli {
namespace {

std::int64_t FileSize(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 ? static_cast<std::int64_t>(st.st_size) : 0;
}

double SecondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

// One encoder control and the file it is encoding. The claim is declared first so that it goes last:
// the control stops its encode before the destination is given up.
struct Batch::Lane {
    int slot = 0;
    std::unique_ptr<platform::Claim> claim;
    std::unique_ptr<conversion::TProducerControl> control;
    int index = -1;  // of the file being encoded; -1 when idle
    FileResult file;
    std::string error;  // the encoder's error event for this file
    std::chrono::steady_clock::time_point began;
    platform::FileIdentity before;  // the destination when the encode began
};

Batch::Batch(Options options, Console& console, QObject* parent)
    : QObject(parent), options_(std::move(options)), console_(console) {
    poll_.setInterval(kPollIntervalMs);
    connect(&poll_, &QTimer::timeout, this, &Batch::Tick);
}

Batch::~Batch() = default;

void Batch::Start() {
    rule_ = std::make_unique<conversion::DestinationRule>(
        options_.sources,
        conversion::DestinationRule::Advice{
            .ontoSource = "Convert into another folder with --output-dir.",
            .twoIntoOne = "Rename one of them, or convert this one with --output-dir into another folder."});
    const int count = std::min(options_.jobs, static_cast<int>(options_.sources.size()));
    for (int i = 0; i < count; ++i) {
        auto lane = std::make_unique<Lane>();
        lane->slot = i;
        lane->control = std::make_unique<conversion::TProducerControl>(conversion::CreateEncoderControl());
        Lane* l = lane.get();
        connect(l->control.get(), &conversion::TProducerControl::ErrorOccurred, this,
                [l](int, const QString& text) { l->error = text.toStdString(); });
        connect(l->control.get(), &conversion::TProducerControl::EncodingProgressChanged, this,
                [this, l](int, int, int percentDone, int) { console_.Progress(l->slot, percentDone); });
        // As at the window's Start: the settings once, before any file.
        if (setupError_.empty()) {
            try {
                conversion::ApplyEncoderSettings(*l->control, options_.settings);
            } catch (const std::exception& e) {
                setupError_ = e.what();
            }
        }
        lanes_.push_back(std::move(lane));
    }
    poll_.start();
    Tick();
}

void Batch::Tick() {
    if (finished_ || stopping_)
        return;
    for (auto& lane : lanes_) {
        if (lane->index < 0)
            continue;
        bool encoding = false;
        try {
            encoding = lane->control->IsEncoding();
        } catch (const std::exception&) {
        }
        if (!encoding)
            End(*lane);
    }
    for (auto& lane : lanes_)
        if (lane->index < 0)
            Fill(*lane);
    const bool idle = std::all_of(lanes_.begin(), lanes_.end(), [](const auto& l) { return l->index < 0; });
    if (idle && next_ >= static_cast<int>(options_.sources.size())) {
        const auto failed = counts_.find(FileResult::Status::Failed);
        Finish(failed != counts_.end() && failed->second > 0 ? 1 : 0);
        return;
    }
    console_.Tick(static_cast<int>(options_.sources.size()), handled_);
}

void Batch::Fill(Lane& lane) {
    while (next_ < static_cast<int>(options_.sources.size()))
        if (Begin(lane, next_++))
            return;
}

bool Batch::Begin(Lane& lane, int index) {
    FileResult r;
    r.source = options_.sources[static_cast<std::size_t>(index)];
    r.destination = DestinationFor(r.source, options_.outputDirectory);
    auto notConverted = [&](FileResult::Status status, const std::string& why) {
        r.status = status;
        r.error = why;
        Report(-1, r);
        return false;
    };
    if (!setupError_.empty())
        return notConverted(FileResult::Status::Failed, setupError_);
    conversion::DestinationRule::Verdict verdict =
        rule_->Decide(r.source, r.destination,
                      options_.overwrite ? conversion::DestinationRule::Replace::Always
                                         : conversion::DestinationRule::Replace::Never);
    if (verdict.kind != conversion::DestinationRule::Verdict::Kind::Write)
        return notConverted(verdict.kind == conversion::DestinationRule::Verdict::Kind::Skip
                                ? FileResult::Status::Skipped
                                : FileResult::Status::Failed,
                            verdict.why);
    auto claim = std::move(verdict.claim);

    const platform::FileIdentity before = platform::IdentityOf(r.destination);
    const settings::TSettings& s = options_.settings;
    try {
        conversion::ApplyJobProperties(*lane.control, {.source = r.source,
                                                       .destination = r.destination,
                                                       .title = s.Title,
                                                       .author = s.Auther,
                                                       .copyright = s.Copyright,
                                                       .description = s.Description,
                                                       .keywords = s.Keywords});
        lane.error.clear();
        lane.control->StartEncoding();
    } catch (const std::exception& e) {
        return notConverted(FileResult::Status::Failed, e.what());
    }
    lane.claim = std::move(claim);
    lane.index = index;
    lane.file = r;
    lane.began = std::chrono::steady_clock::now();
    lane.before = before;
    console_.Began(lane.slot, index + 1, static_cast<int>(options_.sources.size()), handled_, r);
    return true;
}

void Batch::End(Lane& lane) {
    FileResult r = lane.file;
    r.seconds = SecondsSince(lane.began);
    if (!lane.error.empty() && lane.error == encoder::DestinationAppearedError(r.destination)) {
        r.status = FileResult::Status::Skipped;
        r.error = lane.error;
    } else if (!lane.error.empty()) {
        r.status = FileResult::Status::Failed;
        r.error = lane.error;
    } else if (platform::IdentityOf(r.destination) != lane.before && platform::FileExists(r.destination)) {
        // Without an error event the encoder has put its finished file in place.
        r.status = FileResult::Status::Converted;
        r.bytes = FileSize(r.destination);
    } else {
        r.status = FileResult::Status::Failed;
        r.error = "The encode of " + r.source + " ended without writing " + r.destination + ".";
    }
    lane.claim.reset();
    lane.index = -1;
    Report(lane.slot, r);
}

void Batch::Report(int slot, const FileResult& result) {
    ++handled_;
    ++counts_[result.status];
    console_.Ended(slot, result, static_cast<int>(options_.sources.size()), handled_);
}

void Batch::Stop(int signal) {
    if (stopping_ || finished_)
        return;
    stopping_ = true;
    poll_.stop();
    for (auto& lane : lanes_) {
        if (lane->index < 0)
            continue;
        // Waits for the encode's thread, which removes its unfinished file before it ends.
        try {
            lane->control->StopEncoding();
        } catch (const std::exception&) {
        }
        FileResult r = lane->file;
        r.seconds = SecondsSince(lane->began);
        // An encode may have put its file in place just before the stop reached it. Under the claim no
        // other conversion writes the destination, and the encode replaces no file that appeared meanwhile,
        // so a new file there is the one it wrote.
        if (platform::IdentityOf(r.destination) != lane->before && platform::FileExists(r.destination)) {
            r.status = FileResult::Status::Converted;
            r.bytes = FileSize(r.destination);
        } else {
            r.status = FileResult::Status::Stopped;
            r.error = "Stopped; " + r.destination + " was left as it was.";
        }
        lane->claim.reset();
        lane->index = -1;
        Report(lane->slot, r);
    }
    for (; next_ < static_cast<int>(options_.sources.size()); ++next_) {
        FileResult r;
        r.source = options_.sources[static_cast<std::size_t>(next_)];
        r.destination = DestinationFor(r.source, options_.outputDirectory);
        r.status = FileResult::Status::Stopped;
        r.error = "Stopped before this file began.";
        Report(-1, r);
    }
    Finish(128 + signal);
}

void Batch::Finish(int exitCode) {
    finished_ = true;
    poll_.stop();
    console_.Summary(counts_, SecondsSince(began_));
    emit Finished(exitCode);
}

}  // namespace cli
