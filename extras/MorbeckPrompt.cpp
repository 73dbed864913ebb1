#include "extras/MorbeckPrompt.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <algorithm>

#include "platform/Shell.h"
#include "ui/Labels.h"
#include "ui/WindowFrame.h"

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

    Label1 = ui::MakeLabel(this, "Label1", 104, 16, ui::PixelFont(QStringLiteral("MS Sans Serif"), 19, true),
                           Qt::black);
    Label1->setText(QStringLiteral("Morbeck"));
    Label1->adjustSize();

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(8, 48, 337, 153);
    Memo1->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    Memo1->setAccessibleName(QStringLiteral("What Morbeck does"));
    QStringList rows;
    for (const char* row : Description)
        rows << QString::fromLatin1(row);
    Memo1->setPlainText(rows.join(QLatin1Char('\n')));

    Button1 = new QPushButton(QStringLiteral("&Download"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(248, 216, 75, 25);
    connect(Button1, &QPushButton::clicked, this, &TFormMorbeck::Button1Click);

    // The rows were measured for the design's font. In a wider one the memo would break them a second
    // time, mid-sentence, and need a scroll bar; so it grows until every row is one line and all are in
    // view, and the window and the button move with its edges.
    const QFontMetrics fm(Memo1->font());
    int widest = 0;
    for (const QString& row : rows)
        widest = std::max(widest, fm.horizontalAdvance(row));
    const int around = 2 * (Memo1->frameWidth() + qRound(Memo1->document()->documentMargin()));
    // Across, room for the scroll bar as well: the memo lays the text out before it knows that everything
    // fits, and a bar shown at that moment would take its width from the rows. A pixel for the cursor and
    // one for rounding.
    const int bar = Memo1->verticalScrollBar()->sizeHint().width();
    const QSize need(widest + around + bar + 2, static_cast<int>(rows.size()) * fm.lineSpacing() + around);
    const QSize grow = need.expandedTo(Memo1->size()) - Memo1->size();
    Memo1->resize(Memo1->size() + grow);
    Button1->move(Button1->pos() + QPoint(grow.width(), grow.height()));
    setFixedSize(QSize(355, 252) + grow);
    ui::CentreOnEveryShowing(*this);
}

void TFormMorbeck::Button1Click() {
    platform::ShellOpen(downloadAddress_);
}

}  // namespace extras
