// The directories one command has read, each read once: the first request for a directory
// reads it (or waits while another thread does), later requests get the same listing. Every
// listing names its subdirectories that a walk will enter (neither hidden nor system), each to
// be opened relative to its parent so no path is looked up twice. The owner reads what its
// depth-first walk needs next itself; reader threads take the directories named longest ago,
// the subtrees the walk will reach last, so the two work towards each other instead of
// queueing for the same directory.
//
// Keys are drive paths in the form the walk builds them ("C:\", "C:\DATA\OLD"). All methods
// are called from one thread, the owner; the readers are internal. An owner that needs a
// directory a reader is still reading reads ahead itself meanwhile rather than sleep.
#pragma once

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>
#include <vector>

#include "platform/posix/directory_listing.h"
#include "platform/posix/unique_fd.h"

namespace mezu::posix {

class ListingCache {
public:
    // Opens a directory (O_PATH is enough) from its drive path, for directories that no
    // listing has named; an invalid descriptor when it cannot be opened.
    using PathOpener = std::function<UniqueFd(const std::string& drivePath)>;

    // `readerThreads` threads read ahead of the walk; with 0 every directory is read when it
    // is first asked for.
    ListingCache(unsigned readerThreads, PathOpener openByPath);
    ~ListingCache();
    ListingCache(const ListingCache&) = delete;
    ListingCache& operator=(const ListingCache&) = delete;

    // The listing of a directory; nullptr when the directory cannot be opened at all (a
    // directory that opens but cannot be read gives a listing that is not `readable`).
    std::shared_ptr<const DirectoryListing> get(const std::string& drivePath);

private:
    enum class State { Named, Reading, Ready };
    // A parent directory kept open while subdirectories it named are still unread.
    struct OpenParent {
        OpenParent(UniqueFd descriptor, std::atomic<int>& count) : fd(std::move(descriptor)), held(count)
        {
            ++held;
        }
        ~OpenParent() { --held; }
        UniqueFd fd;
        std::atomic<int>& held;
    };
    struct Slot {
        State state = State::Named;
        std::shared_ptr<const DirectoryListing> listing;
        std::shared_ptr<OpenParent> parent;  // null: open by path
        std::string hostName;
    };

    // Claims a named, unread directory: the newest for the owner, the oldest for a reader.
    // Null when there is none.
    Slot* claimPending(std::string& key, bool newest);
    // Reads the directory of a slot this thread has claimed and publishes the listing.
    std::shared_ptr<const DirectoryListing> read(const std::string& key, Slot& slot,
                                                 std::unique_lock<std::mutex>& lock);
    void nameSubdirectories(const std::string& key, const DirectoryListing& listing,
                            std::shared_ptr<OpenParent> parent);
    void readAhead();

    PathOpener openByPath_;
    std::mutex mutex_;
    std::condition_variable workAvailable_;  // for idle readers
    std::condition_variable listingReady_;   // for the owner waiting in get()
    int idleReaders_ = 0;
    bool ownerWaiting_ = false;
    std::unordered_map<std::string, Slot> slots_;
    std::deque<std::string> pending_;  // named, unread, oldest first
    std::atomic<int> heldParents_{0};
    bool stopping_ = false;
    std::vector<std::thread> readers_;
};

}  // namespace mezu::posix
