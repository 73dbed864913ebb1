#include "encoder/WideText.h"

#include <QString>

namespace encoder {

std::u16string ToWide(const std::string& text) {
    return QString::fromStdString(text).toStdU16String();
}

std::string FromWide(const std::u16string& text) {
    return QString::fromStdU16String(text).toStdString();
}

}  // namespace encoder
