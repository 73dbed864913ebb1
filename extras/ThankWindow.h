#pragma once
#include <QDialog>
#include <string>
#include <vector>

class QLabel;
class QPlainTextEdit;
class QPushButton;

namespace extras {

// The acknowledgements window, filled from thank.txt by the About window's "Thank" button.
class TThankForm : public QDialog {
    Q_OBJECT
  public:
    // The label that shows the face icon the main window gives this window at start.
    QLabel* FaceIconLabel() const { return FaceIco; }
    explicit TThankForm(QWidget* parent = nullptr);

    // Fills the memo, one line per string; none empties it.
    void ShowLines(const std::vector<std::string>& lines);

  private:
    void Button1Click();

    QPlainTextEdit* Memo1;
    QLabel* FaceIco;
    QPushButton* Button1;
};

}  // namespace extras
