// SPDX-License-Identifier: MIT
// Removes a half-written temporary file when a signal ends the process while the file has a
// name: every catchable signal whose default action ends the process (INT, TERM, HUP, QUIT,
// PIPE, ALRM, USR1, USR2, ABRT, the real-time signals and the rest of that kind) and that the
// process leaves at its default; after the file is removed the signal takes its previous course.
// Ignored signals stay ignored and the program's own handlers stay in charge of theirs. The
// hardware faults (SEGV, BUS, ILL, FPE, TRAP) are left alone: they mean memory that cannot be
// trusted, or a debugger at work. One object at a time, on the thread that writes the file; a
// signal that reaches another thread meanwhile is passed on to that thread.
#pragma once

namespace mezu::posix {

class InterruptCleanup final {
public:
    // Installs the handlers and holds the signals back on this thread until watch() or
    // letThrough(), so that an interruption between creating the file and naming it here cannot
    // leave it behind.
    InterruptCleanup();
    // Restores the previous handlers and signal mask; the file is no longer removed.
    ~InterruptCleanup();
    InterruptCleanup(const InterruptCleanup&) = delete;
    InterruptCleanup& operator=(const InterruptCleanup&) = delete;

    // `name` (at most NAME_MAX bytes) in the directory `directoryFd`, which stays open
    // meanwhile, has been created: from now on an interruption removes it. Lets the signals in.
    void watch(int directoryFd, const char* name);
    // Lets the signals in with nothing to remove (the file being written has no name yet).
    void letThrough();
    // Holds the signals back again, before the file is given a name.
    void hold();
    // The file has been renamed or removed: an interruption leaves the directory alone.
    void release();
};

}  // namespace mezu::posix
