#include "encoder/Transcoder.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <memory>
#include <system_error>

#include <sys/stat.h>

#include "encoder/AudioOut.h"
#include "encoder/EncodeError.h"
#include "encoder/FrameSink.h"
#include "encoder/HelperLane.h"
#include "encoder/LibavPtr.h"
#include "encoder/PicturePool.h"
#include "encoder/VideoOut.h"
#include "encoder/rm/OutputFile.h"

namespace encoder {
namespace {

using Clock = std::chrono::steady_clock;

// A picture stamped this much later than the one before it, and later than the source says it lasts
// or than its sound has got to, has a broken time: the timeline is joined up there rather than filled
// with the last picture up to it (a damaged MPEG claiming a day of pictures took the encode's memory
// without end). A still longer than kMaxStillSeconds is taken for broken whatever the source says.
constexpr double kMaxPictureGapSeconds = 10;
constexpr double kMaxStillSeconds = 3 * 3600;
// Decoded blocks of sound go to the sound encoders this many at a time: their threads wake less often.
constexpr size_t kSampleBatch = 16;
// Bytes of decoded pictures, and of decoded samples, each encoder's queue holds at most: enough to
// keep both threads busy through an uneven stretch, little enough to keep the memory low.
constexpr std::size_t kPictureQueueBytes = std::size_t{6} << 20;
constexpr std::size_t kSampleQueueBytes = std::size_t{1} << 20;

// A decoded picture or block of samples shared by the encoders that take it; each holds a reference.
using SharedFrame = std::shared_ptr<const AVFrame>;

SharedFrame Own(av::FramePtr frame) {
    return SharedFrame(frame.release(), [](const AVFrame* f) {
        AVFrame* owned = const_cast<AVFrame*>(f);
        av_frame_free(&owned);
    });
}

// Another reference to `frame`'s pictures or samples (no copy).
SharedFrame Share(const AVFrame* frame) {
    return Own(av::Allocated<av::FramePtr>(av_frame_clone(frame)));
}

std::size_t FrameBytes(const AVFrame* frame) {
    std::size_t bytes = 0;
    for (const AVBufferRef* buffer : frame->buf)
        if (buffer)
            bytes += buffer->size;
    return std::max<std::size_t>(bytes, 1);
}

// The encoder of `plan`: audiences whose plans agree share one, so their frames are encoded once.
template <typename Out, typename Plan, typename... Extra>
Out& EncoderFor(std::vector<std::unique_ptr<Out>>& outs, const Plan& plan, Extra&... extra) {
    for (auto& existing : outs)
        if (existing->Plan() == plan)
            return *existing;
    return *outs.emplace_back(std::make_unique<Out>(plan, extra...));
}

// A decoder for one of the source's streams.
struct Decoder {
    int index = -1;
    AVStream* stream = nullptr;
    av::CodecPtr codec;
};

int InterruptRead(void* stop) {
    return static_cast<const std::atomic<bool>*>(stop)->load() ? 1 : 0;
}

}  // namespace

struct Transcoder::Impl {
    TranscodeJob job;
    const std::atomic<bool>& stop;
    ProgressFn progress;

    av::InputPtr input;
    Decoder video, audio;
    double sourceFps = 0;
    Orientation orientation;     // how the source's pictures are turned upright
    struct stat opened {};       // the source as it was when the encode began
    std::int64_t startTime = 0;  // of the clip, AV_TIME_BASE units
    std::vector<StreamPlan> plans;
    std::vector<std::unique_ptr<VideoOut>> videoOuts;
    std::vector<std::unique_ptr<AudioOut>> audioOuts;
    std::unique_ptr<rm::Writer> writer;
    FrameSink sink;

    double lastVideoSeconds = -1, videoEndSeconds = 0;
    double videoShift = 0;    // taken off the source's picture times after a broken leap in them
    double audioSeconds = 0;  // where the sound decoded so far ends, by its first time and samples
    std::vector<std::pair<SharedFrame, double>> samplesToSend;  // decoded sound not yet handed over
    std::size_t samplesToSendBytes = 0;
    std::int64_t audioSamplesSeen = 0;
    bool decodedAnything = false;
    std::int32_t lastPercent = -1;
    Clock::time_point lastReport;

    std::uint64_t pictureNumber = 0;
    // The video encoders of each output size, with their scaled pictures and their thread.
    struct VideoGroup {
        std::unique_ptr<ScaledPictures> scaled;
        std::vector<VideoOut*> outs;
    };
    std::vector<VideoGroup> videoGroups;

    // The threads of the video groups and of the audio encoders, by index; last, so that they end
    // before what they use.
    std::vector<std::unique_ptr<HelperLane>> videoLanes, audioLanes;

    Impl(TranscodeJob j, const std::atomic<bool>& s, ProgressFn p)
        : job(std::move(j)), stop(s), progress(std::move(p)) {}

    EncodeError SourceError(const std::string& reason) const {
        return EncodeError("Cannot read the source file " + job.source + ": " + reason + ".");
    }

    void Open() {
        std::error_code ec;
        const auto status = std::filesystem::status(job.source, ec);
        if (std::filesystem::is_directory(status))
            throw SourceError("it is a folder, not a media file");
        // A pipe or device could block the reader where Stop cannot reach it.
        if (std::filesystem::exists(status) && !std::filesystem::is_regular_file(status))
            throw SourceError("it is not a file but a device or pipe");
        if (::stat(job.source.c_str(), &opened) != 0)
            opened = {};
        // A source is a local file whatever its name holds ("pipe:a.wav", "concat:x|y" are names too),
        // and what it refers to is read from local files only.
        AVDictionary* options = nullptr;
        if (av_dict_set(&options, "protocol_whitelist", "file", 0) < 0)
            throw std::bad_alloc();
        av::DictionaryPtr heldOptions(options);  // avformat_open_input replaces what it takes
        AVFormatContext* raw = avformat_alloc_context();
        if (!raw)
            throw EncodeError("Out of memory.");
        raw->interrupt_callback.callback = InterruptRead;
        raw->interrupt_callback.opaque = const_cast<std::atomic<bool>*>(&stop);
        int rc = avformat_open_input(&raw, ("file:" + job.source).c_str(), nullptr, &options);
        // The dictionary held before the call was taken or freed by it; what is left is `options`.
        static_cast<void>(heldOptions.release());
        heldOptions.reset(options);
        // A demuxer chosen by the file's extension that finds no media in it says "Invalid argument",
        // which tells a user nothing; the system's own reasons (missing, no access) are kept as they are.
        if (rc == AVERROR(EINVAL))
            throw SourceError("it is not a media file this program can read");
        if (rc < 0)
            throw SourceError(av::ErrorText(rc));
        input.reset(raw);
        rc = avformat_find_stream_info(input.get(), nullptr);
        if (rc < 0 && !stop)
            throw SourceError(av::ErrorText(rc));
        OpenDecoder(AVMEDIA_TYPE_VIDEO, video, job.choice.doVideo);
        OpenDecoder(AVMEDIA_TYPE_AUDIO, audio, job.choice.doAudio);
        if (video.stream) {
            AVRational rate = video.stream->avg_frame_rate;
            if (rate.num <= 0 || rate.den <= 0)
                rate = video.stream->r_frame_rate;
            if (rate.num > 0 && rate.den > 0)
                sourceFps = av_q2d(rate);
        }
        startTime = input->start_time != AV_NOPTS_VALUE ? input->start_time : 0;
    }

    // The source's name now leads to another file, or its file is shorter than when the encode began.
    bool Changed() const {
        struct stat now {};
        if (opened.st_ino == 0 || ::stat(job.source.c_str(), &now) != 0)
            return false;
        return now.st_dev != opened.st_dev || now.st_ino != opened.st_ino || now.st_size < opened.st_size;
    }

    // Finds the source's stream of `type`; its decoder is opened only when that stream is `wanted`, so a
    // stream the user switched off cannot fail the encode.
    void OpenDecoder(AVMediaType type, Decoder& decoder, bool wanted) {
        const int index = av_find_best_stream(input.get(), type, -1, -1, nullptr, 0);
        if (index < 0)
            return;
        AVStream* stream = input->streams[index];
        // A cover picture of an audio file is no video.
        if (stream->disposition & AV_DISPOSITION_ATTACHED_PIC)
            return;
        decoder.index = index;
        decoder.stream = stream;
        if (!wanted)
            return;
        const char* kind = type == AVMEDIA_TYPE_VIDEO ? "video" : "audio";
        const AVCodecID id = stream->codecpar->codec_id;
        const AVCodec* codec = avcodec_find_decoder(id);
        if (!codec && id == AV_CODEC_ID_NONE)
            throw SourceError(std::string("its ") + kind + " is in a format this program does not know");
        if (!codec)
            throw SourceError(std::string("its ") + kind + " is in a format this program cannot decode (" +
                              avcodec_get_name(id) + ")");
        decoder.codec = av::MakeCodec(codec);
        Check(avcodec_parameters_to_context(decoder.codec.get(), stream->codecpar), "Cannot read the source");
        decoder.codec->thread_count = type == AVMEDIA_TYPE_VIDEO ? 0 : 1;  // 0: as many as there are cores
        decoder.codec->pkt_timebase = stream->time_base;
        const int rc = avcodec_open2(decoder.codec.get(), codec, nullptr);
        if (rc < 0)
            throw SourceError(av::ErrorText(rc));
    }

    void Plan() {
        SourceShape shape;
        shape.hasAudio = audio.stream != nullptr;
        shape.hasVideo = video.stream != nullptr;
        if (video.codec) {
            shape.width = video.codec->width;
            shape.height = video.codec->height;
            const AVRational sar = av_guess_sample_aspect_ratio(input.get(), video.stream, nullptr);
            shape.sampleAspect = sar.num > 0 && sar.den > 0 ? av_q2d(sar) : 1.0;
            orientation = OrientationOf(video.stream);
            if (orientation.swap) {
                std::swap(shape.width, shape.height);
                shape.sampleAspect = 1.0 / shape.sampleAspect;
            }
            shape.framesPerSecond = sourceFps;
            if (shape.width <= 0 || shape.height <= 0)
                throw SourceError("its video has no picture size");
        }
        plans = PlanEncode(job.choice, shape, job.source);
        if (!plans.front().hasVideo)
            video = Decoder{};
        if (!plans.front().hasAudio)
            audio = Decoder{};
    }

    // The video decoder starts with a thread per core. When the encoders have at least as much to do,
    // they keep the other cores busy already, and the decoder's extra threads would only take turns
    // with them and cost the work of handing pictures between themselves: it decodes on this thread.
    void FitDecoderThreads() {
        if (!video.codec || video.codec->thread_count == 1)
            return;
        double encodePixels = 0;
        for (const StreamPlan& plan : plans)
            if (plan.hasVideo)
                encodePixels += double(plan.video.width) * plan.video.height * plan.video.framesPerSecond;
        const double decodePixels =
            double(video.codec->width) * video.codec->height * (sourceFps > 0 ? sourceFps : 25);
        // A RealVideo picture costs about twice the decoding of a picture of the same size.
        if (plans.size() < 2 && 2 * encodePixels < decodePixels)
            return;
        av::CodecPtr single = av::MakeCodec(video.codec->codec);
        Check(avcodec_parameters_to_context(single.get(), video.stream->codecpar), "Cannot read the source");
        single->thread_count = 1;
        single->pkt_timebase = video.stream->time_base;
        if (avcodec_open2(single.get(), video.codec->codec, nullptr) >= 0)
            video.codec = std::move(single);
    }

    void SetUpOutputs() {
        const bool multiRate = plans.size() > 1;
        writer = std::make_unique<rm::Writer>(job.output);
        writer->StopWhen(stop);
        std::string audiences;
        for (const StreamPlan& plan : plans) {
            const std::uint32_t audience = multiRate ? plan.budget : 0;
            if (plan.hasVideo) {
                VideoOut& out = EncoderFor(videoOuts, plan.video, stop, sink);
                if (input->duration > 0)
                    out.ExpectSeconds(static_cast<double>(input->duration) / AV_TIME_BASE);
                rm::StreamDesc desc;
                desc.kind = rm::StreamKind::Video;
                desc.codec = rm::Codec::RealVideo20;
                desc.avgBitRate = desc.maxBitRate = static_cast<std::uint32_t>(plan.video.bitRate);
                desc.video.width = static_cast<std::uint16_t>(plan.video.width);
                desc.video.height = static_cast<std::uint16_t>(plan.video.height);
                desc.video.framesPerSecond = plan.video.framesPerSecond;
                desc.audienceBitRate = audience;
                out.Streams().push_back(writer->AddStream(desc));
            }
            if (plan.hasAudio) {
                AudioOut& out = EncoderFor(audioOuts, plan.audio, stop, sink);
                rm::StreamDesc desc;
                desc.kind = rm::StreamKind::Audio;
                desc.codec = plan.audio.codec == AudioCodec::Ra144  ? rm::Codec::RealAudio144
                             : plan.audio.codec == AudioCodec::Cook ? rm::Codec::RealAudioCook
                                                                    : rm::Codec::RealAudioAc3;
                desc.avgBitRate = desc.maxBitRate = static_cast<std::uint32_t>(plan.audio.bitRate);
                desc.audio.sampleRate = static_cast<std::uint32_t>(plan.audio.sampleRate);
                desc.audio.channels = static_cast<std::uint16_t>(plan.audio.channels);
                desc.audio.bitsPerSample = 16;
                desc.audio.frameBytes = static_cast<std::uint32_t>(out.FrameBytes());
                desc.audio.samplesPerFrame = static_cast<std::uint32_t>(out.FrameSamples());
                desc.audio.flavor = static_cast<std::uint16_t>(out.Flavor());
                desc.extradata = out.CodecData();
                desc.silentFrame = out.SilentFrame();
                desc.audienceBitRate = audience;
                // Audiences with the same sound share one stream, made for the lowest of them (plans come
                // lowest first): GStreamer cannot decode a 14.4 stream it is not playing, so a file holds
                // each sound once.
                if (out.Streams().empty())
                    out.Streams().push_back(writer->AddStream(desc));
            }
            audiences += (audiences.empty() ? "" : ", ") + AudienceName(plan.audience);
        }
        rm::ClipInfo clip = job.clip;
        clip.fileInfo.emplace_back("Generated By", "Quenzor");
        clip.fileInfo.emplace_back("Target Audiences", audiences);
        clip.fileInfo.emplace_back(
            "Audio Format", plans.front().hasAudio ? AudioContentName(job.choice.audioContent) : "No Audio");
        clip.fileInfo.emplace_back(
            "Video Quality", plans.front().hasVideo ? VideoQualityName(job.choice.videoQuality) : "No Video");
        StartLanes();
        writer->Begin(clip);
        sink.Open(*writer);
    }

    double Seconds(const AVFrame* frame, const Decoder& decoder, double fallback) const {
        const std::int64_t ts = frame->best_effort_timestamp;
        if (ts == AV_NOPTS_VALUE)
            return fallback;
        return ts * av_q2d(decoder.stream->time_base) - static_cast<double>(startTime) / AV_TIME_BASE;
    }

    void OnPicture(const AVFrame* frame) {
        const double step = sourceFps > 0 ? 1.0 / sourceFps : 0.04;
        const double expected = lastVideoSeconds < 0 ? 0 : lastVideoSeconds + step;
        double seconds = Seconds(frame, video, expected) - videoShift;
        if (BrokenLeap(seconds, seconds - expected)) {
            videoShift += seconds - expected;
            seconds = expected;
        }
        const double length =
            frame->pkt_duration > 0 ? frame->pkt_duration * av_q2d(video.stream->time_base) : step;
        lastVideoSeconds = seconds;
        videoEndSeconds = std::max(videoEndSeconds, seconds + length);
        const SharedFrame picture = SharePicture(frame);
        const std::size_t bytes = FrameBytes(picture.get());
        const std::uint64_t number = ++pictureNumber;
        for (size_t i = 0; i < videoGroups.size(); ++i) {
            const VideoGroup* group = &videoGroups[i];
            videoLanes[i]->Post(
                [group, picture, seconds, number] {
                    for (VideoOut* out : group->outs)
                        out->Picture(picture.get(), seconds, number);
                },
                bytes);
        }
    }

    // The decoded picture as the encoders get it: for the encoders of the source's own size, copied here
    // into the strides their encoder works in, so that their thread need not copy it. The encoder takes
    // pictures as they are only in whole macroblocks.
    SharedFrame SharePicture(const AVFrame* frame) {
        if ((frame->width | frame->height) & 15)
            return Share(frame);
        for (const VideoGroup& group : videoGroups) {
            if (!group.scaled->OfTheSize(frame) || group.scaled->HasEncoderStrides(frame))
                continue;
            return Own(group.scaled->InEncoderStrides(frame));
        }
        return Share(frame);
    }

    // Whether a picture at `seconds`, `gap` later than the next one was due, has a broken time.
    bool BrokenLeap(double seconds, double gap) const {
        if (gap <= kMaxPictureGapSeconds)
            return false;
        const std::int64_t duration = input->duration;
        if (duration > 0 && duration != AV_NOPTS_VALUE &&
            seconds > static_cast<double>(duration) / AV_TIME_BASE + kMaxPictureGapSeconds)
            return true;
        // The sound is counted by its samples: where a real still lasts, the sound goes on meanwhile.
        if (audioSamplesSeen > 0 && seconds > audioSeconds + kMaxPictureGapSeconds)
            return true;
        return gap > kMaxStillSeconds;
    }

    // One thread for each picture size (shared by its video encoders) and one for each audio encoder, so
    // that they all run beside the decoding.
    void StartLanes() {
        for (auto& out : videoOuts) {
            const VideoPlan& plan = out->Plan();
            auto same = std::find_if(videoGroups.begin(), videoGroups.end(), [&](const VideoGroup& g) {
                return g.scaled->Width() == plan.width && g.scaled->Height() == plan.height;
            });
            if (same == videoGroups.end()) {
                videoGroups.push_back(
                    {std::make_unique<ScaledPictures>(plan.width, plan.height, EncoderStrides(out->Codec()),
                                                      orientation),
                     {}});
                same = videoGroups.end() - 1;
            }
            same->outs.push_back(out.get());
            out->ScaleWith(*same->scaled);
        }
        for (size_t i = 0; i < videoGroups.size(); ++i)
            videoLanes.push_back(std::make_unique<HelperLane>(stop, kPictureQueueBytes));
        for (size_t i = 0; i < audioOuts.size(); ++i)
            audioLanes.push_back(std::make_unique<HelperLane>(stop, kSampleQueueBytes));
    }

    void OnSamples(const AVFrame* frame) {
        const double fallback = static_cast<double>(audioSamplesSeen) / std::max(1, frame->sample_rate);
        const double seconds = Seconds(frame, audio, fallback);
        if (audioSamplesSeen == 0)
            audioSeconds = seconds;
        audioSamplesSeen += frame->nb_samples;
        audioSeconds += static_cast<double>(frame->nb_samples) / std::max(1, frame->sample_rate);
        samplesToSend.push_back({Share(frame), seconds});
        samplesToSendBytes += FrameBytes(frame);
        if (samplesToSend.size() >= kSampleBatch)
            SendSamples();
    }

    void SendSamples() {
        if (samplesToSend.empty())
            return;
        auto batch =
            std::make_shared<const std::vector<std::pair<SharedFrame, double>>>(std::move(samplesToSend));
        for (size_t i = 0; i < audioOuts.size(); ++i) {
            AudioOut* out = audioOuts[i].get();
            audioLanes[i]->Post(
                [out, batch] {
                    for (const auto& [samples, seconds] : *batch)
                        out->Samples(samples.get(), seconds);
                },
                samplesToSendBytes);
        }
        samplesToSend.clear();
        samplesToSendBytes = 0;
    }

    // Feeds a packet (or nullptr at the end) to a decoder and handles every frame it returns. A packet
    // the decoder rejects is skipped, as players do with damaged parts of a file.
    void Decode(Decoder& decoder, const AVPacket* packet) {
        int rc = avcodec_send_packet(decoder.codec.get(), packet);
        if (rc < 0 && rc != AVERROR(EAGAIN) && rc != AVERROR_EOF) {
            if (rc == AVERROR(ENOMEM))
                throw EncodeError("Out of memory while decoding the source.");
            return;
        }
        av::FramePtr frame = av::MakeFrame();
        for (;;) {
            rc = avcodec_receive_frame(decoder.codec.get(), frame.get());
            if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
                return;
            if (rc < 0) {
                if (rc == AVERROR(ENOMEM))
                    throw EncodeError("Out of memory while decoding the source.");
                continue;
            }
            decodedAnything = true;
            if (&decoder == &video)
                OnPicture(frame.get());
            else
                OnSamples(frame.get());
            av_frame_unref(frame.get());
        }
    }

    void Report(const AVPacket* packet, bool done) {
        TranscodeProgress p;
        const std::int64_t duration = input->duration;
        if (duration > 0 && duration != AV_NOPTS_VALUE)
            p.durationMs = static_cast<std::int32_t>(std::min<std::int64_t>(duration / 1000, INT32_MAX));
        if (packet && packet->pts != AV_NOPTS_VALUE) {
            const AVStream* stream = input->streams[packet->stream_index];
            const double seconds =
                packet->pts * av_q2d(stream->time_base) - static_cast<double>(startTime) / AV_TIME_BASE;
            p.timestampMs = static_cast<std::int32_t>(std::clamp(seconds * 1000, 0.0, 2e9));
        }
        if (done) {
            p.percentDone = 100;
            p.timestampMs = std::max(p.timestampMs, p.durationMs);
        } else if (p.durationMs > 0) {
            p.percentDone = static_cast<std::int32_t>(
                std::min<std::int64_t>(99, std::int64_t{p.timestampMs} * 100 / p.durationMs));
        } else {
            const std::int64_t size = input->pb ? avio_size(input->pb) : 0;
            const std::int64_t at = input->pb ? avio_tell(input->pb) : 0;
            p.percentDone =
                size > 0 ? static_cast<std::int32_t>(std::clamp<std::int64_t>(at * 100 / size, 0, 99)) : 0;
        }
        // Never backwards: interleaving makes packet times jump a little.
        p.percentDone = std::max(p.percentDone, lastPercent < 0 ? 0 : lastPercent);
        const Clock::time_point now = Clock::now();
        if (p.percentDone == lastPercent && now - lastReport < std::chrono::milliseconds(200) && !done)
            return;
        for (auto& out : audioOuts)
            p.audioPeakLevel = std::max(p.audioPeakLevel, out->TakePeak());
        lastPercent = p.percentDone;
        lastReport = now;
        if (progress)
            progress(p);
    }

    // Has every encoder end its stream on its own thread and waits for them all; false when stopped.
    bool FinishLanes() {
        SendSamples();
        const double end = videoEndSeconds;
        for (size_t i = 0; i < videoGroups.size(); ++i) {
            const VideoGroup* group = &videoGroups[i];
            videoLanes[i]->Post([group, end] {
                for (VideoOut* out : group->outs)
                    out->Finish(end);
            });
        }
        for (size_t i = 0; i < audioOuts.size(); ++i) {
            AudioOut* out = audioOuts[i].get();
            audioLanes[i]->Post([out] { out->Finish(); });
        }
        for (auto& lane : videoLanes)
            if (!lane->Drain())
                return false;
        for (auto& lane : audioLanes)
            if (!lane->Drain())
                return false;
        return true;
    }

    bool Run() {
        Open();
        if (stop)
            return false;
        Plan();
        FitDecoderThreads();
        SetUpOutputs();
        Report(nullptr, false);
        av::PacketPtr packet = av::MakePacket();
        bool readFailed = false;
        int readError = 0;
        while (!stop) {
            const int rc = av_read_frame(input.get(), packet.get());
            if (rc == AVERROR_EOF)
                break;
            if (rc < 0) {
                if (stop)
                    break;
                readFailed = true;
                readError = rc;
                break;
            }
            if (packet->stream_index == video.index && video.codec)
                Decode(video, packet.get());
            else if (packet->stream_index == audio.index && audio.codec)
                Decode(audio, packet.get());
            Report(packet.get(), false);
            av_packet_unref(packet.get());
        }
        if (stop)
            return false;
        // A source cut short or replaced while it was read would give a file of only part of it.
        if (Changed())
            throw SourceError("the source changed while it was read; convert it again once it is whole");
        // A read error after good data is a damaged end of file: keep what could be read.
        if (video.codec)
            Decode(video, nullptr);
        if (audio.codec)
            Decode(audio, nullptr);
        if (!decodedAnything) {
            if (readFailed)
                throw SourceError(av::ErrorText(readError));
            throw SourceError("it holds no audio or video that can be decoded");
        }
        if (!FinishLanes() || stop)
            return false;
        writer->Finish();
        Report(nullptr, true);
        return true;
    }
};

Transcoder::Transcoder(TranscodeJob job, const std::atomic<bool>& stop, ProgressFn progress)
    : impl_(std::make_unique<Impl>(std::move(job), stop, std::move(progress))) {}

Transcoder::~Transcoder() = default;

bool Transcoder::Run() {
    try {
        return impl_->Run();
    } catch (const rm::WriteStopped&) {
        return false;
    } catch (const rm::WriteError& e) {
        throw EncodeError(e.what());
    }
}

}  // namespace encoder
