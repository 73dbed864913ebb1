#include "platform/Completion.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusInterface>
#include <QSoundEffect>
#include <QUrl>

#include "platform/PowerOffCountdown.h"

namespace platform {
namespace {
std::function<void(const std::string&)>& SoundHandler() {
    static std::function<void(const std::string&)> handler;
    return handler;
}
std::function<void()>& PowerHandler() {
    static std::function<void()> handler;
    return handler;
}
std::function<void(const std::string&, const std::string&)>& NotifyHandler() {
    static std::function<void(const std::string&, const std::string&)> handler;
    return handler;
}
}  // namespace

void SetSoundHandler(std::function<void(const std::string&)> handler) {
    SoundHandler() = std::move(handler);
}
void SetPowerOffHandler(std::function<void()> handler) {
    PowerHandler() = std::move(handler);
}
void SetNotifyHandler(std::function<void(const std::string&, const std::string&)> handler) {
    NotifyHandler() = std::move(handler);
}

void NotifyDesktop(const std::string& summary, const std::string& body) {
    if (NotifyHandler()) {
        NotifyHandler()(summary, body);
        return;
    }
    QDBusInterface service(QStringLiteral("org.freedesktop.Notifications"),
                           QStringLiteral("/org/freedesktop/Notifications"),
                           QStringLiteral("org.freedesktop.Notifications"), QDBusConnection::sessionBus());
    if (!service.isValid())
        return;
    const QString entry = QStringLiteral("example.vastrel.Quenzor");
    service.call(QDBus::NoBlock, QStringLiteral("Notify"), QStringLiteral("Quenzor"), 0u, entry,
                 QString::fromStdString(summary), QString::fromStdString(body), QStringList(),
                 QVariantMap{{QStringLiteral("desktop-entry"), entry}}, -1);
}

void PlaySoundAsync(const std::string& wavPath) {
    if (SoundHandler()) {
        SoundHandler()(wavPath);
        return;
    }
    // One effect for the program's life: it must outlive this call to go on playing.
    static QSoundEffect* effect = new QSoundEffect(QCoreApplication::instance());
    effect->setSource(QUrl::fromLocalFile(QString::fromStdString(wavPath)));
    effect->play();
}

void RequestPowerOff() {
    if (PowerHandler()) {
        PowerHandler()();
        return;
    }
    auto* countdown = new PowerOffCountdown(60, PowerOffNow);
    countdown->setAttribute(Qt::WA_DeleteOnClose);
    countdown->show();
    countdown->raise();
    countdown->activateWindow();
}

void PowerOffNow() {
    QDBusInterface login1(QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
                          QStringLiteral("org.freedesktop.login1.Manager"), QDBusConnection::systemBus());
    if (login1.isValid()) {
        login1.call(QDBus::NoBlock, QStringLiteral("PowerOff"), true);
    }
}

}  // namespace platform
