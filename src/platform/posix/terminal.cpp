// SPDX-License-Identifier: MIT
#include "platform/posix/terminal.h"

#include <unistd.h>

namespace mezu::posix {

bool standardErrorIsTerminal()
{
    return ::isatty(STDERR_FILENO) == 1;
}

}  // namespace mezu::posix
