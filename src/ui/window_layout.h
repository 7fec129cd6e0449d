// SPDX-License-Identifier: MIT
// Where the main window's controls stand, in twips (1/1440 inch) from the top left of the
// client area. Each window layer converts them to pixels at its screen's resolution.
#pragma once

namespace mezu::layout {

inline constexpr int kTwipsPerInch = 1440;

struct TwipsRect {
    int left;
    int top;
    int width;
    int height;
};

inline constexpr TwipsRect kClientArea{0, 0, 6870, 4650};

inline constexpr TwipsRect kLabel1{120, 120, 6615, 615};
inline constexpr TwipsRect kDlist{120, 840, 6615, 390};
inline constexpr TwipsRect kDrive1{120, 1320, 6615, 300};
inline constexpr TwipsRect kDir1{120, 1680, 6615, 1350};
inline constexpr TwipsRect kCommand1{120, 3120, 2055, 375};
inline constexpr TwipsRect kCommand3{2280, 3120, 1095, 375};
inline constexpr TwipsRect kCommand5{4440, 3120, 1095, 375};
inline constexpr TwipsRect kCommand4{5640, 3120, 1095, 375};
inline constexpr TwipsRect kList1{120, 3600, 6615, 930};
// Beyond the right edge of the client area: in the focus order, never in view.
inline constexpr TwipsRect kCommand2{7320, 600, 975, 375};

}  // namespace mezu::layout
