#include "conversion/DestinationRule.h"

#include <sys/stat.h>

#include <filesystem>

#include "platform/core/Paths.h"

namespace conversion {
namespace {

// The clock the file system stamps files with, so that a file written after this moment never looks
// older than it.
timespec WallClock() {
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME_COARSE, &now);
    return now;
}

// The file was last written at `since` or later.
bool WrittenSince(const std::string& path, const timespec& since) {
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        return false;
    return st.st_mtim.tv_sec > since.tv_sec ||
           (st.st_mtim.tv_sec == since.tv_sec && st.st_mtim.tv_nsec >= since.tv_nsec);
}

// One name for every spelling of a destination ("clip.rm", "./clip.rm", through linked folders).
std::string Canonical(const std::string& path) {
    std::error_code ec;
    const std::filesystem::path canonical = std::filesystem::weakly_canonical(path, ec);
    return ec ? path : canonical.string();
}

DestinationRule::Verdict Refuse(DestinationRule::Verdict::Kind kind, std::string why) {
    DestinationRule::Verdict v;
    v.kind = kind;
    v.why = std::move(why);
    return v;
}

}  // namespace

DestinationRule::DestinationRule(const std::vector<std::string>& sources, Advice advice)
    : advice_(std::move(advice)), runStart_(WallClock()) {
    for (const std::string& source : sources) {
        struct stat st {};
        if (::stat(source.c_str(), &st) == 0)
            sourceFiles_.emplace(std::make_pair(st.st_dev, st.st_ino), source);
    }
}

DestinationRule::Verdict DestinationRule::Decide(const std::string& source, const std::string& destination,
                                                 Replace replace, const std::function<bool()>& ask) {
    using Kind = Verdict::Kind;
    // Never onto a source, and never twice into one destination: each is a failure that says what to do.
    const auto [first, unique] = destinations_.emplace(Canonical(destination), source);
    struct stat st {};
    if (::stat(destination.c_str(), &st) == 0)
        if (const auto s = sourceFiles_.find({st.st_dev, st.st_ino}); s != sourceFiles_.end())
            return Refuse(Kind::Fail, destination + " is the source file " + s->second +
                                          " of this run; it was left as it was. " + advice_.ontoSource);
    if (!unique)
        return Refuse(Kind::Fail, source + " and " + first->second + " would both become " + destination +
                                      "; " + first->second + " has it. " + advice_.twoIntoOne);
    const std::string exists = destination + " exists; --overwrite replaces it.";
    // Looked at before claiming, so that a second run over finished files leaves no trace.
    if (replace == Replace::Never && platform::FileExists(destination)) {
        // A claim a killed run left beside its finished file goes now, unless a run still holds it.
        platform::RemoveAbandonedClaim(destination);
        return Refuse(Kind::Skip, exists);
    }
    // The claim never waits.
    auto claim = std::make_unique<platform::Claim>(destination);
    if (claim->GetState() == platform::Claim::State::HeldByOther)
        return Refuse(Kind::Skip,
                      "Another conversion is writing " + destination + " (" + claim->Holder() + ").");
    if (claim->GetState() == platform::Claim::State::Refused)
        return Refuse(Kind::Fail, claim->RefusalText());
    // Looked at again under the claim: another run may have finished the file in between.
    if (platform::FileExists(destination)) {
        switch (replace) {
            case Replace::Never:
                return Refuse(Kind::Skip, exists);
            case Replace::Always:
                if (WrittenSince(destination, runStart_))
                    return Refuse(Kind::Skip, destination + " was written after this run began; it is kept.");
                break;
            case Replace::Ask:
                if (!ask || !ask())
                    return Refuse(Kind::Skip, {});
                break;
        }
    }
    Verdict v;
    v.kind = Kind::Write;
    v.claim = std::move(claim);
    return v;
}

}  // namespace conversion
