// SPDX-License-Identifier: MIT
// The descriptors a walk's threads may hold at once, so that neither a tree of any shape nor any
// number of threads runs the process out of them. A read takes two (the directory, and the way
// to it when it is opened by its path) for as long as it runs; a directory kept open so that its
// subdirectories can be opened relative to it takes one, and gives it back as soon as a read
// needs it: the subdirectories are then opened by their paths. A thread that finds none free
// waits until a read ends.
#pragma once

#include <sys/types.h>

#include <condition_variable>
#include <memory>
#include <vector>

#include "platform/directory_source.h"
#include "platform/posix/unique_fd.h"
#include "platform/thread_safety.h"

namespace mezu::posix {

class DescriptorBudget {
public:
    static constexpr int kPerRead = 2;

    // `descriptors` in all; never fewer than one read's.
    explicit DescriptorBudget(int descriptors);
    // What this process may still open: its soft limit less the descriptors it has open now,
    // less a few kept for others (the report file, the window system).
    static int ofThisProcess();

    // A directory kept open for its subdirectories. When its descriptor has been taken back,
    // openBelow() says so and the subdirectory is to be opened by its path.
    class Held final : public DirectorySource::Opened {
    public:
        Held(DescriptorBudget* budget, UniqueFd fd, dev_t device)
            : budget_(budget),
              fd_(std::move(fd)),
              device_(device)
        {
        }
        ~Held() override;
        Held(const Held&) = delete;
        Held& operator=(const Held&) = delete;

        dev_t device() const { return device_; }
        // Opens `name` below the directory with `flags`; `wasOpen` false when the directory
        // was not open any more (nothing was tried), else the descriptor or an invalid one
        // with errno set.
        UniqueFd openBelow(const char* name, int flags, bool& wasOpen) const;

    private:
        friend class DescriptorBudget;
        DescriptorBudget* budget_;      // null: nothing held
        mutable UniqueFd fd_;           // the budget's mutex
        mutable int users_ = 0;         // the budget's mutex: threads opening below it just now
        mutable bool release_ = false;  // the budget's mutex: give it back when the last is done
        dev_t device_;
    };

    // Two descriptors for a read, given back when the ticket goes.
    class ReadTicket {
    public:
        explicit ReadTicket(DescriptorBudget& budget)
            : budget_(&budget)
        {
        }
        ~ReadTicket();
        ReadTicket(const ReadTicket&) = delete;
        ReadTicket& operator=(const ReadTicket&) = delete;

    private:
        DescriptorBudget* budget_;
    };
    ReadTicket forRead() MEZU_EXCLUDES(mutex_);

    // `fd`, the directory at `device`, kept for its subdirectories if a descriptor is spare
    // beyond a read's; else closed, and they are opened by their paths.
    std::shared_ptr<Held> hold(UniqueFd fd, dev_t device) MEZU_EXCLUDES(mutex_);

private:
    void giveBack(int descriptors) MEZU_REQUIRES(mutex_);
    // Closes held directories no thread opens below just now until a read's descriptors are
    // free; false when none could be closed. What it looked at is put in `looked`, to be let go
    // without the lock (the last reference may be among them).
    bool takeBackHeld(std::vector<std::shared_ptr<Held>>& looked) MEZU_REQUIRES(mutex_);

    Mutex mutex_;
    std::condition_variable freed_;
    int free_ MEZU_GUARDED_BY(mutex_);
    std::vector<std::weak_ptr<Held>> held_ MEZU_GUARDED_BY(mutex_);
};

}  // namespace mezu::posix
