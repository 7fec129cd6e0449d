// SPDX-License-Identifier: MIT
// The Win32 window layer's own logic: wrapping at any character, the path label's shortening,
// the dialogs' filter, the drive list, and a line list shown in a real list box (appends added,
// anything else shown afresh, the scroll extent following the widest line, the share bars).
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include "model/line_list.h"
#include "platform/win32/wide_text.h"
#include "ui/win32/drive_box.h"
#include "ui/win32/line_list_box.h"
#include "ui/win32/path_label.h"
#include "ui/win32/text_wrap.h"
#include "ui/win32/win32_file_dialogs.h"
#include "ui/win32/window_fonts.h"
#include "ui/window_style.h"

namespace mezu::win32 {
namespace {

constexpr int kBaseDpi = 96;

int textWidth(HDC context, const std::wstring& text)
{
    SIZE size{};
    ::GetTextExtentPoint32W(context, text.c_str(), static_cast<int>(text.size()), &size);
    return size.cx;
}

class Win32TextTest : public ::testing::Test {
protected:
    void SetUp() override { ::SelectObject(context_, font_); }
    void TearDown() override
    {
        ::DeleteDC(context_);
        ::DeleteObject(font_);
    }
    int lineHeight() const
    {
        TEXTMETRICW metrics{};
        ::GetTextMetricsW(context_, &metrics);
        return metrics.tmHeight;
    }

    HDC context_ = ::CreateCompatibleDC(nullptr);
    HFONT font_ = createWindowFont(kBaseDpi);
};

TEST_F(Win32TextTest, WrapsAtAnyCharacterAsMuchAsFitsALine)
{
    const std::wstring texts[] = {L"", L"C:\\short", L"C:\\" + std::wstring(120, L'b') + L"\\end",
                                  L"C:\\日本語\\" + std::wstring(60, L'あ')};
    for (const std::wstring& text : texts) {
        for (int width : {1, 200}) {
            const std::vector<std::wstring> lines = wrapAnywhere(context_, text, width);
            std::wstring joined;
            for (std::size_t i = 0; i < lines.size(); ++i) {
                joined += lines[i];
                EXPECT_TRUE(lines[i].size() == 1 || textWidth(context_, lines[i]) <= width);
                if (i + 1 < lines.size()) {
                    EXPECT_GT(textWidth(context_, lines[i] + lines[i + 1].front()), width) << "room left on a line";
                }
            }
            EXPECT_EQ(joined, text);
        }
    }
}

TEST_F(Win32TextTest, LongPathsLoseTheirBeginningNeverTheirEnd)
{
    const RECT twoLines{0, 0, 200, 2 * lineHeight()};
    const auto lineCount = [&](const std::wstring& text) { return wrapAnywhere(context_, text, 200).size(); };
    const std::wstring wrapping = L"C:\\" + std::wstring(40, L'b');
    ASSERT_EQ(lineCount(wrapping), 2U);
    for (const std::wstring& whole : {std::wstring{L"C:\\short"}, wrapping}) {
        EXPECT_EQ(fittingEnd(context_, whole, twoLines), whole);
    }
    for (const std::wstring& path :
         {L"C:\\" + std::wstring(300, L'a') + L"\\selected", L"C:\\日本語\\" + std::wstring(200, L'あ') + L"\\選択"}) {
        const std::wstring shown = fittingEnd(context_, path, twoLines);
        ASSERT_GT(shown.size(), 1U);
        EXPECT_EQ(shown.front(), L'…');
        EXPECT_TRUE(path.ends_with(shown.substr(1)));
        EXPECT_EQ(lineCount(shown), 2U);
        EXPECT_EQ(lineCount(L"…" + path.substr(path.size() - shown.size())), 3U) << "one more character fits";
    }
}

TEST(Win32FileDialogsTest, FilterPartsEndInZerosAndTheListInTwo)
{
    const std::wstring filter = dialogFilter("ﾃｷｽﾄﾌｧｲﾙ|*.txt|All Files|*.*|");
    EXPECT_EQ(filter, std::wstring(L"ﾃｷｽﾄﾌｧｲﾙ\0*.txt\0All Files\0*.*\0", 29));
    EXPECT_EQ(filter.c_str()[filter.size()], L'\0');
    EXPECT_EQ(dialogFilter("Text|*.txt"), std::wstring(L"Text\0*.txt\0", 11));
}

TEST(Win32DriveBoxTest, ShowsTheDrivesAnewAndKeepsTheirLetters)
{
    const INITCOMMONCONTROLSEX controls{sizeof controls, ICC_USEREX_CLASSES};
    ::InitCommonControlsEx(&controls);
    const HWND box = ::CreateWindowExW(0, WC_COMBOBOXEXW, L"", WS_POPUP | CBS_DROPDOWNLIST, 0, 0, 200, 200, nullptr,
                                       nullptr, nullptr, nullptr);
    ASSERT_NE(box, nullptr);
    DriveBox drives;
    drives.bind(box);
    const auto shownTexts = [box] {
        std::vector<std::wstring> texts;
        for (int i = 0; i < static_cast<int>(::SendMessageW(box, CB_GETCOUNT, 0, 0)); ++i) {
            wchar_t text[64] = {};
            COMBOBOXEXITEMW item{};
            item.mask = CBEIF_TEXT;
            item.iItem = i;
            item.pszText = text;
            item.cchTextMax = 64;
            ::SendMessageW(box, CBEM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
            texts.emplace_back(text);
        }
        return texts;
    };
    drives.setItems({{'C', "/", "c: [/]"}, {'Q', std::nullopt, "q:"}});
    EXPECT_EQ(shownTexts(), (std::vector<std::wstring>{L"c: [/]", L"q:"})) << "a drive with no volume shows its letter";
    drives.select('Q');
    EXPECT_EQ(drives.selected(), 'Q');

    drives.setItems({{'A', "/dev/shm", "a: [/dev/shm]"}, {'C', "/", "c: [/]"}});
    EXPECT_EQ(shownTexts(), (std::vector<std::wstring>{L"a: [/dev/shm]", L"c: [/]"}));
    drives.select('C');
    EXPECT_EQ(drives.selected(), 'C');
    drives.select('Q');
    EXPECT_EQ(drives.selected(), 'C') << "a letter the list does not hold selects nothing";
    ::DestroyWindow(box);
}

TEST(Win32LineListBoxTest, ShowsTheListAsItStands)
{
    const HWND list = ::CreateWindowExW(0, L"LISTBOX", L"", WS_POPUP | WS_HSCROLL | LBS_NOINTEGRALHEIGHT, 0, 0, 200,
                                        100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(list, nullptr) << "no window without a display: run under Xvfb";
    const HFONT font = createReportFont(kBaseDpi);
    LineList lines;
    LineListBox shown{lines};
    shown.bind(list);
    shown.setFont(font);
    const auto texts = [list] {
        std::vector<std::wstring> all;
        for (LRESULT i = 0; i < ::SendMessageW(list, LB_GETCOUNT, 0, 0); ++i) {
            std::wstring line(
                static_cast<std::size_t>(::SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0)) + 1, L'\0');
            ::SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(line.data()));
            line.resize(line.size() - 1);
            all.push_back(line);
        }
        return all;
    };
    const auto extent = [list] { return ::SendMessageW(list, LB_GETHORIZONTALEXTENT, 0, 0); };

    const std::wstring wideLine = L"a line far wider than the list box it is shown in, so it scrolls";
    lines.add("short");
    lines.add(toUtf8(wideLine));
    shown.refresh();
    EXPECT_EQ(texts(), (std::vector<std::wstring>{L"short", wideLine}));
    const LRESULT wide = extent();
    EXPECT_GT(wide, 200);

    lines.add("日本語");
    shown.refresh();
    EXPECT_EQ(texts().size(), 3U) << "an append adds the line";
    EXPECT_EQ(extent(), wide);

    // A sort replaces lines in place: the count stays, the box must show the new order.
    lines.set(0, "日本語");
    lines.set(2, "short");
    shown.refresh();
    EXPECT_EQ(texts().front(), L"日本語");
    EXPECT_EQ(texts().back(), L"short");

    lines.clear();
    lines.add("x");
    shown.refresh();
    EXPECT_EQ(texts(), std::vector<std::wstring>{L"x"});
    EXPECT_LT(extent(), wide) << "the extent follows the lines shown";
    ::DestroyWindow(list);
    ::DeleteObject(font);
}

TEST(Win32LineListBoxTest, DrawsEachLinesShareAsABarAcrossTheVisibleWidth)
{
    constexpr int kWidth = 200;
    const HWND list = ::CreateWindowExW(0, L"LISTBOX", L"", WS_POPUP | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS, 0, 0,
                                        kWidth, 100, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(list, nullptr) << "no window without a display: run under Xvfb";
    const HFONT font = createReportFont(kBaseDpi);
    LineList lines;
    lines.add(".");
    lines.add(".");
    LineListBox shown{lines};
    shown.bind(list);
    shown.setFont(font);
    EXPECT_EQ(::SendMessageW(list, LB_GETITEMHEIGHT, 0, 0), fontHeight(list, font)) << "a row as tall as its font";

    // Drawn into true colour, whatever the display's depth.
    BITMAPINFO format{};
    format.bmiHeader = BITMAPINFOHEADER{sizeof(BITMAPINFOHEADER), kWidth, 20, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    const HDC context = ::CreateCompatibleDC(nullptr);
    const HBITMAP bitmap = ::CreateDIBSection(context, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
    const HGDIOBJ previous = ::SelectObject(context, bitmap);
    const COLORREF bar = RGB(style::kShareBar.red, style::kShareBar.green, style::kShareBar.blue);
    const COLORREF background = ::GetSysColor(COLOR_WINDOW);
    // Pixels left of the bar's end, right of it, and at the row's far end.
    const auto drawn = [&](UINT row, UINT state) {
        DRAWITEMSTRUCT item{};
        item.CtlType = ODT_LISTBOX;
        item.itemID = row;
        item.itemState = state;
        item.hwndItem = list;
        item.hDC = context;
        item.rcItem = RECT{0, 0, kWidth, 20};
        shown.draw(item);
        return std::vector<COLORREF>{::GetPixel(context, kWidth / 4 - 2, 10), ::GetPixel(context, kWidth / 4 + 2, 10),
                                     ::GetPixel(context, kWidth - 2, 10)};
    };
    RECT inside{};
    ::GetClientRect(list, &inside);
    ASSERT_EQ(inside.right, kWidth);

    EXPECT_EQ(drawn(1, 0), (std::vector<COLORREF>{background, background, background})) << "no shares, no bars";
    shown.setShares({1.0, 0.25});
    EXPECT_EQ(drawn(0, 0), (std::vector<COLORREF>{bar, bar, bar})) << "the whole spans the list";
    EXPECT_EQ(drawn(1, 0), (std::vector<COLORREF>{bar, background, background}));
    const COLORREF highlight = ::GetSysColor(COLOR_HIGHLIGHT);
    EXPECT_EQ(drawn(1, ODS_SELECTED), (std::vector<COLORREF>{highlight, highlight, highlight}))
        << "a selected line shows the selection";

    ::SelectObject(context, previous);
    ::DeleteObject(bitmap);
    ::DeleteDC(context);
    ::DestroyWindow(list);
    ::DeleteObject(font);
}

}  // namespace
}  // namespace mezu::win32
