// The main window's part in a conversion run: it hosts the encoder control and the run driver, and shows
// the run in its commands and its progress panel.
#include <QAction>
#include <QFrame>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>

#include "app/MainWindow.h"
#include "conversion/ApplyEncoderSettings.h"
#include "conversion/EncoderFactory.h"
#include "conversion/RunDriver.h"
#include "platform/Application.h"
#include "platform/Completion.h"
#include "platform/core/FileNames.h"
#include "settings/Settings.h"
#include "ui/Labels.h"

namespace app {

// The window's controls behind the driver's view of its host.
class MainFormRunHost : public conversion::RunHost {
  public:
    explicit MainFormRunHost(TMainForm& form) : form_(form) {}

    int RowCount() const override { return static_cast<int>(form_.JobList.size()); }
    const jobs::tListType& Job(int row) const override { return form_.JobList.at(static_cast<size_t>(row)); }
    void EnterRunningState() override {
        form_.EnterRunningState();
        form_.tally_.Begin();
        form_.StatusLabel->clear();
    }
    void EnterIdleState() override {
        form_.EnterIdleState();
        if (!form_.tally_.Active())
            return;
        const std::string ended = form_.tally_.End();
        form_.StatusLabel->setText(QString::fromStdString(ended));
        // Someone working in another window hears of the end from the desktop.
        if (!form_.isActiveWindow())
            platform::NotifyDesktop("Conversion finished", ended);
    }
    void SetConvertToggleDown(bool down) override { form_.ToolButton3->setChecked(down); }
    // The keyboard follows the panel: on Stop while it shows, back on the list when it goes.
    void ShowProgressPanel(bool visible) override {
        form_.Panel2->setVisible(visible);
        (visible ? static_cast<QWidget*>(form_.Button3) : form_.LV)->setFocus();
    }
    void SetStatusText(const std::string& text) override {
        form_.Label1->setText(QString::fromStdString(text));
    }
    void SetFileProgress(int percent) override { form_.RainProgressBar1->setValue(percent); }
    void SetRunProgress(int percent) override { form_.RainProgressBar2->setValue(percent); }
    void ShowFileNames(bool visible) override {
        for (QLabel* l :
             {form_.SourceLabel, form_.SourceFilenameLabel, form_.DestLabel, form_.DestFilenameLabel})
            l->setVisible(visible);
    }
    void SetFileNames(const std::string& source, const std::string& destination) override {
        form_.tally_.JobPrepared();
        ui::SetElidedPath(*form_.SourceFilenameLabel, QString::fromStdString(platform::ReadableName(source)));
        ui::SetElidedPath(*form_.DestFilenameLabel,
                          QString::fromStdString(platform::ReadableName(destination)));
    }
    void RepaintNow() override { form_.repaint(); }
    void JobFailed() override { form_.tally_.JobFailed(); }
    void JobSkipped() override { form_.tally_.JobSkipped(); }
    // Menu item and toolbar button share one checkable action, so they always agree.
    bool SoundToggleDown() const override { return form_.Sound1->isChecked(); }
    bool TurnOffToggleDown() const override { return form_.urnOff1->isChecked(); }

  private:
    TMainForm& form_;
};

void TMainForm::CreateRun() {
    ProducerControl1 = new conversion::TProducerControl(conversion::CreateEncoderControl(), this);
    ProducerControl1->setObjectName(QStringLiteral("ProducerControl1"));
    connect(ProducerControl1, &conversion::TProducerControl::EncodingStarted, this,
            [this] { tally_.JobStarted(); });
    runHost_ = std::make_unique<MainFormRunHost>(*this);
    run_ = std::make_unique<conversion::RunDriver>(*runHost_, *ProducerControl1, settings_, this);
    Timer1 = &run_->Timer1();
    connect(Converter1, &QAction::triggered, this, &TMainForm::Converter1Click);
    connect(Converter2, &QAction::triggered, this, &TMainForm::Converter2Click);
    // A checkable action has flipped its state by the time it reports the click.
    connect(ToolButton3, &QAction::triggered, this, &TMainForm::ToolButton3Click);
}

void TMainForm::ApplyEncoderSettingsStep() {
    platform::RunGuarded([this] { conversion::ApplyEncoderSettings(*ProducerControl1, settings_); });
}

void TMainForm::Converter1Click() {
    run_->Start();
}

void TMainForm::Converter2Click() {
    Converter1Click();
}

void TMainForm::ToolButton3Click(bool down) {
    if (down)
        Converter1Click();
    else
        Stop2Click();
}

void TMainForm::Stop2Click() {
    tally_.StopAsked();
    run_->Stop();
}

}  // namespace app
