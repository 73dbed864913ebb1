#pragma once
#include <QObject>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/UniqueFd.h"

class QSocketNotifier;

namespace app {

// One window per user and set of settings: a later start hands its command line to the window that is
// open and ends, so that only one process writes the settings. The meeting point is a local socket in the
// user's private runtime folder, named after the folder the settings lie in. Who serves is decided under
// a lock on a file beside the socket, which the serving window holds for as long as it runs; whatever
// the timing, one window serves and the others reach it. Only this user's processes are met: a socket
// file or a peer of someone else means this window runs on its own.
class SingleInstance : public QObject {
    Q_OBJECT
  public:
    // `name` is the socket's path; empty: the one for this user and the settings in force.
    explicit SingleInstance(std::string name = {});
    ~SingleInstance() override;

    // When a window is open already, gives it the names among `arguments` (argv's bytes after Qt took
    // its options, the program's name first) and returns true: this start is done. Otherwise returns
    // false, serving later starts when it can; with no safe meeting point the window runs on its own.
    bool HandOver(const std::vector<std::string>& arguments);

    // What is done with a later start's arguments (the program's name, "--", then full paths); by
    // default they join the main window's job list as the command line's files do, as soon as it takes
    // files, and the window comes to the front.
    using Receiver = std::function<void(const std::vector<std::string>& arguments)>;
    void SetReceiver(Receiver receiver);

    // Whether this start serves later ones.
    bool Serving() const { return listener_.Valid(); }
    // Stops serving: the socket goes, then the lock, so a later start serves in its place. The
    // destructor does the same.
    void Close();

    // The socket's path for this user and the settings in force; empty when this user has no private
    // folder to meet in.
    static std::string DefaultName();

  private:
    enum class Sent { Taken, Nobody, Alone };
    Sent Send(const std::string& message) const;
    bool Serve();
    void Accept();
    void Deliver(const std::vector<std::string>& arguments);

    std::string name_;
    platform::UniqueFd lock_;
    platform::UniqueFd listener_;
    std::unique_ptr<QSocketNotifier> notifier_;
    Receiver receiver_;
};

}  // namespace app
