// SPDX-License-Identifier: MIT
// Small test doubles of the platform: a drive query with set figures, a fixed clock and a
// window system that records what the logic asked of it. Some can be made to run out of memory.
#pragma once

#include <functional>
#include <deque>
#include <map>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "model/path_text.h"
#include "model/calendar.h"
#include "platform/clock.h"
#include "platform/drive_query.h"
#include "output/printer.h"
#include "ui/open_dialog.h"
#include "platform/report_file_reader.h"
#include "platform/report_file_writer.h"
#include "ui/save_dialog.h"
#include "platform/text_encoder.h"
#include "engine/window_system.h"

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
        if (outOfMemoryAt != '\0' && driveLetterOf(root) == outOfMemoryAt) {
            throw std::bad_alloc{};
        }
        const auto found = drives_.find(driveLetterOf(root));
        if (root.size() < 2 || root[1] != ':' || found == drives_.end()) {
            return std::nullopt;
        }
        return found->second;
    }

    std::vector<std::string> queried;
    char outOfMemoryAt = '\0';  // the query of this drive finds no memory left

private:
    std::map<char, DiskFreeSpace> drives_;
};

class FixedClock final : public Clock {
public:
    explicit FixedClock(LocalDateTime when = {1998, 10, 23, 5, 14, 5, 9})
        : when_(when)
    {
    }
    LocalDateTime now() const override { return when_; }
    // At the offset of `now`, or UTC: a zone without summer time.
    std::optional<LocalDateTime> localTime(std::int64_t secondsSinceEpoch) const override
    {
        constexpr std::int64_t kSecondsPerDay = 86'400;
        const std::int64_t local = secondsSinceEpoch + std::int64_t{when_.utcOffsetMinutes.value_or(0)} * 60;
        const std::int64_t days = local >= 0 ? local / kSecondsPerDay : (local + 1) / kSecondsPerDay - 1;
        const std::int64_t second = local - days * kSecondsPerDay;
        const CivilDate date = civilFromDays(days);
        return LocalDateTime{date.year,
                             date.month,
                             date.day,
                             weekdayOfDays(days),
                             static_cast<int>(second / 3600),
                             static_cast<int>(second / 60 % 60),
                             static_cast<int>(second % 60),
                             when_.utcOffsetMinutes};
    }

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

// Leaves texts as UTF-8, so tests of the commands read the saved lines back as they were.
class PassThroughEncoder final : public TextEncoder {
public:
    std::string encode(std::string_view utf8) const override { return std::string{utf8}; }
    std::optional<std::string> decode(std::string_view text) const override { return std::string{text}; }
};

// A small lossy code page for the comparison's tests: one byte a character for U+0000 to U+007F
// and U+00A0 to U+00FE, "?" for anything else; the bytes 0x80 to 0x9F and 0xFF are no text in it.
class OneByteCodePage final : public TextEncoder {
public:
    std::string encode(std::string_view utf8) const override;
    std::optional<std::string> decode(std::string_view bytes) const override;
};

// Keeps "files" in memory, in a map that may outlive the writer; can be made to fail like a
// full disk. What goes to standard output is added to the file kStandardOutput.
class MemoryFileWriter final : public ReportFileWriter {
public:
    using Files = std::map<std::string, std::string>;
    static constexpr const char* kStandardOutput = "<standard output>";

    explicit MemoryFileWriter(std::shared_ptr<Files> shared = std::make_shared<Files>())
        : files(std::move(shared))
    {
    }

    bool replaceFile(const std::string& path, const std::string& bytes, std::string& error) override
    {
        if (outOfMemory) {
            throw std::bad_alloc{};
        }
        if (failing) {
            error = "No space left on device";
            return false;
        }
        (*files)[path] = bytes;
        return true;
    }
    bool writeStandardOutput(const std::string& bytes, std::string& error) override
    {
        if (failing) {
            error = "No space left on device";
            return false;
        }
        (*files)[kStandardOutput] += bytes;
        return true;
    }

    bool failing = false;
    bool outOfMemory = false;  // a save finds no memory left
    std::shared_ptr<Files> files;
};

// Reads the files a MemoryFileWriter holds; their bytes are taken as UTF-8 text.
class MemoryFileReader final : public ReportFileReader {
public:
    explicit MemoryFileReader(std::shared_ptr<MemoryFileWriter::Files> shared)
        : files(std::move(shared))
    {
    }

    std::optional<std::string> readReportBytes(const std::string& path, std::string& error) override
    {
        const auto found = files->find(path);
        if (found == files->end()) {
            error = "No such file or directory";
            return std::nullopt;
        }
        return found->second;
    }

    std::shared_ptr<MemoryFileWriter::Files> files;
};

// Answers each showing of the dialog with the next scripted answer (nullopt: cancelled).
class ScriptedSaveDialog final : public SaveDialog {
public:
    std::optional<std::string> askFileName(std::string_view filter, const std::string& presetName) override
    {
        filters.emplace_back(filter);
        presets.push_back(presetName);
        if (answers.empty()) {
            return std::nullopt;
        }
        std::optional<std::string> answer = answers.front();
        answers.pop_front();
        return answer;
    }

    std::deque<std::optional<std::string>> answers;
    std::vector<std::string> filters;
    std::vector<std::string> presets;
};

// Answers the Open dialog with `answer` (nullopt: cancelled).
class ScriptedOpenDialog final : public OpenDialog {
public:
    std::optional<std::string> askFileToOpen(std::string_view, std::string_view) override { return answer; }
    std::optional<std::string> answer;
};

// Records the document; `failAtLine` makes that line's printing fail (0 fails the setting).
class RecordingPrinter final : public Printer {
public:
    bool setCopies(int count) override
    {
        copies = count;
        return failAtLine != 0;
    }
    bool printLine(const std::string& text) override
    {
        if (static_cast<int>(lines.size()) + 1 == failAtLine) {
            return false;
        }
        lines.push_back(text);
        return true;
    }
    bool endDocument() override
    {
        ended = !failToEnd;
        return !failToEnd;
    }
    void discardDocument() override { discarded = true; }

    int failAtLine = -1;
    bool failToEnd = false;
    int copies = 0;
    std::vector<std::string> lines;
    bool ended = false;
    bool discarded = false;
};

}  // namespace mezu::test
