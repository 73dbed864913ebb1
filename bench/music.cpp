// Music benchmark (run by hand: bench_music [seconds=60] [files...]).
//
// 1. For every audience, the sound the Music, Stereo Music and Voice with Background Music choices give it,
//    encoded three ways at the audience's audio bit rate: the codec the audiences had before cook (14.4 up
//    to Single ISDN, AC-3 from Dual ISDN up: kBefore below), cook, and libopus through libavcodec. For each:
//    the bandwidth of the decoded sound (the highest frequency where its mean spectrum, divided by the
//    source's so that the music's own tilt does not count, is within 30 dB of its peak), the log-spectral
//    distance against the source (lower is better) and the CPU time of the encode alone.
// 2. A song of four minutes converted by the built-in encoder with the usual audiences (56K modem and 256K
//    DSL, SureStream), with the default audio format (Voice Only) and with Music: wall and CPU time.
//
// Every sound is decoded by libavcodec's decoder, taken back to 44.1 kHz and set against the source at
// 44.1 kHz with the codec's channels (a mono codec against the source's mono mix). The decoded sound is
// aligned with the source by the lag, within 0.125 s, at which the two correlate best: that takes up each
// codec's delay (14.4's leading frame, AC-3's and Opus' padding, cook's two frames) without trusting
// what the codec or the container says of it. The distance is the root mean square of the difference of
// the two log power spectra (2048-sample Hann frames, 50 Hz to 16 kHz, spectra floored 90 dB below full
// scale), over the frames where the source is louder than -50 dBFS; and the same below 3.5 kHz, the band
// every codec here keeps, so that fidelity within it shows apart from bandwidth. It is a plain spectral
// measure: it sees lost bandwidth, smeared transients and noise filling the spectrum, but not masking, so two
// codecs whose figures lie within about 1 dB of each other cannot be told apart by it; Debian ships no
// perceptual measure (PEAQ, ViSQOL, PESQ) to check it against.
//
// Sources: the music of Debian's extremetuxracer-data and the sound effects of sound-theme-freedesktop
// (apt-get install extremetuxracer-data sound-theme-freedesktop), or the files given. Needs the ffmpeg tool.
#include <QCoreApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "BenchSupport.h"
#include "conversion/ApplyEncoderSettings.h"
#include "conversion/TProducerControl.h"
#include "encoder/BuiltinEncoder.h"
#include "encoder/EncodeSettings.h"
#include "encoder/LibavPtr.h"
#include "encoder/Ra144Stream.h"
#include "encoder/cook/CookEncoder.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/mem.h>
#include <libavutil/opt.h>
#include <libavutil/tx.h>
}

namespace {

namespace av = encoder::av;
using Sound = std::vector<float>;  // interleaved, full scale 1

constexpr int kRate = 44100;  // the rate every sound is compared at

// The audio columns of the audiences before cook, by content: voice+music, music, stereo music.
struct Column {
    encoder::AudioCodec codec;
    int sampleRate, channels, bitRate;
};
constexpr Column kRa144{encoder::AudioCodec::Ra144, 8000, 1, 8000};
constexpr Column Ac3(int kbps, int rate, int channels) {
    return {encoder::AudioCodec::Ac3, rate, channels, kbps * 1000};
}
const Column kBefore[encoder::kAudienceCount][3] = {
    {kRa144, kRa144, kRa144},
    {kRa144, kRa144, kRa144},
    {kRa144, kRa144, kRa144},
    {Ac3(32, 32000, 1), Ac3(32, 32000, 1), Ac3(40, 32000, 2)},
    {Ac3(32, 32000, 1), Ac3(48, 44100, 1), Ac3(64, 44100, 2)},
    {Ac3(48, 32000, 1), Ac3(64, 44100, 1), Ac3(96, 44100, 2)},
    {Ac3(64, 44100, 1), Ac3(96, 44100, 1), Ac3(128, 44100, 2)},
    {Ac3(64, 44100, 1), Ac3(96, 44100, 1), Ac3(160, 44100, 2)},
};

// `in` (interleaved float at `inRate` with `inChannels`) at another rate and channel count, mixed as the
// converter mixes (no channel louder than the loudest source channel).
Sound Convert(const Sound& in, int inRate, int inChannels, int outRate, int outChannels) {
    AVChannelLayout from{}, to{};
    av_channel_layout_default(&from, inChannels);
    av_channel_layout_default(&to, outChannels);
    SwrContext* raw = nullptr;
    swr_alloc_set_opts2(&raw, &to, AV_SAMPLE_FMT_FLT, outRate, &from, AV_SAMPLE_FMT_FLT, inRate, 0, nullptr);
    av::ResamplePtr swr(raw);
    av_opt_set_double(swr.get(), "rematrix_maxval", 1.0, 0);
    swr_init(swr.get());
    const int frames = static_cast<int>(in.size() / static_cast<std::size_t>(inChannels));
    Sound out(static_cast<std::size_t>(swr_get_out_samples(swr.get(), frames) + 64) * outChannels);
    auto* o = reinterpret_cast<std::uint8_t*>(out.data());
    const auto* i = reinterpret_cast<const std::uint8_t*>(in.data());
    int got = swr_convert(swr.get(), &o, static_cast<int>(out.size()) / outChannels, &i, frames);
    int total = std::max(0, got);
    for (;;) {
        std::uint8_t* tail =
            reinterpret_cast<std::uint8_t*>(out.data() + static_cast<std::size_t>(total) * outChannels);
        const int room = static_cast<int>(out.size()) / outChannels - total;
        if (room <= 0 || (got = swr_convert(swr.get(), &tail, room, nullptr, 0)) <= 0)
            break;
        total += got;
    }
    out.resize(static_cast<std::size_t>(total) * outChannels);
    av_channel_layout_uninit(&from);
    av_channel_layout_uninit(&to);
    return out;
}

struct Encoded {
    std::vector<av::PacketPtr> packets;
    std::vector<std::uint8_t> extradata;
    int blockAlign = 0;
    double cpu = 0;
};

// Through one of libavcodec's encoders (AC-3, libopus), frame by frame.
Encoded EncodeLibav(const char* name, const Sound& sound, int rate, int channels, int bitRate) {
    Encoded e;
    const AVCodec* codec = avcodec_find_encoder_by_name(name);
    if (!codec)
        return e;
    av::CodecPtr c = av::MakeCodec(codec);
    c->sample_fmt = codec->sample_fmts[0];
    c->sample_rate = rate;
    av_channel_layout_default(&c->ch_layout, channels);
    c->bit_rate = bitRate;
    c->time_base = AVRational{1, rate};
    if (avcodec_open2(c.get(), codec, nullptr) < 0)
        return e;
    if (c->extradata_size > 0)
        e.extradata.assign(c->extradata, c->extradata + c->extradata_size);
    const double start = CpuSeconds();
    const int frame = c->frame_size;
    const std::size_t frames = sound.size() / static_cast<std::size_t>(channels);
    auto drain = [&] {
        for (av::PacketPtr p = av::MakePacket(); avcodec_receive_packet(c.get(), p.get()) >= 0;
             p = av::MakePacket())
            e.packets.push_back(std::move(p));
    };
    for (std::size_t at = 0; at < frames; at += static_cast<std::size_t>(frame)) {
        av::FramePtr f = av::MakeFrame();
        f->format = c->sample_fmt;
        f->sample_rate = rate;
        f->nb_samples = frame;
        av_channel_layout_copy(&f->ch_layout, &c->ch_layout);
        av_frame_get_buffer(f.get(), 0);
        av_samples_set_silence(f->extended_data, 0, frame, channels, c->sample_fmt);
        const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(frame), frames - at);
        for (std::size_t i = 0; i < n; ++i)
            for (int ch = 0; ch < channels; ++ch) {
                const float v =
                    sound[(at + i) * static_cast<std::size_t>(channels) + static_cast<std::size_t>(ch)];
                if (c->sample_fmt == AV_SAMPLE_FMT_FLTP)
                    reinterpret_cast<float*>(f->extended_data[ch])[i] = v;
                else if (c->sample_fmt == AV_SAMPLE_FMT_FLT)
                    reinterpret_cast<float*>(
                        f->data[0])[i * static_cast<std::size_t>(channels) + static_cast<std::size_t>(ch)] =
                        v;
                else
                    reinterpret_cast<std::int16_t*>(
                        f->data[0])[i * static_cast<std::size_t>(channels) + static_cast<std::size_t>(ch)] =
                        static_cast<std::int16_t>(std::clamp(v * 32767.0f, -32768.0f, 32767.0f));
            }
        f->pts = static_cast<std::int64_t>(at);
        avcodec_send_frame(c.get(), f.get());
        drain();
    }
    avcodec_send_frame(c.get(), nullptr);
    drain();
    e.cpu = CpuSeconds() - start;
    return e;
}

std::vector<std::int16_t> ToShorts(const Sound& sound, std::size_t multiple) {
    std::vector<std::int16_t> s(sound.size() + multiple - 1 - (sound.size() + multiple - 1) % multiple, 0);
    for (std::size_t i = 0; i < sound.size(); ++i)
        s[i] = static_cast<std::int16_t>(std::clamp(sound[i] * 32767.0f, -32768.0f, 32767.0f));
    return s;
}

Encoded EncodeRa144(const Sound& sound) {
    Encoded e;
    const std::vector<std::int16_t> s = ToShorts(sound, encoder::Ra144Stream::kFrameSamples);
    std::atomic<bool> stop{false};
    const double start = CpuSeconds();
    encoder::Ra144Stream stream(stop);
    for (std::size_t at = 0; at < s.size(); at += encoder::Ra144Stream::kFrameSamples)
        stream.Frame(s.data() + at);
    e.packets = stream.Finish();
    e.cpu = CpuSeconds() - start;
    return e;
}

Encoded EncodeCook(const encoder::cook::Flavor& flavor, const Sound& sound) {
    Encoded e;
    const std::size_t frame =
        static_cast<std::size_t>(flavor.frameSamples) * static_cast<std::size_t>(flavor.channels);
    std::vector<std::int16_t> s = ToShorts(sound, frame);
    s.resize(s.size() + frame * encoder::cook::Encoder::kDelayFrames, 0);
    const double start = CpuSeconds();
    encoder::cook::Encoder cook(flavor);
    for (std::size_t at = 0; at < s.size(); at += frame) {
        av::PacketPtr p = av::MakePacket();
        av_new_packet(p.get(), flavor.frameBytes);
        cook.Encode(s.data() + at, p->data);
        e.packets.push_back(std::move(p));
    }
    e.cpu = CpuSeconds() - start;
    e.extradata = cook.CodecData();
    e.blockAlign = flavor.frameBytes;
    return e;
}

// Decoded by libavcodec, interleaved float.
Sound Decode(AVCodecID id, const Encoded& e, int rate, int channels) {
    Sound out;
    const AVCodec* codec = avcodec_find_decoder(id);
    av::CodecPtr c = av::MakeCodec(codec);
    c->sample_rate = rate;
    av_channel_layout_default(&c->ch_layout, channels);
    c->block_align = e.blockAlign;
    if (!e.extradata.empty()) {
        c->extradata =
            static_cast<std::uint8_t*>(av_mallocz(e.extradata.size() + AV_INPUT_BUFFER_PADDING_SIZE));
        std::memcpy(c->extradata, e.extradata.data(), e.extradata.size());
        c->extradata_size = static_cast<int>(e.extradata.size());
    }
    if (avcodec_open2(c.get(), codec, nullptr) < 0)
        return out;
    av::FramePtr f = av::MakeFrame();
    auto take = [&] {
        while (avcodec_receive_frame(c.get(), f.get()) >= 0) {
            const int ch = f->ch_layout.nb_channels;
            for (int i = 0; i < f->nb_samples; ++i)
                for (int k = 0; k < ch; ++k) {
                    float v = 0;
                    switch (f->format) {
                        case AV_SAMPLE_FMT_FLTP:
                            v = reinterpret_cast<const float*>(f->extended_data[k])[i];
                            break;
                        case AV_SAMPLE_FMT_FLT:
                            v = reinterpret_cast<const float*>(f->data[0])[i * ch + k];
                            break;
                        case AV_SAMPLE_FMT_S16:
                            v = reinterpret_cast<const std::int16_t*>(f->data[0])[i * ch + k] / 32768.0f;
                            break;
                        case AV_SAMPLE_FMT_S16P:
                            v = reinterpret_cast<const std::int16_t*>(f->extended_data[k])[i] / 32768.0f;
                            break;
                        default:
                            break;
                    }
                    out.push_back(v);
                }
            av_frame_unref(f.get());
        }
    };
    for (const av::PacketPtr& p : e.packets) {
        avcodec_send_packet(c.get(), p.get());
        take();
    }
    avcodec_send_packet(c.get(), nullptr);
    take();
    return out;
}

Sound Mono(const Sound& s, int channels) {
    if (channels == 1)
        return s;
    Sound m(s.size() / static_cast<std::size_t>(channels));
    for (std::size_t i = 0; i < m.size(); ++i) {
        float sum = 0;
        for (int k = 0; k < channels; ++k)
            sum += s[i * static_cast<std::size_t>(channels) + static_cast<std::size_t>(k)];
        m[i] = sum / static_cast<float>(channels);
    }
    return m;
}

// Power spectra of `n`-sample Hann frames through libavutil's FFT (its buffers aligned as its SIMD
// code needs).
class Spectra {
  public:
    explicit Spectra(int n)
        : n_(n),
          window_(static_cast<std::size_t>(n)),
          in_(static_cast<AVComplexFloat*>(av_malloc(sizeof(AVComplexFloat) * static_cast<std::size_t>(n)))),
          out_(
              static_cast<AVComplexFloat*>(av_malloc(sizeof(AVComplexFloat) * static_cast<std::size_t>(n)))) {
        float scale = 1.0f;
        av_tx_init(&tx_, &fn_, AV_TX_FLOAT_FFT, 0, n, &scale, 0);
        for (int i = 0; i < n; ++i)
            window_[static_cast<std::size_t>(i)] = static_cast<float>(0.5 - 0.5 * std::cos(2 * M_PI * i / n));
    }
    ~Spectra() {
        av_tx_uninit(&tx_);
        av_free(in_);
        av_free(out_);
    }
    Spectra(const Spectra&) = delete;
    Spectra& operator=(const Spectra&) = delete;

    // Power per bin (0 .. n/2) of the frame starting at `s`, relative to a full-scale sine.
    std::vector<double> Frame(const float* s) {
        for (int i = 0; i < n_; ++i)
            in_[i] = {s[i] * window_[static_cast<std::size_t>(i)], 0.0f};
        fn_(tx_, out_, in_, sizeof(AVComplexFloat));
        std::vector<double> p(static_cast<std::size_t>(n_ / 2 + 1));
        const double norm = 4.0 / (static_cast<double>(n_) * n_ * 0.25);
        for (std::size_t k = 0; k < p.size(); ++k)
            p[k] = (double(out_[k].re) * out_[k].re + double(out_[k].im) * out_[k].im) * norm;
        return p;
    }

  private:
    int n_;
    AVTXContext* tx_ = nullptr;
    av_tx_fn fn_ = nullptr;
    std::vector<float> window_;
    AVComplexFloat* in_;
    AVComplexFloat* out_;
};

// The lag (samples the decoded sound comes late) within ±maxLag at which the two correlate best, over
// up to three seconds from the first quarter on.
int BestLag(const Sound& ref, const Sound& dec, int maxLag) {
    const std::size_t span = std::min<std::size_t>(3 * kRate, std::min(ref.size(), dec.size()) / 2);
    const std::size_t from = std::min(ref.size(), dec.size()) / 4;
    double best = -1e300;
    int bestLag = 0;
    for (int lag = -maxLag; lag <= maxLag; ++lag) {
        double sum = 0;
        for (std::size_t i = from; i < from + span; i += 3) {
            const std::ptrdiff_t j = static_cast<std::ptrdiff_t>(i) + lag;
            if (j >= 0 && static_cast<std::size_t>(j) < dec.size())
                sum += double(ref[i]) * dec[static_cast<std::size_t>(j)];
        }
        if (sum > best) {
            best = sum;
            bestLag = lag;
        }
    }
    return bestLag;
}

struct Result {
    double bandwidthHz = 0;
    double lsd = 0;
    double lsdLow = 0;  // below 3.5 kHz, the band every codec here keeps
    double cpu = 0;
    int lagMs = 0;
};

// `decoded` (at `rate`, `channels`) against the source (44.1 kHz stereo).
Result Measure(const Sound& source, const Sound& decodedAtRate, int rate, int channels) {
    Result r;
    const Sound ref = Mono(Convert(source, kRate, 2, kRate, channels), channels);
    const Sound dec = Mono(Convert(decodedAtRate, rate, channels, kRate, channels), channels);
    const int lag = BestLag(ref, dec, kRate / 8);
    r.lagMs = static_cast<int>(std::lround(lag * 1000.0 / kRate));
    constexpr int kN = 2048;
    Spectra spectra(kN);
    const auto bin = [](double hz) { return static_cast<std::size_t>(hz * kN / kRate); };
    const std::size_t lo = bin(50), mid = bin(3500), hi = bin(16000);
    const double floor = 1e-9;  // 90 dB below a full-scale sine
    std::vector<double> mean(kN / 2 + 1, 0.0), fed(kN / 2 + 1, 0.0);
    double sum = 0, sumLow = 0;
    int frames = 0, all = 0;
    for (std::size_t at = static_cast<std::size_t>(std::max(0, -lag)); at + kN <= ref.size(); at += kN / 2) {
        const std::ptrdiff_t d = static_cast<std::ptrdiff_t>(at) + lag;
        if (d < 0 || static_cast<std::size_t>(d) + kN > dec.size())
            break;
        const std::vector<double> pr = spectra.Frame(ref.data() + at);
        const std::vector<double> pd = spectra.Frame(dec.data() + d);
        for (std::size_t k = 0; k < pd.size(); ++k) {
            mean[k] += pd[k];
            fed[k] += pr[k];
        }
        ++all;
        double energy = 0;
        for (double v : pr)
            energy += v;
        if (energy < 1e-5)  // -50 dBFS
            continue;
        double e2 = 0, e2Low = 0;
        for (std::size_t k = lo; k <= hi; ++k) {
            const double diff = 10 * std::log10(std::max(pr[k], floor) / std::max(pd[k], floor));
            e2 += diff * diff;
            if (k <= mid)
                e2Low += diff * diff;
        }
        sum += std::sqrt(e2 / static_cast<double>(hi - lo + 1));
        sumLow += std::sqrt(e2Low / static_cast<double>(mid - lo + 1));
        ++frames;
    }
    r.lsd = frames ? sum / frames : 0;
    r.lsdLow = frames ? sumLow / frames : 0;
    if (all) {
        // The decoded spectrum over the source's, in bands of 16 bins (344 Hz): the source's own tilt
        // taken out, what is left falls where the codec cuts.
        std::vector<double> ratio;
        for (std::size_t k = 0; k + 16 <= mean.size(); k += 16) {
            double d = 0, r = 0;
            for (std::size_t j = k; j < k + 16; ++j)
                d += mean[j], r += fed[j];
            ratio.push_back(d / std::max(r, 1e-12));
        }
        const double peak = *std::max_element(ratio.begin(), ratio.end());
        for (std::size_t k = ratio.size(); k-- > 0;)
            if (ratio[k] >= peak * 1e-3) {
                r.bandwidthHz = static_cast<double>(k + 1) * 16 * kRate / kN;
                break;
            }
    }
    return r;
}

void Print(const char* audience, const char* content, const char* codec, int bitRate, int rate, int channels,
           const Result& r, double seconds) {
    std::printf(
        "  %-22s %-28s %-6s %4d kbit/s %5d Hz %d ch: bandwidth %5.1f kHz, LSD %5.2f dB (below 3.5 kHz "
        "%5.2f), "
        "lag %4d ms, encode %.3f s CPU (%.0fx real time)\n",
        audience, content, codec, bitRate / 1000, rate, channels, r.bandwidthHz / 1000, r.lsd, r.lsdLow,
        r.lagMs, r.cpu, r.cpu > 0 ? seconds / r.cpu : 0.0);
}

Sound Load(const QString& path, int seconds, const QString& raw) {
    Sound s;
    if (QProcess::execute("ffmpeg", {"-v", "error", "-y", "-i", path, "-t", QString::number(seconds), "-ac",
                                     "2", "-ar", QString::number(kRate), "-f", "f32le", raw}) != 0)
        return s;
    std::ifstream in(raw.toStdString(), std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    s.resize(bytes.size() / sizeof(float));
    std::memcpy(s.data(), bytes.data(), s.size() * sizeof(float));
    return s;
}

// The cook flavor at `bitRate` with `channels`, the highest sample rate first; null when there is none.
const encoder::cook::Flavor* CookAt(int bitRate, int channels) {
    const encoder::cook::Flavor* best = nullptr;
    for (const encoder::cook::Flavor& f : encoder::cook::Flavors())
        if (f.channels == channels && f.bitRate <= bitRate &&
            (!best || f.bitRate > best->bitRate ||
             (f.bitRate == best->bitRate && f.sampleRate > best->sampleRate)))
            best = &f;
    return best;
}

void Compare(const Sound& source, const char* audience, const char* content, const Column& before) {
    const double seconds = static_cast<double>(source.size()) / 2 / kRate;
    // Today's codec.
    const Sound fed = Convert(source, kRate, 2, before.sampleRate, before.channels);
    Encoded e = before.codec == encoder::AudioCodec::Ra144
                    ? EncodeRa144(fed)
                    : EncodeLibav("ac3", fed, before.sampleRate, before.channels, before.bitRate);
    Result r =
        Measure(source,
                Decode(before.codec == encoder::AudioCodec::Ra144 ? AV_CODEC_ID_RA_144 : AV_CODEC_ID_AC3, e,
                       before.sampleRate, before.channels),
                before.sampleRate, before.channels);
    r.cpu = e.cpu;
    Print(audience, content, before.codec == encoder::AudioCodec::Ra144 ? "14.4" : "AC-3", before.bitRate,
          before.sampleRate, before.channels, r, seconds);
    // Cook at the same rate (or the nearest below), for the same channels.
    for (int channels = before.channels; channels <= 2; ++channels) {
        const encoder::cook::Flavor* flavor = CookAt(before.bitRate, channels);
        if (!flavor)
            continue;
        const Sound in = Convert(source, kRate, 2, flavor->sampleRate, flavor->channels);
        e = EncodeCook(*flavor, in);
        r = Measure(source, Decode(AV_CODEC_ID_COOK, e, flavor->sampleRate, flavor->channels),
                    flavor->sampleRate, flavor->channels);
        r.cpu = e.cpu;
        Print(audience, content, "cook", flavor->bitRate, flavor->sampleRate, flavor->channels, r, seconds);
    }
    // Opus at the same rate and channels, at its own 48 kHz.
    const Sound in48 = Convert(source, kRate, 2, 48000, before.channels);
    e = EncodeLibav("libopus", in48, 48000, before.channels, before.bitRate);
    if (!e.packets.empty()) {
        r = Measure(source, Decode(AV_CODEC_ID_OPUS, e, 48000, before.channels), 48000, before.channels);
        r.cpu = e.cpu;
        Print(audience, content, "opus", before.bitRate, 48000, before.channels, r, seconds);
    }
}

double ConvertTiming(const QString& song, const QString& out, int audioFormat, const QString& temp,
                     double* cpu) {
    settings::TSettings s = UsualAudiences(temp.toStdString());
    s.AudioFormat = audioFormat;
    conversion::TProducerControl control(encoder::CreateBuiltinEncoder());
    conversion::ApplyEncoderSettings(control, s);
    control.setInputFilename(song.toStdString());
    control.setOutputFilename(out.toStdString());
    const auto start = std::chrono::steady_clock::now();
    const double cpuStart = CpuSeconds();
    control.StartEncoding();
    WaitUntil([&] { return !control.IsEncoding(); });
    *cpu = CpuSeconds() - cpuStart;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication application(argc, argv);
    encoder::QuietLibavLogging();
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    const int seconds = argc > 1 ? std::max(5, std::atoi(argv[1])) : 60;
    QStringList files;
    for (int i = 2; i < argc; ++i)
        files << QString::fromLocal8Bit(argv[i]);
    if (files.isEmpty())
        for (const char* f :
             {"/usr/share/games/etr/music/freezingpoint.ogg", "/usr/share/games/etr/music/credits1-cp.ogg",
              "/usr/share/sounds/freedesktop/stereo/complete.oga"})
            if (std::filesystem::exists(f))
                files << f;
    if (files.isEmpty()) {
        std::fprintf(
            stderr,
            "no sources: apt-get install extremetuxracer-data sound-theme-freedesktop, or name files\n");
        return 1;
    }
    QTemporaryDir dir;
    const char* contents[] = {"Voice with Background Music", "Music", "Stereo Music"};
    for (const QString& file : files) {
        const Sound source = Load(file, seconds, dir.filePath("source.f32"));
        if (source.empty()) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(file));
            continue;
        }
        std::printf("%s, %.1f s:\n", qPrintable(file), static_cast<double>(source.size()) / 2 / kRate);
        for (int a = 0; a < encoder::kAudienceCount; ++a)
            for (int c = 0; c < 3; ++c)
                Compare(source, encoder::AudienceName(static_cast<encoder::Audience>(a)).c_str(), contents[c],
                        kBefore[a][c]);
    }
    // The converter on a song of four minutes: the first source looped.
    const QString song = dir.filePath("song.wav");
    if (QProcess::execute("ffmpeg", {"-v", "error", "-y", "-stream_loop", "-1", "-i", files.front(), "-t",
                                     "240", "-c:a", "pcm_s16le", song}) == 0) {
        for (const auto& [format, name] : {std::pair{0, "Voice Only (default)"}, std::pair{2, "Music"}}) {
            double cpu = 0;
            const double wall = ConvertTiming(song, dir.filePath("song.rm"), format, dir.path(), &cpu);
            std::printf("song of 240 s converted for 56K modem and 256K DSL, %s: %.2f s wall, %.2f s CPU\n",
                        name, wall, cpu);
        }
    }
    return 0;
}
