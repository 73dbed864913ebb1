#pragma once
#include <QDialog>

#include "jobs/Job.h"

class QLabel;
namespace ui {
class ByteKeepingEdit;
}

namespace jobs {

// The Music Information dialog: the five clip texts of one job. Its controls keep their designer names as
// object names.
class TfrmInfo : public QDialog {
    Q_OBJECT
  public:
    explicit TfrmInfo(QWidget* parent = nullptr);

    // The label that shows the face icon the main window gives this window at start.
    QLabel* FaceIconLabel() const { return Image1; }

    // Fills the edits from `job`, shows the dialog modally and, if OK was pressed, copies the five texts
    // back: a text left as shown keeps its bytes, whatever their encoding. Returns whether OK was pressed.
    bool Execute(tListType& job);

  private:
    ui::ByteKeepingEdit* Edit1 = nullptr;  // Title
    ui::ByteKeepingEdit* Edit2 = nullptr;  // Author
    ui::ByteKeepingEdit* Edit3 = nullptr;  // Copyright
    ui::ByteKeepingEdit* Edit5 = nullptr;  // Description
    ui::ByteKeepingEdit* Edit4 = nullptr;  // Keywords
    QLabel* Image1 = nullptr;              // the face icon the main window gives at start
};

}  // namespace jobs
