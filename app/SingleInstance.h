#pragma once
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

class QLocalServer;

namespace app {

// One window per user and set of settings: a later start hands its command line to the window that is
// open and ends, so that only one process writes the settings. The meeting point is a local socket in the
// user's runtime folder, named after the folder the settings lie in.
class SingleInstance : public QObject {
    Q_OBJECT
  public:
    // `name` is the socket's path; empty: the one for this user and the settings in force.
    explicit SingleInstance(QString name = {});
    ~SingleInstance() override;

    // When a window is open already, gives it `arguments` (the program's name first, as started) and
    // returns true: this start is done. Otherwise starts listening and returns false.
    bool HandOver(const QStringList& arguments);

    // What is done with a later start's arguments; by default they join the main window's job list as
    // the command line's files do, as soon as it takes files, and the window comes to the front.
    using Receiver = std::function<void(const QStringList& arguments)>;
    void SetReceiver(Receiver receiver);

    // The socket's path for this user and the settings in force.
    static QString DefaultName();

  private:
    void Accept();
    void Deliver(const QStringList& arguments);

    QString name_;
    std::unique_ptr<QLocalServer> server_;
    Receiver receiver_;
};

}  // namespace app
