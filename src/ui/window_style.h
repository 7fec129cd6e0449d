// SPDX-License-Identifier: MIT
// How both windows draw, so that they look alike whatever the toolkit: the faces of the result
// list and of the other controls (each list in order of preference; the first installed is
// used), their size, the colours of the drive list and of the share bars, and how far a printed
// line that continues on the next is indented.
#pragma once

#include <array>
#include <string_view>

namespace mezu::style {

inline constexpr int kFontPoints = 9;

// The fixed-pitch Mincho of the result list (and of File出力's caption): "ＭＳ 明朝" as a
// Japanese system names it, as another names it, then the IPA Mincho that stands in for it.
inline constexpr std::array<std::string_view, 4> kReportFaces{"ＭＳ 明朝", "MS Mincho", "IPAMincho", "IPA明朝"};

// The Japanese system's window faces. Each toolkit adds the stand-in its platform has where
// none of them is installed.
inline constexpr std::array<std::string_view, 3> kWindowFaces{"MS UI Gothic", "ＭＳ Ｐゴシック", "MS PGothic"};

struct Colour {
    int red;
    int green;
    int blue;
};

inline constexpr Colour kDriveListBackground{192, 192, 192};
// Behind a result line, as long as the line's share of the whole tree; pale enough that black
// text on it keeps the contrast of black on white (WCAG AAA).
inline constexpr Colour kShareBar{214, 228, 250};

// A printed line too long for the page continues this many spaces in, so that it reads as
// part of the line above.
inline constexpr int kContinuationIndentSpaces = 4;

}  // namespace mezu::style
