#include "conversion/TProducerControl.h"

#include "encoder/WideText.h"
#include "platform/core/FileNames.h"

namespace conversion {

TProducerControl::TProducerControl(std::unique_ptr<encoder::IProducerDispatch> control, QObject* parent)
    : QObject(parent), control_(std::move(control)) {
    control_->Advise(this);
}

TProducerControl::~TProducerControl() {
    // The control goes with its host; an encode still running is stopped so no thread outlives us.
    try {
        if (IsEncoding())
            control_->StopEncoding();
    } catch (...) {
    }
    control_->Advise(nullptr);
}

void TProducerControl::SetString(encoder::DispId id, const std::string& text) {
    control_->PutProperty(id, encoder::ToWide(text));
}

void TProducerControl::SetBool(encoder::DispId id, bool value) {
    control_->PutProperty(id, value ? encoder::kVariantTrue : encoder::kVariantFalse);
}

void TProducerControl::SetEnum(encoder::DispId id, std::int32_t value) {
    control_->PutProperty(id, value);
}

bool TProducerControl::IsEncoding() {
    encoder::DispValue v = control_->GetProperty(encoder::DispId::IsEncoding);
    const auto* b = std::get_if<encoder::VariantBool>(&v);
    return b && *b != encoder::kVariantFalse;
}

void TProducerControl::StartEncoding() {
    control_->StartEncoding();
}
void TProducerControl::StopEncoding() {
    control_->StopEncoding();
}

void TProducerControl::OnEncodingStarted() {
    emit EncodingStarted();
}

void TProducerControl::OnOtherEvent(encoder::EventId id) {
    if (id == encoder::EventId::OnEncodingStopped)
        emit EncodingStopped();
}

void TProducerControl::OnErrorOccurred(std::int32_t errorCode, const std::u16string& errorString) {
    // File names in the message may hold bytes of no text; they are shown as the window shows names.
    emit ErrorOccurred(errorCode,
                       QString::fromStdString(platform::ReadableName(encoder::FromWide(errorString))));
}

void TProducerControl::OnEncodingProgressChanged(std::int32_t duration, std::int32_t timestamp,
                                                 std::int32_t percentDone, std::int32_t audioPeakLevel) {
    emit EncodingProgressChanged(duration, timestamp, percentDone, audioPeakLevel);
}

}  // namespace conversion
