// SPDX-License-Identifier: MIT
#include "model/path_text.h"

#include <algorithm>

#include "model/utf8_text.h"

namespace mezu {
namespace {

constexpr char kShownForControlCharacter = '?';

// Characters that would move or break what follows them on screen.
bool hidesLayout(char32_t c)
{
    constexpr char32_t kLastC0 = 0x1F;
    constexpr char32_t kDelete = 0x7F;
    constexpr char32_t kLastC1 = 0x9F;
    constexpr char32_t kArabicLetterMark = 0x061C;
    const bool control = c <= kLastC0 || (c >= kDelete && c <= kLastC1);
    const bool marks = c == 0x200E || c == 0x200F || c == kArabicLetterMark;
    const bool embeddings = (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
    const bool separators = c == 0x2028 || c == 0x2029;
    return control || marks || embeddings || separators;
}

}  // namespace

std::string displayPath(std::string_view path)
{
    std::string shown;
    appendDisplayPath(shown, path);
    return shown;
}

void appendDisplayPath(std::string& shown, std::string_view path)
{
    if (isPrintableAscii(path)) {
        // As most paths are: shown as they are.
        shown += path;
        return;
    }
    shown.reserve(shown.size() + path.size());
    constexpr unsigned char kFirstNonAscii = 0x80;
    // Printable ASCII: none of it hides layout (the C0 controls lie below, DEL above).
    constexpr unsigned char kFirstPrintable = 0x20;
    constexpr unsigned char kDelete = 0x7F;
    const auto plainAscii = [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte >= kFirstPrintable && byte < kDelete;
    };
    while (!path.empty()) {
        // Paths are mostly plain ASCII, taken a run at a time.
        const std::size_t plain =
            static_cast<std::size_t>(std::find_if_not(path.begin(), path.end(), plainAscii) - path.begin());
        shown.append(path.substr(0, plain));
        path.remove_prefix(plain);
        if (path.empty()) {
            return;
        }
        if (static_cast<unsigned char>(path.front()) < kFirstNonAscii) {
            shown += kShownForControlCharacter;
            path.remove_prefix(1);
            continue;
        }
        const std::size_t length = validSequenceLength(path);
        if (length == 0) {
            shown += kReplacementCharacter;
            path.remove_prefix(1);
            continue;
        }
        const std::string_view sequence = path.substr(0, length);
        if (hidesLayout(decodeSequence(sequence))) {
            shown += kShownForControlCharacter;
        } else {
            shown += sequence;
        }
        path.remove_prefix(length);
    }
}

std::string childPath(std::string_view parent, std::string_view name)
{
    std::string path = withTrailingSeparator(parent);
    path += name;
    return path;
}

std::string withTrailingSeparator(std::string_view path)
{
    std::string result{path};
    if (result.empty() || result.back() != kPathSeparator) {
        result += kPathSeparator;
    }
    return result;
}

char driveLetterOf(std::string_view path)
{
    return path.empty() ? '\0' : asciiUpper(path.front());
}

std::string driveRootOf(std::string_view path)
{
    return std::string{path.substr(0, 3)};
}

std::string driveRoot(char letter)
{
    return DrivePath{letter, {}}.text();
}

}  // namespace mezu
