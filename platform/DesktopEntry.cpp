#include "platform/DesktopEntry.h"

#include <algorithm>
#include <cctype>

#include "platform/core/Paths.h"
#include "platform/core/TextLines.h"

namespace platform {
namespace {
// The words of a shell script's first simple command, quotes and backslashes undone. Expansions are kept as
// written: a word holding one names no program that can be found.
std::vector<std::string> FirstCommandWords(const std::string& script) {
    std::vector<std::string> words;
    std::string current;
    bool inWord = false;
    for (std::size_t i = 0; i < script.size(); ++i) {
        const char c = script[i];
        if (c == '\'') {
            inWord = true;
            const auto end = script.find('\'', i + 1);
            if (end == std::string::npos)
                return {};
            current += script.substr(i + 1, end - i - 1);
            i = end;
        } else if (c == '"') {
            inWord = true;
            for (++i; i < script.size() && script[i] != '"'; ++i) {
                if (script[i] == '\\' && i + 1 < script.size() &&
                    std::string_view("$`\"\\\n").find(script[i + 1]) != std::string_view::npos)
                    ++i;
                current += script[i];
            }
            if (i == script.size())
                return {};
        } else if (c == '\\' && i + 1 < script.size()) {
            inWord = true;
            current += script[++i];
        } else if (c == ' ' || c == '\t') {
            if (inWord)
                words.push_back(std::move(current));
            current.clear();
            inWord = false;
        } else if (std::string_view(";&|\n()<>").find(c) != std::string_view::npos) {
            break;
        } else {
            inWord = true;
            current += c;
        }
    }
    if (inWord)
        words.push_back(std::move(current));
    return words;
}

// A shell's assignment word: NAME=value before the command.
bool IsAssignment(const std::string& word) {
    const auto equals = word.find('=');
    if (equals == std::string::npos || equals == 0)
        return false;
    for (std::size_t i = 0; i < equals; ++i) {
        const auto c = static_cast<unsigned char>(word[i]);
        if (!(std::isalnum(c) || c == '_') || (i == 0 && std::isdigit(c)))
            return false;
    }
    return true;
}

void CollectPrograms(std::vector<std::string> command, int depth, std::vector<std::string>& programs) {
    std::size_t i = 0;
    // Wrappers within wrappers end somewhere: a handful is more than any real entry uses.
    for (; i < command.size() && depth < 8; ++depth) {
        programs.push_back(command[i]);
        const std::string base = ExtractFileName(command[i]);
        if (base == "env") {
            for (++i; i < command.size();) {
                const std::string option = command[i];
                if (option == "--") {
                    ++i;
                    break;
                }
                if (option == "-u" || option == "-C" || option == "--unset" || option == "--chdir") {
                    i += 2;
                    continue;
                }
                // env -S splits its string into words that take its place, options and assignments alike.
                const bool split = option == "-S" || option == "--split-string";
                if (split || option.starts_with("-S") || option.starts_with("--split-string=")) {
                    // Each split copies the rest of the command: a key of endless -S would take quadratic
                    // time.
                    if (++depth >= 8)
                        return;
                    const std::string text = split ? (i + 1 < command.size() ? command[i + 1] : std::string())
                                                   : option.substr(option[1] == 'S' ? 2 : 15);
                    std::vector<std::string> spliced = FirstCommandWords(text);
                    const std::size_t after = std::min(command.size(), i + (split ? 2 : 1));
                    spliced.insert(spliced.end(), command.begin() + static_cast<std::ptrdiff_t>(after),
                                   command.end());
                    command = std::move(spliced);
                    i = 0;
                    continue;
                }
                if ((option.size() > 1 && option[0] == '-') || option.find('=') != std::string::npos) {
                    ++i;
                    continue;
                }
                break;
            }
            continue;
        }
        if (base == "sh" || base == "bash" || base == "dash") {
            bool script = false;
            for (++i; i < command.size(); ++i) {
                const std::string& option = command[i];
                if (option == "--" || option == "-") {
                    ++i;
                    break;
                }
                if (option.size() < 2 || (option[0] != '-' && option[0] != '+'))
                    break;
                if (option == "-o" || option == "+o" || option == "-O" || option == "+O" ||
                    option == "--rcfile" || option == "--init-file")
                    ++i;
                else if (option[0] == '-' && option[1] != '-' && option.find('c') != std::string::npos)
                    script = true;
            }
            if (!script || i >= command.size())
                return;
            std::vector<std::string> words = FirstCommandWords(command[i]);
            std::size_t first = 0;
            while (first < words.size() && (IsAssignment(words[first]) || words[first] == "exec"))
                ++first;
            words.erase(words.begin(), words.begin() + static_cast<std::ptrdiff_t>(first));
            CollectPrograms(std::move(words), depth + 1, programs);
            return;
        }
        return;
    }
}
}  // namespace

KeyFile ParseKeyFile(std::string_view text) {
    KeyFile file;
    std::vector<std::pair<std::string, std::string>>* section = nullptr;
    for (const std::string& raw : SplitTextLines(text)) {
        const std::string_view line = TrimControls(raw);
        if (line.empty() || line.front() == '#')
            continue;
        if (line.front() == '[') {
            section = &file[std::string(line)];
            continue;
        }
        const auto equals = line.find('=');
        if (section != nullptr && equals != std::string_view::npos)
            section->emplace_back(std::string(TrimControls(line.substr(0, equals))),
                                  std::string(TrimControls(line.substr(equals + 1))));
    }
    return file;
}

std::string KeyFileValue(const KeyFile& file, const std::string& section, const std::string& key) {
    const auto found = file.find(section);
    if (found == file.end())
        return {};
    for (const auto& [k, raw] : found->second) {
        if (k != key)
            continue;
        std::string value;
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] != '\\' || i + 1 == raw.size()) {
                value += raw[i];
                continue;
            }
            const char c = raw[++i];
            value += c == 's' ? ' ' : c == 'n' ? '\n' : c == 't' ? '\t' : c == 'r' ? '\r' : c;
        }
        return value;
    }
    return {};
}

std::vector<std::string> KeyFileList(const KeyFile& file, const std::string& section,
                                     const std::string& key) {
    std::vector<std::string> items;
    const std::string value = KeyFileValue(file, section, key);
    for (std::size_t at = 0; at <= value.size();) {
        std::size_t end = value.find(';', at);
        if (end == std::string::npos)
            end = value.size();
        const std::string_view item = TrimControls(std::string_view(value).substr(at, end - at));
        if (!item.empty())
            items.emplace_back(item);
        at = end + 1;
    }
    return items;
}

std::vector<std::string> DesktopExecArguments(const std::string& exec, const std::string& target) {
    std::vector<std::string> arguments;
    std::string current;
    bool inWord = false;
    bool literal = false;  // the word holds quotes or characters of its own, not only field codes
    bool code = false;     // the word holds a field code
    bool quoted = false;
    bool tookTarget = false;
    bool first = true;
    auto endWord = [&] {
        if (inWord) {
            if (first && code)
                return false;
            first = false;
            if (literal || !current.empty())
                arguments.push_back(std::move(current));
        }
        current.clear();
        inWord = literal = code = false;
        return true;
    };
    for (std::size_t i = 0; i < exec.size(); ++i) {
        const char c = exec[i];
        if (!quoted && (c == ' ' || c == '\t')) {
            if (!endWord())
                return {};
            continue;
        }
        inWord = true;
        if (c == '"') {
            quoted = !quoted;
            literal = true;
        } else if (quoted && c == '\\' && i + 1 < exec.size()) {
            current += exec[++i];
        } else if (c == '%' && i + 1 < exec.size()) {
            // Field codes are expanded inside quotes as well, as the common desktops do.
            const char field = exec[++i];
            if (field == '%') {
                current += '%';
                literal = true;
            } else {
                code = true;
                if (field == 'f' || field == 'F' || field == 'u' || field == 'U') {
                    current += target;
                    tookTarget = true;
                }
            }
        } else {
            current += c;
            literal = true;
        }
    }
    if (quoted || !endWord() || arguments.empty() || arguments.front().empty())
        return {};
    if (!tookTarget && !target.empty())
        arguments.push_back(target);
    return arguments;
}

std::vector<std::string> ProgramsRun(const std::vector<std::string>& command) {
    std::vector<std::string> programs;
    CollectPrograms(command, 0, programs);
    return programs;
}

}  // namespace platform
