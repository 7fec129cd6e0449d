// SPDX-License-Identifier: MIT
// The engine calling the OS directly: refused.
#include <unistd.h>
