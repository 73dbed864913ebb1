#include "platform/Application.h"

#include <cstdio>
#include <exception>
#include <new>

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
    // No allocation before the box: the error may be that memory ran out.
    const char* text = "Unknown error";
    try {
        throw;
    } catch (const std::bad_alloc&) {
        text = "There is not enough memory to go on. Close other programs and try again.";
    } catch (const std::exception& e) {
        text = e.what();
    } catch (...) {
    }
    try {
        MessageBox::ShowError(text);
    } catch (...) {
        std::fprintf(stderr, "quenzor: %s\n", text);
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
