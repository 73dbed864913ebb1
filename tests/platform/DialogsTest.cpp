#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QFontMetrics>
#include <QLabel>
#include <QMessageBox>

#include "platform/Dialogs.h"
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
