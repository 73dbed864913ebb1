#pragma once
#include <memory>

#include "encoder/Dispatch.h"

namespace encoder {

// The project's own RealMedia encoder behind the control interface. Must be created on the
// user-interface thread (a running QCoreApplication); it encodes on its own thread and delivers its
// events queued on the creating thread.
std::unique_ptr<IProducerDispatch> CreateBuiltinEncoder();

}  // namespace encoder
