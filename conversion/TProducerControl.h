#pragma once
#include <QObject>
#include <QString>
#include <cstdint>
#include <memory>
#include <string>

#include "encoder/Dispatch.h"

namespace conversion {

// The typed wrapper the windows use to drive the encoder control. Texts are the program's 8-bit (UTF-8)
// strings and are converted to UTF-16 here, at the encoder boundary; file names keep every byte, UTF-8 or
// not, and come back in the error texts readable (U+FFFD for a byte of no text). A call the control refuses
// raises encoder::ControlError with the control's message.
class TProducerControl : public QObject, private encoder::EventSink {
    Q_OBJECT
  public:
    explicit TProducerControl(std::unique_ptr<encoder::IProducerDispatch> control, QObject* parent = nullptr);
    ~TProducerControl() override;

    void SetString(encoder::DispId id, const std::string& text);
    void SetBool(encoder::DispId id, bool value);
    void SetEnum(encoder::DispId id, std::int32_t value);

    void setInputType(std::int32_t v) { SetEnum(encoder::DispId::InputType, v); }
    void setInputFilename(const std::string& v) { SetString(encoder::DispId::InputFilename, v); }
    void setOutputFilename(const std::string& v) { SetString(encoder::DispId::OutputFilename, v); }
    void setTempDirectory(const std::string& v) { SetString(encoder::DispId::TempDirectory, v); }
    void setTitle(const std::string& v) { SetString(encoder::DispId::Title, v); }
    void setAuthor(const std::string& v) { SetString(encoder::DispId::Author, v); }
    void setCopyright(const std::string& v) { SetString(encoder::DispId::Copyright, v); }
    void setDescription(const std::string& v) { SetString(encoder::DispId::Description, v); }
    void setKeywords(const std::string& v) { SetString(encoder::DispId::Keywords, v); }
    void setInputDoAudio(bool v) { SetBool(encoder::DispId::InputDoAudio, v); }
    void setInputDoVideo(bool v) { SetBool(encoder::DispId::InputDoVideo, v); }
    void setAudioContent(std::int32_t v) { SetEnum(encoder::DispId::AudioContent, v); }
    void setVideoQuality(std::int32_t v) { SetEnum(encoder::DispId::VideoQuality, v); }
    void setSureStream(bool v) { SetBool(encoder::DispId::SureStream, v); }

    bool IsEncoding();
    void StartEncoding();
    void StopEncoding();

    encoder::IProducerDispatch& Control() { return *control_; }

  signals:
    void EncodingStarted();
    // The encoder has ended its encode (finished or failed) and is idle.
    void EncodingStopped();
    void ErrorOccurred(int errorCode, const QString& errorString);
    void EncodingProgressChanged(int duration, int timestamp, int percentDone, int audioPeakLevel);

  private:
    void OnEncodingStarted() override;
    void OnErrorOccurred(std::int32_t errorCode, const std::u16string& errorString) override;
    void OnEncodingProgressChanged(std::int32_t duration, std::int32_t timestamp, std::int32_t percentDone,
                                   std::int32_t audioPeakLevel) override;
    void OnOtherEvent(encoder::EventId id) override;

    std::unique_ptr<encoder::IProducerDispatch> control_;
};

}  // namespace conversion
