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
    void SetDownloadAddress(const std::string& address) { downloadAddress_ = address; }
    const std::string& DownloadAddress() const { return downloadAddress_; }

    // The description, one string per memo row.
    static const char* const Description[10];

  private:
    void Button1Click();

    std::string downloadAddress_;
    QLabel* Label1;
    QPlainTextEdit* Memo1;
    QPushButton* Button1;
};

}  // namespace extras
