#include "app/MainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <algorithm>

#include "app/WindowList.h"
#include "conversion/RunDriver.h"
#include "extras/AboutWindow.h"
#include "extras/FaceIcon.h"
#include "extras/FixLauncher.h"
#include "extras/Links.h"
#include "extras/MorbeckPrompt.h"
#include "extras/MoreSoftwareWindow.h"
#include "extras/ThankWindow.h"
#include "jobs/AddSources.h"
#include "jobs/MusicInfoDialog.h"
#include "jobs/OutputDirectoryDialog.h"
#include "jobs/Playback.h"
#include "platform/Application.h"
#include "platform/ProgramDir.h"
#include "settings/PreferencesDialog.h"
#include "settings/Settings.h"
#include "ui/Labels.h"
#include "ui/WindowFrame.h"

namespace app {
namespace {
// The designed outer size, which is also the smallest.
constexpr QSize kDesignSize(715, 499);
constexpr int kToolBarHeight = 57;
constexpr int kButtonWidth = 55;
constexpr int kButtonHeight = 54;
constexpr int kListLeft = 8;
constexpr int kListTop = 64;
constexpr int kPanelWidth = 409;
constexpr int kPanelHeight = 217;
const QColor kLinkIdle(192, 192, 192);

QFont LinkFont(bool hover) {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(19);
    font.setItalic(!hover);
    font.setBold(hover);
    font.setUnderline(hover);
    return font;
}

void SetLinkColour(QLabel* label, const QColor& colour) {
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

QLabel* PanelLabel(QWidget* parent, const char* name, const QString& text, int x, int y) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    // File names are shown as they are: a name such as "<b>clip</b>.avi" must not be read as markup.
    label->setTextFormat(Qt::PlainText);
    label->move(x, y);
    label->adjustSize();
    return label;
}
}  // namespace

TMainLayout ArrangeLayout(int w, int h) {
    TMainLayout layout;
    layout.LV = QRect(kListLeft, kListTop, w - 2 * kListLeft, h - 110);
    layout.FaceIco = QRect(8, h - 40, 41, 33);
    layout.Label2 = QPoint(56, h - 35);
    // The right half of the link label's row, ending under the list's right edge.
    layout.Status = QRect(w / 2, h - 37, w / 2 - kListLeft, 24);
    // Integer division truncates towards zero, as the design's own arithmetic does.
    layout.Panel2 = QRect((w - kPanelWidth) / 2, (h - kPanelHeight) / 2, kPanelWidth, kPanelHeight);
    return layout;
}

TMainForm::TMainForm(settings::TSettings& settings, const TForms& forms, QWidget* parent)
    : QMainWindow(parent), settings_(settings), forms_(forms) {
    setObjectName(QStringLiteral("MainForm"));
    CreateActions();
    CreateMenus();
    CreateClientControls();
    CreateToolBar();
    CreateProgressPanel();
    WireCommands();
    jobs_ = std::make_unique<jobs::JobListView>(JobList, *LV);
    // Files dropped from the file manager join the list like Add File's, and are refused when it is.
    new jobs::JobListDropTarget(
        *jobs_, settings_, [this] { return Addfiles1->isEnabled(); }, this);
    CreateRun();

    resize(ui::ClientSizeOfOuter(kDesignSize));
    setMinimumSize(size());
    ui::CentreWindow(*this);
    FormCreate();
    ArrangeControls();
    LV->setFocus();
}

// Out of line: the run members are complete types only here.
TMainForm::~TMainForm() = default;

void TMainForm::FormCreate() {
    texts_.AboutCaption = "About";
    texts_.CompanyName = "Vastrel";
    texts_.ProductName = "Quenzor";
    // The version CMake gives quenzor-convert too, so the two programs always name the same one.
    texts_.VersionText = "Version:" QUENZOR_VERSION;
    texts_.EditionText = "General";
    texts_.YearText = "Released in 2026";
    texts_.CompanyFullName = "Vastrel";
    texts_.HomePage = "https://www.vastrel.example/";
    texts_.SupportMail = "support@vastrel.example";
    texts_.MorePagesDir = "more/";
    texts_.StartCounterFile = "/Quenzor.ini";
    texts_.HelpFile = "/Help.chm";
    texts_.MorePageIndex = 0;
    setWindowTitle(QString::fromStdString(texts_.CompanyName + " " + texts_.ProductName));
    platform::RunGuarded(
        [&] { settings::IncrementStartCounter(platform::UserFilesDirectory() + texts_.StartCounterFile); });
}

// ---- Construction ----

void TMainForm::CreateClientControls() {
    ClientArea = new QWidget(this);
    ClientArea->setObjectName(QStringLiteral("ClientArea"));
    setCentralWidget(ClientArea);
    ClientArea->installEventFilter(this);

    // Created before the list so that the list covers it. Out of the Tab chain: focus on a button nobody
    // can see would leave the window without a visible focus, and the next Space would open About.
    Button1 = new QPushButton(QStringLiteral("about"), ClientArea);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setGeometry(24, 112, 65, 25);
    Button1->setFocusPolicy(Qt::NoFocus);

    LV = new QTreeWidget(ClientArea);
    LV->setObjectName(QStringLiteral("LV"));
    LV->setAccessibleName(QStringLiteral("File list"));
    jobs::JobListView::SetUpView(*LV);
    // The list is the window's only stop for the keyboard while idle; a frame in the highlight colour
    // shows that it has the focus even while it is empty.
    LV->setStyleSheet(QStringLiteral("QTreeWidget:focus { border: 2px solid palette(highlight); }"));
    LV->setGeometry(kListLeft, kListTop, 689, 241);
    LV->setContextMenuPolicy(Qt::CustomContextMenu);
    LV->installEventFilter(this);

    FaceIco = new QLabel(ClientArea);
    FaceIco->setObjectName(QStringLiteral("FaceIco"));
    FaceIco->setGeometry(8, 296, 41, 33);
    FaceIco->setAlignment(Qt::AlignCenter);
    FaceIco->setAccessibleName(QStringLiteral("Face icon"));

    Label2 = new ui::TLinkLabel(ClientArea);
    Label2->setCursor(Qt::PointingHandCursor);
    Label2->setObjectName(QStringLiteral("Label2"));
    Label2->move(56, 304);
    Label2MouseLeave();

    // How the last run ended, for whoever looks at the window and for a screen reader.
    StatusLabel = new QLabel(ClientArea);
    StatusLabel->setObjectName(QStringLiteral("StatusLabel"));
    StatusLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    StatusLabel->setTextFormat(Qt::PlainText);
}

void TMainForm::CreateToolBar() {
    ToolBar1 = new QToolBar(ClientArea);
    ToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    ToolBar1->setMovable(false);
    ToolBar1->setFloatable(false);
    ToolBar1->setIconSize(QSize(48, 48));
    ToolBar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    ToolBar1->setGeometry(0, 0, ClientArea->width(), kToolBarHeight);
    // Twelve buttons and four separators fill the narrowest window, so the buttons sit edge to edge, and
    // the 54-pixel buttons leave only the bar's edges of its 57 pixels.
    ToolBar1->setContentsMargins(0, 0, 0, 0);
    ToolBar1->layout()->setContentsMargins(1, 1, 1, 1);
    ToolBar1->layout()->setSpacing(0);

    auto button = [this](const char* name, QAction* action) {
        auto* b = new QToolButton(ToolBar1);
        b->setObjectName(QLatin1String(name));
        b->setDefaultAction(action);
        b->setAutoRaise(true);
        b->setIconSize(QSize(48, 48));
        b->setFixedSize(kButtonWidth, kButtonHeight);
        b->setFocusPolicy(Qt::NoFocus);
        ToolBar1->addWidget(b);
        return b;
    };
    button("ToolButton1", Addfiles1);
    button("ToolButton2", Delete1);
    ToolBar1->addSeparator();
    button("ToolButton3", ToolButton3);
    button("ToolButton14", ToolButton14);
    ToolBar1->addSeparator();
    QToolButton* play = button("ToolButton12", ToolButton12);
    play->setMenu(PopupMenu2);
    play->setPopupMode(QToolButton::MenuButtonPopup);
    play->setFixedSize(kButtonWidth + 12, kButtonHeight);
    button("ToolButton4", Prefer1);
    button("ToolButton13", Fix1);
    ToolBar1->addSeparator();
    button("ToolButton8", Sound1);
    button("ToolButton9", urnOff1);
    ToolBar1->addSeparator();
    button("ToolHomepage", Homepage1);
    button("ToolEmail", EMail1);
    button("ToolContent", Content1);
}

void TMainForm::CreateProgressPanel() {
    Panel2 = new QFrame(ClientArea);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFrameShape(QFrame::StyledPanel);
    Panel2->setFrameShadow(QFrame::Raised);
    Panel2->setAutoFillBackground(true);
    Panel2->resize(kPanelWidth, kPanelHeight);

    Label1 = new QLabel(Panel2);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignCenter);
    Label1->setText(QStringLiteral("Converting..."));
    // The designed 113 pixels hold the widest status only in the design's font; the label grows to hold
    // it in the font at hand, evenly on both sides, so the status stays centred where it was designed.
    const QFontMetrics status(Label1->font());
    const QString widest = QString::fromStdString(conversion::RunDriver::ProgressText(100));
    const int statusWidth = std::max(113, status.horizontalAdvance(widest) + 2 * status.averageCharWidth());
    Label1->setGeometry(152 - (statusWidth - 113) / 2, 32, statusWidth, std::max(17, status.height()));

    RainProgressBar1 = new QProgressBar(Panel2);
    RainProgressBar1->setObjectName(QStringLiteral("RainProgressBar1"));
    RainProgressBar1->setRange(0, 100);
    RainProgressBar1->setTextVisible(false);
    RainProgressBar1->setGeometry(32, 64, 345, 16);
    RainProgressBar1->setAccessibleName(QStringLiteral("Current file"));

    RainProgressBar2 = new QProgressBar(Panel2);
    RainProgressBar2->setObjectName(QStringLiteral("RainProgressBar2"));
    RainProgressBar2->setRange(0, 100);
    RainProgressBar2->setTextVisible(false);
    RainProgressBar2->setGeometry(32, 96, 345, 16);
    RainProgressBar2->setAccessibleName(QStringLiteral("Whole run"));

    SourceLabel = PanelLabel(Panel2, "SourceLabel", QStringLiteral("Source File"), 32, 128);
    SourceFilenameLabel = PanelLabel(Panel2, "SourceFilenameLabel", QString(), 120, 128);
    DestLabel = PanelLabel(Panel2, "DestLabel", QStringLiteral("Destination File"), 32, 152);
    DestFilenameLabel = PanelLabel(Panel2, "DestFilenameLabel", QString(), 120, 152);
    // The names start after the wider caption (the system font may be wider than the design's) and end
    // at the panel's edge instead of spilling over it.
    const int namesLeft = std::max(120, 32 + std::max(SourceLabel->width(), DestLabel->width()) + 8);
    SourceFilenameLabel->setGeometry(namesLeft, 128, kPanelWidth - namesLeft - 8, 17);
    DestFilenameLabel->setGeometry(namesLeft, 152, kPanelWidth - namesLeft - 8, 17);
    for (QLabel* l : {SourceLabel, SourceFilenameLabel, DestLabel, DestFilenameLabel})
        l->hide();

    Button3 = new QPushButton(QStringLiteral("Stop"), Panel2);
    Button3->setObjectName(QStringLiteral("Button3"));
    Button3->setGeometry(288, 176, 75, 25);

    Panel2->hide();
    Panel2->raise();
}

QToolButton* TMainForm::ToolBarButton(const char* objectName) const {
    return ToolBar1->findChild<QToolButton*>(QLatin1String(objectName), Qt::FindDirectChildrenOnly);
}

// ---- Start, resize and close ----

std::string TMainForm::DataIniPath() const {
    return platform::UserFilesDirectory() + "data.ini";
}

void TMainForm::FormShow() {
    About1->setText(QStringLiteral("&") + QString::fromStdString(texts_.AboutCaption));
    if (texts_.HelpFile.empty())
        Content1->setVisible(false);  // hides ToolContent with it
    FillAboutTexts();
    settings::ClipDefaults defaults{texts_.CompanyName + " " + texts_.ProductName, texts_.CompanyFullName};
    platform::RunGuarded([&] { settings::LoadSettings(settings_, DataIniPath(), defaults); });
    GiveFaceIcons();
    ShowThankButton();
    LoadMorePages();
    ApplyEncoderSettingsStep();
    Label2->setText(QString::fromStdString(texts_.CompanyFullName));
    Label2->adjustSize();
    PrepareDisplay();
}

void TMainForm::PrepareDisplay() {
    SourceFilenameLabel->clear();
    DestFilenameLabel->clear();
    GiveFixerDownloadAddress();
}

std::vector<QLabel*> TMainForm::FaceIconTargets() const {
    // In draw order: About, Preferences, Music Information, More Software, Thank, then FaceIco. A window
    // not yet created still takes its draw, so the others keep their place in the sequence.
    return {forms_.AboutForm ? forms_.AboutForm->FaceIconLabel() : nullptr,
            forms_.frmOption ? forms_.frmOption->FaceIconLabel() : nullptr,
            forms_.frmInfo ? forms_.frmInfo->FaceIconLabel() : nullptr,
            forms_.MoreForm ? forms_.MoreForm->FaceIconLabel() : nullptr,
            forms_.ThankForm ? forms_.ThankForm->FaceIconLabel() : nullptr,
            FaceIco};
}

void TMainForm::GiveFaceIcons() {
    extras::FaceIconPicker picker = extras::FaceIconPicker::FromClock();
    for (QLabel* target : FaceIconTargets()) {
        const std::string file = picker.NextPath(platform::ProgramDirectory());
        // A missing or unreadable icon leaves the image empty; the window works on without it.
        extras::ShowFaceIcon(target, file);
    }
}

void TMainForm::FillAboutTexts() {
    if (!forms_.AboutForm)
        return;
    forms_.AboutForm->SetTexts({texts_.CompanyName, texts_.ProductName, texts_.VersionText,
                                texts_.EditionText, texts_.YearText, texts_.CompanyFullName, texts_.HomePage,
                                texts_.SupportMail});
}

void TMainForm::ShowThankButton() {
    if (forms_.AboutForm)
        forms_.AboutForm->ShowThankButtonIfFileExists(platform::ProgramDirectory());
}

void TMainForm::LoadMorePages() {
    if (!forms_.MoreForm)
        return;
    forms_.MoreForm->SetPageIndex(texts_.MorePageIndex);
    forms_.MoreForm->LoadPages(platform::ProgramDirectory() + texts_.MorePagesDir);
}

void TMainForm::GiveFixerDownloadAddress() {
    if (forms_.FormMorbeck)
        forms_.FormMorbeck->SetDownloadAddress(texts_.HomePage);
}

void TMainForm::FormResize() {
    ArrangeControls();
}

void TMainForm::ArrangeControls() {
    const TMainLayout layout = ArrangeLayout(ClientArea->width(), ClientArea->height());
    ToolBar1->setGeometry(0, 0, ClientArea->width(), kToolBarHeight);
    LV->setGeometry(layout.LV);
    FaceIco->setGeometry(layout.FaceIco);
    Label2->move(layout.Label2);
    StatusLabel->setGeometry(layout.Status);
    Panel2->setGeometry(layout.Panel2);
}

void TMainForm::Exit1Click() {
    Stop2Click();
    close();
}

void TMainForm::FormClose() {
    platform::RunGuarded([&] { settings::SaveSettings(settings_, DataIniPath()); });
}

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
        LV->setFocus();  // the list has the keyboard focus at start
    }
}

void TMainForm::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

void TMainForm::keyPressEvent(QKeyEvent* event) {
    // Esc stops a run as the panel's Stop does; while idle it means nothing here.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier && Panel2->isVisible()) {
        Stop2Click();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ClientArea && event->type() == QEvent::Resize) {
        FormResize();
    } else if (watched == LV && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_Delete && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            LVKeyDown(key->key());
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

// ---- Link label ----

void TMainForm::Label2MouseMove() {
    Label2->setFont(LinkFont(true));
    SetLinkColour(Label2, Qt::black);
    Label2->adjustSize();
}

void TMainForm::Label2MouseLeave() {
    Label2->setFont(LinkFont(false));
    SetLinkColour(Label2, kLinkIdle);
    Label2->adjustSize();
}

// The link label opens the address the About window's web link shows.
void TMainForm::Label2Click() {
    if (forms_.AboutForm)
        forms_.AboutForm->URLClick();
}

// ---- Help, catalogue, About and repair tool ----

void TMainForm::Content1Click() {
    extras::OpenHelpFile(platform::ProgramDirectory(), texts_.HelpFile, this);
}

void TMainForm::Homepage1Click() {
    extras::OpenHomePage(texts_.HomePage);
}

void TMainForm::EMail1Click() {
    extras::OpenSupportMail(texts_.SupportMail);
}

void TMainForm::Faq1Click() {
    extras::OpenFaq();
}

void TMainForm::More3Click() {
    if (forms_.MoreForm)
        forms_.MoreForm->exec();
}

void TMainForm::AboutClick() {
    if (forms_.AboutForm)
        forms_.AboutForm->exec();
}

void TMainForm::Fix1Click() {
    extras::RunFixCommand([this] {
        if (forms_.FormMorbeck)
            forms_.FormMorbeck->exec();
    });
}

// ---- Job list commands ----

void TMainForm::Addfiles1Click() {
    jobs_->AddFiles(settings_);
}

void TMainForm::Delete1Click() {
    // The operation asks the command itself, so the Delete key is refused during a run as well.
    if (!Delete1->isEnabled())
        return;
    jobs_->DeleteSelected();
}

void TMainForm::Selectall1Click() {
    jobs_->SelectAll();
}

void TMainForm::Invertselect1Click() {
    jobs_->InvertSelection();
}

void TMainForm::LVSelectItem() {
    MusicInfo1->setEnabled(jobs_->SelectedCount() == 1);
}

void TMainForm::LVKeyDown(int key) {
    if (key == Qt::Key_Delete)
        Delete1Click();
}

void TMainForm::PopupMenu1Popup() {
    const jobs::PopupState st =
        jobs::PopupMenu1State(jobs_->RowCount(), jobs_->SelectedCount(), Delete1->isEnabled());
    N21->setEnabled(st.del);
    Converter2->setEnabled(st.converter);
    Selectall2->setEnabled(st.selectAll);
    MusicInfo2->setEnabled(st.musicInfo);
}

void TMainForm::PlaySourceFile() {
    jobs::PlaySourceFile(*jobs_);
}

void TMainForm::PlayDestinationFile() {
    jobs::PlayDestinationFile(*jobs_);
}

void TMainForm::OpenOutputFile1Click() {
    jobs::OpenOutputFolder(*jobs_);
}

void TMainForm::mnuOutputFileClick() {
    if (forms_.OutputForm != nullptr)
        jobs::SetOutputDirectory(*jobs_, *forms_.OutputForm);
}

// ---- Editing dialogs ----

void TMainForm::Prefer1Click() {
    if (forms_.frmOption != nullptr)
        forms_.frmOption->Execute(settings_);
}

void TMainForm::MusicInfo1Click() {
    const int row = jobs_->FirstSelectedRow();
    if (row < 0 || forms_.frmInfo == nullptr)
        return;
    // Edited as a copy: a cancelled dialog leaves the job untouched. The list cannot change while the
    // dialog is modal, so the row still names the same job afterwards.
    jobs::tListType job = JobList[static_cast<std::size_t>(row)];
    if (forms_.frmInfo->Execute(job))
        JobList[static_cast<std::size_t>(row)] = job;
}

// ---- Run state ----

void TMainForm::SetRunControls(bool running) {
    Converter1->setEnabled(!running);
    Stop2->setEnabled(running);
    ToolButton3->setChecked(running);
    Addfiles1->setEnabled(!running);
    N11->setEnabled(!running);
    Delete1->setEnabled(!running);
    N21->setEnabled(!running);
    PlaySourceFile1->setEnabled(!running);
    Prefer1->setEnabled(!running);
}

void TMainForm::EnterRunningState() {
    SetRunControls(true);
}

void TMainForm::EnterIdleState() {
    SetRunControls(false);
}

}  // namespace app
