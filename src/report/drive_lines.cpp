// SPDX-License-Identifier: MIT
#include "report/drive_lines.h"

#include "model/number_text.h"

namespace mezu {
namespace {

constexpr std::uint64_t kBytesPerMegabyte = std::uint64_t{1024} * 1024;

// bytesPerCluster × clusters ÷ 1 MiB, rounded down, without overflowing for any
// realistic cluster size and count.
std::uint64_t megabytes(std::uint64_t bytesPerCluster, std::uint64_t clusters)
{
    const std::uint64_t wholeMegabytesPerCluster = bytesPerCluster / kBytesPerMegabyte;
    const std::uint64_t remainder = bytesPerCluster % kBytesPerMegabyte;
    return wholeMegabytesPerCluster * clusters + (remainder * (clusters / kBytesPerMegabyte)) +
           (remainder * (clusters % kBytesPerMegabyte)) / kBytesPerMegabyte;
}

}  // namespace

DriveFigures computeDriveFigures(const DiskFreeSpace& space)
{
    DriveFigures figures;
    figures.bytesPerSector = space.bytesPerSector;
    figures.sectorsPerCluster = space.sectorsPerCluster;
    figures.bytesPerCluster = space.bytesPerSector * space.sectorsPerCluster;
    figures.totalMegabytes = megabytes(figures.bytesPerCluster, space.totalClusters);
    figures.freeMegabytes = megabytes(figures.bytesPerCluster, space.freeClusters);
    return figures;
}

std::string formatSpaceLine(char driveLetter, const DriveFigures& figures)
{
    return std::string{driveLetter} + " drive: Total =" + withSignPosition(figures.totalMegabytes) +
           " MB, Free =" + withSignPosition(figures.freeMegabytes) + " MB";
}

std::string formatGeometryLine(const DriveFigures& figures)
{
    return "   Sector = " + withSignPosition(figures.bytesPerSector) +
           " , Claster = " + withSignPosition(figures.sectorsPerCluster) +
           " , Block = " + withSignPosition(figures.bytesPerCluster) + " B";
}

}  // namespace mezu
