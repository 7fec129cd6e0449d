// SPDX-License-Identifier: MIT
// The result sort: orders result lines largest first. Every result line begins with its size in
// megabytes ("0012.34MB - ..."); lines are ordered by that number, and lines with equal sizes by
// their text, so that below 10000 MB, where every size field has four integer digits, the
// order is exactly the text order of the lines.
#pragma once

#include "model/line_list.h"

namespace mezu {

// Reorders the lines largest first: by the value of the leading size field, then by descending
// order of the whole line's UTF-16 code units. Lines that do not begin with a size field come
// after every sized line, in descending text order. The outcome is fully determined: lines
// that compare equal are identical.
void sortLargestFirst(LineList& lines);

}  // namespace mezu
