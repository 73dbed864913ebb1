#include "conversion/EncoderFactory.h"

#include "encoder/BuiltinEncoder.h"

namespace conversion {
namespace {
std::function<std::unique_ptr<encoder::IProducerDispatch>()>& Factory() {
    static std::function<std::unique_ptr<encoder::IProducerDispatch>()> factory;
    return factory;
}
}  // namespace

std::unique_ptr<encoder::IProducerDispatch> CreateEncoderControl() {
    if (Factory())
        return Factory()();
    return encoder::CreateBuiltinEncoder();
}

void SetEncoderControlFactory(std::function<std::unique_ptr<encoder::IProducerDispatch>()> factory) {
    Factory() = std::move(factory);
}

}  // namespace conversion
