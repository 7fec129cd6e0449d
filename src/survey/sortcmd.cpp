#include "survey/sortcmd.h"

#include <algorithm>
#include <string>
#include <vector>

#include "model/text_order.h"

namespace mezu {

void sortLargestFirst(LineList& lines)
{
    std::vector<std::string> sorted = lines.lines();
    std::sort(sorted.begin(), sorted.end(), [](const std::string& a, const std::string& b) {
        return compareUtf16(a, b) > 0;
    });
    for (std::size_t i = 0; i < sorted.size(); ++i) {
        if (lines.line(i) != sorted[i]) {
            lines.set(i, std::move(sorted[i]));
        }
    }
}

}  // namespace mezu
