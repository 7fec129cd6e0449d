// SPDX-License-Identifier: MIT
#include "platform/posix/interrupt_cleanup.h"

#include <fcntl.h>
#include <limits.h>
#include <pthread.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <csignal>
#include <cstring>

namespace mezu::posix {
namespace {

// The signals besides the real-time ones whose default action ends the process and that a
// save may meet from outside: a user, a terminal, a timer, a resource limit, a closed pipe,
// abort() after a fault of the program's logic. SIGXFSZ is not among them: a save ignores it
// so that a write past the size limit fails and is reported.
constexpr std::array kEndingSignals{
    SIGHUP,    SIGINT,    SIGQUIT, SIGABRT, SIGUSR1, SIGUSR2, SIGPIPE, SIGALRM, SIGTERM,
#ifdef SIGSTKFLT
    SIGSTKFLT,
#endif
    SIGXCPU,   SIGVTALRM, SIGPROF, SIGIO,
#ifdef SIGPWR
    SIGPWR,
#endif
    SIGSYS,
};

template <typename Visit>
void forEachEndingSignal(Visit visit)
{
    for (const int signal : kEndingSignals) {
        visit(signal);
    }
    for (int signal = SIGRTMIN; signal <= SIGRTMAX; ++signal) {
        visit(signal);
    }
}

// A signal handler can reach only static storage; this is the one place that holds what it
// needs. `armed` is set only while `directory` and `name` describe an existing file; `holding`
// while the writing thread holds the signals back because a name may be coming into being.
struct HandlerState {
    int directory = -1;
    std::array<char, NAME_MAX + 1> name{};
    std::array<struct sigaction, NSIG> previous{};
    std::array<bool, NSIG> installed{};
    sigset_t heldMask{};
    sigset_t savedMask{};
    pthread_t writer{};
};
HandlerState state;
std::atomic<bool> armed{false};
std::atomic<bool> holding{false};
static_assert(std::atomic<bool>::is_always_lock_free, "the handler reads these flags");

void restorePreviousHandlers()
{
    for (int signal = 1; signal < NSIG; ++signal) {
        if (state.installed[static_cast<std::size_t>(signal)]) {
            state.installed[static_cast<std::size_t>(signal)] = false;
            ::sigaction(signal, &state.previous[static_cast<std::size_t>(signal)], nullptr);
        }
    }
}

// Async-signal-safe only: unlinkat, sigaction, raise, pthread_self, pthread_kill. The raised
// signal stays blocked until this handler returns and then meets the handler restored here.
void removeAndPassOn(int signal)
{
    // Only the writing thread knows whether the file it is creating exists yet: there the
    // signal waits, held back, until it does.
    if (holding.load() && ::pthread_equal(::pthread_self(), state.writer) == 0) {
        ::pthread_kill(state.writer, signal);
        return;
    }
    if (armed.exchange(false)) {
        ::unlinkat(state.directory, state.name.data(), 0);
    }
    restorePreviousHandlers();
    ::raise(signal);
}

void blockHeldSignals()
{
    holding.store(true);
    ::pthread_sigmask(SIG_BLOCK, &state.heldMask, nullptr);
}

void unblockHeldSignals()
{
    holding.store(false);
    ::pthread_sigmask(SIG_SETMASK, &state.savedMask, nullptr);
}

}  // namespace

InterruptCleanup::InterruptCleanup()
{
    armed.store(false);
    state.writer = ::pthread_self();
    ::sigemptyset(&state.heldMask);
    forEachEndingSignal([](int signal) {
        struct sigaction current {};
        // Only a signal left at its default ends the process: an ignored one is kept ignored
        // (started with nohup, or in the background), a handled one is the program's own.
        if (::sigaction(signal, nullptr, &current) == 0 && (current.sa_flags & SA_SIGINFO) == 0 &&
            current.sa_handler == SIG_DFL) {
            state.previous[static_cast<std::size_t>(signal)] = current;
            ::sigaddset(&state.heldMask, signal);
        }
    });
    holding.store(true);
    ::pthread_sigmask(SIG_BLOCK, &state.heldMask, &state.savedMask);
    struct sigaction handler {};
    handler.sa_handler = removeAndPassOn;
    handler.sa_mask = state.heldMask;
    // Other threads' calls go on after a signal the handler passes on to this one.
    handler.sa_flags = SA_RESTART;
    for (int signal = 1; signal < NSIG; ++signal) {
        if (::sigismember(&state.heldMask, signal) == 1) {
            state.installed[static_cast<std::size_t>(signal)] = ::sigaction(signal, &handler, nullptr) == 0;
        }
    }
}

InterruptCleanup::~InterruptCleanup()
{
    release();
    restorePreviousHandlers();
    unblockHeldSignals();
}

void InterruptCleanup::watch(int directoryFd, const char* name)
{
    const std::size_t length = std::strlen(name);
    if (length < state.name.size()) {
        std::memcpy(state.name.data(), name, length + 1);
        state.directory = directoryFd;
        armed.store(true);
    }
    unblockHeldSignals();
}

void InterruptCleanup::letThrough()
{
    unblockHeldSignals();
}

void InterruptCleanup::hold()
{
    blockHeldSignals();
}

void InterruptCleanup::release()
{
    armed.store(false);
}

}  // namespace mezu::posix
