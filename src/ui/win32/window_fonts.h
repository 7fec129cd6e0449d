// SPDX-License-Identifier: MIT
// The main window's fonts at a given resolution (dots per inch). The caller owns each HFONT
// and deletes it with DeleteObject.
#pragma once

#include <windows.h>

namespace mezu::win32 {

// The result list's fixed-pitch Mincho (ui/window_style.h) in the Japanese character set: the
// first of its faces that is installed.
HFONT createReportFont(int dpi);

// The Japanese system's window face (ui/window_style.h), or the IPA Gothic that stands in for
// it under Wine, or the system's own message font, whose font linking shows Japanese, where
// none is installed.
HFONT createWindowFont(int dpi);

// The height of a line of text in `font` as `control` draws it, in pixels.
int fontHeight(HWND control, HFONT font);

}  // namespace mezu::win32
