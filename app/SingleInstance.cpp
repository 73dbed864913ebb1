#include "app/SingleInstance.h"

#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <QCryptographicHash>
#include <QLocalSocket>
#include <QSocketNotifier>
#include <QTimer>
#include <QtEndian>
#include <array>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "app/MainWindow.h"
#include "app/Startup.h"
#include "app/WindowList.h"
#include "platform/ProgramDir.h"
#include "platform/core/TempFiles.h"
#include "platform/core/UserSocket.h"

namespace app {
namespace {
// How long a start waits for the window that holds the lock to listen, and for an answer once connected.
// A window busy for longer than the answer wait is taken for hung, and this start opens its own.
constexpr std::chrono::milliseconds kSetUpWait{5000};
constexpr std::chrono::milliseconds kRetryStep{10};
constexpr int kAnswerWaitMs = 10000;
// Far beyond any command line the system passes (ARG_MAX); a longer message is no start of ours.
constexpr std::size_t kMaxMessage = 64u << 20;

// Shows the main window in front, once it takes files, and adds them; during a run it tries again later.
void AddToMainWindow(const std::vector<std::string>& arguments) {
    TMainForm* form = Forms.MainForm;
    auto* add = form != nullptr ? form->Find<QAction>("Addfiles1") : nullptr;
    if (add == nullptr || !add->isEnabled() || !form->isVisible()) {
        QTimer::singleShot(500, [arguments] { AddToMainWindow(arguments); });
        return;
    }
    if (form->isMinimized())
        form->showNormal();
    form->raise();
    form->activateWindow();
    AddCommandLineFiles(arguments);
}

void AppendSize(std::string& out, std::size_t size) {
    const quint32 big = qToBigEndian(static_cast<quint32>(size));
    out.append(reinterpret_cast<const char*>(&big), sizeof big);
}

quint32 SizeAt(const std::string& in, std::size_t at) {
    quint32 big = 0;
    in.copy(reinterpret_cast<char*>(&big), sizeof big, at);
    return qFromBigEndian(big);
}

// The arguments as bytes, each with its length, after the length of the whole.
std::string Pack(const std::vector<std::string>& arguments) {
    std::string body;
    for (const std::string& argument : arguments) {
        AppendSize(body, argument.size());
        body += argument;
    }
    std::string message;
    AppendSize(message, body.size());
    return message + body;
}

// What a connection has sent so far, read as Pack wrote it.
struct Unpacked {
    bool complete = false;
    bool malformed = false;
    std::vector<std::string> arguments;
};
Unpacked Unpack(const std::string& in) {
    Unpacked result;
    if (in.size() < 4)
        return result;
    const std::size_t size = SizeAt(in, 0);
    if (size > kMaxMessage || in.size() > 4 + size) {
        result.malformed = true;
        return result;
    }
    if (in.size() < 4 + size)
        return result;
    for (std::size_t at = 4; at < in.size();) {
        const std::size_t length = in.size() - at >= 4 ? SizeAt(in, at) : 0;
        if (in.size() - at < 4 || length > in.size() - at - 4) {
            result.malformed = true;
            return result;
        }
        result.arguments.push_back(in.substr(at + 4, length));
        at += 4 + length;
    }
    result.complete = true;
    return result;
}

// The socket of the window this process serves goes however the process ends. Qt ends it with exit()
// when the display goes away (as at logout), and the signals sent at logout end it at once: neither
// runs the destructors of main's objects, and each window used to leave its socket behind so.
constexpr std::array kEndSignals{SIGTERM, SIGINT, SIGHUP};
std::array<struct sigaction, kEndSignals.size()> previousActions;
std::atomic<bool> servedSocketSet{false};
char servedSocket[sizeof(sockaddr_un::sun_path)];
std::mutex servedMutex;
const SingleInstance* servedBy = nullptr;

void RemoveServedSocket() {
    if (servedSocketSet.exchange(false))
        ::unlink(servedSocket);
}

extern "C" void RemoveServedSocketOnSignal(int sig, siginfo_t* info, void* context) {
    const int saved = errno;
    RemoveServedSocket();
    errno = saved;
    for (std::size_t i = 0; i < kEndSignals.size(); ++i) {
        if (kEndSignals[i] != sig)
            continue;
        // Then whatever was there before: another handler, or the end the signal would have brought.
        const struct sigaction& before = previousActions[i];
        if ((before.sa_flags & SA_SIGINFO) != 0) {
            before.sa_sigaction(sig, info, context);
        } else if (before.sa_handler != SIG_DFL && before.sa_handler != SIG_IGN) {
            before.sa_handler(sig);
        } else {
            ::signal(sig, SIG_DFL);
            ::raise(sig);
        }
    }
}

void RemoveAtEnd(const SingleInstance* instance, const std::string& socket) {
    static std::once_flag once;
    std::call_once(once, [] {
        std::atexit(RemoveServedSocket);
        for (std::size_t i = 0; i < kEndSignals.size(); ++i) {
            struct sigaction action {};
            action.sa_sigaction = RemoveServedSocketOnSignal;
            action.sa_flags = SA_SIGINFO;
            sigemptyset(&action.sa_mask);
            // A signal ignored (a start under nohup) stays ignored.
            if (::sigaction(kEndSignals[i], nullptr, &previousActions[i]) == 0 &&
                previousActions[i].sa_handler != SIG_IGN)
                ::sigaction(kEndSignals[i], &action, nullptr);
        }
    });
    const std::lock_guard guard(servedMutex);
    if (servedBy != nullptr || socket.size() >= sizeof servedSocket)
        return;  // only one window serves per process but in tests
    socket.copy(servedSocket, socket.size());
    servedSocket[socket.size()] = '\0';
    servedBy = instance;
    servedSocketSet = true;
}

void ForgetAtEnd(const SingleInstance* instance) {
    const std::lock_guard guard(servedMutex);
    if (servedBy == instance) {
        servedSocketSet = false;
        servedBy = nullptr;
    }
}

bool SendAll(int fd, const std::string& bytes) {
    for (std::size_t sent = 0; sent < bytes.size();) {
        // No SIGPIPE when the window ends meanwhile: that is only a failed hand-over.
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        sent += static_cast<std::size_t>(n);
    }
    return true;
}
}  // namespace

SingleInstance::SingleInstance(std::string name) : name_(name.empty() ? DefaultName() : std::move(name)) {
    receiver_ = AddToMainWindow;
}

SingleInstance::~SingleInstance() {
    Close();
}

std::string SingleInstance::DefaultName() {
    const std::string runtime = platform::PrivateRuntimeFolder("quenzor");
    if (runtime.empty())
        return {};
    const QByteArray settings = QByteArray::fromStdString(platform::UserFilesDirectory());
    const QByteArray hash = QCryptographicHash::hash(settings, QCryptographicHash::Sha1).toHex().left(16);
    return runtime + "/quenzor-" + std::to_string(::geteuid()) + "-" + hash.toStdString();
}

void SingleInstance::SetReceiver(Receiver receiver) {
    receiver_ = std::move(receiver);
}

bool SingleInstance::HandOver(const std::vector<std::string>& arguments) {
    if (name_.empty())
        return false;  // no private folder: this window runs on its own
    // Names travel whole and after "--", so the window takes them as this start would have.
    std::vector<std::string> names{arguments.empty() ? std::string() : arguments.front(), "--"};
    for (std::string& name : CommandLineNames(arguments))
        names.push_back(std::move(name));
    const std::string message = Pack(names);

    lock_ = platform::OpenOwnLockFile(name_ + ".lock");
    const auto deadline = std::chrono::steady_clock::now() + kSetUpWait;
    while (lock_.Valid()) {
        if (::flock(lock_.Get(), LOCK_EX | LOCK_NB) == 0) {
            if (Serve())
                return false;
            break;
        }
        // A file system without locks cannot decide who serves.
        if (errno != EWOULDBLOCK && errno != EINTR)
            break;
        const Sent sent = Send(message);
        if (sent == Sent::Taken) {
            lock_.Reset();
            return true;
        }
        // Nobody listens yet (the holder is setting up) or any more (it is ending, and then the lock
        // comes free).
        if (sent == Sent::Alone || std::chrono::steady_clock::now() > deadline)
            break;
        std::this_thread::sleep_for(kRetryStep);
    }
    lock_.Reset();
    return false;
}

SingleInstance::Sent SingleInstance::Send(const std::string& message) const {
    const platform::UniqueFd socket = platform::ConnectToOwn(name_, kAnswerWaitMs);
    // Someone else's socket or process, or a name no socket can have: this window runs on its own.
    if (!socket.Valid())
        return errno == EPERM || errno == EACCES || errno == ENAMETOOLONG ? Sent::Alone : Sent::Nobody;
    // A window that takes longer than the answer wait is hung; one that ends meanwhile has taken nothing.
    if (!SendAll(socket.Get(), message))
        return errno == EAGAIN ? Sent::Alone : Sent::Nobody;
    // The window answers once it has the whole list.
    char answer = 0;
    ssize_t n;
    do {
        n = ::recv(socket.Get(), &answer, 1, 0);
    } while (n < 0 && errno == EINTR);
    if (n == 1)
        return Sent::Taken;
    return n < 0 && errno == EAGAIN ? Sent::Alone : Sent::Nobody;
}

bool SingleInstance::Serve() {
    // Holding the lock, a socket of ours there is one a window left when it was killed; anything else
    // is not ours to replace.
    if (platform::IsOwnSocket(name_))
        ::unlink(name_.c_str());
    listener_ = platform::ListenAt(name_);
    if (!listener_.Valid())
        return false;
    RemoveAtEnd(this, name_);
    notifier_ = std::make_unique<QSocketNotifier>(listener_.Get(), QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, &SingleInstance::Accept);
    return true;
}

void SingleInstance::Close() {
    notifier_.reset();
    if (listener_.Valid()) {
        ForgetAtEnd(this);
        // Only the socket this window made: the lock kept anyone else from putting another there.
        if (platform::IsOwnSocket(name_))
            ::unlink(name_.c_str());
        listener_.Reset();
    }
    // The lock file stays: were it removed, a start that has it open and one that makes it anew could
    // both hold a lock.
    lock_.Reset();
}

void SingleInstance::Accept() {
    for (;;) {
        platform::UniqueFd fd(::accept4(listener_.Get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
        if (!fd.Valid()) {
            if (errno == EINTR || errno == ECONNABORTED)
                continue;
            return;
        }
        // A process of another user is not heard.
        if (!platform::PeerIsThisUser(fd.Get()))
            continue;
        auto* socket = new QLocalSocket(this);
        if (!socket->setSocketDescriptor(fd.Get())) {
            delete socket;
            continue;
        }
        fd.Release();  // the socket owns it now
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto received = std::make_shared<std::string>();
        auto read = [this, socket, received] {
            const QByteArray more = socket->readAll();
            received->append(more.constData(), static_cast<std::size_t>(more.size()));
            const Unpacked message = Unpack(*received);
            if (message.malformed) {
                socket->abort();
                return;
            }
            if (!message.complete)
                return;  // more to come
            received->clear();
            socket->write("1");
            socket->flush();
            Deliver(message.arguments);
        };
        connect(socket, &QLocalSocket::readyRead, this, read);
        if (socket->bytesAvailable() > 0)
            read();
    }
}

void SingleInstance::Deliver(const std::vector<std::string>& arguments) {
    if (receiver_)
        receiver_(arguments);
}

}  // namespace app
