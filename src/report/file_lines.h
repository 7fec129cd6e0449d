// SPDX-License-Identifier: MIT
// The lines of the reports of files (the largest, by kind, by age): a title line that says what
// the report lists below which directory, the body's lines and the footer's count of the files
// examined. Sizes are in the result line's megabyte field, so the reports read alike; the path
// or caption comes last, where a long one pushes nothing out of line.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "model/byte_total.h"
#include "platform/clock.h"

namespace mezu {

// "0002.86MB  2026/11/30      2998000 B  C:\DATA\a.iso": what the file counts, its date of
// last modification (dashes when not known), its length and its path.
std::string formatLargestFileLine(ByteTotal counted, std::uint64_t length, const std::optional<LocalDateTime>& modified,
                                  std::string_view path, std::string_view decimalSeparator);

// "0002.86MB   12.5%       1234 個  jpg": the bytes of a group of files, their share of
// `whole` with one decimal, their number and what the group is.
std::string formatShareLine(ByteTotal bytes, ByteTotal whole, std::uint64_t files, std::string_view caption,
                            std::string_view decimalSeparator);

// What the reports list: "C:\DATA 以下の大きいファイル 100 件", "C:\DATA 以下のファイルの種類",
// "C:\DATA 以下のファイルの更新日".
std::string formatLargestFilesTitle(std::string_view directory, std::size_t count);
std::string formatKindsTitle(std::string_view directory);
std::string formatAgesTitle(std::string_view directory);

// "調べたファイル数： 1234"
std::string formatExaminedFilesLine(std::uint64_t files);

// The captions of the kinds' rows: the extension as it is ("jpg"), "（拡張子なし）" for names
// without one, "（その他 12 種類）" for the rest, "（その他 10000 種類以上）" when the rest holds
// kinds not told apart.
std::string kindCaption(std::string_view kind);
std::string restCaption(std::uint64_t kinds, bool untoldKinds);

}  // namespace mezu
