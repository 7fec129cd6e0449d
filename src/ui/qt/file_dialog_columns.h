// SPDX-License-Identifier: MIT
// The Save and Open dialogs' lists on Qt: Qt's own file dialog (the one used where the desktop
// offers none of its own) opens with the column widths it saved last time, in any program and
// any language, which cut the Japanese sizes and types ("620 バイト", "CMake ソースコード").
// This fits them to what they show.
#pragma once

#include <QFileDialog>

namespace mezu {

// Gives the size, type and date columns the widths their texts need each time a folder has
// been read, and the name the rest; the places beside them get theirs, and the dialog is made
// wide enough for a name beside them. A desktop's own dialog has no such parts and is left as
// it is.
void fitFileDialogColumns(QFileDialog& dialog);

}  // namespace mezu
