#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/EncoderSetupPrompt.h"
#include "platform/EncoderRegistration.h"
#include "platform/ProgramDir.h"
#include "platform/Shell.h"
#include "support/FileHelpers.h"
#include "support/ModalDriver.h"

using app::TTempForm;

namespace {
class TempForm : public ::testing::Test {
  protected:
    testsupport::ScratchDir dir;
    std::string previous = platform::ProgramDirectory();
    void SetUp() override { platform::SetProgramDirectory(dir.Path()); }
    void TearDown() override {
        platform::SetProgramDirectory(previous);
        platform::SetShellOpenHandler([](const std::string&) {});
    }
    void CompleteEncoder() { platform::RegisterEncoder(dir.Path(), dir.File("quenzor")); }
};

// The prompt's controls, by their designer names.
struct Controls {
    explicit Controls(const TTempForm& form)
        : label1(Child<QLabel>(form, "Label1")),
          label2(Child<QLabel>(form, "Label2")),
          label3(Child<QLabel>(form, "Label3")),
          label4(Child<QLabel>(form, "Label4")),
          install(Child<QPushButton>(form, "InstallButton")),
          ok(Child<QPushButton>(form, "OKButton")),
          bar(Child<QProgressBar>(form, "ProgressBar")),
          timer1(Child<QTimer>(form, "Timer1")),
          timer2(Child<QTimer>(form, "Timer2")) {}
    QLabel* label1;
    QLabel* label2;
    QLabel* label3;
    QLabel* label4;
    QPushButton* install;
    QPushButton* ok;
    QProgressBar* bar;
    QTimer* timer1;
    QTimer* timer2;
};
}  // namespace

TEST_F(TempForm, IsLaidOutAsDesigned) {
    TTempForm form;
    const Controls c(form);
    EXPECT_EQ(form.windowTitle(), "Initialize Dialog");
    EXPECT_EQ(form.pos(), QPoint(192, 114));
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(form.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(form.font().family(), "MS Sans Serif");
    EXPECT_EQ(form.font().pointSize(), 8);

    struct Expected {
        const char* name;
        QRect geometry;
    };
    for (const Expected& e :
         {Expected{"Label1", {40, 32, 241, 13}}, Expected{"Label2", {40, 64, 160, 13}},
          Expected{"Label3", {40, 96, 148, 13}}, Expected{"Label4", {40, 128, 216, 13}},
          Expected{"InstallButton", {224, 88, 75, 25}}, Expected{"OKButton", {224, 160, 75, 25}},
          Expected{"ProgressBar", {56, 112, 150, 17}}}) {
        QWidget* widget = Child<QWidget>(form, e.name);
        ASSERT_NE(widget, nullptr);
        if (qobject_cast<QLabel*>(widget)) {
            // Labels keep their place and grow to show their whole caption.
            EXPECT_EQ(widget->pos(), e.geometry.topLeft()) << e.name;
            EXPECT_GE(widget->width(), e.geometry.width()) << e.name;
            EXPECT_GE(widget->width(), widget->sizeHint().width()) << e.name;
        } else {
            EXPECT_EQ(widget->geometry(), e.geometry) << e.name;
        }
    }
    EXPECT_EQ(c.label1->text(), "1. Download and install  Quenzor.  OK");
    EXPECT_EQ(c.label2->text(), "2. Run Quenzor.  OK");
    EXPECT_EQ(c.label3->text(), "3. Install Real Basic Now.");
    EXPECT_EQ(c.label4->text(), "4. Click Button 'OK' run Quenzor.");
    EXPECT_EQ(c.install->text(), "&Install");
    EXPECT_EQ(c.ok->text(), "OK");
    EXPECT_EQ(c.ok->nextInFocusChain(), c.install) << "OK comes first in tab order";
}

TEST_F(TempForm, StartsWaitingAndStaysSoWhileTheEncoderIsIncomplete) {
    CompleteEncoder();  // even a complete encoder waits for the first tick, a second after creation
    TTempForm form;
    const Controls c(form);
    EXPECT_TRUE(c.label3->font().bold());
    EXPECT_FALSE(c.label4->font().bold());
    EXPECT_TRUE(c.install->isEnabled());
    EXPECT_FALSE(c.ok->isEnabled());
    EXPECT_TRUE(c.ok->isDefault());
    EXPECT_TRUE(c.bar->isHidden());
    EXPECT_EQ(c.bar->minimum(), 0);
    EXPECT_EQ(c.bar->maximum(), 100);
    EXPECT_EQ(c.bar->value(), 0);
    EXPECT_TRUE(c.timer1->isActive());
    EXPECT_EQ(c.timer1->interval(), 1000);
    EXPECT_FALSE(c.timer2->isActive());
    EXPECT_EQ(c.timer2->interval(), 20);

    platform::UnregisterEncoder();
    form.Timer1Timer();
    form.Timer1Timer();
    EXPECT_TRUE(c.timer1->isActive());
    EXPECT_FALSE(c.timer2->isActive());
    EXPECT_TRUE(c.bar->isHidden());
}

TEST_F(TempForm, OnceCompleteTheBarRunsAHundredTicksBeforeOkIsOffered) {
    TTempForm form;
    const Controls c(form);
    QFont italic = c.label3->font();
    italic.setItalic(true);
    c.label3->setFont(italic);
    CompleteEncoder();
    form.Timer1Timer();
    EXPECT_FALSE(c.timer1->isActive());
    EXPECT_TRUE(c.timer2->isActive());
    EXPECT_FALSE(c.bar->isHidden());
    for (int i = 0; i < 99; ++i)
        form.Timer2Timer();
    EXPECT_EQ(c.bar->value(), 99);
    EXPECT_FALSE(c.ok->isEnabled());
    EXPECT_TRUE(c.label3->font().bold());
    form.Timer2Timer();
    EXPECT_FALSE(c.timer2->isActive());
    EXPECT_FALSE(c.label3->font().bold());
    EXPECT_TRUE(c.label3->font().italic()) << "only bold is taken away";
    EXPECT_TRUE(c.label4->font().bold());
    EXPECT_TRUE(c.bar->isHidden());
    EXPECT_TRUE(c.ok->isEnabled());
    form.OKButtonClick();
    EXPECT_EQ(form.result(), QDialog::Accepted) << "the opener takes that as the encoder being ready";
}

TEST_F(TempForm, InstallHandsTheInstallerToTheShellEachTime) {
    std::vector<std::string> opened;
    platform::SetShellOpenHandler([&](const std::string& t) { opened.push_back(t); });
    TTempForm form;
    const Controls c(form);
    QTest::mouseClick(c.install, Qt::LeftButton);
    form.InstallButtonClick();
    EXPECT_EQ(opened, (std::vector<std::string>{dir.File("real_basic.exe"), dir.File("real_basic.exe")}));
    EXPECT_TRUE(c.install->isEnabled());
}

TEST_F(TempForm, EscDoesNothingAndTheCloseBoxLeavesTheEncoderNotReady) {
    TTempForm form;
    form.show();
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_TRUE(form.isVisible());
    form.close();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Rejected);
}
