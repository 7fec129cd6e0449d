// SPDX-License-Identifier: MIT
// The user's regional settings that reports follow.
#pragma once

#include <string>

namespace mezu::win32 {

// The user's decimal separator in UTF-8 ("." when the system gives none), as the Linux
// programs take it from the locale.
std::string userDecimalSeparator();

}  // namespace mezu::win32
