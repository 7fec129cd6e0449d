// SPDX-License-Identifier: MIT
// Breaking text into lines for drawing with GDI where words are no guide: a path has no spaces,
// and a report line must continue rather than be cut.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

namespace mezu::win32 {

// `text` broken into lines at any character, each as long as fits its width in pixels in the
// font selected into `context` (at least one character, however narrow the width): the first
// line `firstWidth`, every later one `laterWidth`. No lines for an empty text.
std::vector<std::wstring> wrapAnywhere(HDC context, std::wstring_view text, int firstWidth, int laterWidth);
// Every line `width` wide.
inline std::vector<std::wstring> wrapAnywhere(HDC context, std::wstring_view text, int width)
{
    return wrapAnywhere(context, text, width, width);
}

}  // namespace mezu::win32
