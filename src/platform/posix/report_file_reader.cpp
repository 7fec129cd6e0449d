#include "platform/posix/report_file_reader.h"

#include <fcntl.h>
#include <iconv.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/posix/unique_fd.h"

namespace mezu::posix {
namespace {

const iconv_t kNoConverter = reinterpret_cast<iconv_t>(-1);
constexpr std::size_t kConversionFailed = static_cast<std::size_t>(-1);
// A report is a few lines per directory; a file far larger is no report.
constexpr std::size_t kLargestReport = 256 * 1024 * 1024;

bool isUtf8(const std::string& bytes)
{
    const iconv_t check = ::iconv_open("UTF-8", "UTF-8");
    if (check == kNoConverter) {
        return false;
    }
    std::string out(bytes.size() + 16, '\0');
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char* to = out.data();
    std::size_t outLeft = out.size();
    const bool valid = ::iconv(check, &in, &inLeft, &to, &outLeft) != kConversionFailed && inLeft == 0;
    ::iconv_close(check);
    return valid;
}

std::optional<std::string> fromShiftJis(const std::string& bytes)
{
    const iconv_t converter = ::iconv_open("UTF-8", "CP932");
    if (converter == kNoConverter) {
        return std::nullopt;
    }
    // Every Shift_JIS character becomes at most three UTF-8 bytes.
    std::string text(bytes.size() * 3 + 16, '\0');
    char* in = const_cast<char*>(bytes.data());
    std::size_t inLeft = bytes.size();
    char* out = text.data();
    std::size_t outLeft = text.size();
    const bool converted = ::iconv(converter, &in, &inLeft, &out, &outLeft) != kConversionFailed;
    ::iconv_close(converter);
    if (!converted) {
        return std::nullopt;
    }
    text.resize(text.size() - outLeft);
    return text;
}

}  // namespace

std::optional<std::string> PosixReportFileReader::readReport(const std::string& path, std::string& error)
{
    const UniqueFd file{::open(path.c_str(), O_RDONLY | O_CLOEXEC)};
    if (!file.valid()) {
        error = std::strerror(errno);
        return std::nullopt;
    }
    std::string bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t got = ::read(file.get(), buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            error = std::strerror(errno);
            return std::nullopt;
        }
        if (got == 0) {
            break;
        }
        bytes.append(buffer, static_cast<std::size_t>(got));
        if (bytes.size() > kLargestReport) {
            error = "too large to be a report";
            return std::nullopt;
        }
    }
    if (isUtf8(bytes)) {
        return bytes;
    }
    std::optional<std::string> text = fromShiftJis(bytes);
    if (!text) {
        error = "neither UTF-8 nor Shift_JIS text";
    }
    return text;
}

}  // namespace mezu::posix
