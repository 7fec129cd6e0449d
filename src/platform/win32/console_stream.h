// SPDX-License-Identifier: MIT
// Standard output or standard error on Windows for the core's UTF-8 text: on a console the
// text is written as UTF-16 (WriteConsoleW, whatever the console's code page), elsewhere (a
// file, a pipe) as the UTF-8 bytes themselves. A console also gets terminal sequences turned
// on, for the progress line. Not thread-safe; one buffer per stream.
#pragma once

#include <array>
#include <cstdint>
#include <streambuf>
#include <string>

namespace mezu::win32 {

enum class StandardStream { Output, Error };

class ConsoleStreamBuf final : public std::streambuf {
public:
    explicit ConsoleStreamBuf(StandardStream stream);
    ~ConsoleStreamBuf() override;
    ConsoleStreamBuf(const ConsoleStreamBuf&) = delete;
    ConsoleStreamBuf& operator=(const ConsoleStreamBuf&) = delete;

    bool isConsole() const { return console_; }

protected:
    int_type overflow(int_type c) override;
    int sync() override;

private:
    bool flushBuffer();
    bool writeConsole(const std::string& utf8);

    void* handle_;
    bool console_ = false;
    std::array<char, 8192> buffer_{};
    std::string partial_;  // the start of a UTF-8 sequence that the next flush completes
};

}  // namespace mezu::win32
