// Where the main window's controls stand, in twips (1/1440 inch) from the top left of the
// client area, and their conversion to pixels at 96 dpi (15 twips a pixel).
#pragma once

#include <QRect>
#include <QSize>

namespace mezu::layout {

inline constexpr int kTwipsPerPixel = 15;

constexpr QRect fromTwips(int left, int top, int width, int height)
{
    return QRect{left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel,
                 height / kTwipsPerPixel};
}

inline constexpr QSize kClientArea{6870 / kTwipsPerPixel, 4650 / kTwipsPerPixel};

inline constexpr QRect kLabel1 = fromTwips(120, 120, 6615, 615);
inline constexpr QRect kDlist = fromTwips(120, 840, 6615, 390);
inline constexpr QRect kDrive1 = fromTwips(120, 1320, 6615, 300);
inline constexpr QRect kDir1 = fromTwips(120, 1680, 6615, 1350);
inline constexpr QRect kCommand1 = fromTwips(120, 3120, 2055, 375);
inline constexpr QRect kCommand3 = fromTwips(2280, 3120, 1095, 375);
inline constexpr QRect kCommand5 = fromTwips(4440, 3120, 1095, 375);
inline constexpr QRect kCommand4 = fromTwips(5640, 3120, 1095, 375);
inline constexpr QRect kList1 = fromTwips(120, 3600, 6615, 930);
// Beyond the right edge of the client area: in the focus order, never in view.
inline constexpr QRect kCommand2 = fromTwips(7320, 600, 975, 375);

}  // namespace mezu::layout
