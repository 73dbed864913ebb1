#pragma once

namespace extras {
class TAboutForm;
class TMoreForm;
class TThankForm;
class TFormMorbeck;
}  // namespace extras

namespace app {

class TMainForm;

// The program's windows, each created once at start-up in this order and alive until the program ends.
// Other windows are added here as they are built.
struct TForms {
    TMainForm* MainForm = nullptr;
    extras::TAboutForm* AboutForm = nullptr;
    extras::TMoreForm* MoreForm = nullptr;
    extras::TThankForm* ThankForm = nullptr;
    extras::TFormMorbeck* FormMorbeck = nullptr;
};

extern TForms Forms;

// Creates every window in order, the main window first.
void CreateForms();
// Destroys them in reverse order (the end of the program, or of a test).
void DestroyForms();

}  // namespace app
