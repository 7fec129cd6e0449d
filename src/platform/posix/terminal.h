// SPDX-License-Identifier: MIT
// Whether the standard streams are attached to a terminal.
#pragma once

namespace mezu::posix {

bool standardErrorIsTerminal();

}  // namespace mezu::posix
