#include "support/FakeProducer.h"

#include <QString>

namespace testsupport {
using encoder::DispId;

std::string FakeProducer::Name(DispId id) {
    switch (id) {
        case DispId::InputType:
            return "InputType";
        case DispId::InputFilename:
            return "InputFilename";
        case DispId::InputDoAudio:
            return "InputDoAudio";
        case DispId::InputDoVideo:
            return "InputDoVideo";
        case DispId::OutputFilename:
            return "OutputFilename";
        case DispId::TempDirectory:
            return "TempDirectory";
        case DispId::Title:
            return "Title";
        case DispId::Author:
            return "Author";
        case DispId::Copyright:
            return "Copyright";
        case DispId::Description:
            return "Description";
        case DispId::Keywords:
            return "Keywords";
        case DispId::Target28KModem:
            return "Target28KModem";
        case DispId::Target56KModem:
            return "Target56KModem";
        case DispId::TargetSingleISDN:
            return "TargetSingleISDN";
        case DispId::TargetDualISDN:
            return "TargetDualISDN";
        case DispId::TargetDSLCableModem:
            return "TargetDSLCableModem";
        case DispId::TargetLAN:
            return "TargetLAN";
        case DispId::AudioContent:
            return "AudioContent";
        case DispId::VideoQuality:
            return "VideoQuality";
        case DispId::SureStream:
            return "SureStream";
        case DispId::Target256KDSLCableModem:
            return "Target256KDSLCableModem";
        case DispId::Target384KDSLCableModem:
            return "Target384KDSLCableModem";
        case DispId::Target512KDSLCableModem:
            return "Target512KDSLCableModem";
        case DispId::IsEncoding:
            return "IsEncoding";
    }
    return std::to_string(static_cast<int>(id));
}

namespace {
// Booleans other than the control's two values are logged by number so a wrong encoding shows up.
std::string ValueText(const encoder::DispValue& v) {
    if (const auto* s = std::get_if<std::u16string>(&v))
        return QString::fromStdU16String(*s).toStdString();
    if (const auto* b = std::get_if<encoder::VariantBool>(&v)) {
        if (*b == encoder::kVariantTrue)
            return "true";
        if (*b == encoder::kVariantFalse)
            return "false";
        return "bool(" + std::to_string(*b) + ")";
    }
    return std::to_string(std::get<std::int32_t>(v));
}
}  // namespace

void FakeProducer::PutProperty(DispId id, const encoder::DispValue& value) {
    log_.push_back({false, Name(id) + "=" + ValueText(value)});
    if (auto it = refused_.find(id); it != refused_.end())
        throw encoder::ControlError(it->second);
    if (id == DispId::IsEncoding)
        throw encoder::ControlError("IsEncoding is read-only");
    values_[id] = value;
}

encoder::DispValue FakeProducer::GetProperty(DispId id) {
    if (id == DispId::IsEncoding) {
        log_.push_back({true, "IsEncoding?"});
        return isEncoding ? encoder::kVariantTrue : encoder::kVariantFalse;
    }
    log_.push_back({true, Name(id) + "?"});
    if (auto it = values_.find(id); it != values_.end())
        return it->second;
    throw encoder::ControlError("Property " + Name(id) + " has no value");
}

void FakeProducer::StartEncoding() {
    log_.push_back({false, "StartEncoding()"});
    if (refuseStart_)
        throw encoder::ControlError(*refuseStart_);
    ++starts_;
    if (startSetsEncoding)
        isEncoding = true;
    if (onStart)
        onStart();
}

void FakeProducer::StopEncoding() {
    log_.push_back({false, "StopEncoding()"});
    ++stops_;
    isEncoding = false;
    if (onStop)
        onStop();
}

std::vector<std::string> FakeProducer::Calls(bool withReads) const {
    std::vector<std::string> out;
    for (const Entry& entry : log_) {
        if (withReads || !entry.read)
            out.push_back(entry.text);
    }
    return out;
}

std::optional<encoder::DispValue> FakeProducer::Value(DispId id) const {
    if (auto it = values_.find(id); it != values_.end())
        return it->second;
    return std::nullopt;
}

void FakeProducer::RefuseProperty(DispId id, std::string message) {
    refused_[id] = std::move(message);
}

void FakeProducer::AcceptAll() {
    refused_.clear();
    refuseStart_.reset();
}

void FakeProducer::RaiseStarted() {
    if (sink_)
        sink_->OnEncodingStarted();
}

void FakeProducer::RaiseProgress(int percentDone, int duration, int timestamp, int audioPeakLevel) {
    if (sink_)
        sink_->OnEncodingProgressChanged(duration, timestamp, percentDone, audioPeakLevel);
}

void FakeProducer::RaiseError(int code, const std::u16string& text) {
    if (sink_)
        sink_->OnErrorOccurred(code, text);
}

void FakeProducer::RaiseStopped() {
    if (sink_)
        sink_->OnOtherEvent(encoder::EventId::OnEncodingStopped);
}

}  // namespace testsupport
