#include "app/RunTally.h"

namespace app {
namespace {
std::string Files(int n) {
    return std::to_string(n) + (n == 1 ? " file" : " files");
}
}  // namespace

void RunTally::Begin() {
    *this = RunTally{};
    active_ = true;
}

void RunTally::JobPrepared() {
    if (!active_)
        return;
    if (pending_)
        ++(started_ ? converted_ : skipped_);
    pending_ = true;
    started_ = false;
}

void RunTally::JobStarted() {
    if (active_ && pending_)
        started_ = true;
}

void RunTally::JobFailed() {
    EndedWithoutFile(failed_);
}

void RunTally::JobSkipped() {
    EndedWithoutFile(skipped_);
}

void RunTally::EndedWithoutFile(int& count) {
    if (!active_)
        return;
    ++count;
    pending_ = false;
}

void RunTally::StopAsked() {
    if (active_)
        stopped_ = true;
}

std::string RunTally::End() {
    // The last job ended with the run, unless the user cut it short.
    if (!stopped_)
        JobPrepared();
    active_ = false;
    return Text(converted_, failed_, skipped_, stopped_);
}

std::string RunTally::Text(int converted, int failed, int skipped, bool stopped) {
    std::string text = (stopped ? "Stopped: " : "") + Files(converted) + " converted";
    if (failed > 0)
        text += ", " + std::to_string(failed) + " failed";
    if (skipped > 0)
        text += ", " + std::to_string(skipped) + " skipped";
    return text;
}

}  // namespace app
