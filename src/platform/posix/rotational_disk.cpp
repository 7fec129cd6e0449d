// SPDX-License-Identifier: MIT
#include "platform/posix/rotational_disk.h"

#include <limits.h>
#include <stdlib.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <array>
#include <fstream>
#include <string_view>

namespace mezu::posix {
namespace {

std::string firstLine(const std::string& path)
{
    std::ifstream file{path};
    std::string line;
    std::getline(file, line);
    return line;
}

bool contains(std::string_view text, std::string_view part)
{
    return text.find(part) != std::string_view::npos;
}

}  // namespace

bool isSpinningDisk(const std::string& devicePath, const std::string& rotational, const std::string& model)
{
    if (rotational != "1" || contains(devicePath, "/virtio") || contains(devicePath, "/devices/virtual/")) {
        return false;
    }
    constexpr std::array<std::string_view, 5> kVirtualModels = {"QEMU", "VMware", "Virtual", "VBOX", "Xen"};
    return std::none_of(kVirtualModels.begin(), kVirtualModels.end(),
                        [&model](std::string_view name) { return contains(model, name); });
}

bool isOnRotationalDisk(dev_t device)
{
    const std::string block = "/sys/dev/block/" + std::to_string(major(device)) + ":" + std::to_string(minor(device));
    char* resolved = ::realpath(block.c_str(), nullptr);
    if (resolved == nullptr) {
        return false;
    }
    std::string devicePath = resolved;
    ::free(resolved);
    // A partition has no queue of its own: its disk, one level up, has.
    for (const std::string& disk : {devicePath, devicePath.substr(0, devicePath.rfind('/'))}) {
        const std::string rotational = firstLine(disk + "/queue/rotational");
        if (!rotational.empty()) {
            return isSpinningDisk(disk, rotational, firstLine(disk + "/device/model"));
        }
    }
    return false;
}

}  // namespace mezu::posix
