#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

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

class PreferencesTest : public ::testing::Test {
  protected:
    // Opens the dialog on `s`, runs `step` inside it and returns Accepted.
    bool Open(std::function<void(TfrmOption&)> step) {
        WhenModalOpens([&](QWidget*) { step(dlg); });
        return dlg.Execute(s);
    }
    std::array<bool, AudienceCount> Targets() const {
        std::array<bool, AudienceCount> t{};
        for (int i = 0; i < AudienceCount; ++i)
            t[i] = dlg.RainCheckBox[i]->isChecked();
        return t;
    }
    void PickScheme(int index) {
        dlg.ComboBox1->setCurrentIndex(index);
        emit dlg.ComboBox1->activated(index);
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

TEST_F(PreferencesTest, DialogHasItsTabsAndListItems) {
    EXPECT_EQ(dlg.windowTitle(), "Preferences");
    EXPECT_EQ(dlg.size(), QSize(489, 385));
    ASSERT_EQ(dlg.PageControl1->count(), 3);
    EXPECT_EQ(dlg.PageControl1->tabText(0), "&Music");
    EXPECT_EQ(dlg.PageControl1->tabText(1), "&Control");
    EXPECT_EQ(dlg.PageControl1->tabText(2), "Music &Information");
    ASSERT_EQ(dlg.ComboBox1->count(), 22);
    EXPECT_EQ(dlg.ComboBox1->itemText(7), "Video - Static Image (No Sound)");
    EXPECT_EQ(dlg.ComboBox1->itemText(21), "Video - High-Quality Video Online, DSL/Cable Modem");
    EXPECT_EQ(dlg.RainComboBox1->itemText(1), "Voice with Background Music");
    EXPECT_EQ(dlg.RainComboBox2->itemText(3), "Slide Show");
    EXPECT_EQ(dlg.RainCheckBox[5]->text(), "25&6K DSL/Cable Modem");
    EXPECT_EQ(dlg.RainCheckBox[7]->objectName(), "RainCheckBox8");
    EXPECT_TRUE(dlg.Button1->isDefault());
}

TEST_F(PreferencesTest, OkCopiesEveryControlBackUnchanged) {
    const bool accepted = Open([](TfrmOption& d) {
        d.RainRadioBox1->click();
        d.RainCheckBox[0]->click();
        d.RainCheckBox[1]->click();
        d.RainCheckBox[6]->click();
        d.RainComboBox1->SetItemIndex(4);
        d.RainComboBox2->SetItemIndex(3);
        d.Edit1->setText("  new title ");
        d.Edit2->setText("");
        d.Edit3->setText("Ünïcödé ©");
        d.Edit6->setText("the description");
        d.Edit4->setText("the keywords");
        d.Edit7->setText("/no/such/folder");
        d.Edit5->setText("77");
        d.Button1->click();
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
        d.Edit2->setText(QString::fromUtf8("Caf\xc3\xa9"));
        d.Button1->click();
    }));
    EXPECT_EQ(s.Title, "Caf\xe9");
    EXPECT_EQ(s.TempDirectory, "/tmp/\xff\xfe");
    EXPECT_EQ(s.Auther, "Caf\xc3\xa9") << "a field the user typed into takes the typed text";
}

TEST_F(PreferencesTest, CancelEscAndTheCloseBoxChangeNothing) {
    const TSettings before = s;
    auto edit = [](TfrmOption& d) {
        d.Edit1->setText("changed");
        d.RainCheckBox[3]->click();
        d.Edit5->setText("9");
    };
    EXPECT_FALSE(Open([&](TfrmOption& d) {
        edit(d);
        d.Button2->click();
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
        EXPECT_EQ(d.Edit5->text(), "1000");
        EXPECT_EQ(d.RainComboBox1->currentText(), "");
        EXPECT_EQ(d.RainComboBox1->ItemIndex(), -1);
        EXPECT_EQ(d.RainComboBox2->currentText(), "");
        EXPECT_TRUE(d.RainRadioBox2->isChecked());
        EXPECT_EQ(d.Edit1->text(), "Title");
        EXPECT_EQ(d.Edit6->text(), "desc");
        EXPECT_EQ(d.Edit4->text(), "keys");
        d.Button2->click();
    }));
    EXPECT_EQ(s.MaxConverFile, 5000);  // cancelled: the stored value stays
    EXPECT_TRUE(Open([](TfrmOption& d) { d.Button1->click(); }));
    EXPECT_EQ(s.MaxConverFile, 1000);
    EXPECT_EQ(s.AudioFormat, -1);
    EXPECT_EQ(s.VideoQuality, -1);
    EXPECT_EQ(s.filetype, 1);
}

TEST_F(PreferencesTest, MaxFilesEditIsClampedAsTheUserTypes) {
    dlg.Edit5->setText("50");
    for (auto [in, out] : std::initializer_list<std::pair<const char*, const char*>>{{"", "20"},
                                                                                     {"0", "1"},
                                                                                     {"-3", "1"},
                                                                                     {"5000", "1000"},
                                                                                     {"0x10", "16"},
                                                                                     {"abc", "20"},
                                                                                     {" 12", "12"},
                                                                                     {"99999999999", "20"}}) {
        dlg.Edit5->setText(in);
        EXPECT_EQ(dlg.Edit5->text().toStdString(), out) << '"' << in << '"';
    }
    // Keystrokes: clearing gives the tag value at once, and digits typed after it may take it over 1000.
    dlg.Edit5->setText("5");
    dlg.Edit5->setFocus();
    dlg.Edit5->end(false);
    QTest::keyClick(dlg.Edit5, Qt::Key_Backspace);
    EXPECT_EQ(dlg.Edit5->text(), "20");
    QTest::keyClicks(dlg.Edit5, "00");
    EXPECT_EQ(dlg.Edit5->text(), "1000");
}

TEST_F(PreferencesTest, TypingIntoAListLeavesNoChoice) {
    EXPECT_TRUE(Open([](TfrmOption& d) {
        d.RainComboBox1->lineEdit()->selectAll();
        QTest::keyClicks(d.RainComboBox1->lineEdit(), "Loud");
        d.Button1->click();
    }));
    EXPECT_EQ(s.AudioFormat, -1);
    EXPECT_EQ(s.VideoQuality, 1);
}

TEST_F(PreferencesTest, SchemesApplyTheirRowAndAreKeptBetweenOpenings) {
    const TSettings before = s;
    EXPECT_FALSE(Open([&](TfrmOption& d) {
        d.RainRadioBox2->click();
        for (int i = 0; i < AudienceCount; ++i)
            d.RainCheckBox[i]->setChecked(true);
        PickScheme(7);
        std::array<bool, AudienceCount> only28K{};
        only28K[aud28KModem] = true;
        EXPECT_EQ(Targets(), only28K);
        EXPECT_TRUE(d.RainRadioBox1->isChecked());
        EXPECT_EQ(d.RainComboBox1->currentText(), "No Audio");
        EXPECT_EQ(d.RainComboBox2->currentText(), "Slide Show");
        d.Button2->click();
    }));
    EXPECT_EQ(s, before);

    // The next opening keeps the scheme but refills the other controls from the settings.
    EXPECT_FALSE(Open([&](TfrmOption& d) {
        EXPECT_EQ(d.ComboBox1->currentIndex(), 7);
        EXPECT_EQ(d.ComboBox1->currentText(), "Video - Static Image (No Sound)");
        EXPECT_TRUE(d.RainRadioBox2->isChecked());
        EXPECT_TRUE(d.RainCheckBox[aud56KModem]->isChecked());
        d.Button2->click();
    }));

    // Every row: single-rate, exactly one audience, its audio and video; none picks 384K.
    for (int i = 0; i < SchemePresetCount; ++i) {
        dlg.RainRadioBox2->setChecked(true);
        PickScheme(i);
        const SchemePreset& p = SchemePresets[i];
        EXPECT_TRUE(dlg.RainRadioBox1->isChecked()) << i;
        EXPECT_EQ(dlg.RainComboBox1->ItemIndex(), p.audioFormat) << i;
        EXPECT_EQ(dlg.RainComboBox2->ItemIndex(), p.videoQuality) << i;
        std::array<bool, AudienceCount> expected{};
        expected[p.audience] = true;
        EXPECT_EQ(Targets(), expected) << i;
        EXPECT_NE(p.audience, aud384KDSL);
    }
    EXPECT_EQ(SchemePresets[1].audience, SchemePresets[4].audience);
    EXPECT_EQ(SchemePresets[3].audioFormat, 3);
    EXPECT_EQ(SchemePresets[6].audioFormat, 1);
    EXPECT_EQ(SchemePresets[20].audience, audCorporateLAN);

    // A typed scheme text chooses nothing: the audiences are cleared and nothing else changes.
    dlg.ComboBox1->lineEdit()->selectAll();
    QTest::keyClicks(dlg.ComboBox1->lineEdit(), "Custom");
    dlg.ComboBox1Select();
    EXPECT_EQ(Targets(), (std::array<bool, AudienceCount>{}));
}

TEST_F(PreferencesTest, EveryOpeningStartsOnTheMusicTab) {
    Open([](TfrmOption& d) {
        d.PageControl1->setCurrentIndex(2);
        d.Button2->click();
    });
    Open([](TfrmOption& d) {
        EXPECT_EQ(d.PageControl1->currentIndex(), 0);
        d.Button2->click();
    });
}

TEST_F(PreferencesTest, DirectoryButtonBrowsesFromTheTemporaryDirectory) {
    dlg.Edit7->setText("/no/such/folder");
    dlg.DirectoryButton->click();  // nothing queued: cancelled
    EXPECT_EQ(FileDialogs::LastDirectoryRequest(),
              (std::pair<std::string, std::string>{"Select the Directory", ""}));
    EXPECT_EQ(dlg.Edit7->text(), "/no/such/folder");
    dlg.Edit7->setText("/");
    FileDialogs::SetNextDirectory("/var/tmp");
    dlg.DirectoryButton->click();
    EXPECT_EQ(FileDialogs::LastDirectoryRequest().second, "/");
    EXPECT_EQ(dlg.Edit7->text(), "/var/tmp");
}
