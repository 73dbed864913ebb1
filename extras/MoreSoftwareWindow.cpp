#include "extras/MoreSoftwareWindow.h"

#include <QLabel>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTextBrowser>
#include <QUrl>
#include <QWindow>

#include "extras/AboutWindow.h"
#include "extras/Links.h"
#include "platform/Shell.h"
#include "ui/WindowFrame.h"

namespace extras {

const std::array<TMoreForm::Page, 10> TMoreForm::Pages{{
    {"Excellence", "WebExcellence", "Excellence.htm"},
    {"Vastrel", "WebVastrel", "Vastrel.htm"},
    {"Audio", "WebAudio", "Audio.htm"},
    {"Internet", "WebInternet", "Internet.htm"},
    {"Game", "WebGame", "Game.htm"},
    {"WebDeveloper", "WebWebDeveloper", "WebDeveloper.htm"},
    {"Business", "WebBusiness", "Business.htm"},
    {"Multimedia", "WebMultimedia", "Multimedia.htm"},
    {"Utilities", "WebUtilities", "Utilities.htm"},
    {"Desktop", "WebDesktop", "Desktop.htm"},
}};

TMoreForm::TMoreForm(TAboutForm* about, QWidget* parent) : QDialog(parent), about_(about) {
    setObjectName(QStringLiteral("MoreForm"));
    setWindowTitle(QStringLiteral("More Software"));
    setFixedSize(657, 446);

    PageControl1 = new QTabWidget(this);
    PageControl1->setObjectName(QStringLiteral("PageControl1"));
    PageControl1->setGeometry(8, 8, 641, 385);
    // The window's small dialog font keeps all ten tab captions in view without scroll arrows.
    QFont tabFont(QStringLiteral("MS Sans Serif"));
    tabFont.setStyleHint(QFont::SansSerif);
    tabFont.setPointSize(8);
    PageControl1->tabBar()->setFont(tabFont);
    PageControl1->setStyleSheet(QStringLiteral(
        "QTabBar::tab { padding: 3px 5px; margin-right: 1px; border: 1px solid #a8a8a8; border-bottom: none;"
        " border-top-left-radius: 3px; border-top-right-radius: 3px; background: #e2e2e2; }"
        "QTabBar::tab:selected { background: #ffffff; margin-bottom: -1px; }"
        "QTabBar::tab:!selected { margin-top: 2px; }"
        "QTabWidget::pane { border: 1px solid #a8a8a8; }"));
    for (std::size_t i = 0; i < Pages.size(); ++i) {
        auto* sheet = new QWidget();
        sheet->setObjectName(QStringLiteral("TabSheet%1").arg(i + 1));
        auto* browser = new QTextBrowser(sheet);
        browser->setObjectName(QString::fromLatin1(Pages[i].browser));
        browser->setGeometry(8, 4, 617, 349);
        browser->setOpenLinks(false);
        browser->setAccessibleName(QString::fromLatin1(Pages[i].caption));
        connect(browser, &QTextBrowser::anchorClicked, browser,
                [browser](const QUrl& link) { FollowLink(browser, link); });
        Browsers[i] = browser;
        PageControl1->addTab(sheet, QString::fromLatin1(Pages[i].caption));
    }

    FaceIco = new QLabel(this);
    FaceIco->setObjectName(QStringLiteral("FaceIco"));
    FaceIco->setGeometry(16, 400, 33, 33);
    FaceIco->setAccessibleName(QStringLiteral("Face icon"));

    Button1 = new QPushButton(QStringLiteral("&About"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(56, 408, 73, 25);
    Button1->setAutoDefault(false);
    connect(Button1, &QPushButton::clicked, this, &TMoreForm::Button1Click);

    // Enter and Esc both close the window: "Close" is the default button, and a dialog closes on Esc.
    Close2 = new QPushButton(QStringLiteral("&Close"), this);
    Close2->setObjectName(QStringLiteral("Close2"));
    Close2->setGeometry(560, 408, 73, 25);
    Close2->setDefault(true);
    connect(Close2, &QPushButton::clicked, this, &TMoreForm::Close2Click);
    ui::CentreOnEveryShowing(*this);
}

void TMoreForm::SetPageIndex(int index) {
    PageControl1->setCurrentIndex(index);
}

void TMoreForm::LoadPages(const std::string& pagesDirectory) {
    for (std::size_t i = 0; i < Pages.size(); ++i)
        Navigate(Browsers[i], pagesDirectory + Pages[i].file);
}

void TMoreForm::Navigate(QTextBrowser* browser, const std::string& path) {
    ShowLocalPage(browser, QString::fromStdString(path), QStringLiteral("page file"));
}

// Links to other local pages open in the same tab, as in a web browser; every other address leaves
// through the shell to the desktop's own program for it.
void TMoreForm::FollowLink(QTextBrowser* browser, const QUrl& link) {
    if (link.isEmpty())
        return;
    if (link.scheme().isEmpty() && !link.fragment().isEmpty() && link.path().isEmpty()) {
        browser->scrollToAnchor(link.fragment());
        return;
    }
    const QUrl target = browser->source().isValid() ? browser->source().resolved(link) : link;
    if (target.isLocalFile()) {
        const QString path = target.toLocalFile();
        if (path.endsWith(QLatin1String(".htm"), Qt::CaseInsensitive) ||
            path.endsWith(QLatin1String(".html"), Qt::CaseInsensitive)) {
            Navigate(browser, path.toStdString());
            return;
        }
        platform::ShellOpen(path.toStdString());
        return;
    }
    platform::ShellOpen(target.toString().toStdString());
}

void TMoreForm::Close2Click() {
    close();
}

void TMoreForm::Button1Click() {
    if (!about_)
        return;
    // Above this window for as long as it is open from here; opened from elsewhere it stands alone.
    about_->winId();
    about_->windowHandle()->setTransientParent(windowHandle());
    about_->exec();
    about_->windowHandle()->setTransientParent(nullptr);
}

}  // namespace extras
