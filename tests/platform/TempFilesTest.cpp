// Temporary files and claims beside the user's own files: what is made, what is swept, what is left alone.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>

#include "platform/core/Claim.h"
#include "platform/core/FileNames.h"
#include "platform/core/Files.h"
#include "platform/core/TempFiles.h"
#include "support/FileHelpers.h"

namespace {
namespace fs = std::filesystem;

int lockCalls = 0;

// A file system that has no locks, as some network file systems are: every lock is refused.
class NoLocks {
  public:
    explicit NoLocks(int error) : old_(platform::ReplaceLockCall(&Refuse)) {
        refusal = error;
        lockCalls = 0;
    }
    ~NoLocks() { platform::ReplaceLockCall(old_); }

  private:
    static inline int refusal = ENOLCK;
    static int Refuse(int, int) {
        ++lockCalls;
        errno = refusal;
        return -1;
    }
    platform::LockCall old_;
};

// A temporary file of ours that nobody writes any more, renamed to `name` in the same folder.
std::string AbandonedAs(const testsupport::ScratchDir& dir, const std::string& name) {
    const std::string made = platform::CreateUniqueFile(dir.File(".made.rm-"), ".tmp").path;
    fs::rename(made, dir.File(name));
    return dir.File(name);
}

}  // namespace

TEST(TempFiles, WithoutLocksNothingIsMadeOrLeft) {
    for (const int error : {ENOLCK, EOPNOTSUPP, ENOSYS}) {
        testsupport::ScratchDir dir;
        const NoLocks noLocks(error);
        errno = 0;
        const platform::UniqueFile file = platform::CreateUniqueFile(dir.File(".a.rm-"), ".tmp");
        EXPECT_FALSE(file.fd.Valid());
        EXPECT_EQ(errno, ENOLCK) << "the refusal is told as one error, whichever the file system gives";
        EXPECT_EQ(lockCalls, 1) << "no other name is tried: none would fare better";

        {
            const platform::Claim claim(dir.File("a.rm"));
            EXPECT_EQ(claim.GetState(), platform::Claim::State::Unavailable);
        }
        try {
            platform::WriteFileAtomically(dir.File("data.ini"), "[option]\r\n");
            ADD_FAILURE() << "written without a lock";
        } catch (const platform::EFileError& e) {
            EXPECT_EQ(std::string(e.what()),
                      "Cannot create file \"" + dir.File("data.ini") + "\": the file system of the folder " +
                          dir.Path() + " has no file locks, which mark a file while it is written, so " +
                          "nothing is written there.");
        }
        EXPECT_EQ(testsupport::FolderEntries(dir.Path()), std::vector<std::string>{});

        // A claim a run of ours left behind is not ours to remove when it cannot be locked.
        testsupport::WriteBytes(dir.File(".b.rm.claim"), "process 7 on elsewhere\n");
        platform::RemoveAbandonedClaim(dir.File("b.rm"));
        EXPECT_EQ(testsupport::ReadBytes(dir.File(".b.rm.claim")), "process 7 on elsewhere\n");
    }
}

// The sweep and the claims remove and write only files of the forms we make; the user's files that merely
// look like them stay as they were, even with a valid check in their names.
TEST(TempFiles, TheSweepAndClaimsTouchOnlyOurOwnFiles) {
    testsupport::ScratchDir dir;
    // The unique part and suffix of a name CreateUniqueFile made: its check is valid.
    const std::string made = platform::CreateUniqueFile(dir.File(".made.rm-"), ".tmp").path;
    const std::string tail = made.substr(made.size() - 28);
    fs::remove(made);
    const std::vector<std::string> theirs = {"notes-0123456789abcdef01234567.tmp", "notes-" + tail,
                                             "x.rm-" + tail, "." + tail, "report." + tail};
    for (const std::string& name : theirs)
        AbandonedAs(dir, name);
    // Ours, abandoned: the encoder's form, a settings file's form, and a prefix too long to keep whole.
    AbandonedAs(dir, ".clip.rm-" + tail);
    AbandonedAs(dir, ".data.ini." + tail);
    const std::string longPrefix = "." + std::string(240, 'n') + ".rm-";
    const std::string cut = platform::CreateUniqueFile(dir.File(longPrefix), ".tmp").path;
    EXPECT_EQ(cut[cut.size() - 29], '-') << "the end of a shortened prefix stays";

    EXPECT_EQ(platform::RemoveAbandonedTemporaryFiles(dir.Path()), 3);
    std::vector<std::string> left = theirs;
    std::sort(left.begin(), left.end());
    EXPECT_EQ(testsupport::FolderEntries(dir.Path()), left);
    for (const std::string& name : theirs)
        fs::remove(dir.File(name));

    // A user's file with a claim's name is held by its lock alone: never emptied, never removed.
    testsupport::WriteBytes(dir.File(".x.rm.claim"), "my notes\n");
    testsupport::WriteBytes(dir.File(".empty.rm.claim"), "");
    {
        const platform::Claim claim(dir.File("x.rm"));
        EXPECT_EQ(claim.GetState(), platform::Claim::State::Held);
        const platform::Claim again(dir.File("x.rm"));
        EXPECT_EQ(again.GetState(), platform::Claim::State::HeldByOther);
        EXPECT_EQ(testsupport::ReadBytes(dir.File(".x.rm.claim")), "my notes\n");
    }
    platform::RemoveAbandonedClaim(dir.File("x.rm"));
    platform::RemoveAbandonedClaim(dir.File("empty.rm"));
    EXPECT_EQ(testsupport::ReadBytes(dir.File(".x.rm.claim")), "my notes\n");
    EXPECT_EQ(testsupport::ReadBytes(dir.File(".empty.rm.claim")), "");

    // A claim name that is a symbolic or a hard link to a user's file is refused, and nothing is written
    // through it.
    testsupport::WriteBytes(dir.File("diary.txt"), "dear diary");
    fs::create_symlink(dir.File("diary.txt"), dir.File(".soft.rm.claim"));
    fs::create_hard_link(dir.File("diary.txt"), dir.File(".hard.rm.claim"));
    for (const char* name : {"soft.rm", "hard.rm"}) {
        {
            const platform::Claim claim(dir.File(name));
            EXPECT_EQ(claim.GetState(), platform::Claim::State::Refused) << name;
        }
        platform::RemoveAbandonedClaim(dir.File(name));
    }
    EXPECT_EQ(testsupport::ReadBytes(dir.File("diary.txt")), "dear diary");
    EXPECT_TRUE(fs::is_symlink(dir.File(".soft.rm.claim")));
    EXPECT_EQ(fs::hard_link_count(dir.File("diary.txt")), 2u);
    for (const char* name : {"diary.txt", ".soft.rm.claim", ".hard.rm.claim"})
        fs::remove(dir.File(name));

    // Ours, in the forms runs write: taken over and removed. A new claim appears signed, and goes.
    testsupport::WriteBytes(dir.File(".old.rm.claim"), "4321 elsewhere\n");
    testsupport::WriteBytes(dir.File(".left.rm.claim"), "process 4321 on elsewhere\n");
    platform::RemoveAbandonedClaim(dir.File("old.rm"));
    platform::RemoveAbandonedClaim(dir.File("left.rm"));
    {
        const platform::Claim claim(dir.File("new.rm"));
        EXPECT_EQ(claim.GetState(), platform::Claim::State::Held);
        EXPECT_EQ(testsupport::ReadBytes(dir.File(".new.rm.claim"))
                      .rfind("process " + std::to_string(::getpid()) + " on ", 0),
                  0u);
    }
    EXPECT_EQ(testsupport::FolderEntries(dir.Path()),
              (std::vector<std::string>{".empty.rm.claim", ".x.rm.claim"}));
}

// Names are cut to what a file system takes without splitting a character, so that a shortened name still
// reads as the one it was made from. Bytes that are no UTF-8 (a Latin-1 name) are cut as they are.
TEST(TempFiles, NamesAreCutWithoutSplittingACharacter) {
    const std::string e = "\xc3\xa9", smile = "\xf0\x9f\x98\x80";
    struct Case {
        std::string text;
        std::size_t limit;
        std::string cut;
    };
    for (const Case& c : std::vector<Case>{
             {"abc", 3, "abc"},
             {"a" + e, 2, "a"},                                    // the limit splits a character
             {"a" + e + "b", 3, "a" + e},                          // it falls between characters
             {"a" + smile, 4, "a"},                                // three bytes of a four-byte character
             {std::string(6, '\x80'), 5, std::string(5, '\x80')},  // no UTF-8: not cut back to nothing
             {"M\xfcller", 1, "M"},
             {"M\xfcller", 2, "M\xfc"},
         })
        EXPECT_EQ(platform::CutUtf8(c.text, c.limit), c.cut) << c.text << " at " << c.limit;

    // The names made from a long name fit and read whole; two such names stay apart.
    testsupport::ScratchDir dir;
    std::string longName;
    for (int i = 0; i < 123; ++i)
        longName += e;
    const std::string made = platform::CreateUniqueFile(dir.File("." + longName + ".rm-"), ".tmp").path;
    const std::string madeName = fs::path(made).filename().string();
    EXPECT_LE(madeName.size(), platform::kMaxNameBytes);
    EXPECT_EQ(platform::ReadableName(madeName), madeName);
    EXPECT_EQ(platform::RemoveAbandonedTemporaryFiles(dir.Path()), 1) << "the sweep knows the cut name";
    const std::string claim = fs::path(platform::ClaimPath(dir.File(longName + ".rm"))).filename().string();
    EXPECT_LE(claim.size(), platform::kMaxNameBytes);
    EXPECT_EQ(platform::ReadableName(claim), claim);
    EXPECT_NE(claim, fs::path(platform::ClaimPath(dir.File(longName + "x.rm"))).filename().string());
}
