#include "extras/AboutWindow.h"

#include <QFrame>
#include <QMouseEvent>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <algorithm>
#include <array>

#include "extras/Links.h"
#include "extras/ThankFile.h"
#include "extras/ThankWindow.h"
#include "platform/Dialogs.h"
#include "platform/ProgramDir.h"
#include "platform/Shell.h"
#include "platform/core/Paths.h"
#include "ui/Labels.h"
#include "ui/WindowFrame.h"

namespace extras {
namespace {
const QString SansSerif = QStringLiteral("MS Sans Serif");
const QColor LinkBlue(0, 0, 255);
// The engraved name's layers, lowest first: white, grey, black.
constexpr int NameTops[3] = {36, 35, 34};

ModifierKeys KeysOf(const QMouseEvent* event) {
    const Qt::KeyboardModifiers m = event->modifiers();
    return {.shift = m.testFlag(Qt::ShiftModifier),
            .control = m.testFlag(Qt::ControlModifier),
            .alt = m.testFlag(Qt::AltModifier)};
}

void SetLabelText(QLabel* label, const std::string& text) {
    label->setText(QString::fromStdString(text));
    label->adjustSize();
}

// The product name is three labels: white, grey, then black on top, each one pixel higher than the one
// before, which makes the name look engraved.
QLabel* NameLayer(QWidget* parent, const char* name, int y, const QColor& color) {
    QFont font = ui::PixelFont(QStringLiteral("Courier New"), 48, true);
    font.setStyleHint(QFont::TypeWriter);
    return ui::MakeLabel(parent, name, 248, y, font, color);
}
}  // namespace

TAboutForm::TAboutForm(QWidget* parent) : QDialog(parent), gesture_(358) {
    setObjectName(QStringLiteral("AboutForm"));
    setWindowTitle(QStringLiteral("AboutForm"));
    setFixedSize(594, 377);
    setFont(QFont(QStringLiteral("MS Serif"), 9));

    const QFont text = ui::PixelFont(SansSerif, 13);

    Bevel1 = new QFrame(this);
    Bevel1->setObjectName(QStringLiteral("Bevel1"));
    Bevel1->setFrameStyle(QFrame::Box | QFrame::Sunken);
    Bevel1->setGeometry(8, 8, 225, 361);

    Image1 = new ui::ImageLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setGeometry(9, 9, 223, 358);
    Image1->setPixmap(QPixmap(QStringLiteral(":/extras/About.jpg")));
    Image1->setAccessibleName(QStringLiteral("Quenzor, media to RealMedia: a film strip and a sound wave"));
    connect(Image1, &ui::ImageLabel::mousePressed, this, &TAboutForm::Image1MouseDown);
    connect(Image1, &ui::ImageLabel::mouseReleased, this, &TAboutForm::Image1MouseUp);

    Company = new ui::TLinkLabel(this);
    Company->setObjectName(QStringLiteral("Company"));
    Company->setFont(ui::PixelFont(SansSerif, 19, true));
    Company->move(248, 11);
    connect(Company, &ui::TLinkLabel::clicked, this, &TAboutForm::CompanyTopClick);

    ProductName1 = NameLayer(this, "ProductName1", NameTops[0], Qt::white);
    ProductName3 = NameLayer(this, "ProductName3", NameTops[1], Qt::gray);
    ProductName2 = NameLayer(this, "ProductName2", NameTops[2], Qt::black);

    QFont bold = text;
    bold.setBold(true);
    VersionSM = ui::MakeLabel(this, "VersionSM", 248, 84, bold, Qt::black);
    Version = ui::MakeLabel(this, "Version", 248, 107, text, Qt::black);
    CopyrightYeah = ui::MakeLabel(this, "CopyrightYeah", 248, 128, text, Qt::black);
    Copyright = ui::MakeLabel(this, "Copyright", 248, 150, text, Qt::black);

    QFont link = ui::PixelFont(SansSerif, 11);
    URL = new ui::TLinkLabel(this);
    URL->setObjectName(QStringLiteral("URL"));
    link.setUnderline(true);
    URL->setFont(link);
    URL->setStyleSheet(QStringLiteral("color: #0000ff"));
    URL->setCursor(Qt::PointingHandCursor);
    URL->move(248, 181);
    connect(URL, &ui::TLinkLabel::clicked, this, &TAboutForm::URLClick);

    Label1 = ui::MakeLabel(this, "Label1", 248, 200, ui::PixelFont(SansSerif, 12), LinkBlue);
    SetLabelText(Label1, "E-Mail:");

    link.setUnderline(false);
    EMAIL = new ui::TLinkLabel(this);
    EMAIL->setObjectName(QStringLiteral("EMAIL"));
    EMAIL->setFont(link);
    EMAIL->setStyleSheet(QStringLiteral("color: #0000ff"));
    EMAIL->setCursor(Qt::PointingHandCursor);
    // The address follows "E-Mail:" on its line: after a blank, where the designed place is too close
    // for the font at hand, and on the same baseline, although its font is a pixel smaller.
    const QFontMetrics caption(Label1->font());
    EMAIL->move(std::max(288, Label1->x() + Label1->width() + caption.horizontalAdvance(QLatin1Char(' '))),
                Label1->y() + caption.ascent() - QFontMetrics(EMAIL->font()).ascent());
    connect(EMAIL, &ui::TLinkLabel::clicked, this, &TAboutForm::EMAILClick);

    // Drawn as its bottom line only.
    Bevel2 = new QFrame(this);
    Bevel2->setObjectName(QStringLiteral("Bevel2"));
    Bevel2->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    Bevel2->setGeometry(248, 232 + 9 - 2, 241, 2);

    FaceIco = new QLabel(this);
    FaceIco->setObjectName(QStringLiteral("FaceIco"));
    FaceIco->setGeometry(248, 328, 33, 33);
    FaceIco->setAccessibleName(QStringLiteral("Face icon"));

    ThankButton = new QPushButton(QStringLiteral("&Thank"), this);
    ThankButton->setObjectName(QStringLiteral("ThankButton"));
    ThankButton->setGeometry(296, 336, 75, 25);
    ThankButton->setAutoDefault(false);
    ThankButton->hide();
    connect(ThankButton, &QPushButton::clicked, this, &TAboutForm::ThankButtonClick);

    // "OK" is the default button for Enter; a dialog closes on Esc by itself.
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(464, 336, 73, 25);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &TAboutForm::Button1Click);

    Memo1 = new QPlainTextEdit(this);
    Memo1->setObjectName(QStringLiteral("Memo1"));
    Memo1->setGeometry(16, 16, 209, 337);
    Memo1->setPlainText(QStringLiteral("Date:06-09-2003"));
    Memo1->hide();
    Button1->setFocus();
    ui::CentreOnEveryShowing(*this);
}

void TAboutForm::SetTexts(const AboutTexts& texts) {
    SetLabelText(Company, texts.company);
    for (QLabel* layer : {ProductName1, ProductName3, ProductName2})
        SetLabelText(layer, texts.productName);
    SetLabelText(Version, texts.version);
    SetLabelText(VersionSM, texts.edition);
    SetLabelText(CopyrightYeah, texts.yearLine);
    SetLabelText(Copyright, texts.companyFullName);
    SetLabelText(URL, texts.homePage);
    SetLabelText(EMAIL, texts.supportMail);
    PlaceProductName();
}

// The engraved name keeps its designed place unless the font at hand reaches lower than the design's,
// so that its lowest ink would touch the edition line below; then its layers move up together.
void TAboutForm::PlaceProductName() {
    int lift = 0;
    const QString name = ProductName1->text();
    const QString edition = VersionSM->text();
    if (!name.isEmpty() && !edition.isEmpty()) {
        const QFontMetrics nameMetrics(ProductName1->font());
        const QFontMetrics editionMetrics(VersionSM->font());
        const int nameBottom =
            NameTops[0] + nameMetrics.ascent() + nameMetrics.tightBoundingRect(name).bottom();
        const int editionTop =
            VersionSM->y() + editionMetrics.ascent() + editionMetrics.tightBoundingRect(edition).top();
        constexpr int ClearRows = 2;
        lift = std::max(0, nameBottom + 1 + ClearRows - editionTop);
    }
    const std::array<QLabel*, 3> layers{ProductName1, ProductName3, ProductName2};
    for (std::size_t i = 0; i < layers.size(); ++i)
        layers[i]->move(layers[i]->x(), NameTops[i] - lift);
}

void TAboutForm::ShowThankButtonIfFileExists(const std::string& programDirectory) {
    ThankButton->setVisible(platform::FileExists(programDirectory + "thank.txt"));
}

void TAboutForm::URLClick() {
    platform::ShellOpen(URL->text().toStdString());
}

void TAboutForm::EMAILClick() {
    platform::ShellOpen(MailTarget(EMAIL->text().toStdString()));
}

void TAboutForm::CompanyTopClick() {
    gesture_.CompanyClick();
}

void TAboutForm::Image1MouseDown(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    gesture_.Press(at.x(), at.y(), KeysOf(event));
}

void TAboutForm::Image1MouseUp(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (gesture_.Release(at.x(), at.y(), KeysOf(event))) {
        Memo1->show();
        Memo1->raise();
    }
}

void TAboutForm::Button1Click() {
    close();
}

void TAboutForm::ThankButtonClick() {
    if (!thankForm_)
        return;
    thankForm_->ShowLines({});
    std::vector<std::string> lines;
    try {
        lines = ReadThankFile(platform::ProgramDirectory() + "thank.txt");
    } catch (const ThankFileError& e) {
        platform::MessageBox::ShowError(e.what());
        return;
    }
    thankForm_->ShowLines(lines);
    thankForm_->exec();
}

}  // namespace extras
