#pragma once

namespace extras {
class TAboutForm;
class TMoreForm;
class TThankForm;
class TFormMorbeck;
}  // namespace extras
namespace jobs {
class TOutputForm;
class TfrmInfo;
}  // namespace jobs
namespace settings {
class TfrmOption;
}

namespace app {

class TMainForm;

// The program's windows, each created once at start-up in this order and alive until the program ends.
struct TForms {
    TMainForm* MainForm = nullptr;
    extras::TAboutForm* AboutForm = nullptr;
    extras::TMoreForm* MoreForm = nullptr;
    settings::TfrmOption* frmOption = nullptr;
    jobs::TfrmInfo* frmInfo = nullptr;
    extras::TThankForm* ThankForm = nullptr;
    jobs::TOutputForm* OutputForm = nullptr;
    extras::TFormMorbeck* FormMorbeck = nullptr;
};

extern TForms Forms;

// Creates every window in order, the main window first.
void CreateForms();
// Destroys them in reverse order (the end of the program, or of a test).
void DestroyForms();

}  // namespace app
