#pragma once
#include <QMainWindow>
#include <QRect>
#include <memory>
#include <string>
#include <vector>

#include "app/RunTally.h"
#include "app/WindowList.h"
#include "jobs/Job.h"
#include "jobs/JobList.h"

class QAction;
class QFrame;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QToolBar;
class QToolButton;
class QTimer;
class QTreeWidget;

namespace conversion {
class RunDriver;
class RunHost;
class TProducerControl;
}  // namespace conversion

namespace settings {
struct TSettings;
}
namespace ui {
class TLinkLabel;
}

namespace app {

// Where ArrangeControls puts the controls for a client area of the given size.
struct TMainLayout {
    QRect LV;
    QRect FaceIco;
    QPoint Label2;  // top-left; the label sizes itself
    QRect Status;   // how the last run ended
    QRect Panel2;
};
TMainLayout ArrangeLayout(int clientWidth, int clientHeight);

// The product texts, fixed when the main window is created and constant afterwards.
struct TProductTexts {
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
};

class MainFormRunHost;

// The main window: job list, menus, toolbar, the hidden encoder control and the progress panel.
// Components keep their designer names as objectName; tests and tools find them with Find().
// `settings` is the record the window loads, edits, saves and converts with; `forms` are the program's
// other windows, which may not exist yet (they are created after this one) or at all (in tests).
class TMainForm : public QMainWindow {
    Q_OBJECT
  public:
    TMainForm(settings::TSettings& settings, const TForms& forms, QWidget* parent = nullptr);
    ~TMainForm() override;

    const TProductTexts& Texts() const { return texts_; }
    settings::TSettings& Settings() { return settings_; }
    // The jobs and the list view that shows them.
    jobs::JobListView& Jobs() { return *jobs_; }
    // The conversion run.
    conversion::RunDriver& Run() { return *run_; }

    // A control, menu or command by its designer name, e.g. Find<QAction>("Addfiles1").
    template <class T>
    T* Find(const char* objectName) const {
        return findChild<T*>(QLatin1String(objectName));
    }
    // The toolbar's button widget for an action, e.g. ToolBarButton("ToolButton8").
    QToolButton* ToolBarButton(const char* objectName) const;

    // The two command states of a conversion run. Running: Converter1, Addfiles1 (with ToolButton1), N11,
    // Delete1 (with ToolButton2), N21, PlaySourceFile1 and Prefer1 (with ToolButton4) disabled, the
    // convert toggle down, Stop2 enabled. Idle: the reverse. Nothing else changes with the run.
    void EnterRunningState();
    void EnterIdleState();
    // Sets the job list's context menu items for the list as it is now (done when the menu opens).
    void PopupMenu1Popup();

  protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    friend class MainFormRunHost;

    // ---- Handlers ----
    void FormCreate();
    void FormShow();
    void FormClose();
    void FormResize();
    void ArrangeControls();
    void Exit1Click();

    void Addfiles1Click();
    void Delete1Click();
    void Selectall1Click();
    void Invertselect1Click();
    void LVSelectItem();
    void LVKeyDown(int key);
    void PlaySourceFile();
    void PlayDestinationFile();
    void OpenOutputFile1Click();
    void mnuOutputFileClick();
    void Prefer1Click();
    void MusicInfo1Click();

    void Label2MouseMove();
    void Label2MouseLeave();
    void Label2Click();

    // Help menu, the catalogue, About and the repair tool; the toolbar's twins share these actions.
    void Content1Click();
    void Homepage1Click();
    void EMail1Click();
    void Faq1Click();
    void More3Click();
    void AboutClick();
    void Fix1Click();

    // The conversion run: Start, the popup's Start, the toolbar's convert toggle, and Stop (which also
    // stops a running encode and disarms the stepper).
    void Converter1Click();
    void Converter2Click();
    void ToolButton3Click(bool down);
    void Stop2Click();

    void PrepareDisplay();
    std::string DataIniPath() const;

    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateClientControls();
    void CreateProgressPanel();
    void WireCommands();
    void SetRunControls(bool running);

    // A random face icon for the About, Preferences, Music Information, More Software and Thank windows
    // and, last, FaceIco: one fresh draw from 0 to 34 for each, in that order.
    void GiveFaceIcons();
    std::vector<QLabel*> FaceIconTargets() const;

    // Start-of-display steps that belong to other windows; each window's own code fills its step.
    void FillAboutTexts();            // the About window's labels
    void ShowThankButton();           // the About window's "Thank" button
    void LoadMorePages();             // the More Software window's pages
    void ApplyEncoderSettingsStep();  // the run driver copies Settings onto the encoder
    void GiveFixerDownloadAddress();  // the repair-tool prompt's download address

    settings::TSettings& settings_;
    const TForms& forms_;
    TProductTexts texts_;

    // The jobs, element i shown in row i of LV.
    jobs::TJobList JobList;
    std::unique_ptr<jobs::JobListView> jobs_;

    // ---- Controls ----
    QWidget* ClientArea = nullptr;  // the client area: everything below the menu bar
    QToolBar* ToolBar1 = nullptr;
    QTreeWidget* LV = nullptr;
    QLabel* FaceIco = nullptr;
    ui::TLinkLabel* Label2 = nullptr;
    QPushButton* Button1 = nullptr;  // "about", under the list, out of the Tab chain
    QLabel* StatusLabel = nullptr;   // how the last run ended

    // Progress panel of a run, hidden while idle.
    QFrame* Panel2 = nullptr;
    QLabel* Label1 = nullptr;
    QProgressBar* RainProgressBar1 = nullptr;
    QProgressBar* RainProgressBar2 = nullptr;
    QLabel* SourceLabel = nullptr;
    QLabel* SourceFilenameLabel = nullptr;
    QLabel* DestLabel = nullptr;
    QLabel* DestFilenameLabel = nullptr;
    QPushButton* Button3 = nullptr;  // the panel's "Stop"

    // The hidden encoder control, and the run's stepper (owned by the run driver, armed only during a run).
    conversion::TProducerControl* ProducerControl1 = nullptr;
    QTimer* Timer1 = nullptr;

    // ---- Menus ----
    QMenu* File1 = nullptr;
    QMenu* Edit1 = nullptr;
    QMenu* Control1 = nullptr;
    QMenu* Play1 = nullptr;
    QMenu* Option1 = nullptr;
    QMenu* Help1 = nullptr;
    QMenu* PopupMenu1 = nullptr;  // context menu of LV
    QMenu* PopupMenu2 = nullptr;  // drop-down of the Play toolbar button

    // ---- Commands ----
    // A menu item and its toolbar twin share one action, so their enabled state is stated once.
    QAction* Addfiles1 = nullptr;             // File > Add File, F2; ToolButton1
    QAction* Delete1 = nullptr;               // File > Delete File, F3; ToolButton2
    QAction* Exit1 = nullptr;                 // File > Exit
    QAction* Selectall1 = nullptr;            // Edit > Select All, F4
    QAction* Invertselect1 = nullptr;         // Edit > Invert Selection
    QAction* MusicInfo1 = nullptr;            // Edit > Music Info, F10
    QAction* Converter1 = nullptr;            // Control > Converter, F5
    QAction* Stop2 = nullptr;                 // Control > Stop Converter, F6
    QAction* Fix1 = nullptr;                  // Control > Fix; ToolButton13
    QAction* PlaySourceFile1 = nullptr;       // Control > Play > Play Source File, F7
    QAction* PlayDestinationFile1 = nullptr;  // Control > Play > Play Destination File, F8
    QAction* mnuOutputFile = nullptr;         // Control > Set Output Directory
    QAction* OpenOutputFile1 = nullptr;       // Control > Browse Output Directory
    QAction* Sound1 = nullptr;     // Option > Sound; ToolButton8 (one checkable action: the two always agree)
    QAction* urnOff1 = nullptr;    // Option > Turn Off; ToolButton9 (likewise)
    QAction* Prefer1 = nullptr;    // Option > Preferences..., F9; ToolButton4
    QAction* Content1 = nullptr;   // Help > Contents, F1; ToolContent
    QAction* Homepage1 = nullptr;  // Help > Webpage; ToolHomepage
    QAction* EMail1 = nullptr;     // Help > E-Mail; ToolEmail
    QAction* Faq1 = nullptr;       // Help > Faq
    QAction* More3 = nullptr;      // Help > More Software
    QAction* About1 = nullptr;     // Help > About; also the hidden "about" button
    // Items that must differ from their menu twins during a run.
    QAction* N11 = nullptr;                   // popup "Add"
    QAction* N21 = nullptr;                   // popup "Del"
    QAction* Converter2 = nullptr;            // popup "Converter"
    QAction* Selectall2 = nullptr;            // popup "Select all"
    QAction* MusicInfo2 = nullptr;            // popup "Music Info"
    QAction* PlaySourceFile2 = nullptr;       // PopupMenu2 "Play Source File"
    QAction* PlayDestinationFile2 = nullptr;  // PopupMenu2 "Play Destination File"
    QAction* ToolButton3 = nullptr;           // toolbar toggle "Convert file to Real Media Files"
    QAction* ToolButton14 = nullptr;          // toolbar "Stop Convert"
    QAction* ToolButton12 = nullptr;          // toolbar "Play music" with its drop-down

    // The run: the window as the driver sees it, and the driver.
    void CreateRun();
    std::unique_ptr<conversion::RunHost> runHost_;
    std::unique_ptr<conversion::RunDriver> run_;
    RunTally tally_;
    bool shown_ = false;
};

}  // namespace app
