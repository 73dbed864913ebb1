#pragma once
#include <QLineEdit>
#include <string>

namespace ui {

// A text field for text kept as bytes of no known encoding: clip information and folder names from
// data.ini or a job. It shows the bytes as UTF-8; while the user leaves the text as shown, it gives back
// the very bytes it was filled with, so that a title saved in another encoding survives an OK instead of
// turning into replacement characters. Text the user changed comes back as UTF-8.
class ByteKeepingEdit : public QLineEdit {
    Q_OBJECT
  public:
    explicit ByteKeepingEdit(QWidget* parent = nullptr);

    void SetBytes(const std::string& bytes);
    std::string Bytes() const;

  private:
    std::string filled_;
    QString shown_;
};

}  // namespace ui
