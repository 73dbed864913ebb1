#include "ui/FixedDialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace ui {

void SetUpFixedDialog(QDialog& dialog, const char* name, const QString& caption, QSize clientSize) {
    dialog.setObjectName(QLatin1String(name));
    dialog.setWindowTitle(caption);
    dialog.setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint);
    dialog.setModal(true);
    dialog.setFixedSize(clientSize);
}

OkCancelRow MakeOkCancelRow(QDialog& dialog) {
    auto* faceIcon = new QLabel(&dialog);
    faceIcon->setObjectName(QStringLiteral("Image1"));
    faceIcon->setFixedSize(41, 33);
    faceIcon->setAlignment(Qt::AlignCenter);
    faceIcon->setAccessibleName(QStringLiteral("Face icon"));

    auto* buttons = new QDialogButtonBox(&dialog);
    buttons->setObjectName(QStringLiteral("ButtonBox"));
    QPushButton* ok = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("Button1"));
    ok->setDefault(true);
    QPushButton* cancel = buttons->addButton(QStringLiteral("Cancel"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("Button2"));
    cancel->setAutoDefault(false);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);

    auto* row = new QHBoxLayout;
    row->addWidget(faceIcon);
    row->addWidget(buttons, 1);
    return {row, faceIcon};
}

}  // namespace ui
