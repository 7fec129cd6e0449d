#include "app/progress_window_system.h"

namespace mezu {
namespace {

constexpr auto kProgressInterval = std::chrono::milliseconds(100);
constexpr const char* kClearLine = "\r\033[K";

}  // namespace

void ProgressWindowSystem::yield()
{
    if (out_ == nullptr || lists_ == nullptr) {
        return;
    }
    const auto now = std::chrono::steady_clock::now();
    if (now - lastShown_ < kProgressInterval) {
        return;
    }
    lastShown_ = now;
    shown_ = true;
    *out_ << kClearLine << "surveying: " << lists_->List1.count() << " measured, "
          << lists_->wklist1.count() << " directories in the current tree" << std::flush;
}

void ProgressWindowSystem::finish()
{
    if (out_ != nullptr && shown_) {
        *out_ << kClearLine << std::flush;
        shown_ = false;
    }
}

}  // namespace mezu
