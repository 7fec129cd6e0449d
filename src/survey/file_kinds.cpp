// SPDX-License-Identifier: MIT
#include "survey/file_kinds.h"

#include <algorithm>

namespace mezu {

std::string fileKind(std::string_view name)
{
    const std::size_t dot = name.rfind('.');
    // A leading dot starts a name, not an extension; a trailing one leaves none.
    if (dot == std::string_view::npos || dot == 0 || dot + 1 == name.size()) {
        return {};
    }
    std::string kind{name.substr(dot + 1)};
    std::transform(kind.begin(), kind.end(), kind.begin(),
                   [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; });
    return kind;
}

void FileKinds::file(const File& file)
{
    bytes_ += file.counted;
    ++files_;
    std::string kind = fileKind(file.name);
    auto found = kinds_.find(kind);
    if (found == kinds_.end()) {
        if (kinds_.size() >= kKindsTold) {
            untold_.bytes += file.counted;
            ++untold_.files;
            return;
        }
        found = kinds_.emplace(std::move(kind), Tally{}).first;
    }
    found->second.bytes += file.counted;
    ++found->second.files;
}

KindTable FileKinds::table(std::size_t shown) const
{
    KindTable table;
    table.bytes = bytes_;
    table.files = files_;
    std::vector<KindRow> rows;
    rows.reserve(kinds_.size());
    for (const auto& [kind, tally] : kinds_) {
        rows.push_back({kind, tally.bytes, tally.files});
    }
    std::sort(rows.begin(), rows.end(), [](const KindRow& a, const KindRow& b) {
        return a.bytes != b.bytes ? a.bytes > b.bytes : a.kind < b.kind;
    });
    const std::size_t kept = std::min(shown, rows.size());
    table.largest.assign(rows.begin(), rows.begin() + static_cast<std::ptrdiff_t>(kept));
    for (std::size_t i = kept; i < rows.size(); ++i) {
        table.rest.bytes += rows[i].bytes;
        table.rest.files += rows[i].files;
        ++table.restKinds;
    }
    table.rest.bytes += untold_.bytes;
    table.rest.files += untold_.files;
    table.untoldKinds = untold_.files != 0;
    return table;
}

}  // namespace mezu
