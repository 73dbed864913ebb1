#pragma once
#include <functional>
#include <memory>

#include "encoder/Dispatch.h"

namespace conversion {

// The encoder control the main window hosts: the built-in encoder, unless a test installed another maker
// (a recording fake, say). Must be called on the user-interface thread.
std::unique_ptr<encoder::IProducerDispatch> CreateEncoderControl();

// Test seam: an empty function restores the built-in encoder.
void SetEncoderControlFactory(std::function<std::unique_ptr<encoder::IProducerDispatch>()> factory);

}  // namespace conversion
