#include "cli/Options.h"

#include <getopt.h>

#include <array>
#include <cstdlib>
#include <sstream>
#include <stdexcept>
#include <utility>

#include "cli/Console.h"
#include "encoder/Audiences.h"
#include "encoder/StreamChoices.h"
#include "platform/core/Files.h"
#include "platform/core/MediaFiles.h"
#include "platform/core/Paths.h"
#include "settings/SchemePresets.h"

namespace cli {
namespace {

constexpr const char* kProgram = "quenzor-convert";

// One column of a table of choices (the audiences, the audio formats, the video qualities).
template <class Row, std::size_t N>
constexpr std::array<const char*, N> Column(const std::array<Row, N>& table, const char* Row::*column) {
    std::array<const char*, N> names{};
    for (std::size_t i = 0; i < N; ++i)
        names[i] = table[i].*column;
    return names;
}

// The names on the command line, in the order of the window's lists (the index is the settings value).
constexpr auto kAudienceNames = Column(encoder::kTargetAudiences, &encoder::TargetAudience::commandLineName);
constexpr auto kAudienceCaptions = Column(encoder::kTargetAudiences, &encoder::TargetAudience::caption);
constexpr auto kAudioNames = Column(encoder::kAudioFormats, &encoder::StreamChoice::commandLineName);
constexpr auto kAudioCaptions = Column(encoder::kAudioFormats, &encoder::StreamChoice::caption);
constexpr auto kVideoNames = Column(encoder::kVideoQualities, &encoder::StreamChoice::commandLineName);
constexpr auto kVideoCaptions = Column(encoder::kVideoQualities, &encoder::StreamChoice::caption);
constexpr const char* kFileTypeNames[] = {"--single-rate", "--surestream"};

class UsageError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

template <std::size_t N>
std::string NameList(const std::array<const char*, N>& names) {
    std::string list;
    for (const char* name : names)
        list += (list.empty() ? "" : ", ") + std::string(name);
    return list;
}

template <std::size_t N>
int IndexOf(const std::array<const char*, N>& names, const std::string& value, const std::string& what) {
    for (std::size_t i = 0; i < N; ++i)
        if (value == names[i])
            return static_cast<int>(i);
    throw UsageError("unknown " + what + " '" + value + "' (choose from " + NameList(names) + ")");
}

// One column of the help's name tables: a command-line name and what the window shows for it.
template <std::size_t N, std::size_t M>
std::string NameTable(const std::array<const char*, N>& names, const std::array<const char*, M>& texts) {
    static_assert(N == M);
    std::string table;
    for (std::size_t i = 0; i < N; ++i) {
        std::string name = names[i];
        name.resize(14, ' ');
        table += "                             " + name + "\"" + texts[i] + "\"\n";
    }
    return table;
}

std::string Defaults(const settings::TSettings& s) {
    std::string audiences;
    for (std::size_t i = 0; i < kAudienceNames.size(); ++i)
        if (s.*settings::AudienceFlags[i])
            audiences += (audiences.empty() ? "" : ",") + std::string(kAudienceNames[i]);
    return "--audience=" + audiences + " " + kFileTypeNames[s.filetype == 1 ? 1 : 0] +
           " --audio=" + kAudioNames.at(static_cast<std::size_t>(s.AudioFormat)) +
           " --video=" + kVideoNames.at(static_cast<std::size_t>(s.VideoQuality)) +
           " --temp-dir=" + s.TempDirectory;
}

std::string HelpText() {
    const settings::TSettings defaults = settings::DefaultSettings({});
    std::ostringstream h;
    h << "Usage: " << kProgram << " [OPTION]... FILE|FOLDER...\n"
      << "Convert media files (avi, mov, qt, mpg, mpeg, mpa, mp2, mp3, wav, au, or anything else FFmpeg\n"
      << "reads) into RealMedia .rm files, with the encoder and the settings of the Quenzor window.\n"
      << "A folder stands for the files of those ten types in it and in its sub-folders.\n"
      << "\nSettings, as the window's Preferences name them:\n"
      << "  -a, --audience=LIST      the target audiences, comma-separated or repeated:\n"
      << NameTable(kAudienceNames, kAudienceCaptions)
      << "      --single-rate        \"Single-rate\": one stream set, for the fastest audience chosen\n"
      << "      --surestream         \"Multi-rate SureStream\": one stream set per audience\n"
      << "      --audio=FORMAT       the audio format:\n"
      << NameTable(kAudioNames, kAudioCaptions) << "      --video=QUALITY      the video quality:\n"
      << NameTable(kVideoNames, kVideoCaptions)
      << "      --temp-dir=DIR       the encoder's \"Temporary Directory\" (beside the destination when\n"
      << "                             DIR cannot be written)\n"
      << "      --settings=FILE      take the defaults from a data.ini the window saved\n"
      << "\nClip information, as in the window's \"Music Information\" (the same for every file):\n"
      << "      --title=TEXT  --author=TEXT  --copyright=TEXT  --description=TEXT  --keywords=TEXT\n"
      << "\nOutput:\n"
      << "  -o, --output-dir=DIR     write the .rm files into DIR (default: beside each source, the\n"
      << "                             same name with the extension .rm)\n"
      << "      --overwrite          replace destination files that exist (default: skip them)\n"
      << "  -j, --jobs=N             encode N files at once (1 to " << kMaxJobs << ", default 1)\n"
      << "      --json               one JSON object per file on standard output: source, destination,\n"
      << "                             status (converted, skipped, failed or stopped), seconds, bytes\n"
      << "                             (of the file written) and error (why the file was not\n"
      << "                             converted, or null); a name that is not UTF-8 reads with\n"
      << "                             U+FFFD there and also comes exactly, base64-encoded, as\n"
      << "                             source_bytes or destination_bytes\n"
      << "  -q, --quiet              no progress, no report of converted or skipped files; failures\n"
      << "                             are still reported\n"
      << "      --help               display this help and exit\n"
      << "      --version            output version information and exit\n"
      << "\nWithout --settings the defaults are those of a fresh installation, with no clip information:\n"
      << "  " << Defaults(defaults) << "\n"
      << "\nA file being written is claimed by the file .NAME.rm.claim beside its destination; another\n"
      << "run given the same file skips it, so runs over overlapping lists convert each file once.\n"
      << "With --overwrite, a destination another run finished after this run began is kept as well.\n"
      << "A destination that appears while its file is being encoded is always kept (skipped).\n"
      << "An existing destination is replaced only by a finished encode; Ctrl-C stops the encodes\n"
      << "under way, removes their unfinished files and keeps the files already converted.\n"
      << "On the terminal, control characters, bytes that are not UTF-8 and backslashes in names and\n"
      << "messages are shown escaped as in the shell's $'...' quoting (\\e, \\r, \\x07, \\\\).\n"
      << "A folder whose file system has no file locks is not written to.\n"
      << "\nExit status: 0 when every file was converted or skipped, 1 when some failed (the others\n"
      << "were converted), 2 on a usage error, 128+N when stopped by signal N (130 for Ctrl-C).\n";
    return h.str();
}

std::string VersionText() {
    return std::string(kProgram) + " (Quenzor) " + QUENZOR_VERSION + "\n";
}

int ParseJobs(const std::string& text) {
    char* end = nullptr;
    const long n = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end != '\0' || n < 1 || n > kMaxJobs)
        throw UsageError("invalid number of jobs '" + text + "' (1 to " + std::to_string(kMaxJobs) + ")");
    return static_cast<int>(n);
}

// Every --audience names a whole set: the first one clears what the settings held.
void AddAudiences(settings::TSettings& s, const std::string& list, bool& cleared) {
    if (!cleared)
        for (auto flag : settings::AudienceFlags)
            s.*flag = false;
    cleared = true;
    std::istringstream items(list);
    std::string item;
    bool any = false;
    while (std::getline(items, item, ',')) {
        if (item.empty())
            continue;
        s.*settings::AudienceFlags[static_cast<std::size_t>(IndexOf(kAudienceNames, item, "audience"))] =
            true;
        any = true;
    }
    if (!any)
        throw UsageError("no audience in '" + list + "' (choose from " + NameList(kAudienceNames) + ")");
}

enum LongOnly {
    optSingleRate = 256,
    optSureStream,
    optAudio,
    optVideo,
    optTempDir,
    optSettings,
    optTitle,
    optAuthor,
    optCopyright,
    optDescription,
    optKeywords,
    optOverwrite,
    optJson,
    optHelp,
    optVersion,
};

const option kLongOptions[] = {
    {"audience", required_argument, nullptr, 'a'},
    {"single-rate", no_argument, nullptr, optSingleRate},
    {"surestream", no_argument, nullptr, optSureStream},
    {"audio", required_argument, nullptr, optAudio},
    {"video", required_argument, nullptr, optVideo},
    {"temp-dir", required_argument, nullptr, optTempDir},
    {"settings", required_argument, nullptr, optSettings},
    {"title", required_argument, nullptr, optTitle},
    {"author", required_argument, nullptr, optAuthor},
    {"copyright", required_argument, nullptr, optCopyright},
    {"description", required_argument, nullptr, optDescription},
    {"keywords", required_argument, nullptr, optKeywords},
    {"output-dir", required_argument, nullptr, 'o'},
    {"overwrite", no_argument, nullptr, optOverwrite},
    {"jobs", required_argument, nullptr, 'j'},
    {"json", no_argument, nullptr, optJson},
    {"quiet", no_argument, nullptr, 'q'},
    {"help", no_argument, nullptr, optHelp},
    {"version", no_argument, nullptr, optVersion},
    {nullptr, 0, nullptr, 0},
};

settings::TSettings InitialSettings(const std::string& file) {
    if (file.empty())
        return settings::DefaultSettings({});
    if (!platform::FileExists(file))
        throw UsageError("the settings file " + file + " does not exist");
    settings::TSettings s;
    try {
        settings::LoadSettings(s, file, {});
    } catch (const std::exception& e) {
        throw UsageError(e.what());
    }
    return s;
}

// Applies one option (all but --settings, --help and --version) on top of the settings.
void Apply(Options& o, int option, const std::string& value, bool& audiencesCleared, int& fileType) {
    switch (option) {
        case 'a':
            AddAudiences(o.settings, value, audiencesCleared);
            break;
        case optSingleRate:
        case optSureStream: {
            const int chosen = option == optSureStream ? 1 : 0;
            if (fileType >= 0 && fileType != chosen)
                throw UsageError("--single-rate and --surestream exclude each other");
            fileType = o.settings.filetype = chosen;
            break;
        }
        case optAudio:
            o.settings.AudioFormat = IndexOf(kAudioNames, value, "audio format");
            break;
        case optVideo:
            o.settings.VideoQuality = IndexOf(kVideoNames, value, "video quality");
            break;
        case optTempDir:
            o.settings.TempDirectory = value;
            break;
        case optTitle:
            o.settings.Title = value;
            break;
        case optAuthor:
            o.settings.Auther = value;
            break;
        case optCopyright:
            o.settings.Copyright = value;
            break;
        case optDescription:
            o.settings.Description = value;
            break;
        case optKeywords:
            o.settings.Keywords = value;
            break;
        case 'o':
            if (!platform::DirectoryExists(value))
                throw UsageError("the output folder " + value + " does not exist");
            o.outputDirectory = value;
            break;
        case optOverwrite:
            o.overwrite = true;
            break;
        case 'j':
            o.jobs = ParseJobs(value);
            break;
        case optJson:
            o.json = true;
            break;
        case 'q':
            o.quiet = true;
            break;
    }
}

}  // namespace

std::string DestinationFor(const std::string& source, const std::string& outputDirectory) {
    if (outputDirectory.empty())
        return platform::ChangeExtToRm(source);
    return platform::ChangeExtToRm(platform::RemoveTrailingDelimiter(outputDirectory) +
                                   platform::PathDelimiter + platform::ExtractFileName(source));
}

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    ParsedCommandLine result;
    std::vector<std::string> copies = arguments;
    std::vector<char*> argv;
    for (std::string& a : copies)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    const int argc = static_cast<int>(copies.size());

    try {
        // The options are gathered first and applied once the settings file is read, so that they
        // override it wherever it stands on the line.
        std::vector<std::pair<int, std::string>> given;
        std::string settingsFile;
        opterr = 0;
        optind = 0;  // a fresh scan, also when called more than once
        for (int c; (c = getopt_long(argc, argv.data(), ":a:o:j:q", kLongOptions, nullptr)) != -1;) {
            const std::string value = optarg ? optarg : "";
            const std::string option = optind > 0 ? argv[static_cast<std::size_t>(optind - 1)] : "";
            switch (c) {
                case optHelp:
                    result.out = HelpText();
                    return result;
                case optVersion:
                    result.out = VersionText();
                    return result;
                case optSettings:
                    settingsFile = value;
                    break;
                case ':':
                    throw UsageError("option '" + option + "' requires an argument");
                case '?':
                    if (optopt != 0)
                        throw UsageError("invalid option -- '" + std::string(1, static_cast<char>(optopt)) +
                                         "'");
                    throw UsageError("unrecognized option '" + option + "'");
                default:
                    given.emplace_back(c, value);
            }
        }
        Options& o = result.options;
        o.settings = InitialSettings(settingsFile);
        bool audiencesCleared = false;
        int fileType = -1;
        for (const auto& [option, value] : given)
            Apply(o, option, value, audiencesCleared, fileType);
        bool folders = false;
        for (int i = optind; i < argc; ++i) {
            const std::string source = argv[static_cast<std::size_t>(i)];
            if (!platform::DirectoryExists(source)) {
                o.sources.push_back(source);
                continue;
            }
            // A folder is searched as the window searches one dropped on it.
            folders = true;
            const std::vector<std::string> found = platform::MediaFilesAmong({source});
            o.sources.insert(o.sources.end(), found.begin(), found.end());
        }
        if (o.sources.empty())
            throw UsageError(folders ? "no media files in the folders given" : "no files to convert");
        result.run = true;
    } catch (const UsageError& e) {
        result.exitCode = 2;
        // The values quoted may be names of anybody's files: shown escaped, like every name on the terminal.
        result.err = std::string(kProgram) + ": " + TerminalText(e.what()) + "\nTry '" + kProgram +
                     " --help' for more information.\n";
    }
    return result;
}

}  // namespace cli
