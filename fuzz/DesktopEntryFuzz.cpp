// Desktop entries and mimeapps.list files as key files, and the commands their Exec keys make: any bytes
// parse, and a command's program never depends on the file handed over, so a field code can never make the
// file itself (or text from its name) the program that runs.
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "platform/DesktopEntry.h"

namespace {
std::size_t TotalSize(const std::vector<std::string>& words) {
    std::size_t size = 0;
    for (const std::string& word : words)
        size += word.size();
    return size;
}

void CheckExec(const std::string& exec) {
    const std::string first = "/media/a b.avi";
    const std::string second = "%f\"x\" $(y)";
    const std::vector<std::string> a = platform::DesktopExecArguments(exec, first);
    const std::vector<std::string> b = platform::DesktopExecArguments(exec, second);
    FuzzCheck(a.empty() == b.empty(), "whether a key is usable does not depend on the file");
    if (a.empty())
        return;
    FuzzCheck(!a.front().empty() && a.front() == b.front(), "the program word is named by the key alone");
    std::size_t codes = 1;
    for (char c : exec)
        codes += c == '%';
    FuzzCheck(a.size() <= exec.size() + 1, "no more words than the key has characters");
    FuzzCheck(TotalSize(a) <= exec.size() + codes * first.size(), "the command grows only by the files");
    bool handed = false;
    for (const std::string& word : a)
        handed = handed || word.find(first) != std::string::npos;
    FuzzCheck(handed, "the file is handed over");
    const std::vector<std::string> programs = platform::ProgramsRun(a);
    FuzzCheck(!programs.empty() && programs.front() == a.front(), "the program word is run first");
    FuzzCheck(programs.size() <= 9, "wrappers are followed a bounded number of times");
    for (const std::string& program : programs)
        FuzzCheck(program.size() <= TotalSize(a), "a program named comes from the command");
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const platform::KeyFile file = platform::ParseKeyFile(text);
    std::size_t lines = 1;
    for (char c : text)
        lines += c == '\n' || c == '\r';
    std::size_t keys = file.size();
    for (const auto& [section, entries] : file) {
        FuzzCheck(section.size() >= 1 && section.front() == '[', "a section is a bracketed line");
        keys += entries.size();
        for (const auto& [key, value] : entries)
            FuzzCheck(key.find_first_of("\r\n") == std::string::npos &&
                          value.find_first_of("\r\n") == std::string::npos,
                      "a key and its value lie on one line");
    }
    FuzzCheck(keys <= lines, "at most one section or key per line");
    // Each value is looked up by its key, a walk through its section: a few dozen keep the run fast.
    int checked = 0;
    for (const auto& [section, entries] : file) {
        std::set<std::string> keysSeen;
        for (const auto& [key, value] : entries) {
            if (!keysSeen.insert(key).second)
                continue;  // a key's first value is the one read
            if (++checked > 32)
                break;
            const std::string unescaped = platform::KeyFileValue(file, section, key);
            FuzzCheck(unescaped.size() <= value.size(), "undoing escapes never lengthens a value");
            for (const std::string& item : platform::KeyFileList(file, section, key))
                FuzzCheck(!item.empty() && item.find(';') == std::string::npos, "list items are whole");
            CheckExec(unescaped);
        }
    }
    // The raw text as one Exec key too, so the fuzzer need not find the key file's form first.
    CheckExec(std::string(text.substr(0, 512)));
    return 0;
}
