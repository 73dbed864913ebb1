#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

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
    // Per-user files and preferences go to a scratch configuration folder, never the real user's.
    QTemporaryDir configHome;
    qputenv("XDG_CONFIG_HOME", configHome.path().toLocal8Bit());
    // The desktop the tests see has a viewer for the compiled help file, so help goes to the shell; the
    // tests of the program's own help window take it away. Its program must exist (an entry naming a missing
    // program is passed over); the shell hand-off is scripted, so it never runs.
    QTemporaryDir dataHome;
    QDir().mkpath(dataHome.filePath(QStringLiteral("applications")));
    QFile cache(dataHome.filePath(QStringLiteral("applications/mimeinfo.cache")));
    if (cache.open(QIODevice::WriteOnly))
        cache.write("[MIME Cache]\napplication/vnd.ms-htmlhelp=chm-viewer.desktop;\n");
    cache.close();
    QFile viewer(dataHome.filePath(QStringLiteral("applications/chm-viewer.desktop")));
    if (viewer.open(QIODevice::WriteOnly))
        viewer.write("[Desktop Entry]\nType=Application\nName=Help Viewer\nExec=true %f\n");
    viewer.close();
    qputenv("XDG_DATA_HOME", dataHome.path().toLocal8Bit());
    platform::MessageBox::SetScripted(true);
    platform::FileDialogs::SetScripted(true);
    platform::SetShellOpenHandler([](const std::string&) {});
    platform::SetSoundHandler([](const std::string&) {});
    platform::SetPowerOffHandler([] {});
    platform::SetNotifyHandler([](const std::string&, const std::string&) {});
    return RUN_ALL_TESTS();
}
