#include <gtest/gtest.h>

#include <QApplication>

#include "platform/Completion.h"
#include "platform/Dialogs.h"
#include "platform/Shell.h"

// All tests share one application object. No real box, dialog, shell hand-off, sound or power-off
// ever happens: every seam starts scripted.
int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // Windows are never shown on a screen, also when CTest only asks for the list of tests.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    platform::MessageBox::SetScripted(true);
    platform::FileDialogs::SetScripted(true);
    platform::SetShellOpenHandler([](const std::string&) {});
    platform::SetSoundHandler([](const std::string&) {});
    platform::SetPowerOffHandler([] {});
    return RUN_ALL_TESTS();
}
