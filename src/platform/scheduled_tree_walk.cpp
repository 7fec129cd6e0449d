// SPDX-License-Identifier: MIT
#include "platform/scheduled_tree_walk.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <exception>
#include <memory>
#include <new>
#include <system_error>

namespace mezu {
namespace {

// Moves `memory` into `later`, to be freed once the walk's lock is let go; should there be no
// room to keep it there, it is freed now.
template <typename Memory>
void keepForLater(Memory& memory, std::vector<Memory>& later)
{
    if (!memory) {
        return;
    }
    try {
        later.push_back(std::move(memory));
    } catch (const std::bad_alloc&) {
        memory.reset();
    }
}

constexpr char kSeparator = '\\';
// Directories the walker is done with are finished in batches of this many, or once their
// listings hold this many bytes, so that a batch never keeps much memory. While another thread
// holds the walk's lock a batch may grow to twice that rather than the walker wait.
constexpr std::size_t kDoneBatch = 32;
constexpr std::size_t kDoneBatchBytes = std::size_t{64} * 1024;
constexpr std::size_t kDoneBatchGrowth = 2;

// Up to kMost values made in place one after another and destroyed together. A batch of reads is
// mostly far short of its most, and a place never used costs nothing here, where an array of
// optionals made and destroyed every place on every read.
template <typename T, std::size_t kMost>
class MadeInTurn {
public:
    MadeInTurn() = default;
    ~MadeInTurn()
    {
        for (std::size_t i = made_; i > 0; --i) {
            std::destroy_at(&(*this)[i - 1]);
        }
    }
    MadeInTurn(const MadeInTurn&) = delete;
    MadeInTurn& operator=(const MadeInTurn&) = delete;

    T& makeNext()
    {
        T& made = *std::construct_at(place(made_));
        ++made_;
        return made;
    }
    T& operator[](std::size_t i) { return *std::launder(place(i)); }

private:
    T* place(std::size_t i) { return reinterpret_cast<T*>(storage_.data()) + i; }

    alignas(T) std::array<std::byte, kMost * sizeof(T)> storage_;
    std::size_t made_ = 0;
};

}  // namespace

PackedEntries packEntries(std::size_t count, std::size_t nameBytes)
{
    PackedEntries packed;
    packed.bytes = count * sizeof(WalkEntry) + nameBytes;
    packed.memory = std::make_unique_for_overwrite<char[]>(std::max<std::size_t>(packed.bytes, 1));
    packed.entries = reinterpret_cast<WalkEntry*>(packed.memory.get());
    packed.names = packed.memory.get() + count * sizeof(WalkEntry);
    return packed;
}

ScheduledTreeWalk::ScheduledTreeWalk(DirectorySource& source, std::string drivePath, Options options)
    : source_(source),
      readAheadBytes_(options.readAheadBytes),
      batchBytes_(
          std::max<std::size_t>(options.readAheadBytes / (std::size_t{2} * std::max(options.mostThreads, 1U)), 1)),
      readersMayExist_(options.mostThreads > 1),
      gate_(options.mostThreads, options.cores, options.disk)
{
    auto top = std::make_unique<Node>();
    top->name = std::move(drivePath);
    top_ = top.release();
    const MutexLock lock{mutex_};
    nodes_.insertBefore(nodes_.first, *top_);
}

ScheduledTreeWalk::~ScheduledTreeWalk()
{
    std::vector<std::thread> readers;
    {
        const MutexLock lock{mutex_};
        stopping_ = true;
        readers = std::move(readers_);
    }
    workAvailable_.notify_all();
    for (std::thread& reader : readers) {
        reader.join();
    }
    // Blocks are taken out of their owners first, so that freeing one frees no others below it:
    // a chain of 20,000 directories is no chain of 20,000 destructors.
    std::vector<std::unique_ptr<Node[]>> blocks;
    {
        const MutexLock lock{mutex_};
        while (Node* node = nodes_.first) {
            nodes_.remove(*node);
            if (node->children.block) {
                blocks.push_back(std::move(node->children.block));
            }
        }
    }
    blocks.clear();
    delete top_;
}

template <ScheduledTreeWalk::ListLink ScheduledTreeWalk::Node::*kLink>
void ScheduledTreeWalk::NodeList<kLink>::insertBefore(Node* place, Node& node)
{
    Node* const before = place != nullptr ? (place->*kLink).before : last;
    ListLink& link = node.*kLink;
    link = {true, before, place};
    (before != nullptr ? (before->*kLink).after : first) = &node;
    (place != nullptr ? (place->*kLink).before : last) = &node;
}

template <ScheduledTreeWalk::ListLink ScheduledTreeWalk::Node::*kLink>
void ScheduledTreeWalk::NodeList<kLink>::insertBefore(Node* place, std::span<Node> chain)
{
    if (chain.empty()) {
        return;
    }
    Node* const before = place != nullptr ? (place->*kLink).before : last;
    (chain.front().*kLink).before = before;
    (chain.back().*kLink).after = place;
    (before != nullptr ? (before->*kLink).after : first) = &chain.front();
    (place != nullptr ? (place->*kLink).before : last) = &chain.back();
}

void ScheduledTreeWalk::chainInTurn(std::span<Node> chain, std::size_t at, bool queued)
{
    const ListLink link{true, at > 0 ? &chain[at - 1] : nullptr, at + 1 < chain.size() ? &chain[at + 1] : nullptr};
    Node& node = chain[at];
    node.everyNode = link;
    if (queued) {
        node.queue = link;
        node.waiting = link;
    }
}

template <ScheduledTreeWalk::ListLink ScheduledTreeWalk::Node::*kLink>
ScheduledTreeWalk::Node* ScheduledTreeWalk::NodeList<kLink>::remove(Node& node)
{
    ListLink& link = node.*kLink;
    Node* const after = link.after;
    (link.before != nullptr ? (link.before->*kLink).after : first) = after;
    (after != nullptr ? (after->*kLink).before : last) = link.before;
    link = {};
    return after;
}

std::string ScheduledTreeWalk::pathOf(const Node& node) const
{
    // Names never change once a node is made, and a node outlives its children.
    std::vector<const std::string*> names;
    for (const Node* at = &node; at != nullptr; at = at->parent) {
        names.push_back(&at->name);
    }
    std::string path;
    for (auto name = names.rbegin(); name != names.rend(); ++name) {
        if (!path.empty() && path.back() != kSeparator) {
            path += kSeparator;
        }
        path += **name;
    }
    return path;
}

const TreeWalk::Listing& ScheduledTreeWalk::listing(Directory& directory)
{
    Node& node = static_cast<Node&>(directory);
    if (node.onPath) {
        return node.listing;
    }
    if (outOfMemory_.load(std::memory_order_relaxed)) {
        throw std::bad_alloc{};
    }
    if (node.state.load(std::memory_order_acquire) == State::Ready) {
        // Read ahead: nothing to wait for, nor anything to take the lock for.
        return enterPath(node);
    }
    MutexLock lock{mutex_};
    finishDone();
    for (;;) {
        if (outOfMemory_.load(std::memory_order_relaxed)) {
            throw std::bad_alloc{};
        }
        const State state = node.state.load(std::memory_order_relaxed);
        if (state == State::Ready) {
            break;
        }
        if (state == State::Named) {
            node.state.store(State::Reading, std::memory_order_relaxed);
            unmarkWaiting(node);
            read(node);
            continue;
        }
        // Another thread reads it: better read ahead than sleep while the reads come from
        // memory; while they wait for the device, the readers are enough, and the walker must
        // not be stuck in a slow read when what it waits for arrives.
        if (gate_.open() <= gate_.cores()) {
            std::array<Node*, kMostBatch> batch{};
            if (const std::size_t claimed = claimBatch(batch); claimed > 0) {
                read(std::span{batch.data(), claimed});
                continue;
            }
        }
        walkerWaiting_ = true;
        lock.wait(listingReady_);
        walkerWaiting_ = false;
    }
    takeGarbage(spareGarbage_);
    lock.unlock();
    spareGarbage_.clear();
    return enterPath(node);
}

const TreeWalk::Listing& ScheduledTreeWalk::enterPath(Node& node)
{
    node.onPath = true;
    pathBytes_.fetch_add(node.bytes, std::memory_order_relaxed);
    return node.listing;
}

TreeWalk::Directory& ScheduledTreeWalk::subdirectory(Directory& parent, std::size_t index)
{
    Node& node = static_cast<Node&>(parent);
    // The walker asks in the listing's order: the search goes on where the last one stopped.
    const std::span<Node> children = node.children.nodes();
    const auto isEntry = [index](const Node& child) { return child.entryIndex == index; };
    const auto from = children.begin() + static_cast<std::ptrdiff_t>(std::min(node.nextChild, children.size()));
    auto found = std::find_if(from, children.end(), isEntry);
    if (found == children.end()) {
        found = std::find_if(children.begin(), from, isEntry);
        if (found == from) {
            throw std::out_of_range("tree walk: entry " + std::to_string(index) + " is no subdirectory");
        }
    }
    node.nextChild = static_cast<std::size_t>(found - children.begin()) + 1;
    found->taken = true;
    return *found;
}

bool ScheduledTreeWalk::budgetSpent() const
{
    // The walker may have taken listings since it last held the lock, never more than were read.
    const std::size_t onPath = std::min(pathBytes_.load(std::memory_order_relaxed), bytesAhead_);
    return bytesAhead_ - onPath >= readAheadBytes_;
}

void ScheduledTreeWalk::done(Directory& directory)
{
    Node& node = static_cast<Node&>(directory);
    doneLater_.push_back(&node);
    doneLaterBytes_ += node.bytes;
    if (doneLater_.size() < kDoneBatch && doneLaterBytes_ < kDoneBatchBytes) {
        return;
    }
    // A reader publishing its reads holds the lock for a moment: the walker goes on walking
    // meanwhile, and waits only for a batch grown to its most.
    if (doneLater_.size() >= kDoneBatch * kDoneBatchGrowth || doneLaterBytes_ >= kDoneBatchBytes * kDoneBatchGrowth) {
        mutex_.lock();
    } else if (!mutex_.tryLock()) {
        return;
    }
    finishDone();
    takeGarbage(spareGarbage_);
    mutex_.unlock();
    spareGarbage_.clear();
}

void ScheduledTreeWalk::takeGarbage(Garbage& spare)
{
    std::swap(garbage_, spare);
}

void ScheduledTreeWalk::finishDone()
{
    for (Node* node : doneLater_) {
        if (node->onPath) {
            pathBytes_.fetch_sub(node->bytes, std::memory_order_relaxed);
        }
        finish(*node);
    }
    doneLater_.clear();
    doneLaterBytes_ = 0;
    // What the walker took and handed back since it last held the lock may have freed the budget.
    if (budgetHeldBack_ && !budgetSpent()) {
        budgetHeldBack_ = false;
        wakeReaders(waiting_);
    }
}

void ScheduledTreeWalk::finish(Node& node)
{
    // Marked finished only after its children: freeing one must not free it under this loop.
    if (node.state.load(std::memory_order_relaxed) == State::Ready) {
        bytesAhead_ -= node.bytes;
        node.bytes = 0;
        node.listing = {};
        keepForLater(node.memory, garbage_.listings);
        // Subdirectories the walker did not take are no part of the walk any more, nor is
        // what was read of them.
        for (Node& child : node.children.nodes()) {
            if (!child.released && !child.taken && !child.finished) {
                finish(child);
            }
        }
    }
    node.finished = true;
    freeIfUnused(&node);
}

void ScheduledTreeWalk::freeIfUnused(Node* node)
{
    while (node != nullptr && !node->released && node->finished && !node->queue.in && node->liveChildren == 0 &&
           node->state.load(std::memory_order_relaxed) != State::Reading && node != top_) {
        Node* parent = node->parent;
        if (node->state.load(std::memory_order_relaxed) == State::Named) {
            childLeft(*parent);
        }
        nodes_.remove(*node);
        node->released = true;
        node->name = {};
        keepForLater(node->children.block, garbage_.blocks);
        node->children = {};
        --parent->liveChildren;
        node = parent;
    }
}

void ScheduledTreeWalk::childLeft(Node& parent)
{
    if (--parent.unreadChildren == 0) {
        keepForLater(parent.opened, garbage_.opened);
    }
}

ScheduledTreeWalk::Node* ScheduledTreeWalk::claimNext()
{
    if (waiting_ == 0) {
        return nullptr;
    }
    if (budgetSpent()) {
        budgetHeldBack_ = true;
        return nullptr;
    }
    while (Node* node = waitingList_.first) {
        unmarkWaiting(*node);
        if (node->finished) {
            // Left with a parent that was done: no part of the walk any more.
            unqueue(*node);
            freeIfUnused(node);
            continue;
        }
        node->state.store(State::Reading, std::memory_order_relaxed);
        return node;
    }
    return nullptr;
}

void ScheduledTreeWalk::dequeue(Node& node, std::span<Node> children)
{
    Node* const place = node.queue.in ? node.queue.after : pending_.first;
    if (readersMayExist_ && !children.empty()) {
        // The children come chained in turn (see read()).
        pending_.insertBefore(place, children);
        waitingList_.insertBefore(waitingFrom(place), children);
        waiting_ += children.size();
    }
    if (node.queue.in) {
        unqueue(node);
    }
}

ScheduledTreeWalk::Node* ScheduledTreeWalk::unqueue(Node& node)
{
    unmarkWaiting(node);
    return pending_.remove(node);
}

ScheduledTreeWalk::Node* ScheduledTreeWalk::waitingFrom(Node* queued)
{
    // Passes only directories being read: at most a batch for each thread.
    while (queued != nullptr && !queued->waiting.in) {
        queued = queued->queue.after;
    }
    return queued;
}

void ScheduledTreeWalk::markWaiting(Node& node, Node* next)
{
    waitingList_.insertBefore(next, node);
    ++waiting_;
}

void ScheduledTreeWalk::unmarkWaiting(Node& node)
{
    if (node.waiting.in) {
        waitingList_.remove(node);
        --waiting_;
    }
}

void ScheduledTreeWalk::read(Node& node)
{
    Node* const nodes[] = {&node};
    read(nodes);
}

std::size_t ScheduledTreeWalk::claimBatch(std::array<Node*, kMostBatch>& batch)
{
    // While reads come from memory the threads only take turns on the cores, and a few
    // directories a turn take the lock a few times less; while they wait, each thread keeps
    // one read in flight. Past half the read-ahead budget, one at a time too: what the
    // threads' batches add to it then stays within the other half (see batchBytes_).
    const std::size_t onPath = std::min(pathBytes_.load(std::memory_order_relaxed), bytesAhead_);
    const bool roomForBatches = bytesAhead_ - onPath < readAheadBytes_ / 2;
    const std::size_t most = gate_.open() <= gate_.cores() && roomForBatches ? kMostBatch : 1;
    std::size_t claimed = 0;
    while (claimed < most) {
        Node* node = claimNext();
        if (node == nullptr) {
            break;
        }
        batch[claimed++] = node;
    }
    return claimed;
}

void ScheduledTreeWalk::read(std::span<Node* const> nodes)
{
    // What each read gave, published together once the lock is taken again.
    struct Result {
        DirectorySource::Read read;
        Children children;
        std::chrono::nanoseconds took{};
        bool failed = false;
    };
    // Made as the reads are: each result holds a listing and a string to make and to destroy.
    MadeInTurn<Result, kMostBatch> results;
    // What each parent's read kept, which stays while a child of it is unread.
    std::array<const DirectorySource::Opened*, kMostBatch> parents{};
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        parents[i] = nodes[i]->parent != nullptr ? nodes[i]->parent->opened.get() : nullptr;
    }
    // Read without the mutex, which the caller's lock holds again when this returns or throws
    // (clang's analysis cannot follow a lock handed in by reference, so the mutex itself is let go).
    mutex_.unlock();
    std::size_t read = 0;
    std::size_t batchBytes = 0;
    bool outOfMemory = false;
    std::exception_ptr failure;
    bool waited = false;
    // Each read is timed from the end of the one before: one look at the clock a read.
    auto started = std::chrono::steady_clock::now();
    // A read that waited ends the batch, so that the gate hears of it at once and lets more
    // threads in.
    for (; read < nodes.size() && !outOfMemory && !waited && batchBytes < batchBytes_; ++read) {
        Node& node = *nodes[read];
        Result& result = results.makeNext();
        const DirectorySource::Request request{parents[read], node.parent != nullptr ? node.name : std::string_view{},
                                               [this, &node] { return pathOf(node); }};
        try {
            result.read = source_.read(request, *this);
            // The subdirectories are made outside the lock; they are linked in under it.
            const std::span<const WalkEntry> entries = result.read.listing.entries;
            const auto subdirectories =
                static_cast<std::size_t>(std::count_if(entries.begin(), entries.end(), [](const WalkEntry& entry) {
                    return isDirectory(entry.figures.attributes);
                }));
            if (subdirectories > 0) {
                Children& children = result.children;
                children.block = std::make_unique<Node[]>(subdirectories);
                const std::span<Node> block{children.block.get(), subdirectories};
                for (std::size_t i = 0; i < entries.size(); ++i) {
                    if (isDirectory(entries[i].figures.attributes)) {
                        Node& child = block[children.count];
                        child.parent = &node;
                        child.entryIndex = i;
                        child.name = entries[i].name;
                        chainInTurn(block, children.count++, readersMayExist_);
                    }
                }
            }
            result.read.bytes += subdirectories * sizeof(Node);
        } catch (const std::bad_alloc&) {
            result.failed = true;
            outOfMemory = true;
            result.children = {};
        } catch (...) {
            result.children = {};
            failure = std::current_exception();
            break;
        }
        const auto ended = std::chrono::steady_clock::now();
        result.took = ended - started;
        started = ended;
        batchBytes += result.read.bytes;
        waited = ReaderGate::waited(result.took, result.read.listing.entries.size());
        if (result.children.count == 0) {
            // Nothing to open below it: its descriptor closes here, outside the lock.
            result.read.opened.reset();
        }
    }
    mutex_.lock();
    for (std::size_t i = 0; i < read; ++i) {
        Result& result = results[i];
        if (gate_.noteRead(result.took, result.read.listing.entries.size())) {
            startReaders();
            workAvailable_.notify_all();
        }
        if (result.failed) {
            // The node stays Reading, as do the ones after it: the walk is over, and the
            // walker's next call says so.
            outOfMemory_.store(true, std::memory_order_relaxed);
            listingReady_.notify_all();
            workAvailable_.notify_all();
            return;
        }
        if (Node* parent = nodes[i]->parent) {
            childLeft(*parent);
        }
        publish(*nodes[i], result.read, result.children);
    }
    // The directory that failed stays Reading; those of the batch not read wait to be read again.
    const std::size_t unread = failure ? read + 1 : read;
    for (std::size_t i = unread; i < nodes.size(); ++i) {
        nodes[i]->state.store(State::Named, std::memory_order_relaxed);
        markWaiting(*nodes[i], waitingFrom(nodes[i]->queue.after));
    }
    if (unread < nodes.size()) {
        wakeReaders(nodes.size() - unread);
    }
    if (failure) {
        std::rethrow_exception(failure);
    }
}

void ScheduledTreeWalk::publish(Node& node, DirectorySource::Read& read, Children& children)
{
    if (node.finished) {
        // Left while it was read: nothing of it is kept.
        children = {};
        keepForLater(read.opened, garbage_.opened);
        dequeue(node, {});
        node.state.store(State::Ready, std::memory_order_relaxed);
        freeIfUnused(&node);
        return;
    }
    nodes_.insertBefore(nodes_.first, children.nodes());
    node.liveChildren += static_cast<int>(children.count);
    node.unreadChildren = static_cast<int>(children.count);
    node.opened = std::move(read.opened);
    dequeue(node, children.nodes());
    node.children = std::move(children);
    node.listing = std::move(read.listing);
    node.memory = std::move(read.memory);
    node.bytes = read.bytes;
    bytesAhead_ += node.bytes;
    node.state.store(State::Ready, std::memory_order_release);
    if (walkerWaiting_) {
        listingReady_.notify_one();
    }
    if (node.children.count > 0 && readersMayExist_) {
        startReaders();
        wakeReaders(node.children.count);
    }
}

void ScheduledTreeWalk::wakeReaders(std::size_t directories)
{
    // As many as there is work for: waking all of them for each directory would only have them
    // take turns at the lock.
    for (std::size_t woken = 0; woken < directories && woken < static_cast<std::size_t>(idleReaders_); ++woken) {
        workAvailable_.notify_one();
    }
}

void ScheduledTreeWalk::startReaders()
{
    // Readers ranked 1 to open() - 1 may read; each is started the first time it may.
    while (readers_.size() + 1 < gate_.open() && !stopping_) {
        const auto rank = static_cast<unsigned>(readers_.size() + 1);
        try {
            readers_.emplace_back([this, rank] { readAhead(rank); });
        } catch (const std::system_error&) {
            return;  // the system will not start another thread: the walk reads with those it has
        }
    }
}

void ScheduledTreeWalk::readAhead(unsigned rank)
{
    MutexLock lock{mutex_};
    std::uint64_t helped = 0;  // the serial of the last task this thread helped with
    while (!stopping_) {
        const bool admitted = rank < gate_.open() && !outOfMemory_.load(std::memory_order_relaxed);
        if (admitted && shared_ != nullptr && sharedSerial_ != helped) {
            SharedTask* task = shared_;
            helped = sharedSerial_;
            ++sharedUsers_;
            lock.unlock();
            try {
                task->takePart();
            } catch (const std::bad_alloc&) {
                // The task's owner finishes what is left.
            }
            lock.lock();
            if (--sharedUsers_ == 0) {
                taskLeft_.notify_all();
            }
            continue;
        }
        if (admitted) {
            std::array<Node*, kMostBatch> batch{};
            if (const std::size_t claimed = claimBatch(batch); claimed > 0) {
                try {
                    read(std::span{batch.data(), claimed});
                } catch (const std::bad_alloc&) {
                    outOfMemory_.store(true, std::memory_order_relaxed);
                    listingReady_.notify_all();
                }
                continue;
            }
        }
        ++idleReaders_;
        lock.wait(workAvailable_);
        --idleReaders_;
    }
}

bool ScheduledTreeWalk::share(SharedTask& task)
{
    {
        const MutexLock lock{mutex_};
        if (shared_ != nullptr || readers_.empty()) {
            return false;
        }
        shared_ = &task;
        ++sharedSerial_;
    }
    workAvailable_.notify_all();
    return true;
}

void ScheduledTreeWalk::unshare(SharedTask& task)
{
    MutexLock lock{mutex_};
    if (shared_ == &task) {
        shared_ = nullptr;
    }
    while (sharedUsers_ > 0) {
        lock.wait(taskLeft_);
    }
}

std::size_t ScheduledTreeWalk::bytesAhead()
{
    const MutexLock lock{mutex_};
    finishDone();
    return bytesAhead_;
}

std::size_t ScheduledTreeWalk::readersStarted()
{
    const MutexLock lock{mutex_};
    return readers_.size();
}

}  // namespace mezu
