#pragma once
#include "conversion/TProducerControl.h"
#include "settings/Settings.h"

namespace conversion {

// Copies the run-wide settings onto the encoder: temporary folder, audiences, audio and video content and
// the kind of output. Only writes properties, in a fixed order; a value outside its list (no choice, or a
// hand-edited data.ini) leaves the encoder's property as it was. A refused write stops the copying there
// and propagates.
void ApplyEncoderSettings(TProducerControl& control, const settings::TSettings& s);

}  // namespace conversion
