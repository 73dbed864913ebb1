#pragma once
#include <QDialog>

class QLabel;
class QPushButton;
class QProgressBar;
class QTimer;

namespace app {

// The encoder set-up prompt, shown at start-up when the encoder's application path is missing. The user
// runs the installer beside the program; once a second the prompt looks whether the encoder is complete,
// then runs a short bar and offers OK, which accepts it. Its only effect is what the installer writes; the
// opener takes OK as the encoder being ready.
class TTempForm : public QDialog {
    Q_OBJECT
  public:
    explicit TTempForm(QWidget* parent = nullptr);
    ~TTempForm() override;

    void InstallButtonClick();
    void Timer1Timer();
    void Timer2Timer();
    void OKButtonClick();

  protected:
    // The prompt has no Cancel button, so Esc does nothing; the close box still closes it.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* Label4;
    QPushButton* InstallButton;
    QPushButton* OKButton;
    QProgressBar* ProgressBar;
    QTimer* Timer1;  // presence check, 1000 ms, from creation until it first succeeds
    QTimer* Timer2;  // bar, 20 ms, 100 ticks
};

}  // namespace app
