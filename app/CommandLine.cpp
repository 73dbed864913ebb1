#include "app/CommandLine.h"

#include <array>
#include <string_view>

namespace app {
namespace {
// Qt's own options, which QApplication takes off the command line; those in the first list take a value.
constexpr std::array<std::string_view, 12> QtValueOptions = {"platform",        "platformpluginpath",
                                                             "platformtheme",   "plugin",
                                                             "qwindowgeometry", "qwindowtitle",
                                                             "qwindowicon",     "display",
                                                             "geometry",        "style",
                                                             "stylesheet",      "session"};
constexpr std::array<std::string_view, 6> QtFlagOptions = {"reverse", "widgetcount", "nograb",
                                                           "dograb",  "sync",        "qmljsdebugger"};

constexpr const char* Usage =
    "Usage: quenzor [OPTION]... [FILE|FOLDER]...\n"
    "Opens the Quenzor window, a batch converter of video and audio files into RealMedia files, with the\n"
    "named files (and the media files in the named folders) in its job list. When the window is open\n"
    "already, the files join its list.\n"
    "\n"
    "  -h, --help       display this help and exit\n"
    "      --version    output version information and exit\n"
    "      --           every argument after it is a file\n"
    "\n"
    "Qt's own options (such as -platform offscreen) are taken too. quenzor-convert converts from a\n"
    "terminal without a window.\n";

template <std::size_t N>
bool Among(const std::array<std::string_view, N>& names, std::string_view name) {
    for (std::string_view known : names) {
        if (known == name)
            return true;
    }
    return false;
}
}  // namespace

std::optional<int> AnswerCommandLine(const std::vector<std::string>& arguments, std::ostream& out,
                                     std::ostream& err) {
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--")
            break;
        if (argument.size() < 2 || argument.front() != '-')
            continue;
        if (argument == "--help" || argument == "-h") {
            out << Usage;
            return 0;
        }
        if (argument == "--version") {
            out << "quenzor (Quenzor) " << QUENZOR_VERSION << "\n";
            return 0;
        }
        std::string_view name(argument);
        name.remove_prefix(name.starts_with("--") ? 2 : 1);
        const std::string_view bare = name.substr(0, name.find('='));
        if (Among(QtValueOptions, bare)) {
            if (bare.size() == name.size())
                ++i;  // its value is the next argument
            continue;
        }
        if (Among(QtFlagOptions, bare))
            continue;
        err << "quenzor: unrecognized option '" << argument << "'\n"
            << "Try 'quenzor --help' for more information.\n";
        return 2;
    }
    return std::nullopt;
}

}  // namespace app
