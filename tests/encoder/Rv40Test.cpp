#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdarg>
#include <cstring>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "RmWriterFixtures.h"
#include "encoder/LibavPtr.h"
#include "encoder/rm/Chunks.h"
#include "encoder/rm/RmWriter.h"
#include "encoder/rv40/IntraEncoder.h"
#include "support/FileHelpers.h"

extern "C" {
#include <libavutil/log.h>
}

using encoder::rv40::IntraEncoder;
using encoder::rv40::PictureView;

namespace {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> plane[3];

    PictureView View() const {
        PictureView view;
        for (int p = 0; p < 3; ++p) {
            view.plane[p] = plane[p].data();
            view.stride[p] = p ? width / 2 : width;
        }
        return view;
    }
};

// A made-up picture of patches that do not line up with macroblocks: flat, noise, stripes and lines
// of several directions, smooth ramps, a checkerboard and rings, so that every intra type and mode
// has somewhere to win.
Picture MakePicture(int width, int height, unsigned seed) {
    Picture picture;
    picture.width = width;
    picture.height = height;
    std::mt19937 random(seed);
    for (int p = 0; p < 3; ++p) {
        const int w = p ? width / 2 : width, h = p ? height / 2 : height;
        const int scale = p ? 2 : 1;
        picture.plane[p].resize(static_cast<std::size_t>(w * h));
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const int X = x * scale, Y = y * scale;
                const int patch =
                    static_cast<int>((X / 24 + (Y / 20) * 5 + seed + static_cast<unsigned>(p)) % 10);
                int v = 0;
                switch (patch) {
                    case 0:
                        v = 90 + 40 * p;
                        break;
                    case 1:
                        v = static_cast<int>(random() & 255);
                        break;
                    case 2:
                        v = (X / 3) % 2 ? 200 : 40;
                        break;
                    case 3:
                        v = (Y / 2) % 2 ? 220 : 30;
                        break;
                    case 4:
                        v = ((X + Y) / 3) % 2 ? 180 : 60;
                        break;
                    case 5:
                        v = ((X - Y + 512) / 4) % 2 ? 170 : 50;
                        break;
                    case 6:
                        v = (X * 3 + Y * 5) % 256;
                        break;
                    case 7:
                        v = ((X / 4 + Y / 4) % 2) * 200 + 20;
                        break;
                    case 8:
                        v = 128 + static_cast<int>(100 * std::sin(std::hypot(X - 40, Y - 30) / 3.0));
                        break;
                    default:
                        v = 30 + (Y * 4) % 200 + static_cast<int>(random() % 5);
                        break;
                }
                picture.plane[p][static_cast<std::size_t>(y * w + x)] = static_cast<std::uint8_t>(v);
            }
    }
    return picture;
}

Picture Copy(const PictureView& view, int width, int height) {
    Picture picture;
    picture.width = width;
    picture.height = height;
    for (int p = 0; p < 3; ++p) {
        const int w = p ? width / 2 : width, h = p ? height / 2 : height;
        for (int y = 0; y < h; ++y)
            picture.plane[p].insert(picture.plane[p].end(), view.plane[p] + y * view.stride[p],
                                    view.plane[p] + y * view.stride[p] + w);
    }
    return picture;
}

std::atomic<int> decoderErrors{0};
void CountErrors(void*, int level, const char*, va_list) {
    if (level <= AV_LOG_ERROR)
        ++decoderErrors;
}

// FFmpeg's RealVideo 4 decoder, handed the stream header's codec data and each picture as the
// RealMedia demuxer hands it over. It holds one picture back; Finish drains it.
class Decoder {
  public:
    Decoder(int width, int height) {
        decoderErrors = 0;
        av_log_set_callback(CountErrors);
        const AVCodec* codec = avcodec_find_decoder(AV_CODEC_ID_RV40);
        if (!codec)
            throw std::runtime_error("no RealVideo 4 decoder");
        context_.reset(avcodec_alloc_context3(codec));
        encoder::rm::StreamDesc desc;
        desc.kind = encoder::rm::StreamKind::Video;
        desc.codec = encoder::rm::Codec::RealVideo40;
        desc.video.width = static_cast<std::uint16_t>(width);
        desc.video.height = static_cast<std::uint16_t>(height);
        const std::vector<std::uint8_t> header = encoder::rm::VideoTypeSpecific(desc);
        const std::size_t extraSize = header.size() - 26;  // what follows the common video header
        context_->extradata =
            static_cast<std::uint8_t*>(av_mallocz(extraSize + AV_INPUT_BUFFER_PADDING_SIZE));
        std::memcpy(context_->extradata, header.data() + 26, extraSize);
        context_->extradata_size = static_cast<int>(extraSize);
        context_->width = width;
        context_->height = height;
        context_->thread_count = 1;
        if (avcodec_open2(context_.get(), codec, nullptr) < 0)
            throw std::runtime_error("cannot open the RealVideo 4 decoder");
    }
    ~Decoder() { av_log_set_callback(av_log_default_callback); }

    void Send(const std::vector<std::uint8_t>& picture) {
        const std::vector<std::uint8_t> bytes = encoder::rv40::DemuxedPacket(picture);
        encoder::av::PacketPtr packet(av_packet_alloc());
        ASSERT_EQ(av_new_packet(packet.get(), static_cast<int>(bytes.size())), 0);
        std::memcpy(packet->data, bytes.data(), bytes.size());
        ASSERT_EQ(avcodec_send_packet(context_.get(), packet.get()), 0);
        Receive();
    }
    std::vector<Picture> Finish() {
        avcodec_send_packet(context_.get(), nullptr);
        Receive();
        return std::move(pictures_);
    }

  private:
    void Receive() {
        encoder::av::FramePtr frame(av_frame_alloc());
        while (avcodec_receive_frame(context_.get(), frame.get()) == 0) {
            PictureView view;
            for (int p = 0; p < 3; ++p) {
                view.plane[p] = frame->data[p];
                view.stride[p] = frame->linesize[p];
            }
            pictures_.push_back(Copy(view, frame->width, frame->height));
            av_frame_unref(frame.get());
        }
    }
    encoder::av::CodecPtr context_;
    std::vector<Picture> pictures_;
};

// Where the decoder's picture first differs from the encoder's, or "" when they are the same.
std::string FirstDifference(const Picture& decoded, const Picture& expected) {
    if (decoded.width != expected.width || decoded.height != expected.height)
        return "size " + std::to_string(decoded.width) + "x" + std::to_string(decoded.height);
    for (int p = 0; p < 3; ++p) {
        const int w = p ? expected.width / 2 : expected.width;
        for (std::size_t i = 0; i < expected.plane[p].size(); ++i)
            if (decoded.plane[p][i] != expected.plane[p][i])
                return "plane " + std::to_string(p) + " at (" +
                       std::to_string(i % static_cast<std::size_t>(w)) + ", " +
                       std::to_string(i / static_cast<std::size_t>(w)) + ")";
    }
    return "";
}

// Encodes the picture at each quantizer, decodes all of it and expects the encoder's own pictures back,
// without one error from the decoder. Adds up the modes the encoder chose.
void ExpectDecoderAgrees(const Picture& source, const std::vector<int>& quantizers,
                         IntraEncoder::ModeCounts* modes = nullptr) {
    IntraEncoder encoder(source.width, source.height);
    Decoder decoder(source.width, source.height);
    std::vector<Picture> expected;
    for (int q : quantizers) {
        decoder.Send(encoder.Encode(source.View(), q, q * 40));
        expected.push_back(Copy(encoder.Reconstruction(), source.width, source.height));
        if (modes) {
            for (int m = 0; m < 4; ++m)
                modes->intra16[m] += encoder.LastModes().intra16[m];
            for (int m = 0; m < 9; ++m)
                modes->intra4[m] += encoder.LastModes().intra4[m];
        }
    }
    const std::vector<Picture> decoded = decoder.Finish();
    ASSERT_EQ(decoded.size(), expected.size());
    for (std::size_t i = 0; i < decoded.size(); ++i)
        EXPECT_EQ(FirstDifference(decoded[i], expected[i]), "")
            << source.width << "x" << source.height << " quantizer " << quantizers[i];
    EXPECT_EQ(decoderErrors.load(), 0) << source.width << "x" << source.height;
}

std::vector<int> QuantizersFrom(int first, int step) {
    std::vector<int> q;
    for (int i = first; i < 32; i += step)
        q.push_back(i);
    return q;
}

}  // namespace

// The decoder's output, deblocking included, is the encoder's reconstruction bit for bit: one
// macroblock, sizes that end inside a macroblock, at every quantizer; between them every 16x16 and
// every 4x4 mode is chosen somewhere.
TEST(Rv40Intra, DecoderOutputsTheEncodersPictureAtEveryQuantizer) {
    IntraEncoder::ModeCounts modes;
    for (const auto& [w, h] : std::vector<std::pair<int, int>>{{16, 16}, {176, 120}, {100, 52}})
        for (unsigned seed : {1u, 6u})
            ExpectDecoderAgrees(MakePicture(w, h, seed), QuantizersFrom(0, 1), &modes);
    for (int m = 0; m < 4; ++m)
        EXPECT_GT(modes.intra16[m], 0) << "16x16 mode " << m;
    for (int m = 0; m < 9; ++m)
        EXPECT_GT(modes.intra4[m], 0) << "4x4 mode " << m;
}

// Large pictures, and the picture sizes the header codes in each of its ways (standard widths and
// heights, the two-step heights, escaped values, past 255 * 4), including pictures small enough for
// the decoder's stronger deblocking.
TEST(Rv40Intra, DecoderAgreesAtEverySizeTheHeaderCodes) {
    ExpectDecoderAgrees(MakePicture(1920, 1088, 3), QuantizersFrom(1, 5));
    for (const auto& [w, h] : std::vector<std::pair<int, int>>{
             {160, 120}, {352, 288}, {176, 144}, {320, 180}, {640, 360}, {704, 576}, {1028, 36}, {4, 4}})
        ExpectDecoderAgrees(MakePicture(w, h, 2), {4, 28});
}

// A flat picture costs next to nothing; noise at the finest quantizer needs the longest level codes.
TEST(Rv40Intra, FlatAndNoisePicturesAtTheEnds) {
    Picture flat = MakePicture(64, 48, 0);
    for (auto& plane : flat.plane)
        std::fill(plane.begin(), plane.end(), std::uint8_t{77});
    IntraEncoder encoder(64, 48);
    EXPECT_LT(encoder.Encode(flat.View(), 31).size(), 40u);
    ExpectDecoderAgrees(flat, {0, 31});

    Picture noise = MakePicture(64, 48, 0);
    std::mt19937 random(9);
    for (auto& plane : noise.plane)
        for (auto& v : plane)
            v = static_cast<std::uint8_t>(random() & 1 ? 255 : 0);
    ExpectDecoderAgrees(noise, {0, 1, 31});
}

TEST(Rv40Intra, RefusesWhatThePictureHeaderCannotCarry) {
    EXPECT_THROW(IntraEncoder(18, 16), std::invalid_argument);
    EXPECT_THROW(IntraEncoder(16, 0), std::invalid_argument);
    EXPECT_THROW(IntraEncoder(4100, 16), std::invalid_argument);
    IntraEncoder encoder(16, 16);
    const Picture picture = MakePicture(16, 16, 1);
    EXPECT_THROW(encoder.Encode(picture.View(), 32), std::invalid_argument);
    EXPECT_THROW(encoder.Encode(picture.View(), -1), std::invalid_argument);
    encoder::av::FramePtr frame(av_frame_alloc());
    frame->format = AV_PIX_FMT_YUV420P;
    frame->width = 32;
    frame->height = 16;
    ASSERT_EQ(av_frame_get_buffer(frame.get(), 0), 0);
    EXPECT_THROW(encoder.Encode(frame.get(), 10), std::invalid_argument);
}

// Intra pictures through the RealMedia writer: FFmpeg's demuxer finds RealVideo 4 by the stream
// header and decodes every picture without an error.
TEST(Rv40Intra, RealMediaFileOfIntraPicturesReadsBack) {
    testsupport::ScratchDir dir;
    rmtest::EncodedStream stream;
    stream.desc.kind = encoder::rm::StreamKind::Video;
    stream.desc.codec = encoder::rm::Codec::RealVideo40;
    stream.desc.video = {176, 144, 10};
    stream.desc.avgBitRate = stream.desc.maxBitRate = 200000;
    IntraEncoder encoder(176, 144);
    for (int i = 0; i < 12; ++i) {
        const Picture picture = MakePicture(176, 144, static_cast<unsigned>(i));
        stream.frames.push_back({encoder.Encode(picture.View(), 12 + i, i * 100), i * 100, true});
    }
    stream.durationMs = 1200;
    const std::string path = dir.File("intra.rm");
    rmtest::WriteFile(path, {&stream}, {});

    const rmtest::Probe probe = rmtest::ProbeFile(path);
    ASSERT_TRUE(probe.opened) << probe.openError;
    EXPECT_EQ(probe.errors, std::vector<std::string>{}) << rmtest::Joined(probe.errors);
    ASSERT_EQ(probe.streams.size(), 1u);
    EXPECT_EQ(probe.streams[0].codec, AV_CODEC_ID_RV40);
    EXPECT_EQ(probe.streams[0].width, 176);
    EXPECT_EQ(probe.streams[0].height, 144);
    EXPECT_EQ(probe.streams[0].decodedFrames, 12);
}
