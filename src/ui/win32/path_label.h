// SPDX-License-Identifier: MIT
// Label1 on Windows: an owner-drawn label that shows a path on as many lines as it needs,
// broken at any character; when even that does not fit, the beginning gives way to "…" so the
// selected folder stays in view. The whole path is the label's tooltip.
#pragma once

#include <windows.h>

#include <string>

namespace mezu::win32 {

class PathLabel {
public:
    // `label` is a static control with SS_OWNERDRAW whose WM_DRAWITEM the owner passes to draw().
    void bind(HWND label, HWND owner);
    void setPath(const std::wstring& path);
    void draw(const DRAWITEMSTRUCT& item, HFONT font) const;

private:
    HWND label_ = nullptr;
    HWND tooltip_ = nullptr;
    std::wstring path_;
};

// The longest ending of `text`, after "…" when shortened, whose lines (see wrapAnywhere) all fit
// `bounds` in the font selected into `context`.
std::wstring fittingEnd(HDC context, const std::wstring& text, const RECT& bounds);

}  // namespace mezu::win32
