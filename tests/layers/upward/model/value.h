// SPDX-License-Identifier: MIT
// A model header that reaches up to the window logic: refused.
#pragma once
#include "ui/presenter.h"
