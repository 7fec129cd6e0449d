// SPDX-License-Identifier: MIT
// Owns one POSIX file descriptor and closes it when it goes.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <utility>

namespace mezu::posix {

class UniqueFd {
public:
    static constexpr int kNone = -1;

    UniqueFd() = default;
    explicit UniqueFd(int fd)
        : fd_(fd)
    {
    }
    UniqueFd(UniqueFd&& other) noexcept
        : fd_(std::exchange(other.fd_, kNone))
    {
    }
    UniqueFd& operator=(UniqueFd&& other) noexcept
    {
        if (this != &other) {
            reset(std::exchange(other.fd_, kNone));
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { reset(); }

    int get() const { return fd_; }
    bool valid() const { return fd_ >= 0; }
    // Gives up ownership without closing.
    int release() { return std::exchange(fd_, kNone); }
    void reset(int fd = kNone)
    {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = fd;
    }

private:
    int fd_ = kNone;
};

// Whether an open failed because the process or the system has no descriptor (or kernel
// memory) left for it; the file itself is not at fault, and the open may succeed later.
inline bool isShortOfDescriptors(int error)
{
    return error == EMFILE || error == ENFILE || error == ENOMEM;
}

}  // namespace mezu::posix
