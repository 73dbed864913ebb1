#pragma once
#include <QObject>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <string>

#include "conversion/DestinationRule.h"
#include "conversion/RunHost.h"
#include "conversion/TProducerControl.h"
#include "platform/core/Claim.h"
#include "settings/Settings.h"

namespace conversion {

// Converts every job of the host's list, one after another, through the encoder control. The encoder's
// "encoding stopped" event steps the run at once: the next job is prepared and started, or the run ends.
// The stepper `Timer1` polls the encoder once a second as well, so a missed event costs a second, never
// a job. The encoder's other events advance the run, move the file bar and end the run on an error.
//
// Everything happens on the user-interface thread. Modal boxes keep dispatching messages, so the stepper
// is disarmed before anything that can wait, and each handler checks that the run it belongs to is still
// the current one: an event that arrives after Stop (or after a restart) changes nothing. The encoder's
// events name no job, so an event counts as the current run's only while that run has handed the encoder a
// job and not yet stepped past it; a late event of an earlier run, or of a job already done, is ignored.
// An error ends the run, except that a destination another program wrote while its job was encoded is
// kept and the job skipped, as quenzor-convert does.
class RunDriver : public QObject {
    Q_OBJECT
  public:
    static constexpr int kStepIntervalMs = 1000;

    RunDriver(RunHost& host, TProducerControl& control, const settings::TSettings& settings,
              QObject* parent = nullptr);

    // Start: applies the settings, shows the panel and arms the stepper. With no rows it only lets the
    // convert toggle back up. Starting during a run begins afresh with the first job.
    void Start();
    // Stop: stops a running encode, restores the idle commands and hides the panel. Harmless when idle.
    void Stop();
    // One tick of the stepper.
    void Timer1Timer();

    void EncodingStarted();
    void EncodingStopped();
    void EncodingProgressChanged(int percentDone);
    void ErrorOccurred(const std::string& errorString);

    // Between Start and the end of the run (Stop, error or completion).
    bool Running() const { return running_; }
    int NextJob() const { return nextJob_; }
    bool OverwriteAll() const { return overwriteAll_; }
    QTimer& Timer1() { return timer1_; }

    static std::string ProgressText(int percentDone);

  private:
    enum class Decision { Encode, EncodeAll, Skip };

    void CompleteRun();
    // Steps through the jobs from nextJob_ on until one is started, the run ends or waits.
    void Step();
    // True when job j was skipped and the run goes on with the next one at once.
    bool PrepareJob(int j);
    Decision DecideOverwrite(const std::string& destination);
    void StartJob();
    // True while the run that was current at `run` is still going.
    bool StillCurrent(std::uint64_t run) const { return running_ && run_ == run; }
    // True while the encoder works on a job of the current run that the run has not stepped past.
    bool CurrentRunsEncode() const { return StillCurrent(encodeRun_); }
    // Stops the run, then shows why.
    void EndRun(const std::string& why);

    RunHost& host_;
    TProducerControl& control_;
    const settings::TSettings& settings_;
    QTimer timer1_;
    int nextJob_ = 0;
    bool overwriteAll_ = false;
    bool running_ = false;
    // A start call was made and its OnEncodingStarted has not arrived yet.
    bool awaitingStarted_ = false;
    // Counts starts and stops, so a step resumed after a modal wait can tell whether its run survived.
    std::uint64_t run_ = 0;
    // The run that handed the encoder its present job; 0 once that run has stepped past it.
    std::uint64_t encodeRun_ = 0;
    // The destination of the job the encoder was handed last.
    std::string encodeDestination_;
    // The destination of the job being prepared or encoded, claimed as quenzor-convert claims it.
    std::unique_ptr<platform::Claim> claim_;
    // The run's destinations so far and its sources; made anew at each Start.
    std::unique_ptr<DestinationRule> rule_;
};

}  // namespace conversion
