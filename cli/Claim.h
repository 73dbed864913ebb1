#pragma once
#include <string>

#include "platform/core/UniqueFd.h"

namespace cli {

// A destination claimed by this process for as long as the object lives: the file .NAME.rm.claim beside
// it, locked with flock and holding "pid host". The kernel drops the lock when the process ends however
// it ends, so a claim a killed run left behind is taken over at once, with no guess about whether its
// process id still means the same process (or means anything on another machine sharing the folder).
class Claim {
  public:
    enum class State {
        Held,         // this process holds the destination
        HeldByOther,  // another run is writing it; Holder() says which
        Unavailable,  // no claim file can be made there (the encoder names the folder's trouble)
    };

    explicit Claim(const std::string& destination);
    // Removes the claim file while it is still locked, so that nobody locks a file already gone unseen.
    ~Claim();
    Claim(const Claim&) = delete;
    Claim& operator=(const Claim&) = delete;

    State GetState() const { return state_; }
    // What the claim file of another run says: "process 1234 on host".
    const std::string& Holder() const { return holder_; }

  private:
    std::string path_;
    platform::UniqueFd fd_;
    State state_ = State::Unavailable;
    std::string holder_;
};

// The claim file of a destination: ".NAME.rm.claim" in the destination's folder.
std::string ClaimPath(const std::string& destination);

}  // namespace cli
