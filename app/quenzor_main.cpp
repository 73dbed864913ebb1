#include <cstdio>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/Images.h"
#include "app/MainWindow.h"
#include "app/SingleInstance.h"
#include "app/Startup.h"
#include "app/WindowList.h"
#include "encoder/BuiltinEncoder.h"
#include "encoder/SafeOutput.h"
#include "platform/Application.h"

namespace {
int Run(int argc, char** argv) {
    if (const auto status = app::AnswerCommandLine({argv, argv + argc}, std::cout, std::cerr))
        return *status;
    platform::Application application(argc, argv);
    // File names are bytes: taken from argv, which Qt has rid of its own options, not from arguments(),
    // whose text cannot tell apart names that are not UTF-8.
    const std::vector<std::string> arguments(argv, argv + argc);
    platform::Application::setApplicationName(QStringLiteral("Quenzor"));
    // Ties the windows to the desktop entry, so the desktop shows its icon for them.
    platform::Application::setDesktopFileName(QStringLiteral("example.vastrel.Quenzor"));
    platform::Application::setWindowIcon(app::AppIcon());
    // Set before the hand-over: the window that serves removes its socket on these signals, then hands
    // them on here.
    encoder::RemoveTemporaryFilesOnSignals();
    // A window is open already for this user: it takes the files and comes to the front, and only it
    // writes the settings.
    app::SingleInstance instance;
    if (instance.HandOver(arguments))
        return 0;
    encoder::QuietLibavLogging();
    // The set-up prompt closes before any other window exists; that must not end the program.
    platform::Application::setQuitOnLastWindowClosed(false);
    if (app::RunStartup() != app::StartupOutcome::Run)
        return 0;
    platform::Application::setQuitOnLastWindowClosed(true);
    app::Forms.MainForm->show();
    // Files opened with the program from the file manager; the first showing has loaded the settings.
    app::AddCommandLineFiles(arguments);
    int rc = platform::Application::exec();
    // Later starts no longer find a window to join.
    instance.Close();
    app::DestroyForms();
    return rc;
}
}  // namespace

int main(int argc, char** argv) {
    // Whatever escapes still ends with a word and a status, never an abort: a message box may be beyond
    // reach when memory runs out.
    try {
        return Run(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fputs("quenzor: out of memory\n", stderr);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quenzor: %s\n", e.what());
    } catch (...) {
        std::fputs("quenzor: unknown error\n", stderr);
    }
    return 1;
}
