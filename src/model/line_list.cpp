#include "model/line_list.h"

namespace mezu {

std::string LineList::lineOrEmpty(std::size_t index) const
{
    return index < lines_.size() ? lines_[index] : std::string{};
}

}  // namespace mezu
