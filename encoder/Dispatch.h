#pragma once
#include <cstdint>
#include <stdexcept>
#include <string>
#include <variant>

namespace encoder {

// Dispatch ids of the encoder control's properties and events.
enum class DispId : std::int32_t {
    InputType = 3151,
    InputFilename = 3152,
    InputDoAudio = 3155,
    InputDoVideo = 3156,
    OutputFilename = 3203,
    TempDirectory = 3204,
    Title = 3251,
    Author = 3252,
    Copyright = 3253,
    Description = 3254,
    Keywords = 3255,
    Target28KModem = 3401,
    Target56KModem = 3402,
    TargetSingleISDN = 3403,
    TargetDualISDN = 3404,
    TargetDSLCableModem = 3405,
    TargetLAN = 3406,
    AudioContent = 3407,
    VideoQuality = 3408,
    SureStream = 3409,
    Target256KDSLCableModem = 3413,
    Target384KDSLCableModem = 3414,
    Target512KDSLCableModem = 3415,
    IsEncoding = 3701,
};

enum class EventId : std::int32_t {
    OnEncodingStarted = 5001,
    OnEncodingStopped = 5002,
    OnErrorOccurred = 5003,
    OnAudioLevelClipped = 5004,
    OnEncodingProgressChanged = 5005,
    OnVideoWindowSized = 5006,
};

// The control's booleans are 16-bit: -1 true, 0 false.
using VariantBool = std::int16_t;
inline constexpr VariantBool kVariantTrue = -1;
inline constexpr VariantBool kVariantFalse = 0;

// A typed property value: UTF-16 string, 32-bit enum, or 16-bit boolean.
using DispValue = std::variant<std::u16string, std::int32_t, VariantBool>;

// A call the control refused (bad value, start while busy, missing names); carries the control's message.
class ControlError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Receives the control's events, always on the user-interface thread, queued between other messages.
class EventSink {
  public:
    virtual ~EventSink() = default;
    virtual void OnEncodingStarted() = 0;
    virtual void OnErrorOccurred(std::int32_t errorCode, const std::u16string& errorString) = 0;
    virtual void OnEncodingProgressChanged(std::int32_t duration, std::int32_t timestamp,
                                           std::int32_t percentDone, std::int32_t audioPeakLevel) = 0;
    // The remaining events, OnEncodingStopped among them (raised once an encode has ended by itself,
    // after its error if it failed, when the control is idle again).
    virtual void OnOtherEvent(EventId /*id*/) {}
};

// The encoder control as the host sees it: properties by dispatch id, two methods, and events.
class IProducerDispatch {
  public:
    virtual ~IProducerDispatch() = default;
    virtual void PutProperty(DispId id, const DispValue& value) = 0;  // throws ControlError
    virtual DispValue GetProperty(DispId id) = 0;                     // throws ControlError
    virtual void StartEncoding() = 0;                                 // throws ControlError
    virtual void StopEncoding() = 0;                                  // throws ControlError
    // The sink stays owned by the caller and must outlive the control or be replaced by nullptr.
    virtual void Advise(EventSink* sink) = 0;
};

}  // namespace encoder
