#pragma once
#include <QDialog>

namespace ui {

// The frame of the program's editing dialogs: a modal dialog with a fixed client size, a caption and a
// close box, and no way to resize it.
void SetUpFixedDialog(QDialog& dialog, const char* name, const QString& caption, QSize clientSize);

}  // namespace ui
