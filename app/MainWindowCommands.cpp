// The main window's commands: its actions with their keys, icons and hints, the menus and pop-up menus
// that show them, and the handler each command calls.
#include <QAction>
#include <QItemSelectionModel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTreeWidget>

#include "app/Images.h"
#include "app/MainWindow.h"
#include "ui/Labels.h"

namespace app {

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

}  // namespace app
