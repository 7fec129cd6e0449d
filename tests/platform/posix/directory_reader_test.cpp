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

    std::vector<WalkEntry> examined;
    for (const posix::ReadEntry& entry : entries) {
        examined.push_back({std::string_view{names}.substr(entry.nameOffset, entry.nameLength), {}});
    }
    posix::EntryExamination examination{directory.get(), status.st_dev, names.data(), entries, examined};
    std::vector<std::thread> helpers;
    for (int i = 0; i < 3; ++i) {
        helpers.emplace_back([&] { examination.takePart(); });
    }
    examination.takePart();
    for (std::thread& helper : helpers) {
        helper.join();
    }

    int files = 0;
    for (const WalkEntry& entry : examined) {
        if (entry.name.empty()) {
            continue;
        }
        const std::string name{entry.name};
        ASSERT_NE(name.rfind("vanished", 0), 0u) << name << " does not exist";
        if (name == "sub") {
            EXPECT_EQ(entry.figures.attributes, kAttrDirectory);
            continue;
        }
        EXPECT_EQ(entry.figures.length, std::stoull(name.substr(1))) << name;
        EXPECT_FALSE(isDirectory(entry.figures.attributes)) << name;
        ++files;
    }
    EXPECT_EQ(files, kFiles);
}

}  // namespace
}  // namespace mezu
