// SPDX-License-Identifier: MIT
#include "app/progress_window_system.h"

namespace mezu {
namespace {

constexpr const char* kClearLine = "\r\033[K";

}  // namespace

void ProgressWindowSystem::yield()
{
    if (out_ == nullptr || lists_ == nullptr || !throttle_.due()) {
        return;
    }
    shown_ = true;
    *out_ << kClearLine << "surveying: " << lists_->List1.count() << " measured, " << lists_->wklist1.count()
          << " directories in the current tree" << std::flush;
    throttle_.handedOver();
}

void ProgressWindowSystem::finish()
{
    if (out_ != nullptr && shown_) {
        *out_ << kClearLine << std::flush;
        shown_ = false;
    }
}

}  // namespace mezu
