// SPDX-License-Identifier: MIT
// The system's default printer, one document at a time.
#pragma once

#include <string>

namespace mezu {

class Printer {
public:
    virtual ~Printer() = default;
    // Starts a document on the default printer with this many copies. False when there is no
    // default printer or it cannot be used.
    virtual bool setCopies(int copies) = 0;
    // Prints the text, then a line break, at the current position (a new page when it is full).
    virtual bool printLine(const std::string& text) = 0;
    // Hands the document to the printer as one job. A document without lines sends no job.
    virtual bool endDocument() = 0;
    // Drops an unfinished document: nothing of it reaches the printer.
    virtual void discardDocument() = 0;
};

}  // namespace mezu
