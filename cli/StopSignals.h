#pragma once
#include <QObject>
#include <QSocketNotifier>
#include <memory>

namespace cli {

// Turns SIGINT, SIGTERM and SIGHUP into a Qt signal on the main thread (through a pipe the handler writes
// one byte to), so that a stop can end the encodes, remove their unfinished files and claims, and report
// before the program exits. Signals already ignored when the program starts (nohup) stay ignored. One
// instance at a time; the default handling returns when it goes.
class StopSignals : public QObject {
    Q_OBJECT
  public:
    explicit StopSignals(QObject* parent = nullptr);
    ~StopSignals() override;

  signals:
    // Once, for the first signal that arrives.
    void Received(int signal);

  private:
    void Drain();

    std::unique_ptr<QSocketNotifier> notifier_;
    bool received_ = false;
};

}  // namespace cli
