// SPDX-License-Identifier: MIT
#include "model/utf8_text.h"

#include <gtest/gtest.h>

#include <string>

namespace mezu {
namespace {

TEST(Utf8TextTest, AsciiChecksSeeEveryByteOfWordAndTail)
{
    // The edges of printable ASCII, and of ASCII, at each place a word or the tail may hold them.
    const struct {
        char byte;
        bool ascii;
        bool printable;
    } bytes[] = {{'\x00', true, false}, {'\x1F', true, false},  {' ', true, true},     {'~', true, true},
                 {'\x7F', true, false}, {'\x80', false, false}, {'\xFF', false, false}};
    for (const std::size_t length : {1U, 7U, 8U, 9U, 16U, 17U}) {
        for (std::size_t at = 0; at < length; ++at) {
            for (const auto& [byte, ascii, printable] : bytes) {
                std::string text(length, at % 2 == 0 ? '~' : ' ');
                text[at] = byte;
                EXPECT_EQ(isAscii(text), ascii) << length << " bytes, " << int{byte} << " at " << at;
                EXPECT_EQ(isPrintableAscii(text), printable) << length << " bytes, " << int{byte} << " at " << at;
            }
        }
    }
    EXPECT_TRUE(isAscii(""));
    EXPECT_TRUE(isPrintableAscii(""));
}

}  // namespace
}  // namespace mezu
