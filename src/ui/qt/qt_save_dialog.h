// SPDX-License-Identifier: MIT
// The Save dialog Cob1 on Qt: a modal QFileDialog in save mode over the main window.
#pragma once

#include <QPointer>
#include <QStringList>
#include <QWidget>

#include "ui/save_dialog.h"

namespace mezu {

class QtSaveDialog final : public SaveDialog {
public:
    explicit QtSaveDialog(QWidget* parent = nullptr)
        : parent_(parent)
    {
    }
    void setParent(QWidget* parent) { parent_ = parent; }

    std::optional<std::string> askFileName(std::string_view filter, const std::string& presetName) override;

private:
    QPointer<QWidget> parent_;
};

// Translates a filter "description|pattern|description|pattern|" into Qt's name filters,
// "description (pattern)", in the same order; the every-file pattern "*.*" becomes "*".
QStringList qtNameFilters(std::string_view filter);

}  // namespace mezu
