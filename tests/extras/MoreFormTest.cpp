#include <QDir>
#include <QPushButton>
#include <QTabWidget>
#include <QTextBrowser>

#include "extras/AboutWindow.h"
#include "extras/MoreSoftwareWindow.h"
#include "support/ExtrasFixture.h"
#include "support/ModalDriver.h"

using namespace extras;

class MoreWindow : public ExtrasTest {
  protected:
    void WriteAllPages() {
        QDir(QString::fromStdString(Dir())).mkpath("more");
        for (const auto& page : TMoreForm::Pages) {
            WriteFile(
                std::string("more/") + page.file,
                std::string("<html><body><h1>Page ") + page.caption +
                    "</h1><a href=\"https://www.vastrel.example/x\">site</a>"
                    " <a href=\"Audio.htm\">audio</a> <a href=\"mailto:a@b.example\">mail</a></body></html>");
        }
    }
    QTabWidget* Tabs() { return Child<QTabWidget>(more, "PageControl1"); }
    QTextBrowser* Browser(std::size_t page) {
        return Child<QTextBrowser>(more, TMoreForm::Pages[page].browser);
    }
    TAboutForm about;
    TMoreForm more{&about};
};

TEST_F(MoreWindow, TenTabsInOrderEachWithItsBrowser) {
    EXPECT_EQ(more.windowTitle(), "More Software");
    const char* captions[] = {"Excellence",   "Vastrel",  "Audio",      "Internet",  "Game",
                              "WebDeveloper", "Business", "Multimedia", "Utilities", "Desktop"};
    ASSERT_EQ(Tabs()->count(), 10);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(Tabs()->tabText(i), captions[i]);
        auto* browser = Tabs()->widget(i)->findChild<QTextBrowser*>();
        ASSERT_NE(browser, nullptr);
        EXPECT_EQ(browser->objectName(), QString("Web") + captions[i]);
    }
}

TEST_F(MoreWindow, PagesAreLoadedFromTheFolderAndAMissingOneShowsAnErrorNamingIt) {
    WriteAllPages();
    QFile::remove(QString::fromStdString(Dir() + "more/Game.htm"));
    more.LoadPages(Dir() + "more/");
    for (std::size_t i = 0; i < TMoreForm::Pages.size(); ++i) {
        const QString text = Browser(i)->toPlainText();
        if (std::string(TMoreForm::Pages[i].file) == "Game.htm") {
            EXPECT_TRUE(text.contains(QString::fromStdString(Dir() + "more/Game.htm"))) << text.toStdString();
        } else {
            EXPECT_TRUE(text.contains(QString("Page ") + TMoreForm::Pages[i].caption)) << i;
        }
    }
}

TEST_F(MoreWindow, WithoutTheFolderEveryTabShowsItsOwnErrorPage) {
    more.LoadPages(Dir() + "more/");
    for (std::size_t i = 0; i < TMoreForm::Pages.size(); ++i) {
        EXPECT_TRUE(Browser(i)->toPlainText().contains(TMoreForm::Pages[i].file)) << i;
    }
}

TEST_F(MoreWindow, LinksLeaveThroughTheShellAndLocalPagesStayInTheTab) {
    WriteAllPages();
    more.LoadPages(Dir() + "more/");
    QTextBrowser* game = Browser(4);
    emit game->anchorClicked(QUrl("https://www.vastrel.example/x"));
    emit game->anchorClicked(QUrl("mailto:a@b.example"));
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_EQ(opened[0], "https://www.vastrel.example/x");
    EXPECT_EQ(opened[1], "mailto:a@b.example");
    emit game->anchorClicked(QUrl("Audio.htm"));
    EXPECT_EQ(opened.size(), 2u);
    EXPECT_TRUE(game->toPlainText().contains("Page Audio"));
}

TEST_F(MoreWindow, RemembersTheLastTabAcrossOpenings) {
    more.SetPageIndex(0);
    EXPECT_EQ(RunModal([&] { more.exec(); }), &more);
    EXPECT_EQ(Tabs()->currentIndex(), 0);
    RunModal([&] { more.exec(); }, [&](QWidget*) { Tabs()->setCurrentIndex(4); });
    int shownTab = -1;
    RunModal([&] { more.exec(); }, [&](QWidget*) { shownTab = Tabs()->currentIndex(); });
    EXPECT_EQ(shownTab, 4);
    EXPECT_EQ(Tabs()->tabText(shownTab), "Game");
}

TEST_F(MoreWindow, AboutOpensAboveAndClosingItReturnsToTheCatalogue) {
    QWidget* aboveMore = nullptr;
    bool moreStillOpen = false;
    RunModal([&] { more.exec(); },
             [&](QWidget*) {
                 aboveMore = RunModal([&] { Child<QPushButton>(more, "Button1")->click(); });
                 moreStillOpen = more.isVisible();
             });
    EXPECT_EQ(aboveMore, &about);
    EXPECT_TRUE(moreStillOpen);
    EXPECT_FALSE(about.isVisible());
}
