// quenzor-convert run as users and scripts run it: a separate process, its exit status, its output.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/file.h>

#include <QDeadlineTimer>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QThread>
#include <algorithm>
#include <filesystem>
#include <map>

#include "encoder/EncodeError.h"
#include "encoder/SafeOutput.h"
#include "platform/core/Claim.h"
#include "platform/core/TempFiles.h"
#include "support/EncoderHarness.h"
#include "support/FileHelpers.h"
#include "support/MediaFixtures.h"

namespace {
namespace fs = std::filesystem;

const std::string kProgram = std::string(QUENZOR_PROGRAM_DIR) + "/quenzor-convert";

struct Outcome {
    int exitCode = -1;
    std::string out, err;
    std::vector<QJsonObject> lines;  // standard output read as JSON lines
};

std::vector<QJsonObject> JsonLines(const std::string& text) {
    std::vector<QJsonObject> lines;
    for (const QByteArray& line : QByteArray::fromStdString(text).split('\n')) {
        if (line.isEmpty())
            continue;
        QJsonParseError error{};
        const QJsonDocument doc = QJsonDocument::fromJson(line, &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << line.toStdString();
        lines.push_back(doc.object());
    }
    return lines;
}

Outcome Convert(const std::vector<std::string>& args) {
    const testsupport::ToolResult r = testsupport::RunTool(kProgram, args);
    const bool json = std::find(args.begin(), args.end(), "--json") != args.end();
    return {r.exitCode, r.out, r.err, json ? JsonLines(r.out) : std::vector<QJsonObject>{}};
}

std::string Text(const QJsonObject& line, const char* key) {
    return line.value(key).toString().toStdString();
}

// Status by source file name, from every line of every run; a file seen twice fails the test.
std::map<std::string, std::string> StatusBySource(const std::vector<QJsonObject>& lines) {
    std::map<std::string, std::string> status;
    for (const QJsonObject& line : lines)
        EXPECT_TRUE(status.emplace(fs::path(Text(line, "source")).filename(), Text(line, "status")).second)
            << "two lines for " << Text(line, "source");
    return status;
}

// Copies of a shared clip under the given names in `dir`, so that the destinations land there too.
std::vector<std::string> Sources(const testsupport::ScratchDir& dir, const std::string& clip,
                                 const std::vector<std::string>& names) {
    std::vector<std::string> paths;
    for (const std::string& name : names) {
        paths.push_back(dir.File(name));
        fs::copy_file(clip, paths.back(), fs::copy_options::overwrite_existing);
    }
    return paths;
}

// A second of small movie with sound: converted in a blink.
std::string ShortClip() {
    testsupport::ClipRecipe recipe;
    recipe.name = "cli-short.avi";
    recipe.seconds = 1;
    recipe.codecArgs = {"-c:v", "mpeg4", "-c:a", "pcm_s16le"};
    return testsupport::MakeClip(recipe);
}

// The loudest decoded sample of any channel of `path`'s sound, dB of full scale (above 0 where it clips).
double PeakDb(const std::string& path) {
    const testsupport::ToolResult r = testsupport::RunTool(
        "ffmpeg", {"-hide_banner", "-nostats", "-i", path, "-map", "0:a", "-af",
                   "astats=measure_perchannel=Peak_level:measure_overall=none", "-f", "null", "-"});
    double peak = -1000;
    bool found = false;
    for (std::size_t at = r.err.find("Peak level dB: "); at != std::string::npos;
         at = r.err.find("Peak level dB: ", at + 1)) {
        peak = std::max(peak, std::stod(r.err.substr(at + 15)));
        found = true;
    }
    EXPECT_TRUE(found) << path << r.err;
    return peak;
}

// What no run may leave behind: unfinished encodes and claims.
std::vector<std::string> Leftovers(const std::string& folder) {
    std::vector<std::string> found;
    for (const std::string& name : testsupport::FolderEntries(folder))
        if (name.ends_with(".tmp") || name.ends_with(".claim"))
            found.push_back(name);
    return found;
}

}  // namespace

TEST(QuenzorConvert, UsageHelpVersionAndNoWindowLibraries) {
    const Outcome help = Convert({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    // The choices carry the names the Preferences window shows.
    for (const char* text : {"Usage: quenzor-convert", "\"Voice with Background Music\"", "\"Slide Show\"",
                             "\"512K DSL/Cable Modem\"", "\"Multi-rate SureStream\""})
        EXPECT_NE(help.out.find(text), std::string::npos) << text;
    const Outcome version = Convert({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out.rfind("quenzor-convert (Quenzor) ", 0), 0u) << version.out;

    const std::vector<std::vector<std::string>> misuses = {
        {},
        {"--no-such-option", "a.avi"},
        {"--audience", "56k,100k", "a.avi"},
        {"--audio", "loud", "a.avi"},
        {"--video", "fast", "a.avi"},
        {"--single-rate", "--surestream", "a.avi"},
        {"--jobs", "0", "a.avi"},
        {"--jobs", "many", "a.avi"},
        {"--output-dir", "/no/such/folder", "a.avi"},
        {"--settings", "/no/such/data.ini", "a.avi"},
        {"a.avi", "--title"},
    };
    for (const auto& args : misuses) {
        const Outcome r = Convert(args);
        std::string line;
        for (const auto& a : args)
            line += a + " ";
        EXPECT_EQ(r.exitCode, 2) << line;
        EXPECT_NE(r.err.find("Try 'quenzor-convert --help'"), std::string::npos) << line << r.err;
        EXPECT_EQ(r.out, "") << line;
    }

    // No display needed: nothing of the window libraries is loaded.
    const testsupport::ToolResult ldd = testsupport::RunTool("ldd", {kProgram});
    ASSERT_EQ(ldd.exitCode, 0) << ldd.err;
    EXPECT_NE(ldd.out.find("libQt6Core"), std::string::npos);
    for (const char* library : {"libQt6Widgets", "libQt6Gui", "libQt6DBus", "libQt6Multimedia"})
        EXPECT_EQ(ldd.out.find(library), std::string::npos) << library;
}

TEST(QuenzorConvert, ConvertsSkipsOverwritesAndReportsFailures) {
    testsupport::ScratchDir dir;
    const std::vector<std::string> sources = Sources(dir, ShortClip(), {"one.avi", "two.avi", "three.avi"});
    // data.ini as the window saves it: no sound, a title; the command line overrides the author.
    testsupport::WriteBytes(dir.File("data.ini"),
                            "\r\n[option]\r\nfiletype=0\r\nAudioFormat=4\r\nTitle=From the settings\r\n"
                            "Auther=Nobody\r\n");
    std::vector<std::string> args = {"--json",   "-j",        "2", "--settings", dir.File("data.ini"),
                                     "--author", "Ann Author"};
    args.insert(args.end(), sources.begin(), sources.end());

    const Outcome first = Convert(args);
    EXPECT_EQ(first.exitCode, 0) << first.err;
    ASSERT_EQ(first.lines.size(), 3u) << first.out;
    for (const QJsonObject& line : first.lines) {
        EXPECT_EQ(Text(line, "status"), "converted");
        EXPECT_TRUE(line.value("error").isNull());
        const std::string destination = Text(line, "destination");
        EXPECT_EQ(fs::path(destination).extension(), ".rm");
        EXPECT_EQ(fs::path(destination).parent_path(), fs::path(Text(line, "source")).parent_path());
        EXPECT_EQ(line.value("bytes").toInteger(), static_cast<qint64>(fs::file_size(destination)));
        EXPECT_GT(line.value("seconds").toDouble(), 0);
        const testsupport::ProbeInfo info = testsupport::Probe(destination);
        ASSERT_TRUE(info.ok) << info.error;
        EXPECT_EQ(info.formatName, "rm");
        EXPECT_EQ(info.tags.at("title"), "From the settings");
        EXPECT_EQ(info.tags.at("author"), "Ann Author");
        for (const auto& stream : info.streams)
            EXPECT_NE(stream.type, "audio") << "the settings switched the sound off";
    }
    // Not a terminal: plain lines, one per file begun.
    EXPECT_NE(first.err.find("[3/3] "), std::string::npos) << first.err;

    // Again: every destination exists and is kept, and that is no failure.
    const fs::file_time_type written = fs::last_write_time(dir.File("one.rm"));
    const Outcome again = Convert({"--json", sources[0], sources[1], sources[2]});
    EXPECT_EQ(again.exitCode, 0);
    for (const QJsonObject& line : again.lines)
        EXPECT_EQ(Text(line, "status"), "skipped") << Text(line, "source");
    EXPECT_EQ(fs::last_write_time(dir.File("one.rm")), written);

    // --overwrite replaces them; a source that cannot be read fails with the encoder's sentence, and the
    // files after it are still converted.
    testsupport::WriteBytes(dir.File("broken.avi"), "not a movie");
    const Outcome mixed =
        Convert({"--overwrite", sources[0], dir.File("missing.avi"), dir.File("broken.avi"), sources[1]});
    EXPECT_EQ(mixed.exitCode, 1);
    EXPECT_NE(mixed.err.find("quenzor-convert: Cannot read the source file " + dir.File("missing.avi")),
              std::string::npos)
        << mixed.err;
    EXPECT_NE(mixed.err.find(dir.File("broken.avi")), std::string::npos) << mixed.err;
    EXPECT_NE(mixed.out.find("converted " + sources[0] + " -> " + dir.File("one.rm")), std::string::npos)
        << mixed.out;
    EXPECT_NE(mixed.out.find("converted " + sources[1]), std::string::npos) << mixed.out;
    EXPECT_NE(fs::last_write_time(dir.File("one.rm")), written);
    EXPECT_FALSE(fs::exists(dir.File("missing.rm")));
    EXPECT_FALSE(fs::exists(dir.File("broken.rm")));

    // Into another folder, quietly: nothing but the JSON lines. Two sources of one name meet there; the
    // older file is replaced, but what this run has written itself is kept.
    testsupport::ScratchDir out, other;
    const std::string twin = Sources(other, ShortClip(), {"three.avi"})[0];
    testsupport::WriteBytes(out.File("three.rm"), "an older three.rm");
    const Outcome elsewhere =
        Convert({"--quiet", "--json", "--overwrite", "--output-dir", out.Path(), sources[2], twin});
    EXPECT_EQ(elsewhere.exitCode, 1);
    ASSERT_EQ(elsewhere.lines.size(), 2u);
    EXPECT_EQ(Text(elsewhere.lines[0], "destination"), out.File("three.rm"));
    EXPECT_EQ(Text(elsewhere.lines[0], "status"), "converted");
    // The second is a failure that says what to do: a rerun would never convert it otherwise.
    EXPECT_EQ(Text(elsewhere.lines[1], "status"), "failed");
    const std::string clash = Text(elsewhere.lines[1], "error");
    for (const std::string& part : {twin, sources[2], out.File("three.rm"), std::string("--output-dir")})
        EXPECT_NE(clash.find(part), std::string::npos) << clash;
    EXPECT_EQ(elsewhere.err, "quenzor-convert: " + clash + "\n");
    EXPECT_TRUE(testsupport::Probe(out.File("three.rm")).ok);
    EXPECT_EQ(Leftovers(dir.Path()), std::vector<std::string>{});
}

TEST(QuenzorConvert, InterruptStopsCleanlyKeepingFinishedFiles) {
    testsupport::ScratchDir dir;
    const std::string first = Sources(dir, ShortClip(), {"first.avi"})[0];
    const std::vector<std::string> busies = Sources(dir, BusyMovie(), {"second.avi", "third.avi"});
    const std::string temp = dir.File("temp");
    fs::create_directory(temp);
    const std::string kOld = "the earlier second.rm, which must survive";
    testsupport::WriteBytes(dir.File("second.rm"), kOld);

    QProcess child;
    // Started from a shell in the background, SIGINT would arrive ignored and stay so.
    child.setChildProcessModifier([] { ::signal(SIGINT, SIG_DFL); });
    child.start(
        QString::fromStdString(kProgram),
        {"--json", "--overwrite", "--temp-dir", QString::fromStdString(temp), QString::fromStdString(first),
         QString::fromStdString(busies[0]), QString::fromStdString(busies[1])});
    ASSERT_TRUE(child.waitForStarted());
    // The first file is done and the second is being written in the temporary folder: stop now.
    QDeadlineTimer deadline(60000);
    while (!deadline.hasExpired() &&
           !(fs::exists(dir.File("first.rm")) && !testsupport::FolderEntries(temp).empty()))
        QThread::msleep(5);
    ASSERT_FALSE(deadline.hasExpired()) << child.readAllStandardError().toStdString();
    ::kill(static_cast<pid_t>(child.processId()), SIGINT);
    ASSERT_TRUE(child.waitForFinished(30000));
    EXPECT_EQ(child.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(child.exitCode(), 130);

    const std::map<std::string, std::string> status =
        StatusBySource(JsonLines(child.readAllStandardOutput().toStdString()));
    EXPECT_EQ(status, (std::map<std::string, std::string>{
                          {"first.avi", "converted"}, {"second.avi", "stopped"}, {"third.avi", "stopped"}}));
    EXPECT_TRUE(testsupport::Probe(dir.File("first.rm")).ok);
    EXPECT_EQ(testsupport::ReadBytes(dir.File("second.rm")), kOld);
    EXPECT_FALSE(fs::exists(dir.File("third.rm")));
    EXPECT_EQ(testsupport::FolderEntries(temp), std::vector<std::string>{});
    EXPECT_EQ(Leftovers(dir.Path()), std::vector<std::string>{});
}

TEST(QuenzorConvert, OverlappingRunsConvertEachFileOnce) {
    testsupport::ScratchDir dir;
    std::vector<std::string> names;
    for (int i = 0; i < 8; ++i)
        names.push_back("file" + std::to_string(i) + ".avi");
    const std::vector<std::string> sources = Sources(dir, ShortClip(), names);
    // A claim a killed run left behind: its lock went with its process, so it is taken over.
    testsupport::WriteBytes(dir.File(".file3.rm.claim"), "process 999999 on elsewhere\n");

    // Two runs over the same files, in opposite orders, at the same time.
    QStringList forward = {"--json"}, backward = {"--json", "-j", "2"};
    for (std::size_t i = 0; i < sources.size(); ++i) {
        forward << QString::fromStdString(sources[i]);
        backward << QString::fromStdString(sources[sources.size() - 1 - i]);
    }
    QProcess a, b;
    a.start(QString::fromStdString(kProgram), forward);
    b.start(QString::fromStdString(kProgram), backward);
    ASSERT_TRUE(a.waitForFinished(120000));
    ASSERT_TRUE(b.waitForFinished(120000));
    EXPECT_EQ(a.exitCode(), 0) << a.readAllStandardError().toStdString();
    EXPECT_EQ(b.exitCode(), 0) << b.readAllStandardError().toStdString();

    const auto aStatus = StatusBySource(JsonLines(a.readAllStandardOutput().toStdString()));
    const auto bStatus = StatusBySource(JsonLines(b.readAllStandardOutput().toStdString()));
    for (const std::string& name : names) {
        const int converted = (aStatus.at(name) == "converted") + (bStatus.at(name) == "converted");
        const int skipped = (aStatus.at(name) == "skipped") + (bStatus.at(name) == "skipped");
        EXPECT_EQ(converted, 1) << name;
        EXPECT_EQ(skipped, 1) << name;
        const std::string destination = dir.File(fs::path(name).replace_extension(".rm").string());
        EXPECT_TRUE(testsupport::Probe(destination).ok) << destination;
    }
    EXPECT_EQ(Leftovers(dir.Path()), std::vector<std::string>{});
}

// Other people's text (names of files in a shared folder, another run's claim) reaches the terminal only
// escaped, so that it cannot retitle or clear it or forge a line; JSON lines keep the bytes of names that
// are no UTF-8, which read alike as text.
TEST(QuenzorConvert, OthersTextIsEscapedAndNamesKeepTheirBytes) {
    testsupport::ScratchDir dir;
    const std::string forged =
        "x\x1b]0;owned\x07\r1 converted, 0 failed\xc2\x9b"
        "2J\\.avi";
    for (const std::string& name :
         {forged, std::string("held.avi"), std::string("b\x80.avi"), std::string("b\x81.avi")})
        testsupport::WriteBytes(dir.File(name), "not a movie");
    // Another run holds held.rm, and its claim says more than who it is.
    testsupport::WriteBytes(dir.File(".held.rm.claim"), "process 1 on \x1b[2Jhost\x07\n");
    const platform::UniqueFd holder(::open(dir.File(".held.rm.claim").c_str(), O_RDONLY | O_CLOEXEC));
    ASSERT_EQ(::flock(holder.Get(), LOCK_EX | LOCK_NB), 0);

    // Through a shell, which passes names that are no UTF-8 byte for byte.
    const auto convert = [&](const std::string& arguments) {
        const testsupport::ToolResult r = testsupport::RunTool(
            "sh", {"-c", "cd \"$1\" && exec \"$2\" " + arguments, "sh", dir.Path(), kProgram, forged});
        return Outcome{r.exitCode, r.out, r.err, JsonLines(arguments.starts_with("--json") ? r.out : "")};
    };
    const Outcome text = convert("\"$3\" held.avi \"$(printf 'b\\200.avi')\"");
    EXPECT_EQ(text.exitCode, 1);
    for (const std::string& stream : {text.out, text.err})
        for (const std::string raw : {"\x1b", "\x07", "\r", "\xc2\x9b", "\x80"})
            EXPECT_EQ(stream.find(raw), std::string::npos) << stream;
    EXPECT_NE(text.err.find("[1/3] x\\e]0;owned\\x07\\r1 converted, 0 failed\\xc2\\x9b2J\\\\.avi -> "),
              std::string::npos)
        << text.err;
    EXPECT_NE(text.out.find("skipped held.avi: Another conversion is writing held.rm (process 1 on "
                            "\\e[2Jhost\\x07)."),
              std::string::npos)
        << text.out;
    EXPECT_NE(text.err.find("[3/3] b\\x80.avi -> b\\x80.rm\n"), std::string::npos) << text.err;
    const Outcome usage = convert("--output-dir \"$3\" held.avi");
    EXPECT_EQ(usage.exitCode, 2);
    EXPECT_NE(usage.err.find("the output folder x\\e]0;owned"), std::string::npos) << usage.err;

    const Outcome json =
        convert("--json --quiet \"$(printf 'b\\200.avi')\" \"$(printf 'b\\201.avi')\" \"$3\"");
    ASSERT_EQ(json.lines.size(), 3u) << json.out;
    for (const std::string raw : {"\x1b", "\x07", "\xc2\x9b"})
        EXPECT_EQ(json.out.find(raw), std::string::npos) << json.out;
    for (int i = 0; i < 2; ++i) {
        const std::string name = i == 0 ? "b\x80" : "b\x81";
        const QJsonObject& line = json.lines[static_cast<std::size_t>(i)];
        EXPECT_EQ(Text(line, "source"), "b\uFFFD.avi");
        EXPECT_EQ(QByteArray::fromBase64(line.value("source_bytes").toString().toLatin1()).toStdString(),
                  name + ".avi");
        EXPECT_EQ(QByteArray::fromBase64(line.value("destination_bytes").toString().toLatin1()).toStdString(),
                  name + ".rm");
    }
    EXPECT_EQ(Text(json.lines[2], "source"), forged);
    EXPECT_FALSE(json.lines[2].contains("source_bytes")) << "a name that is text needs no bytes";
}

// Where the file system has no locks (some network file systems) nothing could mark a file as being
// written: the encode says so in one sentence naming the folder, before it begins, and leaves nothing
// behind. Locks are refused in the destination's folder alone: the temporary folder has them.
static std::string foldersWithoutLocks;
TEST(QuenzorConvert, AFolderWithoutLocksIsNamedAndLeftAsItWas) {
    testsupport::ScratchDir dir, temp;
    foldersWithoutLocks = fs::canonical(dir.Path()).string() + "/";
    const platform::LockCall flock = platform::ReplaceLockCall([](int fd, int operation) {
        const std::string file = fs::read_symlink("/proc/self/fd/" + std::to_string(fd)).string();
        if (!file.starts_with(foldersWithoutLocks))
            return ::flock(fd, operation);
        errno = ENOLCK;
        return -1;
    });
    try {
        const encoder::TempOutput output(dir.File("a.rm"), temp.Path());
        ADD_FAILURE() << "an encode that could never be put in place: " << output.Path();
    } catch (const encoder::EncodeError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot write the destination file " + dir.File("a.rm") +
                                             ": the file system of the folder " +
                                             fs::path(dir.File("a.rm")).parent_path().string() +
                                             " has no file locks, which mark a file while it is written, so "
                                             "nothing is written there.");
    }
    platform::ReplaceLockCall(flock);
    EXPECT_EQ(testsupport::FolderEntries(dir.Path()), std::vector<std::string>{});
    EXPECT_EQ(testsupport::FolderEntries(temp.Path()), std::vector<std::string>{});
}

// Waits until `predicate` holds; false after a minute.
template <typename Predicate>
bool WaitFor(Predicate predicate) {
    QDeadlineTimer deadline(60000);
    while (!predicate())
        if (deadline.hasExpired())
            return false;
        else
            QThread::msleep(5);
    return true;
}

// The users' own files, named like temporary files of some program.
const std::vector<std::string> kTheirs = {".busy1.rm-1-2-3.tmp", ".notes-77777-1-1.tmp",
                                          ".report-2023-12-07.tmp"};

// The temporary file of the encode of `destination` (a name) is in the folder (the users' files aside).
bool HasTemporaryFile(const std::string& folder, const std::string& destination) {
    const std::vector<std::string> names = Leftovers(folder);
    return std::any_of(names.begin(), names.end(), [&](const std::string& n) {
        return n.starts_with("." + destination + "-") && n.ends_with(".tmp") &&
               std::find(kTheirs.begin(), kTheirs.end(), n) == kTheirs.end();
    });
}

// The output folder removed while a file is encoded into it: the message names the folder that went.
TEST(QuenzorConvert, AVanishedOutputFolderIsNamed) {
    testsupport::ScratchDir dir, temp;
    const std::string busy = Sources(dir, BusyMovie(), {"busy.avi"})[0];
    const std::string out = dir.File("out");
    fs::create_directory(out);
    QProcess run;
    run.start(QString::fromStdString(kProgram),
              {"--temp-dir", QString::fromStdString(temp.Path()), "--output-dir", QString::fromStdString(out),
               QString::fromStdString(busy)});
    ASSERT_TRUE(run.waitForStarted());
    // Held still while its file is written in the temporary folder, so that it cannot finish first.
    ASSERT_TRUE(WaitFor([&] { return HasTemporaryFile(temp.Path(), "busy.rm"); }))
        << run.readAllStandardError().toStdString();
    ::kill(static_cast<pid_t>(run.processId()), SIGSTOP);
    fs::remove_all(out);
    ::kill(static_cast<pid_t>(run.processId()), SIGCONT);
    ASSERT_TRUE(run.waitForFinished(60000));
    EXPECT_EQ(run.exitCode(), 1);
    const std::string err = run.readAllStandardError().toStdString();
    EXPECT_NE(err.find("quenzor-convert: Cannot write the destination file " + out + "/busy.rm: the folder " +
                       out + " no longer exists.\n"),
              std::string::npos)
        << err;
    EXPECT_EQ(testsupport::FolderEntries(temp.Path()), std::vector<std::string>{});
}

// A second run in a PID namespace of its own (where this run's process ids mean nothing), sharing the
// temporary folder and the destination folder of an encode under way, with names people give their own
// files there, a name as long as the file system allows, and claim names that are not claim files.
TEST(QuenzorConvert, RunsInOtherPidNamespacesLeaveARunningEncodesFilesAlone) {
    const std::vector<std::string> unshare = {"--user", "--map-root-user", "--pid", "--fork"};
    if (testsupport::RunTool("unshare",
                             [&] {
                                 auto args = unshare;
                                 args.push_back("true");
                                 return args;
                             }())
            .exitCode != 0)
        GTEST_SKIP() << "this kernel refuses unprivileged user and PID namespaces (unshare --user "
                        "--map-root-user --pid --fork), so no second run can be started in one";
    testsupport::ScratchDir dir;
    const std::string temp = dir.File("temp");
    fs::create_directory(temp);
    const std::vector<std::string> busies = Sources(dir, BusyMovie(), {"busy1.avi", "busy2.avi"});
    std::string longName;
    for (int i = 0; i < 123; ++i)
        longName += "\xc3\xa9";  // 246 bytes of "é": the longest .avi name a file system takes
    const std::vector<std::string> shorts =
        Sources(dir, ShortClip(), {"short.avi", longName + ".avi", "victim.avi", "finished.avi"});
    for (const std::string& folder : {dir.Path(), temp + "/"})
        for (const std::string& name : kTheirs)
            testsupport::WriteBytes(folder + name, "mine");
    // One of ours that a killed run left: nobody holds its lock.
    const std::string abandoned = platform::CreateUniqueFile(temp + "/.gone.rm-", ".tmp").path;
    ASSERT_TRUE(fs::exists(abandoned));
    // A claim name linked to a user's file; a finished file whose run died before removing its claim.
    testsupport::WriteBytes(dir.File("diary.txt"), "dear diary");
    ASSERT_EQ(::link(dir.File("diary.txt").c_str(), dir.File(".victim.rm.claim").c_str()), 0);
    testsupport::WriteBytes(dir.File("finished.rm"), "finished earlier");
    testsupport::WriteBytes(dir.File(".finished.rm.claim"), "process 4321 on elsewhere\n");

    QProcess a;
    a.start(QString::fromStdString(kProgram),
            {"--json", "--temp-dir", QString::fromStdString(temp), QString::fromStdString(busies[0]),
             QString::fromStdString(busies[1])});
    ASSERT_TRUE(a.waitForStarted());
    const auto aPid = static_cast<pid_t>(a.processId());
    // Held still in the middle of its first encode, its temporary file written and locked.
    ASSERT_TRUE(WaitFor([&] { return HasTemporaryFile(temp, "busy1.rm"); }))
        << a.readAllStandardError().toStdString();
    ::kill(aPid, SIGSTOP);

    std::vector<std::string> args = unshare;
    args.insert(args.end(), {kProgram, "--json", "--temp-dir", temp});
    args.insert(args.end(), shorts.begin(), shorts.end());
    const testsupport::ToolResult b = testsupport::RunTool("unshare", args);
    EXPECT_EQ(b.exitCode, 1) << b.err;
    const std::vector<QJsonObject> bLines = JsonLines(b.out);
    EXPECT_EQ(StatusBySource(bLines), (std::map<std::string, std::string>{{"short.avi", "converted"},
                                                                          {longName + ".avi", "converted"},
                                                                          {"victim.avi", "failed"},
                                                                          {"finished.avi", "skipped"}}))
        << b.err;
    EXPECT_TRUE(testsupport::Probe(dir.File(longName + ".rm")).ok);
    EXPECT_EQ(testsupport::ReadBytes(dir.File("diary.txt")), "dear diary") << "not written through the link";
    EXPECT_FALSE(fs::exists(dir.File("victim.rm"))) << "not converted unclaimed";
    EXPECT_FALSE(fs::exists(dir.File(".finished.rm.claim")))
        << "a claim nobody holds beside its finished file";
    EXPECT_FALSE(fs::exists(abandoned));
    EXPECT_TRUE(HasTemporaryFile(temp, "busy1.rm")) << "the stopped encode's file is still there";

    // The first encode goes on and finishes; during the second, the user puts a file of their own in place.
    ::kill(aPid, SIGCONT);
    ASSERT_TRUE(
        WaitFor([&] { return fs::exists(dir.File("busy1.rm")) && HasTemporaryFile(temp, "busy2.rm"); }));
    ::kill(aPid, SIGSTOP);
    testsupport::WriteBytes(dir.File("busy2.rm"), "the user's own busy2.rm");
    ::kill(aPid, SIGCONT);
    ASSERT_TRUE(a.waitForFinished(60000));
    EXPECT_EQ(a.exitCode(), 0) << a.readAllStandardError().toStdString();
    const std::vector<QJsonObject> aLines = JsonLines(a.readAllStandardOutput().toStdString());
    ASSERT_EQ(aLines.size(), 2u);
    EXPECT_EQ(Text(aLines[0], "status"), "converted") << Text(aLines[0], "error");
    EXPECT_TRUE(testsupport::Probe(dir.File("busy1.rm")).ok);
    EXPECT_EQ(Text(aLines[1], "status"), "skipped");
    EXPECT_NE(Text(aLines[1], "error").find("that file was kept"), std::string::npos)
        << Text(aLines[1], "error");
    EXPECT_EQ(testsupport::ReadBytes(dir.File("busy2.rm")), "the user's own busy2.rm");

    for (const std::string& folder : {dir.Path(), temp + "/"})
        for (const std::string& name : kTheirs)
            EXPECT_EQ(testsupport::ReadBytes(folder + name), "mine") << folder + name;
    EXPECT_EQ(Leftovers(temp), kTheirs);
    std::vector<std::string> expected = kTheirs;
    expected.push_back(".victim.rm.claim");  // the user's link, left as it was
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(Leftovers(dir.Path()), expected);
}

// parallel's wrapper closes the pipe when its ssh connection dies: the run must not die on its next line.
// The files come from a folder named on the command line, searched as the window searches a dropped one.
TEST(QuenzorConvert, AClosedOutputEndsNoRunHalfWay) {
    testsupport::ScratchDir dir;
    fs::create_directories(dir.File("media/sub"));
    Sources(dir, ShortClip(), {"media/one.avi", "media/sub/two.AVI", "media/notes.txt", "media/.hidden.avi"});
    std::vector<std::string> args = {"-c",     "\"$@\" | true; exit \"${PIPESTATUS[0]}\"",
                                     "bash",   kProgram,
                                     "--json", "--jobs",
                                     "2",      dir.File("media")};
    const testsupport::ToolResult r = testsupport::RunTool("bash", args);
    EXPECT_EQ(r.exitCode, 0) << "141 is death by SIGPIPE; " << r.err;
    EXPECT_TRUE(testsupport::Probe(dir.File("media/one.rm")).ok);
    EXPECT_TRUE(testsupport::Probe(dir.File("media/sub/two.rm")).ok);
    EXPECT_EQ(testsupport::FolderEntries(dir.File("media")),
              (std::vector<std::string>{".hidden.avi", "notes.txt", "one.avi", "one.rm", "sub"}));
    EXPECT_EQ(testsupport::FolderEntries(dir.File("media/sub")),
              (std::vector<std::string>{"two.AVI", "two.rm"}));
}

TEST(QuenzorConvert, GnuParallelRecipe) {
    const QString parallel = QStandardPaths::findExecutable("parallel");
    if (parallel.isEmpty())
        GTEST_SKIP() << "GNU parallel is not installed (scripts/install-deps.sh installs it)";
    testsupport::ScratchDir dir;
    std::vector<std::string> names;
    for (int i = 0; i < 6; ++i)
        names.push_back("clip" + std::to_string(i) + ".avi");
    const std::vector<std::string> sources = Sources(dir, ShortClip(), names);

    // The README's recipe with this machine as the only login, two job slots on it (":" is the local
    // machine, no ssh), many files per call.
    auto recipe = [&] {
        QStringList args = {"--will-cite", "--sshlogin", "2/:", "-X", QString::fromStdString(kProgram),
                            "--json",      "--quiet",    ":::"};
        for (const std::string& s : sources)
            args << QString::fromStdString(s);
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", QString::fromStdString(dir.Path()));  // parallel keeps its state there
        p.setProcessEnvironment(env);
        p.start(parallel, args);
        EXPECT_TRUE(p.waitForFinished(120000));
        EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
        return StatusBySource(JsonLines(p.readAllStandardOutput().toStdString()));
    };

    const auto first = recipe();
    ASSERT_EQ(first.size(), names.size());
    for (const auto& [name, status] : first)
        EXPECT_EQ(status, "converted") << name;
    // Run again after an interruption, it picks up where it stopped: here, nothing is left to do.
    const auto second = recipe();
    ASSERT_EQ(second.size(), names.size());
    for (const auto& [name, status] : second)
        EXPECT_EQ(status, "skipped") << name;
}

// Sources as people have them, made here: a phone's upright movie, a loud DVD program, loud in-phase
// stereo, a name from an old archive, names with a colon, a RealMedia file and a link to a source.
TEST(QuenzorConvert, RealWorldSourcesComeOutRight) {
    testsupport::ScratchDir dir;
    const auto make = [](std::vector<std::string> args) {
        args.insert(args.begin(), {"-v", "error", "-y"});
        const testsupport::ToolResult r = testsupport::RunTool("ffmpeg", args);
        ASSERT_EQ(r.exitCode, 0) << r.err;
    };
    // Stored landscape with its left half black, shown a quarter turn clockwise as the display matrix of
    // its track header says (as a phone held upright records): upright, black on top.
    make({"-f", "lavfi", "-i",
          "color=white:s=320x176:r=10:d=1,drawbox=x=0:y=0:w=160:h=176:color=black:t=fill", "-c:v", "mpeg4",
          "-q:v", "2", dir.File("phone.mov")});
    std::string movie = testsupport::ReadBytes(dir.File("phone.mov"));
    const std::size_t header = movie.find("tkhd");
    ASSERT_NE(header, std::string::npos);
    ASSERT_EQ(movie[header + 4], 0);  // version 0: the matrix follows 40 bytes of times and sizes
    const std::uint32_t turned[9] = {0, 0x10000, 0, 0xFFFF0000, 0, 0, 0, 0, 0x40000000};
    for (int i = 0; i < 9; ++i)
        for (int b = 0; b < 4; ++b)
            movie[header + 44 + static_cast<std::size_t>(i * 4 + b)] =
                static_cast<char>(turned[i] >> (24 - 8 * b));
    testsupport::WriteBytes(dir.File("phone.mov"), movie);
    const std::string tone = "0.9*sin(2*PI*440*t)";
    make({"-f", "lavfi", "-i",
          "aevalsrc=" + tone + "|" + tone + "|" + tone + "|" + tone + "|" + tone + "|" + tone +
              ":c=5.1:s=48000:d=2",
          "-c:a", "ac3", "-b:a", "448k", "-f", "vob", dir.File("dvd.mpg")});
    make({"-f", "lavfi", "-i", "aevalsrc=" + tone + "|" + tone + ":c=stereo:s=44100:d=2",
          dir.File("loud.wav")});
    for (const char* name : {"M\xfcller.wav", "pipe:0.wav", "subfile,,start,0,end,1000,,:y.wav"})
        fs::copy_file(dir.File("loud.wav"), dir.File(name));

    // Names with a colon are files too, also given relative to the working folder; a name that is not
    // UTF-8 is passed through a shell, which keeps its bytes.
    const testsupport::ToolResult mono = testsupport::RunTool(
        "sh", {"-c",
               "cd \"$1\" && exec \"$2\" --json --audience 512k --audio voice phone.mov dvd.mpg loud.wav "
               "\"$(printf 'M\\374ller.wav')\" pipe:0.wav subfile,,start,0,end,1000,,:y.wav",
               "sh", dir.Path(), kProgram});
    EXPECT_EQ(mono.exitCode, 0) << mono.err;
    for (const QJsonObject& line : JsonLines(mono.out))
        EXPECT_EQ(Text(line, "status"), "converted") << Text(line, "source") << Text(line, "error");
    // The destination keeps the source's bytes (looked at under another name: tools take UTF-8 names).
    fs::copy_file(dir.File("M\xfcller.rm"), dir.File("latin.rm"));
    for (const char* name : {"latin.rm", "pipe:0.rm", "subfile,,start,0,end,1000,,:y.rm"})
        EXPECT_TRUE(testsupport::Probe(dir.File(name)).ok) << name;

    const testsupport::ProbeInfo phone = testsupport::Probe(dir.File("phone.rm"));
    ASSERT_TRUE(phone.ok) << phone.error;
    ASSERT_EQ(phone.streams.size(), 1u);
    EXPECT_LT(phone.streams[0].width, phone.streams[0].height);
    const testsupport::ToolResult picture =
        testsupport::RunTool("ffmpeg", {"-v", "error", "-i", dir.File("phone.rm"), "-frames:v", "1", "-f",
                                        "rawvideo", "-pix_fmt", "gray", "-"});
    const std::size_t pixels = static_cast<std::size_t>(phone.streams[0].width * phone.streams[0].height);
    ASSERT_EQ(picture.out.size(), pixels);
    const auto mean = [&](std::size_t from, std::size_t to) {
        double sum = 0;
        for (std::size_t i = from; i < to; ++i)
            sum += static_cast<unsigned char>(picture.out[i]);
        return sum / static_cast<double>(to - from);
    };
    EXPECT_LT(mean(0, pixels / 3), 64);            // the top third black
    EXPECT_GT(mean(pixels * 2 / 3, pixels), 192);  // the bottom third white

    // Loud sound mixed down to fewer channels stays within full scale and near the source's level.
    std::vector<std::pair<std::string, double>> peaks = {
        {"dvd.rm (5.1 to mono AC-3)", PeakDb(dir.File("dvd.rm"))},
        {"loud.rm (stereo to mono AC-3)", PeakDb(dir.File("loud.rm"))}};
    fs::create_directories(dir.File("stereo"));
    fs::create_directories(dir.File("voice"));
    const Outcome stereo = Convert({"--audience", "512k", "--audio", "stereo-music", "--output-dir",
                                    dir.File("stereo"), dir.File("dvd.mpg")});
    const Outcome voice = Convert(
        {"--audience", "28k", "--output-dir", dir.File("voice"), dir.File("dvd.mpg"), dir.File("loud.wav")});
    EXPECT_EQ(stereo.exitCode, 0) << stereo.err;
    EXPECT_EQ(voice.exitCode, 0) << voice.err;
    peaks.emplace_back("dvd.rm (5.1 to stereo AC-3)", PeakDb(dir.File("stereo/dvd.rm")));
    peaks.emplace_back("dvd.rm (5.1 to 14.4)", PeakDb(dir.File("voice/dvd.rm")));
    peaks.emplace_back("loud.rm (stereo to 14.4)", PeakDb(dir.File("voice/loud.rm")));
    // The 14.4 codec's decoder stops at full scale itself and overshoots a loud tone on its own: its
    // mix is measured for the level it keeps.
    for (const auto& [what, peak] : peaks) {
        if (what.find("14.4") == std::string::npos) {
            EXPECT_LE(peak, 0.0) << what;
        }
        EXPECT_GE(peak, -4.0) << what;
    }

    // Never onto a source: a RealMedia source is its own destination, a hard link is the same file.
    fs::create_directories(dir.File("links"));
    fs::copy_file(dir.File("loud.wav"), dir.File("links/song.wav"));
    fs::create_hard_link(dir.File("links/song.wav"), dir.File("links/song.rm"));
    const std::string rm = testsupport::ReadBytes(dir.File("loud.rm"));
    const std::string wav = testsupport::ReadBytes(dir.File("links/song.wav"));
    const Outcome onto = Convert({"--overwrite", dir.File("loud.rm"), dir.File("links/song.wav")});
    EXPECT_EQ(onto.exitCode, 1);
    EXPECT_NE(onto.err.find(dir.File("loud.rm") + " is the source file " + dir.File("loud.rm")),
              std::string::npos)
        << onto.err;
    EXPECT_NE(onto.err.find(dir.File("links/song.rm") + " is the source file " + dir.File("links/song.wav")),
              std::string::npos)
        << onto.err;
    EXPECT_EQ(testsupport::ReadBytes(dir.File("loud.rm")), rm);
    EXPECT_EQ(testsupport::ReadBytes(dir.File("links/song.wav")), wav);
    for (const auto& [what, peak] : peaks)
        std::printf("peak %s: %.1f dBFS\n", what.c_str(), peak);
}
