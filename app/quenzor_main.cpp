#include "app/Forms.h"
#include "app/Unit1.h"
#include "platform/Application.h"

int main(int argc, char** argv) {
    platform::Application application(argc, argv);
    app::CreateForms();
    app::Forms.MainForm->show();
    int rc = application.exec();
    app::DestroyForms();
    return rc;
}
