#include "platform/posix/interrupt_cleanup.h"

#include <fcntl.h>
#include <limits.h>
#include <pthread.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <cstring>

namespace mezu::posix {
namespace {

constexpr std::array kInterruptions{SIGINT, SIGTERM, SIGHUP};

// A signal handler can reach only static storage; this is the one place that holds what it
// needs. `armed` is set only while `directory` and `name` describe an existing file.
struct HandlerState {
    int directory = -1;
    std::array<char, NAME_MAX + 1> name{};
    std::array<struct sigaction, kInterruptions.size()> previous{};
    std::array<bool, kInterruptions.size()> installed{};
    sigset_t heldMask{};
    sigset_t savedMask{};
};
HandlerState state;
volatile std::sig_atomic_t armed = 0;

void restorePreviousHandlers()
{
    for (std::size_t i = 0; i < kInterruptions.size(); ++i) {
        if (state.installed[i]) {
            ::sigaction(kInterruptions[i], &state.previous[i], nullptr);
            state.installed[i] = false;
        }
    }
}

// Async-signal-safe only: unlinkat, sigaction, raise. The raised signal stays blocked until
// this handler returns and then meets the handler restored here.
void removeAndPassOn(int signal)
{
    if (armed != 0) {
        armed = 0;
        ::unlinkat(state.directory, state.name.data(), 0);
    }
    restorePreviousHandlers();
    ::raise(signal);
}

}  // namespace

InterruptCleanup::InterruptCleanup()
{
    armed = 0;
    ::sigemptyset(&state.heldMask);
    for (std::size_t i = 0; i < kInterruptions.size(); ++i) {
        ::sigaddset(&state.heldMask, kInterruptions[i]);
        struct sigaction handler {};
        handler.sa_handler = removeAndPassOn;
        ::sigemptyset(&handler.sa_mask);
        state.installed[i] = ::sigaction(kInterruptions[i], &handler, &state.previous[i]) == 0;
        // A signal the process ignores (started with nohup, or in the background) stays ignored.
        if (state.installed[i] && state.previous[i].sa_handler == SIG_IGN) {
            ::sigaction(kInterruptions[i], &state.previous[i], nullptr);
            state.installed[i] = false;
        }
    }
    ::pthread_sigmask(SIG_BLOCK, &state.heldMask, &state.savedMask);
}

InterruptCleanup::~InterruptCleanup()
{
    release();
    restorePreviousHandlers();
    ::pthread_sigmask(SIG_SETMASK, &state.savedMask, nullptr);
}

void InterruptCleanup::watch(int directoryFd, const char* name)
{
    const std::size_t length = std::strlen(name);
    if (length < state.name.size()) {
        std::memcpy(state.name.data(), name, length + 1);
        state.directory = directoryFd;
        armed = 1;
    }
    ::pthread_sigmask(SIG_SETMASK, &state.savedMask, nullptr);
}

void InterruptCleanup::release()
{
    armed = 0;
}

}  // namespace mezu::posix
