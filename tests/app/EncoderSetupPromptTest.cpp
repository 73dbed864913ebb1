#include <gtest/gtest.h>

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "app/EncoderSetupPrompt.h"
#include "app/Startup.h"
#include "platform/EncoderRegistration.h"
#include "platform/ProgramDir.h"
#include "platform/Shell.h"
#include "support/FileHelpers.h"

using app::TTempForm;

namespace {
class TempForm : public ::testing::Test {
  protected:
    testsupport::ScratchDir dir;
    std::string previous = platform::ProgramDirectory();
    void SetUp() override {
        platform::SetProgramDirectory(dir.Path());
        app::EncoderReady = false;
    }
    void TearDown() override {
        platform::SetProgramDirectory(previous);
        platform::SetShellOpenHandler([](const std::string&) {});
    }
    void CompleteEncoder() { platform::RegisterEncoder(dir.Path(), dir.File("quenzor")); }
};
}  // namespace

TEST_F(TempForm, IsLaidOutAsDesigned) {
    TTempForm form;
    EXPECT_EQ(form.windowTitle(), "Initialize Dialog");
    EXPECT_EQ(form.pos(), QPoint(192, 114));
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(form.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(form.font().family(), "MS Sans Serif");
    EXPECT_EQ(form.font().pointSize(), 8);

    struct Expected {
        QWidget* widget;
        const char* name;
        QRect geometry;
    };
    for (const Expected& e : {Expected{form.Label1, "Label1", {40, 32, 241, 13}},
                              Expected{form.Label2, "Label2", {40, 64, 160, 13}},
                              Expected{form.Label3, "Label3", {40, 96, 148, 13}},
                              Expected{form.Label4, "Label4", {40, 128, 216, 13}},
                              Expected{form.InstallButton, "InstallButton", {224, 88, 75, 25}},
                              Expected{form.OKButton, "OKButton", {224, 160, 75, 25}},
                              Expected{form.ProgressBar, "ProgressBar", {56, 112, 150, 17}}}) {
        EXPECT_EQ(e.widget->objectName(), e.name);
        if (qobject_cast<QLabel*>(e.widget)) {
            // Labels keep their place and grow to show their whole caption.
            EXPECT_EQ(e.widget->pos(), e.geometry.topLeft()) << e.name;
            EXPECT_GE(e.widget->width(), e.geometry.width()) << e.name;
            EXPECT_GE(e.widget->width(), e.widget->sizeHint().width()) << e.name;
        } else {
            EXPECT_EQ(e.widget->geometry(), e.geometry) << e.name;
        }
    }
    EXPECT_EQ(form.Label1->text(), "1. Download and install  Quenzor.  OK");
    EXPECT_EQ(form.Label2->text(), "2. Run Quenzor.  OK");
    EXPECT_EQ(form.Label3->text(), "3. Install Real Basic Now.");
    EXPECT_EQ(form.Label4->text(), "4. Click Button 'OK' run Quenzor.");
    EXPECT_EQ(form.InstallButton->text(), "&Install");
    EXPECT_EQ(form.OKButton->text(), "OK");
    EXPECT_EQ(form.OKButton->nextInFocusChain(), form.InstallButton) << "OK comes first in tab order";
}

TEST_F(TempForm, StartsWaitingAndStaysSoWhileTheEncoderIsIncomplete) {
    CompleteEncoder();  // even a complete encoder waits for the first tick, a second after creation
    TTempForm form;
    EXPECT_TRUE(form.Label3->font().bold());
    EXPECT_FALSE(form.Label4->font().bold());
    EXPECT_TRUE(form.InstallButton->isEnabled());
    EXPECT_FALSE(form.OKButton->isEnabled());
    EXPECT_TRUE(form.OKButton->isDefault());
    EXPECT_TRUE(form.ProgressBar->isHidden());
    EXPECT_EQ(form.ProgressBar->minimum(), 0);
    EXPECT_EQ(form.ProgressBar->maximum(), 100);
    EXPECT_EQ(form.ProgressBar->value(), 0);
    EXPECT_TRUE(form.Timer1->isActive());
    EXPECT_EQ(form.Timer1->interval(), 1000);
    EXPECT_FALSE(form.Timer2->isActive());
    EXPECT_EQ(form.Timer2->interval(), 20);

    platform::UnregisterEncoder();
    form.Timer1Timer();
    form.Timer1Timer();
    EXPECT_TRUE(form.Timer1->isActive());
    EXPECT_FALSE(form.Timer2->isActive());
    EXPECT_TRUE(form.ProgressBar->isHidden());
}

TEST_F(TempForm, OnceCompleteTheBarRunsAHundredTicksBeforeOkIsOffered) {
    TTempForm form;
    QFont italic = form.Label3->font();
    italic.setItalic(true);
    form.Label3->setFont(italic);
    CompleteEncoder();
    form.Timer1Timer();
    EXPECT_FALSE(form.Timer1->isActive());
    EXPECT_TRUE(form.Timer2->isActive());
    EXPECT_FALSE(form.ProgressBar->isHidden());
    for (int i = 0; i < 99; ++i)
        form.Timer2Timer();
    EXPECT_EQ(form.ProgressBar->value(), 99);
    EXPECT_FALSE(form.OKButton->isEnabled());
    EXPECT_TRUE(form.Label3->font().bold());
    form.Timer2Timer();
    EXPECT_FALSE(form.Timer2->isActive());
    EXPECT_FALSE(form.Label3->font().bold());
    EXPECT_TRUE(form.Label3->font().italic()) << "only bold is taken away";
    EXPECT_TRUE(form.Label4->font().bold());
    EXPECT_TRUE(form.ProgressBar->isHidden());
    EXPECT_TRUE(form.OKButton->isEnabled());
    EXPECT_FALSE(app::EncoderReady);
    form.OKButtonClick();
    EXPECT_TRUE(app::EncoderReady);
    EXPECT_EQ(form.result(), QDialog::Accepted);
}

TEST_F(TempForm, InstallHandsTheInstallerToTheShellEachTime) {
    std::vector<std::string> opened;
    platform::SetShellOpenHandler([&](const std::string& t) { opened.push_back(t); });
    TTempForm form;
    QTest::mouseClick(form.InstallButton, Qt::LeftButton);
    form.InstallButtonClick();
    EXPECT_EQ(opened, (std::vector<std::string>{dir.File("real_basic.exe"), dir.File("real_basic.exe")}));
    EXPECT_TRUE(form.InstallButton->isEnabled());
}

TEST_F(TempForm, EscDoesNothingAndTheCloseBoxLeavesTheEncoderNotReady) {
    TTempForm form;
    form.show();
    QTest::keyClick(&form, Qt::Key_Escape);
    EXPECT_TRUE(form.isVisible());
    form.close();
    EXPECT_FALSE(form.isVisible());
    EXPECT_FALSE(app::EncoderReady);
}
