#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include "encoder/Audiences.h"
#include "platform/Dialogs.h"
#include "settings/PreferencesDialog.h"
#include "settings/SchemePresets.h"
#include "support/ModalDriver.h"

using namespace settings;
using platform::FileDialogs;

namespace {
TSettings Stored() {
    TSettings s;
    s.filetype = 1;
    s.Modem56K = true;
    s.DSLCableModem256K = true;
    s.AudioFormat = 2;
    s.VideoQuality = 1;
    s.Title = "Title";
    s.Auther = "Author";
    s.Copyright = "(c)";
    s.Keywords = "keys";
    s.Description = "desc";
    s.TempDirectory = "/tmp/";
    s.MaxConverFile = 200;
    return s;
}

// The dialog's controls by their designer names.
QLineEdit* Edit(const TfrmOption& d, const char* name) {
    return Child<QLineEdit>(d, name);
}
TListCombo* List(const TfrmOption& d, const char* name) {
    return Child<TListCombo>(d, name);
}
QRadioButton* Radio(const TfrmOption& d, const char* name) {
    return Child<QRadioButton>(d, name);
}
QCheckBox* Target(const TfrmOption& d, encoder::Audience audience) {
    return Child<QCheckBox>(d, QStringLiteral("RainCheckBox%1").arg(static_cast<int>(audience) + 1));
}
QTabWidget* Pages(const TfrmOption& d) {
    return Child<QTabWidget>(d, "PageControl1");
}
void Press(const TfrmOption& d, const char* button) {
    Child<QPushButton>(d, button)->click();
}
// Picks a row of the Scheme list as the mouse or the keyboard does.
void PickScheme(const TfrmOption& d, int index) {
    TListCombo* scheme = List(d, "ComboBox1");
    scheme->setCurrentIndex(index);
    emit scheme->activated(index);
}

using Targets = std::array<bool, encoder::kAudienceCount>;
Targets Checked(const TfrmOption& d) {
    Targets t{};
    for (std::size_t i = 0; i < t.size(); ++i)
        t[i] = Target(d, static_cast<encoder::Audience>(i))->isChecked();
    return t;
}
Targets Only(encoder::Audience audience) {
    Targets t{};
    t[static_cast<std::size_t>(audience)] = true;
    return t;
}

class PreferencesTest : public ::testing::Test {
  protected:
    // Opens the dialog on `s`, runs `step` inside it and returns whether OK closed it.
    bool Open(std::function<void(TfrmOption&)> step) {
        WhenModalOpens([&](QWidget*) { step(dlg); });
        return dlg.Execute(s);
    }

    TfrmOption dlg;
    TSettings s = Stored();
};
}  // namespace

TEST(ClampNumber, TextsBecomeANumberWithinTheBoundsOrTheTag) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "20"},       {"0", "1"},    {"-3", "1"},           {"5000", "1000"}, {"0x10", "16"},
        {"abc", "20"},    {" 12", "12"}, {"99999999999", "20"}, {"+5", "5"},      {"$1F", "31"},
        {"1000", "1000"}, {"1", "1"},    {"12 ", "20"},         {"007", "7"}};
    for (auto [in, out] : cases)
        EXPECT_EQ(ClampNumberText(in, 20, 1000, 1), out) << '"' << in << '"';
}

TEST_F(PreferencesTest, DialogShowsEveryPresetAndAudienceAndKeepsItsSize) {
    EXPECT_EQ(dlg.windowTitle(), "Preferences");
    ASSERT_EQ(Pages(dlg)->count(), 3);
    EXPECT_EQ(Pages(dlg)->tabText(0), "&Music");
    EXPECT_EQ(Pages(dlg)->tabText(1), "&Control");
    EXPECT_EQ(Pages(dlg)->tabText(2), "Music &Information");
    // The lists show their tables in order: the row a user picks is the value stored.
    TListCombo* scheme = List(dlg, "ComboBox1");
    ASSERT_EQ(scheme->count(), SchemePresetCount);
    for (int i = 0; i < SchemePresetCount; ++i)
        EXPECT_EQ(scheme->itemText(i), SchemePresets[static_cast<std::size_t>(i)].text);
    ASSERT_EQ(List(dlg, "RainComboBox1")->count(), encoder::kStreamChoiceCount);
    ASSERT_EQ(List(dlg, "RainComboBox2")->count(), encoder::kStreamChoiceCount);
    for (int i = 0; i < encoder::kStreamChoiceCount; ++i) {
        const auto at = static_cast<std::size_t>(i);
        EXPECT_EQ(List(dlg, "RainComboBox1")->itemText(i), encoder::kAudioFormats[at].caption);
        EXPECT_EQ(List(dlg, "RainComboBox2")->itemText(i), encoder::kVideoQualities[at].caption);
    }
    for (std::size_t i = 0; i < encoder::kTargetAudiences.size(); ++i) {
        QString caption = Target(dlg, static_cast<encoder::Audience>(i))->text();
        EXPECT_EQ(caption.remove(QLatin1Char('&')), encoder::kTargetAudiences[i].caption);
    }
    EXPECT_TRUE(Child<QPushButton>(dlg, "Button1")->isDefault());
    // A fixed dialog: asking for another size changes nothing.
    dlg.show();
    const QSize size = dlg.size();
    dlg.resize(size + QSize(100, 100));
    EXPECT_EQ(dlg.size(), size);
    dlg.hide();
}

TEST_F(PreferencesTest, OkCopiesEveryControlBackUnchanged) {
    const bool accepted = Open([](TfrmOption& d) {
        Radio(d, "RainRadioBox1")->click();
        Target(d, encoder::Audience::Modem28K)->click();
        Target(d, encoder::Audience::Modem56K)->click();
        Target(d, encoder::Audience::DSL384K)->click();
        List(d, "RainComboBox1")->SetItemIndex(4);
        List(d, "RainComboBox2")->SetItemIndex(3);
        Edit(d, "Edit1")->setText("  new title ");
        Edit(d, "Edit2")->setText("");
        Edit(d, "Edit3")->setText("Ünïcödé ©");
        Edit(d, "Edit6")->setText("the description");
        Edit(d, "Edit4")->setText("the keywords");
        Edit(d, "Edit7")->setText("/no/such/folder");
        Edit(d, "Edit5")->setText("77");
        Press(d, "Button1");
    });
    EXPECT_TRUE(accepted);
    EXPECT_EQ(s.filetype, 0);
    EXPECT_TRUE(s.Modem28K);
    EXPECT_FALSE(s.Modem56K);
    EXPECT_TRUE(s.DSLCableModem256K);
    EXPECT_TRUE(s.DSLCableModem384K);
    EXPECT_EQ(s.AudioFormat, 4);
    EXPECT_EQ(s.VideoQuality, 3);
    EXPECT_EQ(s.Title, "  new title ");
    EXPECT_EQ(s.Auther, "");
    EXPECT_EQ(s.Copyright, "Ünïcödé ©");
    EXPECT_EQ(s.Description, "the description");
    EXPECT_EQ(s.Keywords, "the keywords");
    EXPECT_EQ(s.TempDirectory, "/no/such/folder");
    EXPECT_EQ(s.MaxConverFile, 77);
}

TEST_F(PreferencesTest, AFieldLeftAsShownKeepsItsBytesWhateverTheirEncoding) {
    s.Title = "Caf\xe9";  // Latin-1, shown with a replacement character
    s.Auther = "Caf\xe9";
    s.TempDirectory = "/tmp/\xff\xfe";
    EXPECT_TRUE(Open([](TfrmOption& d) {
        Edit(d, "Edit2")->setText(QString::fromUtf8("Caf\xc3\xa9"));
        Press(d, "Button1");
    }));
    EXPECT_EQ(s.Title, "Caf\xe9");
    EXPECT_EQ(s.TempDirectory, "/tmp/\xff\xfe");
    EXPECT_EQ(s.Auther, "Caf\xc3\xa9") << "a field the user typed into takes the typed text";
}

TEST_F(PreferencesTest, CancelEscAndTheCloseBoxChangeNothing) {
    const TSettings before = s;
    auto edit = [](TfrmOption& d) {
        Edit(d, "Edit1")->setText("changed");
        Target(d, encoder::Audience::DualISDN)->click();
        Edit(d, "Edit5")->setText("9");
    };
    EXPECT_FALSE(Open([&](TfrmOption& d) {
        edit(d);
        Press(d, "Button2");
    }));
    EXPECT_FALSE(Open([&](TfrmOption& d) {
        edit(d);
        QTest::keyClick(&d, Qt::Key_Escape);
    }));
    EXPECT_FALSE(Open([&](TfrmOption& d) {
        edit(d);
        d.close();
    }));
    EXPECT_EQ(s, before);
}

TEST_F(PreferencesTest, FillingShowsStoredValuesAndOddOnesSafely) {
    s.MaxConverFile = 5000;
    s.AudioFormat = 7;
    s.VideoQuality = -1;
    s.filetype = 2;
    EXPECT_FALSE(Open([](TfrmOption& d) {
        EXPECT_EQ(Edit(d, "Edit5")->text(), "1000");
        EXPECT_EQ(List(d, "RainComboBox1")->currentText(), "");
        EXPECT_EQ(List(d, "RainComboBox1")->ItemIndex(), -1);
        EXPECT_EQ(List(d, "RainComboBox2")->currentText(), "");
        EXPECT_TRUE(Radio(d, "RainRadioBox2")->isChecked());
        EXPECT_EQ(Edit(d, "Edit1")->text(), "Title");
        EXPECT_EQ(Edit(d, "Edit6")->text(), "desc");
        EXPECT_EQ(Edit(d, "Edit4")->text(), "keys");
        Press(d, "Button2");
    }));
    EXPECT_EQ(s.MaxConverFile, 5000);  // cancelled: the stored value stays
    EXPECT_TRUE(Open([](TfrmOption& d) { Press(d, "Button1"); }));
    EXPECT_EQ(s.MaxConverFile, 1000);
    EXPECT_EQ(s.AudioFormat, -1);
    EXPECT_EQ(s.VideoQuality, -1);
    EXPECT_EQ(s.filetype, 1);
}

TEST_F(PreferencesTest, MaxFilesEditIsClampedAsTheUserTypes) {
    QLineEdit* files = Edit(dlg, "Edit5");
    files->setText("50");
    for (auto [in, out] : std::initializer_list<std::pair<const char*, const char*>>{{"", "20"},
                                                                                     {"0", "1"},
                                                                                     {"-3", "1"},
                                                                                     {"5000", "1000"},
                                                                                     {"0x10", "16"},
                                                                                     {"abc", "20"},
                                                                                     {" 12", "12"},
                                                                                     {"99999999999", "20"}}) {
        files->setText(in);
        EXPECT_EQ(files->text().toStdString(), out) << '"' << in << '"';
    }
    // Keystrokes: clearing gives the tag value at once, and digits typed after it may take it over 1000.
    files->setText("5");
    files->setFocus();
    files->end(false);
    QTest::keyClick(files, Qt::Key_Backspace);
    EXPECT_EQ(files->text(), "20");
    QTest::keyClicks(files, "00");
    EXPECT_EQ(files->text(), "1000");
}

TEST_F(PreferencesTest, TypingIntoAListLeavesNoChoice) {
    EXPECT_TRUE(Open([](TfrmOption& d) {
        List(d, "RainComboBox1")->lineEdit()->selectAll();
        QTest::keyClicks(List(d, "RainComboBox1")->lineEdit(), "Loud");
        Press(d, "Button1");
    }));
    EXPECT_EQ(s.AudioFormat, -1);
    EXPECT_EQ(s.VideoQuality, 1);
}

TEST_F(PreferencesTest, SchemesApplyTheirRowAndAreKeptBetweenOpenings) {
    const TSettings before = s;
    EXPECT_FALSE(Open([&](TfrmOption& d) {
        Radio(d, "RainRadioBox2")->click();
        for (std::size_t i = 0; i < encoder::kTargetAudiences.size(); ++i)
            Target(d, static_cast<encoder::Audience>(i))->setChecked(true);
        PickScheme(d, 7);
        EXPECT_EQ(Checked(d), Only(encoder::Audience::Modem28K));
        EXPECT_TRUE(Radio(d, "RainRadioBox1")->isChecked());
        EXPECT_EQ(List(d, "RainComboBox1")->currentText(), "No Audio");
        EXPECT_EQ(List(d, "RainComboBox2")->currentText(), "Slide Show");
        Press(d, "Button2");
    }));
    EXPECT_EQ(s, before);

    // The next opening keeps the scheme but refills the other controls from the settings.
    EXPECT_FALSE(Open([&](TfrmOption& d) {
        EXPECT_EQ(List(d, "ComboBox1")->currentIndex(), 7);
        EXPECT_EQ(List(d, "ComboBox1")->currentText(), "Video - Static Image (No Sound)");
        EXPECT_TRUE(Radio(d, "RainRadioBox2")->isChecked());
        EXPECT_TRUE(Target(d, encoder::Audience::Modem56K)->isChecked());
        Press(d, "Button2");
    }));

    // Every row: single-rate, exactly one audience, its audio and video; none picks 384K.
    for (int i = 0; i < SchemePresetCount; ++i) {
        Radio(dlg, "RainRadioBox2")->setChecked(true);
        PickScheme(dlg, i);
        const SchemePreset& p = SchemePresets[static_cast<std::size_t>(i)];
        EXPECT_TRUE(Radio(dlg, "RainRadioBox1")->isChecked()) << i;
        EXPECT_EQ(List(dlg, "RainComboBox1")->ItemIndex(), static_cast<int>(p.audioFormat)) << i;
        EXPECT_EQ(List(dlg, "RainComboBox2")->ItemIndex(), static_cast<int>(p.videoQuality)) << i;
        EXPECT_EQ(Checked(dlg), Only(p.audience)) << i;
        EXPECT_NE(p.audience, encoder::Audience::DSL384K);
    }
    EXPECT_EQ(SchemePresets[1].audience, SchemePresets[4].audience);
    EXPECT_EQ(SchemePresets[3].audioFormat, encoder::AudioFormat::StereoMusic);
    EXPECT_EQ(SchemePresets[6].audioFormat, encoder::AudioFormat::VoiceWithMusic);
    EXPECT_EQ(SchemePresets[20].audience, encoder::Audience::LAN);

    // Typing into the Scheme list picks no scheme: the audiences stay as they are.
    const Targets picked = Checked(dlg);
    List(dlg, "ComboBox1")->lineEdit()->selectAll();
    QTest::keyClicks(List(dlg, "ComboBox1")->lineEdit(), "Custom");
    EXPECT_EQ(Checked(dlg), picked);
}

TEST_F(PreferencesTest, EveryOpeningStartsOnTheMusicTab) {
    Open([](TfrmOption& d) {
        Pages(d)->setCurrentIndex(2);
        Press(d, "Button2");
    });
    Open([](TfrmOption& d) {
        EXPECT_EQ(Pages(d)->currentIndex(), 0);
        Press(d, "Button2");
    });
}

TEST_F(PreferencesTest, DirectoryButtonBrowsesFromTheTemporaryDirectory) {
    QLineEdit* folder = Edit(dlg, "Edit7");
    QPushButton* browse = Child<QPushButton>(dlg, "DirectoryButton");
    folder->setText("/no/such/folder");
    browse->click();  // nothing queued: cancelled
    EXPECT_EQ(FileDialogs::LastDirectoryRequest(),
              (std::pair<std::string, std::string>{"Select the Directory", ""}));
    EXPECT_EQ(folder->text(), "/no/such/folder");
    folder->setText("/");
    FileDialogs::SetNextDirectory("/var/tmp");
    browse->click();
    EXPECT_EQ(FileDialogs::LastDirectoryRequest().second, "/");
    EXPECT_EQ(folder->text(), "/var/tmp");
}
