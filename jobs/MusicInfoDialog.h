#pragma once
#include <QDialog>

#include "jobs/Job.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace jobs {

// The Music Information dialog: the five clip texts of one job.
class TfrmInfo : public QDialog {
    Q_OBJECT
  public:
    // The label that shows the face icon the main window gives this window at start.
    QLabel* FaceIconLabel() const { return Image1; }
    explicit TfrmInfo(QWidget* parent = nullptr);

    bool Accepted = false;

    QLineEdit* Edit1 = nullptr;      // Title
    QLineEdit* Edit2 = nullptr;      // Author
    QLineEdit* Edit3 = nullptr;      // Copyright
    QLineEdit* Edit5 = nullptr;      // Description
    QLineEdit* Edit4 = nullptr;      // Keywords
    QLabel* Image1 = nullptr;        // the face icon the main window gives at start
    QPushButton* Button1 = nullptr;  // OK
    QPushButton* Button2 = nullptr;  // Cancel

    // Clears Accepted, fills the edits from `job`, shows the dialog modally and, if OK was pressed,
    // copies the five texts back unchanged. Returns Accepted.
    bool Execute(tListType& job);

    void Button1Click();
    void Button2Click();
};

}  // namespace jobs
