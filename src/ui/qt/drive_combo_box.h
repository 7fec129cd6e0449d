// SPDX-License-Identifier: MIT
// Drive1 on Qt: a drop-down list of the drives that tells its owner when the list is about to
// open, so that the owner can fill it afresh first (drives come and go while the window is open).
#pragma once

#include <QComboBox>

#include <functional>
#include <utility>

namespace mezu {

class DriveComboBox final : public QComboBox {
public:
    using QComboBox::QComboBox;

    // Runs each time the list opens, before it is shown; it may change the items.
    void setBeforePopup(std::function<void()> beforePopup) { beforePopup_ = std::move(beforePopup); }

    void showPopup() override
    {
        if (beforePopup_) {
            beforePopup_();
        }
        QComboBox::showPopup();
    }

private:
    std::function<void()> beforePopup_;
};

}  // namespace mezu
