// SPDX-License-Identifier: MIT
#include "platform/win32/user_locale.h"

#include <windows.h>

#include "platform/win32/wide_text.h"

namespace mezu::win32 {

std::string userDecimalSeparator()
{
    wchar_t separator[LOCALE_NAME_MAX_LENGTH] = {};
    const int length = ::GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, separator, LOCALE_NAME_MAX_LENGTH);
    return length > 1 ? toUtf8(std::wstring_view{separator, static_cast<std::size_t>(length - 1)}) : ".";
}

}  // namespace mezu::win32
