#pragma once
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "encoder/Dispatch.h"

namespace testsupport {

// A recording stand-in for the encoder control. Every property write and method call is logged in order
// as text ("InputFilename=/a.avi", "Target28KModem=true", "AudioContent=2", "StartEncoding()"); reads of
// IsEncoding are logged too ("IsEncoding?") but left out of Calls() unless asked for. Tests script
// IsEncoding, refuse writes or calls, and raise the control's events synchronously.
class FakeProducer : public encoder::IProducerDispatch {
  public:
    void PutProperty(encoder::DispId id, const encoder::DispValue& value) override;
    encoder::DispValue GetProperty(encoder::DispId id) override;
    void StartEncoding() override;
    void StopEncoding() override;
    void Advise(encoder::EventSink* sink) override { sink_ = sink; }

    // The log, optionally with the IsEncoding reads.
    std::vector<std::string> Calls(bool withReads = false) const;
    // Forgets the log (not the property values).
    void ClearLog() { log_.clear(); }
    // The last value written to a property, if any.
    std::optional<encoder::DispValue> Value(encoder::DispId id) const;
    int StartCount() const { return starts_; }
    int StopCount() const { return stops_; }

    // IsEncoding as the host will read it. StartEncoding sets it (unless told not to), StopEncoding
    // clears it.
    bool isEncoding = false;
    bool startSetsEncoding = true;
    // Runs inside StartEncoding after it was logged, e.g. to raise events from within the call.
    std::function<void()> onStart;
    // Runs inside StopEncoding after it was logged.
    std::function<void()> onStop;

    // Makes writes to `id`, or StartEncoding / StopEncoding, fail with the control's message.
    void RefuseProperty(encoder::DispId id, std::string message);
    void RefuseStart(std::string message) { refuseStart_ = std::move(message); }
    void AcceptAll();

    // The control's events, delivered at once to the advised sink.
    void RaiseStarted();
    void RaiseProgress(int percentDone, int duration = 0, int timestamp = 0, int audioPeakLevel = 0);
    void RaiseError(int code, const std::u16string& text);
    void RaiseStopped();
    // Ends the current encode as the control does: IsEncoding reads false from now on.
    void FinishEncode() { isEncoding = false; }

    static std::string Name(encoder::DispId id);

  private:
    struct Entry {
        bool read;
        std::string text;
    };
    std::vector<Entry> log_;
    std::map<encoder::DispId, encoder::DispValue> values_;
    std::map<encoder::DispId, std::string> refused_;
    std::optional<std::string> refuseStart_;
    encoder::EventSink* sink_ = nullptr;
    int starts_ = 0;
    int stops_ = 0;
};

}  // namespace testsupport
