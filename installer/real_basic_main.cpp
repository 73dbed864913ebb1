// real_basic.exe: the encoder's installer. It registers the encoder built into the quenzor executable by
// writing the four values the presence check reads into the registry hive among the user's files (beside
// the program when it may write there, else in the user's configuration folder), and tells the user.
// "--uninstall" removes them again; "--silent" leaves out the closing message (for scripts).
#include <QApplication>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>

#include "platform/Dialogs.h"
#include "platform/EncoderRegistration.h"
#include "platform/ProgramDir.h"
#include "platform/core/Paths.h"

namespace {
constexpr const char* Title = "Real Basic";

bool HasArgument(int argc, char** argv, const char* wanted) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], wanted) == 0)
            return true;
    }
    return false;
}
}  // namespace

int main(int argc, char** argv) {
    // Only the message boxes need a display: a silent run (from a script, over ssh) works without one.
    const bool silent = HasArgument(argc, argv, "--silent");
    const std::unique_ptr<QCoreApplication> application =
        silent ? std::make_unique<QCoreApplication>(argc, argv) : std::make_unique<QApplication>(argc, argv);
    QCoreApplication::setApplicationName(Title);
    const bool uninstall = QCoreApplication::arguments().contains(QStringLiteral("--uninstall"));
    // Found from this program's own location, so an installed tree registers its own quenzor.
    const std::string server = platform::CurrentLayout().mainProgram;

    std::string done;
    try {
        if (uninstall) {
            platform::UnregisterEncoder();
            done = "The RealMedia encoder has been removed.";
        } else {
            platform::RegisterEncoder(platform::ExtractFilePath(server), server);
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
