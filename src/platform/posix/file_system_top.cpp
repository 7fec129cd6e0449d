// SPDX-License-Identifier: MIT
#include "platform/posix/file_system_top.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <algorithm>
#include <string_view>
#include <vector>

#include "platform/posix/unique_fd.h"

namespace mezu::posix {

std::string fileSystemTop(const std::string& hostPath, int directory)
{
    std::vector<std::string_view> components;
    for (std::size_t start = 0; start < hostPath.size();) {
        const std::size_t end = std::min(hostPath.find('/', start), hostPath.size());
        if (end > start) {
            components.push_back(std::string_view{hostPath}.substr(start, end - start));
        }
        start = end + 1;
    }
    struct stat here {};
    std::size_t levels = 0;  // climbed on the same device
    if (::fstat(directory, &here) == 0) {
        UniqueFd current;
        for (int at = directory; levels < components.size(); at = current.get()) {
            UniqueFd parent{::openat(at, "..", O_PATH | O_DIRECTORY | O_CLOEXEC)};
            struct stat above {};
            if (!parent.valid() || ::fstat(parent.get(), &above) != 0 || above.st_dev != here.st_dev) {
                break;
            }
            ++levels;
            current = std::move(parent);
        }
    }
    std::string top;
    for (std::size_t i = 0; i + levels < components.size(); ++i) {
        top += '/';
        top += components[i];
    }
    return top.empty() ? std::string{"/"} : top;
}

}  // namespace mezu::posix
