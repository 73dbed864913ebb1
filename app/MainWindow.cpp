#include "app/MainWindow.h"

#include <QAction>
#include <QCloseEvent>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QShowEvent>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>
#include <algorithm>

#include "app/Images.h"
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

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
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
        *jobs_, settings::Settings, [this] { return Addfiles1->isEnabled(); }, this);
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
    texts_.VersionText = "Version:4.4";
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

void TMainForm::CreateActions() {
    auto make = [this](QAction*& action, const char* name, const QString& text, int image = -1,
                       QKeySequence key = {}) {
        action = new QAction(text, this);
        action->setObjectName(QLatin1String(name));
        if (image >= 0)
            action->setIcon(ImageListIcon(image));
        if (!key.isEmpty())
            action->setShortcut(key);
        // Shortcuts belong to the window, so they work wherever the focus is inside it.
        action->setShortcutContext(Qt::WindowShortcut);
    };
    make(Addfiles1, "Addfiles1", QStringLiteral("&Add File"), imgAdd, Qt::Key_F2);
    make(Delete1, "Delete1", QStringLiteral("&Delete File"), imgDelete, Qt::Key_F3);
    make(Exit1, "Exit1", QStringLiteral("E&xit"));
    make(Selectall1, "Selectall1", QStringLiteral("Select &All"), -1, Qt::Key_F4);
    make(Invertselect1, "Invertselect1", QStringLiteral("&Invert Selection"));
    make(MusicInfo1, "MusicInfo1", QStringLiteral("&Music Info"), -1, Qt::Key_F10);
    make(Converter1, "Converter1", QStringLiteral("&Converter"), imgConvert, Qt::Key_F5);
    make(Stop2, "Stop2", QStringLiteral("&Stop Converter"), imgStop, Qt::Key_F6);
    make(Fix1, "Fix1", QStringLiteral("&Fix"), imgFix);
    make(PlaySourceFile1, "PlaySourceFile1", QStringLiteral("Play &Source File"), -1, Qt::Key_F7);
    make(PlayDestinationFile1, "PlayDestinationFile1", QStringLiteral("Play &Destination File"), -1,
         Qt::Key_F8);
    make(mnuOutputFile, "mnuOutputFile", QStringLiteral("Set &Output Directory"));
    make(OpenOutputFile1, "OpenOutputFile1", QStringLiteral("&Browse Output Directory"));
    make(Sound1, "Sound1", QStringLiteral("&Sound"));
    make(urnOff1, "urnOff1", QStringLiteral("&Turn Off"));
    Sound1->setIcon(ToggleImageIcon(imgSound));
    urnOff1->setIcon(ToggleImageIcon(imgTurnOff));
    make(Prefer1, "Prefer1", QStringLiteral("&Preferences..."), imgPreferences, Qt::Key_F9);
    make(Content1, "Content1", QStringLiteral("&Contents"), imgHelp, Qt::Key_F1);
    make(Homepage1, "Homepage1", QStringLiteral("&Webpage"), imgHomePage);
    make(EMail1, "EMail1", QStringLiteral("&E-Mail"), imgEMail);
    make(Faq1, "Faq1", QStringLiteral("&Faq"));
    make(More3, "More3", QStringLiteral("&More Software"));
    make(About1, "About1", QStringLiteral("&About"));

    make(N11, "N11", QStringLiteral("&Add"));
    make(N21, "N21", QStringLiteral("&Del"));
    make(Converter2, "Converter2", QStringLiteral("&Converter"));
    make(Selectall2, "Selectall2", QStringLiteral("&Select all"));
    make(MusicInfo2, "MusicInfo2", QStringLiteral("&Music Info"));
    // The drop-down shows the keys of its menu twins without taking them: F7 and F8 belong to the menu.
    // Bound to the drop-down alone, the keys show beside the items but never compete with the menu's; a
    // key written into the text instead would become part of the item's name for a screen reader.
    make(PlaySourceFile2, "PlaySourceFile2", QStringLiteral("Play &Source File"), -1, Qt::Key_F7);
    make(PlayDestinationFile2, "PlayDestinationFile2", QStringLiteral("Play &Destination File"), -1,
         Qt::Key_F8);
    PlaySourceFile2->setShortcutContext(Qt::WidgetShortcut);
    PlayDestinationFile2->setShortcutContext(Qt::WidgetShortcut);

    make(ToolButton3, "ToolButton3", QStringLiteral("Convert"), imgConvert);
    make(ToolButton14, "ToolButton14", QStringLiteral("Stop Convert"), imgStop);
    make(ToolButton12, "ToolButton12", QStringLiteral("Play music"), imgPlay);

    // Hints: the toolbar shows them; menus do not show tooltips.
    Addfiles1->setToolTip(QStringLiteral("Add Music File"));
    Delete1->setToolTip(QStringLiteral("Delete Music File"));
    ToolButton3->setToolTip(QStringLiteral("Convert file to Real Media Files"));
    ToolButton14->setToolTip(QStringLiteral("Stop Convert"));
    ToolButton12->setToolTip(QStringLiteral("Play music"));
    Prefer1->setToolTip(QStringLiteral("Preference"));
    Fix1->setToolTip(QStringLiteral("Call Morbeck"));
    Sound1->setToolTip(QStringLiteral("Sound notification when convert done"));
    urnOff1->setToolTip(QStringLiteral("Auto turn off when convert done"));
    Homepage1->setToolTip(QStringLiteral("Connect wiht Our web site"));
    EMail1->setToolTip(QStringLiteral("Email to us"));
    Content1->setToolTip(QStringLiteral("Help"));

    ToolButton3->setCheckable(true);
    Sound1->setCheckable(true);
    urnOff1->setCheckable(true);
    MusicInfo1->setEnabled(false);
}

void TMainForm::CreateMenus() {
    File1 = menuBar()->addMenu(QStringLiteral("&File"));
    File1->setObjectName(QStringLiteral("File1"));
    File1->addAction(Addfiles1);
    File1->addAction(Delete1);
    File1->addSeparator();
    File1->addAction(Exit1);

    Edit1 = menuBar()->addMenu(QStringLiteral("&Edit"));
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->addAction(Selectall1);
    Edit1->addAction(Invertselect1);
    Edit1->addSeparator();
    Edit1->addAction(MusicInfo1);

    Control1 = menuBar()->addMenu(QStringLiteral("&Control"));
    Control1->setObjectName(QStringLiteral("Control1"));
    Control1->addAction(Converter1);
    Control1->addAction(Stop2);
    Control1->addAction(Fix1);
    Control1->addSeparator();
    Play1 = Control1->addMenu(ImageListIcon(imgPlay), QStringLiteral("&Play"));
    Play1->setObjectName(QStringLiteral("Play1"));
    Play1->addAction(PlaySourceFile1);
    Play1->addAction(PlayDestinationFile1);
    Control1->addSeparator();
    Control1->addAction(mnuOutputFile);
    Control1->addAction(OpenOutputFile1);

    Option1 = menuBar()->addMenu(QStringLiteral("&Option"));
    Option1->setObjectName(QStringLiteral("Option1"));
    Option1->addAction(Sound1);
    Option1->addAction(urnOff1);
    Option1->addSeparator();
    Option1->addAction(Prefer1);

    Help1 = menuBar()->addMenu(QStringLiteral("&Help"));
    Help1->setObjectName(QStringLiteral("Help1"));
    Help1->addAction(Content1);
    Help1->addAction(Homepage1);
    Help1->addAction(EMail1);
    Help1->addAction(Faq1);
    Help1->addSeparator();
    Help1->addAction(More3);
    Help1->addAction(About1);

    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    PopupMenu1->addAction(N11);
    PopupMenu1->addAction(N21);
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(Converter2);
    PopupMenu1->addSeparator();
    PopupMenu1->addAction(Selectall2);
    PopupMenu1->addAction(MusicInfo2);

    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    PopupMenu2->addAction(PlaySourceFile2);
    PopupMenu2->addAction(PlayDestinationFile2);
}

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

void TMainForm::WireCommands() {
    connect(Addfiles1, &QAction::triggered, this, &TMainForm::Addfiles1Click);
    connect(N11, &QAction::triggered, this, &TMainForm::Addfiles1Click);
    connect(Delete1, &QAction::triggered, this, &TMainForm::Delete1Click);
    connect(N21, &QAction::triggered, this, &TMainForm::Delete1Click);
    connect(Exit1, &QAction::triggered, this, &TMainForm::Exit1Click);
    connect(Selectall1, &QAction::triggered, this, &TMainForm::Selectall1Click);
    connect(Selectall2, &QAction::triggered, this, &TMainForm::Selectall1Click);
    connect(Invertselect1, &QAction::triggered, this, &TMainForm::Invertselect1Click);
    connect(PlaySourceFile1, &QAction::triggered, this, &TMainForm::PlaySourceFile);
    connect(PlaySourceFile2, &QAction::triggered, this, &TMainForm::PlaySourceFile);
    connect(ToolButton12, &QAction::triggered, this, &TMainForm::PlaySourceFile);
    connect(PlayDestinationFile1, &QAction::triggered, this, &TMainForm::PlayDestinationFile);
    connect(PlayDestinationFile2, &QAction::triggered, this, &TMainForm::PlayDestinationFile);
    connect(OpenOutputFile1, &QAction::triggered, this, &TMainForm::OpenOutputFile1Click);
    connect(mnuOutputFile, &QAction::triggered, this, &TMainForm::mnuOutputFileClick);
    connect(Prefer1, &QAction::triggered, this, &TMainForm::Prefer1Click);
    connect(MusicInfo1, &QAction::triggered, this, &TMainForm::MusicInfo1Click);
    connect(MusicInfo2, &QAction::triggered, this, &TMainForm::MusicInfo1Click);
    connect(Stop2, &QAction::triggered, this, &TMainForm::Stop2Click);
    connect(ToolButton14, &QAction::triggered, this, &TMainForm::Stop2Click);
    connect(Button3, &QPushButton::clicked, this, &TMainForm::Stop2Click);
    // The hidden "about" button is the About command by another way.
    connect(Button1, &QPushButton::clicked, About1, &QAction::trigger);

    connect(PopupMenu1, &QMenu::aboutToShow, this, &TMainForm::PopupMenu1Popup);
    connect(LV, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& pos) { PopupMenu1->popup(LV->viewport()->mapToGlobal(pos)); });
    connect(LV->selectionModel(), &QItemSelectionModel::selectionChanged, this, &TMainForm::LVSelectItem);
    connect(Label2, &ui::TLinkLabel::mouseMoved, this, &TMainForm::Label2MouseMove);
    connect(Label2, &ui::TLinkLabel::mouseLeft, this, &TMainForm::Label2MouseLeave);
    connect(Label2, &ui::TLinkLabel::clicked, this, &TMainForm::Label2Click);

    connect(Content1, &QAction::triggered, this, &TMainForm::Content1Click);
    connect(Homepage1, &QAction::triggered, this, &TMainForm::Homepage1Click);
    connect(EMail1, &QAction::triggered, this, &TMainForm::EMail1Click);
    connect(Faq1, &QAction::triggered, this, &TMainForm::Faq1Click);
    connect(More3, &QAction::triggered, this, &TMainForm::More3Click);
    connect(About1, &QAction::triggered, this, &TMainForm::AboutClick);
    connect(Fix1, &QAction::triggered, this, &TMainForm::Fix1Click);
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
    platform::RunGuarded([&] { settings::LoadSettings(settings::Settings, DataIniPath(), defaults); });
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
    return {Forms.AboutForm ? Forms.AboutForm->FaceIconLabel() : nullptr,
            Forms.frmOption ? Forms.frmOption->FaceIconLabel() : nullptr,
            Forms.frmInfo ? Forms.frmInfo->FaceIconLabel() : nullptr,
            Forms.MoreForm ? Forms.MoreForm->FaceIconLabel() : nullptr,
            Forms.ThankForm ? Forms.ThankForm->FaceIconLabel() : nullptr,
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
    if (!Forms.AboutForm)
        return;
    Forms.AboutForm->SetTexts({texts_.CompanyName, texts_.ProductName, texts_.VersionText, texts_.EditionText,
                               texts_.YearText, texts_.CompanyFullName, texts_.HomePage, texts_.SupportMail});
}

void TMainForm::ShowThankButton() {
    if (Forms.AboutForm)
        Forms.AboutForm->ShowThankButtonIfFileExists(platform::ProgramDirectory());
}

void TMainForm::LoadMorePages() {
    if (!Forms.MoreForm)
        return;
    Forms.MoreForm->SetPageIndex(texts_.MorePageIndex);
    Forms.MoreForm->LoadPages(platform::ProgramDirectory() + texts_.MorePagesDir);
}

void TMainForm::GiveFixerDownloadAddress() {
    if (Forms.FormMorbeck)
        Forms.FormMorbeck->SetDownloadAddress(texts_.HomePage);
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
    platform::RunGuarded([&] { settings::SaveSettings(settings::Settings, DataIniPath()); });
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
    if (Forms.AboutForm)
        Forms.AboutForm->URLClick();
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
    if (Forms.MoreForm)
        Forms.MoreForm->exec();
}

void TMainForm::AboutClick() {
    if (Forms.AboutForm)
        Forms.AboutForm->exec();
}

void TMainForm::Fix1Click() {
    extras::RunFixCommand([] {
        if (Forms.FormMorbeck)
            Forms.FormMorbeck->exec();
    });
}

// ---- Job list commands ----

void TMainForm::Addfiles1Click() {
    jobs_->AddFiles(settings::Settings);
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
    if (Forms.OutputForm != nullptr)
        jobs::SetOutputDirectory(*jobs_, *Forms.OutputForm);
}

// ---- Editing dialogs ----

void TMainForm::Prefer1Click() {
    if (Forms.frmOption != nullptr)
        Forms.frmOption->Execute(settings::Settings);
}

void TMainForm::MusicInfo1Click() {
    const int row = jobs_->FirstSelectedRow();
    if (row < 0 || Forms.frmInfo == nullptr)
        return;
    // Edited as a copy: a cancelled dialog leaves the job untouched. The list cannot change while the
    // dialog is modal, so the row still names the same job afterwards.
    jobs::tListType job = JobList[static_cast<std::size_t>(row)];
    if (Forms.frmInfo->Execute(job))
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
