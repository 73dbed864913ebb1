#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

#include "encoder/LibavPtr.h"
#include "encoder/cook/CookEncoder.h"

using encoder::cook::Encoder;
using encoder::cook::Flavor;

namespace {

// The frames FFmpeg's decoder plays for a sound, one vector per channel, and the packets' sizes.
struct Played {
    std::vector<std::vector<float>> channels;
    std::vector<int> packetSizes;
    int refused = 0;  // packets the decoder returned an error for
};

// Encodes interleaved samples (padded with silence to whole frames, then kDelayFrames silent frames so the
// last frame comes out) and decodes the packets with FFmpeg's decoder.
Played EncodeAndPlay(const Flavor& flavor, std::vector<std::int16_t> samples) {
    const int frame = flavor.frameSamples * flavor.channels;
    samples.resize((samples.size() + frame - 1) / frame * frame + Encoder::kDelayFrames * frame, 0);
    Encoder encoder(flavor);

    const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_COOK);
    encoder::av::CodecPtr context(avcodec_alloc_context3(codec));
    const std::vector<std::uint8_t> extra = encoder.CodecData();
    context->extradata = static_cast<std::uint8_t*>(av_mallocz(extra.size() + AV_INPUT_BUFFER_PADDING_SIZE));
    std::copy(extra.begin(), extra.end(), context->extradata);
    context->extradata_size = static_cast<int>(extra.size());
    av_channel_layout_default(&context->ch_layout, flavor.channels);
    context->sample_rate = flavor.sampleRate;
    context->block_align = flavor.frameBytes;
    context->bit_rate = flavor.bitRate;
    EXPECT_EQ(avcodec_open2(context.get(), codec, nullptr), 0);

    Played played;
    played.channels.resize(static_cast<size_t>(flavor.channels));
    encoder::av::PacketPtr packet(av_packet_alloc());
    encoder::av::FramePtr decoded(av_frame_alloc());
    std::vector<std::uint8_t> bytes(static_cast<size_t>(flavor.frameBytes) + 8, 0xAA);
    for (size_t at = 0; at < samples.size(); at += static_cast<size_t>(frame)) {
        encoder.Encode(samples.data() + at, bytes.data());
        // The encoder writes exactly frameBytes: the guard bytes after them stay as they were.
        played.packetSizes.push_back(static_cast<int>(
            std::find_if(bytes.rbegin(), bytes.rbegin() + 8, [](std::uint8_t b) { return b != 0xAA; }) -
                        bytes.rbegin() ==
                    8
                ? flavor.frameBytes
                : -1));
        av_new_packet(packet.get(), flavor.frameBytes);
        std::copy_n(bytes.data(), flavor.frameBytes, packet->data);
        if (avcodec_send_packet(context.get(), packet.get()) < 0) {
            ++played.refused;
        }
        av_packet_unref(packet.get());
        while (avcodec_receive_frame(context.get(), decoded.get()) == 0) {
            for (int c = 0; c < flavor.channels; ++c) {
                const float* data = reinterpret_cast<const float*>(decoded->extended_data[c]);
                played.channels[c].insert(played.channels[c].end(), data, data + decoded->nb_samples);
            }
        }
    }
    return played;
}

// Signal to noise of what is played against the source channel, in dB.
double Snr(const std::vector<std::int16_t>& source, int channels, int channel,
           const std::vector<float>& played) {
    double signal = 0, noise = 0;
    for (size_t i = 0; i < played.size() && i * channels < source.size(); ++i) {
        const double s = source[i * channels + channel] / 32768.0;
        signal += s * s;
        noise += (s - played[i]) * (s - played[i]);
    }
    return 10 * std::log10(signal / std::max(noise, 1e-20));
}

double Power(const std::vector<float>& played) {
    double sum = 0;
    for (const float v : played) {
        sum += v * v;
    }
    return sum / static_cast<double>(played.size());
}

double Power(const std::vector<std::int16_t>& source, int channels, int channel) {
    double sum = 0;
    for (size_t i = channel; i < source.size(); i += channels) {
        sum += std::pow(source[i] / 32768.0, 2);
    }
    return sum / static_cast<double>(source.size() / channels);
}

// Two tones per channel (different per channel, so joint stereo must keep them apart below its coupled
// bands), or, with noise, white noise at a quarter of full scale.
std::vector<std::int16_t> Signal(const Flavor& f, int frames, bool noise) {
    std::vector<std::int16_t> s(static_cast<size_t>(frames * f.frameSamples * f.channels));
    std::mt19937 random(7);
    std::normal_distribution<double> gauss(0, 8000);
    for (size_t i = 0; i < s.size() / f.channels; ++i) {
        for (int c = 0; c < f.channels; ++c) {
            const double t = static_cast<double>(i) / f.sampleRate;
            const double v = noise ? gauss(random)
                                   : 6000 * std::sin(2 * M_PI * (440 + 110 * c) * t) +
                                         3000 * std::sin(2 * M_PI * 1250 * t);
            s[i * f.channels + c] = static_cast<std::int16_t>(std::clamp(v, -32768.0, 32767.0));
        }
    }
    return s;
}

}  // namespace

// Every flavor as FFmpeg's decoder plays it: it accepts the codec data and every packet, every frame given
// comes out with none before it, each packet is exactly frameBytes, and the sound is the source's. Tones are
// coded to about 23 dB in every flavor (the finest quantizer's steps are a third of a band's level); white
// noise, which spreads the bits thin over every band, is mostly played as noise of its level. Joint stereo
// keeps a sound on its side.
TEST(Cook, FfmpegPlaysWhatEveryFlavorEncodes) {
    for (const Flavor& f : encoder::cook::Flavors()) {
        SCOPED_TRACE(testing::Message() << f.sampleRate << " Hz, " << f.channels << " ch, " << f.bitRate);
        EXPECT_EQ(encoder::cook::FindFlavor(f.sampleRate, f.channels, f.bitRate), &f);
        const int frames = 40;
        for (const bool noise : {false, true}) {
            const std::vector<std::int16_t> source = Signal(f, frames, noise);
            const Played played = EncodeAndPlay(f, source);
            EXPECT_EQ(played.refused, 0);
            for (const int size : played.packetSizes) {
                EXPECT_EQ(size, f.frameBytes);
            }
            for (int c = 0; c < f.channels; ++c) {
                EXPECT_EQ(played.channels[c].size(), static_cast<size_t>(frames * f.frameSamples));
                if (noise) {
                    // Only the level can be asked of noise: that of the source's part below the bandwidth.
                    const double share = static_cast<double>(f.subbands * 20) / f.frameSamples;
                    const double ratio = Power(played.channels[c]) / (Power(source, f.channels, c) * share);
                    EXPECT_GT(ratio, 0.6);
                    EXPECT_LT(ratio, 1.4);
                } else {
                    EXPECT_GT(Snr(source, f.channels, c, played.channels[c]), 20.0);
                }
            }
        }
        if (f.channels == 2) {
            // A tone high in the coupled bands, left only, stays on the left: the right channel plays no more
            // than the coarsest split leaves it (-14 dB with 3 index bits).
            std::vector<std::int16_t> left(static_cast<size_t>(frames * f.frameSamples * 2), 0);
            for (size_t i = 0; i < left.size() / 2; ++i) {
                left[2 * i] =
                    static_cast<std::int16_t>(8000 * std::sin(2 * M_PI * 4000.0 * i / f.sampleRate));
            }
            const Played played = EncodeAndPlay(f, left);
            EXPECT_GT(Snr(left, 2, 0, played.channels[0]), 15.0);
            EXPECT_LT(Power(played.channels[1]), Power(played.channels[0]) / 20);
        }
    }
    EXPECT_EQ(encoder::cook::FindFlavor(44100, 2, 12345), nullptr);
}

// Silence stays silent, and full-scale square waves and clicks (single samples at full scale in silence) are
// coded without the decoder refusing a packet or the sound blowing up: the level stays the source's.
TEST(Cook, SilenceAndFullScaleExtremes) {
    for (const Flavor& f : encoder::cook::Flavors()) {
        SCOPED_TRACE(testing::Message() << f.sampleRate << " Hz, " << f.channels << " ch, " << f.bitRate);
        const int frames = 12;
        const size_t count = static_cast<size_t>(frames * f.frameSamples * f.channels);
        const Played silent = EncodeAndPlay(f, std::vector<std::int16_t>(count, 0));
        EXPECT_EQ(silent.refused, 0);
        for (const auto& channel : silent.channels) {
            for (const float v : channel) {
                ASSERT_LT(std::fabs(v), 0.5f / 32768);
            }
        }
        std::vector<std::int16_t> square(count), clicks(count, 0);
        for (size_t i = 0; i < count; ++i) {
            square[i] = (i / f.channels / 37) % 2 ? 32767 : -32768;
        }
        for (size_t i = 100 * f.channels; i < count; i += 997 * f.channels) {
            std::fill_n(clicks.begin() + static_cast<std::ptrdiff_t>(i), f.channels, 32767);
        }
        for (const auto& source : {square, clicks}) {
            const Played played = EncodeAndPlay(f, source);
            EXPECT_EQ(played.refused, 0);
            for (int c = 0; c < f.channels; ++c) {
                double in = 0, out = 0;
                for (size_t i = 0; i < played.channels[c].size(); ++i) {
                    ASSERT_TRUE(std::isfinite(played.channels[c][i]));
                    in += std::pow(source[i * f.channels + c] / 32768.0, 2);
                    out += std::pow(played.channels[c][i], 2);
                }
                EXPECT_LT(out, in * 2);
                EXPECT_GT(out, in / 4);
            }
        }
    }
}
