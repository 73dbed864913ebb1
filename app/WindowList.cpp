#include "app/WindowList.h"

#include "app/MainWindow.h"
#include "extras/AboutWindow.h"
#include "extras/MorbeckPrompt.h"
#include "extras/MoreSoftwareWindow.h"
#include "extras/ThankWindow.h"
#include "jobs/MusicInfoDialog.h"
#include "jobs/OutputDirectoryDialog.h"
#include "settings/PreferencesDialog.h"
#include "settings/Settings.h"

namespace app {

TForms Forms;

void CreateForms() {
    Forms.MainForm = new TMainForm(settings::Settings, Forms);
    Forms.AboutForm = new extras::TAboutForm();
    Forms.MoreForm = new extras::TMoreForm(Forms.AboutForm);
    // The editing dialogs belong to the main window, so they open centred on it and above it.
    Forms.frmOption = new settings::TfrmOption(Forms.MainForm);
    Forms.frmInfo = new jobs::TfrmInfo(Forms.MainForm);
    Forms.ThankForm = new extras::TThankForm();
    Forms.AboutForm->SetThankForm(Forms.ThankForm);
    Forms.OutputForm = new jobs::TOutputForm(Forms.MainForm);
    // The repair-tool prompt opens centred over the main window.
    Forms.FormMorbeck = new extras::TFormMorbeck(Forms.MainForm);
}

void DestroyForms() {
    delete Forms.FormMorbeck;
    delete Forms.OutputForm;
    delete Forms.ThankForm;
    delete Forms.frmInfo;
    delete Forms.frmOption;
    delete Forms.MoreForm;
    delete Forms.AboutForm;
    delete Forms.MainForm;
    Forms = TForms{};
}

}  // namespace app
