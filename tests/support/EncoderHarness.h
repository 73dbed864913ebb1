#pragma once
#include <QSignalSpy>
#include <QThread>
#include <memory>
#include <string>
#include <vector>

#include "conversion/TProducerControl.h"
#include "support/FileHelpers.h"
#include "support/MediaFixtures.h"

// Drives the built-in encoder the way the windows do: through TProducerControl, events on this thread.
class EncoderHarness {
  public:
    EncoderHarness();

    conversion::TProducerControl& Control() { return *control_; }
    // A fresh folder of this harness, with its trailing "/".
    std::string Dir() const { return dir_.Path(); }

    // Source, destination and one audience (by dispatch id); the rest keeps the control's defaults.
    void Set(const std::string& source, const std::string& destination,
             encoder::DispId audience = encoder::DispId::Target56KModem);

    // Starts and waits (pumping events) until the encode has ended; false when it did not end in time.
    bool Encode(int timeoutMs = 60000);
    bool WaitIdle(int timeoutMs = 60000);

    int Started() const { return static_cast<int>(started_.count()); }
    int Errors() const { return static_cast<int>(errors_.count()); }
    int Stopped() const { return static_cast<int>(stopped_.count()); }
    std::string LastError() const;
    std::vector<int> Percents() const;
    int ProgressEvents() const { return static_cast<int>(progress_.count()); }
    // The duration argument of the last progress event (milliseconds, 0 when unknown).
    int LastDuration() const { return progress_.isEmpty() ? -1 : progress_.last().at(0).toInt(); }
    // Every event so far arrived on the thread that made the control.
    bool EventsOnOwnThread() const { return !offThread_; }
    void ClearEvents();

    void Destroy() { control_.reset(); }

  private:
    testsupport::ScratchDir dir_;
    std::unique_ptr<conversion::TProducerControl> control_;
    QSignalSpy started_, errors_, progress_, stopped_;
    QThread* owner_ = QThread::currentThread();
    bool offThread_ = false;
};

// Shared sources: a 10 s 320x240 movie with stereo sound (long enough to measure bit rates), and an
// 8 s one that takes about a second to encode (long enough to stop in the middle).
std::string TenSecondMovie();
std::string BusyMovie();

// Streams of a kind ("audio", "video") in a probed file, and the first of them (nullptr if none).
int StreamCount(const testsupport::ProbeInfo& info, const std::string& type);
const testsupport::ProbeStream* FirstStream(const testsupport::ProbeInfo& info, const std::string& type);

// Files in `folder` whose names end in ".tmp": what an encode must never leave behind.
std::vector<std::string> LeftoverTempFiles(const std::string& folder);
// Threads of this process.
int ThreadCount();
