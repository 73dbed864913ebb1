#include "cli/StopSignals.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <array>
#include <cerrno>

namespace cli {
namespace {

constexpr std::array<int, 3> kStopSignals = {SIGINT, SIGTERM, SIGHUP};
int pipeFds[2] = {-1, -1};

extern "C" void NoteSignal(int sig) {
    const int saved = errno;
    const unsigned char byte = static_cast<unsigned char>(sig);
    // A full pipe already holds a stop; losing this byte loses nothing.
    (void)!::write(pipeFds[1], &byte, 1);
    errno = saved;
}

}  // namespace

StopSignals::StopSignals(QObject* parent) : QObject(parent) {
    if (::pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0)
        return;  // no clean stop: the signals keep ending the program at once
    notifier_ = std::make_unique<QSocketNotifier>(pipeFds[0], QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &StopSignals::Drain);
    for (const int sig : kStopSignals) {
        struct sigaction old {};
        if (::sigaction(sig, nullptr, &old) == 0 && old.sa_handler == SIG_IGN)
            continue;
        struct sigaction action {};
        action.sa_handler = NoteSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        ::sigaction(sig, &action, nullptr);
    }
}

StopSignals::~StopSignals() {
    if (!notifier_)
        return;
    for (const int sig : kStopSignals) {
        struct sigaction current {};
        if (::sigaction(sig, nullptr, &current) == 0 && current.sa_handler == NoteSignal)
            ::signal(sig, SIG_DFL);
    }
    notifier_.reset();
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    pipeFds[0] = pipeFds[1] = -1;
}

void StopSignals::Drain() {
    unsigned char bytes[16];
    ssize_t n;
    int first = 0;
    while ((n = ::read(pipeFds[0], bytes, sizeof bytes)) > 0)
        if (!first)
            first = bytes[0];
    if (first && !received_) {
        received_ = true;
        emit Received(first);
    }
}

}  // namespace cli
