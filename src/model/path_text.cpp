#include "model/path_text.h"

namespace mezu {
namespace {

constexpr char kLastControlCharacter = 31;
constexpr char kDelete = 127;
constexpr char kShownForControlCharacter = '?';

}  // namespace

std::string displayPath(std::string_view path)
{
    std::string shown{path};
    for (char& c : shown) {
        if ((c >= 1 && c <= kLastControlCharacter) || c == kDelete) {
            c = kShownForControlCharacter;
        }
    }
    return shown;
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
    if (path.empty()) {
        return '\0';
    }
    const char c = path.front();
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string driveRootOf(std::string_view path)
{
    return std::string{path.substr(0, 3)};
}

std::string driveRoot(char letter)
{
    return std::string{letter} + ":\\";
}

}  // namespace mezu
