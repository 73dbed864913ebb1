#include "extras/FixLauncher.h"
#include "support/ExtrasFixture.h"

using namespace extras;

class FixCommand : public ExtrasTest {
  protected:
    void Hive(const std::string& morbeckLines) {
        WriteFile("registry.reg", "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Vastrel\\Morbeck]\r\n" +
                                      morbeckLines + "\r\n");
    }
    // Runs the command; true when it asked for the download prompt.
    bool Run() {
        bool prompted = false;
        RunFixCommand([&] { prompted = true; });
        return prompted;
    }
    std::string Tool(const std::string& name) {
        WriteFile(name, "#!/bin/sh\n");
        return Dir() + name;
    }
};

TEST_F(FixCommand, WithoutARegisteredToolThePromptIsShown) {
    EXPECT_TRUE(Run()) << "no hive at all";
    WriteFile("registry.reg", "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Software\\Vastrel\\Other]\r\n");
    EXPECT_TRUE(Run()) << "no key";
    Hive("\"Version\"=\"1.0\"");
    EXPECT_TRUE(Run()) << "no value";
    Hive("\"FilePath\"=\"\"");
    EXPECT_TRUE(Run()) << "empty value";
    EXPECT_TRUE(opened.empty());
    EXPECT_TRUE(platform::MessageBox::TakeShown().empty());
}

TEST_F(FixCommand, ARegisteredToolIsStartedExactlyAsNamedAndNothingElseOpens) {
    const std::string tool = Tool("Morbeck tool \"beta\"; $(x).exe");
    std::string escaped;
    for (char c : tool) {
        if (c == '"' || c == '\\')
            escaped += '\\';
        escaped += c;
    }
    Hive("\"FilePath\"=\"" + escaped + "\"");
    EXPECT_FALSE(Run());
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], tool);

    // The registry is read afresh: a tool removed while the program runs is noticed at the next click.
    Hive("");
    EXPECT_TRUE(Run());
    EXPECT_EQ(opened.size(), 1u);
}

TEST_F(FixCommand, APathThatNamesNoFileLeadsToThePromptInsteadOfSilence) {
    Hive("\"FilePath\"=\"" + Dir() + "gone/Morbeck.exe\"");
    EXPECT_TRUE(Run());
    Hive("\"FilePath\"=\"" + Dir() + "\"");  // a folder is not a program
    EXPECT_TRUE(Run());
    EXPECT_TRUE(opened.empty());
}

TEST_F(FixCommand, ANonStringValueIsAReadErrorWithNeitherToolNorPrompt) {
    Hive("\"FilePath\"=dword:0000002a");
    EXPECT_FALSE(Run());
    EXPECT_TRUE(opened.empty());
    auto boxes = platform::MessageBox::TakeShown();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].icon, platform::MsgIcon::Error);
    EXPECT_NE(boxes[0].text.find("FilePath"), std::string::npos);
}
