#pragma once
#include <QDialog>

class QHBoxLayout;
class QLabel;

namespace ui {

// The frame of the program's editing dialogs: a modal dialog with a fixed client size, a caption and a
// close box, and no way to resize it.
void SetUpFixedDialog(QDialog& dialog, const char* name, const QString& caption, QSize clientSize);

// The bottom row of an editing dialog: on the left the label "Image1" for the face icon the main window
// gives the dialog at start, on the right OK ("Button1", the default button) and Cancel ("Button2"),
// which close the dialog with exec() giving Accepted or Rejected.
struct OkCancelRow {
    QHBoxLayout* layout;
    QLabel* faceIcon;
};
OkCancelRow MakeOkCancelRow(QDialog& dialog);

}  // namespace ui
