// SPDX-License-Identifier: MIT
#include "ui/qt/cups_destination.h"

#include <string>

namespace mezu {
namespace {

constexpr std::string_view kAcceptingJobs = "printer-is-accepting-jobs";
constexpr std::string_view kPrinterState = "printer-state";
constexpr std::string_view kNotAccepting = "false";
constexpr std::size_t kChunkBytes = 64 * 1024;
constexpr int kLastDocument = 1;

bool optionIs(const cups_dest_t& destination, std::string_view name, std::string_view value)
{
    const char* found = cupsGetOption(std::string{name}.c_str(), destination.num_options, destination.options);
    return found != nullptr && value == found;
}

bool sendDocument(cups_dest_t* destination, cups_dinfo_t* info, int job, std::string_view title, std::string_view pdf)
{
    const std::string name{title};
    if (cupsStartDestDocument(CUPS_HTTP_DEFAULT, destination, info, job, name.c_str(), CUPS_FORMAT_PDF, 0, nullptr,
                              kLastDocument) != HTTP_STATUS_CONTINUE) {
        return false;
    }
    for (std::size_t sent = 0; sent < pdf.size(); sent += kChunkBytes) {
        const std::string_view chunk = pdf.substr(sent, kChunkBytes);
        if (cupsWriteRequestData(CUPS_HTTP_DEFAULT, chunk.data(), chunk.size()) != HTTP_STATUS_CONTINUE) {
            cupsFinishDestDocument(CUPS_HTTP_DEFAULT, destination, info);
            return false;
        }
    }
    return cupsFinishDestDocument(CUPS_HTTP_DEFAULT, destination, info) == IPP_STATUS_OK &&
           cupsLastError() <= IPP_STATUS_OK_CONFLICTING;
}

}  // namespace

std::unique_ptr<CupsDestination> CupsDestination::openDefault()
{
    cups_dest_t* destination = cupsGetNamedDest(CUPS_HTTP_DEFAULT, nullptr, nullptr);
    if (destination == nullptr) {
        return nullptr;
    }
    cups_dinfo_t* info = nullptr;
    if (!optionIs(*destination, kAcceptingJobs, kNotAccepting) &&
        !optionIs(*destination, kPrinterState, std::to_string(IPP_PSTATE_STOPPED))) {
        info = cupsCopyDestInfo(CUPS_HTTP_DEFAULT, destination);
    }
    if (info == nullptr) {
        cupsFreeDests(1, destination);
        return nullptr;
    }
    return std::unique_ptr<CupsDestination>{new CupsDestination{destination, info}};
}

CupsDestination::CupsDestination(cups_dest_t* destination, cups_dinfo_t* info)
    : destination_(destination),
      info_(info)
{
}

CupsDestination::~CupsDestination()
{
    cupsFreeDestInfo(info_);
    cupsFreeDests(1, destination_);
}

std::optional<cups_size_t> CupsDestination::defaultMedia() const
{
    cups_size_t media{};
    if (cupsGetDestMediaDefault(CUPS_HTTP_DEFAULT, destination_, info_, CUPS_MEDIA_FLAGS_DEFAULT, &media) == 0 ||
        media.width <= 0 || media.length <= 0) {
        return std::nullopt;
    }
    return media;
}

bool CupsDestination::submitPdf(std::string_view title, std::string_view pdf, int copies)
{
    // The copies are always stated: a queue's own default would apply otherwise.
    cups_option_t* options = nullptr;
    const int optionCount = cupsAddOption(CUPS_COPIES, std::to_string(copies).c_str(), 0, &options);
    int job = 0;
    const std::string name{title};
    const bool created = cupsCreateDestJob(CUPS_HTTP_DEFAULT, destination_, info_, &job, name.c_str(), optionCount,
                                           options) <= IPP_STATUS_OK_CONFLICTING &&
                         job > 0;
    cupsFreeOptions(optionCount, options);
    if (!created) {
        return false;
    }
    if (!sendDocument(destination_, info_, job, title, pdf)) {
        cupsCancelDestJob(CUPS_HTTP_DEFAULT, destination_, job);
        return false;
    }
    return true;
}

}  // namespace mezu
