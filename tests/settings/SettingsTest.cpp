#include <gtest/gtest.h>
#include <sys/stat.h>
#include <algorithm>

#include "settings/IniFiles32.h"
#include "settings/Settings.h"
#include "support/FileHelpers.h"

using namespace settings;
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
    WriteBytes(path, std::string("[option]\rfiletype=0\rTitle=ok\rAuther=a\0b\rKeywords=lost\r", 52));
    TSettings s = Loaded(path);
    EXPECT_EQ(s.filetype, 0);
    EXPECT_EQ(s.Title, "ok");
    EXPECT_EQ(s.Auther, "a");
    EXPECT_EQ(s.Keywords, "");
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
