#include "app/MainWindow.h"
#include "app/Startup.h"
#include "app/WindowList.h"
#include "encoder/BuiltinEncoder.h"
#include "encoder/SafeOutput.h"
#include "platform/Application.h"

int main(int argc, char** argv) {
    platform::Application application(argc, argv);
    encoder::QuietLibavLogging();
    encoder::RemoveTemporaryFilesOnSignals();
    platform::Application::setApplicationName(QStringLiteral("Quenzor"));
    // Ties the windows to the desktop entry, so the desktop shows its icon for them.
    platform::Application::setDesktopFileName(QStringLiteral("example.vastrel.Quenzor"));
    // The set-up prompt closes before any other window exists; that must not end the program.
    platform::Application::setQuitOnLastWindowClosed(false);
    if (app::RunStartup() != app::StartupOutcome::Run)
        return 0;
    platform::Application::setQuitOnLastWindowClosed(true);
    app::Forms.MainForm->show();
    // Files opened with the program from the file manager; the first showing has loaded the settings.
    app::AddCommandLineFiles(platform::Application::arguments());
    int rc = platform::Application::exec();
    app::DestroyForms();
    return rc;
}
