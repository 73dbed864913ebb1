#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTreeWidget>
#include <map>
#include <set>

#include "app/EncoderSetupPrompt.h"
#include "app/MainWindow.h"
#include "app/WindowList.h"
#include "conversion/EncoderFactory.h"
#include "conversion/RunDriver.h"
#include "extras/AboutWindow.h"
#include "extras/HelpWindow.h"
#include "extras/MorbeckPrompt.h"
#include "extras/MoreSoftwareWindow.h"
#include "extras/ThankWindow.h"
#include "jobs/MusicInfoDialog.h"
#include "jobs/OutputDirectoryDialog.h"
#include "settings/PreferencesDialog.h"
#include "settings/Settings.h"
#include "support/ExtrasFixture.h"
#include "support/FakeProducer.h"
#include "support/ModalDriver.h"

using app::Forms;

namespace {
// The roles a person operates or reads as a whole; each needs a name that says what it is.
bool NeedsName(QAccessible::Role role) {
    switch (role) {
        case QAccessible::PushButton:
        case QAccessible::CheckBox:
        case QAccessible::RadioButton:
        case QAccessible::ComboBox:
        case QAccessible::EditableText:
        case QAccessible::SpinBox:
        case QAccessible::ProgressBar:
        case QAccessible::List:
        case QAccessible::Tree:
        case QAccessible::Table:
        case QAccessible::PageTab:
        case QAccessible::MenuItem:
        case QAccessible::ButtonMenu:
        case QAccessible::ButtonDropDown:
        case QAccessible::Link:
        case QAccessible::Graphic:
            return true;
        default:
            return false;
    }
}

std::string Describe(QAccessibleInterface* node) {
    const QObject* object = node->object();
    return (object != nullptr ? object->objectName().toStdString() + " " + object->metaObject()->className()
                              : std::string("(item)")) +
           " role " + std::to_string(static_cast<int>(node->role()));
}

// Every control a screen reader meets below `node` that has no name, or a name with a key written after a
// tab. Focusable widgets count as controls whatever their role: the reader announces them on focus.
void Walk(QAccessibleInterface* node, const std::string& window, std::vector<std::string>& faults,
          bool root = false) {
    if (node == nullptr || !node->isValid() || (!root && node->state().invisible))
        return;
    const QString name = node->text(QAccessible::Name);
    const auto* widget = qobject_cast<const QWidget*>(node->object());
    // A widget that hands its focus to another (a tab widget to its tabs) is announced as that one.
    const bool focusable = widget != nullptr && widget->focusPolicy() != Qt::NoFocus &&
                           widget->focusProxy() == nullptr && node->role() != QAccessible::PageTabList &&
                           !node->state().disabled;
    if ((NeedsName(node->role()) || focusable) && name.trimmed().isEmpty())
        faults.push_back(window + ": " + Describe(node) + " has no name");
    if (name.contains(QLatin1Char('\t')))
        faults.push_back(window + ": " + Describe(node) + " is named \"" + name.toStdString() + "\"");
    for (int i = 0; i < node->childCount(); ++i)
        Walk(node->child(i), window, faults);
}

std::vector<std::string> Faults(QWidget* window) {
    std::vector<std::string> faults;
    const std::string name = window->objectName().toStdString();
    Walk(QAccessible::queryAccessibleInterface(window), name, faults, true);
    // Menus are closed popups, out of the window's tree until they open; each is read as it would open.
    for (QMenu* menu : window->findChildren<QMenu*>())
        Walk(QAccessible::queryAccessibleInterface(menu), name + " " + menu->objectName().toStdString(),
             faults, true);
    return faults;
}

// Access keys that two controls of one window share, and controls of a menu without one.
std::vector<std::string> KeyClashes(QWidget* window) {
    std::map<QKeySequence, QStringList> keys;
    auto add = [&](const QString& text) {
        const QKeySequence key = QKeySequence::mnemonic(text);
        if (!key.isEmpty())
            keys[key].push_back(text);
    };
    for (QAbstractButton* b : window->findChildren<QAbstractButton*>())
        add(b->text());
    for (QLabel* l : window->findChildren<QLabel*>())
        if (l->buddy() != nullptr)
            add(l->text());
    for (QGroupBox* g : window->findChildren<QGroupBox*>())
        add(g->title());
    for (QTabBar* bar : window->findChildren<QTabBar*>())
        for (int i = 0; i < bar->count(); ++i)
            add(bar->tabText(i));
    std::vector<std::string> clashes;
    for (const auto& [key, texts] : keys)
        if (texts.size() > 1)
            clashes.push_back(window->objectName().toStdString() + ": " + texts.join(" / ").toStdString());
    return clashes;
}

std::vector<std::string> MenuKeyFaults(const QList<QAction*>& actions, const std::string& menu) {
    std::vector<std::string> faults;
    std::set<QKeySequence> taken;
    for (QAction* a : actions) {
        if (a->isSeparator())
            continue;
        const QKeySequence key = QKeySequence::mnemonic(a->text());
        if (key.isEmpty() || !taken.insert(key).second)
            faults.push_back(menu + ": " + a->text().toStdString());
    }
    return faults;
}

// The program's windows as they run, with a recording encoder in place of the built-in one.
class Accessibility : public ExtrasTest {
  protected:
    void SetUp() override {
        ExtrasTest::SetUp();
        settings::Settings = settings::TSettings{};
        settings::Settings.MaxConverFile = 200;
        settings::Settings.filetype = 1;
        conversion::SetEncoderControlFactory([this] {
            auto fake = std::make_unique<testsupport::FakeProducer>();
            producer = fake.get();
            return fake;
        });
        app::CreateForms();
        conversion::SetEncoderControlFactory({});
        main = Forms.MainForm;
        main->show();
        QApplication::setActiveWindow(main);
        QApplication::processEvents();
        list = main->Find<QTreeWidget>("LV");
    }
    void TearDown() override {
        app::DestroyForms();
        ExtrasTest::TearDown();
    }
    // A key as the focused control of the window on top gets it, shortcuts and access keys included. The
    // window on top is made the active one, as a window manager does when a dialog opens or closes.
    static void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* target = QApplication::activePopupWidget();
        if (target == nullptr) {
            QWidget* window = QApplication::activeModalWidget();
            if (window == nullptr)
                window = Forms.MainForm;
            QApplication::setActiveWindow(window);
            target = window->focusWidget() != nullptr ? window->focusWidget() : window;
        }
        QTest::keyClick(target, key, modifiers);
    }
    QWidget* Focus() const { return QApplication::focusWidget(); }

    app::TMainForm* main = nullptr;
    QTreeWidget* list = nullptr;
    testsupport::FakeProducer* producer = nullptr;
};
}  // namespace

TEST_F(Accessibility, EveryWindowNamesItsControlsAndGivesEachAccessKeyOnce) {
    std::vector<std::string> faults = Faults(main);
    // The run panel with its bars and Stop, and a run's end said in the window.
    main->Jobs().AddChosenFiles({Dir() + "a.avi"}, settings::Settings);
    main->Find<QAction>("Converter1")->trigger();
    for (const std::string& f : Faults(main))
        faults.push_back("during a run: " + f);
    EXPECT_EQ(main->Find<QProgressBar>("RainProgressBar1")->accessibleName(), "Current file");
    EXPECT_EQ(main->Find<QProgressBar>("RainProgressBar2")->accessibleName(), "Whole run");
    main->Find<QAction>("Stop2")->trigger();

    // Preferences as it opens, filled from the settings.
    QWidget* preferences = Forms.frmOption;
    WhenModalOpens([&](QWidget*) {
        auto* pages = Child<QTabWidget>(*preferences, "PageControl1");
        for (int page = 0; page < pages->count(); ++page) {
            pages->setCurrentIndex(page);
            for (const std::string& f : Faults(preferences))
                faults.push_back("page " + std::to_string(page) + ": " + f);
        }
        // The lists are named by their labels, not by the chosen text, and so are their text fields.
        for (auto [name, label] :
             {std::pair{"ComboBox1", "Scheme"}, std::pair{"RainComboBox1", "Audio Format"},
              std::pair{"RainComboBox2", "Video Quality"}}) {
            auto* combo = Child<QComboBox>(*preferences, name);
            EXPECT_EQ(QAccessible::queryAccessibleInterface(combo)->text(QAccessible::Name), label);
            EXPECT_EQ(QAccessible::queryAccessibleInterface(combo->lineEdit())->text(QAccessible::Name),
                      label);
        }
        auto* audioFormat = Child<QComboBox>(*preferences, "RainComboBox1");
        EXPECT_EQ(QAccessible::queryAccessibleInterface(audioFormat)->text(QAccessible::Value),
                  audioFormat->currentText());
        EXPECT_EQ(QAccessible::queryAccessibleInterface(Child<QLineEdit>(*preferences, "Edit7"))
                      ->text(QAccessible::Name),
                  "Temporary Directory:");
        Child<QPushButton>(*preferences, "Button2")->click();
    });
    Forms.frmOption->Execute(settings::Settings);

    WriteFile("thank.txt", "Thanks\n");
    Forms.AboutForm->ShowThankButtonIfFileExists(Dir());
    Child<QRadioButton>(*Forms.OutputForm, "RadioButton2")->click();
    app::TTempForm setup;
    Child<QProgressBar>(setup, "ProgressBar")->show();
    auto* help = extras::ShowHelpWindow(Dir() + "help/", main);
    for (QWidget* window :
         std::initializer_list<QWidget*>{Forms.frmInfo, Forms.OutputForm, Forms.AboutForm, Forms.ThankForm,
                                         Forms.MoreForm, Forms.FormMorbeck, &setup, help, preferences}) {
        window->show();
        for (const std::string& f : Faults(window))
            faults.push_back(f);
        for (const std::string& f : KeyClashes(window))
            faults.push_back("shared access key: " + f);
        window->hide();
    }
    EXPECT_EQ(faults, std::vector<std::string>{});

    // The menu bar and every menu give each item its own access key.
    std::vector<std::string> menuFaults = MenuKeyFaults(main->menuBar()->actions(), "menu bar");
    for (QMenu* menu : main->findChildren<QMenu*>())
        for (const std::string& f : MenuKeyFaults(menu->actions(), menu->objectName().toStdString()))
            menuFaults.push_back(f);
    EXPECT_EQ(menuFaults, std::vector<std::string>{});
}

TEST_F(Accessibility, TheKeyboardAloneAddsConvertsStopsSetsUpHelpsAndExits) {
    // Nothing but the list takes the focus while idle: Tab stays on it, never on the hidden about button.
    EXPECT_EQ(Focus(), list);
    Key(Qt::Key_Tab);
    EXPECT_EQ(Focus(), list);
    // The focus shows on the list even while it is empty.
    const QImage focused = list->grab().toImage();
    list->clearFocus();
    EXPECT_NE(list->grab().toImage(), focused) << "the focused list looks like an unfocused one";
    list->setFocus();

    // Alt+F opens File; A adds the files, which join the list selected.
    platform::FileDialogs::SetNextOpenFiles({Dir() + "a.avi", Dir() + "b.avi"});
    Key(Qt::Key_F, Qt::AltModifier);
    ASSERT_EQ(QApplication::activePopupWidget(), main->Find<QMenu>("File1"));
    Key(Qt::Key_A);
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    ASSERT_EQ(main->Jobs().RowCount(), 2);
    EXPECT_EQ(main->Jobs().SelectedCount(), 2);
    EXPECT_EQ(Focus(), list);

    // F5 converts with the focus on Stop; Esc stops, and the focus goes back to the list.
    Key(Qt::Key_F5);
    auto* stop = main->Find<QPushButton>("Button3");
    EXPECT_TRUE(main->Find<QFrame>("Panel2")->isVisible());
    EXPECT_EQ(Focus(), stop);
    main->Run().Timer1Timer();
    producer->RaiseStarted();
    Key(Qt::Key_Escape);
    EXPECT_FALSE(main->Run().Running());
    EXPECT_EQ(producer->StopCount(), 1);
    EXPECT_FALSE(main->Find<QFrame>("Panel2")->isVisible());
    EXPECT_EQ(Focus(), list);
    auto* status = main->Find<QLabel>("StatusLabel");
    EXPECT_EQ(status->text(), "Stopped: 0 files converted");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(status)->text(QAccessible::Name), status->text());
    // Esc while idle leaves everything as it is.
    Key(Qt::Key_Escape);
    EXPECT_EQ(producer->StopCount(), 1);
    // Space on the focused Stop stops as well; a run that ends by itself gives the list back too.
    Key(Qt::Key_F5);
    Key(Qt::Key_Space);
    EXPECT_FALSE(main->Run().Running());
    EXPECT_EQ(Focus(), list);
    // Esc stops from the list as well.
    Key(Qt::Key_F5);
    list->setFocus();
    Key(Qt::Key_Escape);
    EXPECT_FALSE(main->Run().Running());

    // F9 opens Preferences at the checked file type; Alt+2 changes an audience and Enter keeps it.
    bool reached = false;
    WhenModalOpens([&](QWidget* dialog) {
        // Tab enters the file-type group at its checked button, and only there.
        auto* surestream = Child<QRadioButton>(*dialog, "RainRadioBox2");
        EXPECT_TRUE(surestream->isChecked());
        EXPECT_EQ(surestream->focusPolicy(), Qt::StrongFocus);
        EXPECT_EQ(Child<QRadioButton>(*dialog, "RainRadioBox1")->focusPolicy(), Qt::ClickFocus);
        // An access key presses a button for a tenth of a second before it takes effect.
        Key(Qt::Key_2, Qt::AltModifier);
        auto* modem28K = Child<QCheckBox>(*dialog, "RainCheckBox1");
        reached = QTest::qWaitFor([&] { return modem28K->isChecked(); }, 2000);
        Key(Qt::Key_Return);
        if (dialog->isVisible()) {
            ADD_FAILURE() << "Enter left Preferences open";
            static_cast<QDialog*>(dialog)->reject();
        }
    });
    Key(Qt::Key_F9);
    EXPECT_TRUE(reached);
    EXPECT_TRUE(settings::Settings.Modem28K);
    QApplication::setActiveWindow(main);
    EXPECT_EQ(Focus(), list);

    // F1 hands the help file to the desktop; Alt+H, C does the same through the menu.
    Key(Qt::Key_F1);
    Key(Qt::Key_H, Qt::AltModifier);
    Key(Qt::Key_C);
    EXPECT_EQ(opened, (std::vector<std::string>{Dir() + "/Help.chm", Dir() + "/Help.chm"}));

    // Alt+F, X ends the program.
    Key(Qt::Key_F, Qt::AltModifier);
    Key(Qt::Key_X);
    EXPECT_FALSE(main->isVisible());
}
