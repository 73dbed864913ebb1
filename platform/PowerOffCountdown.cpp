#include "platform/PowerOffCountdown.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace platform {

PowerOffCountdown::PowerOffCountdown(int seconds, std::function<void()> powerOff, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowStaysOnTopHint), left_(seconds), powerOff_(std::move(powerOff)) {
    setObjectName(QStringLiteral("PowerOffCountdown"));
    setWindowTitle(QStringLiteral("Turn Off"));
    text_ = new QLabel(this);
    text_->setObjectName(QStringLiteral("CountdownText"));
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* now = buttons->addButton(QStringLiteral("Turn Off &Now"), QDialogButtonBox::AcceptRole);
    QPushButton* cancel = buttons->addButton(QDialogButtonBox::Cancel);
    now->setAutoDefault(false);
    cancel->setDefault(true);  // Enter, like Esc, keeps the machine on
    cancel->setFocus();
    connect(buttons, &QDialogButtonBox::accepted, this, &PowerOffCountdown::PowerOffNow);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(text_);
    layout->addWidget(buttons);
    timer_ = new QTimer(this);
    connect(timer_, &QTimer::timeout, this, &PowerOffCountdown::Tick);
    // However the window ends, the count ends with it.
    connect(this, &QDialog::finished, this, [this] {
        timer_->stop();
        ended_ = true;
    });
    timer_->start(1000);
    ShowLeft();
}

void PowerOffCountdown::Tick() {
    if (ended_ || left_ <= 0)
        return;
    --left_;
    ShowLeft();
    if (left_ == 0)
        PowerOffNow();
}

void PowerOffCountdown::ShowLeft() {
    text_->setText(QStringLiteral("The conversion is complete. The computer turns off in %1 second%2.\n"
                                  "Save your work in other programs, or press Cancel to leave it on.")
                       .arg(left_)
                       .arg(left_ == 1 ? QString() : QStringLiteral("s")));
}

void PowerOffCountdown::PowerOffNow() {
    if (ended_)
        return;
    left_ = 0;
    accept();
    if (powerOff_)
        powerOff_();
}

}  // namespace platform
