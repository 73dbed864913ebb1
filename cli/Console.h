#pragma once
#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace cli {

// What became of one file.
struct FileResult {
    enum class Status { Converted, Skipped, Failed, Stopped };
    std::string source;
    std::string destination;
    Status status = Status::Failed;
    double seconds = 0;      // from the start of its encode to its end
    std::int64_t bytes = 0;  // of the file written
    std::string error;       // why the file was not converted; empty when it was
};

const char* StatusName(FileResult::Status status);
// One line of JSON, without its line end: source, destination, status, seconds, bytes, error (null when
// empty). Bytes that are not UTF-8 in a name are shown as U+FFFD, as JSON strings carry only text; such a
// name also gets its exact bytes in base64, as source_bytes or destination_bytes, so that files whose
// names read the same can still be told apart. Control characters are escaped.
std::string JsonLine(const FileResult& result);

// Text from elsewhere (file names, another run's claim, messages with names in them) as the terminal may
// show it: control characters (C0, DEL, and C1 written as UTF-8), bytes that are no UTF-8 and the backslash
// become the escapes of the shell's $'...' quoting (\e, \n, \r, \t, \\, else \xNN for each byte), so
// that nobody's file name or claim can move the cursor, retitle or clear the terminal, or forge a line of
// ours, and the name can still be typed back exactly.
std::string TerminalText(std::string_view bytes);

// Everything the program tells the user. Standard output carries the results: one JSON line per file
// with --json, else one line per converted, skipped or stopped file. Standard error carries the rest:
// the failures (always, in the encoder's own words), and unless quiet the progress, drawn as bars when
// standard error is a terminal and as one plain line per file begun when it is not, and a summary.
class Console {
  public:
    Console(bool json, bool quiet);
    ~Console();

    // A file's encode began in `slot` (one slot per encode at once); `number` counts from 1, `handled`
    // files of `total` have ended.
    void Began(int slot, int number, int total, int handled, const FileResult& file);
    void Progress(int slot, int percent);
    // A file's end, begun (in `slot`) or not (slot -1): its result line, and the failure message when it
    // failed. Without --json, the files a stop kept from beginning get no line of their own.
    void Ended(int slot, const FileResult& result, int total, int handled);
    // A note to the user on standard error, also when quiet.
    void Error(const std::string& text);
    // Redraws the bars when due; called often.
    void Tick(int total, int handled);
    void Summary(const std::map<FileResult::Status, int>& counts, double seconds);

  private:
    void DrawBars(int total, int handled);
    void EraseBars();

    bool json_;
    bool quiet_;
    bool bars_;
    struct Current {
        std::string name;
        int percent = 0;
    };
    std::map<int, Current> current_;  // by slot
    int drawn_ = 0;                   // lines of bars on the screen
    std::chrono::steady_clock::time_point lastDraw_{};
};

}  // namespace cli
