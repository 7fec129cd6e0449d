// SPDX-License-Identifier: MIT
#include "platform/posix/posix_report_file_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

#include "platform/posix/unique_fd.h"

namespace mezu::posix {

std::optional<std::string> PosixReportFileReader::readReportBytes(const std::string& path, std::string& error)
{
    const UniqueFd file{::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC)};
    struct stat status {};
    if (!file.valid() || ::fstat(file.get(), &status) != 0) {
        error = std::strerror(errno);
        return std::nullopt;
    }
    if (S_ISDIR(status.st_mode)) {
        error = std::strerror(EISDIR);
        return std::nullopt;
    }
    if (!S_ISREG(status.st_mode)) {
        error = "not a regular file";
        return std::nullopt;
    }
    if (static_cast<std::uint64_t>(status.st_size) > kLargestReportFile) {
        error = "too large to be a report";
        return std::nullopt;
    }
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(status.st_size));
    constexpr std::size_t kChunk = 65536;
    std::array<char, kChunk> buffer{};
    for (;;) {
        const ssize_t got = ::read(file.get(), buffer.data(), buffer.size());
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
        bytes.append(buffer.data(), static_cast<std::size_t>(got));
        // The file may grow while it is read.
        if (bytes.size() > kLargestReportFile) {
            error = "too large to be a report";
            return std::nullopt;
        }
    }
    return bytes;
}

}  // namespace mezu::posix
