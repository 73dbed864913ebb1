#include "app/Unit1.h"
#include "platform/Application.h"

int main(int argc, char** argv) {
    platform::Application application(argc, argv);
    app::TMainForm mainForm;
    mainForm.show();
    return application.exec();
}
