// SPDX-License-Identifier: MIT
#include "ui/win32/window_fonts.h"

#include <cwchar>
#include <initializer_list>

namespace mezu::win32 {
namespace {

constexpr int kPointsPerInch = 72;
constexpr int kFontPoints = 9;

int heightAt(int dpi)
{
    return -::MulDiv(kFontPoints, dpi, kPointsPerInch);
}

int CALLBACK noteFound(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found)
{
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool installed(const wchar_t* face)
{
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    std::wcsncpy(wanted.lfFaceName, face, LF_FACESIZE - 1);
    bool found = false;
    const HDC screen = ::GetDC(nullptr);
    ::EnumFontFamiliesExW(screen, &wanted, noteFound, reinterpret_cast<LPARAM>(&found), 0);
    ::ReleaseDC(nullptr, screen);
    return found;
}

LOGFONTW japaneseFont(int dpi, std::initializer_list<const wchar_t*> faces, BYTE pitchAndFamily)
{
    LOGFONTW font{};
    font.lfHeight = heightAt(dpi);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = SHIFTJIS_CHARSET;
    font.lfQuality = DEFAULT_QUALITY;
    font.lfPitchAndFamily = pitchAndFamily;
    // The first face that is installed; otherwise the first, which the font mapper replaces by
    // a face of the Japanese character set.
    const wchar_t* chosen = *faces.begin();
    for (const wchar_t* face : faces) {
        if (installed(face)) {
            chosen = face;
            break;
        }
    }
    std::wcsncpy(font.lfFaceName, chosen, LF_FACESIZE - 1);
    return font;
}

}  // namespace

HFONT createReportFont(int dpi)
{
    const LOGFONTW font =
        japaneseFont(dpi, {L"ＭＳ 明朝", L"MS Mincho", L"IPAMincho", L"IPA明朝"}, FIXED_PITCH | FF_ROMAN);
    return ::CreateFontIndirectW(&font);
}

HFONT createWindowFont(int dpi)
{
    for (const wchar_t* face : {L"MS UI Gothic", L"IPAPGothic", L"IPAGothic"}) {
        if (installed(face)) {
            const LOGFONTW font = japaneseFont(dpi, {face}, VARIABLE_PITCH | FF_SWISS);
            return ::CreateFontIndirectW(&font);
        }
    }
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (::SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi)) {
        metrics.lfMessageFont.lfHeight = heightAt(dpi);
        return ::CreateFontIndirectW(&metrics.lfMessageFont);
    }
    return static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT));
}

int fontHeight(HWND control, HFONT font)
{
    const HDC context = ::GetDC(control);
    const HGDIOBJ previous = ::SelectObject(context, font);
    TEXTMETRICW metrics{};
    ::GetTextMetricsW(context, &metrics);
    ::SelectObject(context, previous);
    ::ReleaseDC(control, context);
    return metrics.tmHeight;
}

}  // namespace mezu::win32
