#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QTreeWidget>

#include "app/Images.h"
#include "app/MainWindow.h"
#include "platform/Dialogs.h"
#include "platform/ProgramDir.h"
#include "platform/Shell.h"
#include "settings/Settings.h"
#include "ui/Labels.h"

using app::TMainForm;
using platform::MessageBox;

namespace {
class MainFormTest : public ::testing::Test {
  protected:
    void SetUp() override {
        platform::SetProgramDirectory(dir.path().toStdString() + "/");
        settings::Settings = settings::TSettings{};
        settings::Settings.MaxConverFile = 200;
        form = std::make_unique<TMainForm>(settings::Settings, app::Forms);
        MessageBox::TakeShown();
    }
    void AddRows(int n) {
        std::vector<std::string> files;
        for (int i = 0; i < n; ++i)
            files.push_back("/media/clip" + std::to_string(i) + ".avi");
        form->Jobs().AddChosenFiles(files, settings::Settings);
    }
    void Select(std::initializer_list<int> rows) {
        form->Find<QTreeWidget>("LV")->clearSelection();
        for (int r : rows)
            form->Find<QTreeWidget>("LV")->topLevelItem(r)->setSelected(true);
    }
    std::vector<std::string> MenuTexts(QMenu* menu) {
        std::vector<std::string> out;
        for (QAction* a : menu->actions())
            out.push_back(a->isSeparator() ? "-" : a->text().toStdString());
        return out;
    }

    QTemporaryDir dir;
    std::unique_ptr<TMainForm> form;
};
}  // namespace

TEST(MainLayout, ListKeepsItsMarginsAndThePanelStaysCentred) {
    app::TMainLayout l = app::ArrangeLayout(707, 453);
    EXPECT_EQ(l.LV, QRect(8, 64, 691, 343));
    EXPECT_EQ(l.FaceIco.top(), 453 - 40);
    EXPECT_EQ(l.FaceIco.left(), 8);
    EXPECT_EQ(l.Label2, QPoint(56, 453 - 35));
    EXPECT_EQ(app::ArrangeLayout(708, 453).Panel2, QRect(149, 118, 409, 217));
    // Truncation towards zero, also when the panel is wider than the client area.
    EXPECT_EQ(app::ArrangeLayout(400, 200).Panel2.topLeft(), QPoint(-4, -8));
}

TEST_F(MainFormTest, WindowRefusesToShrinkAndArrangesOnEveryResize) {
    EXPECT_EQ(form->windowTitle(), "Vastrel Quenzor");
    // The designed outer size of 715 x 499 less the classic frame; the menu bar is outside the client
    // area there too.
    EXPECT_EQ(form->minimumSize(), QSize(707, 465));
    EXPECT_EQ(form->size(), QSize(707, 465));
    form->show();
    form->resize(1000, 700);
    QApplication::processEvents();
    const QSize client = form->Find<QWidget>("ClientArea")->size();
    EXPECT_EQ(form->Find<QTreeWidget>("LV")->geometry(),
              QRect(8, 64, client.width() - 16, client.height() - 110));
    EXPECT_EQ(form->Find<QLabel>("FaceIco")->y(), client.height() - 40);
    EXPECT_EQ(form->Find<ui::TLinkLabel>("Label2")->y(), client.height() - 35);
    EXPECT_EQ(form->Find<QFrame>("Panel2")->x(), (client.width() - 409) / 2);
    EXPECT_FALSE(form->Find<QFrame>("Panel2")->isVisible());
    form->resize(300, 200);
    QApplication::processEvents();
    EXPECT_GE(form->width(), 707);
    EXPECT_GE(form->height(), 465);
}

TEST_F(MainFormTest, MenusHoldTheirItemsInOrderWithShortcutsAndImages) {
    QList<QAction*> bar = form->menuBar()->actions();
    std::vector<std::string> titles;
    for (QAction* a : bar)
        titles.push_back(a->text().toStdString());
    EXPECT_EQ(titles, (std::vector<std::string>{"&File", "&Edit", "&Control", "&Option", "&Help"}));
    EXPECT_EQ(MenuTexts(form->Find<QMenu>("File1")),
              (std::vector<std::string>{"&Add File", "&Delete File", "-", "E&xit"}));
    EXPECT_EQ(MenuTexts(form->Find<QMenu>("Edit1")),
              (std::vector<std::string>{"Select &All", "&Invert Selection", "-", "&Music Info"}));
    EXPECT_EQ(MenuTexts(form->Find<QMenu>("Control1")),
              (std::vector<std::string>{"&Converter", "&Stop Converter", "&Fix", "-", "&Play", "-",
                                        "Set &Output Directory", "&Browse Output Directory"}));
    EXPECT_EQ(MenuTexts(form->Find<QMenu>("Play1")),
              (std::vector<std::string>{"Play &Source File", "Play &Destination File"}));
    EXPECT_EQ(MenuTexts(form->Find<QMenu>("Option1")),
              (std::vector<std::string>{"&Sound", "&Turn Off", "-", "&Preferences..."}));
    EXPECT_EQ(MenuTexts(form->Find<QMenu>("Help1")),
              (std::vector<std::string>{"&Contents", "&Webpage", "&E-Mail", "&Faq", "-", "&More Software",
                                        "&About"}));
    EXPECT_EQ(
        MenuTexts(form->Find<QMenu>("PopupMenu1")),
        (std::vector<std::string>{"&Add", "&Del", "-", "&Converter", "-", "&Select all", "&Music Info"}));

    const std::pair<QAction*, Qt::Key> keys[] = {{form->Find<QAction>("Addfiles1"), Qt::Key_F2},
                                                 {form->Find<QAction>("Delete1"), Qt::Key_F3},
                                                 {form->Find<QAction>("Selectall1"), Qt::Key_F4},
                                                 {form->Find<QAction>("MusicInfo1"), Qt::Key_F10},
                                                 {form->Find<QAction>("Converter1"), Qt::Key_F5},
                                                 {form->Find<QAction>("Stop2"), Qt::Key_F6},
                                                 {form->Find<QAction>("PlaySourceFile1"), Qt::Key_F7},
                                                 {form->Find<QAction>("PlayDestinationFile1"), Qt::Key_F8},
                                                 {form->Find<QAction>("Prefer1"), Qt::Key_F9},
                                                 {form->Find<QAction>("Content1"), Qt::Key_F1}};
    for (auto [action, key] : keys)
        EXPECT_EQ(action->shortcut(), QKeySequence(key)) << action->text().toStdString();
    for (QAction* a :
         {form->Find<QAction>("Addfiles1"), form->Find<QAction>("Delete1"), form->Find<QAction>("Converter1"),
          form->Find<QAction>("Stop2"), form->Find<QAction>("Fix1"), form->Find<QAction>("Sound1"),
          form->Find<QAction>("urnOff1"), form->Find<QAction>("Prefer1"), form->Find<QAction>("Content1"),
          form->Find<QAction>("Homepage1"), form->Find<QAction>("EMail1")}) {
        EXPECT_FALSE(a->icon().isNull()) << a->text().toStdString();
        EXPECT_FALSE(a->icon().pixmap(16, 16).isNull());
    }
    EXPECT_FALSE(form->Find<QMenu>("Play1")->icon().isNull());
    // Beside an image a menu shows no check box, so a toggle's small image carries the check itself.
    for (const char* toggle : {"Sound1", "urnOff1"}) {
        const QIcon icon = form->Find<QAction>(toggle)->icon();
        EXPECT_NE(icon.pixmap(QSize(16, 16), 1.0, QIcon::Normal, QIcon::On).toImage(),
                  icon.pixmap(QSize(16, 16), 1.0, QIcon::Normal, QIcon::Off).toImage())
            << toggle;
    }
    EXPECT_TRUE(form->Find<QAction>("Faq1")->icon().isNull());
    EXPECT_FALSE(form->Find<QAction>("MusicInfo1")->isEnabled());
    EXPECT_TRUE(form->Find<QAction>("Stop2")->isEnabled());  // the form's default: Stop when idle is harmless
}

TEST_F(MainFormTest, ToolbarHasItsButtonsInOrderWithHintsImagesAndStyles) {
    std::vector<std::string> order;
    for (QAction* a : form->Find<QToolBar>("ToolBar1")->actions()) {
        if (a->isSeparator()) {
            order.push_back("-");
            continue;
        }
        auto* b = qobject_cast<QToolButton*>(form->Find<QToolBar>("ToolBar1")->widgetForAction(a));
        ASSERT_NE(b, nullptr);
        order.push_back(b->objectName().toStdString());
        EXPECT_FALSE(b->icon().isNull());
        EXPECT_EQ(b->iconSize(), QSize(48, 48));
        EXPECT_FALSE(b->icon().pixmap(48, 48).isNull());
    }
    EXPECT_EQ(order,
              (std::vector<std::string>{"ToolButton1", "ToolButton2", "-", "ToolButton3", "ToolButton14", "-",
                                        "ToolButton12", "ToolButton4", "ToolButton13", "-", "ToolButton8",
                                        "ToolButton9", "-", "ToolHomepage", "ToolEmail", "ToolContent"}));
    const std::pair<const char*, const char*> hints[] = {
        {"ToolButton1", "Add Music File"},
        {"ToolButton2", "Delete Music File"},
        {"ToolButton3", "Convert file to Real Media Files"},
        {"ToolButton14", "Stop Convert"},
        {"ToolButton12", "Play music"},
        {"ToolButton4", "Preference"},
        {"ToolButton13", "Call Morbeck"},
        {"ToolButton8", "Sound notification when convert done"},
        {"ToolButton9", "Auto turn off when convert done"},
        {"ToolHomepage", "Connect wiht Our web site"},
        {"ToolEmail", "Email to us"},
        {"ToolContent", "Help"}};
    for (auto [name, hint] : hints)
        EXPECT_EQ(form->ToolBarButton(name)->toolTip().toStdString(), hint) << name;
    for (const char* toggle : {"ToolButton3", "ToolButton8", "ToolButton9"})
        EXPECT_TRUE(form->ToolBarButton(toggle)->isCheckable()) << toggle;
    EXPECT_FALSE(form->ToolBarButton("ToolButton1")->isCheckable());
    QToolButton* play = form->ToolBarButton("ToolButton12");
    EXPECT_EQ(play->popupMode(), QToolButton::MenuButtonPopup);
    EXPECT_EQ(play->menu(), form->Find<QMenu>("PopupMenu2"));
    EXPECT_EQ(MenuTexts(form->Find<QMenu>("PopupMenu2")),
              (std::vector<std::string>{"Play &Source File", "Play &Destination File"}));
    // The drop-down shows the keys without competing with the menu for them (F7 and F8 reach the menu's
    // items: FunctionKeysReachTheirCommandsOnlyWhileEnabled).
    EXPECT_EQ(form->Find<QAction>("PlaySourceFile2")->shortcut(), QKeySequence(Qt::Key_F7));
    EXPECT_EQ(form->Find<QAction>("PlayDestinationFile2")->shortcut(), QKeySequence(Qt::Key_F8));
    EXPECT_EQ(form->Find<QAction>("PlaySourceFile2")->shortcutContext(), Qt::WidgetShortcut);
    EXPECT_EQ(form->Find<QAction>("PlayDestinationFile2")->shortcutContext(), Qt::WidgetShortcut);
}

TEST_F(MainFormTest, TwinsShareOneCommandAndTogglesMirrorEachOther) {
    EXPECT_EQ(form->ToolBarButton("ToolButton1")->defaultAction(), form->Find<QAction>("Addfiles1"));
    EXPECT_EQ(form->ToolBarButton("ToolButton2")->defaultAction(), form->Find<QAction>("Delete1"));
    EXPECT_EQ(form->ToolBarButton("ToolButton4")->defaultAction(), form->Find<QAction>("Prefer1"));
    EXPECT_EQ(form->ToolBarButton("ToolButton13")->defaultAction(), form->Find<QAction>("Fix1"));
    EXPECT_EQ(form->ToolBarButton("ToolContent")->defaultAction(), form->Find<QAction>("Content1"));

    QToolButton* sound = form->ToolBarButton("ToolButton8");
    QToolButton* off = form->ToolBarButton("ToolButton9");
    EXPECT_FALSE(sound->isChecked());
    EXPECT_FALSE(off->isChecked());
    form->Find<QAction>("Sound1")->trigger();  // the menu item
    EXPECT_TRUE(sound->isChecked());
    sound->click();  // the button releases the menu's check mark
    EXPECT_FALSE(form->Find<QAction>("Sound1")->isChecked());
    off->click();
    EXPECT_TRUE(form->Find<QAction>("urnOff1")->isChecked());
    form->Find<QAction>("urnOff1")->trigger();
    EXPECT_FALSE(off->isChecked());
}

TEST_F(MainFormTest, RunStateSwitchesExactlyTheRunCommands) {
    QAction* untouched[] = {form->Find<QAction>("PlayDestinationFile1"),
                            form->Find<QAction>("PlaySourceFile2"),
                            form->Find<QAction>("PlayDestinationFile2"),
                            form->Find<QAction>("ToolButton12"),
                            form->Find<QAction>("mnuOutputFile"),
                            form->Find<QAction>("OpenOutputFile1"),
                            form->Find<QAction>("Fix1"),
                            form->Find<QAction>("Selectall1"),
                            form->Find<QAction>("Invertselect1"),
                            form->Find<QAction>("Exit1"),
                            form->Find<QAction>("Sound1"),
                            form->Find<QAction>("urnOff1"),
                            form->Find<QAction>("Content1"),
                            form->Find<QAction>("Homepage1"),
                            form->Find<QAction>("ToolButton14"),
                            form->Find<QAction>("Converter2"),
                            form->Find<QAction>("Selectall2")};
    form->EnterRunningState();
    for (QAction* a : {form->Find<QAction>("Converter1"), form->Find<QAction>("Addfiles1"),
                       form->Find<QAction>("N11"), form->Find<QAction>("Delete1"), form->Find<QAction>("N21"),
                       form->Find<QAction>("PlaySourceFile1"), form->Find<QAction>("Prefer1")})
        EXPECT_FALSE(a->isEnabled()) << a->objectName().toStdString();
    EXPECT_TRUE(form->Find<QAction>("Stop2")->isEnabled());
    EXPECT_TRUE(form->ToolBarButton("ToolButton3")->isChecked());
    EXPECT_FALSE(form->ToolBarButton("ToolButton1")->isEnabled());
    EXPECT_FALSE(form->ToolBarButton("ToolButton2")->isEnabled());
    EXPECT_FALSE(form->ToolBarButton("ToolButton4")->isEnabled());
    for (QAction* a : untouched)
        EXPECT_TRUE(a->isEnabled()) << a->objectName().toStdString();

    form->EnterIdleState();
    for (QAction* a : {form->Find<QAction>("Converter1"), form->Find<QAction>("Addfiles1"),
                       form->Find<QAction>("N11"), form->Find<QAction>("Delete1"), form->Find<QAction>("N21"),
                       form->Find<QAction>("PlaySourceFile1"), form->Find<QAction>("Prefer1")})
        EXPECT_TRUE(a->isEnabled()) << a->objectName().toStdString();
    EXPECT_FALSE(form->Find<QAction>("Stop2")->isEnabled());
    EXPECT_FALSE(form->ToolBarButton("ToolButton3")->isChecked());
    for (QAction* a : untouched)
        EXPECT_TRUE(a->isEnabled()) << a->objectName().toStdString();
}

TEST_F(MainFormTest, ContextMenuFollowsRowsSelectionAndRunState) {
    form->PopupMenu1Popup();
    EXPECT_FALSE(form->Find<QAction>("N21")->isEnabled());
    EXPECT_FALSE(form->Find<QAction>("Converter2")->isEnabled());
    EXPECT_FALSE(form->Find<QAction>("Selectall2")->isEnabled());
    EXPECT_FALSE(form->Find<QAction>("MusicInfo2")->isEnabled());
    EXPECT_TRUE(form->Find<QAction>("N11")->isEnabled());

    AddRows(3);
    Select({0, 2});
    form->PopupMenu1Popup();
    EXPECT_TRUE(form->Find<QAction>("N21")->isEnabled());
    EXPECT_TRUE(form->Find<QAction>("Converter2")->isEnabled());
    EXPECT_TRUE(form->Find<QAction>("Selectall2")->isEnabled());
    EXPECT_FALSE(form->Find<QAction>("MusicInfo2")->isEnabled());

    Select({1});
    form->EnterRunningState();
    form->PopupMenu1Popup();
    EXPECT_FALSE(form->Find<QAction>("N21")->isEnabled());
    EXPECT_TRUE(form->Find<QAction>("Converter2")->isEnabled());
    EXPECT_TRUE(form->Find<QAction>("MusicInfo2")->isEnabled());
    EXPECT_FALSE(form->Find<QAction>("N11")->isEnabled());
}

TEST_F(MainFormTest, MusicInfoFollowsTheSelectionCount) {
    AddRows(3);
    Select({1});
    EXPECT_TRUE(form->Find<QAction>("MusicInfo1")->isEnabled());
    Select({0, 1});
    EXPECT_FALSE(form->Find<QAction>("MusicInfo1")->isEnabled());
    form->Find<QAction>("Selectall1")->trigger();
    EXPECT_FALSE(form->Find<QAction>("MusicInfo1")->isEnabled());
    Select({2});
    form->Find<QAction>("Invertselect1")->trigger();
    EXPECT_FALSE(form->Find<QAction>("MusicInfo1")->isEnabled());
    form->Find<QAction>("Delete1")->trigger();
    EXPECT_EQ(form->Jobs().Jobs().size(), 1u);
    EXPECT_FALSE(form->Find<QAction>("MusicInfo1")->isEnabled());
    // Deleting the one selected row leaves nothing selected, and the command follows.
    AddRows(1);
    Select({1});
    EXPECT_TRUE(form->Find<QAction>("MusicInfo1")->isEnabled());
    form->Find<QAction>("Delete1")->trigger();
    EXPECT_EQ(form->Jobs().Jobs().size(), 1u);
    EXPECT_FALSE(form->Find<QAction>("MusicInfo1")->isEnabled());
}

TEST_F(MainFormTest, DeleteKeyDeletesSelectedRowsExceptDuringARun) {
    AddRows(4);
    Select({1});
    form->EnterRunningState();
    QTest::keyClick(form->Find<QTreeWidget>("LV"), Qt::Key_Delete);
    EXPECT_EQ(form->Jobs().Jobs().size(), 4u);
    form->Find<QAction>("N21")->trigger();  // the popup item obeys the same rule
    EXPECT_EQ(form->Jobs().Jobs().size(), 4u);
    form->EnterIdleState();
    QTest::keyClick(form->Find<QTreeWidget>("LV"), Qt::Key_Delete);
    ASSERT_EQ(form->Jobs().Jobs().size(), 3u);
    EXPECT_EQ(form->Jobs().Jobs()[1].SourceFile, "/media/clip2.avi");
    EXPECT_EQ(form->Find<QTreeWidget>("LV")->topLevelItem(2)->text(0), "3");
}

TEST_F(MainFormTest, AddCommandsShareOneHandler) {
    platform::FileDialogs::SetNextOpenFiles({"/a/1.mp3"});
    form->Find<QAction>("Addfiles1")->trigger();
    platform::FileDialogs::SetNextOpenFiles({"/a/2.mp3"});
    form->Find<QAction>("N11")->trigger();
    platform::FileDialogs::SetNextOpenFiles({"/a/3.mp3"});
    form->ToolBarButton("ToolButton1")->click();
    ASSERT_EQ(form->Jobs().Jobs().size(), 3u);
    EXPECT_EQ(form->Find<QTreeWidget>("LV")->topLevelItem(2)->text(2), "/a/3.rm");
}

TEST_F(MainFormTest, PlayCommandsAndBrowseReachTheShell) {
    std::vector<std::string> opened;
    platform::SetShellOpenHandler([&](const std::string& t) { opened.push_back(t); });
    form->Find<QAction>("ToolButton12")->trigger();
    form->Find<QAction>("PlayDestinationFile2")->trigger();
    form->Find<QAction>("OpenOutputFile1")->trigger();
    std::vector<std::string> texts;
    for (const auto& r : MessageBox::TakeShown())
        texts.push_back(r.text);
    EXPECT_EQ(texts, (std::vector<std::string>{"Don't play! You must choose a real file in file list.",
                                               "Don't play! You must choose a real file in file list.",
                                               "You must choose a item."}));
    AddRows(1);
    form->Find<QAction>("OpenOutputFile1")->trigger();
    EXPECT_EQ(opened, std::vector<std::string>{"/media/"});
    platform::SetShellOpenHandler([](const std::string&) {});
}

TEST_F(MainFormTest, FirstShowFillsTheTexts) {
    form->show();
    QApplication::processEvents();
    EXPECT_EQ(form->Find<QAction>("About1")->text(), "&About");
    EXPECT_TRUE(form->Find<QAction>("Content1")->isVisible());
    EXPECT_EQ(form->Find<ui::TLinkLabel>("Label2")->text(), "Vastrel");
    EXPECT_TRUE(form->Find<QLabel>("SourceFilenameLabel")->text().isEmpty());
}

TEST_F(MainFormTest, LinkLabelHighlightsWhileTheMouseIsOverIt) {
    emit form->Find<ui::TLinkLabel>("Label2")->mouseMoved();
    EXPECT_TRUE(form->Find<ui::TLinkLabel>("Label2")->font().bold());
    EXPECT_TRUE(form->Find<ui::TLinkLabel>("Label2")->font().underline());
    EXPECT_EQ(form->Find<ui::TLinkLabel>("Label2")->palette().color(QPalette::WindowText), QColor(Qt::black));
    emit form->Find<ui::TLinkLabel>("Label2")->mouseLeft();
    EXPECT_FALSE(form->Find<ui::TLinkLabel>("Label2")->font().bold());
    EXPECT_TRUE(form->Find<ui::TLinkLabel>("Label2")->font().italic());
    EXPECT_EQ(form->Find<ui::TLinkLabel>("Label2")->palette().color(QPalette::WindowText),
              QColor(192, 192, 192));
    EXPECT_EQ(form->Find<ui::TLinkLabel>("Label2")->font().pixelSize(), 19);
}

TEST_F(MainFormTest, ExitStopsTheRunAndClosesTheWindow) {
    form->show();
    QApplication::processEvents();
    form->EnterRunningState();
    form->Find<QFrame>("Panel2")->show();
    form->Find<QAction>("Exit1")->trigger();
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(form->Find<QFrame>("Panel2")->isVisible());
    EXPECT_TRUE(form->Find<QAction>("Converter1")->isEnabled());
    EXPECT_FALSE(form->Find<QAction>("Stop2")->isEnabled());
}

TEST_F(MainFormTest, FunctionKeysReachTheirCommandsOnlyWhileEnabled) {
    form->show();
    QApplication::setActiveWindow(form.get());
    QApplication::processEvents();
    platform::FileDialogs::SetNextOpenFiles({"/a/1.mp3", "/a/2.mp3"});
    QTest::keyClick(form->Find<QTreeWidget>("LV"), Qt::Key_F2);
    ASSERT_EQ(form->Jobs().Jobs().size(), 2u);
    QTest::keyClick(form->Find<QTreeWidget>("LV"), Qt::Key_F4);
    EXPECT_EQ(form->Jobs().SelectedCount(), 2);
    QTest::keyClick(form->Find<QTreeWidget>("LV"), Qt::Key_F7);  // the file does not exist
    auto shown = MessageBox::TakeShown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].text, "Don't find /a/1.mp3");

    form->EnterRunningState();
    QTest::keyClick(form->Find<QTreeWidget>("LV"), Qt::Key_F7);
    QTest::keyClick(form->Find<QTreeWidget>("LV"), Qt::Key_F3);
    EXPECT_TRUE(MessageBox::TakeShown().empty());
    EXPECT_EQ(form->Jobs().Jobs().size(), 2u);
    QTest::keyClick(form->Find<QTreeWidget>("LV"), Qt::Key_F8);  // destination playback stays available
    EXPECT_EQ(MessageBox::TakeShown().size(), 1u);
    form->EnterIdleState();
    QTest::keyClick(form->Find<QTreeWidget>("LV"), Qt::Key_F3);
    EXPECT_TRUE(form->Jobs().Jobs().empty());
}

TEST_F(MainFormTest, RightClickOpensThePreparedContextMenu) {
    form->show();
    QApplication::processEvents();
    AddRows(2);
    Select({0, 1});
    emit form->Find<QTreeWidget>("LV")->customContextMenuRequested(QPoint(5, 5));
    QApplication::processEvents();
    EXPECT_TRUE(form->Find<QMenu>("PopupMenu1")->isVisible());
    EXPECT_TRUE(form->Find<QAction>("N21")->isEnabled());
    EXPECT_FALSE(form->Find<QAction>("MusicInfo2")->isEnabled());
    form->Find<QMenu>("PopupMenu1")->hide();
}

TEST_F(MainFormTest, WindowStartsCentredOnTheScreen) {
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE(std::abs(form->geometry().center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(form->geometry().center().y() - screen.center().y()), 1);
}

TEST_F(MainFormTest, LinkLabelReportsTheMouseAsARealPointerWouldMoveIt) {
    form->show();
    QApplication::processEvents();
    QSignalSpy clicked(form->Find<ui::TLinkLabel>("Label2"), &ui::TLinkLabel::clicked);
    QTest::mouseMove(form->Find<ui::TLinkLabel>("Label2"), QPoint(3, 3));
    QMouseEvent move(QEvent::MouseMove, QPointF(4, 4),
                     form->Find<ui::TLinkLabel>("Label2")->mapToGlobal(QPointF(4, 4)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(form->Find<ui::TLinkLabel>("Label2"), &move);
    EXPECT_TRUE(form->Find<ui::TLinkLabel>("Label2")->font().underline());
    QTest::mouseClick(form->Find<ui::TLinkLabel>("Label2"), Qt::LeftButton, Qt::NoModifier, QPoint(4, 4));
    EXPECT_EQ(clicked.count(), 1);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(form->Find<ui::TLinkLabel>("Label2"), &leave);
    EXPECT_TRUE(form->Find<ui::TLinkLabel>("Label2")->font().italic());
    EXPECT_FALSE(form->Find<ui::TLinkLabel>("Label2")->font().underline());
}

TEST(ImageList, TwelveImagesAtBothSizesAndNothingBeyond) {
    for (int i = 0; i < app::ImageCount; ++i) {
        const QIcon icon = app::ImageListIcon(i);
        EXPECT_EQ(icon.availableSizes().size(), 2) << i;
        EXPECT_TRUE(icon.availableSizes().contains(QSize(16, 16))) << i;
        EXPECT_TRUE(icon.availableSizes().contains(QSize(48, 48))) << i;
    }
    EXPECT_TRUE(app::ImageListIcon(-1).isNull());
    EXPECT_TRUE(app::ImageListIcon(app::ImageCount).isNull());
}

TEST_F(MainFormTest, ProgressPanelShowsFileNamesAsTheyAre) {
    // Angle brackets are legal in file names; the panel must not take them for markup and hide them.
    const QString source = QStringLiteral("/media/<i>clip</i>.avi");
    const QString destination = QStringLiteral("/media/<b>x</b> & <u>y</u>.rm");
    for (auto [label, text] : {std::pair{form->Find<QLabel>("SourceFilenameLabel"), source},
                               std::pair{form->Find<QLabel>("DestFilenameLabel"), destination}}) {
        label->setText(text);
        EXPECT_GE(label->sizeHint().width(), QFontMetrics(label->font()).horizontalAdvance(text))
            << text.toStdString();
    }
}
