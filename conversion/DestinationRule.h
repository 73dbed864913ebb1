#pragma once

#include <ctime>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/core/Claim.h"

namespace conversion {

// Whether a job may write its destination, decided the same way by the window and quenzor-convert: never
// onto a source of the run, never two sources into one file, never past another conversion's claim, and an
// existing file only with consent.
class DestinationRule {
  public:
    // What to do with a destination that already exists.
    enum class Replace {
        Never,   // keep it
        Always,  // replace it, unless it was written after the run began (another run's fresh work)
        Ask,     // replace it when the caller's question says so
    };
    // The closing advice of a refusal, in the words of the program showing it.
    struct Advice {
        std::string ontoSource;  // after "... of this run; it was left as it was. "
        std::string twoIntoOne;  // after "... has it. "
    };
    struct Verdict {
        enum class Kind { Write, Skip, Fail };
        Kind kind = Kind::Fail;
        // Why it is not written; empty for Write and for a skip the question chose.
        std::string why;
        // Held for Write: no other conversion writes the destination while it lives.
        std::unique_ptr<platform::Claim> claim;
    };

    // `sources` are every file the run reads; the moment of construction is the run's beginning.
    DestinationRule(const std::vector<std::string>& sources, Advice advice);

    // `ask` is called, with the destination claimed, only for Replace::Ask and an existing file. The
    // first source to reach a destination keeps it for the rest of the run.
    Verdict Decide(const std::string& source, const std::string& destination, Replace replace,
                   const std::function<bool()>& ask = {});

  private:
    Advice advice_;
    std::map<std::pair<dev_t, ino_t>, std::string> sourceFiles_;
    std::map<std::string, std::string> destinations_;  // canonical destination -> the source that has it
    timespec runStart_{};
};

}  // namespace conversion
