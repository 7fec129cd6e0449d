#include "platform/posix/listing_cache.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>

#include "platform/posix/posix_attributes.h"

namespace mezu::posix {
namespace {

constexpr int kReadFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
constexpr int kPathFlags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
// Parents kept open for their unread subdirectories; past this, subdirectories are opened by
// path, so that no tree can exhaust the descriptor limit.
constexpr int kMostHeldParents = 256;
constexpr char kSeparator = '\\';
constexpr char kDriveNameSeparator = '/';
constexpr FileAttributes kNotWalked = kAttrHidden | kAttrSystem;

}  // namespace

ListingCache::ListingCache(unsigned readerThreads, PathOpener openByPath)
    : openByPath_(std::move(openByPath))
{
    for (unsigned i = 0; i <= readerThreads; ++i) {
        workers_.push_back(std::make_unique<Worker>());
    }
    for (unsigned i = 1; i <= readerThreads; ++i) {
        readers_.emplace_back([this, i] { readAhead(*workers_[i]); });
    }
}

ListingCache::~ListingCache()
{
    {
        const std::lock_guard<AdaptiveMutex> lock{mutex_};
        stopping_ = true;
    }
    workAvailable_.notify_all();
    for (std::thread& reader : readers_) {
        reader.join();
    }
}

const DirectoryListing* ListingCache::get(const std::string& drivePath)
{
    if (const Known known = findKnown(drivePath); known.listing != nullptr) {
        followTrail(known.key, known.listing);
        return known.listing;
    }
    Worker& owner = *workers_.front();
    std::unique_lock<AdaptiveMutex> lock{mutex_};
    auto found = slots_.find(drivePath);
    if (found == slots_.end()) {
        found = slots_.try_emplace(storeKey(drivePath, {})).first;
    }
    Slot& slot = found->second;
    if (slot.state == State::Named) {
        slot.state = State::Reading;
        const DirectoryListing* listing = read(*found, owner, lock);
        remember(found->first, listing);
        return listing;
    }
    while (slot.state != State::Ready) {
        if (SlotEntry* pending = claimPending(owner)) {
            read(*pending, owner, lock);
            continue;
        }
        ownerWaiting_ = true;
        listingReady_.wait(lock);
        ownerWaiting_ = false;
    }
    remember(found->first, slot.listing);
    return slot.listing;
}

ListingCache::Known ListingCache::findKnown(std::string_view drivePath) const
{
    // A walk returning to a directory it came through needs no lookup.
    for (auto step = trail_.rbegin(); step != trail_.rend(); ++step) {
        if (step->first == drivePath.size() && lastPath_.substr(0, step->first) == drivePath) {
            return {step->second, lastPath_.substr(0, step->first)};
        }
    }
    const auto known = ownerKnown_.find(drivePath);
    return known == ownerKnown_.end() ? Known{} : Known{known->second, known->first};
}

void ListingCache::remember(std::string_view key, const DirectoryListing* listing)
{
    followTrail(key, listing);
    if (listing != nullptr) {
        ownerKnown_.emplace(key, listing);
    }
}

void ListingCache::followTrail(std::string_view key, const DirectoryListing* listing)
{
    // Keep the steps that lie on the way to this path, then add it.
    const auto onTheWay = [&](std::size_t length) {
        return length <= key.size() && lastPath_.substr(0, length) == key.substr(0, length) &&
               (length == key.size() || key[length] == kSeparator || key[length - 1] == kSeparator);
    };
    while (!trail_.empty() && !onTheWay(trail_.back().first)) {
        trail_.pop_back();
    }
    if (trail_.empty() || trail_.back().first != key.size()) {
        trail_.emplace_back(key.size(), listing);
    }
    lastPath_ = key;
}

std::string_view ListingCache::storeKey(std::string_view parent, std::string_view name)
{
    const bool separated = name.empty() || (!parent.empty() && parent.back() == kSeparator);
    const std::size_t size = parent.size() + (separated ? 0 : 1) + name.size();
    char* key = static_cast<char*>(slotMemory_.allocate(size, 1));
    char* end = std::copy(parent.begin(), parent.end(), key);
    if (!separated) {
        *end++ = kSeparator;
    }
    std::copy(name.begin(), name.end(), end);
    return {key, size};
}

ListingCache::SlotEntry* ListingCache::claimPending(Worker& self)
{
    if (SlotEntry* entry = popNamed(self.pending, true)) {
        return entry;
    }
    for (const std::unique_ptr<Worker>& other : workers_) {
        if (other.get() != &self) {
            if (SlotEntry* entry = popNamed(other->pending, false)) {
                return entry;
            }
        }
    }
    return nullptr;
}

ListingCache::SlotEntry* ListingCache::popNamed(std::deque<SlotEntry*>& pending, bool newest)
{
    // Entries the owner has read in the meantime are dropped on the way.
    while (!pending.empty()) {
        SlotEntry* entry = newest ? pending.back() : pending.front();
        if (newest) {
            pending.pop_back();
        } else {
            pending.pop_front();
        }
        --pendingCount_;
        if (entry->second.state == State::Named) {
            entry->second.state = State::Reading;
            return entry;
        }
    }
    return nullptr;
}

const DirectoryListing* ListingCache::read(SlotEntry& entry, Worker& self,
                                           std::unique_lock<AdaptiveMutex>& lock)
{
    Slot& slot = entry.second;
    const std::shared_ptr<OpenParent> parent = std::move(slot.parent);
    std::string converted;
    const char* hostName = slot.name.data();
    if (parent && slot.name.find(kDriveNameSeparator) != std::string_view::npos) {
        converted = toHostName(std::string{slot.name});
        hostName = converted.c_str();
    }
    lock.unlock();

    UniqueFd fd = parent ? UniqueFd{::openat(parent->fd.get(), hostName, kReadFlags)} : UniqueFd{};
    const DirectoryListing* listing = nullptr;
    if (!fd.valid()) {
        UniqueFd opened = parent ? UniqueFd{::openat(parent->fd.get(), hostName, kPathFlags)}
                                 : openByPath_(std::string{entry.first});
        if (opened.valid() && !parent) {
            // Opened by path: read it if it can be read, else it is a directory without entries.
            fd = UniqueFd{::openat(opened.get(), ".", kReadFlags & ~O_NOFOLLOW)};
        }
        if (!fd.valid() && opened.valid()) {
            listing = self.reader.unreadable();
        }
    }
    if (fd.valid()) {
        listing = self.reader.read(fd.get(), parent ? std::optional{parent->device} : std::nullopt,
                                   readers_.empty() ? nullptr : this);
    }

    std::shared_ptr<OpenParent> held;
    if (listing && fd.valid() && heldParents_.load() < kMostHeldParents) {
        held = std::make_shared<OpenParent>(std::move(fd), listing->device, heldParents_);
    }
    lock.lock();
    slot.listing = listing;
    slot.state = State::Ready;
    if (listing) {
        nameSubdirectories(entry.first, *listing, std::move(held), self);
    }
    if (ownerWaiting_) {
        listingReady_.notify_one();
    }
    return listing;
}

void ListingCache::nameSubdirectories(std::string_view key, const DirectoryListing& listing,
                                      std::shared_ptr<OpenParent> parent, Worker& self)
{
    // Pushed last to first, so that the first subdirectory is read first, as the walk wants it.
    for (std::size_t i = listing.count; i-- > 0;) {
        const FileAttributes attributes = listing.attributes(i);
        if (!isDirectory(attributes) || (attributes & kNotWalked) != 0) {
            continue;
        }
        auto [found, inserted] = slots_.try_emplace(storeKey(key, listing.name(i)));
        if (!inserted) {
            continue;
        }
        found->second.parent = parent;
        found->second.name = listing.name(i);
        if (!readers_.empty()) {
            self.pending.push_back(&*found);
            ++pendingCount_;
        }
    }
    if (idleReaders_ > 0 && pendingCount_ > 0) {
        workAvailable_.notify_all();
    }
}

void ListingCache::readAhead(Worker& self)
{
    std::unique_lock<AdaptiveMutex> lock{mutex_};
    for (;;) {
        ++idleReaders_;
        workAvailable_.wait(lock, [this] { return stopping_ || shared_ != nullptr || pendingCount_ > 0; });
        --idleReaders_;
        if (stopping_) {
            return;
        }
        if (EntryExamination* examination = shared_) {
            ++sharedUsers_;
            lock.unlock();
            examination->takePart();
            lock.lock();
            if (--sharedUsers_ == 0) {
                examinationLeft_.notify_all();
            }
            continue;
        }
        if (SlotEntry* entry = claimPending(self)) {
            read(*entry, self, lock);
        }
    }
}

bool ListingCache::share(EntryExamination& examination)
{
    {
        const std::lock_guard<AdaptiveMutex> lock{mutex_};
        if (shared_ != nullptr) {
            return false;
        }
        shared_ = &examination;
    }
    workAvailable_.notify_all();
    return true;
}

void ListingCache::unshare(EntryExamination& examination)
{
    std::unique_lock<AdaptiveMutex> lock{mutex_};
    if (shared_ == &examination) {
        shared_ = nullptr;
    }
    examinationLeft_.wait(lock, [this] { return sharedUsers_ == 0; });
}

}  // namespace mezu::posix
