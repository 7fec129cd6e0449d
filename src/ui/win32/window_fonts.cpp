// SPDX-License-Identifier: MIT
#include "ui/win32/window_fonts.h"

#include <array>
#include <cwchar>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "platform/win32/wide_text.h"
#include "ui/window_style.h"

namespace mezu::win32 {
namespace {

constexpr int kPointsPerInch = 72;

int heightAt(int dpi)
{
    return -::MulDiv(style::kFontPoints, dpi, kPointsPerInch);
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

LOGFONTW japaneseFont(int dpi, const std::wstring& face, BYTE pitchAndFamily)
{
    LOGFONTW font{};
    font.lfHeight = heightAt(dpi);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = SHIFTJIS_CHARSET;
    font.lfQuality = DEFAULT_QUALITY;
    font.lfPitchAndFamily = pitchAndFamily;
    std::wcsncpy(font.lfFaceName, face.c_str(), LF_FACESIZE - 1);
    return font;
}

// The first of the faces that is installed.
std::optional<std::wstring> firstInstalled(std::span<const std::string_view> faces)
{
    for (const std::string_view face : faces) {
        std::wstring wide = toWide(face);
        if (installed(wide.c_str())) {
            return wide;
        }
    }
    return std::nullopt;
}

}  // namespace

HFONT createReportFont(int dpi)
{
    // Where none is installed, the font mapper replaces the first by a face of the Japanese
    // character set.
    const std::wstring face = firstInstalled(style::kReportFaces).value_or(toWide(style::kReportFaces.front()));
    const LOGFONTW font = japaneseFont(dpi, face, FIXED_PITCH | FF_ROMAN);
    return ::CreateFontIndirectW(&font);
}

HFONT createWindowFont(int dpi)
{
    // Wine's stand-ins for the Japanese faces: the IPA Gothic of proportional width first, as
    // MS UI Gothic is.
    constexpr std::array<std::string_view, 2> kStandIns{"IPAPGothic", "IPAGothic"};
    std::optional<std::wstring> face = firstInstalled(style::kWindowFaces);
    if (!face) {
        face = firstInstalled(kStandIns);
    }
    if (face) {
        const LOGFONTW font = japaneseFont(dpi, *face, VARIABLE_PITCH | FF_SWISS);
        return ::CreateFontIndirectW(&font);
    }
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (::SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, static_cast<UINT>(dpi))) {
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
