#pragma once
#include <QDialog>
#include <string>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace extras {

// The prompt shown by "Fix" when the media-repair tool is not installed: what the tool does, and a
// "Download" button leading to the maker's site.
class TFormMorbeck : public QDialog {
    Q_OBJECT
  public:
    // With a parent the prompt opens centred over it.
    explicit TFormMorbeck(QWidget* parent = nullptr);

    // The address "Download" opens; set by the main window when it is first shown.
    std::string DownloadAddress;
    void SetDownloadAddress(const std::string& address) { DownloadAddress = address; }

    QLabel* Label1;
    QPlainTextEdit* Memo1;
    QPushButton* Button1;

    void Button1Click();

    // The description, one string per memo row.
    static const char* const Description[10];
};

}  // namespace extras
