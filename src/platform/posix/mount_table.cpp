// SPDX-License-Identifier: MIT
#include "platform/posix/mount_table.h"

#include <libmount.h>
#include <stdio.h>
#include <sys/sysmacros.h>

#include <array>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>

namespace mezu::posix {
namespace {

constexpr std::string_view kTemporaryFiles = "/tmp";

// Pseudo file systems to libmount that hold user files all the same: a shared folder of a
// virtual machine (as 9p, which libmount counts as a network file system).
constexpr std::array<std::string_view, 1> kPseudoWithUserFiles = {"virtiofs"};
// Real file systems to libmount whose files are no user's own: read-only images (snaps, live
// systems, container layers) and the document portal, which shows files of other mounts again.
constexpr std::array<std::string_view, 5> kNotUserFiles = {"squashfs", "erofs", "fuse.squashfuse", "fuse.snapfuse",
                                                           "fuse.portal"};

template <std::size_t N>
bool isOneOf(std::string_view type, const std::array<std::string_view, N>& types)
{
    for (const std::string_view listed : types) {
        if (type == listed) {
            return true;
        }
    }
    return false;
}

struct TableDeleter {
    void operator()(libmnt_table* table) const { mnt_unref_table(table); }
};
struct IteratorDeleter {
    void operator()(libmnt_iter* iterator) const { mnt_free_iter(iterator); }
};
struct FileCloser {
    void operator()(FILE* file) const { ::fclose(file); }
};

std::optional<std::string> option(libmnt_fs* fs, const char* name)
{
    char* value = nullptr;
    std::size_t size = 0;
    if (mnt_fs_get_option(fs, name, &value, &size) != 0) {
        return std::nullopt;
    }
    return value == nullptr ? std::string{} : std::string{value, size};
}

std::string text(const char* field)
{
    return field == nullptr ? std::string{} : std::string{field};
}

bool holdsUserFiles(libmnt_fs* fs, std::string_view type, std::string_view mountPoint)
{
    if (mnt_fs_is_netfs(fs)) {
        return true;
    }
    if (mnt_fs_is_pseudofs(fs)) {
        return (type == "tmpfs" && mountPoint == kTemporaryFiles) || isOneOf(type, kPseudoWithUserFiles);
    }
    return mnt_fs_is_regularfs(fs) && !isOneOf(type, kNotUserFiles);
}

MountedFileSystem classified(libmnt_fs* fs)
{
    MountedFileSystem mount;
    const std::string type = text(mnt_fs_get_fstype(fs));
    const dev_t device = mnt_fs_get_devno(fs);
    mount.fileSystem = std::to_string(major(device)) + ":" + std::to_string(minor(device));
    mount.mountPoint = text(mnt_fs_get_target(fs));
    mount.shownDirectory = mnt_fs_get_root(fs) == nullptr ? std::string{"/"} : text(mnt_fs_get_root(fs));
    // A btrfs subvolume mounted whole shows its own path as the root it mounts; only a
    // directory inside it is a bind mount.
    const std::optional<std::string> subvolume = type == "btrfs" ? option(fs, "subvol") : std::nullopt;
    if (subvolume) {
        const std::optional<std::string> id = option(fs, "subvolid");
        mount.fileSystem += " subvolume " + id.value_or(*subvolume);
    }
    mount.fromItsRoot = mount.shownDirectory == subvolume.value_or("/");
    mount.holdsUserFiles = holdsUserFiles(fs, type, mount.mountPoint);
    return mount;
}

}  // namespace

std::optional<std::vector<MountedFileSystem>> mountsFromMountInfo(std::string_view mountInfo)
{
    if (mountInfo.empty()) {
        return std::nullopt;
    }
    std::string buffer{mountInfo};
    const std::unique_ptr<FILE, FileCloser> stream{::fmemopen(buffer.data(), buffer.size(), "r")};
    const std::unique_ptr<libmnt_table, TableDeleter> table{mnt_new_table()};
    const std::unique_ptr<libmnt_iter, IteratorDeleter> iterator{mnt_new_iter(MNT_ITER_FORWARD)};
    if (!stream || !table || !iterator || mnt_table_parse_stream(table.get(), stream.get(), "mountinfo") != 0) {
        return std::nullopt;
    }
    std::vector<MountedFileSystem> mounts;
    libmnt_fs* fs = nullptr;
    while (mnt_table_next_fs(table.get(), iterator.get(), &fs) == 0) {
        mounts.push_back(classified(fs));
    }
    return mounts;
}

std::string thisMachinesMountInfo()
{
    std::ifstream file{"/proc/self/mountinfo"};
    std::ostringstream contents;
    contents << file.rdbuf();
    return contents.str();
}

}  // namespace mezu::posix
