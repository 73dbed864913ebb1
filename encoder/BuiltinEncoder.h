#pragma once
#include <memory>

#include "encoder/Dispatch.h"

namespace encoder {

// The project's own RealMedia encoder behind the control interface. Must be created on the
// user-interface thread (a running QCoreApplication); it encodes on its own thread and delivers its
// events queued on the creating thread.
std::unique_ptr<IProducerDispatch> CreateBuiltinEncoder();

// Quiets libav's own logging for the whole process, once, at program start: damaged sources make the
// decoders chatter on the terminal, and every failure reaches the user as an error event instead.
void QuietLibavLogging();

}  // namespace encoder
