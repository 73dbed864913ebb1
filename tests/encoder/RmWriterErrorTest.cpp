// Failures end in WriteError with a sentence for the user, and no file stays open.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <functional>

#include "RmWriterFixtures.h"
#include "encoder/rm/OutputFile.h"
#include "encoder/rm/RmWriter.h"
#include "support/FileHelpers.h"

using namespace rmtest;
using encoder::rm::WriteError;
using encoder::rm::Writer;

namespace {

// Runs `body` in a child process and returns its exit code (or 128 + signal).
int InChild(const std::function<int()>& body) {
    const pid_t pid = fork();
    if (pid == 0) {
        int code = 99;
        try {
            code = body();
        } catch (...) {
            code = 98;
        }
        _exit(code);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

// Writes the streams and expects a WriteError naming the file and the cause, with no descriptor left.
int WriteExpectingFailure(const std::string& path, const std::vector<const EncodedStream*>& streams,
                          const std::string& cause) {
    const int before = OpenDescriptorCount();
    try {
        WriteFile(path, streams, {});
    } catch (const WriteError& e) {
        const std::string text = e.what();
        if (text.find(path) == std::string::npos || text.find(cause) == std::string::npos)
            return 2;
        return OpenDescriptorCount() == before ? 0 : 3;
    }
    return 1;
}

}  // namespace

TEST(RmWriterErrors, MissingFolderIsNamedWhenTheFileIsCreated) {
    testsupport::ScratchDir dir;
    const std::string path = dir.File("missing/clip.rm");
    try {
        Writer writer(path);
        FAIL() << "no error";
    } catch (const WriteError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot create the file \"" + path + "\": the folder does not exist.");
    }
}

TEST(RmWriterErrors, FileSizeLimitEndsInAnErrorAndClosesEverything) {
    testsupport::ScratchDir dir;
    const EncodedStream video = EncodeRv20(160, 120, 10, 20, 200000, 10);
    const std::string path = dir.File("limited.rm");
    const int code = InChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{20000, 20000};
        setrlimit(RLIMIT_FSIZE, &limit);
        return WriteExpectingFailure(path, {&video}, "larger than the system allows");
    });
    EXPECT_EQ(code, 0);
}

TEST(RmWriterErrors, FullDiskEndsInAnErrorAndClosesEverything) {
    testsupport::ScratchDir dir;
    const EncodedStream video = EncodeRv20(160, 120, 10, 20, 200000, 10);
    const int code = InChild([&] {
        // A private mount namespace, so the small disk goes away with the child.
        if (unshare(CLONE_NEWNS) != 0 || mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount("tmpfs", dir.Path().c_str(), "tmpfs", 0, "size=16k") != 0)
            return 77;
        return WriteExpectingFailure(dir.File("full.rm"), {&video}, "the disk is full");
    });
    if (code == 77)
        GTEST_SKIP() << "no permission to mount a small disk here";
    EXPECT_EQ(code, 0);
}

TEST(RmWriterErrors, AbandonedWriterLeavesNoDescriptorOpen) {
    testsupport::ScratchDir dir;
    const EncodedStream audio = EncodeRa144(0.2);
    const int before = OpenDescriptorCount();
    {
        Writer writer(dir.File("abandoned.rm"));
        const int id = writer.AddStream(audio.desc);
        writer.Begin({});
        writer.WriteFrame(id, 0, true, audio.frames[0].bytes);
    }
    EXPECT_EQ(OpenDescriptorCount(), before);

    // Stopped while the file is laid out: Finish gives up at its next write and closes everything.
    std::atomic<bool> stop{false};
    {
        Writer writer(dir.File("stopped.rm"));
        writer.StopWhen(stop);
        const int id = writer.AddStream(audio.desc);
        writer.Begin({});
        for (const Frame& frame : audio.frames)
            writer.WriteFrame(id, frame.timestampMs, true, frame.bytes);
        stop = true;
        EXPECT_THROW(writer.Finish(), encoder::rm::WriteStopped);
    }
    EXPECT_EQ(OpenDescriptorCount(), before);
}

TEST(RmWriterErrors, CallsOutOfOrderAreRefused) {
    testsupport::ScratchDir dir;
    const EncodedStream audio = EncodeRa144(0.2);
    Writer writer(dir.File("misuse.rm"));
    const int id = writer.AddStream(audio.desc);
    EXPECT_THROW(writer.WriteFrame(id, 0, true, audio.frames[0].bytes), std::logic_error);
    EXPECT_THROW(writer.Finish(), std::logic_error);
    encoder::rm::StreamDesc odd = audio.desc;
    odd.codec = encoder::rm::Codec::RealVideo20;  // a picture codec for a sound stream
    EXPECT_THROW(writer.AddStream(odd), std::invalid_argument);
    writer.Begin({});
    EXPECT_THROW(writer.AddStream(audio.desc), std::logic_error);
    EXPECT_THROW(writer.WriteFrame(id + 1, 0, true, audio.frames[0].bytes), std::out_of_range);
    EXPECT_THROW(writer.WriteFrame(id, -5, true, audio.frames[0].bytes), std::out_of_range);
    writer.WriteFrame(id, 0, true, audio.frames[0].bytes);
    writer.Finish();
    EXPECT_THROW(writer.Finish(), std::logic_error);

    // Cook cannot be decoded without its codec data, nor its last block completed without a silent frame.
    const EncodedStream cook = EncodeCook(11025, 1, 8000, 0.5);
    Writer cookWriter(dir.File("cook.rm"));
    using Bytes = std::vector<std::uint8_t> encoder::rm::StreamDesc::*;
    for (const Bytes field : {&encoder::rm::StreamDesc::extradata, &encoder::rm::StreamDesc::silentFrame}) {
        encoder::rm::StreamDesc bare = cook.desc;
        (bare.*field).clear();
        EXPECT_THROW(cookWriter.AddStream(bare), std::invalid_argument);
    }
}
