#include "app/EncoderSetupPrompt.h"

#include <algorithm>

#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>

#include "platform/EncoderRegistration.h"
#include "platform/ProgramDir.h"
#include "platform/Shell.h"
#include "ui/WindowFrame.h"

namespace app {
namespace {
// The designed outer size; the main window's is taken the same way.
constexpr QSize DesignSize(356, 264);

void SetBold(QLabel* label, bool bold) {
    QFont font = label->font();
    font.setBold(bold);
    label->setFont(font);
    // The labels size themselves to their text: the designed widths were measured in another font, and
    // a bold caption must not lose its last letters.
    QSize hint = label->sizeHint();
    label->resize(std::max(label->width(), hint.width()), std::max(label->height(), hint.height()));
}

QLabel* CaptionLabel(QWidget* parent, const char* name, const char* caption, QRect geometry, bool bold) {
    auto* label = new QLabel(QString::fromUtf8(caption), parent);
    label->setObjectName(QString::fromUtf8(name));
    label->setGeometry(geometry);
    SetBold(label, bold);
    return label;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const char* caption, QRect geometry) {
    auto* button = new QPushButton(QString::fromUtf8(caption), parent);
    button->setObjectName(QString::fromUtf8(name));
    button->setGeometry(geometry);
    button->setAutoDefault(false);
    return button;
}
}  // namespace

TTempForm::TTempForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint) {
    setObjectName(QStringLiteral("TempForm"));
    setWindowTitle(QStringLiteral("Initialize Dialog"));
    setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    move(192, 114);
    setFixedSize(ui::ClientSizeOfOuter(DesignSize));

    Label1 = CaptionLabel(this, "Label1", "1. Download and install  Quenzor.  OK", {40, 32, 241, 13}, false);
    Label2 = CaptionLabel(this, "Label2", "2. Run Quenzor.  OK", {40, 64, 160, 13}, false);
    Label3 = CaptionLabel(this, "Label3", "3. Install Real Basic Now.", {40, 96, 148, 13}, true);
    Label4 = CaptionLabel(this, "Label4", "4. Click Button 'OK' run Quenzor.", {40, 128, 216, 13}, false);

    OKButton = MakeButton(this, "OKButton", "OK", {224, 160, 75, 25});
    OKButton->setEnabled(false);
    OKButton->setDefault(true);
    InstallButton = MakeButton(this, "InstallButton", "&Install", {224, 88, 75, 25});
    setTabOrder(OKButton, InstallButton);

    ProgressBar = new QProgressBar(this);
    ProgressBar->setObjectName(QStringLiteral("ProgressBar"));
    ProgressBar->setGeometry(56, 112, 150, 17);
    ProgressBar->setRange(0, 100);
    ProgressBar->setValue(0);
    ProgressBar->setTextVisible(false);
    ProgressBar->setAccessibleName(QStringLiteral("Real Basic set-up"));
    ProgressBar->hide();

    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(1000);
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(20);

    connect(InstallButton, &QPushButton::clicked, this, &TTempForm::InstallButtonClick);
    connect(OKButton, &QPushButton::clicked, this, &TTempForm::OKButtonClick);
    connect(Timer1, &QTimer::timeout, this, &TTempForm::Timer1Timer);
    connect(Timer2, &QTimer::timeout, this, &TTempForm::Timer2Timer);
    Timer1->start();
}

TTempForm::~TTempForm() = default;

void TTempForm::InstallButtonClick() {
    platform::RunProgram(platform::CurrentLayout().installer);
}

void TTempForm::Timer1Timer() {
    if (!platform::IsEncoderInstalled())
        return;
    Timer1->stop();
    ProgressBar->show();
    Timer2->start();
}

void TTempForm::Timer2Timer() {
    ProgressBar->setValue(ProgressBar->value() + 1);
    if (ProgressBar->value() != ProgressBar->maximum())
        return;
    Timer2->stop();
    SetBold(Label3, false);
    SetBold(Label4, true);
    ProgressBar->hide();
    OKButton->setEnabled(true);
}

void TTempForm::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TTempForm::OKButtonClick() {
    accept();
}

}  // namespace app
