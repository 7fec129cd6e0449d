// SPDX-License-Identifier: MIT
// The window logic: may use the model.
#pragma once
#include "model/value.h"
