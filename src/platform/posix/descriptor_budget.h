// SPDX-License-Identifier: MIT
// The descriptors a walk's threads may hold at once, so that neither a tree of any shape nor any
// number of threads runs the process out of them. A read takes two (the directory, and the way
// to it when it is opened by its path) for as long as it runs; a directory kept open so that its
// subdirectories can be opened relative to it takes one, and gives it back as soon as a read
// needs it: the subdirectories are then opened by their paths. A thread that finds none free
// waits until a read ends.
//
// Every read takes and gives back descriptors, from any thread: the counts are atomic, and
// the mutex is taken only to wait for descriptors, to take held ones back and to list a newly
// held directory.
#pragma once

#include <sys/types.h>

#include <atomic>
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
        // `state_`: the threads opening below it just now, counted in kUser steps, and two
        // flags. Closed: the descriptor is gone (nobody may use it). Release: it is wanted
        // back, and the last of its users closes it.
        static constexpr unsigned kClosed = 1;
        static constexpr unsigned kRelease = 2;
        static constexpr unsigned kUser = 4;

        // Closes the descriptor if nobody uses it, else asks its last user to; true when closed
        // here. The caller counts the descriptor as free.
        bool takeBack() const;
        // Closes the descriptor, from state `seen`, when no thread uses it and it is wanted
        // back; true when closed here, and the caller counts it as free.
        bool closeIfReleased(unsigned seen) const;

        DescriptorBudget* budget_;  // null: nothing held
        mutable UniqueFd fd_;       // closed only by whoever sets kClosed
        mutable std::atomic<unsigned> state_{0};
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
    // Takes `descriptors` if that leaves at least `leaving` free; false, taking none, if not.
    bool tryTake(int descriptors, int leaving);
    void giveBack(int descriptors) MEZU_EXCLUDES(mutex_);
    // Closes held directories no thread opens below just now until a read's descriptors are
    // free; false when none could be closed. What it looked at is put in `looked`, to be let go
    // without the lock (the last reference may be among them).
    bool takeBackHeld(std::vector<std::shared_ptr<Held>>& looked) MEZU_REQUIRES(mutex_);

    std::atomic<int> free_;
    std::atomic<int> waiting_{0};  // threads waiting for descriptors, which giveBack() wakes
    Mutex mutex_;
    std::condition_variable freed_;
    std::vector<std::weak_ptr<Held>> held_ MEZU_GUARDED_BY(mutex_);
};

}  // namespace mezu::posix
