#include "platform/Application.h"

#include <exception>

#include "platform/Dialogs.h"

namespace platform {

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {}

bool Application::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        ReportCurrentException();
    }
    return false;
}

void ReportCurrentException() {
    try {
        throw;
    } catch (const std::exception& e) {
        MessageBox::ShowError(e.what());
    } catch (...) {
        MessageBox::ShowError("Unknown error");
    }
}

void RunGuarded(const std::function<void()>& work) {
    try {
        work();
    } catch (...) {
        ReportCurrentException();
    }
}

}  // namespace platform
