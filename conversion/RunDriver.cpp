#include "conversion/RunDriver.h"

#include <exception>

#include "conversion/ApplyEncoderSettings.h"
#include "conversion/CompletionActions.h"
#include "encoder/SafeOutput.h"
#include "platform/Application.h"
#include "platform/Dialogs.h"

namespace conversion {

RunDriver::RunDriver(RunHost& host, TProducerControl& control, const settings::TSettings& settings,
                     QObject* parent)
    : QObject(parent), host_(host), control_(control), settings_(settings) {
    timer1_.setObjectName(QStringLiteral("Timer1"));
    timer1_.setInterval(kStepIntervalMs);
    connect(&timer1_, &QTimer::timeout, this, &RunDriver::Timer1Timer);
    connect(&control_, &TProducerControl::EncodingStarted, this, &RunDriver::EncodingStarted);
    connect(&control_, &TProducerControl::EncodingStopped, this, &RunDriver::EncodingStopped);
    connect(&control_, &TProducerControl::EncodingProgressChanged, this,
            [this](int, int, int percentDone, int) { EncodingProgressChanged(percentDone); });
    connect(&control_, &TProducerControl::ErrorOccurred, this,
            [this](int, const QString& text) { ErrorOccurred(text.toStdString()); });
}

std::string RunDriver::ProgressText(int percentDone) {
    return "Converting... (" + std::to_string(percentDone) + "%)";
}

// Each handler reports a failure of the control itself (the application's error box) and never lets it
// escape into the timer or the encoder's event delivery.
void RunDriver::Start() {
    platform::RunGuarded([this] {
        if (host_.RowCount() == 0) {
            host_.SetConvertToggleDown(false);
            return;
        }
        // A refused setting leaves everything as it was: the run does not begin.
        ApplyEncoderSettings(control_, settings_);
        ++run_;
        running_ = true;
        awaitingStarted_ = false;
        overwriteAll_ = false;
        host_.ShowProgressPanel(true);
        host_.SetFileProgress(0);
        host_.SetRunProgress(0);
        nextJob_ = 0;
        std::vector<std::string> sources;
        for (int k = 0; k < host_.RowCount(); ++k)
            sources.push_back(host_.Job(k).SourceFile);
        rule_ = std::make_unique<DestinationRule>(
            sources,
            DestinationRule::Advice{
                .ontoSource = "Choose another output folder.",
                .twoIntoOne = "Rename one of them, or choose another output folder for one of them."});
        host_.EnterRunningState();
        timer1_.start();
    });
}

void RunDriver::Stop() {
    platform::RunGuarded([this] {
        // The run is over whatever the encoder answers below.
        ++run_;
        running_ = false;
        awaitingStarted_ = false;
        std::exception_ptr failure;
        try {
            if (control_.IsEncoding())
                control_.StopEncoding();
        } catch (...) {
            failure = std::current_exception();
        }
        claim_.reset();
        host_.EnterIdleState();
        timer1_.stop();
        host_.ShowProgressPanel(false);
        host_.ShowFileNames(false);
        if (failure)
            std::rethrow_exception(failure);
    });
}

void RunDriver::Timer1Timer() {
    platform::RunGuarded([this] {
        if (!running_) {
            timer1_.stop();
            return;
        }
        // An encode whose start has not been confirmed yet counts as busy: preparing the same job again
        // would encode it twice.
        if (awaitingStarted_ || control_.IsEncoding())
            return;
        Step();
    });
}

void RunDriver::Step() {
    // The job before has ended: its destination is free for other conversions again, and its late events
    // are no longer this run's.
    claim_.reset();
    encodeRun_ = 0;
    timer1_.stop();
    do {
        if (nextJob_ >= host_.RowCount()) {
            CompleteRun();
            return;
        }
    } while (PrepareJob(nextJob_));
}

void RunDriver::CompleteRun() {
    Stop();
    PerformCompletionActions(host_.SoundToggleDown(), host_.TurnOffToggleDown());
}

bool RunDriver::PrepareJob(int j) {
    const std::uint64_t run = run_;
    const jobs::tListType job = host_.Job(j);
    host_.SetStatusText("Converting...");
    host_.ShowFileNames(true);
    host_.SetFileNames(job.SourceFile, job.DestFile);
    host_.SetFileProgress(0);
    host_.SetRunProgress(static_cast<int>(static_cast<long long>(j) * 100 / host_.RowCount()));
    host_.RepaintNow();

    // A refused write leaves the stepper disarmed and the window running until the user stops.
    ApplyJobProperties(control_, {.source = job.SourceFile,
                                  .destination = job.DestFile,
                                  .title = job.Title,
                                  .author = job.Author,
                                  .copyright = job.Copyright,
                                  .description = job.Description,
                                  .keywords = job.Keywords});

    // As quenzor-convert decides, except that an existing file is the user's to answer for. A destination
    // another conversion is writing is left to it without a word; a refusal ends the run and says why.
    Decision decision = Decision::Encode;
    DestinationRule::Verdict verdict =
        rule_->Decide(job.SourceFile, job.DestFile, DestinationRule::Replace::Ask, [&] {
            if (!overwriteAll_)
                decision = DecideOverwrite(job.DestFile);
            return decision != Decision::Skip;
        });
    // The question is modal and lets events through; the run may have ended meanwhile.
    if (!StillCurrent(run))
        return false;
    if (verdict.kind == DestinationRule::Verdict::Kind::Fail) {
        EndRun(verdict.why);
        return false;
    }
    // A declined job costs no wait: the run goes on with the next one at once.
    if (verdict.kind == DestinationRule::Verdict::Kind::Skip) {
        ++nextJob_;
        return true;
    }
    claim_ = std::move(verdict.claim);
    encodeDestination_ = job.DestFile;
    StartJob();
    if (decision == Decision::EncodeAll)
        overwriteAll_ = true;
    // An error raised from within the start call has already ended the run; it must stay ended rather
    // than try the same job again on the next tick.
    if (StillCurrent(run))
        timer1_.start();
    return false;
}

RunDriver::Decision RunDriver::DecideOverwrite(const std::string& destination) {
    platform::MessageRequest question;
    question.title = "Confirm";
    question.text = "Are you sure overwrite " + destination;
    question.icon = platform::MsgIcon::Question;
    question.buttons = {platform::MsgButton::Yes, platform::MsgButton::No, platform::MsgButton::All};
    question.defaultButton = platform::MsgButton::Yes;
    question.escapeButton = platform::MsgButton::No;
    switch (platform::MessageBox::Show(question)) {
        case platform::MsgButton::Yes:
            return Decision::Encode;
        case platform::MsgButton::All:
            return Decision::EncodeAll;
        default:
            // No, Esc, and the close box too: an existing file is only replaced with the user's consent.
            return Decision::Skip;
    }
}

void RunDriver::StartJob() {
    // Before the call: the encoder may report from within it.
    awaitingStarted_ = true;
    encodeRun_ = run_;
    try {
        control_.StartEncoding();
    } catch (...) {
        awaitingStarted_ = false;
        encodeRun_ = 0;
        throw;
    }
}

void RunDriver::EncodingStarted() {
    if (!CurrentRunsEncode() || !awaitingStarted_)
        return;
    awaitingStarted_ = false;
    ++nextJob_;
    timer1_.start();
}

void RunDriver::EncodingStopped() {
    platform::RunGuarded([this] {
        // The stepper goes on covering a start not yet confirmed; a stopped run stays stopped.
        if (!CurrentRunsEncode() || awaitingStarted_ || control_.IsEncoding())
            return;
        Step();
    });
}

void RunDriver::EncodingProgressChanged(int percentDone) {
    if (!CurrentRunsEncode())
        return;
    host_.SetStatusText(ProgressText(percentDone));
    host_.SetFileProgress(percentDone);
}

void RunDriver::ErrorOccurred(const std::string& errorString) {
    // An encode that was stopped may still report; the user already ended that run.
    if (!CurrentRunsEncode())
        return;
    if (errorString == encoder::DestinationAppearedError(encodeDestination_)) {
        // Nothing was overwritten; the encoder's stopped event (or the stepper) moves on to the next job.
        host_.JobSkipped();
        if (awaitingStarted_) {
            awaitingStarted_ = false;
            ++nextJob_;
        }
        timer1_.start();
        return;
    }
    host_.JobFailed();
    EndRun(errorString);
}

void RunDriver::EndRun(const std::string& why) {
    Stop();
    platform::MessageBox::ShowError(why);
}

}  // namespace conversion
