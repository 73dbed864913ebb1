// Every caption of every window is shown whole with the desktop's fonts: nothing is cut off, nothing runs
// into its neighbour, nothing sticks out of its window. CTest runs this once more at 1.5x scaling
// (QT_SCALE_FACTOR must be set before the application exists).
#include <QAction>
#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBlock>
#include <QToolBar>
#include <QToolButton>

#include "app/EncoderSetupPrompt.h"
#include "app/MainWindow.h"
#include "app/WindowList.h"
#include "conversion/RunDriver.h"
#include "extras/AboutWindow.h"
#include "extras/MorbeckPrompt.h"
#include "extras/MoreSoftwareWindow.h"
#include "extras/ThankWindow.h"
#include "jobs/MusicInfoDialog.h"
#include "jobs/OutputDirectoryDialog.h"
#include "settings/PreferencesDialog.h"
#include "support/ExtrasFixture.h"
#include "support/ModalDriver.h"
#include "ui/Labels.h"

using app::Forms;

namespace {
// Where a caption is drawn, in its window's coordinates.
struct Caption {
    QWidget* widget;
    QRect area;
};

std::string Describe(const QWidget* w, const QString& text) {
    return (w->window()->objectName() + " / " + w->objectName() + " \"" + text + "\"").toStdString();
}

QRect InWindow(const QWidget* w, const QRect& r) {
    return r.translated(w->mapTo(w->window(), QPoint(0, 0)));
}

// No ancestor cuts the widget off.
void ExpectInsideAncestors(const QWidget* w, const QString& text) {
    for (const QWidget* a = w->parentWidget(); a != nullptr; a = a->parentWidget()) {
        const QRect r(w->mapTo(a, QPoint(0, 0)), w->size());
        EXPECT_TRUE(a->rect().contains(r))
            << Describe(w, text) << " sticks out of " << a->objectName().toStdString();
        if (a->isWindow())
            break;
    }
}

QSize TextSize(const QWidget* w, const QString& text) {
    return QFontMetrics(w->font()).size(Qt::TextShowMnemonic | Qt::TextExpandTabs, text);
}

// The part of a one-line text's box that ink can reach: from the pen's start to its end across, from the
// highest to the lowest glyph down. Lines stacked at the font's line spacing do not touch.
QRect InkBand(const QFontMetrics& fm, const QString& text, const QRect& box) {
    if (text.contains(QLatin1Char('\n')))
        return box;
    const QRect ink = fm.tightBoundingRect(text);
    const int baseline = box.top() + fm.ascent();
    return QRect(box.left(), baseline + ink.top(), box.width(), ink.height());
}

void CheckLabel(QLabel* label, std::vector<Caption>& captions) {
    const QString text = label->text();
    if (text.isEmpty())
        return;
    const int m = label->margin();
    const QRect contents = label->contentsRect().adjusted(m, m, -m, -m);
    const QFontMetrics fm(label->font());
    const QSize need = TextSize(label, text);
    EXPECT_LE(need.width(), contents.width()) << Describe(label, text);
    EXPECT_LE(need.height(), contents.height()) << Describe(label, text);
    ExpectInsideAncestors(label, text);
    const Qt::Alignment align = QStyle::visualAlignment(label->layoutDirection(), label->alignment());
    const QRect box =
        QStyle::alignedRect(label->layoutDirection(), align, need.boundedTo(contents.size()), contents);
    captions.push_back({label, InWindow(label, InkBand(fm, text, box))});
}

void CheckButton(QAbstractButton* button, std::vector<Caption>& captions) {
    ExpectInsideAncestors(button, button->text());
    auto* tool = qobject_cast<QToolButton*>(button);
    if (button->text().isEmpty() || (tool && tool->toolButtonStyle() == Qt::ToolButtonIconOnly))
        return;
    QSize text = TextSize(button, button->text());
    if (!button->icon().isNull())
        text = {text.width() + button->iconSize().width() + 4,
                std::max(text.height(), button->iconSize().height())};
    QStyleOptionButton option;
    option.initFrom(button);
    QRect drawn = button->rect();
    if (auto* push = qobject_cast<QPushButton*>(button)) {
        // The caption with the style's margins around it; the text is left out of the option, or the
        // style would answer with its smallest width for a captioned button instead.
        if (push->autoDefault())
            option.features |= QStyleOptionButton::AutoDefaultButton;
        const QSize need = button->style()->sizeFromContents(QStyle::CT_PushButton, &option, text, button);
        EXPECT_LE(need.width(), button->width()) << Describe(button, button->text());
        EXPECT_LE(need.height(), button->height()) << Describe(button, button->text());
    } else {
        // Check boxes and radio buttons: the caption within the place the style gives it beside the mark.
        const bool check = qobject_cast<QCheckBox*>(button) != nullptr;
        option.text = button->text();
        const QRect place = button->style()->subElementRect(
            check ? QStyle::SE_CheckBoxContents : QStyle::SE_RadioButtonContents, &option, button);
        EXPECT_LE(text.width(), place.width()) << Describe(button, button->text());
        EXPECT_LE(text.height(), place.height()) << Describe(button, button->text());
        drawn.setRight(std::min(drawn.right(), place.left() + text.width()));
    }
    captions.push_back({button, InWindow(button, drawn)});
}

void CheckGroupBox(QGroupBox* box, std::vector<Caption>& captions) {
    if (box->title().isEmpty())
        return;
    QStyleOptionGroupBox option;
    option.initFrom(box);
    option.text = box->title();
    option.lineWidth = 1;
    option.textAlignment = box->alignment();
    option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
    const QRect label =
        box->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, box);
    EXPECT_TRUE(box->rect().contains(label)) << Describe(box, box->title());
    EXPECT_GE(label.width(), QFontMetrics(box->font()).horizontalAdvance(box->title()))
        << Describe(box, box->title());
    ExpectInsideAncestors(box, box->title());
    captions.push_back({box, InWindow(box, label)});
}

void CheckTabBar(QTabBar* bar, std::vector<Caption>& captions) {
    ExpectInsideAncestors(bar, QString());
    for (int i = 0; i < bar->count(); ++i) {
        const QRect tab = bar->tabRect(i);
        EXPECT_TRUE(bar->rect().contains(tab)) << Describe(bar, bar->tabText(i));
        EXPECT_GE(tab.width(), QFontMetrics(bar->font()).horizontalAdvance(bar->tabText(i)))
            << Describe(bar, bar->tabText(i));
        captions.push_back({bar, InWindow(bar, tab)});
    }
    // Scroll arrows would mean some tabs are out of view.
    for (QToolButton* arrow : bar->findChildren<QToolButton*>())
        EXPECT_FALSE(arrow->isVisible()) << Describe(bar, QString());
}

// The engraved product name is three copies of one label laid on top of each other on purpose.
bool EngravedLayers(const QWidget* a, const QWidget* b) {
    return a->objectName().startsWith(QLatin1String("ProductName")) &&
           b->objectName().startsWith(QLatin1String("ProductName"));
}

// Checks every caption the window shows as it stands now.
void ExpectTextsFit(QWidget* window) {
    SCOPED_TRACE(window->objectName().toStdString());
    ASSERT_TRUE(window->isVisible());
    QApplication::processEvents();
    std::vector<Caption> captions;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (!w->isVisible())
            continue;
        if (auto* label = qobject_cast<QLabel*>(w))
            CheckLabel(label, captions);
        else if (auto* button = qobject_cast<QAbstractButton*>(w))
            CheckButton(button, captions);
        else if (auto* box = qobject_cast<QGroupBox*>(w))
            CheckGroupBox(box, captions);
        else if (auto* bar = qobject_cast<QTabBar*>(w))
            CheckTabBar(bar, captions);
        else if (auto* toolbar = qobject_cast<QToolBar*>(w)) {
            for (QAction* a : toolbar->actions())
                EXPECT_TRUE(a->isSeparator() || toolbar->widgetForAction(a)->isVisible())
                    << "toolbar button out of view: " << a->text().toStdString();
        }
    }
    for (std::size_t i = 0; i < captions.size(); ++i) {
        for (std::size_t j = i + 1; j < captions.size(); ++j) {
            const Caption& a = captions[i];
            const Caption& b = captions[j];
            if (a.widget == b.widget || EngravedLayers(a.widget, b.widget))
                continue;
            if (a.widget->isAncestorOf(b.widget) || b.widget->isAncestorOf(a.widget))
                continue;
            // A pixel of space at least on every side, so that neighbours do not read as one text.
            EXPECT_FALSE(a.area.adjusted(-1, -1, 1, 1).intersects(b.area))
                << a.widget->objectName().toStdString() << " runs into "
                << b.widget->objectName().toStdString();
        }
    }
}

class TextFit : public ExtrasTest {
  protected:
    void SetUp() override {
        ExtrasTest::SetUp();
        WriteFile("thank.txt", "Thanks to everyone who tried the first versions.\n");
        app::CreateForms();
        Forms.MainForm->show();
        QApplication::processEvents();
    }
    void TearDown() override {
        app::DestroyForms();
        ExtrasTest::TearDown();
    }
    // Shown without its modal loop, checked, hidden again.
    static void Check(QWidget* window, const std::function<void()>& prepare = {}) {
        window->show();
        if (prepare)
            prepare();
        ExpectTextsFit(window);
        window->hide();
    }
};
}  // namespace

TEST_F(TextFit, EveryLabelAndButtonOfEveryWindowShowsItsWholeText) {
    app::TMainForm& main = *Forms.MainForm;
    // Idle, then with the mouse on the link label (bold and underlined).
    ExpectTextsFit(&main);
    auto* link = main.Find<ui::TLinkLabel>("Label2");
    QMouseEvent move(QEvent::MouseMove, QPointF(2, 2), link->mapToGlobal(QPointF(2, 2)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(link, &move);
    ExpectTextsFit(&main);
    // The progress panel during a run, with its widest status text.
    main.Find<QFrame>("Panel2")->show();
    main.Find<QLabel>("Label1")->setText(QString::fromStdString(conversion::RunDriver::ProgressText(100)));
    // A long path is shortened in its middle, its whole text in the tooltip.
    const QString longPath =
        QStringLiteral("/home/user/Music/") + QString(200, 'x') + QStringLiteral("/clip.mp3");
    auto* source = main.Find<QLabel>("SourceFilenameLabel");
    ui::SetElidedPath(*source, longPath);
    EXPECT_TRUE(source->text().startsWith(QStringLiteral("/home/")) && source->text().endsWith("clip.mp3") &&
                source->text().contains(QChar(0x2026)))
        << source->text().toStdString();
    EXPECT_EQ(source->toolTip(), longPath);
    main.Find<QLabel>("DestFilenameLabel")->setText(QStringLiteral("/home/user/Music/clip.rm"));
    for (const char* name : {"SourceLabel", "SourceFilenameLabel", "DestLabel", "DestFilenameLabel"})
        main.Find<QLabel>(name)->show();
    ExpectTextsFit(&main);
    main.Find<QFrame>("Panel2")->hide();

    {
        // Waiting (step 3 bold), then ready (step 4 bold).
        app::TTempForm prompt;
        prompt.show();
        ExpectTextsFit(&prompt);
        for (int tick = 0; tick < 100; ++tick)
            prompt.Timer2Timer();
        ExpectTextsFit(&prompt);
    }

    auto* pages = Child<QTabWidget>(*Forms.frmOption, "PageControl1");
    for (int page = 0; page < pages->count(); ++page)
        Check(Forms.frmOption, [&] { pages->setCurrentIndex(page); });
    Check(Forms.frmInfo);
    Check(Forms.OutputForm, [] { Child<QRadioButton>(*Forms.OutputForm, "RadioButton2")->click(); });

    extras::TAboutForm& about = *Forms.AboutForm;
    Check(&about, [&] {
        // "E-Mail:" and the address it introduces stand on one line of text.
        const QLabel* caption = Child<QLabel>(about, "Label1");
        const QLabel* address = Child<ui::TLinkLabel>(about, "EMAIL");
        EXPECT_EQ(caption->y() + QFontMetrics(caption->font()).ascent(),
                  address->y() + QFontMetrics(address->font()).ascent());
    });
    Check(Forms.ThankForm, [] { Forms.ThankForm->ShowLines({"Thanks", "", "to everyone"}); });
    Check(Forms.MoreForm);

    extras::TFormMorbeck& morbeck = *Forms.FormMorbeck;
    Check(&morbeck, [&] {
        // Each row of the description is one line, and all of them are in view.
        QApplication::processEvents();
        const QPlainTextEdit* memo = Child<QPlainTextEdit>(morbeck, "Memo1");
        for (QTextBlock row = memo->document()->begin(); row.isValid(); row = row.next())
            EXPECT_EQ(row.layout()->lineCount(), 1) << row.text().toStdString();
        EXPECT_EQ(memo->verticalScrollBar()->maximum(), 0);
    });
}
