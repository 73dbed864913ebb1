#pragma once
#include <memory>
#include <new>
#include <string>

#include "encoder/EncodeError.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/error.h>
#include <libavutil/frame.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

// Owning handles for every libav object the encoder holds, so that no early return or exception can
// leak one. Each deleter is the library's own free function.
namespace encoder::av {

struct InputDeleter {
    void operator()(AVFormatContext* p) const { avformat_close_input(&p); }
};
struct CodecDeleter {
    void operator()(AVCodecContext* p) const { avcodec_free_context(&p); }
};
struct FrameDeleter {
    void operator()(AVFrame* p) const { av_frame_free(&p); }
};
struct PacketDeleter {
    void operator()(AVPacket* p) const { av_packet_free(&p); }
};
struct ScaleDeleter {
    void operator()(SwsContext* p) const { sws_freeContext(p); }
};
struct ResampleDeleter {
    void operator()(SwrContext* p) const { swr_free(&p); }
};
struct FifoDeleter {
    void operator()(AVAudioFifo* p) const { av_audio_fifo_free(p); }
};
struct DictionaryDeleter {
    void operator()(AVDictionary* p) const { av_dict_free(&p); }
};

using InputPtr = std::unique_ptr<AVFormatContext, InputDeleter>;
using CodecPtr = std::unique_ptr<AVCodecContext, CodecDeleter>;
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;
using PacketPtr = std::unique_ptr<AVPacket, PacketDeleter>;
using ScalePtr = std::unique_ptr<SwsContext, ScaleDeleter>;
using ResamplePtr = std::unique_ptr<SwrContext, ResampleDeleter>;
using FifoPtr = std::unique_ptr<AVAudioFifo, FifoDeleter>;
using DictionaryPtr = std::unique_ptr<AVDictionary, DictionaryDeleter>;

// The allocators never hand out null: a failed allocation throws std::bad_alloc, which the encode
// reports as lack of memory instead of crashing on the first use.
template <typename Ptr>
Ptr Allocated(typename Ptr::pointer p) {
    if (!p)
        throw std::bad_alloc();
    return Ptr(p);
}
inline FramePtr MakeFrame() {
    return Allocated<FramePtr>(av_frame_alloc());
}
inline PacketPtr MakePacket() {
    return Allocated<PacketPtr>(av_packet_alloc());
}
inline CodecPtr MakeCodec(const AVCodec* codec) {
    return Allocated<CodecPtr>(avcodec_alloc_context3(codec));
}

// libav's text for an error code, e.g. "Invalid data found when processing input".
inline std::string ErrorText(int code) {
    char buffer[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, buffer, sizeof buffer);
    return buffer;
}

}  // namespace encoder::av

namespace encoder {

// Throws "`what`: libav's text for `rc`." as the encode's error when `rc`, a libav result, is one.
inline void Check(int rc, const std::string& what) {
    if (rc < 0)
        throw EncodeError(what + ": " + av::ErrorText(rc) + ".");
}

}  // namespace encoder
