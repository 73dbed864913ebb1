#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

#include "app/MainWindow.h"
#include "conversion/EncoderFactory.h"
#include "conversion/RunDriver.h"
#include "encoder/SafeOutput.h"
#include "platform/Completion.h"
#include "platform/Dialogs.h"
#include "platform/ProgramDir.h"
#include "settings/Settings.h"
#include "support/FakeProducer.h"

namespace {
using Calls = std::vector<std::string>;

// The main window with a recording encoder in place of the built-in one: its commands, panel and toggles
// around a run, stepped by calling the stepper's handler.
class ConversionRunWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        platform::SetProgramDirectory(dir.path().toStdString() + "/");
        settings::Settings = settings::TSettings{};
        conversion::SetEncoderControlFactory([this] {
            auto fake = std::make_unique<testsupport::FakeProducer>();
            producer = fake.get();
            return fake;
        });
        form = std::make_unique<app::TMainForm>(settings::Settings, app::Forms);
        conversion::SetEncoderControlFactory({});
        platform::SetSoundHandler([this](const std::string& path) { completion.push_back("sound " + path); });
        platform::SetPowerOffHandler([this] { completion.push_back("power off"); });
        platform::MessageBox::TakeShown();
    }
    void TearDown() override {
        form.reset();
        platform::SetSoundHandler([](const std::string&) {});
        platform::SetPowerOffHandler([] {});
    }
    void AddJobs(int n) {
        for (int i = 1; i <= n; ++i) {
            const std::string k = std::to_string(i);
            form->Jobs().Jobs().push_back({dir.path().toStdString() + "/in" + k + ".avi",
                                           dir.path().toStdString() + "/out" + k + ".rm", "T" + k, "A" + k,
                                           "C" + k, "K" + k, "D" + k});
        }
    }
    void Tick() { form->Run().Timer1Timer(); }
    bool Running() const {
        return !form->Find<QAction>("Converter1")->isEnabled() && form->Find<QAction>("Stop2")->isEnabled();
    }
    bool ToggleDown() const { return form->ToolBarButton("ToolButton3")->isChecked(); }
    bool NamesShown() const {
        return !form->Find<QLabel>("SourceLabel")->isHidden() &&
               !form->Find<QLabel>("SourceFilenameLabel")->isHidden() &&
               !form->Find<QLabel>("DestLabel")->isHidden() &&
               !form->Find<QLabel>("DestFilenameLabel")->isHidden();
    }

    QTemporaryDir dir;
    testsupport::FakeProducer* producer = nullptr;
    std::unique_ptr<app::TMainForm> form;
    Calls completion;
};

TEST_F(ConversionRunWindowTest, FirstShowCopiesTheLoadedSettingsOntoTheEncoderOnce) {
    form->show();
    QApplication::processEvents();
    Calls calls = producer->Calls();
    ASSERT_EQ(calls.size(), 15u);
    EXPECT_EQ(calls[0].rfind("TempDirectory=", 0), 0u);
    EXPECT_EQ(calls[1], "InputType=0");
    // A change made afterwards (the Preferences) reaches the encoder at the next Start, not before.
    settings::Settings.TempDirectory = "/var/tmp/";
    form->hide();
    form->show();
    QApplication::processEvents();
    EXPECT_EQ(producer->Calls().size(), 15u);
    AddJobs(1);
    form->Find<QAction>("Converter1")->trigger();
    EXPECT_EQ(producer->Calls().at(15), "TempDirectory=/var/tmp/");
}

TEST_F(ConversionRunWindowTest, ToolbarToggleRunsTheWholeListThroughThePanelAndEndsWithBothActions) {
    AddJobs(2);
    form->Find<QAction>("Sound1")->trigger();  // the menu item: the toolbar button follows
    EXPECT_TRUE(form->ToolBarButton("ToolButton8")->isChecked());
    form->ToolBarButton("ToolButton9")->click();  // the toolbar button: the menu check follows
    EXPECT_TRUE(form->Find<QAction>("urnOff1")->isChecked());

    form->ToolBarButton("ToolButton3")->click();
    EXPECT_TRUE(Running());
    EXPECT_TRUE(ToggleDown());
    EXPECT_FALSE(form->Find<QFrame>("Panel2")->isHidden());
    EXPECT_FALSE(form->Find<QAction>("Addfiles1")->isEnabled());
    EXPECT_FALSE(form->Find<QAction>("Prefer1")->isEnabled());
    EXPECT_TRUE(form->Run().Timer1().isActive());
    EXPECT_EQ(form->Run().Timer1().interval(), 1000);
    producer->ClearLog();

    Tick();
    EXPECT_EQ(form->Find<QLabel>("Label1")->text(), "Converting...");
    EXPECT_TRUE(NamesShown());
    EXPECT_EQ(form->Find<QLabel>("SourceFilenameLabel")->text().toStdString(),
              form->Jobs().Jobs()[0].SourceFile);
    EXPECT_EQ(form->Find<QLabel>("DestFilenameLabel")->text().toStdString(), form->Jobs().Jobs()[0].DestFile);
    EXPECT_EQ(form->Find<QProgressBar>("RainProgressBar1")->value(), 0);
    EXPECT_EQ(form->Find<QProgressBar>("RainProgressBar2")->value(), 0);
    producer->RaiseStarted();
    producer->RaiseProgress(42);
    EXPECT_EQ(form->Find<QLabel>("Label1")->text(), "Converting... (42%)");
    EXPECT_EQ(form->Find<QProgressBar>("RainProgressBar1")->value(), 42);
    producer->FinishEncode();
    Tick();
    EXPECT_EQ(form->Find<QProgressBar>("RainProgressBar2")->value(), 50);
    EXPECT_EQ(form->Find<QProgressBar>("RainProgressBar1")->value(), 0);
    producer->RaiseStarted();
    producer->FinishEncode();
    Tick();

    EXPECT_EQ(producer->StartCount(), 2);
    EXPECT_FALSE(Running());
    EXPECT_FALSE(ToggleDown());
    EXPECT_TRUE(form->Find<QFrame>("Panel2")->isHidden());
    EXPECT_FALSE(NamesShown());
    EXPECT_FALSE(form->Run().Timer1().isActive());
    EXPECT_TRUE(form->Find<QAction>("Addfiles1")->isEnabled());
    EXPECT_EQ(form->Find<QLabel>("StatusLabel")->text(), "2 files converted");
    EXPECT_EQ(completion, (Calls{"sound " + dir.path().toStdString() + "/Tada.wav", "power off"}));
    EXPECT_TRUE(form->Find<QAction>("Sound1")->isChecked() && form->Find<QAction>("urnOff1")->isChecked());
}

TEST_F(ConversionRunWindowTest, TheToggleGoingUpStopsTheEncoderWithoutCompletionActions) {
    AddJobs(2);
    form->Find<QAction>("Sound1")->setChecked(true);
    form->ToolBarButton("ToolButton3")->click();
    Tick();
    producer->RaiseStarted();
    form->ToolBarButton("ToolButton3")->click();
    EXPECT_EQ(producer->StopCount(), 1);
    EXPECT_FALSE(Running());
    EXPECT_TRUE(form->Find<QFrame>("Panel2")->isHidden());
    EXPECT_TRUE(completion.empty());
}

TEST_F(ConversionRunWindowTest, TheWindowSaysHowTheRunEnded) {
    std::vector<std::string> notified;
    platform::SetNotifyHandler([&](const std::string& summary, const std::string& body) {
        notified.push_back(summary + ": " + body);
    });
    const auto quiet =
        qScopeGuard([] { platform::SetNotifyHandler([](const std::string&, const std::string&) {}); });
    AddJobs(4);
    QFile existing(QString::fromStdString(form->Jobs().Jobs()[1].DestFile));
    ASSERT_TRUE(existing.open(QIODevice::WriteOnly));
    existing.close();
    form->Find<QAction>("Converter1")->trigger();
    EXPECT_TRUE(form->Find<QLabel>("StatusLabel")->text().isEmpty())
        << "a new run clears the last one's line";
    Tick();
    producer->RaiseStarted();
    producer->FinishEncode();
    platform::MessageBox::SetNextAnswer(platform::MsgButton::No);  // keep the existing second file
    Tick();
    Tick();
    EXPECT_EQ(platform::MessageBox::TakeShown().size(), 1u) << "the overwrite question";
    // The third destination appears while it is encoded: kept and skipped, and the run goes on.
    producer->RaiseStarted();
    producer->FinishEncode();
    const std::string appeared = encoder::DestinationAppearedError(form->Jobs().Jobs()[2].DestFile);
    producer->RaiseError(1, QString::fromStdString(appeared).toStdU16String());
    EXPECT_TRUE(Running());
    EXPECT_TRUE(platform::MessageBox::TakeShown().empty()) << "skipped without a word";
    Tick();
    producer->RaiseStarted();
    producer->RaiseError(1, u"Cannot read the source");
    EXPECT_FALSE(Running());
    EXPECT_EQ(form->Find<QLabel>("StatusLabel")->text(), "1 file converted, 1 failed, 2 skipped");
    // The window is not the active one: the desktop says it too.
    EXPECT_EQ(notified,
              (std::vector<std::string>{"Conversion finished: 1 file converted, 1 failed, 2 skipped"}));
}

TEST_F(ConversionRunWindowTest, StartWithAnEmptyListLetsTheToggleBackUp) {
    form->ToolBarButton("ToolButton3")->click();
    EXPECT_FALSE(ToggleDown());
    EXPECT_FALSE(Running());
    EXPECT_TRUE(form->Find<QFrame>("Panel2")->isHidden());
    EXPECT_FALSE(form->Run().Timer1().isActive());
}

TEST_F(ConversionRunWindowTest, ExitDuringAnEncodeStopsTheEncoderBeforeTheWindowCloses) {
    form->show();
    QApplication::processEvents();
    AddJobs(3);
    form->Find<QAction>("Converter1")->trigger();
    Tick();
    producer->RaiseStarted();
    producer->ClearLog();
    bool visibleAtStop = false;
    producer->onStop = [&] { visibleAtStop = form->isVisible(); };
    form->Find<QAction>("Exit1")->trigger();
    EXPECT_EQ(producer->Calls(), Calls{"StopEncoding()"});
    EXPECT_TRUE(visibleAtStop);
    EXPECT_FALSE(form->isVisible());
    EXPECT_TRUE(completion.empty());
}

TEST_F(ConversionRunWindowTest, PopupConverterDuringARunStartsAgainFromTheFirstJob) {
    AddJobs(3);
    form->Find<QAction>("Converter1")->trigger();
    Tick();
    producer->RaiseStarted();
    producer->FinishEncode();
    Tick();
    producer->RaiseStarted();
    EXPECT_EQ(form->Run().NextJob(), 2);
    EXPECT_TRUE(form->Find<QAction>("Converter2")->isEnabled())
        << "the popup item stays enabled during a run";
    form->Find<QAction>("Converter2")->trigger();
    EXPECT_EQ(form->Run().NextJob(), 0);
    producer->ClearLog();
    Tick();  // job 2 still encoding
    EXPECT_TRUE(producer->Calls().empty());
    producer->FinishEncode();
    Tick();
    EXPECT_EQ(producer->Calls().at(0), "InputFilename=" + form->Jobs().Jobs()[0].SourceFile);
}

}  // namespace
