#pragma once
#include <QDialog>
#include <string>

#include "jobs/JobList.h"

class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace jobs {

// The destination of `source` inside `directory` (held without its trailing delimiter).
std::string DestinationIn(const std::string& directory, const std::string& source);

// The Output File Dialog: destinations beside their sources, or in one other existing directory.
class TOutputForm : public QDialog {
    Q_OBJECT
  public:
    explicit TOutputForm(QWidget* parent = nullptr);

    // Shows `directory` (without its trailing delimiter) with "Same as source file directory " chosen when
    // `sameAsSource`, modally. Returns whether OK was pressed; then Directory() is the folder chosen under
    // "Other directory" (or `directory` again) and SameAsSource() which button was chosen.
    bool Execute(const std::string& directory, bool sameAsSource);
    const std::string& Directory() const { return directory_; }
    bool SameAsSource() const;

  private:
    void RadioButton1Click();
    void RadioButton2Click();
    void DirectoryButtonClick();
    void Button2Click();
    void Button3Click();
    void SelectSameAsSource();
    void SelectOtherDirectory();

    std::string directory_;
    QGroupBox* GroupBox1 = nullptr;
    QRadioButton* RadioButton1 = nullptr;  // "Same as source file directory "
    QRadioButton* RadioButton2 = nullptr;  // "Other directory"
    QLineEdit* DirectoryText = nullptr;
    QPushButton* DirectoryButton = nullptr;
    QPushButton* Button2 = nullptr;  // OK
    QPushButton* Button3 = nullptr;  // Cancel
};

// "Set Output Directory": opens the dialog on the first selected job's destination directory and, if the
// user confirms, re-points the destinations of every selected job.
void SetOutputDirectory(JobListView& jobs, TOutputForm& form);

}  // namespace jobs
