// Removes a half-written temporary file when the process is interrupted (SIGINT, SIGTERM,
// SIGHUP) while it exists. One object at a time, on the thread that writes the file; after the
// file is removed the signal takes its previous course (a default action ends the process).
#pragma once

namespace mezu::posix {

class InterruptCleanup final {
public:
    // Installs the handlers and holds the signals back on this thread until watch(), so that
    // an interruption between creating the file and naming it here cannot leave it behind.
    InterruptCleanup();
    // Restores the previous handlers and signal mask; the file is no longer removed.
    ~InterruptCleanup();
    InterruptCleanup(const InterruptCleanup&) = delete;
    InterruptCleanup& operator=(const InterruptCleanup&) = delete;

    // `name` (at most NAME_MAX bytes) in the directory `directoryFd`, which stays open
    // meanwhile, has been created: from now on an interruption removes it.
    void watch(int directoryFd, const char* name);
    // The file has been renamed or removed: an interruption leaves the directory alone.
    void release();
};

}  // namespace mezu::posix
