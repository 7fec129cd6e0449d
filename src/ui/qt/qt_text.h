// SPDX-License-Identifier: MIT
// The core's UTF-8 texts as Qt strings, for every Qt binding of the window.
#pragma once

#include <QString>

#include <string_view>

namespace mezu {

inline QString qtText(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

}  // namespace mezu
