// SPDX-License-Identifier: MIT
// The main window's layout in Qt's pixels: the twips of ui/window_layout.h at 96 dpi
// (15 twips a pixel), which Qt scales for other resolutions itself.
#pragma once

#include <QRect>
#include <QSize>

#include "ui/window_layout.h"

namespace mezu::layout {

inline constexpr int kTwipsPerPixel = 15;

constexpr QRect pixels(TwipsRect twips)
{
    return QRect{twips.left / kTwipsPerPixel, twips.top / kTwipsPerPixel, twips.width / kTwipsPerPixel,
                 twips.height / kTwipsPerPixel};
}

inline constexpr QSize kClientAreaPixels = pixels(kClientArea).size();

}  // namespace mezu::layout
