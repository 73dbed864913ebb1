#include "ui/FixedDialog.h"

namespace ui {

void SetUpFixedDialog(QDialog& dialog, const char* name, const QString& caption, QSize clientSize) {
    dialog.setObjectName(QLatin1String(name));
    dialog.setWindowTitle(caption);
    dialog.setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint);
    dialog.setModal(true);
    dialog.setFixedSize(clientSize);
}

}  // namespace ui
