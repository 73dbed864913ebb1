#include "extras/MorbeckPrompt.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "ui/Labels.h"
#include "platform/Shell.h"

namespace extras {

const char* const TFormMorbeck::Description[10] = {
    "Morbeck is a handy tool that help you one click to repair media ",
    "files which can not be played or dragged.",
    "",
    " Fix media file can not be played or dragged.",
    " Fix media file which are not completely downloaded.",
    " Fix partly damaged media file.",
    " Support: RM, WMA, WMV, ASF, WM, ASX, AVI ,MP3, MP2, MP1, ",
    "MPA, MPGA, MPG, MPEG, MPA, DAT and WAVE.",
    " Very User-friendly interface.",
    " The rate of success in the fix has reached 82.8% to 97.6%.",
};

TFormMorbeck::TFormMorbeck(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FormMorbeck"));
    setWindowTitle(QStringLiteral("Morbeck"));
    setFixedSize(355, 252);

    Label1 =
        ui::MakeLabel(this, "Label1", 104, 16, ui::PixelFont(QStringLiteral("MS Sans Serif"), 19, true), Qt::black);
    Label1->setText(QStringLiteral("Morbeck"));
    Label1->adjustSize();

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(8, 48, 337, 153);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    QStringList rows;
    for (const char* row : Description)
        rows << QString::fromLatin1(row);
    Memo1->setPlainText(rows.join(QLatin1Char('\n')));

    Button1 = new QPushButton(QStringLiteral("Download"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(248, 216, 75, 25);
    connect(Button1, &QPushButton::clicked, this, &TFormMorbeck::Button1Click);
}

void TFormMorbeck::Button1Click() {
    platform::ShellOpen(DownloadAddress);
}

}  // namespace extras
