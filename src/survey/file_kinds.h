// SPDX-License-Identifier: MIT
// The files a walk counts, by kind: the text after the last dot of the name, folded to lower
// case ("JPG" and "jpg" are one kind), or none for a name without one. The table shows the
// largest kinds and one row for the rest. At most kKindsTold kinds are told apart, so that
// memory has a bound even on a tree of numbered names ("log.1", "log.2", ...); the files of
// kinds met after that are counted in the rest, and the table says so.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "engine/file_observer.h"

namespace mezu {

struct KindRow {
    std::string kind;  // lower case, without the dot; empty: names without an extension
    ByteTotal bytes = 0;
    std::uint64_t files = 0;
};

struct KindTable {
    std::vector<KindRow> largest;  // largest first, equal sizes by kind
    KindRow rest;                  // the files of every other kind
    std::uint64_t restKinds = 0;   // how many kinds the rest holds, of those told apart
    bool untoldKinds = false;      // files of kinds past kKindsTold are in the rest too
    ByteTotal bytes = 0;           // of every file counted
    std::uint64_t files = 0;
};

// The kind of a file named `name`, as the table keeps it.
std::string fileKind(std::string_view name);

class FileKinds final : public FileObserver {
public:
    static constexpr std::size_t kShownKinds = 50;
    static constexpr std::size_t kKindsTold = 10'000;

    void file(const File& file) override;
    KindTable table(std::size_t shown = kShownKinds) const;

private:
    struct Tally {
        ByteTotal bytes = 0;
        std::uint64_t files = 0;
    };
    std::unordered_map<std::string, Tally> kinds_;
    Tally untold_;
    ByteTotal bytes_ = 0;
    std::uint64_t files_ = 0;
};

}  // namespace mezu
