// The directories one command has read, each read once: the first request for a directory
// reads it (or waits while another thread does), later requests get the same listing. Every
// listing names its subdirectories that a walk will enter (neither hidden nor system), each to
// be opened relative to its parent so no path is looked up twice. The owner reads what its
// depth-first walk needs next itself; a reader thread takes a directory named longest ago (a
// subtree the walk will reach last) and goes on depth-first through the subdirectories it
// names itself. So the walk and the readers work towards each other instead of queueing for
// the same directory, and only the parents along each thread's path stay open. Idle readers
// also help to examine the entries of a large directory.
//
// Keys are drive paths in the form the walk builds them ("C:\", "C:\DATA\OLD"). All methods
// are called from one thread, the owner; the readers are internal. An owner that needs a
// directory a reader is still reading reads ahead itself meanwhile rather than sleep. The
// owner finds the directories along its walk through their parents, without looking paths up.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory_resource>
#include <memory>
#include <optional>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/posix/adaptive_mutex.h"
#include "platform/posix/directory_listing.h"
#include "platform/posix/unique_fd.h"

namespace mezu::posix {

class ListingCache final : private ExaminationHelpers {
public:
    // Opens a directory (O_PATH is enough) from its drive path, for directories that no
    // listing has named; an invalid descriptor when it cannot be opened. The reader threads
    // call it too, at the same time as the owner.
    using PathOpener = std::function<UniqueFd(const std::string& drivePath)>;

    // Parents kept open at most for their unread subdirectories; past this, subdirectories are
    // opened by path, so that no tree can exhaust the descriptor limit.
    static constexpr int kMostHeldParents = 256;

    // `readerThreads` threads read ahead of the walk; with 0 every directory is read when it
    // is first asked for.
    ListingCache(unsigned readerThreads, PathOpener openByPath, int mostHeldParents = kMostHeldParents);
    ~ListingCache() override;
    ListingCache(const ListingCache&) = delete;
    ListingCache& operator=(const ListingCache&) = delete;

    // The listing of a directory, valid as long as the cache; nullptr when the directory cannot
    // be opened at all (one that opens but cannot be read gives a listing that is not
    // `readable`).
    const DirectoryListing* get(const std::string& drivePath);

private:
    enum class State { Named, Reading, Ready };
    // A parent directory kept open while subdirectories it named are still unread. The
    // subdirectories that are walked are on its device, since a mount point is not walked.
    // When descriptors run short it is closed as soon as no thread is opening through it; its
    // subdirectories are then opened by path. Changed under the lock.
    struct OpenParent {
        OpenParent(UniqueFd descriptor, std::uint64_t onDevice, std::atomic<int>& count)
            : fd(std::move(descriptor)), device(onDevice), held(count)
        {
            ++held;
        }
        ~OpenParent() { close(); }
        OpenParent(const OpenParent&) = delete;
        OpenParent& operator=(const OpenParent&) = delete;
        void close()
        {
            if (fd.valid()) {
                fd.reset();
                --held;
            }
        }
        UniqueFd fd;
        std::uint64_t device;
        std::atomic<int>& held;
        int users = 0;          // threads opening a subdirectory through `fd` just now
        bool release = false;   // close when the last user is done
    };
    struct Slot;
    // Keys and nodes come from slotMemory_ and stay put until the cache goes.
    using Slots = std::pmr::unordered_map<std::string_view, Slot>;
    using SlotEntry = Slots::value_type;
    // Changed under the lock. Once `state` is Ready (stored with release), `listing` and
    // `children` no longer change and the owner may read them without the lock.
    struct Slot {
        std::atomic<State> state{State::Named};
        const DirectoryListing* listing = nullptr;
        // For each entry of the listing, the slot of the subdirectory a walk enters there.
        SlotEntry** children = nullptr;
        std::shared_ptr<OpenParent> parent;  // null: open by path
        std::string_view name;               // drive name in the parent's listing, NUL-terminated
    };

    // A thread that reads: the owner (first) or a reader thread.
    struct Worker {
        DirectoryReader reader;
        std::deque<SlotEntry*> pending;  // subdirectories this thread named, unread, oldest first
        bool parked = false;             // a reader that stopped reading for want of descriptors
    };
    // A directory opened for reading, or why it could not be.
    struct Opening {
        UniqueFd fd;
        bool opened = false;  // opened (by path) even if not for reading
        int error = 0;
    };

    // Claims a named, unread directory for `self`: the newest it named itself, else the oldest
    // another named. Null when there is none.
    SlotEntry* claimPending(Worker& self);
    SlotEntry* popNamed(std::deque<SlotEntry*>& pending, bool newest);
    // Reads the directory of a slot this thread has claimed and publishes the listing. A reader
    // short of descriptors gives the slot back, parks itself and returns nullptr.
    const DirectoryListing* read(SlotEntry& entry, Worker& self, std::unique_lock<AdaptiveMutex>& lock);
    Opening open(const SlotEntry& entry, const OpenParent* parent) const;
    // For the owner short of descriptors: closes the parents held open, parks the readers and
    // waits until none is opening or reading. False when nothing was left to free.
    bool freeDescriptors(std::unique_lock<AdaptiveMutex>& lock);
    void closeHeldParents();
    // The listing of a slot, for the owner: at once if it is ready, else read by the owner or
    // waited for, helping meanwhile.
    const DirectoryListing* listingFor(SlotEntry& entry);
    SlotEntry** nameSubdirectories(std::string_view key, const DirectoryListing& listing,
                                   std::shared_ptr<OpenParent> parent, Worker& self);
    std::string_view storeKey(std::string_view parent, std::string_view name);
    void readAhead(Worker& self);
    bool share(EntryExamination& examination) override;
    void unshare(EntryExamination& examination) override;

    PathOpener openByPath_;
    int mostHeldParents_;
    std::vector<std::unique_ptr<Worker>> workers_;  // the owner's first
    AdaptiveMutex mutex_;
    std::condition_variable_any workAvailable_;  // for idle readers
    std::condition_variable_any listingReady_;   // for the owner waiting in get()
    std::condition_variable_any examinationLeft_;  // for a thread waiting in unshare()
    EntryExamination* shared_ = nullptr;             // offered to idle readers
    int sharedUsers_ = 0;                            // readers working on it
    int idleReaders_ = 0;
    int readingReaders_ = 0;  // readers between claiming a directory and publishing it
    bool ownerWaiting_ = false;
    bool readersParked_ = false;  // all readers park: the owner ran short of descriptors
    std::atomic<int> heldParents_{0};  // outlives the slots, whose parents count themselves out
    // Every parent held open, for closing them when descriptors run short; expired ones are
    // dropped as it grows.
    std::vector<std::weak_ptr<OpenParent>> openParents_;
    std::pmr::monotonic_buffer_resource slotMemory_;
    Slots slots_{&slotMemory_};

    // The owner's way down to the directory it asked for last, root first: the walk asks next
    // for one of these, or for a subdirectory of one, which the parent's slot leads to without
    // a lookup and, once read, without the lock.
    struct Step {
        SlotEntry* slot;
        const DirectoryListing* listing;
        std::size_t nextChild = 0;  // where the search for the next subdirectory starts
    };
    // The listing of `drivePath` if the trail leads there; nullopt if it does not.
    std::optional<const DirectoryListing*> followTrail(std::string_view drivePath);
    std::vector<Step> trail_;

    std::size_t pendingCount_ = 0;  // entries in all workers' pending queues
    bool stopping_ = false;
    std::vector<std::thread> readers_;
};

}  // namespace mezu::posix
