// SPDX-License-Identifier: MIT
// The Open dialog on Qt: a modal QFileDialog that picks an existing file.
#pragma once

#include <QPointer>
#include <QWidget>

#include "ui/open_dialog.h"

namespace mezu {

class QtOpenDialog final : public OpenDialog {
public:
    explicit QtOpenDialog(QWidget* parent = nullptr)
        : parent_(parent)
    {
    }
    void setParent(QWidget* parent) { parent_ = parent; }

    std::optional<std::string> askFileToOpen(std::string_view title, std::string_view filter) override;

private:
    QPointer<QWidget> parent_;
};

}  // namespace mezu
