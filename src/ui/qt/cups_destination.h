// SPDX-License-Identifier: MIT
// The system's default CUPS destination, talked to through libcups directly so that every
// answer of the server is checked: a queue that refuses, is stopped or cannot be reached is a
// failure, never a job that silently goes nowhere.
#pragma once

#include <cups/cups.h>

#include <memory>
#include <optional>
#include <string_view>

namespace mezu {

class CupsDestination final {
public:
    // The default destination, when there is one and it takes jobs now; null otherwise.
    static std::unique_ptr<CupsDestination> openDefault();
    ~CupsDestination();
    CupsDestination(const CupsDestination&) = delete;
    CupsDestination& operator=(const CupsDestination&) = delete;

    // The destination's default paper: size and margins in hundredths of a millimetre. Empty
    // when the queue names none (a raw queue).
    std::optional<cups_size_t> defaultMedia() const;
    // Sends `pdf` as a job of one document with exactly `copies` copies. False when the server
    // refuses any step; a job it had created is then cancelled.
    bool submitPdf(std::string_view title, std::string_view pdf, int copies);

private:
    CupsDestination(cups_dest_t* destination, cups_dinfo_t* info);

    cups_dest_t* destination_;
    cups_dinfo_t* info_;
};

}  // namespace mezu
