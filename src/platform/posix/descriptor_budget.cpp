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
    if (budget_ == nullptr) {
        return;
    }
    const MutexLock lock{budget_->mutex_};
    if (fd_.valid()) {
        fd_.reset();
        budget_->giveBack(1);
    }
}

UniqueFd DescriptorBudget::Held::openBelow(const char* name, int flags, bool& wasOpen) const
{
    if (budget_ == nullptr) {
        wasOpen = false;
        return UniqueFd{};
    }
    {
        const MutexLock lock{budget_->mutex_};
        wasOpen = fd_.valid();
        if (!wasOpen) {
            return UniqueFd{};
        }
        ++users_;
    }
    UniqueFd opened{::openat(fd_.get(), name, flags)};
    const int error = errno;
    const MutexLock lock{budget_->mutex_};
    if (--users_ == 0 && release_) {
        fd_.reset();
        budget_->giveBack(1);
    }
    errno = error;
    return opened;
}

DescriptorBudget::ReadTicket::~ReadTicket()
{
    const MutexLock lock{budget_->mutex_};
    budget_->giveBack(kPerRead);
}

DescriptorBudget::ReadTicket DescriptorBudget::forRead()
{
    MutexLock lock{mutex_};
    while (free_ < kPerRead) {
        std::vector<std::shared_ptr<Held>> looked;
        const bool taken = takeBackHeld(looked);
        lock.unlock();
        looked.clear();
        lock.lock();
        if (!taken && free_ < kPerRead) {
            lock.wait(freed_);
        }
    }
    free_ -= kPerRead;
    return ReadTicket{*this};
}

std::shared_ptr<DescriptorBudget::Held> DescriptorBudget::hold(UniqueFd fd, dev_t device)
{
    {
        const MutexLock lock{mutex_};
        if (free_ >= kPerRead + 1) {
            --free_;
            auto held = std::make_shared<Held>(this, std::move(fd), device);
            if (held_.size() >= 64 && held_.size() % 64 == 0) {
                std::erase_if(held_, [](const std::weak_ptr<Held>& kept) { return kept.expired(); });
            }
            held_.push_back(held);
            return held;
        }
    }
    // Closed outside the lock; the subdirectories know their parent's device all the same.
    fd.reset();
    return std::make_shared<Held>(nullptr, UniqueFd{}, device);
}

void DescriptorBudget::giveBack(int descriptors)
{
    free_ += descriptors;
    freed_.notify_all();
}

bool DescriptorBudget::takeBackHeld(std::vector<std::shared_ptr<Held>>& looked)
{
    bool taken = false;
    for (const std::weak_ptr<Held>& kept : held_) {
        std::shared_ptr<Held> held = kept.lock();
        if (!held || !held->fd_.valid()) {
            continue;
        }
        looked.push_back(held);
        if (held->users_ == 0) {
            held->fd_.reset();
            ++free_;
            taken = true;
        } else {
            held->release_ = true;
        }
        if (free_ >= kPerRead) {
            break;
        }
    }
    std::erase_if(held_, [](const std::weak_ptr<Held>& kept) { return kept.expired(); });
    return taken;
}

}  // namespace mezu::posix
