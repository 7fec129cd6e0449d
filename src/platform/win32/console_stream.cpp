// SPDX-License-Identifier: MIT
#include "platform/win32/console_stream.h"

#include <windows.h>

#include <algorithm>

#include "platform/win32/handle_io.h"
#include "platform/win32/wide_text.h"

namespace mezu::win32 {
namespace {

constexpr DWORD kLargestWrite = 1U << 16;

// How many bytes at the end of `text` start a UTF-8 sequence that is not complete yet.
std::size_t incompleteTail(const std::string& text)
{
    const std::size_t lookBack = std::min<std::size_t>(text.size(), 3);
    for (std::size_t back = 1; back <= lookBack; ++back) {
        const auto byte = static_cast<unsigned char>(text[text.size() - back]);
        if ((byte & 0xC0) == 0x80) {
            continue;  // a continuation byte: look further back for the lead byte
        }
        const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return length > back ? back : 0;
    }
    return 0;
}

}  // namespace

ConsoleStreamBuf::ConsoleStreamBuf(StandardStream stream)
    : handle_(::GetStdHandle(stream == StandardStream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE))
{
    DWORD mode = 0;
    console_ = handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle_, &mode);
    if (console_) {
        ::SetConsoleMode(handle_, mode | ENABLE_PROCESSED_OUTPUT | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
    }
    setp(buffer_.data(), buffer_.data() + buffer_.size());
}

ConsoleStreamBuf::~ConsoleStreamBuf()
{
    flushBuffer();
}

ConsoleStreamBuf::int_type ConsoleStreamBuf::overflow(int_type c)
{
    if (!flushBuffer()) {
        return traits_type::eof();
    }
    if (!traits_type::eq_int_type(c, traits_type::eof())) {
        *pptr() = traits_type::to_char_type(c);
        pbump(1);
    }
    return traits_type::not_eof(c);
}

int ConsoleStreamBuf::sync()
{
    return flushBuffer() ? 0 : -1;
}

bool ConsoleStreamBuf::flushBuffer()
{
    std::string bytes = std::move(partial_);
    partial_.clear();
    bytes.append(pbase(), pptr());
    setp(buffer_.data(), buffer_.data() + buffer_.size());
    if (!console_) {
        return writeAll(handle_, bytes.data(), bytes.size());
    }
    partial_ = bytes.substr(bytes.size() - incompleteTail(bytes));
    bytes.resize(bytes.size() - partial_.size());
    return writeConsole(bytes);
}

bool ConsoleStreamBuf::writeConsole(const std::string& utf8)
{
    const std::wstring wide = toWide(utf8);
    std::size_t written = 0;
    while (written < wide.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(wide.size() - written, kLargestWrite));
        DWORD done = 0;
        if (!::WriteConsoleW(handle_, wide.data() + written, chunk, &done, nullptr) || done == 0) {
            return false;
        }
        written += done;
    }
    return true;
}

}  // namespace mezu::win32
