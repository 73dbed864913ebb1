#include "encoder/BuiltinEncoder.h"

#include <QCoreApplication>
#include <QObject>
#include <QString>

#include <algorithm>
#include <atomic>
#include <map>
#include <memory>
#include <new>
#include <system_error>
#include <thread>
#include <utility>

#include "encoder/Audiences.h"
#include "encoder/EncodeError.h"
#include "encoder/SafeOutput.h"
#include "encoder/Transcoder.h"
#include "encoder/WideText.h"
#include "platform/core/FileNames.h"
#include "platform/core/TempFiles.h"

extern "C" {
#include <libavutil/log.h>
#if defined(__SANITIZE_THREAD__)
void __tsan_acquire(void* address);
void __tsan_release(void* address);
#endif
}

namespace encoder {
namespace {

// A call queued to the user-interface thread. Qt's event queue orders what the posting thread did before
// the call, and Qt's reference count orders the call before the thread that lets go of it last frees it;
// Qt is not built with ThreadSanitizer, which cannot see either. So both hand-overs are marked on the
// call: released once Qt has moved it into place and after it ran, acquired before it runs and before it
// goes. Elsewhere this is the call itself.
template <typename Call>
struct HandedOver {
    Call call;
    explicit HandedOver(Call c) : call(std::move(c)) {}
    HandedOver(HandedOver&& from) noexcept : call(std::move(from.call)) { Release(); }
    ~HandedOver() { Acquire(); }
    void operator()() {
        Acquire();
        call();
        Release();
    }
    void Acquire() {
#if defined(__SANITIZE_THREAD__)
        __tsan_acquire(this);
#endif
    }
    void Release() {
#if defined(__SANITIZE_THREAD__)
        __tsan_release(this);
#endif
    }
};

// The failure code of every error event; the message says what went wrong.
constexpr std::int32_t kEncodeFailed = static_cast<std::int32_t>(0x80004005u);

enum class Kind { Text, Enum, Bool, ReadOnlyBool };

struct Property {
    DispId id;
    const char* name;
    Kind kind;
    std::int32_t maxEnum;  // enums take 0..maxEnum
    bool initiallyTrue;    // booleans
};

// Every property the control knows, with its type and the value it has until the host sets one: texts
// empty, enums 0, input audio and video on, target audiences and SureStream off.
const Property kProperties[] = {
    {DispId::InputType, "InputType", Kind::Enum, 0, false},
    {DispId::InputFilename, "InputFilename", Kind::Text, 0, false},
    {DispId::InputDoAudio, "InputDoAudio", Kind::Bool, 0, true},
    {DispId::InputDoVideo, "InputDoVideo", Kind::Bool, 0, true},
    {DispId::OutputFilename, "OutputFilename", Kind::Text, 0, false},
    {DispId::TempDirectory, "TempDirectory", Kind::Text, 0, false},
    {DispId::Title, "Title", Kind::Text, 0, false},
    {DispId::Author, "Author", Kind::Text, 0, false},
    {DispId::Copyright, "Copyright", Kind::Text, 0, false},
    {DispId::Description, "Description", Kind::Text, 0, false},
    {DispId::Keywords, "Keywords", Kind::Text, 0, false},
    {DispId::Target28KModem, "Target28KModem", Kind::Bool, 0, false},
    {DispId::Target56KModem, "Target56KModem", Kind::Bool, 0, false},
    {DispId::TargetSingleISDN, "TargetSingleISDN", Kind::Bool, 0, false},
    {DispId::TargetDualISDN, "TargetDualISDN", Kind::Bool, 0, false},
    {DispId::TargetDSLCableModem, "TargetDSLCableModem", Kind::Bool, 0, false},
    {DispId::TargetLAN, "TargetLAN", Kind::Bool, 0, false},
    {DispId::AudioContent, "AudioContent", Kind::Enum, 3, false},
    {DispId::VideoQuality, "VideoQuality", Kind::Enum, 3, false},
    {DispId::SureStream, "SureStream", Kind::Bool, 0, false},
    {DispId::Target256KDSLCableModem, "Target256KDSLCableModem", Kind::Bool, 0, false},
    {DispId::Target384KDSLCableModem, "Target384KDSLCableModem", Kind::Bool, 0, false},
    {DispId::Target512KDSLCableModem, "Target512KDSLCableModem", Kind::Bool, 0, false},
    {DispId::IsEncoding, "IsEncoding", Kind::ReadOnlyBool, 0, false},
};

const Property& Find(DispId id) {
    for (const Property& p : kProperties)
        if (p.id == id)
            return p;
    throw ControlError("The encoder has no property with the id " + std::to_string(static_cast<int>(id)) +
                       ".");
}

// One encode as both threads see it.
struct Session {
    std::atomic<bool> stop{false};
};

class BuiltinEncoder final : public IProducerDispatch {
  public:
    BuiltinEncoder() : relay_(std::make_unique<QObject>()) {
        for (const Property& p : kProperties) {
            if (p.kind == Kind::Text)
                values_[p.id] = std::u16string();
            if (p.kind == Kind::Enum)
                values_[p.id] = std::int32_t{0};
            if (p.kind == Kind::Bool)
                values_[p.id] = p.initiallyTrue ? kVariantTrue : kVariantFalse;
        }
    }

    ~BuiltinEncoder() override { Halt(); }

    void PutProperty(DispId id, const DispValue& value) override {
        const Property& p = Find(id);
        switch (p.kind) {
            case Kind::ReadOnlyBool:
                throw ControlError(std::string("The property ") + p.name + " can only be read.");
            case Kind::Text:
                if (!std::holds_alternative<std::u16string>(value))
                    throw ControlError(std::string("The property ") + p.name + " takes a text.");
                values_[id] = value;
                // The temporary folder is named at start and before every run: the time to remove what
                // killed encodes of earlier runs left there.
                if (id == DispId::TempDirectory)
                    platform::RemoveAbandonedTemporaryFiles(Text(DispId::TempDirectory));
                break;
            case Kind::Enum: {
                const auto* number = std::get_if<std::int32_t>(&value);
                if (!number)
                    throw ControlError(std::string("The property ") + p.name + " takes a number.");
                if (*number < 0 || *number > p.maxEnum)
                    throw ControlError("The value " + std::to_string(*number) + " is out of range for " +
                                       p.name + " (0 to " + std::to_string(p.maxEnum) + ").");
                values_[id] = value;
                break;
            }
            case Kind::Bool: {
                const auto* flag = std::get_if<VariantBool>(&value);
                if (!flag)
                    throw ControlError(std::string("The property ") + p.name + " takes true or false.");
                values_[id] = *flag != kVariantFalse ? kVariantTrue : kVariantFalse;
                break;
            }
        }
    }

    DispValue GetProperty(DispId id) override {
        Find(id);
        if (id == DispId::IsEncoding)
            return session_ ? kVariantTrue : kVariantFalse;
        return values_.at(id);
    }

    void StartEncoding() override {
        if (session_)
            throw ControlError(
                "The encoder is already encoding a file. Stop it or wait until it has finished.");
        TranscodeJob job = MakeJob();
        if (job.source.empty())
            throw ControlError("No source file is set. Set InputFilename before starting to encode.");
        const std::string destination = Text(DispId::OutputFilename);
        if (destination.empty())
            throw ControlError("No destination file is set. Set OutputFilename before starting to encode.");
        const std::string tempDirectory = Text(DispId::TempDirectory);

        auto session = std::make_shared<Session>();
        // The session counts as running only once its thread exists: a thread the system refuses must
        // not leave the control busy for good. Its first event cannot arrive before this call returns.
        try {
            worker_ =
                std::thread([this, session, job = std::move(job), destination, tempDirectory]() mutable {
                    Work(session, std::move(job), destination, tempDirectory);
                });
        } catch (const std::system_error& e) {
            throw ControlError(std::string("The encoder cannot start: ") + e.what() + ".");
        }
        session_ = session;
    }

    void StopEncoding() override { Halt(); }

    void Advise(EventSink* sink) override { sink_ = sink; }

  private:
    std::string Text(DispId id) const { return FromWide(std::get<std::u16string>(values_.at(id))); }
    bool Flag(DispId id) const { return std::get<VariantBool>(values_.at(id)) != kVariantFalse; }
    std::int32_t Number(DispId id) const { return std::get<std::int32_t>(values_.at(id)); }

    TranscodeJob MakeJob() const {
        TranscodeJob job;
        job.source = Text(DispId::InputFilename);
        EncodeChoice& c = job.choice;
        for (std::size_t i = 0; i < kTargetAudiences.size(); ++i)
            c.targets[i] = Flag(kTargetAudiences[i].property);
        // The generic DSL/cable target stands for the 256K DSL audience.
        if (Flag(DispId::TargetDSLCableModem))
            c.targets[static_cast<size_t>(Audience::DSL256K)] = true;
        c.audioContent = Number(DispId::AudioContent);
        c.videoQuality = Number(DispId::VideoQuality);
        c.doAudio = Flag(DispId::InputDoAudio);
        c.doVideo = Flag(DispId::InputDoVideo);
        c.sureStream = Flag(DispId::SureStream);
        rm::ClipInfo& clip = job.clip;
        clip.title = Text(DispId::Title);
        clip.author = Text(DispId::Author);
        clip.copyright = Text(DispId::Copyright);
        clip.comment = Text(DispId::Description);
        if (!clip.comment.empty())
            clip.fileInfo.emplace_back("Description", clip.comment);
        if (const std::string keywords = Text(DispId::Keywords); !keywords.empty())
            clip.fileInfo.emplace_back("Keywords", keywords);
        return job;
    }

    // Runs on the worker thread. Every event goes to the user-interface thread through the relay.
    void Work(const std::shared_ptr<Session>& session, TranscodeJob job, const std::string& destination,
              const std::string& tempDirectory) {
        Post(session, [this] {
            if (sink_)
                sink_->OnEncodingStarted();
        });
        std::string error, temporary;
        bool inTemporaryDirectory = false;
        try {
            if (platform::SameFile(job.source, destination))
                throw EncodeError("The destination file " + destination + " is the source file " +
                                  job.source +
                                  " itself; the source was left as it was. Choose another output folder.");
            TempOutput output(destination, tempDirectory);
            temporary = output.Path();
            inTemporaryDirectory = output.InTemporaryDirectory();
            job.output = output.Path();
            bool finished = false;
            {
                Transcoder transcoder(
                    std::move(job), session->stop, [this, &session](const TranscodeProgress& p) {
                        Post(session, [this, p] {
                            if (sink_)
                                sink_->OnEncodingProgressChanged(p.durationMs, p.timestampMs, p.percentDone,
                                                                 p.audioPeakLevel);
                        });
                    });
                finished = transcoder.Run();
            }
            if (finished && !session->stop)
                output.Commit(session->stop);
        } catch (const EncodeError& e) {
            error = e.what();
            // The user knows the destination, not the temporary file behind it; but when that file lies
            // in the temporary folder, a full or locked disk is that folder's, so it is named too.
            if (!temporary.empty() && error.find(temporary) != std::string::npos) {
                for (size_t at = error.find(temporary); at != std::string::npos;
                     at = error.find(temporary, at + destination.size()))
                    error.replace(at, temporary.size(), destination);
                if (inTemporaryDirectory)
                    error +=
                        " The file was being written in the temporary folder " + tempDirectory + " first.";
            }
        } catch (const std::bad_alloc&) {
            error = "There is not enough memory to encode the file.";
        } catch (const std::exception& e) {
            error = std::string("The encode failed: ") + e.what();
        }
        Post(session, [this, error] { Finished(error); });
    }

    // Queues `call` on the thread that created the control; dropped when the encode it belongs to was
    // stopped in the meantime, so a stopped encode raises nothing more.
    template <typename Call>
    void Post(const std::shared_ptr<Session>& session, Call call) {
        std::weak_ptr<Session> owner = session;
        QMetaObject::invokeMethod(relay_.get(), HandedOver([this, owner, call = std::move(call)] {
                                      auto session = owner.lock();
                                      if (session && session == session_ && !session->stop)
                                          call();
                                  }),
                                  Qt::QueuedConnection);
    }

    // On the user-interface thread, after the worker's last event.
    void Finished(const std::string& error) {
        if (worker_.joinable())
            worker_.join();
        session_.reset();
        if (!error.empty() && sink_)
            sink_->OnErrorOccurred(kEncodeFailed, ToWide(error));
        // Last: the host may start the next encode from within this event.
        if (sink_)
            sink_->OnOtherEvent(EventId::OnEncodingStopped);
    }

    // Stops a running encode and waits for its thread, which removes the unfinished file before it ends.
    void Halt() {
        if (session_)
            session_->stop = true;
        if (worker_.joinable())
            worker_.join();
        session_.reset();
    }

    std::unique_ptr<QObject> relay_;  // lives on the creating thread; events are delivered through it
    std::map<DispId, DispValue> values_;
    EventSink* sink_ = nullptr;
    std::shared_ptr<Session> session_;
    std::thread worker_;
};

}  // namespace

std::unique_ptr<IProducerDispatch> CreateBuiltinEncoder() {
    return std::make_unique<BuiltinEncoder>();
}

void QuietLibavLogging() {
    av_log_set_level(AV_LOG_FATAL);
}

}  // namespace encoder
