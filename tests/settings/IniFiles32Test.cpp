#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fcntl.h>
#include <chrono>

#include "platform/Application.h"
#include "platform/Dialogs.h"
#include "platform/core/Paths.h"
#include "settings/IniFiles32.h"
#include "support/FileHelpers.h"

using settings::TIniFile32;
using namespace std::string_literals;
using testsupport::ReadBytes;
using testsupport::ScratchDir;
using testsupport::WriteBytes;

namespace {

// A store on a file holding exactly `bytes`.
struct StoreOn {
    ScratchDir dir;
    std::string path = dir.File("data.ini");
    explicit StoreOn(const std::string& bytes) { WriteBytes(path, bytes); }
    TIniFile32 Open() const { return TIniFile32(path); }
};

}  // namespace

TEST(IniFile, WritingIntoNothingGivesEmptyLineHeaderAndKey) {
    ScratchDir dir;
    const std::string path = dir.File("data.ini");
    {
        TIniFile32 ini(path);
        EXPECT_TRUE(ini.Lines.empty());
        EXPECT_FALSE(platform::FileExists(path)) << "nothing is created before the first write";
        ini.WriteString("option", "filetype", "1");
        EXPECT_EQ(ReadBytes(path), "\r\n[option]\r\nfiletype=1\r\n");
        ini.WriteString("option", "Title", " a = b ");
        ini.WriteString("other", "", "ignored");
    }
    EXPECT_EQ(ReadBytes(path), "\r\n[option]\r\nfiletype=1\r\nTitle= a = b \r\n\r\n[other]\r\n");
}

TEST(IniFile, SectionsAreFoundWithoutLetterCaseButKeysNeedExactCase) {
    StoreOn f("[OPTION]\r\ntitle=x\r\n\r\n[next]\r\nTitle=y\r\n");
    TIniFile32 ini = f.Open();
    EXPECT_EQ(ini.FindSection("option"), 0);
    EXPECT_EQ(ini.ReadString("option", "title", "d"), "x");
    EXPECT_EQ(ini.ReadString("option", "Title", "d"), "d");
    ini.WriteString("option", "Title", "z");
    EXPECT_EQ(ReadBytes(f.path), "[OPTION]\r\ntitle=x\r\n\r\nTitle=z\r\n[next]\r\nTitle=y\r\n")
        << "a new key goes directly before the next header, after the empty lines";
    ini.WriteString("option", "title", "w");
    EXPECT_EQ(ini.Lines[1], "title=w") << "an existing key is replaced where it stands";
}

TEST(IniFile, OnlyTheFirstSectionOfANameIsUsed) {
    StoreOn f("a=0\r\n[s]\r\nb=1\r\n[S]\r\nc=2\r\n");
    TIniFile32 ini = f.Open();
    EXPECT_EQ(ini.ReadString("s", "a", "d"), "d") << "lines before the first header are never read";
    EXPECT_EQ(ini.ReadString("s", "b", "d"), "1");
    EXPECT_EQ(ini.ReadString("s", "c", "d"), "d");
    ini.WriteString("s", "c", "3");
    EXPECT_EQ(ini.Lines, (std::vector<std::string>{"a=0", "[s]", "b=1", "c=3", "[S]", "c=2"}));
}

TEST(IniFile, HeadersAreTrimmedToClassifyButMustMatchExactlyToBeFound) {
    StoreOn f("[s]\r\nk=1\r\n  [t]  \r\nm=2\r\n[]\r\n=e\r\n[\r\nn=3\r\n");
    TIniFile32 ini = f.Open();
    EXPECT_EQ(ini.FindSection("t"), -1);
    EXPECT_EQ(ini.ReadString("s", "m", "d"), "d") << "the padded header still ends section s";
    EXPECT_EQ(ini.ReadString("", "n", "d"), "3") << "\"[\" alone is not a header";
    EXPECT_TRUE(TIniFile32::IsSectionLine("[]"));
    EXPECT_FALSE(TIniFile32::IsSectionLine("["));
    EXPECT_FALSE(TIniFile32::IsSectionLine("   "));
    EXPECT_TRUE(TIniFile32::IsSectionLine("\t[x]\x01"));
}

TEST(IniFile, ValuesAreTrimmedSplitAtTheFirstSeparatorAndEmptyMeansDefault) {
    StoreOn f(
        "[s]\r\n   \r\nno separator\r\n\t key \t=\t v 1 \x02\r\nurl=a=b=c\r\nempty=\r\ndup=\r\ndup=2\r\n");
    TIniFile32 ini = f.Open();
    EXPECT_EQ(ini.ReadString("s", "key", "d"), "v 1");
    EXPECT_EQ(ini.ReadString("s", " key", "d"), "d") << "the key asked for is not trimmed";
    EXPECT_EQ(ini.ReadString("s", "url", "d"), "a=b=c");
    EXPECT_EQ(ini.ReadString("s", "empty", "d"), "d");
    EXPECT_EQ(ini.ReadString("s", "dup", "d"), "d") << "the first duplicate decides, even when empty";
    EXPECT_EQ(ini.ReadString("s", "no separator", "d"), "d");
    EXPECT_EQ(ini.ReadString("missing", "key", "d"), "d");
}

TEST(IniFile, IntegersAndBooleans) {
    StoreOn f(
        "[s]\r\nhex=0x1F\r\ndollar=$1F\r\nx=x1f\r\nbad=12abc\r\nempty=\r\nneg=-1\r\nmax=2147483647\r\n"
        "over=2147483648\r\nmin=-2147483648\r\nunder=-2147483649\r\nallbits=$FFFFFFFF\r\ntoobig=$"
        "100000000\r\n"
        "zx=0x\r\nsign=+7\r\nnegHex=-0x10\r\ntwo=2\r\none=1\r\nzero=0\r\nword=true\r\nsixteen=0x10\r\n");
    TIniFile32 ini = f.Open();
    auto I = [&](const char* key) { return ini.ReadInteger("s", key, -99); };
    EXPECT_EQ(I("hex"), 31);
    EXPECT_EQ(I("dollar"), 31);
    EXPECT_EQ(I("x"), 31);
    EXPECT_EQ(I("bad"), -99);
    EXPECT_EQ(I("empty"), -99);
    EXPECT_EQ(I("neg"), -1);
    EXPECT_EQ(I("max"), 2147483647);
    EXPECT_EQ(I("over"), -99);
    EXPECT_EQ(I("min"), INT32_MIN);
    EXPECT_EQ(I("under"), -99);
    EXPECT_EQ(I("allbits"), -1);
    EXPECT_EQ(I("toobig"), -99);
    EXPECT_EQ(I("zx"), -99);
    EXPECT_EQ(I("sign"), 7);
    EXPECT_EQ(I("negHex"), -16);
    EXPECT_TRUE(ini.ReadBool("s", "two", false));
    EXPECT_TRUE(ini.ReadBool("s", "one", false));
    EXPECT_TRUE(ini.ReadBool("s", "neg", false));
    EXPECT_TRUE(ini.ReadBool("s", "sixteen", false));
    EXPECT_FALSE(ini.ReadBool("s", "zero", true));
    EXPECT_TRUE(ini.ReadBool("s", "word", true));
    EXPECT_FALSE(ini.ReadBool("s", "word", false));

    ini.WriteInteger("s", "n", -42);
    ini.WriteBool("s", "b", true);
    ini.WriteBool("s", "c", false);
    EXPECT_EQ(ini.Lines.back(), "c=0");
    EXPECT_EQ(ini.ReadString("s", "n", ""), "-42");
    EXPECT_EQ(ini.ReadString("s", "b", ""), "1");
    EXPECT_EQ(settings::ParseInt32("  12"), 12);
    EXPECT_EQ(settings::ParseInt32("12 "), std::nullopt);
}

TEST(IniFile, LineEndsCrLfAndCrLfAndTheLastUnendedLine) {
    using settings::SplitIniText;
    using V = std::vector<std::string>;
    EXPECT_EQ(SplitIniText(""), V{});
    EXPECT_EQ(SplitIniText("a\rb\nc\r\nd"), (V{"a", "b", "c", "d"}));
    EXPECT_EQ(SplitIniText("a\r\n"), (V{"a"}));
    EXPECT_EQ(SplitIniText("\r\n\r\n"), (V{"", ""}));
    EXPECT_EQ(SplitIniText("a\n\rb"), (V{"a", "", "b"})) << "LF CR is two line ends";
    EXPECT_EQ(SplitIniText("a\r\nb\0c\r\nd"s), (V{"a", "b\0c"s, "d"}));
}

TEST(IniFile, BytesSurviveLoadAndSaveAndAreUntouchedWithoutWrites) {
    std::string garbage;
    for (int i = 1; i < 256; ++i) {
        if (i != '\r' && i != '\n')
            garbage += static_cast<char>(i);
    }
    const std::string original = "; not a comment\r\n[option]\r\n" + garbage + "\r\nk = v \r\n\xE4\xF6=\xFC";
    StoreOn f(original);
    { TIniFile32 ini = f.Open(); }
    EXPECT_EQ(ReadBytes(f.path), original);
    TIniFile32 ini = f.Open();
    ini.Save();
    EXPECT_EQ(ReadBytes(f.path), original + "\r\n");
    EXPECT_EQ(ini.ReadString("option", "\xE4\xF6", ""), "\xFC");
}

TEST(IniFile, ANulByteIsAnOrdinaryByteAndWhatFollowsItSurvivesASave) {
    const std::string unknown = "[kept]\r\nx=\0\r\n"s;
    StoreOn f("[option]\r\nTitle=ab\0cd\r\nAuther=x\r\n"s + unknown);
    TIniFile32 ini = f.Open();
    EXPECT_EQ(ini.ReadString("option", "Title", "d"), "ab\0cd"s);
    EXPECT_EQ(ini.ReadString("option", "Auther", "d"), "x");
    ini.WriteString("option", "Auther", "y");
    EXPECT_EQ(ReadBytes(f.path), "[option]\r\nTitle=ab\0cd\r\nAuther=y\r\n"s + unknown);
}

TEST(IniFile, ALineBreakInAValueIsWrittenAsABlankAndAddsNoLineOrSection) {
    StoreOn f("[option]\r\nMaxConverFile=200\r\n[next]\r\nk=1\r\n");
    TIniFile32 ini = f.Open();
    ini.WriteString("option", "TempDirectory", "/tmp/a\nMaxConverFile=5\r\n[next]\rk=2\r");
    EXPECT_EQ(ReadBytes(f.path),
              "[option]\r\nMaxConverFile=200\r\nTempDirectory=/tmp/a MaxConverFile=5 [next] k=2 "
              "\r\n[next]\r\nk=1\r\n");
    TIniFile32 again = f.Open();
    EXPECT_EQ(again.ReadInteger("option", "MaxConverFile", 0), 200);
    EXPECT_EQ(again.ReadInteger("next", "k", 0), 1);
    again.WriteString("new\nsection", "a\r\nb", "v");
    EXPECT_EQ(again.Lines.back(), "a b=v");
    EXPECT_EQ(again.Lines[again.Lines.size() - 2], "[new section]");
}

TEST(IniFile, HugeLinesAndAMillionLines) {
    const std::string longValue(100000, 'v');
    std::string text = "[option]\r\nlong=" + longValue + "\r\n";
    for (int i = 0; i < 1000000; ++i)
        text += "k" + std::to_string(i) + "=" + std::to_string(i) + "\n";
    StoreOn f(text);
    auto start = std::chrono::steady_clock::now();
    TIniFile32 ini = f.Open();
    EXPECT_EQ(ini.Lines.size(), 1000002u);
    EXPECT_EQ(ini.ReadString("option", "long", ""), longValue);
    EXPECT_EQ(ini.ReadInteger("option", "k999999", 0), 999999);
    ini.WriteString("option", "k5", "five");
    const std::string written = ReadBytes(f.path);
    EXPECT_EQ(written.size(), text.size() + 1000001 - 1 + 3);
    EXPECT_NE(written.find("\r\nk5=five\r\nk6=6\r\n"), std::string::npos);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
}

TEST(IniFile, SavingReplacesTheFileAsAWholeAndLeavesNoTemporaryFiles) {
    StoreOn f("[option]\r\nk=old\r\n");
    ::chmod(f.path.c_str(), 0640);
    // A reader that opened the old file keeps reading the old bytes in full: the new content is a new file
    // renamed into place, never the old one truncated and refilled.
    int reader = ::open(f.path.c_str(), O_RDONLY);
    ASSERT_GE(reader, 0);
    TIniFile32 ini = f.Open();
    ini.WriteString("option", "k", "new");
    char buffer[64] = {};
    ssize_t n = ::pread(reader, buffer, sizeof buffer, 0);
    ::close(reader);
    EXPECT_EQ(std::string(buffer, static_cast<size_t>(n)), "[option]\r\nk=old\r\n");
    EXPECT_EQ(ReadBytes(f.path), "[option]\r\nk=new\r\n");
    EXPECT_EQ(testsupport::FolderEntries(f.dir.Path()), std::vector<std::string>{"data.ini"});
    struct stat st {};
    ::stat(f.path.c_str(), &st);
    EXPECT_EQ(st.st_mode & 0777, 0640u) << "the file keeps its permissions";
}

TEST(IniFile, SavingThroughASymbolicLinkUpdatesTheLinkedFile) {
    ScratchDir dir;
    WriteBytes(dir.File("real.ini"), "[s]\r\n");
    ASSERT_EQ(::symlink(dir.File("real.ini").c_str(), dir.File("data.ini").c_str()), 0);
    TIniFile32 ini(dir.File("data.ini"));
    ini.WriteString("s", "a", "1");
    struct stat st {};
    ::lstat(dir.File("data.ini").c_str(), &st);
    EXPECT_TRUE(S_ISLNK(st.st_mode));
    EXPECT_EQ(ReadBytes(dir.File("real.ini")), "[s]\r\na=1\r\n");
}

TEST(IniFile, FailuresNameTheFileAndTheSystemsReason) {
    ScratchDir dir;
    const std::string folder = dir.File("data.ini");
    ASSERT_EQ(::mkdir(folder.c_str(), 0777), 0);
    TIniFile32 onFolder(folder);
    EXPECT_TRUE(onFolder.Lines.empty()) << "a folder is not a file to load";
    try {
        onFolder.WriteString("option", "k", "v");
        ADD_FAILURE() << "writing over a folder must fail";
    } catch (const settings::EFileError& e) {
        EXPECT_EQ(std::string(e.what()), "Cannot create file \"" + folder + "\". Is a directory");
    }
    EXPECT_EQ(onFolder.Lines.size(), 3u) << "the lines are not rolled back";
    EXPECT_EQ(testsupport::FolderEntries(dir.Path()), std::vector<std::string>{"data.ini"});

    const std::string pipe = dir.File("pipe.ini");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0666), 0);
    EXPECT_THROW(TIniFile32{pipe}, settings::EFileError) << "a pipe is refused, not waited on";
    ::unlink(pipe.c_str());

    const std::string locked = dir.File("locked.ini");
    WriteBytes(locked, "[s]\r\nk=1\r\n");
    ::chmod(locked.c_str(), 0);
    EXPECT_EQ(testsupport::RunUnprivileged([&] {
                  TIniFile32 ini(locked);
                  return std::string("loaded");
              }),
              "exception: Cannot open file \"" + locked + "\". Permission denied");

    const std::string readOnly = dir.File("readonly.ini");
    WriteBytes(readOnly, "[s]\r\nk=1\r\n");
    ::chmod(readOnly.c_str(), 0444);
    EXPECT_EQ(testsupport::RunUnprivileged([&] {
                  TIniFile32 ini(readOnly);
                  ini.WriteString("s", "k", "2");
                  return std::string("written");
              }),
              "exception: Cannot create file \"" + readOnly + "\". Permission denied");
    EXPECT_EQ(ReadBytes(readOnly), "[s]\r\nk=1\r\n");
    EXPECT_EQ(testsupport::FolderEntries(dir.Path()),
              (std::vector<std::string>{"data.ini", "locked.ini", "readonly.ini"}));
}

TEST(IniFile, AWritableFileInAFolderClosedToNewFilesIsKeptWholeAndTheErrorSaysWhy) {
    // Rewriting the file where it stands is not safe: a kill or a full disk would leave it cut short.
    ScratchDir dir;
    const std::string sub = dir.File("closed/");
    ASSERT_EQ(::mkdir(sub.c_str(), 0777), 0);
    WriteBytes(sub + "data.ini", "[s]\r\nk=0\r\n");
    ::chmod((sub + "data.ini").c_str(), 0666);
    ::chmod(sub.c_str(), 0555);
    EXPECT_EQ(testsupport::RunUnprivileged([&] {
                  TIniFile32 ini(sub + "data.ini");
                  ini.WriteString("s", "k", "1");
                  return std::string("written");
              }),
              "exception: Cannot create file \"" + sub +
                  "data.ini\". Permission denied: no new file can be made in \"" + sub +
                  "\" to replace it safely, so it was left as it was.");
    EXPECT_EQ(ReadBytes(sub + "data.ini"), "[s]\r\nk=0\r\n");
    ::chmod(sub.c_str(), 0777);
}

TEST(IniFile, AnUncaughtStoreErrorReachesTheTopLevelHandler) {
    ScratchDir dir;
    const std::string folder = dir.File("data.ini");
    ::mkdir(folder.c_str(), 0777);
    platform::MessageBox::TakeShown();
    platform::RunGuarded([&] { TIniFile32(folder).WriteBool("option", "k", true); });
    auto shown = platform::MessageBox::TakeShown();
    ASSERT_EQ(shown.size(), 1u);
    EXPECT_EQ(shown[0].title, "Error");
    EXPECT_EQ(shown[0].icon, platform::MsgIcon::Error);
    EXPECT_EQ(shown[0].text, "Cannot create file \"" + folder + "\". Is a directory");
}
