#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <iostream>
#include <random>
#include <thread>

#include "platform/core/TempFiles.h"
#include "settings/IniFiles32.h"
#include "settings/Settings.h"
#include "support/FileHelpers.h"

using namespace settings;
using namespace std::string_literals;
using testsupport::ReadBytes;
using testsupport::ScratchDir;
using testsupport::WriteBytes;

namespace {
const ClipDefaults Product{"Vastrel Quenzor", "Vastrel"};

TSettings Loaded(const std::string& path) {
    TSettings s;
    LoadSettings(s, path, Product);
    return s;
}

const char* const SavedFromNothing =
    "\r\n[option]\r\nfiletype=1\r\n28KModem=0\r\n56KModem=1\r\nSingleISDN=0\r\nDualISDN=0\r\nCorporateLAN="
    "0\r\n"
    "256KDSLCableModem=1\r\n384KDSLCableModem=0\r\n512KDSLCableModem=0\r\nAudioFormat=0\r\nVideoQuality=0\r\n"
    "Title=Vastrel Quenzor\r\nAuther=Vastrel Quenzor\r\nCopyright=Vastrel\r\nKeywords=Vastrel Quenzor\r\n"
    "Description=Vastrel Quenzor\r\nTempDirectory=/tmp/\r\nMaxConverFile=200\r\n";
}  // namespace

TEST(Settings, FirstStartTakesProductDefaultsAndTheSaveWritesAllKeysInOrder) {
    ScratchDir dir;
    const std::string path = dir.File("data.ini");
    TSettings s = Loaded(path);
    EXPECT_FALSE(testsupport::FolderEntries(dir.Path()).size()) << "a load never creates data.ini";
    EXPECT_EQ(s.filetype, 1);
    EXPECT_TRUE(s.Modem56K && s.DSLCableModem256K);
    EXPECT_FALSE(s.Modem28K || s.SingleISDN || s.DualISDN || s.CorporateLAN || s.DSLCableModem384K ||
                 s.DSLCableModem512K);
    EXPECT_EQ(s.AudioFormat, 0);
    EXPECT_EQ(s.VideoQuality, 0);
    EXPECT_EQ(s.Title, "Vastrel Quenzor");
    EXPECT_EQ(s.Auther, "Vastrel Quenzor");
    EXPECT_EQ(s.Keywords, "Vastrel Quenzor");
    EXPECT_EQ(s.Description, "Vastrel Quenzor");
    EXPECT_EQ(s.Copyright, "Vastrel");
    EXPECT_EQ(s.TempDirectory, DefaultTempDirectory);
    EXPECT_EQ(s.MaxConverFile, 200);
    EXPECT_EQ(s, DefaultSettings(Product));

    SaveSettings(s, path);
    EXPECT_EQ(ReadBytes(path), SavedFromNothing);
    EXPECT_EQ(Loaded(path), s) << "a saved record loads back unchanged";

    // Every field a value of its own: each key is written from its own field, in its format.
    TSettings own = s;
    own.filetype = 0;
    own.Modem28K = own.SingleISDN = own.DualISDN = own.DSLCableModem512K = true;
    own.Modem56K = own.DSLCableModem256K = false;
    own.AudioFormat = -1;
    own.VideoQuality = 3;
    own.Title = "t";
    own.Auther = "a";
    own.Copyright = "c";
    own.Keywords = "k";
    own.Description = "d";
    own.TempDirectory = "/scratch/";
    own.MaxConverFile = 1000;
    SaveSettings(own, path);
    EXPECT_EQ(ReadBytes(path),
              "\r\n[option]\r\nfiletype=0\r\n28KModem=1\r\n56KModem=0\r\nSingleISDN=1\r\nDualISDN=1\r\n"
              "CorporateLAN=0\r\n256KDSLCableModem=0\r\n384KDSLCableModem=0\r\n512KDSLCableModem=1\r\n"
              "AudioFormat=-1\r\nVideoQuality=3\r\nTitle=t\r\nAuther=a\r\nCopyright=c\r\nKeywords=k\r\n"
              "Description=d\r\nTempDirectory=/scratch/\r\nMaxConverFile=1000\r\n");
    EXPECT_EQ(Loaded(path), own);
    // Each audience's key loads into its own flag.
    const std::pair<const char*, bool TSettings::*> audiences[] = {
        {"28KModem", &TSettings::Modem28K},
        {"56KModem", &TSettings::Modem56K},
        {"SingleISDN", &TSettings::SingleISDN},
        {"DualISDN", &TSettings::DualISDN},
        {"CorporateLAN", &TSettings::CorporateLAN},
        {"256KDSLCableModem", &TSettings::DSLCableModem256K},
        {"384KDSLCableModem", &TSettings::DSLCableModem384K},
        {"512KDSLCableModem", &TSettings::DSLCableModem512K}};
    TSettings none = DefaultSettings(ClipDefaults{});
    none.Modem56K = none.DSLCableModem256K = false;
    for (const auto& [key, flag] : audiences) {
        std::string text = "[option]\r\n";
        for (const auto& other : audiences)
            text += std::string(other.first) + (other.first == key ? "=1\r\n" : "=0\r\n");
        WriteBytes(path, text);
        TSettings expected = none;
        expected.*flag = true;
        EXPECT_EQ(Loaded(path), expected) << key;
    }
}

TEST(Settings, AnExistingFileGivesEmptyClipDefaults) {
    ScratchDir dir;
    const std::string path = dir.File("data.ini");
    WriteBytes(path, "[option]");
    TSettings s = Loaded(path);
    TSettings expected = DefaultSettings(ClipDefaults{});
    EXPECT_EQ(s, expected);
    EXPECT_EQ(s.Title, "");

    WriteBytes(path, "[option]\r\nTitle=\r\nAuther=me\r\n");
    s = Loaded(path);
    EXPECT_EQ(s.Title, "");
    EXPECT_EQ(s.Auther, "me");
}

TEST(Settings, StoredValuesLoadAsWrittenAndAreNotClamped) {
    ScratchDir dir;
    const std::string path = dir.File("data.ini");
    WriteBytes(
        path,
        "[option]\r\nfiletype=0\r\nAudioFormat=-1\r\nVideoQuality=4\r\nMaxConverFile=5000\r\n28KModem=2\r\n"
        "56KModem=0\r\nSingleISDN=yes\r\nTempDirectory= /scratch/ \r\n");
    TSettings s = Loaded(path);
    EXPECT_EQ(s.filetype, 0);
    EXPECT_EQ(s.AudioFormat, -1);
    EXPECT_EQ(s.VideoQuality, 4);
    EXPECT_EQ(s.MaxConverFile, 5000);
    EXPECT_TRUE(s.Modem28K);
    EXPECT_FALSE(s.Modem56K);
    EXPECT_FALSE(s.SingleISDN) << "a word is not a number: the default";
    EXPECT_EQ(s.TempDirectory, "/scratch/");
    SaveSettings(s, path);
    const std::string saved = ReadBytes(path);
    EXPECT_NE(saved.find("\r\nAudioFormat=-1\r\n"), std::string::npos);
    EXPECT_NE(saved.find("\r\nMaxConverFile=5000\r\n"), std::string::npos);
    EXPECT_NE(saved.find("\r\n28KModem=1\r\n"), std::string::npos);
}

TEST(Settings, OtherKeysSectionsAndUnreadableLinesStayInPlace) {
    ScratchDir dir;
    const std::string path = dir.File("data.ini");
    const std::string garbage = "\x01\xff\xfe garbage \x7f";
    WriteBytes(path, "[first]\r\nx=1\r\n[option]\r\nextra=keep\r\n" + garbage +
                         "\r\nTitle=t\r\n\r\n[last]\r\ny=2\r\n");
    TSettings s = Loaded(path);
    EXPECT_EQ(s.Title, "t");
    SaveSettings(s, path);
    const std::string saved = ReadBytes(path);
    const std::string head = "[first]\r\nx=1\r\n[option]\r\nextra=keep\r\n" + garbage + "\r\nTitle=t\r\n\r\n";
    EXPECT_EQ(saved.substr(0, head.size()), head);
    EXPECT_NE(saved.find("\r\n\r\nfiletype=1\r\n"), std::string::npos);
    EXPECT_NE(saved.find("MaxConverFile=200\r\n[last]\r\ny=2\r\n"), std::string::npos)
        << "new keys go directly before the next section";
}

TEST(Settings, CrOnlyLineEndsAndNulBytesLoadByTheLineRules) {
    ScratchDir dir;
    const std::string path = dir.File("data.ini");
    WriteBytes(path, "[option]\rfiletype=0\rTitle=ok\rAuther=a\0b\rKeywords=kept\r"s);
    TSettings s = Loaded(path);
    EXPECT_EQ(s.filetype, 0);
    EXPECT_EQ(s.Title, "ok");
    EXPECT_EQ(s.Auther, "a\0b"s);
    EXPECT_EQ(s.Keywords, "kept");
    SaveSettings(s, path);
    EXPECT_EQ(Loaded(path), s) << "a NUL byte is saved and loaded back like any other";
}

TEST(Settings, AFolderNamedDataIniLoadsDefaultsAndFailsTheSaveWithTheReason) {
    ScratchDir dir;
    const std::string path = dir.File("data.ini");
    ::mkdir(path.c_str(), 0777);
    TSettings s = Loaded(path);
    EXPECT_EQ(s, DefaultSettings(Product));
    try {
        SaveSettings(s, path);
        ADD_FAILURE() << "saving over a folder must fail";
    } catch (const EFileError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file \"" + path + "\". Is a directory");
    }
}

TEST(Settings, AnUnreadableFileReportsAndLeavesDefaultsAndAnUnwritableOneIsKept) {
    ScratchDir dir;
    const std::string path = dir.File("data.ini");
    WriteBytes(path, "[option]\r\nfiletype=0\r\nTitle=t\r\n");
    ::chmod(path.c_str(), 0);
    std::string outcome = testsupport::RunUnprivileged([&] {
        TSettings s;
        s.MaxConverFile = 7;
        try {
            LoadSettings(s, path, Product);
        } catch (const EFileError& e) {
            return std::string(e.what()) + (s == DefaultSettings(ClipDefaults{}) ? " defaults" : " other");
        }
        return std::string("loaded");
    });
    EXPECT_EQ(outcome, "Cannot open file \"" + path + "\". Permission denied defaults");

    ::chmod(path.c_str(), 0444);
    outcome = testsupport::RunUnprivileged([&] {
        SaveSettings(DefaultSettings(Product), path);
        return std::string("saved");
    });
    EXPECT_EQ(outcome, "exception: Cannot create file \"" + path + "\". Permission denied");
    EXPECT_EQ(ReadBytes(path), "[option]\r\nfiletype=0\r\nTitle=t\r\n");
}

TEST(StartCounter, CountsOnlyInAnExistingFileAndWritesBareDigits) {
    ScratchDir dir;
    const std::string path = dir.File("Quenzor.ini");
    IncrementStartCounter(dir.Path() + "/Quenzor.ini");
    EXPECT_TRUE(testsupport::FolderEntries(dir.Path()).empty()) << "the counter file is never created";

    const std::pair<std::string, std::string> cases[] = {
        {"41", "42"},      {"", "1"},      {" \r\n\t", "1"}, {"  41\r\n", "42"},
        {"41 junk", "42"}, {"0x1F", "32"}, {"-5", "-4"},     {"2147483647", "2147483647"},
    };
    for (const auto& [before, after] : cases) {
        WriteBytes(path, before);
        IncrementStartCounter(dir.Path() + "/Quenzor.ini");
        EXPECT_EQ(ReadBytes(path), after) << "from \"" << before << "\"";
    }
    ::mkdir(dir.File("folder.ini").c_str(), 0777);
    EXPECT_NO_THROW(IncrementStartCounter(dir.File("folder.ini")));
}

TEST(StartCounter, TextOrANumberBeyond32BitsIsInvalidInputAndTheFileStaysAsItWas) {
    ScratchDir dir;
    const std::string path = dir.File("Quenzor.ini");
    for (const std::string before : {"forty-one", "4294967296", "99999999999999999999", "12abc", "$"}) {
        WriteBytes(path, before);
        try {
            IncrementStartCounter(path);
            ADD_FAILURE() << "\"" << before << "\" was counted";
        } catch (const EInOutError& e) {
            EXPECT_EQ(std::string(e.what()), "Invalid numeric input");
        }
        EXPECT_EQ(ReadBytes(path), before);
    }
}

TEST(StartCounter, AnUnreadableOrUnwritableFileReportsTheSystemsReason) {
    ScratchDir dir;
    const std::string path = dir.File("Quenzor.ini");
    WriteBytes(path, "41");
    ::chmod(path.c_str(), 0);
    auto run = [&] {
        IncrementStartCounter(path);
        return std::string("counted");
    };
    EXPECT_EQ(testsupport::RunUnprivileged(run), "exception: Permission denied");
    ::chmod(path.c_str(), 0444);
    EXPECT_EQ(testsupport::RunUnprivileged(run), "exception: Permission denied");
    EXPECT_EQ(ReadBytes(path), "41");
}

TEST(Settings, AMillionUnknownLinesAreLoadedAndWrittenBack) {
    ScratchDir dir;
    const std::string path = dir.File("data.ini");
    std::string text = "[option]\r\nTitle=" + std::string(100000, 't') + "\r\n";
    for (int i = 0; i < 1000000; ++i)
        text += "line " + std::to_string(i) + "\r\n";
    WriteBytes(path, text);
    TSettings s = Loaded(path);
    EXPECT_EQ(s.Title.size(), 100000u);
    SaveSettings(s, path);
    const std::string saved = ReadBytes(path);
    EXPECT_EQ(saved.substr(0, text.size()), text);
    const std::string tail = saved.substr(text.size());
    EXPECT_EQ(std::count(tail.begin(), tail.end(), '\n'), 17) << "the other 17 keys follow the unknown lines";
    EXPECT_EQ(tail.substr(0, 12), "filetype=1\r\n");
}

TEST(Settings, TheNextStartRemovesTheTemporaryFilesOfKilledSavesOnly) {
    ScratchDir dir;
    const std::string path = dir.File("data.ini");
    WriteBytes(path, "[option]\r\nTitle=t\r\n");
    WriteBytes(dir.File("Quenzor.ini"), "1");
    auto name = [](const std::string& p) { return p.substr(p.rfind('/') + 1); };
    // Left by saves that were killed: nobody holds their lock any more.
    const std::string killed = platform::CreateUniqueFile(dir.File(".data.ini."), ".tmp").path;
    WriteBytes(killed, "[option]\r\nTitle=half");
    const std::string killedCounter = platform::CreateUniqueFile(dir.File(".Quenzor.ini."), ".tmp").path;
    // A save under way holds its lock (another descriptor of this process conflicts like another process).
    const platform::UniqueFile running = platform::CreateUniqueFile(dir.File(".data.ini."), ".tmp");
    ASSERT_TRUE(running.fd.Valid());
    // Our form, but a folder; our form with a wrong check, as a user might make by hand.
    const std::string folder = platform::CreateUniqueFile(dir.File(".data.ini."), ".tmp").path;
    ::unlink(folder.c_str());
    ::mkdir(folder.c_str(), 0777);
    std::string forged = name(killed);
    forged[forged.size() - 5] = forged[forged.size() - 5] == '0' ? '1' : '0';
    const std::vector<std::string> kept = {
        name(running.path),       name(folder),           forged,        ".data.ini.1-0-5.tmp",
        ".report-2023-12-07.tmp", ".notes-77777-1-1.tmp", "Quenzor.ini", "data.ini",
    };
    for (const std::string& file :
         {forged, std::string(".data.ini.1-0-5.tmp"), std::string(".report-2023-12-07.tmp"),
          std::string(".notes-77777-1-1.tmp")})
        WriteBytes(dir.File(file), "x");

    EXPECT_EQ(Loaded(dir.File("data.ini")).Title, "t");
    IncrementStartCounter(dir.File("Quenzor.ini"));
    std::vector<std::string> expected = kept;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(testsupport::FolderEntries(dir.Path()), expected);
    EXPECT_FALSE(std::filesystem::exists(killedCounter));
}

TEST(Settings, ASaveKilledAtAnyMomentLeavesTheOldOrTheNewFileAndTheNextStartTidiesUp) {
    ScratchDir dir;
    const std::string path = dir.File("data.ini");
    const std::string oldBytes =
        "[first]\r\nx=1\r\n[option]\r\nfiletype=0\r\n28KModem=1\r\n56KModem=0\r\nAudioFormat=3\r\n"
        "Title=old title\r\nTempDirectory=/old/\r\nMaxConverFile=7\r\n[last]\r\ny=2\r\n";
    WriteBytes(path, oldBytes);
    const TSettings before = Loaded(path);
    TSettings next = DefaultSettings(Product);
    next.Title = "new title";
    next.TempDirectory = "/new/";
    next.MaxConverFile = 300;

    // Each round starts a save in a child process and kills it after a random time within the span an
    // uninterrupted save takes, so that kills land before, during and after the replacement.
    auto startSave = [&] {
        const pid_t child = ::fork();
        if (child == 0) {
            SaveSettings(next, path);
            ::_exit(0);
        }
        return child;
    };
    auto started = std::chrono::steady_clock::now();
    ::waitpid(startSave(), nullptr, 0);
    const auto span =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started);
    const std::string newBytes = ReadBytes(path);
    ASSERT_NE(newBytes, oldBytes);

    std::mt19937 random(std::random_device{}());
    std::uniform_int_distribution<long> delay(0, span.count() * 5 / 4);
    int keptOld = 0;
    int gotNew = 0;
    int leftTemporary = 0;
    for (int round = 0; round < 100; ++round) {
        WriteBytes(path, oldBytes);
        const pid_t child = startSave();
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        const std::string bytes = ReadBytes(path);
        ASSERT_TRUE(bytes == oldBytes || bytes == newBytes) << "round " << round << ":\n" << bytes;
        (bytes == oldBytes ? keptOld : gotNew)++;
        leftTemporary += testsupport::FolderEntries(dir.Path()).size() > 1;
        EXPECT_EQ(Loaded(path), bytes == oldBytes ? before : next) << "round " << round;
        ASSERT_EQ(testsupport::FolderEntries(dir.Path()), std::vector<std::string>{"data.ini"})
            << "round " << round << ": the next start leaves no temporary file";
    }
    std::cout << "100 kills within " << span.count() << " us: " << keptOld << " old, " << gotNew << " new, "
              << leftTemporary << " left a temporary file\n";
}
