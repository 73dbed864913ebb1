#pragma once
#include <string>

#include "conversion/TProducerControl.h"
#include "settings/Settings.h"

namespace conversion {

// Copies the run-wide settings onto the encoder: temporary folder, audiences, audio and video content and
// the kind of output. Only writes properties, in a fixed order; a value outside its list (no choice, or a
// hand-edited data.ini) leaves the encoder's property as it was. A refused write stops the copying there
// and propagates.
void ApplyEncoderSettings(TProducerControl& control, const settings::TSettings& s);

// One job's files and clip information, as the encoder takes them before each start.
struct JobProperties {
    const std::string& source;
    const std::string& destination;
    const std::string& title;
    const std::string& author;
    const std::string& copyright;
    const std::string& description;
    const std::string& keywords;
};

// Writes a job's properties in the order every run sets them: input, output, then the clip information.
// A refused write stops there and propagates.
void ApplyJobProperties(TProducerControl& control, const JobProperties& job);

}  // namespace conversion
