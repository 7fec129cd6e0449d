// SPDX-License-Identifier: MIT
// The window-system operations for a run without a window: the yield returns at once, the
// pointer is only recorded and message texts are kept for the caller to read.
#pragma once

#include <string>
#include <vector>

#include "engine/window_system.h"

namespace mezu {

class HeadlessWindowSystem : public WindowSystem {
public:
    void yield() override {}
    void setMousePointer(MousePointer pointer) override { pointer_ = pointer; }
    void messageBox(const std::string& text) override { messages_.push_back(text); }

    MousePointer mousePointer() const { return pointer_; }
    const std::vector<std::string>& messages() const { return messages_; }

private:
    MousePointer pointer_ = MousePointer::Default;
    std::vector<std::string> messages_;
};

}  // namespace mezu
