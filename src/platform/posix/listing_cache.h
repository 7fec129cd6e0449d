// The directories one command has read, each read once: the first request for a directory
// reads it (or waits while another thread does), later requests get the same listing. Every
// listing names its subdirectories that a walk will enter (neither hidden nor system), each to
// be opened relative to its parent so no path is looked up twice. The owner reads what its
// depth-first walk needs next itself; a reader thread takes a directory named longest ago (a
// subtree the walk will reach last) and goes on depth-first through the subdirectories it
// names itself. So the walk and the readers work towards each other instead of queueing for
// the same directory, and only the parents along each thread's path stay open. Idle readers
// also help to examine the entries of a large directory. While reads come from memory only as
// many readers read at once as keep the cores busy; all of them read while reads wait for the
// disk (see reader_gate.h).
//
// Hidden entries, which a walk neither counts nor enters, are examined only when their figures
// are asked for (then as they are at that moment). In a directory that holds no mount point, no
// subdirectory can be another file system's root: its subdirectories are not examined with the
// directory but when they are opened for their own reads (fstat of the descriptor), which saves
// a name lookup for each. entryFigures() gives the figures of any entry. A directory whose mode
// does not let this process search it has every entry examined with it, so that entries it
// cannot examine make the directory's read fail as they always have.
//
// A directory is known by its parent and its name, never by its full path, so a tree of any
// depth costs memory and time in proportion to its entries; only the directories a command
// asks for by drive path ("C:\", "C:\DATA\OLD", in the form the walk builds) are kept under
// that path. All methods are called from one thread, the owner; the readers are internal. An
// owner that needs a directory a reader is still reading reads ahead itself meanwhile rather
// than sleep. A reader that runs out of memory makes the owner's next wait for it throw
// std::bad_alloc, as if the owner had run out itself.
#pragma once

#include <sys/stat.h>

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
#include "platform/file_system.h"
#include "platform/posix/directory_listing.h"
#include "platform/posix/mount_point_parents.h"
#include "platform/posix/reader_gate.h"
#include "platform/posix/search_permission.h"
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
    // Subdirectories are opened before they are examined only in directories that
    // `mountPointParents` shows hold no mount point; by default in none.
    ListingCache(unsigned readerThreads, PathOpener openByPath, int mostHeldParents = kMostHeldParents,
                 MountPointParents mountPointParents = {});
    ~ListingCache() override;
    ListingCache(const ListingCache&) = delete;
    ListingCache& operator=(const ListingCache&) = delete;

    // A directory of the command, valid as long as the cache.
    struct Slot;

    // The directory at a drive path: reached through the listings of a directory asked for
    // before, when they lead there, else kept under its path and opened by it.
    Slot& directory(std::string_view drivePath);
    // Its listing, read now if no thread has read it yet; one that cannot be opened or read
    // says so (`opened`, `readable`, `error`).
    const DirectoryListing& listing(Slot& slot);
    // The subdirectory a walk enters at entry `index` of the listing of `parent`; null for an
    // entry that is no such directory (a file, a hidden or system directory). One whose
    // figures were left to its own read may still prove to be another file system's root when
    // read (isOtherFileSystem).
    Slot* child(const Slot& parent, std::size_t index) const;
    // The figures of entry `index` of the listing of `parent`, examining it now if its read
    // did not: a subdirectory by reading it, a hidden entry with an lstat. Nullopt for an entry
    // that has gone since, as if it had not been listed, and for one that cannot be examined,
    // whose error is then kept for lateError (as a read keeps it for the listing).
    std::optional<EntryFigures> entryFigures(Slot& parent, std::size_t index);
    // Whether a directory read through its parent proved to be another file system's root; its
    // listing is then empty, and it is to be reached by its path.
    bool isOtherFileSystem(const Slot& slot) const { return slot.otherFileSystem; }
    // Why an entry of the directory's listing that entryFigures examined later could not be
    // examined (an errno); 0 while none failed.
    int lateError(const Slot& slot) const { return slot.lateError; }
    // The directory whose listing named `slot`; null for one asked for by its path.
    Slot* parent(const Slot& slot) const;
    // Where the owner last found a name in the slot's listing, for the next search to start.
    std::size_t& hint(Slot& slot) const;
    // The drive path of a directory.
    std::string path(const Slot& slot) const;

    const DirectoryListing* get(std::string_view drivePath) { return &listing(directory(drivePath)); }

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
public:
    // Changed under the lock. Once `state` is Ready (stored with release), `listing` and
    // `children` no longer change and the owner may read them without the lock.
    struct Slot {
        std::atomic<State> state{State::Named};
        const DirectoryListing* listing = nullptr;
        // For each entry of the listing, the subdirectory a walk enters there.
        Slot** children = nullptr;
        std::shared_ptr<OpenParent> parent;  // null: open by path
        Slot* parentSlot = nullptr;          // null: asked for by its path
        // The name in the parent's listing, NUL-terminated; the drive path when asked for by it.
        std::string_view name;
        std::size_t ownerHint = 0;  // the owner's alone
        // The directory's own figures, from the descriptor its read opened (`figuresKnown`).
        EntryFigures figures;
        bool figuresKnown = false;
        bool otherFileSystem = false;
        int lateError = 0;  // the owner's alone
    };

private:
    // A thread that reads: the owner (first) or a reader thread.
    struct Worker {
        unsigned rank = 0;  // the owner 0, reader threads from 1; readers up to the gate's open() read
        DirectoryReader reader;
        std::deque<Slot*> pending;  // subdirectories this thread named, unread, oldest first
        bool parked = false;             // a reader that stopped reading for want of descriptors
    };
    // A directory opened for reading, or why it could not be.
    struct Opening {
        UniqueFd fd;
        bool opened = false;  // opened (by path) even if not for reading
        int error = 0;
        bool examined = false;  // `status` is the directory's, from a descriptor opened
        struct stat status {};
    };

    // Claims a named, unread directory for `self`: the newest it named itself, else the oldest
    // another named. Null when there is none.
    Slot* claimPending(Worker& self);
    Slot* popNamed(std::deque<Slot*>& pending, bool newest);
    // Reads the directory of a slot this thread has claimed and publishes the listing. A reader
    // short of descriptors gives the slot back, parks itself and returns nullptr.
    const DirectoryListing* read(Slot& slot, Worker& self, std::unique_lock<AdaptiveMutex>& lock);
    Opening open(const Slot& slot, const OpenParent* parent) const;
    // For the owner short of descriptors: closes the parents held open, parks the readers and
    // waits until none is opening or reading. False when nothing was left to free.
    bool freeDescriptors(std::unique_lock<AdaptiveMutex>& lock);
    void closeHeldParents();
    Slot** nameSubdirectories(Slot& slot, const DirectoryListing& listing,
                              std::shared_ptr<OpenParent> parent, Worker& self);
    // The directory at `drivePath` through listings already read, below a directory kept under
    // its path; null when they do not lead there.
    Slot* reachThroughListings(std::string_view drivePath);
    // A reader thread's life; one that runs out of memory stops and fails the owner's command.
    void readAhead(Worker& self);
    void readUntilStopped(Worker& self);
    std::optional<EntryFigures> examineNow(Slot& parent, std::size_t index) const;
    bool mayRead(const Worker& self) const { return self.rank <= gate_.open(); }
    bool share(EntryExamination& examination) override;
    void unshare(EntryExamination& examination) override;

    PathOpener openByPath_;
    int mostHeldParents_;
    MountPointParents mountPointParents_;
    SearchPermission searchPermission_;
    std::vector<std::unique_ptr<Worker>> workers_;  // the owner's first
    AdaptiveMutex mutex_;
    std::condition_variable_any workAvailable_;  // for idle readers
    std::condition_variable_any listingReady_;   // for the owner waiting in get()
    std::condition_variable_any examinationLeft_;  // for a thread waiting in unshare()
    std::condition_variable_any gateOpened_;       // for readers the gate keeps out
    ReaderGate gate_;
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
    std::pmr::monotonic_buffer_resource slotMemory_;  // children arrays and paths
    std::deque<Slot> slots_;                          // changed under the lock
    std::unordered_map<std::string_view, Slot*> byPath_;  // the owner's alone; keys in slotMemory_

    std::size_t pendingCount_ = 0;  // entries in all workers' pending queues
    bool stopping_ = false;
    bool readerOutOfMemory_ = false;  // a reader stopped for want of memory
    std::vector<std::thread> readers_;
};

}  // namespace mezu::posix
