#include "app/SingleInstance.h"

#include <unistd.h>
#include <QCryptographicHash>
#include <QDataStream>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStandardPaths>
#include <QTimer>

#include "app/MainWindow.h"
#include "app/Startup.h"
#include "app/WindowList.h"
#include "platform/ProgramDir.h"

namespace app {
namespace {
constexpr int kWaitMs = 2000;

// Shows the main window in front, once it takes files, and adds them; during a run it tries again later.
void AddToMainWindow(const QStringList& arguments) {
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
}  // namespace

SingleInstance::SingleInstance(QString name) : name_(name.isEmpty() ? DefaultName() : std::move(name)) {
    receiver_ = AddToMainWindow;
}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::DefaultName() {
    QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (runtime.isEmpty())
        runtime = QDir::tempPath();
    const QByteArray settings = QByteArray::fromStdString(platform::UserFilesDirectory());
    const QByteArray hash = QCryptographicHash::hash(settings, QCryptographicHash::Sha1).toHex().left(16);
    return runtime + QStringLiteral("/quenzor-%1-%2").arg(::getuid()).arg(QString::fromLatin1(hash));
}

void SingleInstance::SetReceiver(Receiver receiver) {
    receiver_ = std::move(receiver);
}

bool SingleInstance::HandOver(const QStringList& arguments) {
    // Paths travel whole, so the window resolves them as this start would have.
    QStringList absolute{arguments.value(0)};
    bool options = true;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (options && argument == QStringLiteral("--")) {
            options = false;
            absolute << argument;
            continue;
        }
        absolute << ((options && argument.startsWith('-')) || argument.isEmpty()
                         ? argument
                         : QDir::current().absoluteFilePath(argument));
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
        QLocalSocket socket;
        socket.connectToServer(name_);
        if (socket.waitForConnected(kWaitMs)) {
            QByteArray message;
            QDataStream stream(&message, QIODevice::WriteOnly);
            stream << absolute;
            socket.write(message);
            socket.waitForBytesWritten(kWaitMs);
            // The window answers once it has the whole list.
            if (socket.waitForReadyRead(kWaitMs))
                return true;
        }
        server_ = std::make_unique<QLocalServer>();
        server_->setSocketOptions(QLocalServer::UserAccessOption);
        if (server_->listen(name_))
            break;
        // Nobody answered: the socket is left over from a window that ended without closing it. When a
        // window started at this very moment holds it, the next attempt reaches that window.
        if (server_->serverError() == QAbstractSocket::AddressInUseError && attempt == 0) {
            QLocalSocket probe;
            probe.connectToServer(name_);
            if (!probe.waitForConnected(kWaitMs))
                QLocalServer::removeServer(name_);
            server_.reset();
            continue;
        }
        server_.reset();  // no meeting point: this window runs alone
        return false;
    }
    if (server_)
        connect(server_.get(), &QLocalServer::newConnection, this, &SingleInstance::Accept);
    return false;
}

void SingleInstance::Accept() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        auto read = [this, socket] {
            QDataStream stream(socket);
            stream.startTransaction();
            QStringList arguments;
            stream >> arguments;
            if (!stream.commitTransaction())
                return;  // more to come
            socket->write("1");
            socket->flush();
            Deliver(arguments);
        };
        connect(socket, &QLocalSocket::readyRead, this, read);
        if (socket->bytesAvailable() > 0)
            read();  // arrived before the connection above
    }
}

void SingleInstance::Deliver(const QStringList& arguments) {
    if (receiver_)
        receiver_(arguments);
}

}  // namespace app
