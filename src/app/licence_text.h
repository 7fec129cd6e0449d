// SPDX-License-Identifier: MIT
// The licence lines that mezu's and mezu-report's --version print after the version.
#pragma once

#include <string_view>

namespace mezu {

inline constexpr std::string_view kLicenceText =
    "Copyright (c) 2026 the mezu authors\n"
    "License: MIT <https://spdx.org/licenses/MIT.html>\n"
    "This is free software: you are free to change and redistribute it.\n"
    "There is NO WARRANTY, to the extent permitted by law.\n";

}  // namespace mezu
