// SPDX-License-Identifier: MIT
#include "platform/posix/descriptor_budget.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>

#include <algorithm>
#include <cerrno>

namespace mezu::posix {
namespace {

// Left to others than the walk: a report file, a window system's connection, a pipe.
constexpr int kKeptForOthers = 2;

}  // namespace

DescriptorBudget::DescriptorBudget(int descriptors)
    : free_(std::max(descriptors, kPerRead))
{
}

int DescriptorBudget::ofThisProcess()
{
    struct rlimit limit {};
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur == RLIM_INFINITY) {
        return 1 << 16;
    }
    int open = 0;
    if (DIR* descriptors = ::opendir("/proc/self/fd")) {
        while (const dirent* entry = ::readdir(descriptors)) {
            open += entry->d_name[0] != '.' ? 1 : 0;
        }
        ::closedir(descriptors);
        --open;  // the listing's own
    }
    const auto limitCount = static_cast<long long>(std::min<rlim_t>(limit.rlim_cur, 1 << 20));
    return static_cast<int>(std::max<long long>(limitCount - open - kKeptForOthers, kPerRead));
}

DescriptorBudget::Held::~Held()
{
    // Nobody opens below it any more, nor takes it back: both hold a reference to it.
    if (budget_ != nullptr && (state_.load(std::memory_order_acquire) & kClosed) == 0) {
        fd_.reset();
        budget_->giveBack(1);
    }
}

UniqueFd DescriptorBudget::Held::openBelow(const char* name, int flags, bool& wasOpen) const
{
    wasOpen = false;
    if (budget_ == nullptr) {
        return UniqueFd{};
    }
    unsigned seen = state_.load(std::memory_order_acquire);
    do {
        if ((seen & kClosed) != 0) {
            return UniqueFd{};
        }
    } while (!state_.compare_exchange_weak(seen, seen + kUser, std::memory_order_acquire));
    wasOpen = true;
    UniqueFd opened{::openat(fd_.get(), name, flags)};
    const int error = errno;
    if (closeIfReleased(state_.fetch_sub(kUser, std::memory_order_acq_rel) - kUser)) {
        budget_->giveBack(1);
    }
    errno = error;
    return opened;
}

bool DescriptorBudget::Held::closeIfReleased(unsigned seen) const
{
    while (seen == kRelease) {
        if (state_.compare_exchange_weak(seen, kRelease | kClosed, std::memory_order_acq_rel)) {
            fd_.reset();
            return true;
        }
    }
    return false;
}

bool DescriptorBudget::Held::takeBack() const
{
    unsigned seen = state_.load(std::memory_order_acquire);
    for (;;) {
        if ((seen & kClosed) != 0) {
            return false;
        }
        if (seen < kUser) {
            if (state_.compare_exchange_weak(seen, seen | kClosed, std::memory_order_acq_rel)) {
                fd_.reset();
                return true;
            }
        } else if (state_.compare_exchange_weak(seen, seen | kRelease, std::memory_order_acq_rel)) {
            // The last user may have gone in between, not knowing it was wanted back.
            return closeIfReleased(state_.load(std::memory_order_acquire));
        }
    }
}

DescriptorBudget::ReadTicket::~ReadTicket()
{
    budget_->giveBack(kPerRead);
}

bool DescriptorBudget::tryTake(int descriptors, int leaving)
{
    int seen = free_.load(std::memory_order_relaxed);
    while (seen >= descriptors + leaving) {
        if (free_.compare_exchange_weak(seen, seen - descriptors, std::memory_order_acq_rel)) {
            return true;
        }
    }
    return false;
}

DescriptorBudget::ReadTicket DescriptorBudget::forRead()
{
    if (tryTake(kPerRead, 0)) {
        return ReadTicket{*this};
    }
    MutexLock lock{mutex_};
    // Counted before the last look at the count, so that a descriptor given back after it
    // wakes this thread (giveBack() counts first and looks for waiters after).
    waiting_.fetch_add(1, std::memory_order_seq_cst);
    while (!tryTake(kPerRead, 0)) {
        std::vector<std::shared_ptr<Held>> looked;
        const bool taken = takeBackHeld(looked);
        lock.unlock();
        looked.clear();
        lock.lock();
        if (!taken && free_.load(std::memory_order_seq_cst) < kPerRead) {
            lock.wait(freed_);
        }
    }
    waiting_.fetch_sub(1, std::memory_order_relaxed);
    return ReadTicket{*this};
}

std::shared_ptr<DescriptorBudget::Held> DescriptorBudget::hold(UniqueFd fd, dev_t device)
{
    if (tryTake(1, kPerRead)) {
        auto held = std::make_shared<Held>(this, std::move(fd), device);
        const MutexLock lock{mutex_};
        if (held_.size() >= 64 && held_.size() % 64 == 0) {
            std::erase_if(held_, [](const std::weak_ptr<Held>& kept) { return kept.expired(); });
        }
        held_.push_back(held);
        return held;
    }
    // The subdirectories know their parent's device all the same.
    fd.reset();
    return std::make_shared<Held>(nullptr, UniqueFd{}, device);
}

void DescriptorBudget::giveBack(int descriptors)
{
    free_.fetch_add(descriptors, std::memory_order_seq_cst);
    if (waiting_.load(std::memory_order_seq_cst) > 0) {
        // Taken so that a waiter between its last look and its wait is not missed.
        const MutexLock lock{mutex_};
        freed_.notify_all();
    }
}

bool DescriptorBudget::takeBackHeld(std::vector<std::shared_ptr<Held>>& looked)
{
    bool taken = false;
    for (const std::weak_ptr<Held>& kept : held_) {
        std::shared_ptr<Held> held = kept.lock();
        if (!held) {
            continue;
        }
        const bool closed = held->takeBack();
        looked.push_back(std::move(held));
        if (closed) {
            free_.fetch_add(1, std::memory_order_seq_cst);
            taken = true;
            if (free_.load(std::memory_order_relaxed) >= kPerRead) {
                break;
            }
        }
    }
    std::erase_if(held_, [](const std::weak_ptr<Held>& kept) { return kept.expired(); });
    return taken;
}

}  // namespace mezu::posix
