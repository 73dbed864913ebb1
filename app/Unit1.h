#pragma once
#include <QMainWindow>
#include <string>

namespace app {

// The main window: job list, menus, toolbar, the hidden encoder control and the progress panel.
class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // Product texts, fixed by FormCreate and constant afterwards.
    std::string AboutCaption;
    std::string CompanyName;
    std::string ProductName;
    std::string VersionText;
    std::string EditionText;
    std::string YearText;
    std::string CompanyFullName;
    std::string HomePage;
    std::string SupportMail;
    std::string MorePagesDir;
    std::string StartCounterFile;
    std::string HelpFile;
    int MorePageIndex = 0;

    void FormCreate();
    void FormShow();
    void FormClose();

    std::string DataIniPath() const;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    bool shown_ = false;
};

}  // namespace app
