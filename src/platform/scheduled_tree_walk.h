// SPDX-License-Identifier: MIT
// A tree walk whose directories are read ahead of the walker by a pool of threads, through a
// backend's DirectorySource, on every platform alike.
//
// Order: the directories to read wait in one list in the order the walker will ask for them
// (depth first): when a directory has been read its subdirectories take its place in the list.
// The threads take the first that no thread reads yet, so that what they read ahead is what the
// walker will ask for next, and soon taken.
// Memory: what is read ahead and not yet done is counted; past `readAheadBytes` the readers wait
// until the walker catches up, so the memory a walk takes follows the walk (the directories it
// is in, and what lies just ahead of it), not the size of the tree. A directory the walker is
// done with is freed at once. Threads: as many read at once as the ReaderGate lets in: the cores
// while reads come from memory, up to `mostThreads` while they wait; reader threads are started
// only when the gate first lets them in. The walker reads what it needs itself when no thread
// has, and reads ahead itself rather than sleep while another thread reads what it waits for.
// While reads come from memory, a thread claims a few directories at once and publishes them
// under one lock: a directory read from memory takes little longer than taking the lock twice
// with another thread after it.
//
// Out of memory in any thread ends the walk: the walker's next call throws std::bad_alloc.
#pragma once

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "platform/directory_source.h"
#include "platform/reader_gate.h"
#include "platform/thread_safety.h"
#include "platform/tree_walk.h"

namespace mezu {

class ScheduledTreeWalk final : public TreeWalk, private TaskSharing {
public:
    // Some hundreds of directories: enough to keep 64 reads in flight.
    static constexpr std::size_t kReadAheadBytes = std::size_t{1} << 20;

    struct Options {
        unsigned mostThreads = 1;  // reading at once, the walker included; 1: as the walker asks
        unsigned cores = 1;        // threads that keep the cores busy
        std::size_t readAheadBytes = kReadAheadBytes;
        ReaderGate::Disk disk = ReaderGate::Disk::Any;
    };

    // Borrows `source` for the walk's life; starts with nothing read.
    ScheduledTreeWalk(DirectorySource& source, std::string drivePath, Options options);
    ~ScheduledTreeWalk() override;
    ScheduledTreeWalk(const ScheduledTreeWalk&) = delete;
    ScheduledTreeWalk& operator=(const ScheduledTreeWalk&) = delete;

    Directory& top() override { return *top_; }
    const Listing& listing(Directory& directory) override MEZU_EXCLUDES(mutex_);
    Directory& subdirectory(Directory& parent, std::size_t index) override;
    void done(Directory& directory) override MEZU_EXCLUDES(mutex_);
    // The drive path of a directory of this walk, for a backend that must reach one of its
    // entries by name.
    std::string drivePath(Directory& directory) const { return pathOf(static_cast<const Node&>(directory)); }

    // For tests: the bytes of listings read and not yet done, and the reader threads started.
    std::size_t bytesAhead() MEZU_EXCLUDES(mutex_);
    std::size_t readersStarted() MEZU_EXCLUDES(mutex_);

private:
    enum class State : unsigned char { Named, Reading, Ready };

    struct Node;
    // The subdirectories of one directory, made together in one block; the directory's, once
    // read.
    struct Children {
        std::unique_ptr<Node[]> block;
        std::size_t count = 0;
        std::span<Node> nodes() const { return {block.get(), count}; }
    };
    // A node's place in one of the walk's lists, which are linked through the nodes, so that
    // putting a directory in one allocates nothing.
    struct ListLink {
        bool in = false;
        Node* before = nullptr;
        Node* after = nullptr;
    };
    // The ends of such a list, running through the link `kLink` of its nodes.
    template <ListLink Node::*kLink>
    struct NodeList {
        Node* first = nullptr;
        Node* last = nullptr;
        // Puts `node` before `place`, or at the end for a null `place`.
        void insertBefore(Node* place, Node& node);
        // The same for the nodes of `chain`, linked in turn through kLink already (chainInTurn).
        void insertBefore(Node* place, std::span<Node> chain);
        // Takes `node` out; the node that was after it, or null.
        Node* remove(Node& node);
    };

    // A directory of the walk. `state` goes Named, Reading, Ready; the thread that reads it
    // sets `listing`, `memory`, `bytes` and `children` before it stores Ready (release), and
    // they do not change until the walker is done with it. The fields marked so are the
    // walk's mutex's; the others are set once, when the node is made.
    //
    // A directory's subdirectories are made together, in one block that it owns: one
    // allocation for each directory read rather than one for each of its subdirectories. A
    // subdirectory the walk has left is released (what it holds is let go) and its place in
    // the block kept until the whole block goes with its parent, which the subdirectories
    // outlive no longer than they did on their own: a parent goes only after its last child.
    struct Node : Directory {
        Node* parent = nullptr;      // null for the top
        std::size_t entryIndex = 0;  // of this subdirectory in its parent's listing
        std::string name;            // the drive name; the drive path for the top
        std::atomic<State> state{State::Named};
        Listing listing;
        std::unique_ptr<char[]> memory;
        std::size_t bytes = 0;
        Children children;          // in the listing's order
        std::size_t nextChild = 0;  // the walker's: where subdirectory() looks first
        // mutex: what its read kept for opening its subdirectories, until none is left to read;
        // they are read with a plain pointer to it, which this keeps valid meanwhile.
        std::shared_ptr<DirectorySource::Opened> opened;
        bool onPath = false;     // the walker's: it has this listing, whose bytes are in pathBytes_
        bool taken = false;      // the walker's: it asked for this one
        bool finished = false;   // mutex: done, or left with a parent that was done
        bool released = false;   // mutex: let go by the walk; its place stays in its parent's block
        ListLink queue;          // mutex: in the list of directories to read
        ListLink waiting;        // mutex: in that of the queued ones not being read
        int liveChildren = 0;    // mutex: children not released yet, which name their parents
        int unreadChildren = 0;  // mutex: children neither read nor released unread
        ListLink everyNode;      // mutex: for freeing what is left at the end
    };

    // Links node `at` of `chain` to its neighbours there, as the chain will lie in the list of
    // every node and, when `queued`, in those of directories to read: a directory's
    // subdirectories then go into each list in one step under the lock, however many they are.
    static void chainInTurn(std::span<Node> chain, std::size_t at, bool queued);

    bool share(SharedTask& task) override MEZU_EXCLUDES(mutex_);
    void unshare(SharedTask& task) override MEZU_EXCLUDES(mutex_);

    // Most directories a thread claims at once.
    static constexpr std::size_t kMostBatch = 16;
    // Reads `node`, which this thread has claimed (Reading), with the mutex let go meanwhile,
    // and publishes what it read.
    void read(Node& node) MEZU_REQUIRES(mutex_);
    // The same for the directories of a batch, published together once read; those a batch
    // leaves unread, once a read waited or its listings hold batchBytes_, go back to wait.
    void read(std::span<Node* const> nodes) MEZU_REQUIRES(mutex_);
    // Makes what a read of `node` gave its own, or drops it when the walk has left `node`.
    void publish(Node& node, DirectorySource::Read& read, Children& children) MEZU_REQUIRES(mutex_);
    // The next directory to read ahead, claimed; null when none is waiting or the read-ahead
    // budget is spent.
    Node* claimNext() MEZU_REQUIRES(mutex_);
    // Claims the next directories to read ahead into `batch`, as many as suit the reads: several
    // while they come from memory, one while they wait. How many it claimed.
    std::size_t claimBatch(std::array<Node*, kMostBatch>& batch) MEZU_REQUIRES(mutex_);
    bool budgetSpent() const MEZU_REQUIRES(mutex_);
    // The walker's: counts `node`'s listing, which it now has, as on its way; the listing.
    const Listing& enterPath(Node& node);
    // Finishes the directories the walker is done with since the last time.
    void finishDone() MEZU_REQUIRES(mutex_);
    // Takes `node` out of the list of directories to read, its subdirectories `children` (if
    // any) in its place.
    void dequeue(Node& node, std::span<Node> children) MEZU_REQUIRES(mutex_);
    // Takes `node` out of the list of directories to read; the node after it, or null.
    Node* unqueue(Node& node) MEZU_REQUIRES(mutex_);
    // The first directory waiting to be read at or after `queued` in the list (null: at its
    // end), or null when none is.
    Node* waitingFrom(Node* queued) MEZU_REQUIRES(mutex_);
    // Marks queued `node` as waiting to be read, before `next`, the first waiting after it.
    void markWaiting(Node& node, Node* next) MEZU_REQUIRES(mutex_);
    // Marks `node` as no longer waiting: claimed, or taken by the walker.
    void unmarkWaiting(Node& node) MEZU_REQUIRES(mutex_);
    void finish(Node& node) MEZU_REQUIRES(mutex_);
    // Releases `node` once nothing needs it, then its parent if that was all that kept it, and
    // so on up. Releasing a node frees its block of subdirectories, all released before it.
    void freeIfUnused(Node* node) MEZU_REQUIRES(mutex_);
    // Counts a child of `parent` as read or released unread; after the last, what the parent's
    // read kept is let go.
    void childLeft(Node& parent) MEZU_REQUIRES(mutex_);
    void startReaders() MEZU_REQUIRES(mutex_);
    void wakeReaders(std::size_t directories) MEZU_REQUIRES(mutex_);
    void readAhead(unsigned rank) MEZU_EXCLUDES(mutex_);
    std::string pathOf(const Node& node) const;

    DirectorySource& source_;
    const std::size_t readAheadBytes_;
    // A batch stops once its listings hold this much: all threads' batches together then add
    // at most half the read-ahead budget, and one listing each, to what they were claimed for.
    const std::size_t batchBytes_;
    const bool readersMayExist_;
    Node* top_ = nullptr;

    Mutex mutex_;
    std::condition_variable workAvailable_;  // readers: something to read or help with, or the end
    std::condition_variable listingReady_;   // the walker: a listing it waits for is ready
    std::condition_variable taskLeft_;       // unshare: no helper works on the task any more
    ReaderGate gate_ MEZU_GUARDED_BY(mutex_);
    // To read, in the order the walker will ask; one being read stays until its subdirectories
    // take its place. Linked through the nodes, so that queueing a directory allocates nothing.
    NodeList<&Node::queue> pending_ MEZU_GUARDED_BY(mutex_);
    // Of them, those not being read, in the same order, so that a claim need not pass the ones
    // in flight.
    NodeList<&Node::waiting> waitingList_ MEZU_GUARDED_BY(mutex_);
    std::size_t waiting_ MEZU_GUARDED_BY(mutex_) = 0;
    std::size_t bytesAhead_ MEZU_GUARDED_BY(mutex_) = 0;
    // Of them, the listings the walker has and has not handed back: the directories it is in,
    // which are no read-ahead and must not hold the readers back (one directory of 20,000
    // subdirectories would spend the whole budget). Written by the walker alone, which takes a
    // listing that is ready without the lock.
    std::atomic<std::size_t> pathBytes_{0};
    // The walker's: directories it is done with, finished a few at a time under one lock, so
    // that the walker takes the lock about once a directory rather than twice.
    std::vector<Node*> doneLater_;
    std::size_t doneLaterBytes_ = 0;
    // What the walk let go of under the mutex, freed once the mutex is let go: a reader's
    // listing goes back to that reader's heap, whose lock the reader may hold just then, and a
    // descriptor's close is a system call; the walker must wait for neither while it holds the
    // walk up. The walker frees it when it next takes the lock; until then a source that runs
    // short can still take back what it kept (the POSIX one's descriptor budget does). Counted
    // out of the read-ahead budget already.
    struct Garbage {
        std::vector<std::unique_ptr<char[]>> listings;
        std::vector<std::unique_ptr<Node[]>> blocks;
        std::vector<std::shared_ptr<DirectorySource::Opened>> opened;  // a descriptor closes with it
        void clear()
        {
            listings.clear();
            blocks.clear();
            opened.clear();
        }
    };
    Garbage garbage_ MEZU_GUARDED_BY(mutex_);
    // The walker's: what it takes out of garbage_ to free, kept so that its room is reused.
    Garbage spareGarbage_;
    // Hands what is to be freed to `spare`, empty, to be freed without the mutex.
    void takeGarbage(Garbage& spare) MEZU_REQUIRES(mutex_);
    NodeList<&Node::everyNode> nodes_ MEZU_GUARDED_BY(mutex_);
    SharedTask* shared_ MEZU_GUARDED_BY(mutex_) = nullptr;
    std::uint64_t sharedSerial_ MEZU_GUARDED_BY(mutex_) = 0;  // counts the tasks shared
    int sharedUsers_ MEZU_GUARDED_BY(mutex_) = 0;
    int idleReaders_ MEZU_GUARDED_BY(mutex_) = 0;
    bool walkerWaiting_ MEZU_GUARDED_BY(mutex_) = false;
    bool budgetHeldBack_ MEZU_GUARDED_BY(mutex_) = false;  // a thread found the budget spent
    bool stopping_ MEZU_GUARDED_BY(mutex_) = false;
    // Set under the mutex; read without it by the walker's way to a listing that is ready.
    std::atomic<bool> outOfMemory_{false};
    std::vector<std::thread> readers_ MEZU_GUARDED_BY(mutex_);
};

}  // namespace mezu
