// SPDX-License-Identifier: MIT
// Examining a large directory's entries in chunks from several threads at once.
#include "platform/posix/directory_reader.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/posix/unique_fd.h"
#include "temp_tree.h"

namespace mezu {
namespace {

TEST(EntryExaminationTest, EveryChunkIsExaminedOnceWhateverThreadTakesIt)
{
    constexpr int kFiles = 1500;  // several chunks
    test::TempTree tree;
    std::string names;
    std::vector<posix::ReadEntry> entries;
    const auto add = [&](const std::string& name) {
        posix::ReadEntry entry;
        entry.nameOffset = static_cast<std::uint32_t>(names.size());
        entry.nameLength = static_cast<std::uint16_t>(name.size());
        names += name;
        names += '\0';
        entries.push_back(entry);
    };
    for (int i = 0; i < kFiles; ++i) {
        tree.file("f" + std::to_string(i), static_cast<std::uint64_t>(i));
        add("f" + std::to_string(i));
        if (i % 100 == 0) {
            add("vanished" + std::to_string(i));
        }
    }
    tree.dir("sub");
    add("sub");
    const posix::UniqueFd directory{::open(tree.root().c_str(), O_RDONLY | O_DIRECTORY)};
    struct stat status {};
    ASSERT_EQ(::fstat(directory.get(), &status), 0);

    posix::EntryExamination examination{directory.get(), status.st_dev, names.data(), entries};
    std::vector<std::thread> helpers;
    for (int i = 0; i < 3; ++i) {
        helpers.emplace_back([&] { examination.takePart(); });
    }
    examination.takePart();
    for (std::thread& helper : helpers) {
        helper.join();
    }

    int examined = 0;
    for (const posix::ReadEntry& entry : entries) {
        if (entry.nameLength == 0) {
            continue;
        }
        const std::string name{names.data() + entry.nameOffset, entry.nameLength};
        ASSERT_NE(name.rfind("vanished", 0), 0u) << name << " does not exist";
        if (name == "sub") {
            EXPECT_EQ(entry.figures.attributes, kAttrDirectory);
            continue;
        }
        EXPECT_EQ(entry.figures.length, std::stoull(name.substr(1))) << name;
        EXPECT_FALSE(isDirectory(entry.figures.attributes)) << name;
        ++examined;
    }
    EXPECT_EQ(examined, kFiles);
}

}  // namespace
}  // namespace mezu
