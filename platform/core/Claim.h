#pragma once
#include <string>

#include "platform/core/UniqueFd.h"

namespace platform {

// A destination claimed by this process for as long as the object lives: the file .NAME.rm.claim beside
// it, locked with flock and holding "process N on host". The kernel drops the lock when the process ends
// however it ends, so a claim a killed run left behind is taken over at once, with no guess about whether its
// process id still means the same process (or means anything on another machine sharing the folder).
// The window and quenzor-convert both take it, so that no two conversions write one file at once.
class Claim {
  public:
    enum class State {
        Held,         // this process holds the destination
        HeldByOther,  // another run is writing it; Holder() says which
        Refused,      // the claim name is a link, or not a plain file: nothing was written through it
        Unavailable,  // no claim file can be made there, or its file system has no locks (the encoder
                      // names the folder's trouble); no file is left behind
    };

    explicit Claim(const std::string& destination);
    // Removes the claim file while it is still locked, so that nobody locks a file already gone unseen:
    // a file it made, or one a run of ours wrote and left behind. Any other file of that name (the user's)
    // is only locked while held, and stays as it was.
    ~Claim();
    Claim(const Claim&) = delete;
    Claim& operator=(const Claim&) = delete;

    State GetState() const { return state_; }
    // What the claim file of another run says: "process 1234 on host".
    const std::string& Holder() const { return holder_; }
    // Why the claim was refused, for the user.
    std::string RefusalText() const;

  private:
    std::string path_;
    UniqueFd fd_;
    State state_ = State::Unavailable;
    std::string holder_;
    bool owned_ = false;  // the file is a claim of ours: it is signed, and removed at the end
};

// The claim file of a destination: ".NAME.rm.claim" in the destination's folder. A name too long for
// that gets a shortened one with a digest of the whole name, the same for every run.
std::string ClaimPath(const std::string& destination);

// Removes the claim file a finished destination still has when no run holds it: a run killed between
// putting its file in place and removing its claim left it. Harmless when there is none; a file of that
// name that no run of ours wrote is left alone.
void RemoveAbandonedClaim(const std::string& destination);

}  // namespace platform
