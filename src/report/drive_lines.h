// SPDX-License-Identifier: MIT
// The two drive lines that describe a drive (its space, then its geometry) and the figures
// behind them, computed in unsigned 64-bit integers so that no real drive overflows them.
#pragma once

#include <cstdint>
#include <string>

#include "platform/drive_query.h"

namespace mezu {

struct DriveFigures {
    std::uint64_t bytesPerSector = 0;
    std::uint64_t sectorsPerCluster = 0;
    std::uint64_t bytesPerCluster = 0;
    std::uint64_t totalMegabytes = 0;  // rounded down
    std::uint64_t freeMegabytes = 0;   // rounded down
};

DriveFigures computeDriveFigures(const DiskFreeSpace& space);

// "D drive: Total = 2047 MB, Free = 1000 MB"; the letter is used as given.
std::string formatSpaceLine(char driveLetter, const DriveFigures& figures);
// "   Sector =  512 , Claster =  64 , Block =  32768 B"
std::string formatGeometryLine(const DriveFigures& figures);

}  // namespace mezu
