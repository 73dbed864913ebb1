#include "cli/Console.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <QByteArray>
#include <algorithm>
#include <charconv>
#include <cstdio>

#include "platform/core/FileNames.h"
#include "platform/core/Paths.h"

namespace cli {
namespace {

constexpr const char* kProgram = "quenzor-convert: ";
constexpr int kBarWidth = 24;
constexpr auto kDrawInterval = std::chrono::milliseconds(100);

// Numbers in the C locale's form whatever the user's locale says: JSON needs a decimal point.
std::string Fixed(double value, int decimals) {
    char text[64];
    const auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return std::string(text, end.ptr);
}

// A control character: C0, DEL or C1.
bool Control(char32_t code) {
    return code < 0x20 || (code >= 0x7F && code <= 0x9F);
}

// The shell's short escapes, for the characters that have one.
const char* ShellEscape(char32_t code) {
    switch (code) {
        case '\\':
            return "\\\\";
        case '\x1b':
            return "\\e";
        case '\n':
            return "\\n";
        case '\r':
            return "\\r";
        case '\t':
            return "\\t";
        default:
            return nullptr;
    }
}

void AppendHex(std::string& out, const char* format, unsigned value) {
    char escaped[8];
    std::snprintf(escaped, sizeof escaped, format, value);
    out += escaped;
}

std::string JsonString(const std::string& bytes) {
    // JSON is UTF-8: a name's bytes that are no text are shown as the window shows them.
    const std::string utf8 = platform::ReadableName(bytes);
    std::string out = "\"";
    for (std::size_t at = 0; at < utf8.size();) {
        char32_t code = 0;
        const auto length = static_cast<std::size_t>(platform::Utf8Sequence(utf8, at, code));
        if (code == '"' || code == '\\') {
            out += '\\';
            out += static_cast<char>(code);
        } else if (code == '\n') {
            out += "\\n";
        } else if (code == '\t') {
            out += "\\t";
        } else if (code == '\r') {
            out += "\\r";
        } else if (Control(code)) {
            // DEL and C1 too: a reader that prints the line on a terminal must not obey them.
            AppendHex(out, "\\u%04x", static_cast<unsigned>(code));
        } else {
            out.append(utf8, at, length);
        }
        at += std::max<std::size_t>(length, 1);
    }
    return out + "\"";
}

// The exact bytes of a name that is not UTF-8, as a JSON field after its text: nothing when it is.
std::string JsonBytes(const char* key, const std::string& bytes) {
    if (platform::ReadableName(bytes) == bytes)
        return "";
    return ",\"" + std::string(key) + "\":\"" + QByteArray::fromStdString(bytes).toBase64().toStdString() +
           "\"";
}

void Write(std::FILE* stream, const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), stream);
    std::fflush(stream);
}

int TerminalColumns() {
    winsize size{};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 20)
        return size.ws_col;
    return 80;
}

// The first `columns` characters of UTF-8 text; a line must not wrap, or the bars cannot be redrawn.
std::string Fit(const std::string& text, int columns) {
    int count = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80)
            continue;
        if (count++ == columns)
            return text.substr(0, i);
    }
    return text;
}

std::string Bar(int percent) {
    const int filled = percent * kBarWidth / 100;
    return "[" + std::string(static_cast<std::size_t>(filled), '#') +
           std::string(static_cast<std::size_t>(kBarWidth - filled), '.') + "]";
}

std::string Percent(int percent) {
    std::string text = std::to_string(percent) + "%";
    return std::string(text.size() < 4 ? 4 - text.size() : 0, ' ') + text;
}

}  // namespace

const char* StatusName(FileResult::Status status) {
    switch (status) {
        case FileResult::Status::Converted:
            return "converted";
        case FileResult::Status::Skipped:
            return "skipped";
        case FileResult::Status::Failed:
            return "failed";
        case FileResult::Status::Stopped:
            return "stopped";
    }
    return "failed";
}

std::string JsonLine(const FileResult& r) {
    return "{\"source\":" + JsonString(r.source) + JsonBytes("source_bytes", r.source) +
           ",\"destination\":" + JsonString(r.destination) + JsonBytes("destination_bytes", r.destination) +
           ",\"status\":\"" + StatusName(r.status) + "\",\"seconds\":" + Fixed(r.seconds, 3) +
           ",\"bytes\":" + std::to_string(r.bytes) +
           ",\"error\":" + (r.error.empty() ? std::string("null") : JsonString(r.error)) + "}";
}

std::string TerminalText(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    for (std::size_t at = 0; at < bytes.size();) {
        char32_t code = 0;
        const auto length = static_cast<std::size_t>(platform::Utf8Sequence(bytes, at, code));
        const std::string_view character = bytes.substr(at, std::max<std::size_t>(length, 1));
        at += character.size();
        if (length > 0 && !Control(code) && code != '\\')
            out += character;
        else if (const char* escape = length > 0 ? ShellEscape(code) : nullptr)
            out += escape;
        else  // each byte: a C1 character's two, or the one byte that is no UTF-8
            for (const char c : character)
                AppendHex(out, "\\x%02x", static_cast<unsigned char>(c));
    }
    return out;
}

Console::Console(bool json, bool quiet)
    : json_(json), quiet_(quiet), bars_(!quiet && ::isatty(STDERR_FILENO) == 1) {}

Console::~Console() {
    EraseBars();
}

void Console::Began(int slot, int number, int total, int handled, const FileResult& file) {
    if (quiet_)
        return;
    current_[slot] = {TerminalText(platform::ExtractFileName(file.source)), 0};
    if (bars_)
        DrawBars(total, handled);
    else
        Write(stderr, "[" + std::to_string(number) + "/" + std::to_string(total) + "] " +
                          TerminalText(file.source) + " -> " + TerminalText(file.destination) + "\n");
}

void Console::Progress(int slot, int percent) {
    if (auto it = current_.find(slot); it != current_.end())
        it->second.percent = percent;
}

void Console::Ended(int slot, const FileResult& r, int total, int handled) {
    current_.erase(slot);
    EraseBars();
    if (r.status == FileResult::Status::Failed)
        Write(stderr, kProgram + TerminalText(r.error) + "\n");
    if (json_) {
        Write(stdout, JsonLine(r) + "\n");
    } else if (!quiet_ && (slot >= 0 || r.status != FileResult::Status::Stopped)) {
        switch (r.status) {
            case FileResult::Status::Converted:
                Write(stdout, "converted " + TerminalText(r.source) + " -> " + TerminalText(r.destination) +
                                  " (" + Fixed(r.seconds, 1) + " s, " + std::to_string(r.bytes) +
                                  " bytes)\n");
                break;
            case FileResult::Status::Skipped:
            case FileResult::Status::Stopped:
                Write(stdout, std::string(StatusName(r.status)) + " " + TerminalText(r.source) + ": " +
                                  TerminalText(r.error) + "\n");
                break;
            case FileResult::Status::Failed:
                break;
        }
    }
    if (bars_)
        DrawBars(total, handled);
}

void Console::Error(const std::string& text) {
    EraseBars();
    Write(stderr, kProgram + TerminalText(text) + "\n");
}

void Console::Tick(int total, int handled) {
    if (bars_ && std::chrono::steady_clock::now() - lastDraw_ >= kDrawInterval)
        DrawBars(total, handled);
}

void Console::Summary(const std::map<FileResult::Status, int>& counts, double seconds) {
    EraseBars();
    if (quiet_)
        return;
    auto count = [&](FileResult::Status s) {
        const auto it = counts.find(s);
        return std::to_string(it == counts.end() ? 0 : it->second) + " " + StatusName(s);
    };
    std::string text = count(FileResult::Status::Converted) + ", " + count(FileResult::Status::Skipped) +
                       ", " + count(FileResult::Status::Failed);
    if (counts.count(FileResult::Status::Stopped))
        text += ", " + count(FileResult::Status::Stopped);
    Write(stderr, kProgram + text + " in " + Fixed(seconds, 1) + " s\n");
}

// One line per encode under way and one for the batch, redrawn in place: the cursor goes back up to the
// first line, every line is rewritten and cleared to its end, and what is left below is cleared.
void Console::DrawBars(int total, int handled) {
    const int columns = TerminalColumns() - 1;
    std::string block = drawn_ > 0 ? "\x1b[" + std::to_string(drawn_) + "A\r" : "";
    int done = handled * 100;
    for (const auto& [slot, file] : current_) {
        block += Fit(Percent(file.percent) + " " + Bar(file.percent) + " " + file.name, columns) + "\x1b[K\n";
        done += file.percent;
    }
    const int batch = total > 0 ? done / total : 0;
    block += Fit(Percent(batch) + " " + Bar(batch) + " " + std::to_string(handled) + " of " +
                     std::to_string(total) + " files",
                 columns) +
             "\x1b[K\n\x1b[J";
    drawn_ = static_cast<int>(current_.size()) + 1;
    Write(stderr, block);
    lastDraw_ = std::chrono::steady_clock::now();
}

void Console::EraseBars() {
    if (drawn_ == 0)
        return;
    Write(stderr, "\x1b[" + std::to_string(drawn_) + "A\r\x1b[J");
    drawn_ = 0;
}

}  // namespace cli
