#include "platform/posix/listing_cache.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <system_error>

#include "platform/posix/posix_attributes.h"

namespace mezu::posix {
namespace {

constexpr int kReadFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
constexpr int kPathFlags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
constexpr char kSeparator = '\\';
constexpr char kDriveNameSeparator = '/';
constexpr FileAttributes kNotWalked = kAttrHidden | kAttrSystem;

// The process or the system has no descriptor (or kernel memory) left for another open; the
// directory itself is not at fault.
bool isShortOfDescriptors(int error)
{
    return error == EMFILE || error == ENFILE || error == ENOMEM;
}

}  // namespace

ListingCache::ListingCache(unsigned readerThreads, PathOpener openByPath, int mostHeldParents)
    : openByPath_(std::move(openByPath)), mostHeldParents_(mostHeldParents)
{
    for (unsigned i = 0; i <= readerThreads; ++i) {
        workers_.push_back(std::make_unique<Worker>());
    }
    for (unsigned i = 1; i <= readerThreads; ++i) {
        try {
            readers_.emplace_back([this, i] { readAhead(*workers_[i]); });
        } catch (const std::system_error&) {
            // The system will not start another thread: the command reads with those it has.
            break;
        }
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
    if (const std::optional<const DirectoryListing*> listing = followTrail(drivePath)) {
        return *listing;
    }
    SlotEntry* entry = nullptr;
    {
        const std::lock_guard<AdaptiveMutex> lock{mutex_};
        const auto found = slots_.find(drivePath);
        entry = found != slots_.end() ? &*found : &*slots_.try_emplace(storeKey(drivePath, {})).first;
    }
    const DirectoryListing* listing = listingFor(*entry);
    trail_.assign(1, Step{entry, listing});
    return listing;
}

std::optional<const DirectoryListing*> ListingCache::followTrail(std::string_view drivePath)
{
    // The deepest step that is this directory or one of its ancestors.
    const auto leadsTo = [&](const Step& step) {
        const std::string_view path = step.slot->first;
        return drivePath.substr(0, path.size()) == path &&
               (path.size() == drivePath.size() || drivePath[path.size()] == kSeparator ||
                path.back() == kSeparator);
    };
    std::size_t depth = trail_.size();
    while (depth > 0 && !leadsTo(trail_[depth - 1])) {
        --depth;
    }
    if (depth == 0) {
        return std::nullopt;
    }
    trail_.resize(depth);

    std::size_t position = trail_.back().slot->first.size();
    while (position < drivePath.size()) {
        if (drivePath[position] == kSeparator) {
            ++position;
        }
        const std::size_t end = std::min(drivePath.find(kSeparator, position), drivePath.size());
        Step& parent = trail_.back();
        const Slot& parentSlot = parent.slot->second;
        if (parent.listing == nullptr || parentSlot.children == nullptr) {
            return std::nullopt;
        }
        const std::size_t index = parent.listing->find(drivePath.substr(position, end - position), parent.nextChild);
        SlotEntry* child = index == DirectoryListing::kNotFound ? nullptr : parentSlot.children[index];
        if (child == nullptr) {
            return std::nullopt;
        }
        parent.nextChild = index + 1;
        trail_.push_back(Step{child, listingFor(*child)});
        position = end;
    }
    return trail_.back().listing;
}

const DirectoryListing* ListingCache::listingFor(SlotEntry& entry)
{
    if (entry.second.state.load(std::memory_order_acquire) == State::Ready) {
        return entry.second.listing;
    }
    std::unique_lock<AdaptiveMutex> lock{mutex_};
    Worker& owner = *workers_.front();
    Slot& slot = entry.second;
    if (slot.state.load(std::memory_order_relaxed) == State::Named) {
        slot.state.store(State::Reading, std::memory_order_relaxed);
        return read(entry, owner, lock);
    }
    while (slot.state.load(std::memory_order_relaxed) != State::Ready) {
        if (slot.state.load(std::memory_order_relaxed) == State::Named) {
            // A reader gave it back for want of descriptors.
            slot.state.store(State::Reading, std::memory_order_relaxed);
            read(entry, owner, lock);
            continue;
        }
        if (SlotEntry* pending = claimPending(owner)) {
            read(*pending, owner, lock);
            continue;
        }
        ownerWaiting_ = true;
        listingReady_.wait(lock);
        ownerWaiting_ = false;
    }
    return slot.listing;
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
        if (entry->second.state.load(std::memory_order_relaxed) == State::Named) {
            entry->second.state.store(State::Reading, std::memory_order_relaxed);
            return entry;
        }
    }
    return nullptr;
}

const DirectoryListing* ListingCache::read(SlotEntry& entry, Worker& self,
                                           std::unique_lock<AdaptiveMutex>& lock)
{
    Slot& slot = entry.second;
    const bool owner = &self == workers_.front().get();
    Opening opening;
    for (;;) {
        std::shared_ptr<OpenParent> parent = slot.parent;
        if (parent && !parent->fd.valid()) {
            parent.reset();
        }
        if (parent) {
            ++parent->users;
        }
        readingReaders_ += owner ? 0 : 1;
        lock.unlock();
        opening = open(entry, parent.get());
        lock.lock();
        if (parent && --parent->users == 0 && parent->release) {
            parent->close();
        }
        if (!isShortOfDescriptors(opening.error)) {
            break;
        }
        if (!owner) {
            // Fewer readers: this one stops, and the directory waits for another thread.
            --readingReaders_;
            self.parked = true;
            slot.state.store(State::Named, std::memory_order_relaxed);
            self.pending.push_back(&entry);
            ++pendingCount_;
            listingReady_.notify_all();
            if (idleReaders_ > 0) {
                workAvailable_.notify_all();
            }
            return nullptr;
        }
        if (!freeDescriptors(lock)) {
            break;  // nothing left to free: the directory is reported as not opened
        }
    }
    const std::shared_ptr<OpenParent> parent = std::move(slot.parent);
    lock.unlock();

    const DirectoryListing* listing =
        opening.fd.valid()
            ? self.reader.read(opening.fd.get(), parent ? std::optional{parent->device} : std::nullopt,
                               readers_.empty() ? nullptr : this)
            : self.reader.failed(opening.opened, opening.error);

    lock.lock();
    std::shared_ptr<OpenParent> held;
    if (listing->readable && heldParents_.load() < mostHeldParents_) {
        held = std::make_shared<OpenParent>(std::move(opening.fd), listing->device, heldParents_);
        if (openParents_.size() >= 2 * static_cast<std::size_t>(mostHeldParents_)) {
            std::erase_if(openParents_, [](const std::weak_ptr<OpenParent>& open) { return open.expired(); });
        }
        openParents_.push_back(held);
    }
    if (listing->readable) {
        slot.children = nameSubdirectories(entry.first, *listing, std::move(held), self);
    }
    slot.listing = listing;
    slot.state.store(State::Ready, std::memory_order_release);
    readingReaders_ -= owner ? 0 : 1;
    if (ownerWaiting_) {
        listingReady_.notify_all();
    }
    return listing;
}

ListingCache::Opening ListingCache::open(const SlotEntry& entry, const OpenParent* parent) const
{
    Opening opening;
    if (parent) {
        const Slot& slot = entry.second;
        std::string converted;
        const char* hostName = slot.name.data();
        if (slot.name.find(kDriveNameSeparator) != std::string_view::npos) {
            converted = toHostName(std::string{slot.name});
            hostName = converted.c_str();
        }
        opening.fd = UniqueFd{::openat(parent->fd.get(), hostName, kReadFlags)};
        if (opening.fd.valid()) {
            opening.opened = true;
            return opening;
        }
        opening.error = errno;
        if (isShortOfDescriptors(opening.error)) {
            return opening;
        }
        // Whether it can be opened at all, though not read (a directory without read permission).
        const UniqueFd path{::openat(parent->fd.get(), hostName, kPathFlags)};
        opening.opened = path.valid();
        if (!path.valid() && isShortOfDescriptors(errno)) {
            opening.error = errno;
        }
        return opening;
    }
    const UniqueFd path = openByPath_(std::string{entry.first});
    if (!path.valid()) {
        opening.error = errno;
        return opening;
    }
    opening.opened = true;
    opening.fd = UniqueFd{::openat(path.get(), ".", kReadFlags & ~O_NOFOLLOW)};
    opening.error = opening.fd.valid() ? 0 : errno;
    return opening;
}

bool ListingCache::freeDescriptors(std::unique_lock<AdaptiveMutex>& lock)
{
    const int heldBefore = heldParents_.load();
    closeHeldParents();
    const bool readersWereReading = readingReaders_ > 0;
    readersParked_ = true;
    ownerWaiting_ = true;
    listingReady_.wait(lock, [this] { return readingReaders_ == 0; });
    ownerWaiting_ = false;
    return heldBefore > 0 || readersWereReading;
}

void ListingCache::closeHeldParents()
{
    // Parents are held again only up to half of what ran short, so a walk keeps most of the
    // speed of opening relative to a parent without running short every time.
    mostHeldParents_ = heldParents_.load() / 2;
    for (const std::weak_ptr<OpenParent>& open : openParents_) {
        if (const std::shared_ptr<OpenParent> parent = open.lock()) {
            if (parent->users == 0) {
                parent->close();
            } else {
                parent->release = true;
            }
        }
    }
    openParents_.clear();
}

ListingCache::SlotEntry** ListingCache::nameSubdirectories(std::string_view key,
                                                           const DirectoryListing& listing,
                                                           std::shared_ptr<OpenParent> parent,
                                                           Worker& self)
{
    if (listing.count == 0) {
        return nullptr;
    }
    auto** children = static_cast<SlotEntry**>(slotMemory_.allocate(sizeof(SlotEntry*) * listing.count,
                                                                     alignof(SlotEntry*)));
    std::fill_n(children, listing.count, nullptr);
    // Pushed last to first, so that the first subdirectory is read first, as the walk wants it.
    for (std::size_t i = listing.count; i-- > 0;) {
        const FileAttributes attributes = listing.attributes(i);
        if (!isDirectory(attributes) || (attributes & kNotWalked) != 0) {
            continue;
        }
        auto [found, inserted] = slots_.try_emplace(storeKey(key, listing.name(i)));
        children[i] = &*found;
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
    return children;
}

void ListingCache::readAhead(Worker& self)
{
    std::unique_lock<AdaptiveMutex> lock{mutex_};
    for (;;) {
        self.parked = self.parked || readersParked_;
        ++idleReaders_;
        // A parked reader opens nothing more, but still helps to examine entries.
        workAvailable_.wait(lock, [&] {
            return stopping_ || shared_ != nullptr || (pendingCount_ > 0 && !self.parked);
        });
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
        if (self.parked) {
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
