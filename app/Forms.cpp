#include "app/Forms.h"

#include "app/Unit1.h"

namespace app {

TForms Forms;

void CreateForms() {
    Forms.MainForm = new TMainForm();
}

void DestroyForms() {
    delete Forms.MainForm;
    Forms = TForms{};
}

}  // namespace app
