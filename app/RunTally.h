#pragma once
#include <string>

namespace app {

// Counts how the jobs of a conversion run ended, from what the window sees of the run, and says it in
// one line when the run is over: "3 files converted, 1 failed".
class RunTally {
  public:
    // A run begins; the counts start from nothing.
    void Begin();
    // The run takes up its next job; the one before it ended, converted if its encode had started and
    // skipped if not (the user kept the existing file).
    void JobPrepared();
    // The encoder took up the job.
    void JobStarted();
    // The encoder reported an error: the job failed and the run ends with it.
    void JobFailed();
    // The job's destination appeared while it was encoded and was kept: skipped, and the run goes on.
    void JobSkipped();
    // The user stops the run; the job under way counts neither way.
    void StopAsked();
    // The run is over: the line that says how it went.
    std::string End();
    bool Active() const { return active_; }

    static std::string Text(int converted, int failed, int skipped, bool stopped);

  private:
    // The job under way ended without its file; `count` is where it counts.
    void EndedWithoutFile(int& count);

    bool active_ = false;
    bool pending_ = false;  // a job was taken up and has not ended yet
    bool started_ = false;  // ... and its encode has started
    bool stopped_ = false;
    int converted_ = 0;
    int failed_ = 0;
    int skipped_ = 0;
};

}  // namespace app
