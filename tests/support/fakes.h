// Small test doubles of the platform: a drive query with set figures, a fixed clock and a
// window system that records what the logic asked of it.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "model/path_text.h"
#include "platform/clock.h"
#include "platform/drive_query.h"
#include "platform/window_system.h"

namespace mezu::test {

// Figures of a drive with the given cluster size made of 512-byte sectors.
inline DiskFreeSpace driveWithCluster(std::uint64_t clusterSize, std::uint64_t totalClusters = 65535,
                                      std::uint64_t freeClusters = 32000)
{
    return DiskFreeSpace{clusterSize / 512, 512, freeClusters, totalClusters};
}

class FakeDriveQuery final : public DriveQuery {
public:
    void set(char letter, const DiskFreeSpace& space) { drives_[letter] = space; }
    void unset(char letter) { drives_.erase(letter); }

    std::optional<DiskFreeSpace> getDiskFreeSpace(const std::string& root) override
    {
        queried.push_back(root);
        const auto found = drives_.find(driveLetterOf(root));
        if (root.size() < 2 || root[1] != ':' || found == drives_.end()) {
            return std::nullopt;
        }
        return found->second;
    }

    std::vector<std::string> queried;

private:
    std::map<char, DiskFreeSpace> drives_;
};

class FixedClock final : public Clock {
public:
    explicit FixedClock(LocalDateTime when = {1998, 10, 23, 5, 14, 5, 9}) : when_(when) {}
    LocalDateTime now() const override { return when_; }

private:
    LocalDateTime when_;
};

class RecordingWindowSystem final : public WindowSystem {
public:
    void yield() override
    {
        ++yields;
        if (onYield) {
            onYield();
        }
    }
    void setMousePointer(MousePointer pointer) override { pointers.push_back(pointer); }
    void messageBox(const std::string& text) override { messages.push_back(text); }

    int yields = 0;
    std::function<void()> onYield;
    std::vector<MousePointer> pointers;
    std::vector<std::string> messages;
};

}  // namespace mezu::test
