// real_basic.exe: the encoder's installer. It registers the encoder built into the quenzor executable beside
// it by writing the four values the presence check reads into this directory's registry hive, and tells the
// user. "--uninstall" removes them again; "--silent" leaves out the closing message (for scripts).
#include <QApplication>
#include <cstdio>
#include <exception>

#include "platform/Dialogs.h"
#include "platform/ProgramDir.h"
#include "platform/EncoderRegistration.h"

namespace {
constexpr const char* Title = "Real Basic";
}

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(Title);
    const QStringList args = QApplication::arguments();
    const bool uninstall = args.contains(QStringLiteral("--uninstall"));
    const bool silent = args.contains(QStringLiteral("--silent"));
    const std::string directory = platform::ProgramDirectory();

    std::string done;
    try {
        if (uninstall) {
            platform::UnregisterEncoder();
            done = "The RealMedia encoder has been removed.";
        } else {
            platform::RegisterEncoder(directory, directory + "quenzor");
            done =
                "The RealMedia encoder is installed. Go back to Quenzor: OK is available once the bar has "
                "run.";
        }
    } catch (const std::exception& e) {
        if (silent) {
            std::fprintf(stderr, "%s\n", e.what());
        } else {
            platform::MessageBox::ShowError(e.what());
        }
        return 1;
    }
    if (!silent) {
        platform::MessageRequest request;
        request.title = Title;
        request.text = done;
        request.icon = platform::MsgIcon::Information;
        platform::MessageBox::Show(request);
    }
    return 0;
}
