#pragma once
#include <QApplication>
#include <functional>

namespace platform {

// The application's top-level error handler: an error no handler caught is shown in an error box and the
// program goes on.
class Application : public QApplication {
  public:
    Application(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;
};

// Runs the function under the same catch site, for work done outside event delivery.
void RunGuarded(const std::function<void()>& work);
// Shows the text of the exception being handled.
void ReportCurrentException();

}  // namespace platform
