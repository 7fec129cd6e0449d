#include "platform/posix/atomic_file_writer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/posix/unique_fd.h"

namespace mezu::posix {
namespace {

constexpr mode_t kNewFileMode = 0666;  // narrowed by the umask, as any new file

std::string directoryOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool writeAll(int fd, const std::string& bytes)
{
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        written += static_cast<std::size_t>(n);
    }
    return true;
}

// The permissions a replaced file keeps, or those of a new file.
mode_t modeFor(const std::string& path)
{
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0) {
        return existing.st_mode & 07777;
    }
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return kNewFileMode & ~mask;
}

}  // namespace

bool AtomicFileWriter::replaceFile(const std::string& path, const std::string& bytes, std::string& error)
{
    struct stat target {};
    if (::stat(path.c_str(), &target) == 0 && S_ISDIR(target.st_mode)) {
        error = std::strerror(EISDIR);
        return false;
    }
    std::string temporary = path + ".XXXXXX";
    // The temporary name is short of PATH_MAX by the suffix only; a name that long fails here.
    UniqueFd fd{::mkstemp(temporary.data())};
    if (!fd.valid()) {
        error = std::strerror(errno);
        return false;
    }
    const bool written = writeAll(fd.get(), bytes) && ::fchmod(fd.get(), modeFor(path)) == 0 &&
                         ::fsync(fd.get()) == 0;
    const int writeErrno = errno;
    const bool closed = ::close(fd.release()) == 0;
    if (!written || !closed || ::rename(temporary.c_str(), path.c_str()) != 0) {
        error = std::strerror(!written ? writeErrno : errno);
        ::unlink(temporary.c_str());
        return false;
    }
    UniqueFd directory{::open(directoryOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)};
    if (directory.valid()) {
        ::fsync(directory.get());
    }
    return true;
}

}  // namespace mezu::posix
