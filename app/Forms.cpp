#include "app/Forms.h"

#include "app/Unit1.h"
#include "extras/UnitAbout.h"
#include "extras/UnitMorbeck.h"
#include "extras/UnitMore.h"
#include "extras/UnitThank.h"
#include "jobs/UnitOutput.h"
#include "settings/Unit2.h"
#include "settings/Unit3.h"

namespace app {

TForms Forms;

void CreateForms() {
    Forms.MainForm = new TMainForm();
    Forms.AboutForm = new extras::TAboutForm();
    Forms.MoreForm = new extras::TMoreForm(Forms.AboutForm);
    // The editing dialogs belong to the main window, so they open centred on it and above it.
    Forms.frmOption = new settings::TfrmOption(Forms.MainForm);
    Forms.frmInfo = new settings::TfrmInfo(Forms.MainForm);
    Forms.ThankForm = new extras::TThankForm();
    Forms.AboutForm->ThankForm = Forms.ThankForm;
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
