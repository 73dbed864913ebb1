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
}  // namespace

void SetSoundHandler(std::function<void(const std::string&)> handler) {
    SoundHandler() = std::move(handler);
}
void SetPowerOffHandler(std::function<void()> handler) {
    PowerHandler() = std::move(handler);
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
