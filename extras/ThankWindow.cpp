#include "extras/ThankWindow.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace extras {

TThankForm::TThankForm(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ThankForm"));
    setWindowTitle(QStringLiteral("Thank"));
    setFixedSize(482, 331);
    move(192, 107);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(8, 8, 465, 273);
    Memo1->setReadOnly(true);
    Memo1->setAccessibleName(QStringLiteral("Thanks"));
    // Read-only, the memo would answer only the mouse; Ctrl+End, Ctrl+Home and the arrows move through
    // the text as well.
    Memo1->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    FaceIco = new QLabel(this);
    FaceIco->setObjectName(QStringLiteral("FaceIco"));
    FaceIco->setGeometry(8, 292, 33, 37);
    FaceIco->setAccessibleName(QStringLiteral("Face icon"));

    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(376, 296, 75, 25);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &TThankForm::Button1Click);
}

void TThankForm::ShowLines(const std::vector<std::string>& lines) {
    // Wrapping a huge line takes the layout many seconds; such a text is shown unwrapped instead.
    constexpr std::size_t LongestWrappedLine = 4096;
    bool wrap = true;
    QStringList text;
    text.reserve(static_cast<qsizetype>(lines.size()));
    for (const std::string& line : lines) {
        if (line.size() > LongestWrappedLine)
            wrap = false;
        text << QString::fromStdString(line);
    }
    Memo1->setLineWrapMode(wrap ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    Memo1->setPlainText(text.join(QLatin1Char('\n')));
}

void TThankForm::Button1Click() {
    close();
}

}  // namespace extras
