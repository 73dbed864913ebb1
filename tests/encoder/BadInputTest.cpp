#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QObject>
#include <csignal>
#include <filesystem>
#include <random>

#include "support/EncoderHarness.h"
#include "support/FileHelpers.h"
#include "support/MediaFixtures.h"

using encoder::DispId;
using testsupport::ClipRecipe;
using testsupport::MakeClip;
namespace fs = std::filesystem;

namespace {

const std::string kEarlier = "an earlier destination, kept byte for byte";

std::string Movie(const std::string& name = "movie.avi", double seconds = 2) {
    ClipRecipe recipe;
    recipe.name = name;
    recipe.seconds = seconds;
    recipe.codecArgs = {"-c:v", "mpeg4", "-c:a", "libmp3lame"};
    return MakeClip(recipe);
}

std::string Song() {
    ClipRecipe recipe;
    recipe.name = "song.mp3";
    recipe.video = false;
    recipe.seconds = 3;
    return MakeClip(recipe);
}

// Runs one encode of `source` over an existing destination. It must end in an error event with a
// sentence, or in a file FFmpeg decodes without error; never hang, leave a temporary file, or damage
// the destination on failure. Returns the error text ("" for a good file); `seconds` takes the good
// file's length.
std::string EncodeOverExisting(const std::string& source, bool mayFail = true, double* seconds = nullptr) {
    EncoderHarness h;
    const std::string destination = h.Dir() + "out.rm";
    testsupport::WriteBytes(destination, kEarlier);
    h.Set(source, destination);
    EXPECT_TRUE(h.Encode(30000)) << source;
    EXPECT_EQ(h.Started(), 1);
    EXPECT_TRUE(LeftoverTempFiles(h.Dir()).empty());
    const std::string error = h.LastError();
    if (h.Errors() > 0) {
        EXPECT_TRUE(mayFail) << error;
        EXPECT_EQ(h.Errors(), 1);
        EXPECT_EQ(error.back(), '.') << error;
        EXPECT_EQ(testsupport::ReadBytes(destination), kEarlier);
    } else {
        const testsupport::ProbeInfo info = testsupport::Probe(destination);
        EXPECT_EQ(info.formatName, "rm");
        EXPECT_EQ(testsupport::DecodeErrors(destination), "");
        if (seconds)
            *seconds = info.duration;
    }
    return error;
}

// A small file system of our own, for a destination that is read-only or full; needs the right to
// mount (as root in a container). Unmounted at the end.
class ScratchMount {
  public:
    ScratchMount(const std::string& where, const std::string& options) : where_(where) {
        fs::create_directories(where);
        mounted_ = mount("tmpfs", where.c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~ScratchMount() {
        if (mounted_)
            umount2(where_.c_str(), MNT_DETACH);
    }
    bool Mounted() const { return mounted_; }
    void MakeReadOnly() {
        if (mounted_)
            mounted_ = mount("tmpfs", where_.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, nullptr) == 0;
    }

  private:
    std::string where_;
    bool mounted_ = false;
};

// Encodes with every file the process writes limited to 160 KB, as if the disk were full.
bool EncodeWithFileSizeLimit(EncoderHarness& h) {
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    auto oldSignal = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 160 * 1024;
    setrlimit(RLIMIT_FSIZE, &small);
    const bool ended = h.Encode();
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldSignal);
    return ended;
}
}  // namespace

TEST(BadInput, UnreadableSourcesEndInAnErrorSentence) {
    const std::string dir = testsupport::FixtureDir() + "/bad/";
    fs::create_directories(dir);
    EXPECT_EQ(EncodeOverExisting(dir + "missing.avi"),
              "Cannot read the source file " + dir + "missing.avi: No such file or directory.");
    testsupport::WriteBytes(dir + "empty.avi", "");
    EXPECT_EQ(
        EncodeOverExisting(dir + "empty.avi").rfind("Cannot read the source file " + dir + "empty.avi: ", 0),
        0u);
    testsupport::WriteBytes(dir + "text.wav", "This is a note about the concert, not a sound file.\n");
    EXPECT_EQ(EncodeOverExisting(dir + "text.wav"),
              "Cannot read the source file " + dir + "text.wav: Invalid data found when processing input.");
    testsupport::WriteBytes(dir + "fake.mp3", "A text file that took a song's name.\n");
    EXPECT_EQ(
        EncodeOverExisting(dir + "fake.mp3"),
        "Cannot read the source file " + dir + "fake.mp3: it is not a media file this program can read.");
    mkfifo((dir + "pipe.avi").c_str(), 0600);  // nobody writes: opening it would wait for ever
    EXPECT_EQ(EncodeOverExisting(dir + "pipe.avi"),
              "Cannot read the source file " + dir + "pipe.avi: it is not a file but a device or pipe.");
    fs::create_directories(dir + "folder.avi");
    EXPECT_EQ(EncodeOverExisting(dir + "folder.avi"),
              "Cannot read the source file " + dir + "folder.avi: it is a folder, not a media file.");
}

TEST(BadInput, DamagedSourcesGiveAnErrorOrAGoodFile) {
    const std::string dir = testsupport::FixtureDir() + "/damaged/";
    fs::create_directories(dir);
    std::mt19937 random(42);
    std::string noise(64 * 1024, '\0');
    for (char& c : noise)
        c = static_cast<char>(random());
    testsupport::WriteBytes(dir + "noise.avi", noise);
    EncodeOverExisting(dir + "noise.avi");
    for (const std::string& source : {Song(), Movie()}) {
        const std::string whole = testsupport::ReadBytes(source);
        const std::string half = dir + "half-" + fs::path(source).filename().string();
        testsupport::WriteBytes(half, whole.substr(0, whole.size() / 2));
        EncodeOverExisting(half);
    }
    // Sound stamped tens of millions of years after the picture: its sample counts must not overflow.
    const auto far = testsupport::RunTool("ffmpeg", {"-v",
                                                     "error",
                                                     "-y",
                                                     "-f",
                                                     "lavfi",
                                                     "-i",
                                                     "testsrc=size=160x120:rate=10:duration=1",
                                                     "-f",
                                                     "lavfi",
                                                     "-i",
                                                     "sine=sample_rate=22050:duration=1",
                                                     "-c:v",
                                                     "ffv1",
                                                     "-c:a",
                                                     "pcm_s16le",
                                                     "-enc_time_base:a",
                                                     "1:1000",
                                                     "-bsf:a",
                                                     "setts=ts=TS+1200000000000000000",
                                                     dir + "far-sound.mkv"});
    ASSERT_EQ(far.exitCode, 0) << far.err;
    EncodeOverExisting(dir + "far-sound.mkv");
    // Pictures whose times leap a day ahead after a second (an MPEG's clock gone wrong), once beside
    // sound that goes on, once alone where the source claims to last over three hours: the leap is
    // joined up, not filled picture by picture, which took the memory without end.
    for (const bool sound : {true, false}) {
        const std::string leap = dir + (sound ? "leap-day.mpg" : "leap-alone.mpg");
        std::vector<std::string> args = {
            "-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=size=320x240:rate=25:duration=2"};
        if (sound)
            args.insert(args.end(),
                        {"-f", "lavfi", "-i", "sine=sample_rate=44100:duration=2", "-c:a", "mp2"});
        args.insert(args.end(), {"-c:v", "mpeg1video", "-bsf:v",
                                 std::string("setts=ts=if(gte(N\\,25)\\,TS+") + (sound ? "93952" : "12000") +
                                     "*90000\\,TS)",
                                 "-f", "mpeg", leap});
        const auto made = testsupport::RunTool("ffmpeg", args);
        ASSERT_EQ(made.exitCode, 0) << made.err;
        ASSERT_GT(testsupport::Probe(leap).duration, 10000) << "the source must claim the leap";
        double seconds = -1;
        EXPECT_EQ(EncodeOverExisting(leap, false, &seconds), "");
        EXPECT_GT(seconds, 1.5) << leap;
        EXPECT_LT(seconds, 3) << leap;
    }
}

// A stream in a format nobody knows fails the encode only when the user wants that stream.
TEST(BadInput, AnUnknownSoundFailsOnlyWhenSoundIsWanted) {
    std::string bytes = testsupport::ReadBytes(Movie());
    const size_t format = bytes.find("strf", bytes.find("auds"));
    ASSERT_NE(format, std::string::npos);
    bytes[format + 8] = bytes[format + 9] = '\x77';  // the sound's format tag: no such codec
    const std::string source = testsupport::FixtureDir() + "/unknown-sound.avi";
    testsupport::WriteBytes(source, bytes);
    EXPECT_EQ(EncodeOverExisting(source), "Cannot read the source file " + source +
                                              ": its audio is in a format this program does not know.");

    EncoderHarness h;
    const std::string destination = h.Dir() + "out.rm";
    h.Set(source, destination);
    h.Control().setInputDoAudio(false);
    ASSERT_TRUE(h.Encode());
    EXPECT_EQ(h.Errors(), 0) << h.LastError();
    const testsupport::ProbeInfo info = testsupport::Probe(destination);
    EXPECT_EQ(StreamCount(info, "video"), 1);
    EXPECT_EQ(StreamCount(info, "audio"), 0);
    EXPECT_EQ(testsupport::DecodeErrors(destination), "");
}

TEST(BadInput, NonAsciiSourceNamesAreRead) {
    ClipRecipe recipe;
    recipe.name = "Ärger über Öl – 日本語.avi";
    recipe.codecArgs = {"-c:v", "mpeg4", "-c:a", "pcm_s16le"};
    const std::string clip = MakeClip(recipe);
    EXPECT_EQ(EncodeOverExisting(clip, false), "");
    // A Latin-1 name (not UTF-8) reaches the file byte for byte.
    testsupport::ScratchDir dir;
    fs::copy_file(clip, dir.File("M\xfcller \xe4\xb8.avi"));
    EXPECT_EQ(EncodeOverExisting(dir.File("M\xfcller \xe4\xb8.avi"), false), "");
    // The error text names such a file readably.
    EXPECT_EQ(
        EncodeOverExisting(dir.File("gone \xfc.avi")),
        "Cannot read the source file " + dir.File("gone \xEF\xBF\xBD.avi") + ": No such file or directory.");
}

TEST(BadInput, UnwritableDestinationsEndInAnErrorSentence) {
    EncoderHarness h;
    h.Set(Movie(), h.Dir() + "no such folder/out.rm");
    ASSERT_TRUE(h.Encode());
    EXPECT_EQ(h.LastError(), "Cannot write the destination file " + h.Dir() +
                                 "no such folder/out.rm: the folder " + h.Dir() +
                                 "no such folder does not exist.");

    EncoderHarness g;
    fs::create_directory(g.Dir() + "taken.rm");
    g.Set(Movie(), g.Dir() + "taken.rm");
    ASSERT_TRUE(g.Encode());
    EXPECT_EQ(g.LastError(), "Cannot write the destination file " + g.Dir() + "taken.rm: it is a folder.");
    EXPECT_TRUE(fs::is_directory(g.Dir() + "taken.rm"));

    // The source itself, here through a link: refused, the source kept byte for byte.
    EncoderHarness l;
    fs::copy_file(Movie(), l.Dir() + "movie.avi");
    fs::create_symlink(l.Dir() + "movie.avi", l.Dir() + "movie.rm");
    const std::string before = testsupport::ReadBytes(l.Dir() + "movie.avi");
    l.Set(l.Dir() + "movie.avi", l.Dir() + "movie.rm");
    ASSERT_TRUE(l.Encode());
    EXPECT_EQ(l.LastError(),
              "The destination file " + l.Dir() + "movie.rm is the source file " + l.Dir() +
                  "movie.avi itself; the source was left as it was. Choose another output folder.");
    EXPECT_EQ(testsupport::ReadBytes(l.Dir() + "movie.avi"), before);
}

TEST(BadInput, ReadOnlyDestinationFolderIsReported) {
    EncoderHarness h;
    const std::string folder = h.Dir() + "locked";
    ScratchMount mount(folder, "size=1m");
    if (mount.Mounted()) {
        testsupport::WriteBytes(folder + "/out.rm", kEarlier);
        mount.MakeReadOnly();
    } else {
        testsupport::WriteBytes(folder + "/out.rm", kEarlier);
        chmod(folder.c_str(), 0555);
        if (access(folder.c_str(), W_OK) == 0)
            GTEST_SKIP() << "cannot make a read-only folder here";
    }
    h.Set(Movie(), folder + "/out.rm");
    ASSERT_TRUE(h.Encode());
    EXPECT_EQ(h.LastError().rfind("Cannot write the destination file " + folder + "/out.rm: the folder " +
                                      folder + " cannot be written to (",
                                  0),
              0u)
        << h.LastError();
    EXPECT_EQ(testsupport::ReadBytes(folder + "/out.rm"), kEarlier);
    chmod(folder.c_str(), 0755);
}

TEST(BadInput, AFullDiskLeavesTheEarlierDestination) {
    const std::string source = BusyMovie();
    EncoderHarness h;
    const std::string folder = h.Dir() + "small";
    ScratchMount mount(folder, "size=160k");
    fs::create_directories(folder);
    const std::string destination = folder + "/out.rm";
    testsupport::WriteBytes(destination, kEarlier);
    h.Set(source, destination, DispId::Target512KDSLCableModem);

    // Without a small file system, a file-size limit stands in for the full disk.
    const bool ended = mount.Mounted() ? h.Encode() : EncodeWithFileSizeLimit(h);
    ASSERT_TRUE(ended);
    EXPECT_EQ(h.Errors(), 1);
    // Named by the destination the user chose, not by the temporary file.
    EXPECT_EQ(h.LastError().rfind("Cannot write the file \"" + destination + "\": ", 0), 0u) << h.LastError();
    EXPECT_EQ(testsupport::ReadBytes(destination), kEarlier);
    EXPECT_TRUE(LeftoverTempFiles(folder).empty());
}

// When the temporary folder runs out of room, the sentence names that folder too: the destination's
// disk may have plenty.
TEST(BadInput, AFullTemporaryFolderIsNamedInTheError) {
    const std::string source = BusyMovie();
    EncoderHarness h;
    const std::string temp = h.Dir() + "temp";
    fs::create_directories(temp);
    const std::string destination = h.Dir() + "out.rm";
    testsupport::WriteBytes(destination, kEarlier);
    h.Set(source, destination, DispId::Target512KDSLCableModem);
    h.Control().setTempDirectory(temp);

    const bool ended = EncodeWithFileSizeLimit(h);
    ASSERT_TRUE(ended);
    EXPECT_EQ(h.Errors(), 1);
    EXPECT_EQ(h.LastError().rfind("Cannot write the file \"" + destination + "\": ", 0), 0u) << h.LastError();
    EXPECT_NE(h.LastError().find("temporary folder " + temp + " "), std::string::npos) << h.LastError();
    EXPECT_EQ(testsupport::ReadBytes(destination), kEarlier);
    EXPECT_TRUE(LeftoverTempFiles(temp).empty());
}

TEST(BadInput, ATemporaryFolderOnAnotherFileSystemStillReplacesTheDestinationWhole) {
    EncoderHarness h;
    const std::string temp = h.Dir() + "elsewhere";
    ScratchMount mount(temp, "size=4m");
    if (!mount.Mounted())
        GTEST_SKIP() << "cannot mount a second file system here";
    const std::string destination = h.Dir() + "out.rm";
    testsupport::WriteBytes(destination, kEarlier);
    h.Set(Movie(), destination);
    h.Control().setTempDirectory(temp);
    ASSERT_TRUE(h.Encode());
    EXPECT_EQ(h.Errors(), 0) << h.LastError();
    EXPECT_EQ(testsupport::Probe(destination).formatName, "rm");
    EXPECT_TRUE(LeftoverTempFiles(temp).empty());
    EXPECT_TRUE(LeftoverTempFiles(h.Dir()).empty());

    // The destination's disk has no room for the finished file carried across: named as a full disk,
    // the earlier file kept.
    EncoderHarness g;
    const std::string small = g.Dir() + "small";
    ScratchMount tiny(small, "size=4k");
    ASSERT_TRUE(tiny.Mounted());
    const std::string cramped = small + "/out.rm";
    testsupport::WriteBytes(cramped, kEarlier);
    g.Set(Movie(), cramped);
    g.Control().setTempDirectory(g.Dir());
    ASSERT_TRUE(g.Encode());
    EXPECT_EQ(g.LastError(), "Cannot write the destination file " + cramped + ": the disk is full.");
    EXPECT_EQ(testsupport::ReadBytes(cramped), kEarlier);
    EXPECT_TRUE(LeftoverTempFiles(small).empty());
    EXPECT_TRUE(LeftoverTempFiles(g.Dir()).empty());
}

// A source cut short or replaced while it is read fails; the file would hold only part of it.
TEST(BadInput, ASourceThatChangesWhileReadFailsAndKeepsTheDestination) {
    for (const bool replace : {false, true}) {
        EncoderHarness h;
        const std::string source = h.Dir() + "growing.avi";
        fs::copy_file(BusyMovie(), source);
        const std::string destination = h.Dir() + "out.rm";
        testsupport::WriteBytes(destination, kEarlier);
        h.Set(source, destination, DispId::Target512KDSLCableModem);
        bool changed = false;
        QObject::connect(&h.Control(), &conversion::TProducerControl::EncodingProgressChanged, [&] {
            if (changed)
                return;
            changed = true;
            if (replace) {
                testsupport::WriteBytes(source + ".new", testsupport::ReadBytes(source));
                fs::rename(source + ".new", source);
            } else {
                fs::resize_file(source, fs::file_size(source) / 3);
            }
        });
        ASSERT_TRUE(h.Encode());
        EXPECT_TRUE(changed);
        EXPECT_EQ(h.LastError(),
                  "Cannot read the source file " + source +
                      ": the source changed while it was read; convert it again once it is whole.")
            << replace;
        EXPECT_EQ(testsupport::ReadBytes(destination), kEarlier);
        EXPECT_TRUE(LeftoverTempFiles(h.Dir()).empty());
    }
}
