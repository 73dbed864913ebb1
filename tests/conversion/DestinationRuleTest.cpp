#include "conversion/DestinationRule.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

#include "platform/core/Claim.h"
#include "support/FileHelpers.h"

namespace {

using conversion::DestinationRule;
using Kind = DestinationRule::Verdict::Kind;
using Replace = DestinationRule::Replace;

// One run over made-up folders: every way a destination is refused, kept or taken, each on a destination of
// its own since the rule remembers every destination it was asked about.
TEST(DestinationRule, RefusesKeepsOrClaimsEachDestinationAsBothProgramsDo) {
    testsupport::ScratchDir dir;
    const std::string a = dir.File("a.avi"), b = dir.File("b.avi"), c = dir.File("c.avi");
    for (const std::string& s : {a, b, c})
        testsupport::WriteBytes(s, "source");
    // Written before the run began, as a finished file of an earlier run is.
    const std::string earlier = dir.File("earlier.rm");
    testsupport::WriteBytes(earlier, "old");
    std::filesystem::last_write_time(earlier,
                                     std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
    DestinationRule rule({a, b, c}, {.ontoSource = "Go elsewhere.", .twoIntoOne = "Rename one."});

    // Another conversion holds the claim: left to it, with who holds it.
    {
        const std::string held = dir.File("held.rm");
        const platform::Claim other(held);
        ASSERT_EQ(other.GetState(), platform::Claim::State::Held);
        const DestinationRule::Verdict v = rule.Decide(a, held, Replace::Always);
        EXPECT_EQ(v.kind, Kind::Skip);
        const std::string holder = testsupport::ReadBytes(platform::ClaimPath(held));
        EXPECT_EQ(v.why, "Another conversion is writing " + held + " (" +
                             holder.substr(0, holder.size() - 1) + ").");
        EXPECT_EQ(v.claim, nullptr);
    }

    // The destination is a source of the run, through a link: refused even with overwrite.
    const std::string link = dir.File("link.rm");
    ASSERT_EQ(::symlink(b.c_str(), link.c_str()), 0);
    DestinationRule::Verdict v = rule.Decide(a, link, Replace::Always);
    EXPECT_EQ(v.kind, Kind::Fail);
    EXPECT_EQ(v.why,
              link + " is the source file " + b + " of this run; it was left as it was. Go elsewhere.");
    EXPECT_EQ(testsupport::ReadBytes(b), "source");

    // An existing file without overwrite is kept, and no claim file is left behind; a claim a killed run left
    // beside it goes at the same time.
    const std::string done = dir.File("done.rm");
    testsupport::WriteBytes(done, "done");
    testsupport::WriteBytes(platform::ClaimPath(done), "process 99999 on elsewhere\n");
    v = rule.Decide(a, done, Replace::Never);
    EXPECT_EQ(v.kind, Kind::Skip);
    EXPECT_EQ(v.why, done + " exists; --overwrite replaces it.");
    EXPECT_FALSE(std::filesystem::exists(platform::ClaimPath(done))) << "the abandoned claim is removed";

    // With overwrite a file from before the run is taken, under the claim.
    v = rule.Decide(a, earlier, Replace::Always);
    ASSERT_EQ(v.kind, Kind::Write) << v.why;
    ASSERT_NE(v.claim, nullptr);
    EXPECT_EQ(v.claim->GetState(), platform::Claim::State::Held);
    v.claim.reset();

    // One that appeared after the run began is another run's fresh work, and is kept.
    const std::string fresh = dir.File("fresh.rm");
    testsupport::WriteBytes(fresh, "fresh");
    v = rule.Decide(b, fresh, Replace::Always);
    EXPECT_EQ(v.kind, Kind::Skip);
    EXPECT_EQ(v.why, fresh + " was written after this run began; it is kept.");
    EXPECT_EQ(testsupport::ReadBytes(fresh), "fresh");

    // Asked: the question comes under the claim, only for a file that exists, and its No keeps the file.
    int asked = 0;
    const auto no = [&] {
        ++asked;
        EXPECT_TRUE(std::filesystem::exists(platform::ClaimPath(dir.File("mine.rm"))));
        return false;
    };
    testsupport::WriteBytes(dir.File("mine.rm"), "mine");
    v = rule.Decide(b, dir.File("mine.rm"), Replace::Ask, no);
    EXPECT_EQ(v.kind, Kind::Skip);
    EXPECT_EQ(v.why, "");
    EXPECT_EQ(asked, 1);
    v = rule.Decide(b, dir.File("new.rm"), Replace::Ask, no);
    EXPECT_EQ(v.kind, Kind::Write);
    EXPECT_EQ(asked, 1) << "nothing to ask about";
    v.claim.reset();

    // Two sources meeting in one destination, however it is spelled: the first keeps it.
    v = rule.Decide(a, dir.File("one.rm"), Replace::Always);
    ASSERT_EQ(v.kind, Kind::Write);
    v.claim.reset();
    std::filesystem::create_directory(dir.File("sub"));
    const std::string again = dir.File("sub/../one.rm");
    v = rule.Decide(c, again, Replace::Always);
    EXPECT_EQ(v.kind, Kind::Fail);
    EXPECT_EQ(v.why, c + " and " + a + " would both become " + again + "; " + a + " has it. Rename one.");
    EXPECT_EQ(v.claim, nullptr);
}

}  // namespace
