// The result sort: orders lines largest first by comparing them as texts. Every result line
// begins with its zero-filled size field, so text order is size order.
#pragma once

#include "model/line_list.h"

namespace mezu {

// Reorders the lines into non-increasing order of their UTF-16 code units. The outcome is
// fully determined: lines that compare equal are identical.
void sortLargestFirst(LineList& lines);

}  // namespace mezu
