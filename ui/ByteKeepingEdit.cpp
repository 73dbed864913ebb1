#include "ui/ByteKeepingEdit.h"

namespace ui {

ByteKeepingEdit::ByteKeepingEdit(QWidget* parent) : QLineEdit(parent) {}

void ByteKeepingEdit::SetBytes(const std::string& bytes) {
    setText(QString::fromStdString(bytes));
    filled_ = bytes;
    shown_ = text();
}

std::string ByteKeepingEdit::Bytes() const {
    if (text() == shown_)
        return filled_;
    return text().toStdString();
}

}  // namespace ui
