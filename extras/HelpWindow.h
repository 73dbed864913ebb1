#pragma once
#include <QDialog>
#include <string>
#include <vector>

class QPushButton;
class QTextBrowser;
class QTreeWidget;
class QTreeWidgetItem;
class QUrl;

namespace extras {

// One entry of the help's contents: its title, its page, and the entries under it.
struct HelpTopic {
    std::string name;
    std::string page;
    std::vector<HelpTopic> children;
};

// The entries of a contents file (toc.hhc, the sitemap Help.chm is compiled with), in their order.
std::vector<HelpTopic> ReadHelpContents(const std::string& text);

// The help pages shown by the program itself, for a desktop on which nothing opens Help.chm: the
// contents on the left, the page on the right. Links between the pages stay in the window; other
// addresses go to the desktop. Not modal, so the help stays open beside the main window.
class THelpForm : public QDialog {
    Q_OBJECT
  public:
    explicit THelpForm(QWidget* parent = nullptr);

    // Fills the contents from `helpDirectory` (ending in a delimiter) and shows its first page.
    void Load(const std::string& helpDirectory);
    // Shows a page of the help folder, or a page that names the missing file.
    void ShowPage(const std::string& page);
    // The page shown, by its file name ("convert.htm"); empty when none could be shown.
    std::string CurrentPage() const;

  private:
    QTreeWidget* Contents;
    QTextBrowser* Page;
    QPushButton* BackButton;
    QPushButton* ForwardButton;
    QPushButton* CloseButton;

    void FollowLink(const QUrl& link);
    void MarkCurrentTopic();

    std::string directory_;
};

// Shows the help window for the pages in `helpDirectory`, owned by `owner` so that it closes with it; one
// window per owner, raised again when already open.
THelpForm* ShowHelpWindow(const std::string& helpDirectory, QWidget* owner);

}  // namespace extras
