// SPDX-License-Identifier: MIT
#include "ui/win32/text_wrap.h"

namespace mezu::win32 {

std::vector<std::wstring> wrapAnywhere(HDC context, std::wstring_view text, int firstWidth, int laterWidth)
{
    std::vector<std::wstring> lines;
    while (!text.empty()) {
        const int width = lines.empty() ? firstWidth : laterWidth;
        int fitting = 0;
        SIZE size{};
        ::GetTextExtentExPointW(context, text.data(), static_cast<int>(text.size()), width, &fitting, nullptr, &size);
        const std::size_t taken = fitting > 0 ? static_cast<std::size_t>(fitting) : 1;
        lines.emplace_back(text.substr(0, taken));
        text.remove_prefix(taken);
    }
    return lines;
}

}  // namespace mezu::win32
