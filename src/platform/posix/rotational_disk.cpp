#include "platform/posix/rotational_disk.h"

#include <sys/sysmacros.h>

#include <fstream>
#include <string>

namespace mezu::posix {

bool isOnRotationalDisk(dev_t device)
{
    const std::string block =
        "/sys/dev/block/" + std::to_string(major(device)) + ":" + std::to_string(minor(device));
    // A partition has no queue of its own: its disk, one level up, has.
    for (const char* queue : {"/queue/rotational", "/../queue/rotational"}) {
        std::ifstream flag{block + queue};
        char value = '\0';
        if (flag >> value) {
            return value == '1';
        }
    }
    return false;
}

}  // namespace mezu::posix
