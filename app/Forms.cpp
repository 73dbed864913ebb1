#include "app/Forms.h"

#include "app/Unit1.h"
#include "extras/UnitAbout.h"
#include "extras/UnitMorbeck.h"
#include "extras/UnitMore.h"
#include "extras/UnitThank.h"

namespace app {

TForms Forms;

void CreateForms() {
    Forms.MainForm = new TMainForm();
    Forms.AboutForm = new extras::TAboutForm();
    Forms.MoreForm = new extras::TMoreForm(Forms.AboutForm);
    Forms.ThankForm = new extras::TThankForm();
    Forms.AboutForm->ThankForm = Forms.ThankForm;
    // The repair-tool prompt opens centred over the main window.
    Forms.FormMorbeck = new extras::TFormMorbeck(Forms.MainForm);
}

void DestroyForms() {
    delete Forms.FormMorbeck;
    delete Forms.ThankForm;
    delete Forms.MoreForm;
    delete Forms.AboutForm;
    delete Forms.MainForm;
    Forms = TForms{};
}

}  // namespace app
