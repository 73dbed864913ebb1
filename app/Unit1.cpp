#include "app/Unit1.h"

#include <QCloseEvent>
#include <QShowEvent>

#include "platform/Application.h"
#include "platform/ProgramDir.h"
#include "settings/Settings.h"

namespace app {

TMainForm::TMainForm(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("MainForm"));
    FormCreate();
}

TMainForm::~TMainForm() = default;

void TMainForm::FormCreate() {
    AboutCaption = "About";
    CompanyName = "Vastrel";
    ProductName = "Quenzor";
    VersionText = "Version:4.4";
    EditionText = "General";
    YearText = "Released in 2026";
    CompanyFullName = "Vastrel";
    HomePage = "https://www.vastrel.example/";
    SupportMail = "support@vastrel.example";
    MorePagesDir = "more/";
    StartCounterFile = "/Quenzor.ini";
    HelpFile = "/Help.chm";
    MorePageIndex = 0;
    setWindowTitle(QString::fromStdString(CompanyName + " " + ProductName));
    platform::RunGuarded(
        [&] { settings::IncrementStartCounter(platform::ProgramDirectory() + StartCounterFile); });
}

std::string TMainForm::DataIniPath() const { return platform::ProgramDirectory() + "data.ini"; }

void TMainForm::FormShow() {
    settings::ClipDefaults defaults{CompanyName + " " + ProductName, CompanyFullName};
    platform::RunGuarded([&] { settings::LoadSettings(settings::Settings, DataIniPath(), defaults); });
}

void TMainForm::FormClose() {
    platform::RunGuarded([&] { settings::SaveSettings(settings::Settings, DataIniPath()); });
}

void TMainForm::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (!shown_) {
        shown_ = true;
        FormShow();
    }
}

void TMainForm::closeEvent(QCloseEvent* event) {
    FormClose();
    event->accept();
}

}  // namespace app
