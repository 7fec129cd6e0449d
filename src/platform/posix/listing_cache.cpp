#include "platform/posix/listing_cache.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <new>
#include <system_error>

#include "platform/posix/posix_attributes.h"

namespace mezu::posix {
namespace {

constexpr int kReadFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
constexpr int kPathFlags = O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;
constexpr char kSeparator = '\\';
constexpr char kDriveNameSeparator = '/';
constexpr FileAttributes kNotWalked = kAttrHidden | kAttrSystem;

bool isWalked(FileAttributes attributes)
{
    return isDirectory(attributes) && (attributes & kNotWalked) == 0;
}

bool hasWalkedSubdirectory(const DirectoryListing& listing)
{
    for (std::size_t i = 0; i < listing.count; ++i) {
        if (isWalked(listing.attributes(i))) {
            return true;
        }
    }
    return false;
}

}  // namespace

ListingCache::ListingCache(unsigned readerThreads, PathOpener openByPath, int mostHeldParents,
                           MountPointParents mountPointParents)
    : openByPath_(std::move(openByPath)),
      mostHeldParents_(mostHeldParents),
      mountPointParents_(std::move(mountPointParents)),
      searchPermission_(SearchPermission::ofThisProcess()),
      gate_(readerThreads, busyReaderThreads())
{
    for (unsigned i = 0; i <= readerThreads; ++i) {
        workers_.push_back(std::make_unique<Worker>());
        workers_.back()->rank = i;
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
    gateOpened_.notify_all();
    for (std::thread& reader : readers_) {
        reader.join();
    }
}

ListingCache::Slot& ListingCache::directory(std::string_view drivePath)
{
    if (const auto found = byPath_.find(drivePath); found != byPath_.end()) {
        return *found->second;
    }
    if (Slot* reached = reachThroughListings(drivePath)) {
        return *reached;
    }
    const std::lock_guard<AdaptiveMutex> lock{mutex_};
    char* key = static_cast<char*>(slotMemory_.allocate(drivePath.size() + 1, 1));
    *std::copy(drivePath.begin(), drivePath.end(), key) = '\0';
    Slot& slot = slots_.emplace_back();
    slot.name = std::string_view{key, drivePath.size()};
    byPath_.emplace(slot.name, &slot);
    return slot;
}

ListingCache::Slot* ListingCache::reachThroughListings(std::string_view drivePath)
{
    // Few directories are asked for by path (the surveyed one, a drive's root): each is tried.
    for (const auto& [base, slot] : byPath_) {
        const bool below = drivePath.size() > base.size() && drivePath.substr(0, base.size()) == base &&
                           (base.back() == kSeparator || drivePath[base.size()] == kSeparator);
        if (!below) {
            continue;
        }
        Slot* at = slot;
        std::size_t position = base.size();
        while (at != nullptr && position < drivePath.size()) {
            if (drivePath[position] == kSeparator) {
                ++position;
            }
            const std::size_t end = std::min(drivePath.find(kSeparator, position), drivePath.size());
            // Only listings read already are followed: reading one just to find a path would
            // read a directory the command does not need.
            if (at->state.load(std::memory_order_acquire) != State::Ready || at->children == nullptr) {
                at = nullptr;
                break;
            }
            const std::size_t index = at->listing->find(drivePath.substr(position, end - position), at->ownerHint);
            if (index == DirectoryListing::kNotFound) {
                at = nullptr;
                break;
            }
            at->ownerHint = index;
            Slot* next = at->children[index];
            // A subdirectory not examined yet may be a mount point, to be reached by its path.
            // The directory asked for is read now to find out (it is wanted anyway), one on the
            // way to it only if read already.
            if (next != nullptr && !at->listing->examined(index)) {
                if (end == drivePath.size()) {
                    listing(*next);
                }
                if (next->state.load(std::memory_order_acquire) != State::Ready || next->otherFileSystem) {
                    next = nullptr;
                }
            }
            at = next;
            position = end;
        }
        if (at != nullptr) {
            return at;
        }
    }
    return nullptr;
}

ListingCache::Slot* ListingCache::child(const Slot& parent, std::size_t index) const
{
    return parent.children != nullptr && index < parent.listing->count ? parent.children[index] : nullptr;
}

std::optional<EntryFigures> ListingCache::entryFigures(Slot& parent, std::size_t index)
{
    const DirectoryListing& listing = *parent.listing;
    if (listing.examined(index)) {
        const DirectoryListing::Entry& entry = listing.entries[index];
        return EntryFigures{entry.attributes, entry.length, entry.allocated};
    }
    Slot* const walked = parent.children != nullptr ? parent.children[index] : nullptr;
    if (walked == nullptr) {
        return examineNow(parent, index);
    }
    Slot& subdirectory = *walked;
    const DirectoryListing& own = this->listing(subdirectory);
    if (subdirectory.figuresKnown) {
        return subdirectory.figures;
    }
    if (own.error != ENOENT && own.error != ENOTDIR && parent.lateError == 0) {
        parent.lateError = own.error;
    }
    return std::nullopt;
}

std::optional<EntryFigures> ListingCache::examineNow(Slot& parent, std::size_t index) const
{
    const UniqueFd directory = openByPath_(path(parent));
    const std::string hostName = toHostName(std::string{parent.listing->name(index)});
    struct stat status {};
    if (!directory.valid() || ::fstatat(directory.get(), hostName.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno != ENOENT && parent.lateError == 0) {
            parent.lateError = errno;
        }
        return std::nullopt;
    }
    return figuresFromStatus(hostName.c_str(), status, parent.listing->device);
}

ListingCache::Slot* ListingCache::parent(const Slot& slot) const
{
    return slot.parentSlot;
}

std::size_t& ListingCache::hint(Slot& slot) const
{
    return slot.ownerHint;
}

std::string ListingCache::path(const Slot& slot) const
{
    std::vector<std::string_view> names;
    std::size_t size = 0;
    for (const Slot* at = &slot; at != nullptr; at = at->parentSlot) {
        names.push_back(at->name);
        size += at->name.size() + 1;
    }
    std::string text;
    text.reserve(size);
    for (auto name = names.rbegin(); name != names.rend(); ++name) {
        if (!text.empty() && text.back() != kSeparator) {
            text += kSeparator;
        }
        text += *name;
    }
    return text;
}

const DirectoryListing& ListingCache::listing(Slot& slot)
{
    if (slot.state.load(std::memory_order_acquire) == State::Ready) {
        return *slot.listing;
    }
    std::unique_lock<AdaptiveMutex> lock{mutex_};
    Worker& owner = *workers_.front();
    while (slot.state.load(std::memory_order_relaxed) != State::Ready) {
        if (slot.state.load(std::memory_order_relaxed) == State::Named) {
            // Not claimed yet, or given back by a reader short of descriptors.
            slot.state.store(State::Reading, std::memory_order_relaxed);
            read(slot, owner, lock);
            continue;
        }
        if (Slot* pending = claimPending(owner)) {
            read(*pending, owner, lock);
            continue;
        }
        if (readerOutOfMemory_) {
            throw std::bad_alloc{};
        }
        ownerWaiting_ = true;
        listingReady_.wait(lock);
        ownerWaiting_ = false;
    }
    return *slot.listing;
}

ListingCache::Slot* ListingCache::claimPending(Worker& self)
{
    if (Slot* slot = popNamed(self.pending, true)) {
        return slot;
    }
    for (const std::unique_ptr<Worker>& other : workers_) {
        if (other.get() != &self) {
            if (Slot* slot = popNamed(other->pending, false)) {
                return slot;
            }
        }
    }
    return nullptr;
}

ListingCache::Slot* ListingCache::popNamed(std::deque<Slot*>& pending, bool newest)
{
    // Entries the owner has read in the meantime are dropped on the way.
    while (!pending.empty()) {
        Slot* slot = newest ? pending.back() : pending.front();
        if (newest) {
            pending.pop_back();
        } else {
            pending.pop_front();
        }
        --pendingCount_;
        if (slot->state.load(std::memory_order_relaxed) == State::Named) {
            slot->state.store(State::Reading, std::memory_order_relaxed);
            return slot;
        }
    }
    return nullptr;
}

const DirectoryListing* ListingCache::read(Slot& slot, Worker& self,
                                           std::unique_lock<AdaptiveMutex>& lock)
{
    const bool owner = &self == workers_.front().get();
    // The time the disk may have kept this thread waiting: opening and reading, not the lock.
    std::chrono::nanoseconds took{0};
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
        const auto opened = std::chrono::steady_clock::now();
        opening = open(slot, parent.get());
        took += std::chrono::steady_clock::now() - opened;
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
            self.pending.push_back(&slot);
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
    std::shared_ptr<OpenParent> parent = std::move(slot.parent);
    // The parent's listing was published before it named this directory.
    const std::optional<std::uint64_t> parentDevice =
        parent ? std::optional{parent->device}
               : (slot.parentSlot != nullptr ? std::optional{slot.parentSlot->listing->device} : std::nullopt);
    lock.unlock();

    const auto reading = std::chrono::steady_clock::now();
    if (opening.examined) {
        const struct stat& status = opening.status;
        slot.figures = figuresFromStatus(slot.name.data(), status,
                                         parentDevice ? std::optional<dev_t>{*parentDevice} : std::nullopt);
        slot.figuresKnown = true;
        // Only a subdirectory left unexamined by its parent's read can be a mount point here.
        slot.otherFileSystem = parentDevice && status.st_dev != *parentDevice;
    }
    DirectoryReader::Examine examine = DirectoryReader::Examine::EveryEntry;
    if (opening.examined && searchPermission_.maySearch(opening.status)) {
        examine = mountPointParents_.mayHoldMountPoint(opening.status.st_dev, opening.status.st_ino)
                      ? DirectoryReader::Examine::AllButHidden
                      : DirectoryReader::Examine::AllButHiddenAndSubdirectories;
    }
    const DirectoryListing* listing =
        opening.fd.valid() && !slot.otherFileSystem
            ? self.reader.read(opening.fd.get(),
                               opening.examined ? std::optional{std::uint64_t{opening.status.st_dev}} : parentDevice,
                               readers_.empty() ? nullptr : this, examine)
            : self.reader.failed(opening.opened, opening.error);
    took += std::chrono::steady_clock::now() - reading;
    // Descriptors are closed outside the lock: the parent's, if this was the last directory
    // it named, and this one's unless its subdirectories will be opened through it.
    parent.reset();
    const bool namesSubdirectories = listing->readable && hasWalkedSubdirectory(*listing);
    if (!namesSubdirectories) {
        opening.fd.reset();
    }

    lock.lock();
    if (gate_.noteRead(took, listing->count)) {
        gateOpened_.notify_all();
    }
    std::shared_ptr<OpenParent> held;
    if (namesSubdirectories && heldParents_.load() < mostHeldParents_) {
        held = std::make_shared<OpenParent>(std::move(opening.fd), listing->device, heldParents_);
        if (openParents_.size() >= 2 * static_cast<std::size_t>(mostHeldParents_)) {
            std::erase_if(openParents_, [](const std::weak_ptr<OpenParent>& open) { return open.expired(); });
        }
        openParents_.push_back(held);
    }
    if (namesSubdirectories) {
        slot.children = nameSubdirectories(slot, *listing, std::move(held), self);
    }
    slot.listing = listing;
    slot.state.store(State::Ready, std::memory_order_release);
    readingReaders_ -= owner ? 0 : 1;
    if (ownerWaiting_) {
        listingReady_.notify_all();
    }
    return listing;
}

ListingCache::Opening ListingCache::open(const Slot& slot, const OpenParent* parent) const
{
    Opening opening;
    if (parent) {
        std::string converted;
        const char* hostName = slot.name.data();
        if (slot.name.find(kDriveNameSeparator) != std::string_view::npos) {
            converted = toHostName(std::string{slot.name});
            hostName = converted.c_str();
        }
        opening.fd = UniqueFd{::openat(parent->fd.get(), hostName, kReadFlags)};
        if (opening.fd.valid()) {
            opening.opened = true;
            opening.examined = ::fstat(opening.fd.get(), &opening.status) == 0;
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
        opening.examined = path.valid() && ::fstat(path.get(), &opening.status) == 0;
        return opening;
    }
    const UniqueFd path = openByPath_(this->path(slot));
    if (!path.valid()) {
        opening.error = errno;
        return opening;
    }
    opening.opened = true;
    opening.fd = UniqueFd{::openat(path.get(), ".", kReadFlags & ~O_NOFOLLOW)};
    opening.error = opening.fd.valid() ? 0 : errno;
    opening.examined = ::fstat(path.get(), &opening.status) == 0;
    return opening;
}

bool ListingCache::freeDescriptors(std::unique_lock<AdaptiveMutex>& lock)
{
    const int heldBefore = heldParents_.load();
    closeHeldParents();
    const bool readersWereReading = readingReaders_ > 0;
    readersParked_ = true;
    ownerWaiting_ = true;
    listingReady_.wait(lock, [this] { return readingReaders_ == 0 || readerOutOfMemory_; });
    ownerWaiting_ = false;
    if (readerOutOfMemory_) {
        throw std::bad_alloc{};
    }
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

ListingCache::Slot** ListingCache::nameSubdirectories(Slot& slot, const DirectoryListing& listing,
                                                      std::shared_ptr<OpenParent> parent, Worker& self)
{
    auto** children = static_cast<Slot**>(slotMemory_.allocate(sizeof(Slot*) * listing.count, alignof(Slot*)));
    std::fill_n(children, listing.count, nullptr);
    // Pushed last to first, so that the first subdirectory is read first, as the walk wants it.
    for (std::size_t i = listing.count; i-- > 0;) {
        if (!isWalked(listing.attributes(i))) {
            continue;
        }
        Slot& child = slots_.emplace_back();
        children[i] = &child;
        child.parent = parent;
        child.parentSlot = &slot;
        child.name = listing.name(i);
        if (!readers_.empty()) {
            self.pending.push_back(&child);
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
    try {
        readUntilStopped(self);
    } catch (const std::bad_alloc&) {
        // The directory this reader was reading is never published (nor counted out of
        // readingReaders_): the owner fails its command once it waits for it or for the
        // readers, as if it had run short of memory itself.
        const std::lock_guard<AdaptiveMutex> lock{mutex_};
        readerOutOfMemory_ = true;
        listingReady_.notify_all();
    }
}

void ListingCache::readUntilStopped(Worker& self)
{
    std::unique_lock<AdaptiveMutex> lock{mutex_};
    for (;;) {
        self.parked = self.parked || readersParked_;
        // A reader the gate keeps out neither reads nor helps: the cores are busy already.
        gateOpened_.wait(lock, [&] { return stopping_ || mayRead(self); });
        ++idleReaders_;
        // A parked reader opens nothing more, but still helps to examine entries.
        workAvailable_.wait(lock, [&] {
            return stopping_ || !mayRead(self) || shared_ != nullptr || (pendingCount_ > 0 && !self.parked);
        });
        --idleReaders_;
        if (stopping_) {
            return;
        }
        if (!mayRead(self)) {
            continue;
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
        if (Slot* slot = claimPending(self)) {
            read(*slot, self, lock);
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
