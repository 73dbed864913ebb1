// 14.4 benchmark (run by hand: bench_ra144 [song seconds=240] [speech seconds=60]).
//
// 1. The 14.4 encode alone, on a song and on speech at 8 kHz: libavcodec's encoder against ours
//    (Ra144Stream), each on one core. Prints the wall and CPU time of each, the segmental SNR of each
//    decoded (by libavcodec's decoder) against the sound encoded, the largest error of a sample of each,
//    and whether the decoder plays exactly what our encoder says it plays.
// 2. The song converted by the built-in encoder with the usual audiences (56K modem and 256K DSL,
//    SureStream): wall and CPU time, against the goal of 1.2 s for four minutes on two cores.
//
// Needs the ffmpeg tool (with its flite voice) to make the sounds.
#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "conversion/ApplyEncoderSettings.h"
#include "conversion/TProducerControl.h"
#include "encoder/BuiltinEncoder.h"
#include "encoder/LibavPtr.h"
#include "encoder/Ra144Stream.h"

namespace {

using encoder::Ra144Stream;
using Samples = std::vector<std::int16_t>;
using Packets = std::vector<encoder::av::PacketPtr>;
constexpr int kFrame = Ra144Stream::kFrameSamples;

struct Timing {
    double wall = 0, cpu = 0;
};

template <typename Work>
Timing Time(Work work) {
    const auto start = std::chrono::steady_clock::now();
    const double cpu = CpuSeconds();
    work();
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            CpuSeconds() - cpu};
}

bool Ffmpeg(const QStringList& args) {
    return QProcess::execute("ffmpeg", QStringList{"-v", "error", "-y"} + args) == 0;
}

Samples ReadRaw(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    Samples s(bytes.size() / 2);
    std::memcpy(s.data(), bytes.data(), s.size() * 2);
    s.resize(s.size() / kFrame * kFrame);
    return s;
}

// libavcodec's encoder, frame after frame, as the converter used it before.
Packets EncodeOnce(const Samples& sound) {
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_RA_144);
    encoder::av::CodecPtr c = encoder::av::MakeCodec(codec);
    c->sample_fmt = AV_SAMPLE_FMT_S16;
    c->sample_rate = 8000;
    av_channel_layout_default(&c->ch_layout, 1);
    c->time_base = AVRational{1, 8000};
    avcodec_open2(c.get(), codec, nullptr);
    Packets packets;
    auto drain = [&] {
        for (;;) {
            encoder::av::PacketPtr p = encoder::av::MakePacket();
            if (avcodec_receive_packet(c.get(), p.get()) < 0)
                return;
            packets.push_back(std::move(p));
        }
    };
    encoder::av::FramePtr frame = encoder::av::MakeFrame();
    for (std::size_t at = 0; at < sound.size(); at += kFrame) {
        frame->format = AV_SAMPLE_FMT_S16;
        frame->sample_rate = 8000;
        frame->nb_samples = kFrame;
        av_channel_layout_default(&frame->ch_layout, 1);
        av_frame_get_buffer(frame.get(), 0);
        std::memcpy(frame->data[0], sound.data() + at, kFrame * 2);
        frame->pts = static_cast<std::int64_t>(at);
        avcodec_send_frame(c.get(), frame.get());
        av_frame_unref(frame.get());
        drain();
    }
    avcodec_send_frame(c.get(), nullptr);
    drain();
    return packets;
}

// Ours, as the converter uses it.
Packets EncodeOurs(const Samples& sound) {
    std::atomic<bool> stop{false};
    Ra144Stream stream(stop);
    Packets packets;
    for (std::size_t at = 0; at < sound.size(); at += kFrame) {
        stream.Frame(sound.data() + at);
        for (auto& p : stream.Take())
            packets.push_back(std::move(p));
    }
    for (auto& p : stream.Finish())
        packets.push_back(std::move(p));
    return packets;
}

// What our encoder says a decoder plays, the leading frame left out.
Samples Tracked(const Samples& sound) {
    encoder::ra144::Encoder encoder;
    Samples tracked;
    for (std::size_t at = 0; at <= sound.size(); at += kFrame) {
        encoder.Encode(at < sound.size() ? sound.data() + at : nullptr);
        if (at > 0)
            tracked.insert(tracked.end(), encoder.Decoded().begin(), encoder.Decoded().end());
    }
    return tracked;
}

// Decoded by libavcodec, the leading frame dropped, so that sample i matches sample i of the sound.
Samples Decode(const Packets& packets) {
    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_RA_144);
    encoder::av::CodecPtr c = encoder::av::MakeCodec(codec);
    c->sample_rate = 8000;
    av_channel_layout_default(&c->ch_layout, 1);
    avcodec_open2(c.get(), codec, nullptr);
    Samples out;
    encoder::av::FramePtr frame = encoder::av::MakeFrame();
    for (const auto& p : packets) {
        avcodec_send_packet(c.get(), p.get());
        while (avcodec_receive_frame(c.get(), frame.get()) >= 0) {
            const auto* s = reinterpret_cast<const std::int16_t*>(frame->data[0]);
            out.insert(out.end(), s, s + frame->nb_samples);
            av_frame_unref(frame.get());
        }
    }
    out.erase(out.begin(), out.begin() + std::min<std::size_t>(kFrame, out.size()));
    return out;
}

// Segmental SNR over frames [from, to): each frame's SNR bounded to -10..35 dB, silent frames left out.
double SegmentalSnr(const Samples& sound, const Samples& decoded, std::size_t from, std::size_t to) {
    double sum = 0;
    int count = 0;
    for (std::size_t f = from; f < to && (f + 1) * kFrame <= std::min(sound.size(), decoded.size()); ++f) {
        double signal = 0, noise = 0;
        for (std::size_t i = f * kFrame; i < (f + 1) * kFrame; ++i) {
            signal += double(sound[i]) * sound[i];
            noise += (double(sound[i]) - decoded[i]) * (double(sound[i]) - decoded[i]);
        }
        if (signal < kFrame * 100.0)  // below -50 dB of full scale
            continue;
        sum += std::clamp(10 * std::log10(signal / std::max(noise, 1.0)), -10.0, 35.0);
        ++count;
    }
    return count ? sum / count : 0;
}

bool Compare(const char* name, const Samples& sound) {
    Packets theirs, ours;
    const Timing t1 = Time([&] { theirs = EncodeOnce(sound); });
    const Timing t2 = Time([&] { ours = EncodeOurs(sound); });
    const Samples d1 = Decode(theirs), d2 = Decode(ours);
    const std::size_t frames = sound.size() / kFrame;
    const double snr1 = SegmentalSnr(sound, d1, 0, frames), snr2 = SegmentalSnr(sound, d2, 0, frames);
    auto largestError = [&](const Samples& decoded) {
        int e = 0;
        for (std::size_t i = 0; i < std::min(decoded.size(), sound.size()); ++i)
            e = std::max(e, std::abs(decoded[i] - sound[i]));
        return e;
    };
    const bool exact = Tracked(sound) == d2;
    std::printf(
        "%s, %.0f s: libavcodec %.2f s wall %.2f s CPU, SNRseg %.2f dB, largest error %d; ours %.2f s wall "
        "%.2f s CPU, SNRseg %.2f dB, largest error %d; %.1fx faster (CPU %.1fx), %+.2f dB; packets %zu and "
        "%zu; decoder %s the encoder's account\n",
        name, sound.size() / 8000.0, t1.wall, t1.cpu, snr1, largestError(d1), t2.wall, t2.cpu, snr2,
        largestError(d2), t1.wall / t2.wall, t1.cpu / std::max(t2.cpu, 1e-6), snr2 - snr1, theirs.size(),
        ours.size(), exact ? "follows" : "DIFFERS FROM");
    return theirs.size() == ours.size() && exact && snr2 > snr1 - 0.2;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    encoder::QuietLibavLogging();
    const int songSeconds = argc > 1 ? std::atoi(argv[1]) : 240;
    const int speechSeconds = argc > 2 ? std::atoi(argv[2]) : 60;
    QTemporaryDir dir;
    const QString song = dir.filePath("song.wav"), song8 = dir.filePath("song.raw"),
                  speech8 = dir.filePath("speech.raw");
    // A song of sorts: chords changing every two seconds, a tremolo voice and a beat of noise bursts.
    const QString music = QString(
                              "aevalsrc='0.22*sin(2*PI*(196+49*floor(mod(t,8)/2))*t)+0.12*sin(2*PI*(392+"
                              "98*floor(mod(t,8)/2))*t)*(0.6+0.4*sin(2*PI*5*t))+0.1*sin(2*PI*(587+3*sin(2*"
                              "PI*0.3*t))*t)+0.3*(random(0)-0.5)*exp(-18*mod(t,0.5))|0.2*sin(2*PI*(196+49*"
                              "floor(mod(t,8)/2))*t)+0.14*sin(2*PI*523*t)*exp(-3*mod(t,1))+0.3*(random(1)-"
                              "0.5)*exp(-18*mod(t,0.5))':s=44100:d=%1")
                              .arg(songSeconds);
    const QString words =
        "The quick brown fox jumps over the lazy dog. A converter turns every file of a list into "
        "a stream for slow modems, one after another, while the user waits. ";
    QString text;
    for (int i = 0; i < 40; ++i)
        text += words;
    if (!Ffmpeg({"-f", "lavfi", "-i", music, "-c:a", "pcm_s16le", song}) ||
        !Ffmpeg({"-i", song, "-ar", "8000", "-ac", "1", "-f", "s16le", song8}) ||
        !Ffmpeg({"-f", "lavfi", "-i", "flite=text='" + text + "':voice=slt", "-t",
                 QString::number(speechSeconds), "-ar", "8000", "-ac", "1", "-f", "s16le", speech8})) {
        std::fprintf(stderr, "ffmpeg could not make the sounds\n");
        return 1;
    }
    bool ok = Compare("song", ReadRaw(song8));
    ok = Compare("speech", ReadRaw(speech8)) && ok;

    const settings::TSettings s = UsualAudiences(dir.path().toStdString());
    conversion::TProducerControl control(encoder::CreateBuiltinEncoder());
    conversion::ApplyEncoderSettings(control, s);
    control.setInputFilename(song.toStdString());
    control.setOutputFilename(dir.filePath("song.rm").toStdString());
    int errors = 0;
    QObject::connect(&control, &conversion::TProducerControl::ErrorOccurred, [&](int, const QString& e) {
        ++errors;
        std::fprintf(stderr, "encoder error: %s\n", qPrintable(e));
    });
    const Timing t = Time([&] {
        control.StartEncoding();
        WaitUntil([&] { return !control.IsEncoding(); });
    });
    std::printf(
        "song of %d s converted for 56K modem and 256K DSL: %.2f s wall, %.2f s CPU (goal for 240 s: "
        "1.2 s wall)\n",
        songSeconds, t.wall, t.cpu);
    return ok && errors == 0 ? 0 : 1;
}
