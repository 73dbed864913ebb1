#pragma once
#include <string>

#include "jobs/Job.h"

namespace conversion {

// What the run driver needs of the window that hosts it: the job list, the command states, the progress
// panel and the completion toggles. The main window implements it; tests implement it with a recorder.
class RunHost {
  public:
    virtual ~RunHost() = default;

    // The jobs as the list shows them, row i being job i.
    virtual int RowCount() const = 0;
    virtual const jobs::tListType& Job(int row) const = 0;

    // The fixed set of commands a run disables and enables, the convert toggle included.
    virtual void EnterRunningState() = 0;
    virtual void EnterIdleState() = 0;
    // The toolbar's convert toggle alone, for a Start that finds nothing to convert.
    virtual void SetConvertToggleDown(bool down) = 0;

    // The progress panel: shown during a run, its status line, the bars for the current file and the
    // whole run, and the source and destination names with their captions.
    virtual void ShowProgressPanel(bool visible) = 0;
    virtual void SetStatusText(const std::string& text) = 0;
    virtual void SetFileProgress(int percent) = 0;
    virtual void SetRunProgress(int percent) = 0;
    virtual void ShowFileNames(bool visible) = 0;
    virtual void SetFileNames(const std::string& source, const std::string& destination) = 0;
    // Paints the window now, so the names show before the encoder is handed the job.
    virtual void RepaintNow() = 0;

    // The encode of the current job ended without its file: it failed (the run ends), or the destination
    // appeared while it was encoded and was kept (the run goes on with the next job).
    virtual void JobFailed() = 0;
    virtual void JobSkipped() = 0;

    // The completion toggles as the toolbar shows them.
    virtual bool SoundToggleDown() const = 0;
    virtual bool TurnOffToggleDown() const = 0;
};

}  // namespace conversion
