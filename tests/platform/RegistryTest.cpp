#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <algorithm>

#include "platform/EncoderRegistration.h"
#include "platform/ProgramDir.h"
#include "platform/RegistryEdit.h"
#include "platform/core/Files.h"
#include "platform/core/Paths.h"
#include "support/FileHelpers.h"

using namespace platform;
using testsupport::ReadBytes;
using testsupport::WriteBytes;

namespace {

const char* const CompleteHive =
    "REGEDIT4\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\realprod.exe]\r\n"
    "\"path\"=\"C:\\\\Real\\\\Producer\"\r\n\r\n"
    "[HKEY_CLASSES_ROOT\\Interface\\{56919D32-BE39-11D2-A404-00104BDF4755}\\TypeLib]\r\n"
    "@=\"{56919D20-BE39-11D2-A404-00104BDF4755}\"\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\Software\\RealNetworks\\Update\\6.0\\Preferences\\Components\\"
    "RaG2Encoder:8.5\\File4]\r\n@=\"rn.dll\"\r\n\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Classes\\CLSID\\{F4F647A9-B160-11D2-A3EF-00104BDF4755}\\InprocServer32]"
    "\r\n"
    "@=\"encoder.dll\"\r\n\r\n"
    "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders]\r\n"
    "\"Desktop\"=\"/home/u/Desktop\"\r\n\"Programs\"=\"/home/u/Programs\"\r\n";

std::string Without(std::string text, const std::string& part) {
    auto pos = text.find(part);
    EXPECT_NE(pos, std::string::npos) << part;
    return text.erase(pos, part.size());
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    auto pos = text.find(from);
    EXPECT_NE(pos, std::string::npos) << from;
    return text.replace(pos, from.size(), to);
}

class Registry : public ::testing::Test {
  protected:
    testsupport::ScratchDir dir;
    std::string previous = ProgramDirectory();
    void SetUp() override { SetProgramDirectory(dir.Path()); }
    void TearDown() override { SetProgramDirectory(previous); }
    void Hive(const std::string& text) { WriteBytes(dir.File("registry.reg"), text); }
};

}  // namespace

TEST_F(Registry, ACompleteHiveMeansInstalledAndTheHelpersReadTheirValues) {
    Hive(CompleteHive);
    EXPECT_TRUE(IsEncoderInstalled());
    EXPECT_EQ(GetRealProducerPath(), "C:\\Real\\Producer");
    EXPECT_EQ(GetDesktopFolder(), "/home/u/Desktop");
    EXPECT_EQ(GetProgramsFolder(), "/home/u/Programs");
}

TEST_F(Registry, AnyMissingOrEmptyValueMeansNotInstalled) {
    const std::string missing[] = {
        "\"path\"=\"C:\\\\Real\\\\Producer\"\r\n",
        "@=\"{56919D20-BE39-11D2-A404-00104BDF4755}\"\r\n",
        "@=\"rn.dll\"\r\n",
        "@=\"encoder.dll\"\r\n",
    };
    for (const std::string& line : missing) {
        Hive(Without(CompleteHive, line));
        EXPECT_FALSE(IsEncoderInstalled()) << "without " << line;
    }
    Hive(Replaced(CompleteHive, "@=\"rn.dll\"", "@=\"\""));
    EXPECT_FALSE(IsEncoderInstalled()) << "an empty string is missing";
    Hive(Replaced(CompleteHive, "File4]", "File5]"));
    EXPECT_FALSE(IsEncoderInstalled()) << "a value in another key does not count";
}

TEST_F(Registry, MissingEmptyAndMalformedHivesReadAsEmpty) {
    EXPECT_FALSE(IsEncoderInstalled());
    EXPECT_EQ(GetDesktopFolder(), "");
    for (const std::string& text :
         {std::string(), std::string("REGEDIT4\r\n"), std::string("\xff\xfe\0\x01garbage[[[\"=\"", 16),
          std::string(
              "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders\n"
              "\"Desktop\"=\"/d\"\n"),
          std::string(
              "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders]\n"
              "\"Desktop\"=\"unterminated\n\"Desktop\"=/bare\n")}) {
        Hive(text);
        EXPECT_FALSE(IsEncoderInstalled());
        EXPECT_EQ(GetDesktopFolder(), "");
    }
    ::mkdir(dir.File("registry.reg").c_str(), 0777);
    EXPECT_EQ(GetRealProducerPath(), "") << "a folder in the hive's place";
}

TEST_F(Registry, AHiveThatIsNotAPlainFileReadsAsEmptyWithoutWaiting) {
    // A pipe with no writer, or a device without end, in the hive's place: read at once as no values.
    ASSERT_EQ(::mkfifo(dir.File("registry.reg").c_str(), 0600), 0);
    EXPECT_FALSE(IsEncoderInstalled());
    ASSERT_EQ(::unlink(dir.File("registry.reg").c_str()), 0);
    ASSERT_EQ(::symlink("/dev/zero", dir.File("registry.reg").c_str()), 0);
    EXPECT_EQ(GetRealProducerPath(), "");
}

TEST_F(Registry, KeysAndValueNamesCompareWithoutLetterCaseAndLineEndsMayBeBare) {
    std::string text = CompleteHive;
    for (char& c : text) {
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    Hive(text);
    EXPECT_TRUE(IsEncoderInstalled());
    EXPECT_EQ(GetDesktopFolder(), "/HOME/U/DESKTOP");

    std::string lf = CompleteHive;
    for (auto pos = lf.find("\r\n"); pos != std::string::npos; pos = lf.find("\r\n"))
        lf.erase(pos, 1);
    Hive(lf);
    EXPECT_TRUE(IsEncoderInstalled());
}

TEST_F(Registry, AValueOfAnotherTypeIsNotAString) {
    Hive(Replaced(CompleteHive, "@=\"encoder.dll\"", "@=dword:0000002a"));
    EXPECT_FALSE(IsEncoderInstalled());
    EXPECT_EQ(RegReadValue(RegRoot::LocalMachine, EncoderValues[3].keyPath, "").dword, 42u);
    EXPECT_THROW(RegReadStringStrict(RegRoot::LocalMachine, EncoderValues[3].keyPath, ""), RegistryError);
    Hive(Replaced(CompleteHive, "\"Desktop\"=\"/home/u/Desktop\"", "\"Desktop\"=hex:2f,64"));
    EXPECT_EQ(GetDesktopFolder(), "");
}

TEST_F(Registry, AnUnknownBracketedLineEndsTheKeyBeforeIt) {
    Hive(
        "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders]\n"
        "[-HKEY_LOCAL_MACHINE\\Gone]\n\"Desktop\"=\"/not/this\"\n");
    EXPECT_EQ(GetDesktopFolder(), "");
}

TEST_F(Registry, TheHiveIsReadAfreshAtEveryCall) {
    Hive(Without(CompleteHive, "@=\"rn.dll\"\r\n"));
    EXPECT_FALSE(IsEncoderInstalled());
    Hive(CompleteHive);
    EXPECT_TRUE(IsEncoderInstalled());
}

TEST(RegistryEdit, SettingAndDeletingKeepsEveryOtherLine) {
    const std::string original =
        "REGEDIT4\r\n\r\n; a "
        "note\r\n[hkey_local_machine\\software\\x]\r\n\"A\"=\"1\"\r\n\"b\"=dword:00000001\r\n\r\n"
        "[HKEY_CURRENT_USER\\y]\r\n\"c\"=\"2\"\r\n";
    std::string text =
        reg::SetStringValue(original, RegRoot::LocalMachine, "\\SOFTWARE\\X", "a", "new \"q\" \\");
    EXPECT_EQ(text, Replaced(original, "\"A\"=\"1\"", "\"a\"=\"new \\\"q\\\" \\\\\""));
    text = reg::SetStringValue(text, RegRoot::LocalMachine, "\\Software\\x", "", "dflt");
    EXPECT_EQ(text, Replaced(original, "\"A\"=\"1\"\r\n\"b\"=dword:00000001\r\n",
                             "\"a\"=\"new \\\"q\\\" \\\\\"\r\n\"b\"=dword:00000001\r\n@=\"dflt\"\r\n"));
    text = reg::SetStringValue(text, RegRoot::ClassesRoot, "\\New\\Key", "", "v");
    const std::string added = "\r\n\r\n[HKEY_CLASSES_ROOT\\New\\Key]\r\n@=\"v\"\r\n";
    EXPECT_EQ(text.substr(text.size() - added.size()), added);

    text = reg::DeleteValue(text, RegRoot::ClassesRoot, "New\\Key", "");
    text = reg::DeleteValue(text, RegRoot::LocalMachine, "software\\x", "");
    text = reg::DeleteValue(text, RegRoot::LocalMachine, "software\\x", "A");
    EXPECT_EQ(text, Without(original, "\"A\"=\"1\"\r\n") + "\r\n[HKEY_CLASSES_ROOT\\New\\Key]\r\n");

    EXPECT_EQ(reg::SetStringValue("", RegRoot::CurrentUser, "k", "n", "v"),
              "REGEDIT4\n\n[HKEY_CURRENT_USER\\k]\n\"n\"=\"v\"\n");
    // The hive cannot hold a line break: written, the rest of the value would pass for lines of their own.
    EXPECT_THROW(
        reg::SetStringValue(original, RegRoot::CurrentUser, "y", "c", "/a\n[HKEY_CURRENT_USER\\y]\r"),
        RegistryError);
}

TEST_F(Registry, RegisteringTheEncoderWritesTheFourValuesAndUnregisteringRemovesThem) {
    const std::string other = "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Other]\n\"keep\"=\"me\"\n";
    Hive(other);
    RegisterEncoder(dir.Path(), dir.File("quenzor"));
    EXPECT_TRUE(IsEncoderInstalled());
    EXPECT_EQ(GetRealProducerPath(), dir.Path());
    for (size_t i = 1; i < 4; ++i) {
        EXPECT_EQ(RegReadString(EncoderValues[i].root, EncoderValues[i].keyPath, ""), dir.File("quenzor"));
    }
    EXPECT_EQ(RegReadString(RegRoot::CurrentUser, "Software\\Other", "keep"), "me");
    RegisterEncoder(dir.Path(), dir.File("quenzor"));
    const std::string twice = ReadBytes(dir.File("registry.reg"));
    EXPECT_EQ(std::count(twice.begin(), twice.end(), '@'), 3) << "registering again adds nothing";

    UnregisterEncoder();
    EXPECT_FALSE(IsEncoderInstalled());
    EXPECT_EQ(GetRealProducerPath(), "");
    EXPECT_EQ(RegReadString(RegRoot::CurrentUser, "Software\\Other", "keep"), "me");
    EXPECT_EQ(testsupport::FolderEntries(dir.Path()), std::vector<std::string>{"registry.reg"});

    ::unlink(dir.File("registry.reg").c_str());
    UnregisterEncoder();
    EXPECT_TRUE(testsupport::FolderEntries(dir.Path()).empty()) << "removing creates no hive";
    RegisterEncoder(dir.Path(), dir.File("quenzor"));
    EXPECT_TRUE(IsEncoderInstalled()) << "a missing hive is created";
}

TEST_F(Registry, TheInstallerRunsSilentlyWithoutADisplay) {
    const QString installer = QString::fromStdString(dir.File("real_basic.exe"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(QUENZOR_PROGRAM_DIR "/real_basic.exe"), installer));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));  // a desktop's, unreachable
    auto run = [&](const QStringList& arguments) {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(installer, arguments);
        EXPECT_TRUE(process.waitForFinished(30000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << process.readAllStandardError().toStdString();
        return process.exitCode();
    };
    EXPECT_EQ(run({QStringLiteral("--silent")}), 0);
    EXPECT_TRUE(IsEncoderInstalled());
    EXPECT_EQ(GetRealProducerPath(), dir.Path());
    EXPECT_EQ(run({QStringLiteral("--uninstall"), QStringLiteral("--silent")}), 0);
    EXPECT_FALSE(IsEncoderInstalled());
}

TEST_F(Registry, RegisteringIntoAHiveThatCannotBeWrittenFailsWithTheReason) {
    ::mkdir(dir.File("registry.reg").c_str(), 0777);
    try {
        RegisterEncoder(dir.Path(), dir.File("quenzor"));
        ADD_FAILURE() << "no error";
    } catch (const EFileError& e) {
        EXPECT_NE(std::string(e.what()).find("registry.reg"), std::string::npos);
    }
}

using testsupport::ScopedEnv;

TEST_F(Registry, AnInstalledTreeKeepsTheUsersFilesInTheConfigurationFolderAndNothingInTheTree) {
    const std::string prefix = dir.File("usr/");
    for (const char* folder : {"bin", "libexec/quenzor", "share/quenzor", "config"})
        ASSERT_TRUE(QDir().mkpath(QString::fromStdString(prefix + folder)));
    const std::string installer = prefix + "libexec/quenzor/real_basic.exe";
    ASSERT_TRUE(QFile::copy(QStringLiteral(QUENZOR_PROGRAM_DIR "/real_basic.exe"),
                            QString::fromStdString(installer)));
    const ScopedEnv config("XDG_CONFIG_HOME", (prefix + "config").c_str());

    const ProgramLayout fromBin = LayoutOfExecutable(prefix + "bin");
    EXPECT_TRUE(fromBin.installed);
    EXPECT_EQ(fromBin.programDirectory, prefix + "share/quenzor/");
    EXPECT_EQ(fromBin.mainProgram, prefix + "bin/quenzor");
    EXPECT_EQ(fromBin.installer, installer);
    const ProgramLayout fromLibexec = LayoutOfExecutable(prefix + "libexec/quenzor/");
    EXPECT_TRUE(fromLibexec.installed);
    EXPECT_EQ(fromLibexec.programDirectory, fromBin.programDirectory);
    EXPECT_EQ(fromLibexec.mainProgram, fromBin.mainProgram);
    // The staged build, and a bin/ folder without the tree's data beside it, are program directories.
    EXPECT_FALSE(LayoutOfExecutable(QUENZOR_PROGRAM_DIR).installed);
    EXPECT_EQ(LayoutOfExecutable(QUENZOR_PROGRAM_DIR).installer, QUENZOR_PROGRAM_DIR "/real_basic.exe");
    ::rename((prefix + "share").c_str(), (prefix + "data").c_str());
    EXPECT_EQ(LayoutOfExecutable(prefix + "bin/").programDirectory, prefix + "bin/");
    ::rename((prefix + "data").c_str(), (prefix + "share").c_str());

    // The installed installer registers the tree's own program in the user's hive.
    QProcess process;
    process.start(QString::fromStdString(installer), {QStringLiteral("--silent")});
    ASSERT_TRUE(process.waitForFinished(30000));
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    SetProgramLayout(fromBin);
    EXPECT_EQ(UserFilesDirectory(), prefix + "config/quenzor/");
    EXPECT_EQ(RegistryHivePath(), prefix + "config/quenzor/registry.reg");
    EXPECT_TRUE(IsEncoderInstalled());
    EXPECT_EQ(GetRealProducerPath(), prefix + "bin/");
    EXPECT_EQ(RegReadString(EncoderValues[3].root, EncoderValues[3].keyPath, ""), prefix + "bin/quenzor");
    EXPECT_TRUE(testsupport::FolderEntries(prefix + "share/quenzor/").empty());
    EXPECT_EQ(testsupport::FolderEntries(prefix + "libexec/quenzor/"),
              std::vector<std::string>{"real_basic.exe"});

    // Without XDG_CONFIG_HOME, or with a relative one, the folder is ~/.config/quenzor/.
    const ScopedEnv home("HOME", (prefix + "home").c_str());
    for (const char* value : {static_cast<const char*>(nullptr), "relative/config"}) {
        const ScopedEnv unset("XDG_CONFIG_HOME", value);
        SetProgramLayout(fromBin);
        EXPECT_EQ(UserFilesDirectory(), prefix + "home/.config/quenzor/");
        EXPECT_TRUE(DirectoryExists(prefix + "home/.config/quenzor"));
        struct stat st {};
        ASSERT_EQ(::stat((prefix + "home/.config/quenzor").c_str(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0700u) << "private to the user";
    }
}

TEST_F(Registry, AProgramDirectoryTheUserCannotWriteSendsTheUsersFilesToTheConfigurationFolder) {
    const std::string configHome = dir.File("config");
    ASSERT_EQ(::mkdir(configHome.c_str(), 0777), 0);
    ::chmod(configHome.c_str(), 0777);
    ::chmod(dir.Path().c_str(), 0555);
    const ScopedEnv config("XDG_CONFIG_HOME", configHome.c_str());
    const std::string chosen = testsupport::RunUnprivileged([&] {
        SetProgramDirectory(dir.Path());
        return UserFilesDirectory();
    });
    ::chmod(dir.Path().c_str(), 0777);
    EXPECT_EQ(chosen, configHome + "/quenzor/");
    SetProgramDirectory(dir.Path());
    EXPECT_EQ(UserFilesDirectory(), dir.Path()) << "a program directory that can be written keeps them";
}
