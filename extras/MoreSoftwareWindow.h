#pragma once
#include <QDialog>
#include <array>
#include <string>

class QLabel;
class QPushButton;
class QTabWidget;
class QTextBrowser;
class QUrl;

namespace extras {

class TAboutForm;

// The "More Software" window: the maker's catalogue as ten local pages, one per tab.
class TMoreForm : public QDialog {
    Q_OBJECT
  public:
    // The label that shows the face icon the main window gives this window at start.
    QLabel* FaceIconLabel() const { return FaceIco; }
    // `about` is the About window that the "About" button opens above this one.
    explicit TMoreForm(TAboutForm* about, QWidget* parent = nullptr);

    struct Page {
        const char* caption;
        const char* browser;
        const char* file;
    };
    static const std::array<Page, 10> Pages;

    // Selects a tab; done once, so later openings show the tab the user last looked at.
    void SetPageIndex(int index);
    // Loads every tab's page from `pagesDirectory` (ending in a delimiter). Nothing is checked first: a
    // page that cannot be read shows an error page naming its file, in its own tab.
    void LoadPages(const std::string& pagesDirectory);
    // Shows one local page in a browser.
    static void Navigate(QTextBrowser* browser, const std::string& path);

  private:
    void Close2Click();
    void Button1Click();
    static void FollowLink(QTextBrowser* browser, const QUrl& link);

    TAboutForm* about_;

    QTabWidget* PageControl1;
    std::array<QTextBrowser*, 10> Browsers{};
    QLabel* FaceIco;
    QPushButton* Button1;
    QPushButton* Close2;
};

}  // namespace extras
