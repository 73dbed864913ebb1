#pragma once
#include <sys/types.h>
#include <QObject>
#include <QTimer>

#include <chrono>
#include <ctime>
#include <map>
#include <memory>
#include <vector>

#include "cli/Console.h"
#include "cli/Options.h"
#include "conversion/DestinationRule.h"

namespace cli {

// Converts the files of the command line, up to `jobs` at once, each through an encoder control of its
// own that the settings were copied onto as the window's run copies them. A file is handed to the first
// free control; its destination is claimed first, and a destination that exists (or that another run is
// writing) is skipped unless --overwrite says otherwise. Everything runs on the thread of the
// QCoreApplication; each control encodes on a thread of its own.
class Batch : public QObject {
    Q_OBJECT
  public:
    // The controls are polled rather than heard: this often, a finished file is followed by the next one
    // at once, and a missed event can never stall a lane.
    static constexpr int kPollIntervalMs = 50;

    Batch(Options options, Console& console, QObject* parent = nullptr);
    ~Batch() override;

    // Creates the controls and begins; returns at once. Finished follows when every file has ended.
    void Start();
    // Stops the encodes under way (the encoder removes their unfinished files), reports every file not
    // converted as stopped, and finishes with 128 + `signal`.
    void Stop(int signal);

  signals:
    // 0 when no file failed, 1 when some did, 128 + signal after a stop.
    void Finished(int exitCode);

  private:
    struct Lane;

    void Tick();
    // Hands files to an idle lane until one of them starts encoding or none is left.
    void Fill(Lane& lane);
    bool Begin(Lane& lane, int index);
    void End(Lane& lane);
    void Report(int slot, const FileResult& result);
    void Finish(int exitCode);

    Options options_;
    Console& console_;
    std::vector<std::unique_ptr<Lane>> lanes_;
    std::string setupError_;  // the controls refused the settings: every file fails with this
    QTimer poll_;
    int next_ = 0;     // index of the next file to hand out
    int handled_ = 0;  // files ended, whatever became of them
    std::map<FileResult::Status, int> counts_;
    std::unique_ptr<conversion::DestinationRule> rule_;  // made at Start, when the run begins
    bool stopping_ = false;
    bool finished_ = false;
    std::chrono::steady_clock::time_point began_ = std::chrono::steady_clock::now();
};

}  // namespace cli
