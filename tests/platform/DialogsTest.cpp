#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include "platform/Dialogs.h"
#include "platform/PowerOffCountdown.h"
#include "support/ModalDriver.h"

using platform::MessageBox;

TEST(Dialogs, AMessageShowsAFileNameWithBracketsAsItIs) {
    // A real box this time: the quoted name must reach the screen whole, not as markup.
    MessageBox::SetScripted(false);
    const std::string text = "Don't find /media/<i>clip</i> & <b>more</b>.avi";
    int shownWidth = -1;
    int textWidth = 0;
    auto opened = std::make_shared<bool>(false);
    WhenModalOpens(
        [&](QWidget* modal) {
            auto* label = modal->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
            if (label != nullptr) {
                shownWidth = label->sizeHint().width();
                textWidth = QFontMetrics(label->font()).horizontalAdvance(QString::fromStdString(text));
            }
            if (auto* box = qobject_cast<QMessageBox*>(modal))
                box->buttons().front()->click();
        },
        opened);
    MessageBox::ShowMessage(text);
    MessageBox::SetScripted(true);
    ASSERT_TRUE(*opened);
    EXPECT_GE(shownWidth, textWidth);
}

TEST(Dialogs, ThePowerOffCountdownPowersOffOnlyAtItsEndAndCancelKeepsTheMachineOn) {
    int poweredOff = 0;
    auto cancelOf = [](platform::PowerOffCountdown& countdown) {
        return countdown.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel);
    };
    {
        platform::PowerOffCountdown countdown(60, [&] { ++poweredOff; });
        countdown.show();
        for (int i = 0; i < 59; ++i)
            countdown.Tick();
        EXPECT_EQ(countdown.SecondsLeft(), 1);
        EXPECT_NE(countdown.findChild<QLabel*>("CountdownText")->text().indexOf("in 1 second."), -1);
        EXPECT_TRUE(cancelOf(countdown)->isDefault()) << "Enter keeps the machine on";
        cancelOf(countdown)->click();
        for (int i = 0; i < 5; ++i)
            countdown.Tick();
        EXPECT_EQ(poweredOff, 0);
        EXPECT_FALSE(countdown.isVisible());
    }
    {
        platform::PowerOffCountdown countdown(2, [&] { ++poweredOff; });
        countdown.show();
        countdown.Tick();
        EXPECT_EQ(poweredOff, 0);
        countdown.Tick();
        countdown.Tick();
        EXPECT_EQ(poweredOff, 1);
        EXPECT_FALSE(countdown.isVisible());
    }
}
