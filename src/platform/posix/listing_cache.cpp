#include "platform/posix/listing_cache.h"

#include <fcntl.h>

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
constexpr FileAttributes kNotWalked = kAttrHidden | kAttrSystem;

std::string childKey(const std::string& parent, std::string_view name)
{
    std::string key = parent;
    if (key.empty() || key.back() != kSeparator) {
        key += kSeparator;
    }
    key += name;
    return key;
}

}  // namespace

ListingCache::ListingCache(unsigned readerThreads, PathOpener openByPath)
    : openByPath_(std::move(openByPath))
{
    for (unsigned i = 0; i < readerThreads; ++i) {
        readers_.emplace_back([this] { readAhead(); });
    }
}

ListingCache::~ListingCache()
{
    {
        const std::lock_guard<std::mutex> lock{mutex_};
        stopping_ = true;
    }
    workAvailable_.notify_all();
    for (std::thread& reader : readers_) {
        reader.join();
    }
}

std::shared_ptr<const DirectoryListing> ListingCache::get(const std::string& drivePath)
{
    std::unique_lock<std::mutex> lock{mutex_};
    auto [found, inserted] = slots_.try_emplace(drivePath);
    Slot& slot = found->second;
    if (inserted || slot.state == State::Named) {
        slot.state = State::Reading;
        return read(drivePath, slot, lock);
    }
    while (slot.state != State::Ready) {
        std::string other;
        if (Slot* pending = claimPending(other, true)) {
            read(other, *pending, lock);
            continue;
        }
        ownerWaiting_ = true;
        listingReady_.wait(lock);
        ownerWaiting_ = false;
    }
    return slot.listing;
}

ListingCache::Slot* ListingCache::claimPending(std::string& key, bool newest)
{
    while (!pending_.empty()) {
        if (newest) {
            key = std::move(pending_.back());
            pending_.pop_back();
        } else {
            key = std::move(pending_.front());
            pending_.pop_front();
        }
        const auto found = slots_.find(key);
        if (found != slots_.end() && found->second.state == State::Named) {
            found->second.state = State::Reading;
            return &found->second;
        }
    }
    return nullptr;
}

std::shared_ptr<const DirectoryListing> ListingCache::read(const std::string& key, Slot& slot,
                                                           std::unique_lock<std::mutex>& lock)
{
    const std::shared_ptr<OpenParent> parent = std::move(slot.parent);
    const std::string hostName = std::move(slot.hostName);
    lock.unlock();

    UniqueFd fd = parent ? UniqueFd{::openat(parent->fd.get(), hostName.c_str(), kReadFlags)}
                         : UniqueFd{};
    std::shared_ptr<DirectoryListing> listing;
    if (!fd.valid()) {
        UniqueFd opened = parent ? UniqueFd{::openat(parent->fd.get(), hostName.c_str(), kPathFlags)}
                                 : openByPath_(key);
        if (opened.valid() && !parent) {
            // Opened by path: read it if it can be read, else it is a directory without entries.
            fd = UniqueFd{::openat(opened.get(), ".", kReadFlags & ~O_NOFOLLOW)};
        }
        if (!fd.valid() && opened.valid()) {
            listing = std::make_shared<DirectoryListing>();
        }
    }
    if (fd.valid()) {
        listing = std::make_shared<DirectoryListing>(readListing(fd.get()));
    }

    std::shared_ptr<OpenParent> held;
    if (listing && fd.valid() && heldParents_.load() < kMostHeldParents) {
        held = std::make_shared<OpenParent>(std::move(fd), heldParents_);
    }
    lock.lock();
    slot.listing = listing;
    slot.state = State::Ready;
    if (listing) {
        nameSubdirectories(key, *listing, std::move(held));
    }
    if (ownerWaiting_) {
        listingReady_.notify_one();
    }
    return listing;
}

void ListingCache::nameSubdirectories(const std::string& key, const DirectoryListing& listing,
                                      std::shared_ptr<OpenParent> parent)
{
    // Pushed last to first, so that the first subdirectory is read first, as the walk wants it.
    for (std::size_t i = listing.entries.size(); i-- > 0;) {
        const DirectoryListing::Entry& entry = listing.entries[i];
        if (!isDirectory(entry.attributes) || (entry.attributes & kNotWalked) != 0) {
            continue;
        }
        std::string child = childKey(key, listing.name(i));
        auto [found, inserted] = slots_.try_emplace(child);
        if (!inserted) {
            continue;
        }
        found->second.parent = parent;
        found->second.hostName = toHostName(std::string{listing.name(i)});
        if (!readers_.empty()) {
            pending_.push_back(std::move(child));
        }
    }
    if (idleReaders_ > 0 && !pending_.empty()) {
        workAvailable_.notify_all();
    }
}

void ListingCache::readAhead()
{
    std::unique_lock<std::mutex> lock{mutex_};
    for (;;) {
        ++idleReaders_;
        workAvailable_.wait(lock, [this] { return stopping_ || !pending_.empty(); });
        --idleReaders_;
        if (stopping_) {
            return;
        }
        std::string key;
        if (Slot* slot = claimPending(key, false)) {
            read(key, *slot, lock);
        }
    }
}

}  // namespace mezu::posix
