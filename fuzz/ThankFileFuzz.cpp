// The acknowledgements file's lines: any bytes give lines without line ends, and exactly the lines that do
// not open with "//" are shown, in their order and unchanged.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzCheck.h"
#include "extras/ThankFile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> lines = extras::SplitTextLines(text);
    const std::vector<std::string> shown = extras::FilterThankLines(lines);
    size_t next = 0;
    size_t lineBytes = 0;
    for (const std::string& line : lines) {
        FuzzCheck(line.find_first_of("\r\n") == std::string::npos, "a line holds no line end");
        lineBytes += line.size();
        if (line.rfind("//", 0) == 0)
            continue;
        FuzzCheck(next < shown.size() && shown[next] == line, "every other line is shown, in order");
        ++next;
    }
    FuzzCheck(next == shown.size(), "nothing else is shown");
    size_t otherBytes = 0;
    for (char c : text)
        otherBytes += c != '\r' && c != '\n';
    FuzzCheck(lineBytes == otherBytes, "the lines hold every byte but the line ends");
    return 0;
}
