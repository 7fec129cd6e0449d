// SPDX-License-Identifier: MIT
// The main window's fonts at a given resolution (dots per inch). The caller owns each HFONT
// and deletes it with DeleteObject.
#pragma once

#include <windows.h>

namespace mezu::win32 {

// The result list's fixed-pitch Mincho at 9 point: "ＭＳ 明朝" in the Japanese character set, or
// another installed Mincho where it is missing.
HFONT createReportFont(int dpi);

// The Japanese system's window face at 9 point: "MS UI Gothic" (or the IPA Gothic that stands
// in for it under Wine), or the system's own message font, whose font linking shows Japanese,
// where neither is installed.
HFONT createWindowFont(int dpi);

// The height of a line of text in `font` as `control` draws it, in pixels.
int fontHeight(HWND control, HFONT font);

}  // namespace mezu::win32
